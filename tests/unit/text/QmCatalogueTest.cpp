// The catalogue reader against QTranslator, which read the catalogues before
// it: the same texts from our catalogues, and from broken ones no crash and
// no read beyond the file.
#include "QmCatalogue.h"
#include "Utf8Text.h"

#include <QString>
#include <QTranslator>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "BuiltInMessageTable.h"
#include "HexFiles.h"
#include "TextCatalogue.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

const std::filesystem::path kCatalogues = CATALOGUE_DIR;
const char* const kCatalogueNames[] = {"english.qm", "deutsch.qm", "francais.qm"};

Bytes ReadBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// QTranslator's answer for the same bytes. It reads them in place: `bytes`
// must outlive the translator.
class QtReading {
 public:
  explicit QtReading(const Bytes& bytes)
      : loaded_(translator_.load(bytes.data(), static_cast<int>(bytes.size()))) {}
  bool IsLoaded() const { return loaded_; }
  std::string Translation(const std::string& id) const {
    return translator_.translate(nullptr, id.c_str()).toStdString();
  }

 private:
  QTranslator translator_;
  bool loaded_;
};

// The ids worth comparing in the many-file tests: every message number and a
// few the catalogues lack.
std::vector<std::string> SomeIds() {
  std::vector<std::string> ids;
  for (unsigned number : BuiltInMessageNumbers()) ids.push_back(std::to_string(number));
  for (const char* other : {"0", "124", "165", "999"}) ids.emplace_back(other);
  return ids;
}

void Append32(Bytes& bytes, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(static_cast<std::uint8_t>(value >> shift));
}

std::uint32_t ElfHash(const std::string& text) {
  std::uint32_t hash = 0;
  for (const char c : text) {
    hash = (hash << 4) + static_cast<unsigned char>(c);
    const std::uint32_t high = hash & 0xf0000000u;
    if (high != 0) hash ^= high >> 24;
    hash &= ~high;
  }
  return hash == 0 ? 1 : hash;
}

// A catalogue put together field by field, for the shapes lrelease does not
// write.
class CatalogueBuilder {
 public:
  // Fields of the message being built.
  CatalogueBuilder& Translation(const std::u16string& text) {
    Bytes field{3};
    Append32(field, static_cast<std::uint32_t>(2 * text.size()));
    for (char16_t unit : text) {
      field.push_back(static_cast<std::uint8_t>(unit >> 8));
      field.push_back(static_cast<std::uint8_t>(unit & 0xff));
    }
    return Field(field);
  }
  CatalogueBuilder& Text(std::uint8_t tag, const std::string& text) {
    Bytes field{tag};
    Append32(field, static_cast<std::uint32_t>(text.size()));
    field.insert(field.end(), text.begin(), text.end());
    return Field(field);
  }
  CatalogueBuilder& Field(const Bytes& field) {
    messages_.insert(messages_.end(), field.begin(), field.end());
    return *this;
  }
  // Ends the message and files it under the hash of `key`.
  CatalogueBuilder& EndMessage(const std::string& key) {
    messages_.push_back(1);
    return FileWithoutEnd(key);
  }
  // Files the message under the hash of `key` as it is.
  CatalogueBuilder& FileWithoutEnd(const std::string& key) {
    hashes_.push_back({ElfHash(key), static_cast<std::uint32_t>(messageStart_)});
    messageStart_ = messages_.size();
    return *this;
  }
  CatalogueBuilder& Section(std::uint8_t tag, const Bytes& data) {
    extraSections_.push_back(tag);
    Append32(extraSections_, static_cast<std::uint32_t>(data.size()));
    extraSections_.insert(extraSections_.end(), data.begin(), data.end());
    return *this;
  }

  Bytes Build() const {
    Bytes bytes{0x3c, 0xb8, 0x64, 0x18, 0xca, 0xef, 0x9c, 0x95, 0xcd, 0x21, 0x1c, 0xbf, 0x60, 0xa1, 0xbd, 0xdd};
    auto sorted = hashes_;
    std::stable_sort(sorted.begin(), sorted.end(), [](auto& a, auto& b) { return a.first < b.first; });
    bytes.push_back(0x42);
    Append32(bytes, static_cast<std::uint32_t>(8 * sorted.size()));
    for (auto [hash, offset] : sorted) {
      Append32(bytes, hash);
      Append32(bytes, offset);
    }
    bytes.push_back(0x69);
    Append32(bytes, static_cast<std::uint32_t>(messages_.size()));
    bytes.insert(bytes.end(), messages_.begin(), messages_.end());
    bytes.insert(bytes.end(), extraSections_.begin(), extraSections_.end());
    return bytes;
  }

 private:
  Bytes messages_;
  std::size_t messageStart_ = 0;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> hashes_;
  Bytes extraSections_;
};

constexpr std::uint8_t kSourceText = 6;
constexpr std::uint8_t kContext = 7;
constexpr std::uint8_t kComment = 8;

TEST(QmCatalogue, EveryIdOfEveryCatalogueGivesWhatQTranslatorGives) {
  for (int language : {0, 1, 2}) {
    const std::filesystem::path file = kCatalogues / LoadedCatalogue::CatalogueFileName(language);
    QTranslator translator;
    ASSERT_TRUE(translator.load(QString::fromStdString(file.string())));
    const LoadedCatalogue catalogue(kCatalogues, language);
    ASSERT_TRUE(catalogue.IsLoaded());
    int found = 0;
    for (unsigned number = 0; number < 1000; ++number) {
      const std::string expected = translator.translate(nullptr, std::to_string(number).c_str()).toStdString();
      ASSERT_EQ(catalogue.Text(number), expected) << file << ", message " << number;
      found += expected.empty() ? 0 : 1;
    }
    EXPECT_EQ(found, static_cast<int>(BuiltInMessageNumbers().size())) << file;
  }
}

TEST(QmCatalogue, ACatalogueCutShortAtAnyLengthIsReadAsQTranslatorReadsIt) {
  const std::vector<std::string> ids = SomeIds();
  for (const char* name : kCatalogueNames) {
    const Bytes whole = ReadBytes(kCatalogues / name);
    ASSERT_GT(whole.size(), 1000u) << name;
    int loadedCuts = 0;
    for (std::size_t length = 0; length <= whole.size(); ++length) {
      const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length));
      const QtReading qt(cut);
      const auto ours = QmCatalogue::FromBytes(cut);
      ASSERT_EQ(ours.has_value(), qt.IsLoaded()) << name << " cut to " << length;
      if (!ours) continue;
      ++loadedCuts;
      for (const std::string& id : ids) {
        ASSERT_EQ(ours->Translation(id), qt.Translation(id)) << name << " cut to " << length << ", id " << id;
      }
    }
    // Cut between sections a file still loads, with fewer or no texts.
    EXPECT_GT(loadedCuts, 1) << name;
  }
}

TEST(QmCatalogue, HashEntriesPointingOutsideTheMessagesGiveTheEmptyText) {
  Bytes bytes = ReadBytes(kCatalogues / "english.qm");
  // The hashes section follows the language section in what lrelease writes.
  std::size_t at = 16;
  while (at + 5 <= bytes.size() && bytes[at] != 0x42) {
    at += 5 + (std::size_t{bytes[at + 1]} << 24 | std::size_t{bytes[at + 2]} << 16 | std::size_t{bytes[at + 3]} << 8 |
               bytes[at + 4]);
  }
  ASSERT_LT(at + 5, bytes.size());
  const std::size_t tableLength =
      std::size_t{bytes[at + 1]} << 24 | std::size_t{bytes[at + 2]} << 16 | std::size_t{bytes[at + 3]} << 8 | bytes[at + 4];
  const std::size_t table = at + 5;
  for (std::uint32_t offset : {0xffffffffu, 0x7fffffffu, 0x80000000u, static_cast<std::uint32_t>(bytes.size())}) {
    for (std::size_t entry = 0; entry + 8 <= tableLength; entry += 8) {
      for (int i = 0; i < 4; ++i) bytes[table + entry + 4 + i] = static_cast<std::uint8_t>(offset >> (24 - 8 * i));
    }
    const QtReading qt(bytes);
    const auto ours = QmCatalogue::FromBytes(bytes);
    ASSERT_TRUE(ours);
    ASSERT_TRUE(qt.IsLoaded());
    for (const std::string& id : SomeIds()) {
      EXPECT_EQ(ours->Translation(id), "") << offset << ", id " << id;
      EXPECT_EQ(qt.Translation(id), "") << offset << ", id " << id;
    }
  }
}

TEST(QmCatalogue, MessagesLreleaseDoesNotWriteAreReadAsQTranslatorReadsThem) {
  struct Case {
    const char* what;
    Bytes bytes;
    std::string id;
    std::string expected;
  };
  const std::u16string text = u"Gr\u00fc\u00dfe \u20ac";
  const std::string utf8 = "Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC";
  const Case cases[] = {
      {"source text stripped", CatalogueBuilder().Translation(text).EndMessage("153").Build(), "153", utf8},
      {"source text, context and comment kept",
       CatalogueBuilder().Translation(text).Text(kComment, "").Text(kSourceText, "153").Text(kContext, "").EndMessage("153").Build(),
       "153", utf8},
      {"source text with a trailing NUL",
       CatalogueBuilder().Translation(text).Text(kSourceText, std::string("153", 4)).EndMessage("153").Build(), "153", utf8},
      {"another id's message under this id's hash",
       CatalogueBuilder().Translation(text).Text(kSourceText, "999").EndMessage("153").Build(), "153", ""},
      {"two messages under one hash: the one for the id",
       CatalogueBuilder()
           .Translation(u"wrong").Text(kSourceText, "999").EndMessage("153")
           .Translation(text).Text(kSourceText, "153").EndMessage("153").Build(),
       "153", utf8},
      {"a context", CatalogueBuilder().Translation(text).Text(kContext, "MainWindow").EndMessage("153").Build(), "153", ""},
      {"a disambiguation", CatalogueBuilder().Translation(text).Text(kComment, "menu").EndMessage("153").Build(), "153", ""},
      {"plural forms: the first", CatalogueBuilder().Translation(u"one").Translation(u"many").EndMessage("7").Build(), "7", "one"},
      {"an empty translation", CatalogueBuilder().Translation(u"").EndMessage("7").Build(), "7", ""},
      {"no translation", CatalogueBuilder().Text(kSourceText, "7").EndMessage("7").Build(), "7", ""},
      {"an odd translation length",
       CatalogueBuilder().Field({3, 0, 0, 0, 3, 0, 0x41, 0}).EndMessage("7").Build(), "7", ""},
      {"a translation longer than the messages",
       CatalogueBuilder().Field({3, 0, 0, 1, 0, 0, 0x41}).EndMessage("7").Build(), "7", ""},
      {"an unknown field", CatalogueBuilder().Translation(u"x").Field({0x2a}).EndMessage("7").Build(), "7", ""},
      {"no end", CatalogueBuilder().Translation(u"x").FileWithoutEnd("7").Build(), "7", ""},
      {"surrogates, paired and not",
       CatalogueBuilder()
           .Translation(std::u16string{u'a', 0xd83d, 0xde00, u'b', 0xd800, u'c', 0xdc00, 0xfffe, 0xfdd0, 0xd800})
           .EndMessage("7").Build(),
       "7", "a\xF0\x9F\x98\x80" "b?c?\xEF\xBF\xBE\xEF\xB7\x90?"},
      {"well-formed plural rules",
       CatalogueBuilder().Translation(u"x").EndMessage("7").Section(0x88, {0x01, 0x01, 0xff, 0x04, 0x02, 0x04}).Build(),
       "7", "x"},
  };
  for (const Case& c : cases) {
    const QtReading qt(c.bytes);
    const auto ours = QmCatalogue::FromBytes(c.bytes);
    ASSERT_TRUE(qt.IsLoaded()) << c.what;
    ASSERT_TRUE(ours) << c.what;
    EXPECT_EQ(qt.Translation(c.id), c.expected) << c.what;
    EXPECT_EQ(ours->Translation(c.id), c.expected) << c.what;
  }
}

TEST(QmCatalogue, SectionsThatSpoilTheCatalogueAreNotLoaded) {
  const CatalogueBuilder good = CatalogueBuilder().Translation(u"x").EndMessage("7");
  // Plural rules QTranslator refuses: no operand, a bad operator, a dangling
  // joiner.
  for (const Bytes& rules : {Bytes{0x01}, Bytes{0x05, 0x01}, Bytes{0x01, 0x01, 0xfd}, Bytes{0x84, 0x01}}) {
    const Bytes bytes = CatalogueBuilder(good).Section(0x88, rules).Build();
    EXPECT_FALSE(QtReading(bytes).IsLoaded());
    EXPECT_FALSE(QmCatalogue::FromBytes(bytes));
  }
  // A section longer than what is left of the file.
  Bytes longSection = CatalogueBuilder(good).Section(0xa7, {'e', 'n'}).Build();
  longSection[longSection.size() - 3] = 3;
  EXPECT_FALSE(QtReading(longSection).IsLoaded());
  EXPECT_FALSE(QmCatalogue::FromBytes(longSection));
  // A catalogue that depends on another: QTranslator would go and load it;
  // ours never do.
  EXPECT_FALSE(QmCatalogue::FromBytes(CatalogueBuilder(good).Section(0x96, {0, 0, 0, 2, 0, 'x'}).Build()));
}

TEST(QmCatalogue, ABrokenContextTableGivesTheEmptyText) {
  // QTranslator would divide by the table's size of zero or read beyond it.
  const CatalogueBuilder good = CatalogueBuilder().Translation(u"x").EndMessage("7");
  for (const Bytes& contexts : {Bytes{0}, Bytes{0, 0}, Bytes{0, 1}, Bytes{0, 1, 0xff, 0xff}, Bytes{0, 2, 0, 0, 0, 9},
                                Bytes{0, 1, 0, 1, 0, 0, 0xff, 'a'}}) {
    const auto ours = QmCatalogue::FromBytes(CatalogueBuilder(good).Section(0x2f, contexts).Build());
    ASSERT_TRUE(ours);
    EXPECT_EQ(ours->Translation("7"), "");
  }
  // A table holding the empty context (one NUL) lets the lookup through.
  const Bytes holdsEmpty = CatalogueBuilder(good).Section(0x2f, {0, 1, 0, 1, 0, 0, 1, 0, 0}).Build();
  EXPECT_EQ(QtReading(holdsEmpty).Translation("7"), "x");
  EXPECT_EQ(QmCatalogue::FromBytes(holdsEmpty)->Translation("7"), "x");
}

TEST(QmCatalogue, DamagedAndRandomBytesNeverReadBeyondTheFile) {
  // Under the address sanitizer any read beyond the bytes ends the test.
  std::mt19937 random(20261207);
  const std::vector<std::string> ids = SomeIds();
  for (const char* name : kCatalogueNames) {
    const Bytes whole = ReadBytes(kCatalogues / name);
    for (int round = 0; round < 300; ++round) {
      Bytes damaged = whole;
      const int flips = 1 + static_cast<int>(random() % 8);
      for (int i = 0; i < flips; ++i) {
        damaged[16 + random() % (damaged.size() - 16)] = static_cast<std::uint8_t>(random());
      }
      if (const auto ours = QmCatalogue::FromBytes(damaged)) {
        for (const std::string& id : ids) ASSERT_TRUE(IsUtf8(ours->Translation(id))) << name << ", round " << round;
      }
    }
  }
  // Random catalogues as files: one that is not loaded leaves the lookup to
  // the built-in table.
  const TemporaryFolder folder;
  const Bytes english = ReadBytes(kCatalogues / "english.qm");
  const Bytes magic(english.begin(), english.begin() + 16);
  for (int round = 0; round < 500; ++round) {
    Bytes bytes = round % 2 == 0 ? magic : Bytes{};
    const std::size_t length = random() % 300;
    for (std::size_t i = 0; i < length; ++i) bytes.push_back(static_cast<std::uint8_t>(random()));
    WriteTextFile(folder / "english.qm", std::string(bytes.begin(), bytes.end()));
    const LoadedCatalogue catalogue(folder.Path(), 0);
    if (const auto ours = QmCatalogue::FromBytes(bytes)) {
      ASSERT_TRUE(catalogue.IsLoaded());
      for (const std::string& id : ids) ASSERT_TRUE(IsUtf8(ours->Translation(id))) << "round " << round;
    } else {
      ASSERT_FALSE(catalogue.IsLoaded()) << "round " << round;
      EXPECT_EQ(catalogue.Text(153), BuiltInMessageText(153));
    }
  }
}

}  // namespace
