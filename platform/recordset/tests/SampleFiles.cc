#include "platform/recordset/tests/SampleFiles.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace quarnel::testing {

std::vector<std::filesystem::path> AllSampleTables() {
  std::vector<std::filesystem::path> out;
  for (const auto& e : std::filesystem::recursive_directory_iterator(SampleDir())) {
    const auto ext = e.path().extension();
    if (ext == ".adtg" || ext == ".tg") out.push_back(e.path());
  }
  std::sort(out.begin(), out.end());
  if (out.empty()) throw std::runtime_error("no sample tables in " + SampleDir().string());
  return out;
}

std::string ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + path.string());
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace quarnel::testing
