// Decomposer: compiled playback records back into one editable event per channel.
//
// The document hands over its records and a host through which the decomposer raises
// the document's events and reaches its Events. Every record with a positive command
// becomes one event for each channel its mask names (ReadCompiledEvent); the records
// that compiling made (command 0 or negative) give nothing. The events then replace all
// those of the document's Events in one bulk step, where of two events with one address
// and sample the one from the earlier record stays.
//
// The records are only read. Nothing is trapped: an error ends the run where it happens.
#pragma once

#include "dataapi/CompiledRecord.h"
#include "dataapi/Events.h"
#include "dataapi/compile/ComposeProgress.h"

#include <memory>
#include <span>
#include <string_view>

namespace quarnel {
class Recordset;
}

namespace quarnel::dataapi::compile {

inline constexpr std::u16string_view kStatusDecompiling = u"Decompiling Data For Editing";

// What the decomposer needs from the document beyond its records.
class DecomposeHost {
 public:
  virtual ~DecomposeHost() = default;
  virtual void StatusChange(std::u16string_view text) = 0;
  virtual void Progress(double percent) = 0;
  // The collection the events go to, asked for once they are all expanded (a progress
  // handler may have replaced it). Raises 91 when the document has none.
  virtual Ref<Events> TargetEvents() = 0;
};

// Raises kStatusDecompiling, expands the records and hands the events to TargetEvents.
void Decompose(std::span<const CompiledRecord> records, DecomposeHost& host);

// An event table (MakeEventTable) holding one row per event the records stand for,
// sorted by network, device, channel and sample. Progress runs from 0 to 70 over the
// records and is raised when it has moved on by more than 10.
std::unique_ptr<Recordset> ExpandCompiledRecords(std::span<const CompiledRecord> records,
                                                 ProgressTracker& progress);

}  // namespace quarnel::dataapi::compile
