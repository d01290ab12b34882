#include "TextLineReader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

std::string_view TextLineReader::Kept(std::size_t begin, std::size_t end) const {
  if (end > begin && data_[end - 1] == '\r') --end;
  return std::string_view(data_ + begin, std::min(end - begin, kMaxLineKept));
}

bool TextLineReader::Fill() {
  const std::size_t n = std::fread(buffer_.data() + end_, 1, buffer_.size() - end_, file_);
  end_ += n;
  if (n == 0) {
    if (std::ferror(file_)) {
      errorNumber_ = errno != 0 ? errno : EIO;
      return false;
    }
    endOfFile_ = true;
  }
  return true;
}

TextLineReader::Status TextLineReader::Next(std::string_view& line) {
  for (;;) {
    if (const void* newline = std::memchr(data_ + begin_, '\n', end_ - begin_)) {
      const std::size_t lineEnd = static_cast<std::size_t>(static_cast<const char*>(newline) - data_);
      line = Kept(begin_, lineEnd);
      begin_ = lineEnd + 1;
      return Status::Line;
    }
    if (endOfFile_) {
      if (begin_ == end_) return Status::End;
      line = Kept(begin_, end_);
      begin_ = end_;
      return Status::Line;
    }
    if (end_ - begin_ >= kMaxLineKept) return SkipRestOfLongLine(line);
    std::memmove(buffer_.data(), data_ + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
    if (!Fill()) return Status::Error;
  }
}

// The kept part of the line moves to the front of the buffer; the rest of the
// buffer is refilled and dropped until the line's LF turns up.
TextLineReader::Status TextLineReader::SkipRestOfLongLine(std::string_view& line) {
  std::memmove(buffer_.data(), buffer_.data() + begin_, kMaxLineKept);
  for (;;) {
    begin_ = end_ = kMaxLineKept;
    if (!Fill()) return Status::Error;
    line = std::string_view(buffer_.data(), kMaxLineKept);
    if (endOfFile_) return Status::Line;
    if (const void* newline = std::memchr(buffer_.data() + begin_, '\n', end_ - begin_)) {
      begin_ = static_cast<std::size_t>(static_cast<const char*>(newline) - buffer_.data()) + 1;
      return Status::Line;
    }
  }
}
