#pragma once

#include <string_view>

// Whether the program was started with an argument, which runs the Update
// command at start-up. Its content is never looked at: an empty argument and
// a toolkit's own options (-platform offscreen) count too, so the decision
// is taken on the arguments as the program received them.
bool HasCommandLineArgument(int argc, const char* const* argv);

// The same on a Windows command line as one text: anything after the
// program's name (quoted or not) and the blanks that follow it.
bool HasTextAfterProgramName(std::wstring_view commandLine);
