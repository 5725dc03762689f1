#include "converter/tests/Shows.h"

#include "dataapi/File.h"

#include <algorithm>
#include <random>
#include <set>
#include <tuple>

namespace quarnel::converter::testing {

dataapi::EventRecord At(int32_t device, int32_t channel, int32_t sample, int32_t command,
                        int32_t start, int32_t end, int32_t setting0) {
  dataapi::EventRecord r;
  r.network = 1;
  r.device = device;
  r.channel = channel;
  r.sample_number = sample;
  r.command = command;
  r.start_intensity = start;
  r.end_intensity = end;
  r.settings[0] = setting0;
  return r;
}

void SaveShow(const Show& show, const std::filesystem::path& path) {
  Ref<dataapi::File> doc = dataapi::File::Create();
  doc->SetTitle(std::u16string(show.title.begin(), show.title.end()));
  doc->SetLength(show.length);
  dataapi::Channels& channels = *doc->Channels();
  for (const ShowChannel& c : show.channels) {
    const int32_t idx =
        channels.Add(c.network, c.device, c.channel, std::u16string(c.name.begin(), c.name.end()),
                     channels.GetBounds() + 1);
    channels.SetDeviceType(idx, c.device_type);
    channels.SetColor(idx, c.colour);
    const int32_t settings[] = {c.s16, c.s17, c.s18, c.s19};
    for (int32_t k = 0; k < 4; ++k) channels.SetSetting(idx, 16 + k, settings[k]);
  }
  doc->Events()->AddMany(show.events);
  doc->Save(path.u16string(), dataapi::FileTypeDLS);
}

Show RandomShow(uint32_t seed, int32_t channels, int32_t rgb_every, int32_t events,
                int32_t length) {
  std::mt19937 random(seed);
  auto pick = [&](int32_t low, int32_t high) {
    return std::uniform_int_distribution<int32_t>(low, high)(random);
  };
  Show show;
  show.length = length;
  // Addresses: full devices of 16 single-colour channels, half-size devices of 8 (so that
  // they pair up), free RGB devices of 5 channels and pixel devices of 5 pixels (which
  // reserve the next two devices too).
  int32_t network = 1, used = 0;
  auto new_device = [&](int32_t count) {
    if (used + count > 240) ++network, used = 0;
    used += count;
    return used - count + 1;
  };
  struct Group {
    int32_t network = 0, device = 0, next = 0;
  };
  Group full, half, free_rgb, pixel;
  auto take = [&](Group& g, int32_t size, int32_t devices) {
    if (g.device == 0 || g.next > size) {
      g.device = new_device(devices);
      g.network = network;
      g.next = 1;
    }
    return g.next++;
  };
  for (int32_t i = 0; i < channels; ++i) {
    ShowChannel c;
    c.name = "Channel " + std::to_string(i + 1);
    c.colour = pick(0, 0xFFFFFF);
    Group* g = nullptr;
    if (rgb_every > 0 && i % rgb_every == rgb_every - 1) {
      if ((i / rgb_every) % 2 == 0) {
        c.device_type = 11;
        c.channel = take(*(g = &pixel), 5, 3);
      } else {
        c.device_type = 12;
        const int32_t k = take(*(g = &free_rgb), 5, 1);
        c.channel = 3 * k - 2;
        c.s16 = c.s17 = free_rgb.device;
        c.s18 = c.channel + 1;
        c.s19 = c.channel + 2;
      }
    } else if (pick(0, 3) == 0) {
      c.device_type = 2;
      c.channel = take(*(g = &half), 8, 1);
    } else {
      c.channel = take(*(g = &full), 16, 1);
    }
    c.network = g->network;
    c.device = g->device;
    show.channels.push_back(c);
  }
  std::shuffle(show.channels.begin(), show.channels.end(), random);

  // Events: distinct samples per channel, every command, Setting 0 from 0 to 7.
  static const int32_t kCommands[] = {33, 34, 36, 37, 38, 33, 34, 38, 35};
  std::set<std::tuple<int32_t, int32_t, int32_t, int32_t>> taken;
  while (static_cast<int32_t>(show.events.size()) < events) {
    const ShowChannel& c = show.channels[static_cast<size_t>(pick(0, channels - 1))];
    dataapi::EventRecord e;
    e.network = c.network;
    e.device = c.device;
    e.channel = c.channel;
    e.sample_number = pick(0, length - 1);
    if (!taken.insert({e.network, e.device, e.channel, e.sample_number}).second) continue;
    e.command = kCommands[pick(0, 8)];
    e.settings[0] = pick(0, 7);
    if (e.command == 38) {
      e.start_intensity = pick(0, 0xFFFFFF);
      e.end_intensity = pick(0, 3) == 0 ? e.start_intensity : pick(0, 0xFFFFFF);
    } else {
      e.start_intensity = pick(0, 4) == 0 ? 240 : pick(1, 240);
      e.end_intensity = pick(0, 4) == 0 ? e.start_intensity : pick(1, 240);
    }
    show.events.push_back(e);
  }
  return show;
}

}  // namespace quarnel::converter::testing
