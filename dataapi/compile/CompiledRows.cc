#include "dataapi/compile/CompiledRows.h"

#include "dataapi/RampCalc.h"
#include "dataapi/collections/EventRow.h"
#include "platform/base/Error.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace quarnel::dataapi::compile {
namespace {

using R = WorkingRow;

bool FadesWhenLevelsDiffer(int32_t command) {
  return command == -37 || command == -36 || command == 36 || command == 37 || command == 38;
}

WorkingRow StepRow(const WorkingRow& fade, int64_t at, int32_t level) {
  WorkingRow step;
  step.f[R::kSample] = static_cast<int32_t>(at);
  step.f[R::kNetwork] = fade.f[R::kNetwork];
  step.f[R::kDevice] = fade.f[R::kDevice];
  step.f[R::kChannel] = fade.f[R::kChannel];
  step.f[R::kCommand] = -33;
  step.f[R::kStart] = step.f[R::kEnd] = level;
  return step;
}

}  // namespace

WorkingRow RowOfEvent(const EventRecord& e, int32_t event_length) {
  WorkingRow row;
  row.f[R::kSample] = e.sample_number;
  row.f[R::kNetwork] = e.network;
  row.f[R::kDevice] = e.device;
  row.f[R::kChannel] = e.channel;
  row.f[R::kCommand] = e.command;
  row.f[R::kStart] = e.start_intensity;
  row.f[R::kEnd] = e.end_intensity;
  row.f[R::kSetting0] = e.settings[0];
  bool ramp = false;
  if (FadesWhenLevelsDiffer(e.command)) {
    ramp = e.start_intensity != e.end_intensity;
  } else if (e.command == 34 || e.command == -34) {
    ramp = true;
    if (event_length < kShortFadeLimit) {
      row.f[R::kCommand] = e.command > 0 ? kShortFadeOffset + 34 : -(kShortFadeOffset + 34);
    }
  }
  if (ramp) {
    RampIntervals intervals = CalcRampIntervals(event_length);
    row.f[R::kShort] = intervals.first;
    row.f[R::kLong] = intervals.second;
  }
  return row;
}

void AppendStepRows(const WorkingRow& fade, int32_t event_length, std::vector<WorkingRow>& rows) {
  const int64_t t = fade.f[R::kSample];
  const int32_t a = fade.f[R::kStart];
  const int32_t b = fade.f[R::kEnd];
  auto step = [&](int32_t after, int32_t level) {
    if (t + after <= INT32_MAX) rows.push_back(StepRow(fade, t + after, level));
  };
  if (event_length <= kSecondStepAfter) {
    step(kFirstStepAfter, std::max(a, b));
    return;
  }
  step(kFirstStepAfter, a);
  const double middle = (static_cast<double>(a) - b) / 2 + b;
  step(kSecondStepAfter, static_cast<int32_t>(std::nearbyint(middle)));
  if (event_length > kThirdStepAfter) step(kThirdStepAfter, b);
}

std::vector<WorkingRow> WorkingRows(const Events& events, ProgressTracker& progress) {
  const int32_t last = events.GetBounds();
  const DataTable& table = events.Table();
  std::vector<WorkingRow> rows;
  rows.reserve(static_cast<size_t>(last + 1) + (static_cast<size_t>(last + 1) >> 3));
  for (int32_t i = 0; i <= last; ++i) {
    const uint8_t* here = table.RowPointer(i);
    const EventRecord e = event_row::Read(here);
    // The samples to the channel's next event; 1 for its last.
    int64_t length = 1;
    if (i < last) {
      const uint8_t* next = table.RowPointer(i + 1);
      if (event_row::ReadLong(next, event_row::kNetwork) == e.network &&
          event_row::ReadLong(next, event_row::kDevice) == e.device &&
          event_row::ReadLong(next, event_row::kChannel) == e.channel) {
        length = static_cast<int64_t>(event_row::ReadLong(next, event_row::kSampleNumber)) -
                 e.sample_number;
        if (length > INT32_MAX) throw Error::Overflow("Events.EventLength");
      }
    }
    const WorkingRow row = RowOfEvent(e, static_cast<int32_t>(length));
    rows.push_back(row);
    if (std::abs(static_cast<int64_t>(row.f[R::kCommand])) > kShortFadeOffset) {
      AppendStepRows(row, static_cast<int32_t>(length), rows);
    }
    if (i % 1000 == 0) progress.Advance(ProgressPercent(i, last, 99));
  }
  return rows;
}

std::vector<CompiledRecord> MergeChannels(std::vector<WorkingRow> rows) {
  // Rows equal in every sort field are equal in every field, so the order among them
  // does not matter and an unstable sort gives the same records as a stable one.
  std::sort(rows.begin(), rows.end());
  std::vector<CompiledRecord> records;
  size_t i = 0;
  while (i < rows.size()) {
    const WorkingRow& first = rows[i];
    CompiledRecord r;
    r.sample_number = first.f[R::kSample];
    r.network = first.f[R::kNetwork];
    r.device = first.f[R::kDevice];
    r.command = first.f[R::kCommand];
    r.start_intensity = first.f[R::kStart];
    r.end_intensity = first.f[R::kEnd];
    r.short_interval = first.f[R::kShort];
    r.long_interval = first.f[R::kLong];
    r.setting0 = first.f[R::kSetting0];
    uint32_t mask = 0;
    for (; i < rows.size() &&
           std::equal(first.f.begin(), first.f.begin() + R::kChannel, rows[i].f.begin());
         ++i) {
      const int32_t channel = rows[i].f[R::kChannel];
      if (channel >= 1 && channel <= 16) mask |= 1u << (channel - 1);
    }
    r.channel_mask = static_cast<int32_t>(mask);
    records.push_back(r);
  }
  return records;
}

}  // namespace quarnel::dataapi::compile
