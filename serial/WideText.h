#pragma once

#include <string>
#include <string_view>

// The shared code's texts are UTF-8; the Windows API's wide-character
// functions take UTF-16, which shows every character whatever the system's
// code page ("Prüfsummenfehler" with its umlaut on any Windows).
std::wstring WideFromUtf8(std::string_view text);
std::string Utf8FromWide(std::wstring_view text);
