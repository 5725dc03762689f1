// AddDMXEvent: steady-level steps (command 33) written to the new sequence's events.
//
// Steps name their DMX address by a slot, taken once per address with Slot(). Whatever
// the writer, the outcome is that of Events.Add for each step in the order written, with
// Command 33 and both intensities set to the level: the first step written at an address
// and sample wins, later ones there change nothing. DirectEventWriter does exactly that,
// one Add per step; BulkEventWriter collects the steps and puts them into the events in
// key order when Finish is called, which keeps a whole show linear in its steps instead
// of moving the event table for every step.
#pragma once

#include "converter/DataLibrary.h"

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace quarnel::converter {

class DmxEventWriter {
 public:
  DmxEventWriter() = default;
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
  virtual void SlotAdded() {}

 private:
  std::vector<Address> addresses_;
  std::unordered_map<uint64_t, int32_t> slots_;
};

// One Events.Add per step.
class DirectEventWriter : public DmxEventWriter {
 public:
  explicit DirectEventWriter(LibraryEvents& events) : events_(events) {}
  void AddDMXEvent(int32_t slot, int32_t sample, int32_t level) override;

 private:
  LibraryEvents& events_;
};

// Steps kept per address in the order written, merged into the events by Finish.
class BulkEventWriter : public DmxEventWriter {
 public:
  explicit BulkEventWriter(LibraryEvents& events) : events_(events) {}
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

  LibraryEvents& events_;
  std::vector<std::vector<Step>> steps_;
};

}  // namespace quarnel::converter
