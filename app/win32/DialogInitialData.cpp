#include "DialogInitialData.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "WideText.h"
#include "Win32ResourceIds.h"

namespace {

// Reads little-endian values from the resource without trusting its size.
class ResourceReader {
 public:
  ResourceReader(const unsigned char* data, std::size_t size) : data_(data), size_(size) {}

  template <typename Value>
  bool Read(Value& value) {
    if (size_ - at_ < sizeof value) return false;
    std::memcpy(&value, data_ + at_, sizeof value);
    at_ += sizeof value;
    return true;
  }
  bool ReadBytes(std::size_t count, std::string_view& bytes) {
    if (size_ - at_ < count) return false;
    bytes = std::string_view(reinterpret_cast<const char*>(data_ + at_), count);
    at_ += count;
    return true;
  }

 private:
  const unsigned char* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

}  // namespace

void ApplyDialogInitialData(HINSTANCE instance, int templateId, HWND dialog) {
  HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(templateId), MAKEINTRESOURCEW(RT_DIALOG_INITIAL_DATA));
  if (found == nullptr) return;
  HGLOBAL loaded = LoadResource(instance, found);
  const auto* data = loaded != nullptr ? static_cast<const unsigned char*>(LockResource(loaded)) : nullptr;
  if (data == nullptr) return;
  ResourceReader reader(data, SizeofResource(instance, found));
  // Each entry: control id (16 bits), kind (16 bits), length (32 bits), bytes.
  for (;;) {
    std::uint16_t controlId = 0;
    std::uint16_t kind = 0;
    std::uint32_t length = 0;
    std::string_view bytes;
    if (!reader.Read(controlId) || controlId == 0) return;
    if (!reader.Read(kind) || !reader.Read(length) || !reader.ReadBytes(length, bytes)) return;
    if (kind != DIALOG_INITIAL_DATA_ADD_ENTRY) continue;
    const std::wstring text = WideFromUtf8(bytes.substr(0, bytes.find('\0')));
    SendDlgItemMessageW(dialog, controlId, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
}
