#include "TextCatalogue.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "BuiltInMessageTable.h"

namespace {

const std::filesystem::path kCatalogues = CATALOGUE_DIR;

std::filesystem::path PathOf(const QTemporaryDir& folder) { return folder.path().toStdU16String(); }

TEST(BuiltInMessageTable, HoldsExactlyTheNumberedMessages) {
  std::vector<unsigned> expected{101, 110, 111, 112};
  for (unsigned n = 116; n <= 123; ++n) expected.push_back(n);
  for (unsigned n = 125; n <= 164; ++n) expected.push_back(n);
  EXPECT_EQ(BuiltInMessageNumbers(), expected);
  for (unsigned gap : {0u, 100u, 102u, 109u, 113u, 115u, 124u, 165u}) {
    EXPECT_EQ(BuiltInMessageText(gap), "") << gap;
  }
  // Texts that other code appends to keep their trailing blank.
  EXPECT_EQ(BuiltInMessageText(116), "Fehler beim \xC3\x96" "ffnen der Sprachen-Datei ");
  EXPECT_EQ(BuiltInMessageText(163), "Lumo Flash Update ");
  EXPECT_EQ(BuiltInMessageText(152), "Press the button \"Update SM\"");
}

TEST(LoadedCatalogue, MissingOrBrokenCatalogueFallsBackToTheBuiltInTable) {
  QTemporaryDir empty;
  ASSERT_TRUE(empty.isValid());
  for (int language : {0, 1, 2}) {
    const LoadedCatalogue catalogue(PathOf(empty), language);
    EXPECT_FALSE(catalogue.IsLoaded());
    EXPECT_EQ(catalogue.Text(153), "1. Switch off the main power from unit");
    EXPECT_EQ(catalogue.Text(101), "&About Tessaramond...");
    EXPECT_EQ(catalogue.Text(116), BuiltInMessageText(116));
    EXPECT_EQ(catalogue.Text(124), "");
  }

  std::ofstream(PathOf(empty) / "deutsch.qm", std::ios::binary) << "this is no catalogue";
  EXPECT_EQ(LookupText(PathOf(empty), 1, 153), "1. Switch off the main power from unit");
  // An empty file, one cut short within the magic, a folder in its place.
  std::ofstream(PathOf(empty) / "english.qm", std::ios::binary).flush();
  EXPECT_EQ(LookupText(PathOf(empty), 0, 153), "1. Switch off the main power from unit");
  std::ofstream(PathOf(empty) / "francais.qm", std::ios::binary) << "\x3c\xb8\x64\x18\xca\xef\x9c\x95";
  EXPECT_EQ(LookupText(PathOf(empty), 2, 116), BuiltInMessageText(116));
  std::filesystem::remove(PathOf(empty) / "english.qm");
  std::filesystem::create_directory(PathOf(empty) / "english.qm");
  EXPECT_FALSE(LoadedCatalogue(PathOf(empty), 0).IsLoaded());
}

TEST(LoadedCatalogue, LanguageIndexChoosesTheCatalogueAndAnythingElseMeansEnglish) {
  EXPECT_EQ(LookupText(kCatalogues, 1, 153), "1. Hauptschalter des Ger\xC3\xA4ts ausschalten");
  EXPECT_EQ(LookupText(kCatalogues, 2, 153), "1. Coupez l'alimentation principale de l'appareil");
  const std::string english = "Error opening the language file ";
  for (int language : {0, -1, 3, 1000}) EXPECT_EQ(LookupText(kCatalogues, language, 116), english);
}

TEST(LoadedCatalogue, NumberTheCatalogueLacksGivesTheEmptyText) {
  for (int language : {0, 1, 2}) {
    const LoadedCatalogue catalogue(kCatalogues, language);
    ASSERT_TRUE(catalogue.IsLoaded()) << language;
    EXPECT_EQ(catalogue.Text(124), "");
    EXPECT_EQ(catalogue.Text(99999), "");
  }
}

TEST(LoadedCatalogue, EveryCatalogueHoldsEveryMessageWithItsTrailingBlank) {
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

}  // namespace

namespace {

TEST(CatalogueDirectory, InstalledProgramReadsShareTessaramondAndTheBuildTreeItsOwnFolder) {
  QTemporaryDir root;
  const std::filesystem::path bin = PathOf(root) / "bin";
  ASSERT_TRUE(std::filesystem::create_directory(bin));
  EXPECT_EQ(CatalogueDirectory(bin), bin);
  // A file of that name is no installed catalogue folder.
  ASSERT_TRUE(std::filesystem::create_directory(PathOf(root) / "share"));
  std::ofstream(PathOf(root) / "share" / "tessaramond").flush();
  EXPECT_EQ(CatalogueDirectory(bin), bin);
  std::filesystem::remove(PathOf(root) / "share" / "tessaramond");
  ASSERT_TRUE(std::filesystem::create_directory(PathOf(root) / "share" / "tessaramond"));
  EXPECT_EQ(CatalogueDirectory(bin).string(), (PathOf(root) / "share" / "tessaramond").string());
}

}  // namespace
