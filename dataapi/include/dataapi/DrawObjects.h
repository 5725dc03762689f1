// DrawObjects: the vector drawing of a sequence's display.
//
// Each object (line, arc, other shape) belongs to one channel address; the objects of
// all channels live in one table sorted by address, a channel's objects together in
// the order they were added. ArcStart, ArcEnd and Aspect are kept in thousandths:
// a put stores floor(value x 1000), so 1.2345 reads back 1.234 and -0.0005 as -0.001,
// while a value that is a whole number of thousandths (1.005) keeps it exactly; a value
// read back puts back unchanged.
//
// Refusals give -1 or do nothing, never an error: an index outside the table, a channel
// without objects, an address whose key would not fit its 10 characters. A fraction put
// whose thousandths leave the 32-bit range raises 6. Only the UndoData put raises an
// event (Refresh).
#pragma once

#include "dataapi/CollectionEvents.h"
#include "dataapi/DataTable.h"
#include "dataapi/Identity.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace quarnel::dataapi {

class DrawObjects : public RefCounted {
 public:
  static constexpr const Guid& kClsid = kClsidDrawObjects;
  static constexpr const Guid& kIid = kIidDrawObjects;
  static constexpr int32_t kKeyLength = 10;

  // An empty drawing.
  static Ref<DrawObjects> Create();

  // --- Fields of object index; outside the table gets read 0 and puts are ignored.
  // The address is read-only.
  int32_t Network(int32_t index) const;
  int32_t Device(int32_t index) const;
  int32_t Channel(int32_t index) const;
  int32_t X1(int32_t index) const;
  int32_t X2(int32_t index) const;
  int32_t Y1(int32_t index) const;
  int32_t Y2(int32_t index) const;
  double ArcStart(int32_t index) const;
  double ArcEnd(int32_t index) const;
  double Aspect(int32_t index) const;
  int32_t Radius(int32_t index) const;
  int32_t Style(int32_t index) const;
  void SetX1(int32_t index, int32_t value);
  void SetX2(int32_t index, int32_t value);
  void SetY1(int32_t index, int32_t value);
  void SetY2(int32_t index, int32_t value);
  void SetArcStart(int32_t index, double value);
  void SetArcEnd(int32_t index, double value);
  void SetAspect(int32_t index, double value);
  void SetRadius(int32_t index, int32_t value);
  void SetStyle(int32_t index, int32_t value);

  // --- Collection operations.

  // The last index, -1 when empty.
  int32_t GetBounds() const noexcept;
  // Adds an object behind the channel's others, its geometry 0; its index, or -1 when
  // the address key would not fit 10 characters.
  int32_t Add(int32_t network, int32_t device, int32_t channel);
  void Remove(int32_t index);
  void RemoveGroup(int32_t network, int32_t device, int32_t channel);
  // Moves a channel's objects to another address, behind any it already has; the index
  // of the first moved object, or -1.
  int32_t MoveGroup(int32_t src_network, int32_t src_device, int32_t src_channel,
                    int32_t dest_network, int32_t dest_device, int32_t dest_channel);
  // The channel's first and last objects, or -1.
  int32_t FindBegin(int32_t network, int32_t device, int32_t channel) const;
  int32_t FindEnd(int32_t network, int32_t device, int32_t channel) const;
  Ref<DrawObjects> Clone() const;
  std::u16string UndoData() const;
  // Restores a snapshot, then raises Refresh; a string that is no DrawObjects snapshot
  // leaves the drawing unchanged.
  void SetUndoData(std::u16string_view value);

  // --- Events.
  uint32_t Advise(Ref<DrawObjectsEvents> sink) { return events_.Advise(std::move(sink)); }
  bool Unadvise(uint32_t cookie) { return events_.Unadvise(cookie); }

  // --- Library use.
  const DataTable& Table() const { return *table_; }
  void ReplaceTable(const DataTable& table);

 private:
  friend Ref<DrawObjects> MakeRef<DrawObjects>();
  DrawObjects();

  double Thousandths(int32_t column, int32_t index) const;
  void SetThousandths(int32_t column, int32_t index, double value, const char* source);

  Ref<DataTable> table_;
  EventSource<DrawObjectsEvents> events_;
};

}  // namespace quarnel::dataapi
