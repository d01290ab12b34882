#pragma once

#include <filesystem>
#include <string>

// The technician's working folder on Linux, where the desktop menu starts the
// window so that its Hex and Flash are found without a terminal. Started from
// a terminal, the window keeps the folder it was started in.

// Set by the desktop entry: start in the technician's working folder.
inline constexpr const char* kStartInWorkingFolderVariable = "TESSARAMOND_START_IN_WORKING_FOLDER";

// "Tessaramond" in the user's documents folder as user-dirs.dirs names it
// (in `configHome`, else in `home`/.config), else in the home folder.
std::filesystem::path TechnicianWorkingFolder(const std::string& home, const std::string& configHome);

// Makes whatever of `folder`, its Hex and Flash and its README.txt is
// missing; what is there stays as it is. Empty, else what went wrong.
std::string MakeWorkingFolder(const std::filesystem::path& folder);

// When the environment asks for it (and takes that out of the environment, so
// that programs started from the window do not inherit it), makes the
// technician's working folder and changes into it. Empty, else a sentence for
// the technician that says what went wrong and where the window reads its
// files instead.
std::string EnterWorkingFolderWhenAsked();
