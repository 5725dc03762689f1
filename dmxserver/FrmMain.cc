#include "dmxserver/FrmMain.h"

#include "platform/process/ProgramFolder.h"
#include "platform/sockets/Ipv4.h"
#include "platform/sockets/PrimaryAddress.h"

#include <array>
#include <chrono>
#include <filesystem>
#include <ostream>
#include <system_error>

namespace quarnel::dmx {

FrmMain::FrmMain(platform::EventLoop& loop, ftdi::D2xx& d2xx, std::string command_line,
                 std::ostream& console)
    : loop_(loop),
      windows_(loop),
      d2xx_(d2xx),
      window_(loop, "frmMain", console),
      tmrGoDMX_(window_.AddTimer("tmrGoDMX", kStartDelayMs, true)),
      // Never enabled: the frame clock calls the frame tick directly.
      tmrDMXFrame_(window_.AddTimer("tmrDMXFrame", 30, false)),
      command_line_(std::move(command_line)),
      dmx_(d2xx) {
  window_.SetCaption("Quarnel DMX Hack");
  window_.AddButton("cmdShutdown", "Shutdown DMX Server").OnClick([this] { cmdShutdown_Click(); });
  tmrGoDMX_.OnTimer([this] { tmrGoDMX_Timer(); });
  tmrDMXFrame_.OnTimer([this] { tmrDMXFrame_Timer(); });
  window_.OnQueryUnload([this](bool& cancel) { Form_QueryUnload(cancel); });
}

FrmMain::~FrmMain() {
  // Sockets and the clock go before the window they report to.
  data_server_.reset();
  diagnostics_server_.reset();
  frame_clock_.reset();
}

void FrmMain::tmrGoDMX_Timer() {
  tmrGoDMX_.SetEnabled(false);
  StartServers();
}

void FrmMain::StartServers() {
  // The program's own folder becomes the current directory.
  std::error_code ec;
  if (const std::filesystem::path folder = platform::ProgramFolder(); !folder.empty()) {
    std::filesystem::current_path(folder, ec);
  }

  // The frame clock, made now and started last.
  frame_clock_ = std::make_unique<FrameClock>(loop_);
  frame_clock_->OnTimer([this](const std::string& key) { oTmr_Timer(key); });
  frame_clock_->Add(kFrameTimerKey, kFramePeriodMs);

  // The data server. A copy of the program that already runs holds its port: this copy
  // then ends, silently.
  data_server_ = std::make_unique<net::UniSock>(windows_);
  data_server_->SetProtocol(net::UniSock::kUdp);
  data_server_->SetLocalPort(kDataPort);
  data_server_->OnDataArrival([this](int32_t bytes_total) { Server_DataArrival(bytes_total); });
  if (!data_server_->Bind()) {
    data_server_.reset();
    window_.Unload();
    return;
  }

  // The diagnostics server; without it the program runs on.
  diagnostics_server_ = std::make_unique<net::UniSock>(windows_);
  diagnostics_server_->SetProtocol(net::UniSock::kUdp);
  diagnostics_server_->SetLocalPort(kDiagnosticsPort);
  diagnostics_server_->OnDataArrival(
      [this](int32_t bytes_total) { DiagsServer_DataArrival(bytes_total); });
  if (!diagnostics_server_->Bind()) diagnostics_server_.reset();

  // The interface named on the command line, else the first one.
  dmx_.FindDevice(command_line_);
  dmx_.OpenDevice();

  // Output: from now on a frame goes out every 26 ms.
  frame_clock_->SetEnabled(kFrameTimerKey, true);
  SayWhatRuns();
}

void FrmMain::SayWhatRuns() {
  const std::string address = data_server_->LocalIP();
  // Why this address, when the host name does not stand for it.
  const platform::PrimaryAddress primary = platform::FindPrimaryAddress();
  if (platform::DottedText(primary.address) == address) {
    if (std::string why = platform::DescribePrimaryAddress(primary); !why.empty()) {
      window_.WriteLine(why);
    }
  }
  std::string line =
      "Listening on " + address + ": UDP " + std::to_string(kDataPort) + " for frames";
  line += diagnostics_server_
              ? ", UDP " + std::to_string(kDiagnosticsPort) + " for channel tests"
              : " (UDP " + std::to_string(kDiagnosticsPort) + " is in use: no channel tests)";
  window_.WriteLine(line);
  if (dmx_.DeviceOpen()) {
    std::array<char, 256> serial{};
    d2xx_.FT_ListDevices(static_cast<uint32_t>(dmx_.DeviceIndex()), serial,
                         ftdi::kFtListByIndex | ftdi::kFtOpenBySerialNumber);
    window_.WriteLine("Sending DMX every 26 ms to the Open DMX USB interface " +
                      OpenDMX::CleanText(serial));
  } else {
    window_.WriteLine("No Open DMX USB interface is open: frames are received but not sent");
  }
}

void FrmMain::Server_DataArrival(int32_t bytes_total) {
  switch (ClassifyDataDatagram(bytes_total)) {
    case DataDatagram::kShutdown:
      ShutDown();
      return;
    case DataDatagram::kFrame: {
      net::Data data;
      // A datagram longer than a frame does not fit the read and is refused by the socket.
      if (!data_server_->GetData(data, net::VarType::kByteArray, kFrameDatagramSize)) return;
      state_.TakeFrame(data.AsBytes(), std::chrono::steady_clock::now());
      return;
    }
    case DataDatagram::kIgnored:
      return;
  }
}

void FrmMain::DiagsServer_DataArrival(int32_t bytes_total) {
  if (!IsTestDatagram(bytes_total)) return;
  net::Data data;
  if (!diagnostics_server_->GetData(data, net::VarType::kByteArray, kTestDatagramSize)) return;
  state_.TakeTest(data.AsBytes());
}

void FrmMain::oTmr_Timer(const std::string& key) {
  if (key == kFrameTimerKey) tmrDMXFrame_Timer();
}

void FrmMain::tmrDMXFrame_Timer() {
  if (shutting_down_) tmrDMXFrame_.SetEnabled(false);
  const Frame frame = state_.OutputFrame();
  dmx_.SetFrame(frame);
  dmx_.SendFrame();
  state_.BlackoutCheck(std::chrono::steady_clock::now());
}

void FrmMain::cmdShutdown_Click() { ShutDown(); }

void FrmMain::Form_QueryUnload(bool&) {
  if (!shutting_down_) ShutDown();
}

void FrmMain::ShutDown() {
  if (shutting_down_) return;
  shutting_down_ = true;
  dmx_.CloseDevice();
  data_server_.reset();
  diagnostics_server_.reset();
  if (frame_clock_) frame_clock_->SetEnabled(kFrameTimerKey, false);
  window_.Unload();
}

}  // namespace quarnel::dmx
