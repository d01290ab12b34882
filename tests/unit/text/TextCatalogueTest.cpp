#include "TextCatalogue.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "BuiltInMessageTable.h"
#include "HexFiles.h"

namespace {

const std::filesystem::path kCatalogues = CATALOGUE_DIR;

TEST(LoadedCatalogue, AMissingCatalogueOrAFolderInItsPlaceGivesTheBuiltInTable) {
  const TemporaryFolder folder;
  std::filesystem::create_directory(folder / "english.qm");
  for (int language : {0, 1, 2}) {
    const LoadedCatalogue catalogue(folder.Path(), language);
    EXPECT_FALSE(catalogue.IsLoaded());
    EXPECT_EQ(catalogue.Text(153), "1. Switch off the main power from unit");
    EXPECT_EQ(catalogue.Text(116), "Fehler beim \xC3\x96" "ffnen der Sprachen-Datei ");
    EXPECT_EQ(catalogue.Text(124), "");
  }
}

TEST(LoadedCatalogue, TheLanguageIndexChoosesTheCatalogueAndAnythingElseMeansEnglish) {
  EXPECT_EQ(LookupText(kCatalogues, 1, 153), "1. Hauptschalter des Ger\xC3\xA4ts ausschalten");
  EXPECT_EQ(LookupText(kCatalogues, 2, 153), "1. Coupez l'alimentation principale de l'appareil");
  for (int language : {0, -1, 3, 1000}) EXPECT_EQ(LookupText(kCatalogues, language, 116), "Error opening the language file ");
}

// Texts that other code appends to must keep their trailing blank.
TEST(LoadedCatalogue, EveryCatalogueHoldsEveryNumberedMessageWithItsTrailingBlank) {
  for (int language : {0, 1, 2}) {
    const LoadedCatalogue catalogue(kCatalogues, language);
    for (unsigned number : BuiltInMessageNumbers()) {
      const std::string text = catalogue.Text(number);
      ASSERT_FALSE(text.empty()) << "language " << language << ", message " << number;
      const bool builtInEndsInBlank = BuiltInMessageText(number).back() == ' ';
      EXPECT_EQ(text.back() == ' ', builtInEndsInBlank) << "language " << language << ", message " << number;
    }
  }
}

TEST(LoadedCatalogue, LookupsOnTwoThreadsAtOnceEachGetTheirOwnText) {
  const std::string german = LookupText(kCatalogues, 1, 154);
  const std::string french = LookupText(kCatalogues, 2, 160);
  ASSERT_NE(german, french);
  std::vector<std::string> germanResults;
  std::vector<std::string> frenchResults;
  std::thread first([&] {
    for (int i = 0; i < 300; ++i) germanResults.push_back(LookupText(kCatalogues, 1, 154));
  });
  std::thread second([&] {
    for (int i = 0; i < 300; ++i) frenchResults.push_back(LookupText(kCatalogues, 2, 160));
  });
  first.join();
  second.join();
  EXPECT_EQ(germanResults, std::vector<std::string>(300, german));
  EXPECT_EQ(frenchResults, std::vector<std::string>(300, french));
}

TEST(CatalogueDirectory, AnInstalledProgramReadsShareTessaramondAndTheBuildTreeItsOwnFolder) {
  const TemporaryFolder root;
  const std::filesystem::path bin = root / "bin";
  ASSERT_TRUE(std::filesystem::create_directory(bin));
  EXPECT_EQ(CatalogueDirectory(bin), bin);
  // A file of that name is no installed catalogue folder.
  ASSERT_TRUE(std::filesystem::create_directory(root / "share"));
  std::ofstream(root / "share" / "tessaramond").flush();
  EXPECT_EQ(CatalogueDirectory(bin), bin);
  std::filesystem::remove(root / "share" / "tessaramond");
  ASSERT_TRUE(std::filesystem::create_directory(root / "share" / "tessaramond"));
  EXPECT_EQ(CatalogueDirectory(bin).string(), (root / "share" / "tessaramond").string());
}

}  // namespace
