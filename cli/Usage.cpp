#include "Usage.h"

#include <cstdio>

void PrintHelp() {
  std::fputs(
      "Usage: tessaramond-cli COMMAND [ARGUMENT]...\n"
      "Check Pellandrix firmware files and the images Tessaramond sends to the oven.\n"
      "\n"
      "Commands:\n"
      "  image FILE --sm|--bm [-o OUT]\n"
      "                 read FILE as control-module firmware (--sm: identifications\n"
      "                 SM and SD, natural byte order) or operating-module firmware\n"
      "                 (--bm: identification BM, bytes swapped in pairs) and write\n"
      "                 the 131072-byte image to standard output or, with -o, to OUT\n"
      "  check [DIR]\n"
      "                 choose the firmware files of DIR/Hex as the Update command\n"
      "                 does (DIR defaults to the working directory; a DIR without\n"
      "                 a Hex folder that holds .hex files itself is checked as\n"
      "                 it is) and tell which file each module gets, why every\n"
      "                 other file is passed over, and the CRC-32 of each image\n"
      "\n"
      "Options:\n"
      "  -o, --output=OUT  write the image to OUT ('-' is standard output)\n"
      "      --help        display this help and exit\n"
      "      --version     output version information and exit\n"
      "\n"
      "Exit status:\n"
      "  0  image: the file was accepted; check: both modules have a file\n"
      "  1  image: the file was passed over or cannot be read;\n"
      "     check: a module has no file, or a file cannot be read\n"
      "  2  wrong use of the command line\n",
      stdout);
}

void PrintVersion() {
  std::printf("%s (Tessaramond) %s\n", kProgramName, TESSARAMOND_VERSION);
}

int UsageError(const std::string& problem) {
  std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", kProgramName,
               problem.c_str(), kProgramName);
  return kExitUsage;
}

int Failure(const std::string& what) {
  std::fprintf(stderr, "%s: %s\n", kProgramName, what.c_str());
  return kExitFailure;
}
