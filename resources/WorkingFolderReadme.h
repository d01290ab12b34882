#pragma once

#include <string_view>

// The text in the technician's working folder that says what goes where
// (README.txt; resources/working-folder/README.txt).
std::string_view WorkingFolderReadme();
