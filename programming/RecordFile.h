#pragma once

#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

// The file of one run's record. A write hands its bytes to the system before
// it returns, so a crash of the program keeps them; a thread of the file's
// own then waits until they are on the disk, so that a power cut keeps all
// but the last moment's lines, and the run never waits for the disk: a slow
// disk must not delay an answer the oven is waiting for.
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
  // Writes all of `bytes`; false with the reason in `problem`, also when an
  // earlier write could not be brought to the disk.
  bool Write(std::string_view bytes, std::string& problem);
  // Brings what was written to the disk and closes the file; false with the
  // reason when that or an earlier write's sync failed.
  bool Close(std::string& problem);

 private:
  void StartSyncer();
  void SyncWhenWritten();
  // The system's calls; Sync may run beside Write.
  bool WriteToSystem(std::string_view bytes, std::string& problem);
  bool Sync(std::string& problem);
  void CloseHandles();

#ifdef _WIN32
  void* handle_ = nullptr;
  // Its own handle: Windows runs the calls on one handle one after another,
  // so a flush on the written one would hold up the next write.
  void* syncHandle_ = nullptr;
#else
  int descriptor_ = -1;
#endif
  std::thread syncer_;
  std::mutex mutex_;
  std::condition_variable written_;
  bool unsynced_ = false;
  bool closing_ = false;
  std::string syncProblem_;
};
