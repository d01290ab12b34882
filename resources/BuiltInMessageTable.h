#pragma once

#include <string_view>
#include <vector>

// The built-in message table: message number -> UTF-8 text. A number the table
// does not hold gives the empty text.
std::string_view BuiltInMessageText(unsigned number);

// Every number the table holds, ascending (for the catalogue checks).
std::vector<unsigned> BuiltInMessageNumbers();
