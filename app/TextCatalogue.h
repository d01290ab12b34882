#pragma once

#include <QString>
#include <QTranslator>

#include <string>

// The language catalogues english.qm, deutsch.qm and francais.qm: message
// number -> text in that language. Nothing is cached: a catalogue is loaded
// for one lookup (or one refill of the instruction lines) and released again,
// so a change of language shows in the very next message, and lookups on
// different threads share nothing.
class LoadedCatalogue {
 public:
  // languageIndex is the language selector's index: 0 english, 1 deutsch,
  // 2 francais; anything else (no selection included) means english.
  LoadedCatalogue(const QString& directory, int languageIndex);

  LoadedCatalogue(const LoadedCatalogue&) = delete;
  LoadedCatalogue& operator=(const LoadedCatalogue&) = delete;

  // False when the catalogue is missing or unreadable; Text() then answers
  // from the built-in message table.
  bool IsLoaded() const { return loaded_; }

  // The message's text (UTF-8); empty when the table in use lacks the number.
  std::string Text(unsigned number) const;

  static QString CatalogueFileName(int languageIndex);

 private:
  QTranslator translator_;
  bool loaded_ = false;
};

// Where the catalogues of a program in `executableDirectory` are: the folder
// ../share/tessaramond beside it when that exists (an installed program),
// otherwise the executable's own folder (the build tree).
QString CatalogueDirectory(const QString& executableDirectory);

// One lookup: load, read, release.
std::string LookupText(const QString& catalogueDirectory, int languageIndex, unsigned number);
