#include "converter/DmxEventWriter.h"

#include <algorithm>
#include <numeric>

namespace quarnel::converter {

namespace {

constexpr int32_t kDmxNetwork = 32;
constexpr int32_t kSteadyCommand = 33;

}  // namespace

int32_t DmxEventWriter::Slot(int32_t device, int32_t channel) {
  const uint64_t key =
      uint64_t{static_cast<uint32_t>(device)} << 32 | static_cast<uint32_t>(channel);
  auto [it, added] = slots_.try_emplace(key, static_cast<int32_t>(addresses_.size()));
  if (added) {
    addresses_.push_back({device, channel});
    SlotAdded();
  }
  return it->second;
}

void DirectEventWriter::AddDMXEvent(int32_t slot, int32_t sample, int32_t level) {
  const Address& a = Addresses()[static_cast<size_t>(slot)];
  const int32_t idx = events_.Add(kDmxNetwork, a.device, a.channel, sample, false);
  if (idx < 0) return;
  events_.SetCommand(idx, kSteadyCommand);
  events_.SetStartIntensity(idx, level);
  events_.SetEndIntensity(idx, level);
}

void BulkEventWriter::Finish() {
  // Addresses in the table's order, each address's steps by sample; of steps at one sample
  // the first written is kept (a stable sort keeps them in the order written).
  std::vector<int32_t> order(steps_.size());
  std::iota(order.begin(), order.end(), 0);
  const auto& addresses = Addresses();
  std::sort(order.begin(), order.end(), [&](int32_t x, int32_t y) {
    const Address& a = addresses[static_cast<size_t>(x)];
    const Address& b = addresses[static_cast<size_t>(y)];
    return a.device != b.device ? a.device < b.device : a.channel < b.channel;
  });

  // All at once, in key order: steps added one by one in the order written would move
  // the rows behind each of them.
  size_t total = 0;
  for (const std::vector<Step>& steps : steps_) total += steps.size();
  std::vector<dataapi::EventRecord> records;
  records.reserve(total);
  for (int32_t slot : order) {
    std::vector<Step>& steps = steps_[static_cast<size_t>(slot)];
    auto earlier = [](const Step& x, const Step& y) { return x.sample < y.sample; };
    if (!std::is_sorted(steps.begin(), steps.end(), earlier)) {
      std::stable_sort(steps.begin(), steps.end(), earlier);
    }
    const Address& a = addresses[static_cast<size_t>(slot)];
    for (size_t i = 0; i < steps.size(); ++i) {
      if (i > 0 && steps[i].sample == steps[i - 1].sample) continue;
      dataapi::EventRecord r;
      r.network = kDmxNetwork;
      r.device = a.device;
      r.channel = a.channel;
      r.sample_number = steps[i].sample;
      r.command = kSteadyCommand;
      r.start_intensity = r.end_intensity = steps[i].level;
      records.push_back(r);
    }
    std::vector<Step>().swap(steps);
  }
  events_.AddInKeyOrder(records);
}

}  // namespace quarnel::converter
