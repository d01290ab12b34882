#include "RecordFile.h"

#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace {

#ifdef _WIN32
std::string LastErrorText() {
  return std::error_code(static_cast<int>(GetLastError()), std::system_category()).message();
}
#else
std::string ErrnoText() { return std::generic_category().message(errno); }
#endif

}  // namespace

RecordFile::~RecordFile() {
  std::string ignored;
  Close(ignored);
}

bool RecordFile::Write(std::string_view bytes, std::string& problem) {
  {
    const std::lock_guard lock(mutex_);
    if (!syncProblem_.empty()) {
      problem = syncProblem_;
      return false;
    }
  }
  if (!WriteToSystem(bytes, problem)) return false;
  // Without a thread of its own the file syncs here.
  if (!syncer_.joinable()) return Sync(problem);
  const std::lock_guard lock(mutex_);
  unsynced_ = true;
  written_.notify_one();
  return true;
}

bool RecordFile::Close(std::string& problem) {
  if (syncer_.joinable()) {
    {
      const std::lock_guard lock(mutex_);
      closing_ = true;
      written_.notify_one();
    }
    // It syncs what is still unsynced before it ends.
    syncer_.join();
  }
  CloseHandles();
  const std::lock_guard lock(mutex_);
  closing_ = false;
  unsynced_ = false;
  problem = std::move(syncProblem_);
  syncProblem_.clear();
  return problem.empty();
}

void RecordFile::StartSyncer() {
  try {
    syncer_ = std::thread([this] { SyncWhenWritten(); });
  } catch (const std::system_error&) {
    // Then each write syncs before it returns.
  }
}

void RecordFile::SyncWhenWritten() {
  std::unique_lock lock(mutex_);
  for (;;) {
    written_.wait(lock, [this] { return unsynced_ || closing_; });
    if (unsynced_) {
      // Lines written meanwhile go to the disk with this sync or the next.
      unsynced_ = false;
      lock.unlock();
      std::string problem;
      const bool synced = Sync(problem);
      lock.lock();
      if (!synced && syncProblem_.empty()) syncProblem_ = problem;
    } else {
      return;
    }
  }
}

#ifdef _WIN32

RecordFile::OpenResult RecordFile::Open(const std::filesystem::path& path, Creation creation, std::string& problem) {
  std::string ignored;
  Close(ignored);
  // Others may read it while it grows: the technician may open it at once.
  constexpr DWORD kShare = FILE_SHARE_READ | FILE_SHARE_WRITE;
  HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE, kShare, nullptr,
                              creation == Creation::New ? CREATE_NEW : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (creation == Creation::New && (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)) {
      return OpenResult::Exists;
    }
    problem = std::error_code(static_cast<int>(error), std::system_category()).message();
    return OpenResult::Failed;
  }
  handle_ = handle;
  // Only a file on a disk can be flushed (not a console or a pipe).
  if (GetFileType(handle) == FILE_TYPE_DISK) {
    HANDLE sync = CreateFileW(path.c_str(), GENERIC_WRITE, kShare, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (sync != INVALID_HANDLE_VALUE) syncHandle_ = sync;
  }
  StartSyncer();
  return OpenResult::Opened;
}

bool RecordFile::WriteToSystem(std::string_view bytes, std::string& problem) {
  while (!bytes.empty()) {
    DWORD written = 0;
    if (!WriteFile(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
      problem = LastErrorText();
      return false;
    }
    bytes.remove_prefix(written);
  }
  return true;
}

bool RecordFile::Sync(std::string& problem) {
  if (syncHandle_ == nullptr || FlushFileBuffers(syncHandle_)) return true;
  problem = LastErrorText();
  return false;
}

void RecordFile::CloseHandles() {
  for (void** handle : {&handle_, &syncHandle_}) {
    if (*handle != nullptr) CloseHandle(*handle);
    *handle = nullptr;
  }
}

#else

RecordFile::OpenResult RecordFile::Open(const std::filesystem::path& path, Creation creation, std::string& problem) {
  std::string ignored;
  Close(ignored);
  const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (creation == Creation::New ? O_EXCL : O_TRUNC);
  const int descriptor = ::open(path.c_str(), flags, 0644);
  if (descriptor < 0) {
    if (creation == Creation::New && errno == EEXIST) return OpenResult::Exists;
    problem = ErrnoText();
    return OpenResult::Failed;
  }
  descriptor_ = descriptor;
  StartSyncer();
  return OpenResult::Opened;
}

bool RecordFile::WriteToSystem(std::string_view bytes, std::string& problem) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(descriptor_, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      problem = ErrnoText();
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

bool RecordFile::Sync(std::string& problem) {
  // EINVAL: a file that cannot be synchronised (a pipe, /dev/null); its
  // bytes are written.
  if (::fdatasync(descriptor_) == 0 || errno == EINVAL) return true;
  problem = ErrnoText();
  return false;
}

void RecordFile::CloseHandles() {
  if (descriptor_ >= 0) ::close(descriptor_);
  descriptor_ = -1;
}

#endif
