// The catalogue reader against QTranslator, which read the catalogues before
// it: the same texts from our catalogues, and from broken ones no crash and
// no read beyond the file.
#include "QmCatalogue.h"
#include "Utf8Text.h"

#include <QTranslator>

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "BuiltInMessageTable.h"
#include "HexFiles.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// QTranslator's answer for the same bytes. It reads them in place: `bytes`
// must outlive the translator.
struct QtReading {
  explicit QtReading(const Bytes& bytes) : loaded(translator.load(bytes.data(), static_cast<int>(bytes.size()))) {}
  std::string Translation(const std::string& id) const { return translator.translate(nullptr, id.c_str()).toStdString(); }
  QTranslator translator;
  bool loaded;
};

// Every message number and a few ids the catalogues lack.
std::vector<std::string> SomeIds() {
  std::vector<std::string> ids{"0", "124", "165", "999"};
  for (unsigned number : BuiltInMessageNumbers()) ids.push_back(std::to_string(number));
  return ids;
}

// Catalogues put together by hand, for the shapes lrelease does not write.
Bytes operator+(Bytes bytes, const Bytes& more) {
  bytes.insert(bytes.end(), more.begin(), more.end());
  return bytes;
}
// Tag, 32-bit length, data: a section, and most fields of a message.
Bytes Tagged(std::uint8_t tag, const Bytes& data) {
  const auto length = static_cast<std::uint32_t>(data.size());
  Bytes bytes{tag};
  for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(static_cast<std::uint8_t>(length >> shift));
  return bytes + data;
}
Bytes Text(std::uint8_t tag, const std::string& text) { return Tagged(tag, Bytes(text.begin(), text.end())); }
Bytes Translation(const std::u16string& text) {
  Bytes utf16;
  for (char16_t unit : text) utf16 = utf16 + Bytes{static_cast<std::uint8_t>(unit >> 8), static_cast<std::uint8_t>(unit)};
  return Tagged(3, utf16);
}
const Bytes kEnd{1};
constexpr std::uint8_t kSourceText = 6, kContext = 7, kComment = 8;

// The messages section `messages` with a hash entry for the id "7" at each of
// `offsets` (the ELF hash of a one-character id is its code), then `more`.
Bytes Catalogue(const Bytes& messages, const std::vector<std::uint32_t>& offsets = {0}, const Bytes& more = {}) {
  Bytes hashes;
  for (std::uint32_t offset : offsets) {
    hashes = hashes + Bytes{0, 0, 0, '7'};
    for (int shift = 24; shift >= 0; shift -= 8) hashes.push_back(static_cast<std::uint8_t>(offset >> shift));
  }
  const Bytes magic{0x3c, 0xb8, 0x64, 0x18, 0xca, 0xef, 0x9c, 0x95, 0xcd, 0x21, 0x1c, 0xbf, 0x60, 0xa1, 0xbd, 0xdd};
  return magic + Tagged(0x42, hashes) + Tagged(0x69, messages) + more;
}

// At the whole length this compares every message of every catalogue. Under
// the address sanitizer damaged bytes show any read beyond the file.
TEST(QmCatalogue, ACatalogueCutShortOrDamagedIsReadAsQTranslatorReadsIt) {
  const std::vector<std::string> ids = SomeIds();
  std::mt19937 random(20261207);
  for (const char* name : {"english.qm", "deutsch.qm", "francais.qm"}) {
    const std::string file = ReadAll(std::filesystem::path(CATALOGUE_DIR) / name);
    const Bytes whole(file.begin(), file.end());
    int loadedCuts = 0;
    for (std::size_t length = 0; length <= whole.size(); ++length) {
      const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length));
      const QtReading qt(cut);
      const auto ours = QmCatalogue::FromBytes(cut);
      ASSERT_EQ(ours.has_value(), qt.loaded) << name << " cut to " << length;
      if (!ours) continue;
      ++loadedCuts;
      for (const std::string& id : ids) {
        ASSERT_EQ(ours->Translation(id), qt.Translation(id)) << name << " cut to " << length << ", id " << id;
      }
    }
    // Cut between sections a file still loads, with fewer or no texts.
    EXPECT_GT(loadedCuts, 1) << name;
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

// Looked up by the id "7": the text, or nullptr when the catalogue must not
// load at all.
TEST(QmCatalogue, ShapesLreleaseDoesNotWriteAreReadAsQTranslatorReadsThem) {
  struct Case {
    const char* what;
    Bytes bytes;
    const char* expected;
    bool askQt = true;  // false where QTranslator would crash, read beyond or load another file
  };
  const Bytes text = Translation(u"Gr\u00fc\u00dfe \u20ac");
  const char* const utf8 = "Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC";
  const Bytes wrong = Translation(u"wrong") + Text(kSourceText, "999") + kEnd;
  const Bytes x = Translation(u"x") + kEnd;
  const Case cases[] = {
      {"source text stripped", Catalogue(text + kEnd), utf8},
      {"source text, context and comment kept",
       Catalogue(text + Text(kComment, "") + Text(kSourceText, "7") + Text(kContext, "") + kEnd), utf8},
      {"source text with a trailing NUL", Catalogue(text + Text(kSourceText, std::string("7", 2)) + kEnd), utf8},
      {"another id's message under this id's hash", Catalogue(wrong), ""},
      {"two messages under one hash: the one for the id",
       Catalogue(wrong + text + Text(kSourceText, "7") + kEnd, {0, static_cast<std::uint32_t>(wrong.size())}), utf8},
      {"a context", Catalogue(text + Text(kContext, "MainWindow") + kEnd), ""},
      {"a disambiguation", Catalogue(text + Text(kComment, "menu") + kEnd), ""},
      {"plural forms: the first", Catalogue(Translation(u"one") + Translation(u"many") + kEnd), "one"},
      {"no translation", Catalogue(Text(kSourceText, "7") + kEnd), ""},
      {"an odd translation length", Catalogue(Bytes{3, 0, 0, 0, 3, 0, 0x41, 0} + kEnd), ""},
      {"a translation longer than the messages", Catalogue(Bytes{3, 0, 0, 1, 0, 0, 0x41} + kEnd), ""},
      {"an unknown field", Catalogue(Translation(u"x") + Bytes{0x2a} + kEnd), ""},
      {"no end", Catalogue(Translation(u"x")), ""},
      {"offsets at and far beyond the messages' end", Catalogue(x, {8, 0xffffffffu, 0x80000000u}), ""},
      {"surrogates, paired and not",
       Catalogue(Translation(std::u16string{u'a', 0xd83d, 0xde00, u'b', 0xd800, u'c', 0xdc00, 0xfffe, 0xfdd0, 0xd800}) + kEnd),
       "a\xF0\x9F\x98\x80" "b?c?\xEF\xBF\xBE\xEF\xB7\x90?"},
      {"well-formed plural rules", Catalogue(x, {0}, Tagged(0x88, {0x01, 0x01, 0xff, 0x04, 0x02, 0x04})), "x"},
      {"plural rules without an operand", Catalogue(x, {0}, Tagged(0x88, {0x01})), nullptr},
      {"plural rules with a bad operator", Catalogue(x, {0}, Tagged(0x88, {0x05, 0x01})), nullptr},
      {"plural rules with a dangling joiner", Catalogue(x, {0}, Tagged(0x88, {0x01, 0x01, 0xfd})), nullptr},
      {"plural rules with a bad opcode", Catalogue(x, {0}, Tagged(0x88, {0x84, 0x01})), nullptr},
      {"a section longer than the rest of the file", Catalogue(x, {0}, {0xa7, 0, 0, 0, 3, 'e', 'n'}), nullptr},
      {"a catalogue naming another it depends on", Catalogue(x, {0}, Tagged(0x96, {0, 0, 0, 2, 0, 'x'})), nullptr, false},
      // Broken context tables, on which QTranslator would divide by zero or
      // read beyond the table.
      {"contexts: no slots", Catalogue(x, {0}, Tagged(0x2f, {0})), "", false},
      {"contexts: zero slots", Catalogue(x, {0}, Tagged(0x2f, {0, 0})), "", false},
      {"contexts: a slot beyond the table", Catalogue(x, {0}, Tagged(0x2f, {0, 1})), "", false},
      {"contexts: a run beyond the table", Catalogue(x, {0}, Tagged(0x2f, {0, 1, 0xff, 0xff})), "", false},
      {"contexts: an empty run", Catalogue(x, {0}, Tagged(0x2f, {0, 2, 0, 0, 0, 9})), "", false},
      {"contexts: a name beyond the table", Catalogue(x, {0}, Tagged(0x2f, {0, 1, 0, 1, 0, 0, 0xff, 'a'})), "", false},
      {"contexts: the empty one held", Catalogue(x, {0}, Tagged(0x2f, {0, 1, 0, 1, 0, 0, 1, 0, 0})), "x"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string expected = c.expected != nullptr ? c.expected : "";
    const auto ours = QmCatalogue::FromBytes(c.bytes);
    ASSERT_EQ(ours.has_value(), c.expected != nullptr);
    EXPECT_EQ(ours ? ours->Translation("7") : "", expected);
    if (!c.askQt) continue;
    const QtReading qt(c.bytes);
    ASSERT_EQ(qt.loaded, c.expected != nullptr);
    EXPECT_EQ(qt.Translation("7"), expected);
  }
}

}  // namespace
