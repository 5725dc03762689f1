#include "platform/recordset/RecordsetFile.h"

#include "platform/base/PathText.h"
#include "platform/fs/ReplacingFile.h"
#include "platform/recordset/RecordsetErrors.h"
#include "platform/recordset/adtg/AdtgReader.h"
#include "platform/recordset/adtg/AdtgWriter.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <string>
#include <system_error>

namespace quarnel {
namespace {

std::string Describe(const std::filesystem::path& path, const std::string& what) {
  return "\"" + platform::Utf8FromPath(path) + "\": " + what;
}

std::string ReadWholeFile(const std::filesystem::path& path, const char* source) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    throw recordset_errors::OpeningFile(source, Describe(path, "it is a folder"));
  }
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) throw recordset_errors::OpeningFile(source, Describe(path, std::strerror(errno)));
  const std::streamoff size = in.tellg();
  if (size < 0) throw recordset_errors::ReadFile(source, Describe(path, "its size is unknown"));
  std::string data(static_cast<size_t>(size), '\0');
  in.seekg(0);
  in.read(data.data(), size);
  if (in.gcount() != size) {
    throw recordset_errors::ReadFile(source, Describe(path, "it could not be read whole"));
  }
  return data;
}

}  // namespace

RecordTable LoadTableFile(const std::filesystem::path& path, const char* source) {
  const std::string data = ReadWholeFile(path, source);
  try {
    adtg::AdtgReadOptions options;
    options.keep_deleted = false;
    return std::move(adtg::ReadAdtg(data, options).table);
  } catch (const adtg::AdtgFormatError& e) {
    throw recordset_errors::ReadFile(source,
                                     Describe(path, "not a saved table: " + e.Description()));
  }
}

void SaveTableFile(const RecordTable& table, const std::filesystem::path& path, SavedRows rows,
                   const char* source) {
  const std::string bytes = adtg::WriteAdtg(table, rows);
  try {
    platform::ReplacingFile out(path);
    out.Write(bytes);
    out.Commit();
  } catch (const std::system_error& e) {
    throw recordset_errors::WriteFile(source, Describe(path, e.code().message()));
  }
}

}  // namespace quarnel
