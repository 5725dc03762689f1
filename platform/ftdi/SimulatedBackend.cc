#include "platform/ftdi/SimulatedBackend.h"

#include "platform/ftdi/D2xxTypes.h"
#include "platform/ftdi/DeviceSession.h"

#include <algorithm>
#include <utility>

namespace quarnel::ftdi {

struct SimulatedBackend::Device {
  std::string serial;
  bool attached = true;
  bool open = false;
  uint64_t generation = 0;  // raised on every unplug, so old ports know they are stale
  std::optional<FtdiResult> open_failure;
  uint32_t baud = 9600;  // what opening leaves the chip at
  LineSettings line;
  LineClock::Nanos busy_until{0};
};

namespace {

constexpr char kSimulatedDescription[] = "FT232R USB UART";

FtdiResult Gone() {
  return FtdiResult::Fail(FtdiOutcome::kGone, "the simulated interface was unplugged");
}

}  // namespace

class SimulatedPort : public FtdiPort {
 public:
  SimulatedPort(SimulatedBackend& backend, SimulatedBackend::Device& device)
      : backend_(backend), device_(device), generation_(device.generation) {}

  ~SimulatedPort() override {
    if (!Here()) return;
    Record("CLOSE", {});
    device_.open = false;
  }

  FtdiResult Reset() override { return Simple("RESET", {}); }

  FtdiResult SetDivisor(uint16_t divisor) override {
    if (!Here()) return Gone();
    device_.baud = DeviceSession::BaudForDivisor(divisor);
    return Simple("SET_DIVISOR", {divisor});
  }

  FtdiResult SetDataCharacteristics(const LineSettings& line) override {
    if (!Here()) return Gone();
    device_.line = line;
    return Simple("SET_DATA", {line.bits, line.stop_bits, line.parity});
  }

  FtdiResult SetFlowControl(uint16_t flow, uint8_t xon, uint8_t xoff) override {
    return Simple("SET_FLOW", {flow, xon, xoff});
  }

  FtdiResult ClearRts() override { return Simple("CLR_RTS", {}); }

  FtdiResult Purge(uint32_t mask) override {
    if (!Here()) return Gone();
    // Dropping what waits in the transmitter empties the line at once.
    if (mask & kFtPurgeTx) device_.busy_until = std::min(device_.busy_until, Now());
    return Simple("PURGE", {mask});
  }

  FtdiResult SetBreak(bool on, const LineSettings& line) override {
    if (!Here()) return Gone();
    device_.line = line;
    if (on && Now() < device_.busy_until) {
      ++backend_.frames_cut_by_break_;
      device_.busy_until = Now();
    }
    return Simple(on ? "BREAK_ON" : "BREAK_OFF", {});
  }

  FtdiResult Write(std::span<const uint8_t> bytes) override {
    if (!Here()) return Gone();
    const LineClock::Nanos now = Now();
    if (backend_.capture_) backend_.capture_->Write(device_.serial, bytes);
    if (!backend_.options_.line_timing) {
      device_.busy_until = now;
      return FtdiResult::Ok();
    }
    const auto byte_time = LineClock::Nanos(1'000'000'000ll * device_.line.BitsPerByte() /
                                            std::max<uint32_t>(device_.baud, 1));
    const LineClock::Nanos start = std::max(now, device_.busy_until);
    device_.busy_until = start + byte_time * static_cast<int64_t>(bytes.size());
    const uint64_t queued = std::min<uint64_t>(backend_.options_.fifo_bytes, bytes.size());
    backend_.clock_.SleepUntil(device_.busy_until - byte_time * static_cast<int64_t>(queued));
    return FtdiResult::Ok();
  }

  std::optional<bool> TransmitterEmpty() override {
    if (!Here()) return std::nullopt;
    return Now() >= device_.busy_until;
  }

  bool Probe() override { return Here(); }

 private:
  bool Here() const { return device_.attached && device_.generation == generation_; }
  LineClock::Nanos Now() const { return backend_.clock_.Now(); }

  void Record(const char* call, std::initializer_list<int64_t> args) {
    if (backend_.capture_) backend_.capture_->Call(device_.serial, call, args);
  }

  FtdiResult Simple(const char* call, std::initializer_list<int64_t> args) {
    if (!Here()) return Gone();
    Record(call, args);
    return FtdiResult::Ok();
  }

  SimulatedBackend& backend_;
  SimulatedBackend::Device& device_;
  uint64_t generation_;
};

SimulatedBackend::SimulatedBackend(const std::vector<std::string>& serials, LineClock& clock,
                                   std::unique_ptr<CaptureWriter> capture, SimulatedOptions options)
    : clock_(clock), capture_(std::move(capture)), options_(options) {
  for (const std::string& s : serials) {
    auto d = std::make_unique<Device>();
    d->serial = s;
    devices_.push_back(std::move(d));
  }
}

SimulatedBackend::~SimulatedBackend() = default;

FtdiList SimulatedBackend::List() {
  FtdiList list;
  for (size_t i = 0; i < devices_.size(); ++i) {
    if (!devices_[i]->attached) continue;
    list.devices.push_back(
        {devices_[i]->serial, kSimulatedDescription, "sim:" + std::to_string(i)});
  }
  return list;
}

FtdiOpen SimulatedBackend::Open(const FtdiDeviceInfo& device, uint32_t index) {
  FtdiOpen result;
  const std::string prefix = "sim:";
  size_t position = devices_.size();
  if (device.locator.rfind(prefix, 0) == 0) {
    try {
      position = std::stoul(device.locator.substr(prefix.size()));
    } catch (...) {
      position = devices_.size();
    }
  }
  if (position >= devices_.size() || !devices_[position]->attached) {
    result.status = FtdiResult::Fail(FtdiOutcome::kNotFound, "no such simulated interface");
    return result;
  }
  Device& d = *devices_[position];
  if (d.open_failure) {
    result.status = *d.open_failure;
    return result;
  }
  if (d.open) {
    result.status = FtdiResult::Fail(FtdiOutcome::kBusy, "the interface is already open");
    return result;
  }
  d.open = true;
  d.baud = 9600;
  d.line = LineSettings{};
  d.busy_until = clock_.Now();
  if (capture_) capture_->Call(d.serial, "OPEN", {index});
  result.port = std::make_unique<SimulatedPort>(*this, d);
  return result;
}

void SimulatedBackend::Unplug(const std::string& serial) {
  for (auto& d : devices_) {
    if (d->serial != serial || !d->attached) continue;
    d->attached = false;
    d->open = false;
    ++d->generation;
  }
}

void SimulatedBackend::Plug(const std::string& serial) {
  for (auto& d : devices_) {
    if (d->serial == serial) d->attached = true;
  }
}

void SimulatedBackend::FailOpen(const std::string& serial, FtdiOutcome outcome, std::string text) {
  for (auto& d : devices_) {
    if (d->serial == serial) d->open_failure = FtdiResult::Fail(outcome, text);
  }
}

}  // namespace quarnel::ftdi
