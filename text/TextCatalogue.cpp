#include "TextCatalogue.h"

#include <system_error>

#include "BuiltInMessageTable.h"

const char* LoadedCatalogue::CatalogueFileName(int languageIndex) {
  switch (languageIndex) {
    case 1: return "deutsch.qm";
    case 2: return "francais.qm";
    default: return "english.qm";
  }
}

LoadedCatalogue::LoadedCatalogue(const std::filesystem::path& directory, int languageIndex)
    : catalogue_(QmCatalogue::Load(directory / CatalogueFileName(languageIndex))) {}

std::string LoadedCatalogue::Text(unsigned number) const {
  if (!catalogue_) return std::string(BuiltInMessageText(number));
  // Id-based catalogue: the id is the message number. A missing id gives the
  // empty text.
  return catalogue_->Translation(std::to_string(number));
}

std::filesystem::path CatalogueDirectory(const std::filesystem::path& executableDirectory) {
  const std::filesystem::path installed = executableDirectory / ".." / "share" / "tessaramond";
  std::error_code error;
  if (!std::filesystem::is_directory(installed, error)) return executableDirectory;
  const std::filesystem::path absolute = std::filesystem::absolute(installed, error);
  return error ? installed.lexically_normal() : absolute.lexically_normal();
}

std::string LookupText(const std::filesystem::path& catalogueDirectory, int languageIndex, unsigned number) {
  return LoadedCatalogue(catalogueDirectory, languageIndex).Text(number);
}
