// The catalogue reader against QTranslator, which read the catalogues before
// it: the same texts from our catalogues, and from broken ones no crash and
// no read beyond the file.
#include "QmCatalogue.h"
#include "Utf8Text.h"

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

// Every message number and a few ids the catalogues lack.
std::vector<std::string> SomeIds() {
  std::vector<std::string> ids{"0", "124", "165", "999"};
  for (unsigned number : BuiltInMessageNumbers()) ids.push_back(std::to_string(number));
  return ids;
}

void Append32(Bytes& bytes, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(static_cast<std::uint8_t>(value >> shift));
}

void AppendSection(Bytes& bytes, std::uint8_t tag, const Bytes& data) {
  bytes.push_back(tag);
  Append32(bytes, static_cast<std::uint32_t>(data.size()));
  bytes.insert(bytes.end(), data.begin(), data.end());
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

constexpr std::uint8_t kTranslation = 3;
constexpr std::uint8_t kSourceText = 6;
constexpr std::uint8_t kContext = 7;
constexpr std::uint8_t kComment = 8;

// A catalogue put together field by field, for the shapes lrelease does not
// write.
class CatalogueBuilder {
 public:
  CatalogueBuilder& Translation(const std::u16string& text) {
    std::string utf16;
    for (char16_t unit : text) utf16 += {static_cast<char>(unit >> 8), static_cast<char>(unit & 0xff)};
    return Text(kTranslation, utf16);
  }
  CatalogueBuilder& Text(std::uint8_t tag, const std::string& text) {
    messages_.push_back(tag);
    Append32(messages_, static_cast<std::uint32_t>(text.size()));
    return Field(Bytes(text.begin(), text.end()));
  }
  CatalogueBuilder& Field(const Bytes& field) {
    messages_.insert(messages_.end(), field.begin(), field.end());
    return *this;
  }
  // Ends the message and files it under the hash of `key`.
  CatalogueBuilder& EndMessage(const std::string& key) { return Field({1}).FileWithoutEnd(key); }
  CatalogueBuilder& FileWithoutEnd(const std::string& key) {
    FileAt(key, static_cast<std::uint32_t>(messageStart_));
    messageStart_ = messages_.size();
    return *this;
  }
  // A hash entry for `key` pointing at any offset in the messages.
  CatalogueBuilder& FileAt(const std::string& key, std::uint32_t offset) {
    hashes_.push_back({ElfHash(key), offset});
    return *this;
  }

  Bytes Build() const {
    auto sorted = hashes_;
    std::stable_sort(sorted.begin(), sorted.end(), [](auto& a, auto& b) { return a.first < b.first; });
    Bytes table;
    for (auto [hash, offset] : sorted) {
      Append32(table, hash);
      Append32(table, offset);
    }
    Bytes bytes{0x3c, 0xb8, 0x64, 0x18, 0xca, 0xef, 0x9c, 0x95, 0xcd, 0x21, 0x1c, 0xbf, 0x60, 0xa1, 0xbd, 0xdd};
    AppendSection(bytes, 0x42, table);
    AppendSection(bytes, 0x69, messages_);
    return bytes;
  }

 private:
  Bytes messages_;
  std::size_t messageStart_ = 0;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> hashes_;
};

// At the whole length this compares every message of every catalogue.
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

// Catalogues lrelease does not write, looked up by the id "7": the text, or
// nullptr when the catalogue must not load at all.
TEST(QmCatalogue, ShapesLreleaseDoesNotWriteAreReadAsQTranslatorReadsThem) {
  struct Case {
    const char* what;
    Bytes bytes;
    const char* expected;
    bool askQt = true;  // false where QTranslator would crash, read beyond or load another file
  };
  const std::u16string text = u"Gr\u00fc\u00dfe \u20ac";
  const char* const utf8 = "Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC";
  // A catalogue holding "x" for 7, followed by a section given whole: tag,
  // length, data.
  const auto with = [bytes = CatalogueBuilder().Translation(u"x").EndMessage("7").Build()](const Bytes& section) {
    Bytes all = bytes;
    all.insert(all.end(), section.begin(), section.end());
    return all;
  };
  const Case cases[] = {
      {"source text stripped", CatalogueBuilder().Translation(text).EndMessage("7").Build(), utf8},
      {"source text, context and comment kept",
       CatalogueBuilder().Translation(text).Text(kComment, "").Text(kSourceText, "7").Text(kContext, "").EndMessage("7").Build(),
       utf8},
      {"source text with a trailing NUL",
       CatalogueBuilder().Translation(text).Text(kSourceText, std::string("7", 2)).EndMessage("7").Build(), utf8},
      {"another id's message under this id's hash",
       CatalogueBuilder().Translation(text).Text(kSourceText, "999").EndMessage("7").Build(), ""},
      {"two messages under one hash: the one for the id",
       CatalogueBuilder().Translation(u"wrong").Text(kSourceText, "999").EndMessage("7")
           .Translation(text).Text(kSourceText, "7").EndMessage("7").Build(), utf8},
      {"a context", CatalogueBuilder().Translation(text).Text(kContext, "MainWindow").EndMessage("7").Build(), ""},
      {"a disambiguation", CatalogueBuilder().Translation(text).Text(kComment, "menu").EndMessage("7").Build(), ""},
      {"plural forms: the first", CatalogueBuilder().Translation(u"one").Translation(u"many").EndMessage("7").Build(), "one"},
      {"an empty translation", CatalogueBuilder().Translation(u"").EndMessage("7").Build(), ""},
      {"no translation", CatalogueBuilder().Text(kSourceText, "7").EndMessage("7").Build(), ""},
      {"an odd translation length", CatalogueBuilder().Field({3, 0, 0, 0, 3, 0, 0x41, 0}).EndMessage("7").Build(), ""},
      {"a translation longer than the messages", CatalogueBuilder().Field({3, 0, 0, 1, 0, 0, 0x41}).EndMessage("7").Build(), ""},
      {"an unknown field", CatalogueBuilder().Translation(u"x").Field({0x2a}).EndMessage("7").Build(), ""},
      {"no end", CatalogueBuilder().Translation(u"x").FileWithoutEnd("7").Build(), ""},
      {"offsets at and far beyond the messages' end",
       CatalogueBuilder().Translation(u"x").EndMessage("8").FileAt("7", 8).FileAt("7", 0xffffffffu).FileAt("7", 0x80000000u).Build(),
       ""},
      {"surrogates, paired and not",
       CatalogueBuilder().Translation(std::u16string{u'a', 0xd83d, 0xde00, u'b', 0xd800, u'c', 0xdc00, 0xfffe, 0xfdd0, 0xd800})
           .EndMessage("7").Build(),
       "a\xF0\x9F\x98\x80" "b?c?\xEF\xBF\xBE\xEF\xB7\x90?"},
      {"well-formed plural rules", with({0x88, 0, 0, 0, 6, 0x01, 0x01, 0xff, 0x04, 0x02, 0x04}), "x"},
      {"plural rules without an operand", with({0x88, 0, 0, 0, 1, 0x01}), nullptr},
      {"plural rules with a bad operator", with({0x88, 0, 0, 0, 2, 0x05, 0x01}), nullptr},
      {"plural rules with a dangling joiner", with({0x88, 0, 0, 0, 3, 0x01, 0x01, 0xfd}), nullptr},
      {"plural rules with a bad opcode", with({0x88, 0, 0, 0, 2, 0x84, 0x01}), nullptr},
      {"a section longer than the rest of the file", with({0xa7, 0, 0, 0, 3, 'e', 'n'}), nullptr},
      {"a catalogue naming another it depends on", with({0x96, 0, 0, 0, 6, 0, 0, 0, 2, 0, 'x'}), nullptr, false},
      {"contexts: no slots", with({0x2f, 0, 0, 0, 1, 0}), "", false},
      {"contexts: zero slots", with({0x2f, 0, 0, 0, 2, 0, 0}), "", false},
      {"contexts: a slot beyond the table", with({0x2f, 0, 0, 0, 2, 0, 1}), "", false},
      {"contexts: a run beyond the table", with({0x2f, 0, 0, 0, 4, 0, 1, 0xff, 0xff}), "", false},
      {"contexts: an empty run", with({0x2f, 0, 0, 0, 6, 0, 2, 0, 0, 0, 9}), "", false},
      {"contexts: a name beyond the table", with({0x2f, 0, 0, 0, 8, 0, 1, 0, 1, 0, 0, 0xff, 'a'}), "", false},
      {"contexts: the empty one held", with({0x2f, 0, 0, 0, 9, 0, 1, 0, 1, 0, 0, 1, 0, 0}), "x"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string expected = c.expected != nullptr ? c.expected : "";
    const auto ours = QmCatalogue::FromBytes(c.bytes);
    ASSERT_EQ(ours.has_value(), c.expected != nullptr);
    EXPECT_EQ(ours ? ours->Translation("7") : "", expected);
    if (!c.askQt) continue;
    const QtReading qt(c.bytes);
    ASSERT_EQ(qt.IsLoaded(), c.expected != nullptr);
    EXPECT_EQ(qt.Translation("7"), expected);
  }
}

TEST(QmCatalogue, DamagedBytesNeverReadBeyondTheFile) {
  // Under the address sanitizer any read beyond the bytes ends the test.
  std::mt19937 random(20261207);
  const std::vector<std::string> ids = SomeIds();
  for (const char* name : kCatalogueNames) {
    const Bytes whole = ReadBytes(kCatalogues / name);
    for (int round = 0; round < 300; ++round) {
      Bytes damaged = whole;
      for (int flips = 1 + static_cast<int>(random() % 8); flips > 0; --flips) {
        damaged[16 + random() % (damaged.size() - 16)] = static_cast<std::uint8_t>(random());
      }
      if (const auto ours = QmCatalogue::FromBytes(damaged)) {
        for (const std::string& id : ids) ASSERT_TRUE(IsUtf8(ours->Translation(id))) << name << ", round " << round;
      }
    }
  }
}

}  // namespace
