// Recordset: an in-memory table with typed, named fields, a cursor, a multi-field sort,
// and persistence to files in the Advanced Data TableGram format.
//
// Use: append fields while closed, Open() to get an empty writable table (or Open(path)
// to load a saved one), AddNew and set values, set Sort, then MoveFirst / MoveNext until
// Eof(). Rows added after Sort was set are visited in sort order as well; rows with equal
// keys are visited in the order they were added. Text is held as bytes and turned into
// characters only through CodePage (default 1252) by Field::Text / SetText.
//
// Errors are quarnel::Error with the recordset library's usual numbers (see
// RecordsetErrors.h). A Recordset is used from one thread.
#pragma once

#include "platform/base/CodePage.h"
#include "platform/recordset/Fields.h"
#include "platform/recordset/RecordTable.h"
#include "platform/recordset/RecordsetFile.h"
#include "platform/recordset/RowOrder.h"
#include "platform/recordset/Value.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace quarnel {

enum class CursorLocationEnum : int32_t { adUseServer = 2, adUseClient = 3 };
enum class PersistFormatEnum : int32_t { adPersistADTG = 0, adPersistXML = 1 };
enum class ObjectStateEnum : int32_t { adStateClosed = 0, adStateOpen = 1 };

class Recordset {
 public:
  Recordset();
  Recordset(const Recordset&) = delete;
  Recordset& operator=(const Recordset&) = delete;
  ~Recordset();

  // Settings. Only a client-side cursor exists; the location is kept for callers that ask.
  CursorLocationEnum CursorLocation() const { return cursor_location_; }
  void SetCursorLocation(CursorLocationEnum v) { cursor_location_ = v; }
  const quarnel::CodePage& CodePage() const { return code_page_; }
  void SetCodePage(const quarnel::CodePage& cp) { code_page_ = cp; }

  // Fields.
  quarnel::Fields& Fields() { return fields_; }
  const quarnel::Fields& Fields() const { return fields_; }

  // Opening and closing. Open() gives an empty writable table with the appended fields;
  // Open(path) loads a saved table, replacing the fields. Both raise the object-open
  // error when open; Open(path) raises file errors naming the path, and for a file that is
  // not a saved table the byte offset and what was expected there.
  void Open();
  void Open(const std::filesystem::path& path);
  void Close();
  ObjectStateEnum State() const {
    return open_ ? ObjectStateEnum::adStateOpen : ObjectStateEnum::adStateClosed;
  }

  // Saves every row, in the order added, to `path`: written beside it and renamed over
  // it, so that a failed save leaves the old file (or none) in place, never a part. Rows
  // added with AddNew are saved as pending inserts, rows opened from a file as committed
  // rows (see SavedRows).
  void Save(const std::filesystem::path& path,
            PersistFormatEnum format = PersistFormatEnum::adPersistADTG,
            SavedRows rows = SavedRows::kAsHeld) const;

  // Order and visibility. Sort: "a, b DESC"; "" for the order added. Filter: only
  // clearing ("") is supported.
  const std::string& Sort() const { return sort_text_; }
  void SetSort(std::string_view fields);
  const std::string& Filter() const { return filter_; }
  void SetFilter(std::string_view criteria);

  // Rows.
  int32_t RecordCount() const;
  void AddNew();  // a new row, every value empty, becomes the current row
  // Makes room for `rows` rows in all, so that adding up to that many moves nothing;
  // changes speed only.
  void Reserve(size_t rows);
  void Update();  // nothing to do: values are stored as they are set

  // Cursor.
  void MoveFirst();
  void MoveNext();
  bool Eof() const;
  bool Bof() const;

  // Values of the current row by field name (matched without regard to case).
  quarnel::Value Value(std::string_view field) const;
  void SetValue(std::string_view field, const quarnel::Value& value);

  // For Field and the file code.
  const RecordTable& Table() const { return table_; }
  size_t CurrentRow(const char* source) const;
  void SetCell(size_t col, const quarnel::Value& value, const char* source);
  void SetCellInt32(size_t col, int32_t v, const char* source);
  void AppendField(FieldDef def);

 private:
  void RequireOpen(const char* source) const;
  void BringOrderUpToDate();
  void NoteKeyChange(size_t row, size_t col);

  CursorLocationEnum cursor_location_ = CursorLocationEnum::adUseClient;
  quarnel::CodePage code_page_;
  quarnel::Fields fields_;
  RecordTable table_;
  bool open_ = false;

  std::string sort_text_;
  std::string filter_;
  RowOrder order_;

  // Cursor: the current row's number (kNoRow at BOF/EOF or before the first move) and its
  // position in the order, which is stale after AddNew until the next move.
  static constexpr size_t kNoRow = static_cast<size_t>(-1);
  size_t row_ = kNoRow;
  size_t pos_ = 0;
  bool pos_known_ = true;
  bool bof_ = true;
  bool eof_ = true;
};

}  // namespace quarnel
