#include "platform/fs/WholeFile.h"

#include "platform/fs/FileErrors.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <system_error>

namespace quarnel::platform {

std::string ReadWholeFile(const std::filesystem::path& path, const char* source) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    throw FileAccessError(source, path, "it is a folder");
  }
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) throw FileAccessError(source, path, std::strerror(errno));
  const std::streamoff size = in.tellg();
  if (size < 0) throw FileAccessError(source, path, "its size is unknown");
  std::string data(static_cast<size_t>(size), '\0');
  in.seekg(0);
  in.read(data.data(), size);
  if (in.gcount() != size) throw FileAccessError(source, path, "it could not be read whole");
  return data;
}

void WriteWholeFile(const std::filesystem::path& path, std::string_view bytes, const char* source) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) throw FileAccessError(source, path, std::strerror(errno));
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.flush();
  if (!out) throw FileAccessError(source, path, std::strerror(errno));
}

void DeleteFileQuietly(const std::filesystem::path& path) noexcept {
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored)) return;
  std::filesystem::remove(path, ignored);
}

}  // namespace quarnel::platform
