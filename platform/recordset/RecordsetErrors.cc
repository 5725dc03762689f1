#include "platform/recordset/RecordsetErrors.h"

#include <utility>

namespace quarnel::recordset_errors {
namespace {

Error Make(int32_t number, std::string description, std::string source, const std::string& detail) {
  if (!detail.empty()) description += " (" + detail + ")";
  return Error(number, std::move(description), std::move(source));
}

}  // namespace

Error InvalidUseOfNull(std::string source) {
  return Make(kInvalidUseOfNull, "Invalid use of Null", std::move(source), {});
}

Error OpeningFile(std::string source, const std::string& detail) {
  return Make(kOpeningFile, "File could not be opened.", std::move(source), detail);
}

Error ReadFile(std::string source, const std::string& detail) {
  return Make(kReadFile, "File could not be read.", std::move(source), detail);
}

Error WriteFile(std::string source, const std::string& detail) {
  return Make(kWriteFile, "Write to file failed.", std::move(source), detail);
}

Error NoCurrentRecord(std::string source) {
  return Make(kNoCurrentRecord,
              "Either BOF or EOF is True, or the current record has been deleted. Requested "
              "operation requires a current record.",
              std::move(source), {});
}

Error IllegalOperation(std::string source, const std::string& detail) {
  return Make(kIllegalOperation, "Operation is not allowed in this context.", std::move(source),
              detail);
}

Error ItemNotFound(std::string source, const std::string& detail) {
  return Make(kItemNotFound,
              "Item cannot be found in the collection corresponding to the requested name or "
              "ordinal.",
              std::move(source), detail);
}

Error ObjectInCollection(std::string source, const std::string& detail) {
  return Make(kObjectInCollection, "Object is already in collection. Cannot append.",
              std::move(source), detail);
}

Error ObjectClosed(std::string source) {
  return Make(kObjectClosed, "Operation is not allowed when the object is closed.",
              std::move(source), {});
}

Error ObjectOpen(std::string source) {
  return Make(kObjectOpen, "Operation is not allowed when the object is open.", std::move(source),
              {});
}

Error DataOverflow(std::string source, const std::string& detail) {
  return Make(kDataOverflow, "Data value is too large to be represented by the field data type.",
              std::move(source), detail);
}

}  // namespace quarnel::recordset_errors
