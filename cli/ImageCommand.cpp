#include "ImageCommand.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "FirmwareFileSelection.h"
#include "OutcomeDescription.h"
#include "Terminal.h"
#include "Usage.h"

namespace {

struct ImageArguments {
  std::string file;
  std::optional<bool> controlModule;
  std::string output = "-";
};

std::optional<int> Parse(const std::vector<std::string>& args, ImageArguments& parsed) {
  std::vector<std::string> positional;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg == "-" || arg.empty() || arg[0] != '-') {
      positional.push_back(arg);
    } else if (arg == "--") {
      optionsEnded = true;
    } else if (arg == "--help") {
      PrintHelp();
      return kExitOk;
    } else if (arg == "--sm" || arg == "--bm") {
      const bool control = arg == "--sm";
      if (parsed.controlModule && *parsed.controlModule != control) {
        return UsageError("--sm and --bm exclude each other");
      }
      parsed.controlModule = control;
    } else if (arg == "-o" || arg == "--output") {
      if (i + 1 == args.size()) return UsageError("option '" + arg + "' requires an argument");
      parsed.output = args[++i];
    } else if (arg.starts_with("--output=")) {
      parsed.output = arg.substr(std::strlen("--output="));
    } else if (arg.starts_with("-o")) {
      parsed.output = arg.substr(2);
    } else {
      return UsageError("unrecognized option '" + arg + "'");
    }
  }
  if (positional.empty()) return UsageError("image: missing FILE");
  if (positional.size() > 1) return UsageError("image: extra operand '" + positional[1] + "'");
  if (!parsed.controlModule) return UsageError("image: give --sm or --bm");
  if (parsed.output.empty()) return UsageError("image: empty output file name");
  // 128 KiB of binary would only garble the technician's terminal.
  if (parsed.output == "-" && IsTerminal(stdout)) {
    return UsageError("image: standard output is a terminal; give -o OUT or redirect it");
  }
  parsed.file = positional[0];
  return std::nullopt;
}

int WriteImage(const HexImage& image, const std::string& output) {
  const auto bytes = image.Bytes();
  if (output == "-") {
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size() ||
        std::fflush(stdout) != 0) {
      return Failure("standard output: " + std::string(std::strerror(errno)));
    }
    return kExitOk;
  }
  std::FILE* file = std::fopen(output.c_str(), "wb");
  if (file == nullptr) return Failure(output + ": " + std::strerror(errno));
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  const int writeError = errno;
  if (std::fclose(file) != 0 || !written) {
    return Failure(output + ": " + std::strerror(written ? errno : writeError));
  }
  return kExitOk;
}

}  // namespace

int RunImageCommand(const std::vector<std::string>& args) {
  ImageArguments parsed;
  if (const auto exitCode = Parse(args, parsed)) return *exitCode;

  const FirmwareModule& module = FirmwareModules()[*parsed.controlModule ? 0 : 1];
  FirmwareCandidate candidate;
  candidate.name = parsed.file;
  candidate.path = parsed.file;
  candidate.result = LoadHexFile(candidate.path, module.image, module.identifications, &candidate.details);
  if (candidate.result != HexLoadResult::Accepted) {
    return Failure(parsed.file + ": " + DescribeOutcome(candidate, module.name));
  }
  return WriteImage(module.image, parsed.output);
}
