// Load of damaged sequence files. The first byte chooses what the rest becomes: the whole
// file, or one byte image inside an otherwise sound file (the timeline marks, the channel,
// drawing or tool tables, the playback data), and how it is loaded (full, playback or
// backup). A load may fail, with a quarnel::Error, but never crash or hang.
#include "dataapi/File.h"
#include "dataapi/tests/SequenceFiles.h"
#include "platform/base/Error.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace quarnel;
using namespace quarnel::dataapi;

const fs::path& Folder() {
  static const fs::path folder = [] {
    fs::path dir = fs::temp_directory_path() / ("fuzz-dls-load-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    ::setenv("QUARNEL_WORKSPACE", (dir / "workspace").c_str(), 1);
    return dir;
  }();
  return folder;
}

constexpr const char* kImages[] = {"events",     "channels",    "data",
                                   "toolconfig", "toolhistory", "vectorgraphics"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const fs::path path = Folder() / "input.dls";
  const auto type = static_cast<FileType>(data[0] % 3);
  const size_t target = (data[0] / 3) % 7;  // 6: the whole file
  const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  try {
    if (target == 6) {
      std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    } else {
      testing::SequenceFile file;
      file.SetText(kImages[target], bytes);
      file.Write(path);
    }
    Ref<File> doc = File::Create();
    doc->Load(path.u16string(), type);
  } catch (const Error&) {
    // Refused: what a damaged file should give.
  }
  return 0;
}
