#pragma once

#include <array>
#include <cstddef>
#include <cstdio>
#include <string_view>

// Reads an open file line by line through one fixed buffer, or text already
// in memory in place, allocating nothing. A line ends at LF; a CR before the
// LF is not part of it; the last line may lack its LF. Lines longer than
// kMaxLineKept are cut there: nothing that reads firmware files looks further
// into a line.
class TextLineReader {
 public:
  static constexpr std::size_t kMaxLineKept = 1024;

  enum class Status { Line, End, Error };

  explicit TextLineReader(std::FILE* file) : file_(file) { data_ = buffer_.data(); }
  // The whole text is there: it is the buffer, read to its end.
  explicit TextLineReader(std::string_view text)
      : data_(text.empty() ? "" : text.data()), end_(text.size()), endOfFile_(true) {}

  // On Line, `line` stays valid until the next call.
  Status Next(std::string_view& line);

  // The errno of the failed read after Error.
  int ErrorNumber() const { return errorNumber_; }

 private:
  bool Fill();
  Status SkipRestOfLongLine(std::string_view& line);
  std::string_view Kept(std::size_t begin, std::size_t end) const;

  std::FILE* file_ = nullptr;
  std::array<char, 64 * 1024> buffer_;  // a file's; unused for text in memory
  const char* data_ = nullptr;          // what the lines are read from
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  bool endOfFile_ = false;
  int errorNumber_ = 0;
};
