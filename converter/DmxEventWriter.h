// AddDMXEvent: steady-level steps (command 33) written to the new sequence's events.
//
// Steps name their DMX address by a slot, taken once per address with Slot(). Whatever
// the writer, the outcome is that of Events.Add for each step in the order written, with
// Command 33 and both intensities set to the level: the first step written at an address
// and sample wins, later ones there change nothing. DirectEventWriter does exactly that,
// one Add per step; BulkEventWriter collects the steps and puts them into the events in
// one sorted pass when Finish is called, which keeps a whole show linear in its steps
// instead of moving the event table for every step.
#pragma once

#include "dataapi/Events.h"

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace quarnel::converter {

class DmxEventWriter {
 public:
  explicit DmxEventWriter(Ref<dataapi::Events> events) : events_(std::move(events)) {}
  virtual ~DmxEventWriter() = default;
  DmxEventWriter(const DmxEventWriter&) = delete;
  DmxEventWriter& operator=(const DmxEventWriter&) = delete;

  // The slot of DMX address (device, channel) on Network 32; the same address always gets
  // the same slot.
  int32_t Slot(int32_t device, int32_t channel);
  // AddDMXEvent: a step to `level` at `sample` on the slot's address.
  virtual void AddDMXEvent(int32_t slot, int32_t sample, int32_t level) = 0;
  // Puts every step collected so far into the events.
  virtual void Finish() {}

 protected:
  struct Address {
    int32_t device;
    int32_t channel;
  };
  const std::vector<Address>& Addresses() const { return addresses_; }
  dataapi::Events& Target() const { return *events_; }
  virtual void SlotAdded() {}

 private:
  Ref<dataapi::Events> events_;
  std::vector<Address> addresses_;
  std::unordered_map<uint64_t, int32_t> slots_;
};

// One Events.Add per step.
class DirectEventWriter : public DmxEventWriter {
 public:
  using DmxEventWriter::DmxEventWriter;
  void AddDMXEvent(int32_t slot, int32_t sample, int32_t level) override;
};

// Steps kept per address in the order written, merged into the events by Finish.
class BulkEventWriter : public DmxEventWriter {
 public:
  using DmxEventWriter::DmxEventWriter;
  void AddDMXEvent(int32_t slot, int32_t sample, int32_t level) override {
    steps_[static_cast<size_t>(slot)].push_back({sample, level});
  }
  void Finish() override;

 private:
  struct Step {
    int32_t sample;
    int32_t level;
  };
  void SlotAdded() override { steps_.emplace_back(); }

  std::vector<std::vector<Step>> steps_;
};

}  // namespace quarnel::converter
