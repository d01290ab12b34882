#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// A compiled message catalogue (.qm, as lrelease writes it), read the way
// QTranslator reads one, for id-based catalogues: a message is looked up by
// its id alone, with no context and no disambiguation. The file is an input
// like any other: every read is checked against its bounds, and a broken or
// hostile file is not loaded or gives empty texts, never a read beyond it.
class QmCatalogue {
 public:
  // The catalogue in `file`; nothing when the file is missing, unreadable or
  // not a catalogue QTranslator would load. A catalogue that names other
  // catalogues it depends on is not loaded either: ours never do.
  static std::optional<QmCatalogue> Load(const std::filesystem::path& file);

  // The same from the file's bytes.
  static std::optional<QmCatalogue> FromBytes(std::vector<std::uint8_t> bytes);

  // The translation of the message `id` in UTF-8, as
  // QTranslator::translate(nullptr, id).toStdString() gives it: empty when the
  // catalogue has none.
  std::string Translation(std::string_view id) const;

 private:
  // Where a section's data lies in bytes_.
  struct Section {
    std::size_t offset = 0;
    std::size_t length = 0;
  };

  explicit QmCatalogue(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}

  bool HoldsContext(std::string_view context) const;
  // The translation of the message at `offset` in the messages section when
  // it is the message for `id`; nothing when it is not or is broken.
  std::optional<std::u16string> MessageTranslation(std::size_t offset, std::string_view id) const;

  std::vector<std::uint8_t> bytes_;
  Section contexts_;
  Section hashes_;
  Section messages_;
};
