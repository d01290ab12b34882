#include "Usage.h"

#include <cstdio>

void PrintHelp() {
  std::fputs(
      "Usage: tessaramond-cli COMMAND [ARGUMENT]...\n"
      "Check Pellandrix firmware files and the images Tessaramond sends to the oven,\n"
      "find the oven's serial port, and update an oven from the command line.\n"
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
      "                 other file is passed over, and the CRC-32 of each image;\n"
      "                 and each line's language file (Flash/flash_Std.bin for\n"
      "                 Kesto, Flash/flash_StdBeta.bin for Lumo): its size, its\n"
      "                 telegrams and the CRC-32 of its bytes as sent (the last\n"
      "                 telegram filled up with 0xFF); a missing one is a warning\n"
      "  ports\n"
      "                 list the serial ports, one a line: the full path to give\n"
      "                 to update --port (e.g. /dev/ttyUSB0; COM5 on Windows)\n"
      "                 and, after a tab, what the port is where the system\n"
      "                 knows it (a USB adapter's product, manufacturer and\n"
      "                 serial number). Plugging the adapter in or out and\n"
      "                 listing again shows which is the oven's. Nothing is\n"
      "                 opened (on Windows each COM port is, briefly); ports\n"
      "                 this user may not open are named on standard error\n"
      "  update [--port DEVICE] [--language english|deutsch|francais] [--lumo]\n"
      "         [--record FILE]\n"
      "                 run the Update command in the working directory as the\n"
      "                 window does: read Hex/*.hex and program the oven on DEVICE\n"
      "                 (default: the first port of TESSARAMOND_PORTS that opens;\n"
      "                 without either, it names the ports it finds and does not\n"
      "                 start). Each line of the window's message list is printed as\n"
      "                 it appears (in the chosen language, default english), a\n"
      "                 cleared list as an empty line, a message box as a line\n"
      "                 starting with [box] or [error box]; the progress is drawn on\n"
      "                 standard error when that is a terminal. Ctrl-C calls the run\n"
      "                 off while it waits for the oven's ready sign, and is refused\n"
      "                 while a module is being programmed. --lumo sends the\n"
      "                 language file of the Lumo line (Flash/flash_StdBeta.bin) to\n"
      "                 an oven that does not announce its line itself. Each run\n"
      "                 is recorded (see records); --record FILE writes its record\n"
      "                 to FILE instead. The record's path is printed on standard\n"
      "                 error at the end\n"
      "  records [-n COUNT]\n"
      "                 list the newest records of update runs (default 20),\n"
      "                 newest first, one a line: start, port, outcome, SM and BM\n"
      "                 image CRC-32, the record's file. Records are kept in\n"
      "                 $XDG_STATE_HOME/tessaramond/runs (~/.local/state/...),\n"
      "                 on Windows in %LOCALAPPDATA%\\Tessaramond\\runs; the\n"
      "                 newest 500\n"
      "\n"
      "Options:\n"
      "  -o, --output=OUT  write the image to OUT ('-' is standard output)\n"
      "      --port=DEVICE the oven's serial port, its full path as ports lists it,\n"
      "                    e.g. /dev/ttyUSB0\n"
      "      --language=LANGUAGE\n"
      "                    the language of the printed lines\n"
      "      --record=FILE the file for the run's record (made anew)\n"
      "      --help        display this help and exit\n"
      "      --version     output version information and exit\n"
      "\n"
      "Exit status:\n"
      "  0  image: the file was accepted; check: both modules have a file;\n"
      "     ports: always, also when there is no port;\n"
      "     records: also when there is no record;\n"
      "     update: the run ended with \"Update ok!!!\"\n"
      "  1  image: the file was passed over or cannot be read;\n"
      "     check: a module has no file, or a file cannot be read;\n"
      "     records: no folder for records is known (no home folder);\n"
      "     update: the run ended with a failure\n"
      "  2  wrong use of the command line\n"
      "  3  update: cancelled with Ctrl-C\n"
      "\n"
      "Environment:\n"
      "  TESSARAMOND_PORTS  device paths separated by ':': the ports that ports lists\n"
      "                     instead of those it finds, tried in order by update\n"
      "                     when --port is not given\n"
      "  TESSARAMOND_PAUSE_SCALE\n"
      "                     the share (0 to 1) of the oven's fixed pauses that update\n"
      "                     waits, for runs against ovensim: honoured only when the\n"
      "                     port is a pseudo-terminal (/dev/pts/N, also through a\n"
      "                     link), ignored with a note on any other port\n",
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
