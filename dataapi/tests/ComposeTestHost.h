// A compose host for tests: records every status text, progress value, AutoRefresh
// switch, bookmark rebuild and ComposeComplete as one line each, and lets a test look at
// the events when a given status text is raised.
#pragma once

#include "dataapi/compile/Composer.h"

#include <cstdio>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace quarnel::dataapi::testing {

class RecordingHost : public compile::ComposeHost {
 public:
  std::vector<std::string> log;
  std::function<void(std::u16string_view)> on_status;

  void StatusChange(std::u16string_view text) override {
    log.push_back("status " + std::string(text.begin(), text.end()));
    if (on_status) on_status(text);
  }
  void Progress(double percent) override {
    char buf[32];
    std::snprintf(buf, sizeof buf, "progress %g", percent);
    log.emplace_back(buf);
  }
  void SetAutoRefresh(bool value) override { log.push_back(value ? "auto on" : "auto off"); }
  void RefreshBookmark() override { log.emplace_back("bookmark"); }
  void ComposeComplete() override { log.emplace_back("complete"); }
};

// A folder of its own under the system's temporary folder, removed at the end.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::random_device rd;
    path_ = std::filesystem::temp_directory_path() /
            ("quarnel-test-" + std::to_string(rd()) + std::to_string(rd()));
    std::filesystem::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace quarnel::dataapi::testing
