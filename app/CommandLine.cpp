#include "CommandLine.h"

bool HasCommandLineArgument(int argc, const char* const* /*argv*/) { return argc > 1; }

bool HasTextAfterProgramName(std::wstring_view commandLine) {
  std::size_t end = 0;
  if (!commandLine.empty() && commandLine[0] == L'"') {
    // A quoted name runs to the next quote; a name never holds one.
    const std::size_t closing = commandLine.find(L'"', 1);
    end = closing == std::wstring_view::npos ? commandLine.size() : closing + 1;
  } else {
    end = commandLine.find_first_of(L" \t");
    if (end == std::wstring_view::npos) end = commandLine.size();
  }
  return commandLine.find_first_not_of(L" \t", end) != std::wstring_view::npos;
}
