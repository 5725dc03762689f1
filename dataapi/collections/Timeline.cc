#include "dataapi/Timeline.h"

#include "dataapi/collections/Snapshot.h"
#include "dataapi/table/KeyText.h"

#include <vector>

namespace quarnel::dataapi {
namespace {

constexpr int32_t kKeyColumn = 0;
constexpr int32_t kSampleColumn = 1;
constexpr int32_t kPageSize = 65535;

}  // namespace

Ref<Timeline> Timeline::Create() { return MakeRef<Timeline>(); }

Timeline::Timeline() : table_(DataTable::Create()) {
  const int32_t widths[] = {2 * kKeyLength, 4};
  const TableDataType types[] = {dataUnicodeString, dataLong};
  table_->SetupTable(widths, types, kPageSize);
}

int32_t Timeline::SampleNumber(int32_t index) const {
  return table_->LongData(kSampleColumn, index);
}

void Timeline::SetSampleNumber(int32_t index, int32_t value) {
  int32_t last = table_->GetBounds();
  if (index < 1 || index > last - 1) return;
  KeyBuffer key(value);
  if (key.Length() > kKeyLength) return;
  // Both neighbours are compared, the first and last markers too, so the order and the
  // uniqueness of the markers always hold.
  if (SampleNumber(index - 1) >= value || SampleNumber(index + 1) <= value) return;
  table_->SetLongData(kSampleColumn, index, value);
  table_->SetStringData(kKeyColumn, index, key.View());
}

int32_t Timeline::Add(int32_t sample_number) {
  KeyBuffer key(sample_number);
  if (key.Length() > kKeyLength) return -1;
  if (table_->IndexSeek(kKeyColumn, key.View(), FindFirstExact) >= 0) return -1;
  int32_t q = table_->IndexSeek(kKeyColumn, key.View(), FindRightAfter);
  if (q < 0) q = table_->GetBounds() + 1;
  q = table_->InsertRows(q, 1);
  table_->SetStringData(kKeyColumn, q, key.View());
  table_->SetLongData(kSampleColumn, q, sample_number);
  return q;
}

int32_t Timeline::GetBounds() const noexcept { return table_->GetBounds(); }

void Timeline::Remove(int32_t index) {
  if (index < 0 || index > table_->GetBounds()) return;
  table_->DeleteRows(index, 1);
}

int32_t Timeline::FindLeft(int32_t sample_number) const {
  return table_->IndexSeek(kKeyColumn, KeyBuffer(sample_number).View(), FindLeftOrEqual);
}

int32_t Timeline::FindRight(int32_t sample_number) const {
  return table_->IndexSeek(kKeyColumn, KeyBuffer(sample_number).View(), FindRightAfter);
}

Ref<Timeline> Timeline::Clone() const {
  Ref<Timeline> copy = Create();
  copy->ReplaceTable(*table_);
  return copy;
}

void Timeline::ReplaceTable(const DataTable& table) { table_ = table.Clone(); }

std::u16string Timeline::UndoData() const { return SnapshotOrEmpty(*table_); }

void Timeline::SetUndoData(std::u16string_view value) {
  RestoreSnapshot(table_, value);
  events_.Raise(*this, [](TimelineEvents& sink) { sink.Refresh(); });
}

}  // namespace quarnel::dataapi
