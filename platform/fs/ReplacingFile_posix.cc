#include "platform/fs/NameBeside.h"
#include "platform/fs/ReplacingFile.h"

#include <cerrno>
#include <string>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quarnel::platform {
namespace {

[[noreturn]] void ThrowErrno(const char* what) {
  throw std::system_error(errno, std::generic_category(), what);
}

// Makes the rename itself durable. A folder that cannot be opened or synced (some file
// systems refuse) still holds the renamed file, so this is best effort.
void SyncFolderOf(const std::filesystem::path& file) noexcept {
  std::filesystem::path folder = file.parent_path();
  if (folder.empty()) folder = ".";
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

ReplacingFile::ReplacingFile(std::filesystem::path target)
    : target_(std::move(target)), beside_(NameBeside(target_)) {
  file_ = ::open(beside_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (file_ < 0) ThrowErrno("create");
}

ReplacingFile::~ReplacingFile() { Discard(); }

void ReplacingFile::Write(std::string_view bytes) {
  if (file_ < 0) throw std::system_error(EBADF, std::generic_category(), "write after commit");
  while (!bytes.empty()) {
    const ssize_t n = ::write(file_, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      const int cause = errno;
      Discard();
      throw std::system_error(cause, std::generic_category(), "write");
    }
    bytes.remove_prefix(static_cast<size_t>(n));
  }
}

void ReplacingFile::SetExecutable() {
  if (file_ < 0) throw std::system_error(EBADF, std::generic_category(), "chmod after commit");
  struct stat st {};
  if (::fstat(file_, &st) != 0) ThrowErrno("stat");
  const mode_t mode = st.st_mode & 07777;
  if (::fchmod(file_, mode | ((mode & 0444) >> 2)) != 0) ThrowErrno("chmod");
}

void ReplacingFile::Commit() {
  if (file_ < 0) throw std::system_error(EBADF, std::generic_category(), "commit twice");
  auto fail = [this](const char* what) {
    const int cause = errno;
    Discard();
    throw std::system_error(cause, std::generic_category(), what);
  };
  if (::fsync(file_) != 0) fail("sync");
  const int fd = static_cast<int>(file_);
  file_ = -1;
  if (::close(fd) != 0) {
    const int cause = errno;
    ::unlink(beside_.c_str());
    throw std::system_error(cause, std::generic_category(), "close");
  }
  if (::rename(beside_.c_str(), target_.c_str()) != 0) {
    const int cause = errno;
    ::unlink(beside_.c_str());
    throw std::system_error(cause, std::generic_category(), "rename");
  }
  beside_.clear();
  SyncFolderOf(target_);
}

void ReplacingFile::Discard() noexcept {
  if (file_ >= 0) {
    ::close(file_);
    file_ = -1;
  }
  if (!beside_.empty()) {
    ::unlink(beside_.c_str());
    beside_.clear();
  }
}

}  // namespace quarnel::platform
