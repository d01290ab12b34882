#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// The file of one run's record. Each write goes straight through to the disk
// before it returns, so that a crash of the program or a power cut keeps
// every line written until then.
class RecordFile {
 public:
  enum class Creation {
    New,      // only a file that does not exist yet: never overwrites another record
    Replace,  // the file asked for, made anew
  };
  enum class OpenResult { Opened, Exists, Failed };

  RecordFile() = default;
  ~RecordFile();
  RecordFile(const RecordFile&) = delete;
  RecordFile& operator=(const RecordFile&) = delete;

  // On Failed, `problem` says why.
  OpenResult Open(const std::filesystem::path& path, Creation creation, std::string& problem);
  // Writes all of `bytes` and waits until they are on the disk; false with
  // the reason in `problem`.
  bool Write(std::string_view bytes, std::string& problem);
  void Close();

 private:
#ifdef _WIN32
  void* handle_ = nullptr;
#else
  int descriptor_ = -1;
#endif
};
