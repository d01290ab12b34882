#include "UpdateRequestDetector.h"

bool UpdateRequestDetector::Feed(std::uint8_t byte) {
  // 0x02 occurs only at the start of the telegram, so after a mismatch the
  // byte can only begin a new one.
  if (byte == kUpdateRequest[matched_]) {
    ++matched_;
  } else {
    matched_ = byte == kUpdateRequest[0] ? 1 : 0;
  }
  if (matched_ < kUpdateRequest.size()) return false;
  matched_ = 0;
  return true;
}
