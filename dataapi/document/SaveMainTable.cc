// Save, the sequence file itself: the version fields and the one-row main table that
// carries the stored values and the cache images.
#include "dataapi/document/SaveSteps.h"
#include "platform/fs/WholeFile.h"
#include "platform/recordset/Recordset.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace quarnel::dataapi {
namespace {

constexpr int32_t kTextSize = 1024;

int32_t ToInt32OrOverflow(double value) {
  const double r = std::nearbyint(value);
  if (!(r >= INT32_MIN && r <= INT32_MAX)) throw Error::Overflow(kSaveSource);
  return static_cast<int32_t>(r);
}

Value TextValue(const Recordset& rs, std::u16string_view text) {
  return Value::Bytes(rs.CodePage().FromUtf16(text, kSaveSource));
}

}  // namespace

VersionFields SplitVersion(double version) {
  if (!std::isfinite(version)) throw Error::Overflow(kSaveSource);
  const double whole = std::floor(version);
  const int32_t major = ToInt32OrOverflow(whole);
  // The fraction as it prints, fifteen significant digits at most, without its points.
  char printed[40];
  std::snprintf(printed, sizeof printed, "%.15g", version - whole);
  std::string digits;
  for (const char* p = printed; *p != '\0'; ++p) {
    if (*p != '.') digits += *p;
  }
  char* end = nullptr;
  errno = 0;
  const double value = std::strtod(digits.c_str(), &end);
  if (end == digits.c_str() || *end != '\0' || errno == ERANGE) throw Error::Overflow(kSaveSource);
  return {major, ToInt32OrOverflow(value)};
}

std::unique_ptr<Recordset> MakeMainTable(const SavedImages& images) {
  auto rs = std::make_unique<Recordset>();
  rs->SetCursorLocation(CursorLocationEnum::adUseClient);
  Fields& f = rs->Fields();
  auto text = [&](const char* name, size_t size) {
    f.Append(name, DataTypeEnum::adVarChar, static_cast<int64_t>(size), adFldUnspecified);
  };
  auto long_text = [&](const char* name, size_t size) {
    f.Append(name, DataTypeEnum::adLongVarChar, static_cast<int64_t>(size), adFldUnspecified);
  };
  auto integer = [&](const char* name) {
    f.Append(name, DataTypeEnum::adInteger, 0, adFldUnspecified);
  };
  text("name", kTextSize);
  text("title", kTextSize);
  text("author", kTextSize);
  text("avfile", kTextSize);
  text("picture", kTextSize);
  text("toolconfig", images.tools.size());
  text("toolhistory", images.history.size());
  for (const char* name : {"editcount", "height", "width", "top", "left", "length", "extensions"}) {
    integer(name);
  }
  long_text("events", images.timeline.size());
  long_text("channels", images.channels.size());
  long_text("vectorgraphics", images.drawing.size());
  long_text("data", images.data.size());
  text("alternatemediafile", kTextSize);
  integer("imagebrightness");
  integer("filemajorversion");
  integer("fileminorversion");
  rs->Open();
  return rs;
}

void FillMainTable(Recordset& rs, const File& doc, std::u16string_view stored_name,
                   const SavedImages& images) {
  Ref<Events> events = doc.Events();
  if (!events) throw Error::ObjectNotSet(kSaveSource);
  rs.AddNew();
  rs.SetValue("name", TextValue(rs, stored_name));
  rs.SetValue("title", TextValue(rs, doc.Title()));
  rs.SetValue("author", TextValue(rs, doc.Author()));
  rs.SetValue("avfile", TextValue(rs, doc.AVFile()));
  rs.SetValue("picture", TextValue(rs, doc.Picture()));
  rs.SetValue("toolconfig", Value::Bytes(images.tools));
  rs.SetValue("toolhistory", Value::Bytes(images.history));
  const VersionFields version = SplitVersion(doc.Version());
  rs.SetValue("filemajorversion", Value(version.major));
  rs.SetValue("fileminorversion", Value(version.minor));
  rs.SetValue("editcount", Value(doc.EditCount()));
  rs.SetValue("height", Value(doc.Height()));
  rs.SetValue("width", Value(doc.Width()));
  rs.SetValue("top", Value(doc.Top()));
  rs.SetValue("left", Value(doc.Left()));
  rs.SetValue("length", Value(doc.Length()));
  rs.SetValue("extensions", Value(events->MaxSetting() + 1));
  rs.SetValue("events", Value::Bytes(images.timeline));
  rs.SetValue("channels", Value::Bytes(images.channels));
  rs.SetValue("vectorgraphics", Value::Bytes(images.drawing));
  rs.SetValue("data", Value::Bytes(images.data));
  rs.SetValue("alternatemediafile", TextValue(rs, doc.AlternateMediaFile()));
  rs.SetValue("imagebrightness", Value(doc.ImageBrightness()));
}

bool FileExists(const std::filesystem::path& path) noexcept {
  std::error_code ec;
  const std::filesystem::file_status status = std::filesystem::status(path, ec);
  return !ec && std::filesystem::exists(status) && !std::filesystem::is_directory(status);
}

std::string ReadCacheText(const std::filesystem::path& path) {
  if (!FileExists(path)) return {};
  return platform::ReadWholeFile(path, kSaveSource);
}

}  // namespace quarnel::dataapi
