#include "dataapi/document/FileArguments.h"

#include "platform/base/Error.h"

#include <exception>
#include <string>

namespace quarnel::dataapi {
namespace {

constexpr int32_t kInvalidProcedureCall = 5;

}  // namespace

void CheckFileType(FileType file_type, const char* source) {
  if (file_type == FileTypeDLS || file_type == FileTypeFastDLS || file_type == FileTypeBAK) return;
  throw Error(kInvalidProcedureCall,
              "Invalid procedure call or argument (file type " +
                  std::to_string(static_cast<int32_t>(file_type)) +
                  " is none of FileTypeDLS, FileTypeFastDLS and FileTypeBAK)",
              source);
}

std::optional<std::filesystem::path> PathFromName(std::u16string_view file_name) {
  try {
    return std::filesystem::path(std::u16string(file_name));
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

}  // namespace quarnel::dataapi
