#include "dataapi/tests/ComposeReference.h"

#include "dataapi/RampCalc.h"
#include "platform/recordset/Recordset.h"

#include <climits>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <string>

namespace quarnel::dataapi::testing {
namespace {

int32_t Round(double x) { return static_cast<int32_t>(std::nearbyint(x)); }

double Ratio(int64_t i, int64_t bound) {
  return bound == 0 ? 0.0 : static_cast<double>(i) / static_cast<double>(bound);
}

int32_t Level(int32_t component) { return Round(240 - component * 0.937254901960784); }

void ColourToIntensities(int32_t colour, int32_t& r, int32_t& g, int32_t& b) {
  r = Level(colour & 255);
  g = Level((colour >> 8) & 255);
  b = Level((colour >> 16) & 255);
}

void AddComponentEvent(Events& doc, Events& target, int32_t src, int32_t n, int32_t d, int32_t c,
                       int32_t a, int32_t b) {
  const int32_t s0 = doc.Setting(src, 0);
  const int32_t m = s0 & 6;
  int32_t command, flag = 0;
  if (m == 2) {
    command = -37;
    flag = s0 & 1;
  } else if (m == 4) {
    command = -36;
    flag = s0 & 1;
  } else {
    command = a != b ? -34 : -33;
  }
  const int32_t k = target.Add(n, d, c, doc.SampleNumber(src), false);
  if (k < 0) return;
  target.SetCommand(k, command);
  target.SetStartIntensity(k, a);
  target.SetEndIntensity(k, b);
  target.SetSetting(k, 0, flag);
}

const char* const kFields[] = {"SampleNumber", "Network",        "Device",       "Channel",
                               "Command",      "StartIntensity", "EndIntensity", "ShortInterval",
                               "LongInterval", "Setting0"};

struct Row {
  int32_t sample, network, device, channel, command, start, end, short_i, long_i, setting0;
};

void AddRow(Recordset& rs, const Row& r) {
  rs.AddNew();
  const int32_t values[] = {r.sample, r.network, r.device,  r.channel, r.command,
                            r.start,  r.end,     r.short_i, r.long_i,  r.setting0};
  for (int f = 0; f < 10; ++f) rs.SetValue(kFields[f], Value(values[f]));
}

int32_t Get(const Recordset& rs, const char* field) { return rs.Value(field).ToInt32("test"); }

}  // namespace

void ReferenceCompose(Events& ev, const Channels& chs, int32_t length,
                      std::vector<CompiledRecord>& compiled,
                      const std::filesystem::path& composed_path, compile::ComposeHost& host) {
  host.StatusChange(u"Compiling Data For Playback");

  // Colour parts: each event on an RGB channel split into its red, green and blue parts,
  // collected apart and then added one sample later, one Events.Add each.
  {
    Ref<Events> s = Events::Create();
    host.StatusChange(u"Compiling: RGB Data");
    host.Progress(0);
    int32_t last = 0;
    const int32_t bound = ev.GetBounds();
    for (int32_t i = 0; i <= bound; ++i) {
      const int32_t n = ev.Network(i), d = ev.Device(i), c = ev.Channel(i);
      const int32_t ch = chs.Find(n, d, c);
      if (ch != -1 && chs.DeviceType(ch) == 12) {
        const int32_t gd = chs.Setting(ch, 16), bd = chs.Setting(ch, 17);
        const int32_t gc = chs.Setting(ch, 18), bc = chs.Setting(ch, 19);
        int32_t rs = 240, gs = 240, bs = 240, re = 240, ge = 240, be = 240;
        if (ev.Command(i) == 38) {
          ColourToIntensities(ev.StartIntensity(i), rs, gs, bs);
          ColourToIntensities(ev.EndIntensity(i), re, ge, be);
        }
        AddComponentEvent(ev, *s, i, n, d, c, rs, re);
        AddComponentEvent(ev, *s, i, n, gd, gc, gs, ge);
        AddComponentEvent(ev, *s, i, n, bd, bc, bs, be);
      }
      if (i % 500 == 0) {
        const int32_t p = Round(Ratio(i, ev.GetBounds()) * 50);
        if (p > last + 10) {
          host.Progress(p);
          last = p;
        }
      }
    }
    host.SetAutoRefresh(false);
    for (int32_t j = 0; j <= s->GetBounds(); ++j) {
      // A part at the last possible sample has no sample after it.
      if (s->SampleNumber(j) != INT32_MAX) {
        const int32_t k =
            ev.Add(s->Network(j), s->Device(j), s->Channel(j), s->SampleNumber(j) + 1, false);
        if (k >= 0) {
          ev.SetCommand(k, s->Command(j));
          ev.SetStartIntensity(k, s->StartIntensity(j));
          ev.SetEndIntensity(k, s->EndIntensity(j));
          ev.SetSetting(k, 0, s->Setting(j, 0));
        }
      }
      if (j % 500 == 0) {
        const int32_t p = Round(Ratio(j, s->GetBounds()) * 50 + 49);
        if (p > last + 10) {
          host.Progress(p);
          last = p;
        }
      }
    }
    host.SetAutoRefresh(true);
    host.RefreshBookmark();

    // Refresh points: along the show the channels take turns, and one left dark for long
    // before and after the point is sent its state again; collected apart, then added
    // one Events.Add each.
    s = Events::Create();
    host.StatusChange(u"Compiling: Refresh Points");
    host.Progress(0);
    int32_t ch = 1;
    for (int64_t pos = 8820; pos <= length; pos += 2940) {
      const int32_t n = chs.Network(ch), d = chs.Device(ch), c = chs.Channel(ch);
      const int32_t l = ev.FindLeft(n, d, c, static_cast<int32_t>(pos));
      if (l >= 0 && ev.SampleNumber(l) < pos - 88200) {
        const int32_t r = ev.FindRight(n, d, c, static_cast<int32_t>(pos));
        if (r >= 0 && ev.SampleNumber(r) > pos + 176400) {
          if ((ev.Command(l) == 33 || ev.Command(l) == -33) && ev.StartIntensity(l) == 240) {
            const int32_t k = s->Add(n, d, c, static_cast<int32_t>(pos), false);
            if (k >= 0) {
              s->SetCommand(k, -33);
              s->SetStartIntensity(k, ev.StartIntensity(l));
              s->SetEndIntensity(k, ev.EndIntensity(l));
              s->SetSetting(k, 0, 0);
            }
          } else if (ev.Command(l) == 38 && ev.StartIntensity(l) == 0 &&
                     ev.EndIntensity(l) == ev.StartIntensity(l) && ev.Setting(l, 0) == 0) {
            const int32_t k = s->Add(n, d, c, static_cast<int32_t>(pos), false);
            if (k >= 0) {
              s->SetCommand(k, -40);
              s->SetStartIntensity(k, 0);
              s->SetEndIntensity(k, 0);
              s->SetSetting(k, 0, 0);
            }
          }
        }
      }
      ++ch;
      if (ch > chs.GetBounds()) ch = 1;
      const int32_t p = static_cast<int32_t>(std::floor(static_cast<double>(pos) / length * 50));
      if (p % 10 == 0 && p != last) {
        host.Progress(p);
        last = p;
      }
    }
    host.SetAutoRefresh(false);
    for (int32_t j = 0; j <= s->GetBounds(); ++j) {
      const int32_t k =
          ev.Add(s->Network(j), s->Device(j), s->Channel(j), s->SampleNumber(j), false);
      if (k >= 0) {
        ev.SetCommand(k, s->Command(j));
        ev.SetStartIntensity(k, s->StartIntensity(j));
        ev.SetEndIntensity(k, s->EndIntensity(j));
      }
      if (j % 500 == 0) {
        const int32_t p = Round(Ratio(j, s->GetBounds()) * 50 + 49);
        if (p > last + 10) {
          host.Progress(p);
          last = p;
        }
      }
    }
    host.SetAutoRefresh(true);
    host.RefreshBookmark();
  }

  // Working table: one sorted row per event with its ramp intervals, and the step rows
  // behind each short fade.
  host.StatusChange(u"Compiling: Creating DLS Data");
  host.Progress(0);
  int32_t last = 0;
  Recordset rs;
  rs.SetCursorLocation(CursorLocationEnum::adUseClient);
  for (const char* f : kFields) rs.Fields().Append(f, DataTypeEnum::adInteger, 0);
  rs.Open();
  for (const char* f : kFields) rs.Fields()[f].SetProperties("Optimize", Value(1));
  rs.SetSort(
      "SampleNumber, Network, Device, Command, StartIntensity, EndIntensity, ShortInterval, "
      "LongInterval, Setting0, Channel");
  const int32_t bound = ev.GetBounds();
  for (int32_t i = 0; i <= bound; ++i) {
    Row row{ev.SampleNumber(i),
            ev.Network(i),
            ev.Device(i),
            ev.Channel(i),
            ev.Command(i),
            ev.StartIntensity(i),
            ev.EndIntensity(i),
            0,
            0,
            ev.Setting(i, 0)};
    const int32_t command = ev.Command(i);
    const int32_t length_i = ev.EventLength(i);
    if (command == -37 || command == -36 || command == 36 || command == 37 || command == 38) {
      if (row.start != row.end) {
        RampIntervals ri = CalcRampIntervals(length_i);
        row.short_i = ri.first;
        row.long_i = ri.second;
      }
    } else if (command == -34 || command == 34) {
      RampIntervals ri = CalcRampIntervals(length_i);
      row.short_i = ri.first;
      row.long_i = ri.second;
      if (length_i < 15000) row.command = command == 34 ? 10034 : -10034;
    }
    AddRow(rs, row);
    if (std::llabs(row.command) > 10000) {
      // Step rows carry setting 0.
      const int64_t t = row.sample;
      const int32_t a = row.start, b = row.end;
      auto step = [&](int64_t at, int32_t level) {
        if (at > INT32_MAX) return;  // past the last sample
        AddRow(rs, Row{static_cast<int32_t>(at), row.network, row.device, row.channel, -33, level,
                       level, 0, 0, 0});
      };
      if (length_i <= 3840) {
        step(t + 1, a > b ? a : b);
      } else {
        step(t + 1, a);
        step(t + 3840, Round((static_cast<double>(a) - b) / 2 + b));
        if (length_i > 7680) step(t + 7680, b);
      }
    }
    if (i % 1000 == 0) {
      const int32_t p = Round(Ratio(i, ev.GetBounds()) * 99);
      if (p > last + 10) {
        host.Progress(p);
        last = p;
      }
    }
  }
  compiled.clear();

  // Bitmask compression: rows alike but for their channel merge into one record.
  host.StatusChange(u"Compiling: Bitmask Compression");
  host.Progress(0);
  if (rs.RecordCount() > 0) {
    rs.MoveFirst();
    while (!rs.Eof()) {
      CompiledRecord current{Get(rs, "SampleNumber"), Get(rs, "Network"),
                             Get(rs, "Device"),       0,
                             Get(rs, "Command"),      Get(rs, "StartIntensity"),
                             Get(rs, "EndIntensity"), Get(rs, "ShortInterval"),
                             Get(rs, "LongInterval"), Get(rs, "Setting0")};
      int32_t mask = 0;
      for (;;) {
        const int32_t c = Get(rs, "Channel");
        if (c >= 1 && c <= 16) mask |= 1 << (c - 1);
        rs.MoveNext();
        const bool same = !rs.Eof() && Get(rs, "Network") == current.network &&
                          Get(rs, "Device") == current.device &&
                          Get(rs, "SampleNumber") == current.sample_number &&
                          Get(rs, "Command") == current.command &&
                          Get(rs, "StartIntensity") == current.start_intensity &&
                          Get(rs, "EndIntensity") == current.end_intensity &&
                          Get(rs, "ShortInterval") == current.short_interval &&
                          Get(rs, "LongInterval") == current.long_interval &&
                          Get(rs, "Setting0") == current.setting0;
        if (!same) break;
      }
      current.channel_mask = mask;
      compiled.push_back(current);
    }
  }

  // Hand-over file, then the generated events (negative commands) removed one by one.
  host.StatusChange(u"Completing Compilation");
  host.Progress(0);
  {
    std::filesystem::remove(composed_path);
    std::ofstream out(composed_path, std::ios::binary);
    const std::string bytes = WriteCompiledBlock(compiled);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  host.SetAutoRefresh(false);
  int32_t i = 0;
  while (i <= ev.GetBounds()) {
    if (ev.Command(i) < 0 && ev.SampleNumber(i) != -1) {
      ev.Remove(i);
    } else {
      ++i;  // kept, or an event Remove refuses: move past it
    }
  }

  // Bookmark rebuilt, then the compile announced complete.
  host.StatusChange(u"Updating Bookmarks");
  host.Progress(0);
  host.SetAutoRefresh(true);
  host.RefreshBookmark();
  host.ComposeComplete();
}

}  // namespace quarnel::dataapi::testing
