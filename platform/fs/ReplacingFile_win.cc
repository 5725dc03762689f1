// The file is written beside the target with exclusive access, forced to the disk
// (FlushFileBuffers) and moved over the target with MoveFileEx, which replaces it in one
// step on the same volume and, asked to write through, returns only when the move is on
// the disk. Failures carry the system's error numbers (std::system_category).
#include "platform/fs/NameBeside.h"
#include "platform/fs/ReplacingFile.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <system_error>

#include <windows.h>

namespace quarnel::platform {
namespace {

HANDLE Handle(std::intptr_t file) { return reinterpret_cast<HANDLE>(file); }

[[noreturn]] void ThrowSystemError(DWORD error, const char* what) {
  throw std::system_error(static_cast<int>(error), std::system_category(), what);
}

}  // namespace

ReplacingFile::ReplacingFile(std::filesystem::path target)
    : target_(std::move(target)), beside_(NameBeside(target_)) {
  const HANDLE file = CreateFileW(beside_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) ThrowSystemError(GetLastError(), "create");
  file_ = reinterpret_cast<std::intptr_t>(file);
}

ReplacingFile::~ReplacingFile() { Discard(); }

void ReplacingFile::Write(std::string_view bytes) {
  if (file_ == -1) ThrowSystemError(ERROR_INVALID_HANDLE, "write after commit");
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 30));
    DWORD written = 0;
    if (!WriteFile(Handle(file_), bytes.data(), chunk, &written, nullptr) || written == 0) {
      const DWORD cause =
          written == 0 && GetLastError() == ERROR_SUCCESS ? ERROR_WRITE_FAULT : GetLastError();
      Discard();
      ThrowSystemError(cause, "write");
    }
    bytes.remove_prefix(written);
  }
}

// Windows runs a file by its name's ending; there is nothing to mark.
void ReplacingFile::SetExecutable() {
  if (file_ == -1) ThrowSystemError(ERROR_INVALID_HANDLE, "chmod after commit");
}

void ReplacingFile::Commit() {
  if (file_ == -1) ThrowSystemError(ERROR_INVALID_HANDLE, "commit twice");
  if (!FlushFileBuffers(Handle(file_))) {
    const DWORD cause = GetLastError();
    Discard();
    ThrowSystemError(cause, "sync");
  }
  const HANDLE file = Handle(file_);
  file_ = -1;
  if (!CloseHandle(file)) {
    const DWORD cause = GetLastError();
    DeleteFileW(beside_.c_str());
    beside_.clear();
    ThrowSystemError(cause, "close");
  }
  if (!MoveFileExW(beside_.c_str(), target_.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const DWORD cause = GetLastError();
    DeleteFileW(beside_.c_str());
    beside_.clear();
    // Windows says only "access denied" for a folder in the way; name the cause as on Linux.
    std::error_code ignored;
    if (std::filesystem::is_directory(target_, ignored)) {
      throw std::system_error(std::make_error_code(std::errc::is_a_directory), "rename");
    }
    ThrowSystemError(cause, "rename");
  }
  beside_.clear();
}

void ReplacingFile::Discard() noexcept {
  if (file_ != -1) {
    CloseHandle(Handle(file_));
    file_ = -1;
  }
  if (!beside_.empty()) {
    DeleteFileW(beside_.c_str());
    beside_.clear();
  }
}

}  // namespace quarnel::platform
