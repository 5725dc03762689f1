#include "converter/SequenceNames.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace quarnel::converter {

namespace {

constexpr char kExtension[] = ".dls";
constexpr size_t kExtensionLength = sizeof kExtension - 1;

bool EndsWithExtension(const std::string& name) {
  if (name.size() < kExtensionLength) return false;
  return std::equal(name.end() - kExtensionLength, name.end(), kExtension, [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == b;
  });
}

}  // namespace

std::optional<std::filesystem::path> DmxSequenceName(const std::filesystem::path& source) {
  const std::string name = source.filename().string();
  if (!EndsWithExtension(name)) return std::nullopt;
  return source.parent_path() / (name.substr(0, name.size() - kExtensionLength) + "_DMX.dls");
}

std::filesystem::path ReportName(const std::filesystem::path& dmx_sequence) {
  std::filesystem::path report = dmx_sequence;
  return report.replace_extension(".txt");
}

}  // namespace quarnel::converter
