#include "platform/ftdi/DeviceSession.h"

#include "platform/ftdi/D2xxTypes.h"

#include <algorithm>
#include <utility>

namespace quarnel::ftdi {

DeviceSession::DeviceSession(FtdiBackend& backend, LineClock& clock, const FtdiReporter& report,
                             FtdiDeviceInfo device, std::unique_ptr<FtdiPort> port)
    : backend_(backend),
      clock_(clock),
      report_(report),
      device_(std::move(device)),
      port_(std::move(port)) {}

uint32_t DeviceSession::BaudForDivisor(uint16_t divisor) {
  if (divisor == 0) return kFtBaseClock;
  if (divisor == 1) return kFtBaseClock * 2 / 3;
  return kFtBaseClock / divisor;
}

template <typename Call>
FtdiResult DeviceSession::Run(Call&& call) {
  if (!port_ && !TryReopen()) {
    return FtdiResult::Fail(FtdiOutcome::kGone, "the interface is not attached");
  }
  FtdiResult result = call(*port_);
  if (result.ok()) {
    failures_in_row_ = 0;
  } else {
    NoteFailure(result);
  }
  return result;
}

void DeviceSession::NoteFailure(const FtdiResult& result) {
  if (result.outcome == FtdiOutcome::kInvalid) return;  // a bad request, not a bad device
  ++failures_in_row_;
  if (result.outcome == FtdiOutcome::kGone || failures_in_row_ >= kFailuresBeforeReopen ||
      !port_->Probe()) {
    MarkLost(result.text);
  }
}

void DeviceSession::MarkLost(const std::string& why) {
  port_.reset();
  tracker_.OnBreak();
  break_began_.reset();
  mark_began_.reset();
  failures_in_row_ = 0;
  last_reopen_try_ = clock_.Now();
  if (!outage_reported_) {
    outage_reported_ = true;
    report_(Name() + " stopped answering (" + why +
            "); DMX output resumes by itself when it is plugged back in");
  }
}

bool DeviceSession::TryReopen() {
  const Nanos now = clock_.Now();
  if (now - last_reopen_try_ < kReopenInterval) return false;
  last_reopen_try_ = now;

  FtdiList list = backend_.List();
  if (!list.status.ok()) return false;
  for (uint32_t i = 0; i < list.devices.size(); ++i) {
    const FtdiDeviceInfo& candidate = list.devices[i];
    const bool same = device_.serial.empty() ? candidate.locator == device_.locator
                                             : candidate.serial == device_.serial;
    if (!same) continue;
    FtdiOpen opened = backend_.Open(candidate, i);
    if (!opened.status.ok()) return false;
    if (!Configure(*opened.port).ok()) return false;
    device_ = candidate;
    port_ = std::move(opened.port);
    failures_in_row_ = 0;
    return true;
  }
  return false;
}

FtdiResult DeviceSession::Configure(FtdiPort& port) const {
  FtdiResult r = port.Reset();
  if (r.ok() && divisor_) r = port.SetDivisor(*divisor_);
  if (r.ok() && line_set_) r = port.SetDataCharacteristics(*line_set_);
  if (r.ok() && flow_) r = port.SetFlowControl(flow_->flow, flow_->xon, flow_->xoff);
  if (r.ok() && rts_cleared_) r = port.ClearRts();
  if (r.ok()) r = port.Purge(kFtPurgeTx);
  if (r.ok()) r = port.Purge(kFtPurgeRx);
  return r;
}

FtdiResult DeviceSession::Reset() {
  return Run([](FtdiPort& p) { return p.Reset(); });
}

FtdiResult DeviceSession::SetDivisor(uint16_t divisor) {
  FtdiResult r = Run([divisor](FtdiPort& p) { return p.SetDivisor(divisor); });
  if (r.ok()) {
    divisor_ = divisor;
    tracker_.SetLine(BaudForDivisor(divisor), line_.BitsPerByte());
  }
  return r;
}

FtdiResult DeviceSession::SetDataCharacteristics(const LineSettings& line) {
  const bool valid = (line.bits == kFtBits7 || line.bits == kFtBits8) &&
                     (line.stop_bits == kFtStopBits1 || line.stop_bits == kFtStopBits2) &&
                     line.parity <= kFtParitySpace;
  if (!valid)
    return FtdiResult::Fail(FtdiOutcome::kInvalid, "no such word length, stop bits or parity");
  FtdiResult r = Run([&line](FtdiPort& p) { return p.SetDataCharacteristics(line); });
  if (r.ok()) {
    line_ = line;
    line_set_ = line;
    if (divisor_) tracker_.SetLine(BaudForDivisor(*divisor_), line_.BitsPerByte());
  }
  return r;
}

FtdiResult DeviceSession::SetFlowControl(uint16_t flow, uint8_t xon, uint8_t xoff) {
  if (flow != kFtFlowNone && flow != kFtFlowRtsCts && flow != kFtFlowDtrDsr &&
      flow != kFtFlowXonXoff) {
    return FtdiResult::Fail(FtdiOutcome::kInvalid, "no such flow control");
  }
  FtdiResult r = Run([&](FtdiPort& p) { return p.SetFlowControl(flow, xon, xoff); });
  if (r.ok()) flow_ = Flow{flow, xon, xoff};
  return r;
}

FtdiResult DeviceSession::ClearRts() {
  FtdiResult r = Run([](FtdiPort& p) { return p.ClearRts(); });
  if (r.ok()) rts_cleared_ = true;
  return r;
}

FtdiResult DeviceSession::Purge(uint32_t mask) {
  if (mask == 0 || (mask & ~(kFtPurgeRx | kFtPurgeTx)) != 0) {
    return FtdiResult::Fail(FtdiOutcome::kInvalid, "no such purge mask");
  }
  return Run([mask](FtdiPort& p) { return p.Purge(mask); });
}

FtdiResult DeviceSession::SetBreak(bool on) {
  if (!on) {
    if (break_began_) HoldUntil(*break_began_ + kBreakHold);
    break_began_.reset();
    FtdiResult r = Run([this](FtdiPort& p) { return p.SetBreak(false, line_); });
    if (r.ok() && port_) mark_began_ = clock_.Now();
    return r;
  }
  WaitForLineToDrain();
  mark_began_.reset();
  FtdiResult r = Run([this](FtdiPort& p) { return p.SetBreak(true, line_); });
  tracker_.OnBreak();
  if (r.ok() && port_) break_began_ = clock_.Now();
  return r;
}

void DeviceSession::HoldUntil(Nanos until) {
  if (clock_.Now() < until) clock_.SleepUntil(until);
}

FtdiResult DeviceSession::Write(std::span<const uint8_t> bytes) {
  if (mark_began_) HoldUntil(*mark_began_ + kMarkAfterBreakHold);
  mark_began_.reset();
  FtdiResult r = Run([&](FtdiPort& p) {
    const Nanos start = clock_.Now();
    FtdiResult w = p.Write(bytes);
    if (w.ok()) tracker_.OnWrite(start, bytes.size());
    return w;
  });
  if (r.ok() && outage_reported_) {
    outage_reported_ = false;
    report_(Name() + " is back; DMX output resumed");
  }
  return r;
}

void DeviceSession::WaitForLineToDrain() {
  if (!port_) return;
  Nanos now = clock_.Now();
  const Nanos deadline = tracker_.DrainDeadline(now);
  // Each turn either learns the line is empty or sleeps; the deadline bounds the turns.
  for (int turn = 0; now < deadline && turn < 1000; ++turn) {
    const std::optional<bool> empty = port_->TransmitterEmpty();
    if (empty.value_or(false)) return;
    if (!empty) {
      clock_.SleepUntil(deadline);
      return;
    }
    clock_.SleepUntil(std::min(now + kDrainPoll, deadline));
    now = clock_.Now();
  }
}

std::string DeviceSession::Name() const {
  const std::string& id = device_.serial.empty() ? device_.description : device_.serial;
  return "the Open DMX USB interface " + id;
}

}  // namespace quarnel::ftdi
