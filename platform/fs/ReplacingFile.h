// ReplacingFile: a file written beside its target and put in the target's place only
// when it is complete and on the disk.
//
// Until Commit the target stays as it was; a write that fails, or an object that ends
// without Commit, removes the unfinished file and leaves the target untouched. Commit
// forces the bytes to the disk before the rename, so that a crash or power loss just
// after a save finds either the old file or the new one whole, never an empty one.
//
// Failures are std::system_error carrying the cause; callers turn them into the errors
// of their own module, naming the target.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>

namespace quarnel::platform {

class ReplacingFile {
 public:
  // Creates the file beside `target` (same folder, a name no one else uses).
  explicit ReplacingFile(std::filesystem::path target);
  ~ReplacingFile();
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  // Appends the bytes.
  void Write(std::string_view bytes);
  // Lets whoever may read the file also run it (launchers on a desktop ask for that).
  void SetExecutable();
  // Puts the file in the target's place. Nothing may be written after it.
  void Commit();

  const std::filesystem::path& Target() const { return target_; }

 private:
  void Discard() noexcept;

  std::filesystem::path target_;
  std::filesystem::path beside_;
  std::intptr_t file_ = -1;  // the file being written (descriptor or handle); -1 when none
};

}  // namespace quarnel::platform
