// Source shows for the converter's tests and benchmark: channels and events described in
// plain structs, saved as a sequence file through the library, and random shows.
#pragma once

#include "dataapi/Events.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace quarnel::converter::testing {

struct ShowChannel {
  std::string name;
  int32_t network = 1;
  int32_t device = 1;
  int32_t channel = 1;
  int32_t device_type = 1;
  int32_t colour = 0;
  // Settings 16 to 19 (type 12: green device, blue device, green channel, blue channel).
  int32_t s16 = 0, s17 = 0, s18 = 0, s19 = 0;
};

struct Show {
  std::vector<ShowChannel> channels;
  std::vector<dataapi::EventRecord> events;
  int32_t length = 0;
  std::string title = "Test show";
};

// An event of a show: command and levels at a sample of a channel on network 1.
dataapi::EventRecord At(int32_t device, int32_t channel, int32_t sample, int32_t command,
                        int32_t start, int32_t end, int32_t setting0 = 0);

// Saves the show as a sequence file with File.Save (events added in one bulk step).
void SaveShow(const Show& show, const std::filesystem::path& path);

// A random show: `channels` channels in a shuffled list order (every `rgb_every`-th one
// RGB, types 11 and 12 in turn; some half-size), `events` events spread over `length`
// samples, every command mixed, with random levels, colours and Setting 0.
Show RandomShow(uint32_t seed, int32_t channels, int32_t rgb_every, int32_t events, int32_t length);

}  // namespace quarnel::converter::testing
