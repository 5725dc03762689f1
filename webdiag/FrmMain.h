// frmMain, the window of the web diagnostics server ("Quarnel Diagnostics Web Server"):
// a page on which a phone picks one DMX channel to light, relayed to the DMX output server.
//
//   100 ms after loading  start-up: the port (command line, else 80); the firewall note;
//                         when the older DMX program runs, Tessivar -silent and a 5 s
//                         pause; the DMX output server started for the interface named in
//                         ftdinets.dat; the page template.htm; the HTTP server; the URL
//   each request          GET /<n> sends n (1 to 511, else 0) as a test datagram to the
//                         diagnostics port of this machine (dmxserver/DatagramFormat.h)
//                         and answers with the page saying which channel is under test
//   closing               connections and the listener close; the DMX output server and
//                         a running test keep going
//
// A port that cannot be bound or listened on is said on the error stream, with how to
// start on another port, and the window closes with exit status 1. Data files and the
// programs it starts lie in `folder`. All handlers run on the loop's thread.
//
// Handlers and controls keep the names the form gives them (tmrGo_Timer, lblURL); every
// other member is named in the project's style.
#pragma once

#include "net/UniSock.h"
#include "platform/loop/EventLoop.h"
#include "platform/window/Window.h"
#include "platform/window/WindowTable.h"
#include "webdiag/HttpConnection.h"

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <list>
#include <memory>
#include <string>

namespace quarnel::webdiag {

class FrmMain {
 public:
  static constexpr int32_t kStartDelayMs = 100;
  static constexpr std::chrono::milliseconds kOldProgramPause{5000};
  // Connections held at once; a new one beyond this closes the oldest.
  static constexpr size_t kMaxConnections = 16;

  static constexpr char kDmxServerProgram[] = "QuarnelOpenDMX";
  static constexpr char kToolProgram[] = "Tessivar";
  static constexpr char kOldDmxProgram[] = "QuarnelDMXHack";

  FrmMain(platform::EventLoop& loop, std::filesystem::path folder, std::string command_line,
          std::ostream& console, std::ostream& errors);
  ~FrmMain();
  FrmMain(const FrmMain&) = delete;
  FrmMain& operator=(const FrmMain&) = delete;

  // Shows the window; start-up follows 100 ms later on the loop.
  void Load() { window_.Load(); }
  platform::Window& Form() { return window_; }
  // 0, or 1 when the server could not listen, 2 when the command line is no port.
  int ExitCode() const { return exit_code_; }
  // The port listened on; 0 before the server listens.
  int32_t ListeningPort() const;
  size_t OpenConnections() const { return connections_.size(); }
  // How long a request may take to arrive and an answer may stall (10 s unless set).
  void SetConnectionTimeLimit(std::chrono::milliseconds limit) { connection_time_limit_ = limit; }

 private:
  // Event handlers, named after the object and the event.
  void tmrGo_Timer();
  void oHTTP_ConnectionRequest(int32_t request_id);
  void oHTTP_Error(net::SocketErrorInfo& info);
  void Form_Unload();

  // Start-up, in two parts around the pause for the older DMX program.
  void StartUp();
  void StartServers();
  void StartDmxServer();
  void ReadTemplate();
  bool Listen();
  void ShowRunning();
  void Fail(int exit_code, const std::string& text);

  // A request for `channel`: the test command, and the answer to send back.
  std::string ServeChannel(int32_t channel);
  void SendTestCommand(int32_t channel);
  void OnConnectionEnded(HttpConnection& connection);

  platform::EventLoop& loop_;
  platform::WindowTable windows_;  // the sockets' hidden windows
  std::filesystem::path folder_;
  std::string command_line_;
  std::ostream& errors_;
  platform::Window window_;
  // The controls, made after the caption so that the console shows it first.
  platform::Timer* tmrGo_ = nullptr;
  platform::Label* lblFirewallPorts_ = nullptr;
  platform::Label* lblStarted1_ = nullptr;
  platform::Label* lblURL_ = nullptr;
  platform::Label* lblStarted2_ = nullptr;
  int32_t port_ = 80;
  std::string html_template_;                               // sHTMLTemplate
  std::unique_ptr<net::UniSock> http_server_;               // oHTTP
  std::list<std::unique_ptr<HttpConnection>> connections_;  // oldest first
  net::SocketErrorInfo last_error_;
  std::chrono::milliseconds connection_time_limit_ = HttpConnection::kTimeLimit;
  platform::TimerId pause_timer_ = 0;
  int exit_code_ = 0;
};

}  // namespace quarnel::webdiag
