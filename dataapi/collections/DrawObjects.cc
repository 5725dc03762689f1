#include "dataapi/DrawObjects.h"

#include "dataapi/collections/ChannelRun.h"
#include "dataapi/collections/Snapshot.h"
#include "dataapi/table/KeyText.h"
#include "platform/base/Error.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <vector>

namespace quarnel::dataapi {
namespace {

enum Column : int32_t {
  kKey = 0,
  kNetwork,
  kDevice,
  kChannel,
  kX1,
  kX2,
  kY1,
  kY2,
  kArcStart,
  kArcEnd,
  kRadius,
  kAspect,
  kStyle,
  kColumnCount,
};
constexpr int32_t kPageSize = 65535;
// Geometry: the columns from X1 on.
constexpr int32_t kGeometryColumns = kColumnCount - kX1;

}  // namespace

Ref<DrawObjects> DrawObjects::Create() { return MakeRef<DrawObjects>(); }

DrawObjects::DrawObjects() : table_(DataTable::Create()) {
  std::vector<int32_t> widths(kColumnCount, 4);
  std::vector<TableDataType> types(kColumnCount, dataLong);
  widths[kKey] = 2 * kKeyLength;
  types[kKey] = dataUnicodeString;
  table_->SetupTable(widths, types, kPageSize);
}

int32_t DrawObjects::Network(int32_t index) const { return table_->LongData(kNetwork, index); }
int32_t DrawObjects::Device(int32_t index) const { return table_->LongData(kDevice, index); }
int32_t DrawObjects::Channel(int32_t index) const { return table_->LongData(kChannel, index); }
int32_t DrawObjects::X1(int32_t index) const { return table_->LongData(kX1, index); }
int32_t DrawObjects::X2(int32_t index) const { return table_->LongData(kX2, index); }
int32_t DrawObjects::Y1(int32_t index) const { return table_->LongData(kY1, index); }
int32_t DrawObjects::Y2(int32_t index) const { return table_->LongData(kY2, index); }
double DrawObjects::ArcStart(int32_t index) const { return Thousandths(kArcStart, index); }
double DrawObjects::ArcEnd(int32_t index) const { return Thousandths(kArcEnd, index); }
double DrawObjects::Aspect(int32_t index) const { return Thousandths(kAspect, index); }
int32_t DrawObjects::Radius(int32_t index) const { return table_->LongData(kRadius, index); }
int32_t DrawObjects::Style(int32_t index) const { return table_->LongData(kStyle, index); }
void DrawObjects::SetX1(int32_t index, int32_t value) { table_->SetLongData(kX1, index, value); }
void DrawObjects::SetX2(int32_t index, int32_t value) { table_->SetLongData(kX2, index, value); }
void DrawObjects::SetY1(int32_t index, int32_t value) { table_->SetLongData(kY1, index, value); }
void DrawObjects::SetY2(int32_t index, int32_t value) { table_->SetLongData(kY2, index, value); }
void DrawObjects::SetArcStart(int32_t index, double value) {
  SetThousandths(kArcStart, index, value, "DrawObjects.ArcStart");
}
void DrawObjects::SetArcEnd(int32_t index, double value) {
  SetThousandths(kArcEnd, index, value, "DrawObjects.ArcEnd");
}
void DrawObjects::SetAspect(int32_t index, double value) {
  SetThousandths(kAspect, index, value, "DrawObjects.Aspect");
}
void DrawObjects::SetRadius(int32_t index, int32_t value) {
  table_->SetLongData(kRadius, index, value);
}
void DrawObjects::SetStyle(int32_t index, int32_t value) {
  table_->SetLongData(kStyle, index, value);
}

double DrawObjects::Thousandths(int32_t column, int32_t index) const {
  return table_->LongData(column, index) / 1000.0;
}

void DrawObjects::SetThousandths(int32_t column, int32_t index, double value, const char* source) {
  // Finer fractions are cut toward minus infinity (1.2345 -> 1.234, -0.0005 -> -0.001),
  // but a whole number of thousandths keeps it: its product with 1000 may come out a
  // hair below the whole number (1.005 x 1000 = 1004.9999999999999), so the floor is
  // taken a little above it, by 1e-7 or, for large values, a few units of the last place.
  const double scaled = value * 1000;
  const double tolerance = std::max(1e-7, std::fabs(scaled) * 4 * DBL_EPSILON);
  const double stored = std::floor(scaled + tolerance);
  if (!(stored >= -2147483648.0 && stored <= 2147483647.0)) throw Error::Overflow(source);
  table_->SetLongData(column, index, static_cast<int32_t>(stored));
}

int32_t DrawObjects::GetBounds() const noexcept { return table_->GetBounds(); }

int32_t DrawObjects::Add(int32_t network, int32_t device, int32_t channel) {
  KeyBuffer key(network, device, channel);
  // A cut key would break the order of the table.
  if (key.Length() > kKeyLength) return -1;
  int32_t q = 0;
  if (table_->GetBounds() < 0) {
    table_->Clear();
  } else {
    q = channel_run::InsertPlace(*table_, kKey, network, device, channel);
  }
  q = table_->InsertRows(q, 1);
  std::memset(table_->RowPointer(q), 0, static_cast<size_t>(table_->RowWidth()));
  table_->SetStringData(kKey, q, key.View());
  table_->SetLongData(kNetwork, q, network);
  table_->SetLongData(kDevice, q, device);
  table_->SetLongData(kChannel, q, channel);
  return q;
}

void DrawObjects::Remove(int32_t index) {
  if (index < 0 || index > table_->GetBounds()) return;
  table_->DeleteRows(index, 1);
}

int32_t DrawObjects::FindBegin(int32_t network, int32_t device, int32_t channel) const {
  return channel_run::Begin(*table_, kKey, network, device, channel);
}

int32_t DrawObjects::FindEnd(int32_t network, int32_t device, int32_t channel) const {
  return channel_run::End(*table_, kKey, network, device, channel);
}

void DrawObjects::RemoveGroup(int32_t network, int32_t device, int32_t channel) {
  channel_run::Remove(*table_, kKey, network, device, channel);
}

int32_t DrawObjects::MoveGroup(int32_t src_network, int32_t src_device, int32_t src_channel,
                               int32_t dest_network, int32_t dest_device, int32_t dest_channel) {
  int32_t b = FindBegin(src_network, src_device, src_channel);
  int32_t e = FindEnd(src_network, src_device, src_channel);
  if (b < 0 || e < b) return -1;
  KeyBuffer dest_key(dest_network, dest_device, dest_channel);
  if (dest_key.Length() > kKeyLength) return -1;
  const int32_t n = e - b + 1;
  const size_t geometry_offset = static_cast<size_t>(table_->ColumnOffset(kX1));
  const size_t geometry_bytes = 4 * kGeometryColumns;
  std::vector<uint8_t> geometry(geometry_bytes * n);
  for (int32_t i = 0; i < n; ++i) {
    std::memcpy(geometry.data() + i * geometry_bytes, table_->RowPointer(b + i) + geometry_offset,
                geometry_bytes);
  }
  table_->DeleteRows(b, n);
  int32_t q = table_->InsertRows(
      channel_run::InsertPlace(*table_, kKey, dest_network, dest_device, dest_channel), n);
  for (int32_t i = 0; i < n; ++i) {
    table_->SetStringData(kKey, q + i, dest_key.View());
    table_->SetLongData(kNetwork, q + i, dest_network);
    table_->SetLongData(kDevice, q + i, dest_device);
    table_->SetLongData(kChannel, q + i, dest_channel);
    std::memcpy(table_->RowPointer(q + i) + geometry_offset, geometry.data() + i * geometry_bytes,
                geometry_bytes);
  }
  return q;
}

Ref<DrawObjects> DrawObjects::Clone() const {
  Ref<DrawObjects> copy = Create();
  copy->ReplaceTable(*table_);
  return copy;
}

void DrawObjects::ReplaceTable(const DataTable& table) { table_ = table.Clone(); }

std::u16string DrawObjects::UndoData() const { return SnapshotOrEmpty(*table_); }

void DrawObjects::SetUndoData(std::u16string_view value) {
  RestoreSnapshot(table_, value);
  events_.Raise(*this, [](DrawObjectsEvents& sink) { sink.Refresh(); });
}

}  // namespace quarnel::dataapi
