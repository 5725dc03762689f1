// Load, opening a sequence file: its one-row main table read into the document's stored
// values and the byte images it carries.
#include "dataapi/document/LoadSteps.h"
#include "dataapi/document/RowReader.h"
#include "platform/recordset/Recordset.h"
#include "platform/recordset/RecordsetErrors.h"

#include <charconv>
#include <string>

namespace quarnel::dataapi {
namespace {

constexpr char kMainTable[] = "the sequence file";

// The major number plus the decimal fraction written with the minor number's digits:
// 2 and 5 give 2.5, 2 and 25 give 2.25, 2 and 0 give 2. A negative minor number has no
// such digits: the major number alone is the version, and the file loads.
double VersionOf(int32_t major, int32_t minor) {
  if (minor < 0) return major;
  const std::string fraction = "0." + std::to_string(minor);
  double value = 0;
  std::from_chars(fraction.data(), fraction.data() + fraction.size(), value);
  return major + value;
}

}  // namespace

SequenceImages ReadMainTable(File& doc, const std::filesystem::path& path,
                             std::u16string_view file_name, FileType file_type) {
  Recordset rs;
  rs.SetCursorLocation(CursorLocationEnum::adUseClient);
  rs.Open(path);
  if (rs.Eof()) {
    throw WithContext(recordset_errors::NoCurrentRecord(kLoadSource),
                      std::string(kMainTable) + " holds no row");
  }
  const RowReader row(rs, kMainTable, kLoadSource);
  SequenceImages images;
  images.extensions = row.Int("extensions");

  if (file_type == FileTypeBAK) {
    doc.SetName(row.Text("name"));
  } else {
    doc.SetName(file_name);
  }
  doc.SetTitle(row.Text("title"));
  doc.SetAuthor(row.Text("author"));
  doc.SetAVFile(row.Text("avfile"));
  doc.SetPicture(u"");
  if (row.Has("picture")) doc.SetPicture(row.Text("picture"));

  if (row.Has("version")) doc.SetVersion(row.Number("version"));
  if (row.Has("filemajorversion")) {
    const int32_t major = row.Int("filemajorversion");
    doc.SetVersion(VersionOf(major, row.Int("fileminorversion")));
  }

  doc.SetEditCount(row.Int("editcount"));
  doc.SetHeight(row.Int("height"));
  doc.SetWidth(row.Int("width"));
  doc.SetTop(row.Int("top"));
  doc.SetLeft(row.Int("left"));
  doc.SetLength(row.Int("length"));

  doc.SetAlternateMediaFile(u"");
  if (row.Has("alternatemediafile")) doc.SetAlternateMediaFile(row.Text("alternatemediafile"));
  doc.SetImageBrightness(File::kDefaultImageBrightness);
  if (row.Has("imagebrightness")) doc.SetImageBrightness(row.Int("imagebrightness"));

  images.timeline = row.Bytes("events");
  images.channels = row.Bytes("channels");
  images.data = row.Bytes("data");
  images.tools = row.Bytes("toolconfig");
  images.history = row.Bytes("toolhistory");
  if (row.Has("vectorgraphics")) images.drawing = row.Bytes("vectorgraphics");
  return images;
}

}  // namespace quarnel::dataapi
