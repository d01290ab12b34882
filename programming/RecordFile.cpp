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

RecordFile::~RecordFile() { Close(); }

#ifdef _WIN32

RecordFile::OpenResult RecordFile::Open(const std::filesystem::path& path, Creation creation, std::string& problem) {
  Close();
  // Others may read it while it grows: the technician may open it at once.
  HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
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
  return OpenResult::Opened;
}

bool RecordFile::Write(std::string_view bytes, std::string& problem) {
  while (!bytes.empty()) {
    DWORD written = 0;
    if (!WriteFile(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
      problem = LastErrorText();
      return false;
    }
    bytes.remove_prefix(written);
  }
  // Only a file on a disk can be flushed (not a console or a pipe).
  if (GetFileType(handle_) == FILE_TYPE_DISK && !FlushFileBuffers(handle_)) {
    problem = LastErrorText();
    return false;
  }
  return true;
}

void RecordFile::Close() {
  if (handle_ != nullptr) CloseHandle(handle_);
  handle_ = nullptr;
}

#else

RecordFile::OpenResult RecordFile::Open(const std::filesystem::path& path, Creation creation, std::string& problem) {
  Close();
  const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (creation == Creation::New ? O_EXCL : O_TRUNC);
  const int descriptor = ::open(path.c_str(), flags, 0644);
  if (descriptor < 0) {
    if (creation == Creation::New && errno == EEXIST) return OpenResult::Exists;
    problem = ErrnoText();
    return OpenResult::Failed;
  }
  descriptor_ = descriptor;
  return OpenResult::Opened;
}

bool RecordFile::Write(std::string_view bytes, std::string& problem) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(descriptor_, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      problem = ErrnoText();
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  // EINVAL: a file that cannot be synchronised (a pipe, /dev/null); the
  // bytes are written.
  if (::fdatasync(descriptor_) != 0 && errno != EINVAL) {
    problem = ErrnoText();
    return false;
  }
  return true;
}

void RecordFile::Close() {
  if (descriptor_ >= 0) ::close(descriptor_);
  descriptor_ = -1;
}

#endif
