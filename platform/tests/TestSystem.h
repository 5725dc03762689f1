// What tests need from the system where the systems differ: a number that keeps the
// folders of parallel test processes apart, a second process trying a lock, running a
// tool and reading what it wrote, a folder that cannot be written, a limit on file size.
// TestSystem_posix.cc and TestSystem_win.cc hold the two sides.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace quarnel::platform::testing {

// This process's id.
int CurrentProcessId();

// The path of the running test program, so that a test can start another copy of it.
std::filesystem::path CurrentProgram();

// Whether another process could take the lock on `path` right now, without waiting.
bool FreeForAnotherProcess(const std::filesystem::path& path);

// What a tool run did.
struct ToolRun {
  int status;  // its exit status; -1 when it did not exit by itself (a signal, a crash)
  std::string out;
  std::string err;
};

// Variables to set for a child (a value) or to remove from its environment (nullopt).
using EnvironmentChanges = std::map<std::string, std::optional<std::string>>;

// Runs `program` with `args` (each passed as one argument, no shell in between) and
// waits for it to end; standard input is empty.
ToolRun RunTool(const std::filesystem::path& program, const std::vector<std::string>& args,
                const EnvironmentChanges& environment = {});

// While it lives, this process's standard input reads `text` and then its end, as from a
// pipe someone typed into and closed (`text` is small: it is written into the pipe at
// once). The standard input the process had comes back when it ends.
class StandardInputText {
 public:
  explicit StandardInputText(const std::string& text);
  ~StandardInputText();
  StandardInputText(const StandardInputText&) = delete;
  StandardInputText& operator=(const StandardInputText&) = delete;

 private:
  intptr_t saved_ = -1;  // the standard input before (a descriptor or a handle)
  intptr_t pipe_ = -1;   // the pipe's reading end, where the system keeps it apart
};

// A folder that exists and in which this process cannot create a file, made inside
// `scratch` where the system allows it; Path() is empty when the system offers none (a
// test then skips). The folder takes files again when the object ends.
class UnwritableFolder {
 public:
  explicit UnwritableFolder(const std::filesystem::path& scratch);
  ~UnwritableFolder();
  UnwritableFolder(const UnwritableFolder&) = delete;
  UnwritableFolder& operator=(const UnwritableFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
  bool made_ = false;  // made here (and so to be made writable again), not borrowed
};

// While it lives, a file of this process cannot grow past `bytes` (as on a full disk);
// Active() is false where the system has no such limit.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(uint64_t bytes);
  ~FileSizeLimit();
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  bool Active() const { return active_; }

 private:
  bool active_ = false;
  uint64_t saved_ = 0;
  void (*saved_handler_)(int) = nullptr;
};

}  // namespace quarnel::platform::testing
