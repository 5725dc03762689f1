// frmMain, the window of the DMX output server ("Quarnel DMX Hack"): it hosts the two UDP
// servers and the frame clock, keeps the current frame, and offers one button,
// "Shutdown DMX Server".
//
//   1000 ms after loading  StartServers: the data port (frames; a second copy of the
//                          program cannot bind it and ends here, silently), the
//                          diagnostics port (channel tests), the interface named by the
//                          command line, the 26 ms frame clock
//   every 26 ms            the frame, with the test channel at full, to the interface;
//                          dark after more than 10 s without frames
//   shut-down              the button, closing the window (SIGINT, SIGTERM) or the
//                          shut-down datagram: close the interface, release both servers,
//                          unload
//
// The ports and datagrams are those of dmxserver/DatagramFormat.h.
// The window refers to the D2XX layer, which must outlive it. All handlers run on the
// loop's thread, one at a time.
#pragma once

#include "dmxserver/FrameClock.h"
#include "dmxserver/FrameState.h"
#include "dmxserver/OpenDMX.h"
#include "net/UniSock.h"
#include "platform/ftdi/D2xx.h"
#include "platform/loop/EventLoop.h"
#include "platform/window/Window.h"
#include "platform/window/WindowTable.h"

#include <iosfwd>
#include <memory>
#include <string>

namespace quarnel::dmx {

class FrmMain {
 public:
  static constexpr int32_t kFramePeriodMs = 26;
  static constexpr int32_t kStartDelayMs = 1000;
  static constexpr char kFrameTimerKey[] = "DMX_Frame";

  FrmMain(platform::EventLoop& loop, ftdi::D2xx& d2xx, std::string command_line,
          std::ostream& console);
  ~FrmMain();
  FrmMain(const FrmMain&) = delete;
  FrmMain& operator=(const FrmMain&) = delete;

  // Shows the window; start-up follows 1000 ms later on the loop.
  void Load() { window_.Load(); }
  platform::Window& Form() { return window_; }
  const FrameState& State() const { return state_; }
  const OpenDMX& Output() const { return dmx_; }

 private:
  // Event handlers, named after the object and the event.
  void tmrGoDMX_Timer();
  void Server_DataArrival(int32_t bytes_total);
  void DiagsServer_DataArrival(int32_t bytes_total);
  void oTmr_Timer(const std::string& key);
  void tmrDMXFrame_Timer();
  void cmdShutdown_Click();
  void Form_QueryUnload(bool& cancel);

  void StartServers();
  void ShutDown();
  void SayWhatRuns();

  platform::EventLoop& loop_;
  platform::WindowTable windows_;  // the sockets' hidden windows
  ftdi::D2xx& d2xx_;
  platform::Window window_;
  platform::Timer& tmrGoDMX_;
  platform::Timer& tmrDMXFrame_;
  std::string command_line_;
  OpenDMX dmx_;
  std::unique_ptr<FrameClock> frame_clock_;           // oTmr
  std::unique_ptr<net::UniSock> data_server_;         // Server
  std::unique_ptr<net::UniSock> diagnostics_server_;  // DiagsServer
  FrameState state_;
  bool shutting_down_ = false;
};

}  // namespace quarnel::dmx
