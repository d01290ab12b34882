#include "TextCatalogue.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "BuiltInMessageTable.h"
#include "HexFiles.h"

namespace {

const std::filesystem::path kCatalogues = CATALOGUE_DIR;

// English a folder in its place, German cut short inside its hash table,
// French missing.
TEST(LoadedCatalogue, MissingOrBrokenCatalogueGivesTheBuiltInTable) {
  const TemporaryFolder folder;
  std::filesystem::create_directory(folder / "english.qm");
  WriteTextFile(folder / "deutsch.qm", ReadAll(kCatalogues / "deutsch.qm").substr(0, 40));
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
      EXPECT_EQ(text.back() == ' ', BuiltInMessageText(number).back() == ' ') << "language " << language << ", message " << number;
    }
  }
}

TEST(LoadedCatalogue, LookupsOnTwoThreadsAtOnceEachGetTheirOwnText) {
  const std::string expected[] = {LookupText(kCatalogues, 1, 154), LookupText(kCatalogues, 2, 160)};
  ASSERT_NE(expected[0], expected[1]);
  std::vector<std::string> results[2];
  const auto lookUp = [&](int which) {
    for (int i = 0; i < 300; ++i) results[which].push_back(LookupText(kCatalogues, 1 + which, which == 0 ? 154 : 160));
  };
  std::thread threads[] = {std::thread(lookUp, 0), std::thread(lookUp, 1)};
  for (std::thread& thread : threads) thread.join();
  for (int which : {0, 1}) EXPECT_EQ(results[which], std::vector<std::string>(300, expected[which]));
}

TEST(CatalogueDirectory, AnInstalledProgramReadsShareTessaramondAndTheBuildTreeItsOwnFolder) {
  const TemporaryFolder root;
  const std::filesystem::path bin = root / "bin";
  ASSERT_TRUE(std::filesystem::create_directory(bin));
  EXPECT_EQ(CatalogueDirectory(bin), bin);
  // A file of that name is no installed catalogue folder.
  ASSERT_TRUE(std::filesystem::create_directory(root / "share"));
  WriteTextFile(root / "share" / "tessaramond", "");
  EXPECT_EQ(CatalogueDirectory(bin), bin);
  std::filesystem::remove(root / "share" / "tessaramond");
  ASSERT_TRUE(std::filesystem::create_directory(root / "share" / "tessaramond"));
  EXPECT_EQ(CatalogueDirectory(bin).string(), (root / "share" / "tessaramond").string());
}

}  // namespace
