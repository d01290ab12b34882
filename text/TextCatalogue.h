#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "QmCatalogue.h"

// The language catalogues english.qm, deutsch.qm and francais.qm: message
// number -> text in that language. Nothing is cached: a catalogue is loaded
// for one lookup (or one refill of the instruction lines) and released again,
// so a change of language shows in the very next message, and lookups on
// different threads share nothing.
class LoadedCatalogue {
 public:
  // languageIndex is the language selector's index: 0 english, 1 deutsch,
  // 2 francais; anything else (no selection included) means english.
  LoadedCatalogue(const std::filesystem::path& directory, int languageIndex);

  LoadedCatalogue(const LoadedCatalogue&) = delete;
  LoadedCatalogue& operator=(const LoadedCatalogue&) = delete;

  // False when the catalogue is missing or unreadable; Text() then answers
  // from the built-in message table.
  bool IsLoaded() const { return catalogue_.has_value(); }

  // The message's text (UTF-8); empty when the table in use lacks the number.
  std::string Text(unsigned number) const;

  static const char* CatalogueFileName(int languageIndex);

 private:
  std::optional<QmCatalogue> catalogue_;
};

// Where the catalogues of a program in `executableDirectory` are: the folder
// ../share/tessaramond beside it when that exists (an installed program),
// otherwise the executable's own folder (the build tree).
std::filesystem::path CatalogueDirectory(const std::filesystem::path& executableDirectory);

// One lookup: load, read, release.
std::string LookupText(const std::filesystem::path& catalogueDirectory, int languageIndex, unsigned number);
