#include "QmCatalogue.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <system_error>

namespace {

constexpr std::array<std::uint8_t, 16> kMagic{0x3c, 0xb8, 0x64, 0x18, 0xca, 0xef, 0x9c, 0x95,
                                              0xcd, 0x21, 0x1c, 0xbf, 0x60, 0xa1, 0xbd, 0xdd};

// Section tags after the magic: tag byte, 32-bit length, data.
constexpr std::uint8_t kContextsTag = 0x2f;
constexpr std::uint8_t kHashesTag = 0x42;
constexpr std::uint8_t kMessagesTag = 0x69;
constexpr std::uint8_t kNumerusRulesTag = 0x88;
constexpr std::uint8_t kDependenciesTag = 0x96;

// Field tags within a message.
constexpr std::uint8_t kEndField = 1;
constexpr std::uint8_t kTranslationField = 3;
constexpr std::uint8_t kObsolete1Field = 5;
constexpr std::uint8_t kSourceTextField = 6;
constexpr std::uint8_t kContextField = 7;
constexpr std::uint8_t kCommentField = 8;

// Operators of the plural rules.
constexpr std::uint8_t kRuleOperatorMask = 0x07;
constexpr std::uint8_t kRuleEqual = 0x01;
constexpr std::uint8_t kRuleLess = 0x02;
constexpr std::uint8_t kRuleLessOrEqual = 0x03;
constexpr std::uint8_t kRuleBetween = 0x04;
constexpr std::uint8_t kRuleAnd = 0xfd;
constexpr std::uint8_t kRuleOr = 0xfe;
constexpr std::uint8_t kRuleNext = 0xff;

// Far beyond any catalogue of ours; a larger file is refused rather than read
// into memory whole.
constexpr std::uintmax_t kLargestFile = 64u * 1024u * 1024u;

// One entry of the hashes section: hash, offset into the messages section.
constexpr std::size_t kHashEntrySize = 8;

std::uint32_t Read16(const std::uint8_t* at) { return static_cast<std::uint32_t>(at[0] << 8 | at[1]); }

std::uint32_t Read32(const std::uint8_t* at) {
  return static_cast<std::uint32_t>(at[0]) << 24 | static_cast<std::uint32_t>(at[1]) << 16 |
         static_cast<std::uint32_t>(at[2]) << 8 | static_cast<std::uint32_t>(at[3]);
}

// The ELF hash the catalogue's tables are keyed with.
void ContinueElfHash(std::string_view text, std::uint32_t& hash) {
  for (const char c : text) {
    if (c == '\0') break;  // the key is a C string
    hash = (hash << 4) + static_cast<unsigned char>(c);
    const std::uint32_t high = hash & 0xf0000000u;
    if (high != 0) hash ^= high >> 24;
    hash &= ~high;
  }
}

std::uint32_t FinishElfHash(std::uint32_t hash) { return hash == 0 ? 1 : hash; }

// A stored key matches when equal to `wanted`, one trailing NUL aside.
bool StoredTextMatches(const std::uint8_t* stored, std::size_t length, std::string_view wanted) {
  if (length > 0 && stored[length - 1] == '\0') --length;
  return length == wanted.size() && std::equal(wanted.begin(), wanted.end(), stored,
                                               [](char w, std::uint8_t s) { return static_cast<std::uint8_t>(w) == s; });
}

// The plural rules must be well-formed for the catalogue to load, although
// an id lookup never uses them.
bool PluralRulesAreValid(const std::uint8_t* rules, std::size_t size) {
  if (size == 0) return true;
  std::size_t at = 0;
  do {
    const std::uint8_t opcode = rules[at];
    if (opcode & 0x80) return false;
    if (++at == size) return false;  // no operand
    ++at;
    switch (opcode & kRuleOperatorMask) {
      case kRuleEqual:
      case kRuleLess:
      case kRuleLessOrEqual:
        break;
      case kRuleBetween:
        if (at == size) return false;  // no second operand
        ++at;
        break;
      default:
        return false;
    }
    if (at == size) return true;
  } while ((rules[at] == kRuleAnd || rules[at] == kRuleOr || rules[at] == kRuleNext) && ++at != size);
  return false;
}

// UTF-16 to UTF-8 as QString::toUtf8() does it: an unpaired surrogate
// becomes '?'.
std::string Utf8(const std::u16string& text) {
  std::string out;
  out.reserve(text.size());
  const auto append = [&out](std::uint32_t byte) { out.push_back(static_cast<char>(byte)); };
  for (std::size_t i = 0; i < text.size(); ++i) {
    const std::uint32_t unit = text[i];
    if (unit < 0x80) {
      append(unit);
    } else if (unit < 0x800) {
      append(0xc0 | unit >> 6);
      append(0x80 | (unit & 0x3f));
    } else if (unit < 0xd800 || unit > 0xdfff) {
      append(0xe0 | unit >> 12);
      append(0x80 | (unit >> 6 & 0x3f));
      append(0x80 | (unit & 0x3f));
    } else if (unit <= 0xdbff && i + 1 < text.size() && text[i + 1] >= 0xdc00 && text[i + 1] <= 0xdfff) {
      const std::uint32_t point = 0x10000 + ((unit - 0xd800) << 10) + (text[++i] - 0xdc00u);
      append(0xf0 | point >> 18);
      append(0x80 | (point >> 12 & 0x3f));
      append(0x80 | (point >> 6 & 0x3f));
      append(0x80 | (point & 0x3f));
    } else {
      append('?');
    }
  }
  return out;
}

}  // namespace

std::optional<QmCatalogue> QmCatalogue::Load(const std::filesystem::path& file) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(file, error)) return std::nullopt;
  const std::uintmax_t size = std::filesystem::file_size(file, error);
  if (error || size < kMagic.size() || size > kLargestFile) return std::nullopt;
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (static_cast<std::uintmax_t>(in.gcount()) != size) return std::nullopt;
  return FromBytes(std::move(bytes));
}

std::optional<QmCatalogue> QmCatalogue::FromBytes(std::vector<std::uint8_t> bytes) {
  if (bytes.size() < kMagic.size() || !std::equal(kMagic.begin(), kMagic.end(), bytes.begin())) return std::nullopt;
  QmCatalogue catalogue(std::move(bytes));
  const std::vector<std::uint8_t>& data = catalogue.bytes_;
  Section pluralRules;
  // Sections follow the magic until a zero tag or length, or until fewer than
  // a header's five bytes and one more are left; a section reaching beyond
  // the end spoils the whole file.
  std::size_t at = kMagic.size();
  while (at + 5 < data.size()) {
    const std::uint8_t tag = data[at];
    const std::uint32_t length = Read32(&data[at + 1]);
    at += 5;
    if (tag == 0 || length == 0) break;
    if (data.size() - at < length) return std::nullopt;
    const Section section{at, length};
    switch (tag) {
      case kContextsTag: catalogue.contexts_ = section; break;
      case kHashesTag: catalogue.hashes_ = section; break;
      case kMessagesTag: catalogue.messages_ = section; break;
      case kNumerusRulesTag: pluralRules = section; break;
      case kDependenciesTag: return std::nullopt;
      default: break;  // the language and anything newer: not needed for a lookup
    }
    at += length;
  }
  if (!PluralRulesAreValid(data.data() + pluralRules.offset, pluralRules.length)) return std::nullopt;
  return catalogue;
}

std::string QmCatalogue::Translation(std::string_view id) const {
  constexpr std::string_view kNoContext;
  if (hashes_.length == 0) return {};
  if (contexts_.length != 0 && !HoldsContext(kNoContext)) return {};
  const std::size_t entries = hashes_.length / kHashEntrySize;
  if (entries == 0) return {};

  std::uint32_t key = 0;
  ContinueElfHash(id, key);  // then the disambiguation, which is empty
  key = FinishElfHash(key);

  const std::uint8_t* table = bytes_.data() + hashes_.offset;
  const auto hashAt = [table](std::size_t entry) { return Read32(table + entry * kHashEntrySize); };
  // The entries are sorted by hash; several messages may share one.
  std::size_t low = 0;
  std::size_t high = entries;
  while (low < high) {
    const std::size_t middle = low + (high - low) / 2;
    if (hashAt(middle) < key) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  for (std::size_t entry = low; entry < entries && hashAt(entry) == key; ++entry) {
    const std::uint32_t offset = Read32(table + entry * kHashEntrySize + 4);
    if (auto translation = MessageTranslation(offset, id)) return Utf8(*translation);
  }
  return {};
}

bool QmCatalogue::HoldsContext(std::string_view context) const {
  // A hash table of 16-bit slots, each pointing (in 16-bit units) to a run
  // of length-prefixed context names ended by a zero length.
  const std::uint8_t* table = bytes_.data() + contexts_.offset;
  const std::size_t length = contexts_.length;
  if (length < 2) return false;
  const std::uint32_t slots = Read16(table);
  if (slots == 0) return false;
  std::uint32_t hash = 0;
  ContinueElfHash(context, hash);
  const std::size_t slot = 2 + 2 * std::size_t{FinishElfHash(hash) % slots};
  if (slot + 2 > length) return false;
  const std::uint32_t run = Read16(table + slot);
  if (run == 0) return false;
  std::size_t at = 2 + 2 * std::size_t{slots} + 2 * std::size_t{run};
  while (at < length) {
    const std::size_t nameLength = table[at++];
    if (nameLength == 0 || nameLength > length - at) return false;
    if (StoredTextMatches(table + at, nameLength, context)) return true;
    at += nameLength;
  }
  return false;
}

std::optional<std::u16string> QmCatalogue::MessageTranslation(std::size_t offset, std::string_view id) const {
  constexpr std::string_view kNoContext;
  constexpr std::string_view kNoComment;
  const std::uint8_t* message = bytes_.data() + messages_.offset;
  const std::size_t end = messages_.length;
  std::size_t at = offset;
  std::optional<std::u16string> translation;
  // Each field: tag byte, then for most a 32-bit length and that many bytes.
  // A field that runs past the section's end makes the message unusable.
  const auto fieldLength = [&](std::size_t& length) {
    if (at > end || end - at < 4) return false;
    length = Read32(message + at);
    at += 4;
    return length <= end - at;
  };
  for (;;) {
    if (at >= end) return std::nullopt;
    const std::uint8_t tag = message[at++];
    std::size_t length = 0;
    switch (tag) {
      case kEndField:
        return translation;
      case kTranslationField:
        if (at > end || end - at < 4) return std::nullopt;
        if (Read32(message + at) & 1) return std::nullopt;  // UTF-16: an even count
        if (!fieldLength(length)) return std::nullopt;
        if (!translation) {  // the first form; the others are plurals
          std::u16string text(length / 2, u'\0');
          for (std::size_t i = 0; i < text.size(); ++i) {
            text[i] = static_cast<char16_t>(Read16(message + at + 2 * i));
          }
          translation = std::move(text);
        }
        at += length;
        break;
      case kObsolete1Field:
        at += 4;
        break;
      case kSourceTextField:
        // lrelease may leave the source text out; when present it must be
        // the id.
        if (!fieldLength(length) || !StoredTextMatches(message + at, length, id)) return std::nullopt;
        at += length;
        break;
      case kContextField:
        if (!fieldLength(length) || !StoredTextMatches(message + at, length, kNoContext)) return std::nullopt;
        at += length;
        break;
      case kCommentField:
        if (!fieldLength(length)) return std::nullopt;
        if (length > 0 && message[at] != 0 && !StoredTextMatches(message + at, length, kNoComment)) {
          return std::nullopt;
        }
        at += length;
        break;
      default:
        return std::nullopt;
    }
  }
}
