// Workspace: the folder of cache files through which Load, Save and Compose pass a
// sequence, shared by every document that uses the library from there.
//
// A Workspace object stands for one call of Load, Save or Compose: it finds the folder
// (see WorkspaceFolderFor), creates it when missing, and holds
// the workspace lock ("workspace.lock" in it) until it ends, so that two processes never
// work on the caches at the same time. A call nested in another on the same thread
// (Save compiling through Compose) takes the lock again without waiting.
#pragma once

#include "platform/fs/FileLock.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace quarnel::dataapi {

// The workspace folder of a library that lies in `library_folder`: QUARNEL_WORKSPACE when
// set; else the library's folder when this process may write there, as the product
// expects; else "quarnel" in the user's folder for data kept on this machine
// ($XDG_STATE_HOME, by default ~/.local/state). A library installed for every user lies
// in a folder only the administrator may change, and each user then works in their own.
std::filesystem::path WorkspaceFolderFor(const std::filesystem::path& library_folder);

// Makes the workspace folder ready for the library's registration: created when missing,
// able to take a new file and the workspace lock. 0, or a failure code saying what stands
// in the way (platform/component/ResultCode.h).
int32_t ReadyWorkspaceFolder();

class Workspace {
 public:
  // The fixed cache files.
  static constexpr std::string_view kTimelineCache = "evcache.tmp";
  static constexpr std::string_view kChannelCache = "chcache.tmp";
  static constexpr std::string_view kDataCache = "dtcache.tmp";
  static constexpr std::string_view kToolCache = "tccache.tmp";
  static constexpr std::string_view kHistoryCache = "hscache.tmp";
  static constexpr std::string_view kDrawingCache = "vgcache.tmp";
  static constexpr std::string_view kComposed = "composed.tmp";
  static constexpr std::string_view kLockFile = "workspace.lock";

  // Finds the folder and waits for the lock. `source` names the calling member for
  // errors: a folder that cannot be found or created, a lock that cannot be taken.
  explicit Workspace(const char* source);

  const std::filesystem::path& Folder() const { return folder_; }
  // The path of a file in the workspace.
  std::filesystem::path PathOf(std::string_view file_name) const;
  // Writes a byte image to a cache file: deletes it quietly, creates it, writes the
  // bytes from offset 0 and closes it.
  void WriteCache(std::string_view file_name, std::string_view bytes) const;

 private:
  const char* source_;
  std::filesystem::path folder_;
  platform::ExclusiveFileLock lock_;
};

}  // namespace quarnel::dataapi
