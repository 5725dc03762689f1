#include "webdiag/FrmMain.h"

#include "dmxserver/DatagramFormat.h"
#include "platform/base/Error.h"
#include "platform/process/ProcessList.h"
#include "platform/process/ProcessStart.h"
#include "platform/sockets/Ipv4.h"
#include "platform/sockets/PrimaryAddress.h"
#include "webdiag/DataFiles.h"
#include "webdiag/Page.h"
#include "webdiag/Texts.h"

#include <ostream>
#include <system_error>

namespace quarnel::webdiag {

using net::UniSock;

FrmMain::FrmMain(platform::EventLoop& loop, std::filesystem::path folder, std::string command_line,
                 std::ostream& console, std::ostream& errors)
    : loop_(loop),
      windows_(loop),
      folder_(std::move(folder)),
      command_line_(std::move(command_line)),
      errors_(errors),
      window_(loop, "frmMain", console) {
  window_.SetCaption("Quarnel Diagnostics Web Server");
  tmrGo_ = &window_.AddTimer("tmrGo", kStartDelayMs, true);
  tmrGo_->OnTimer([this] { tmrGo_Timer(); });
  lblFirewallPorts_ = &window_.AddLabel("lblFirewallPorts", "");
  lblStarted1_ = &window_.AddLabel("lblStarted1", kStartedText1, false);
  lblURL_ = &window_.AddLabel("lblURL", kStartingText);
  lblStarted2_ = &window_.AddLabel("lblStarted2", kStartedText2, false);
  window_.OnUnload([this] { Form_Unload(); });
}

FrmMain::~FrmMain() {
  if (pause_timer_ != 0) loop_.CancelTimer(pause_timer_);
  connections_.clear();
  http_server_.reset();
}

int32_t FrmMain::ListeningPort() const {
  return http_server_ && http_server_->State() == UniSock::kOpen ? http_server_->LocalPort() : 0;
}

void FrmMain::tmrGo_Timer() {
  tmrGo_->SetEnabled(false);
  StartUp();
}

void FrmMain::StartUp() {
  // The port: the command line as a whole number, else 80.
  const PortChoice choice = PortOfCommandLine(command_line_);
  if (choice.kind == PortChoice::Kind::kOutOfRange) {
    Fail(2, "\"" + command_line_ +
                "\" is not a port number: give a number from 0 to 65535 (0 picks a free port), " +
                "for example: QuarnelWebDiagnostics 8080");
    return;
  }
  if (choice.kind == PortChoice::Kind::kNotANumber) {
    window_.WriteLine("The command line \"" + command_line_ +
                      "\" is not a port number: using port 80.");
  }
  port_ = choice.port;

  // Which ports a firewall must let through; a free port picked by the system (0) is
  // named once the server has it.
  if (port_ != 0) lblFirewallPorts_->SetCaption(FirewallPortsText(port_));

  // The older DMX program holds the interface until the outside tool tells it to let go.
  if (platform::IsProgramRunning({kOldDmxProgram, std::string(kOldDmxProgram) + ".exe"})) {
    // Tessivar.exe on Windows.
    const std::filesystem::path tool = platform::ProgramFile(folder_ / kToolProgram);
    std::error_code ec;
    if (std::filesystem::exists(tool, ec)) {
      const platform::StartedProgram started = platform::StartProgram(tool, {"-silent"});
      window_.WriteLine(started.pid != 0
                            ? "The older DMX program " + std::string(kOldDmxProgram) +
                                  " is running: started " + kToolProgram +
                                  " -silent; waiting 5 seconds."
                            : "The older DMX program " + std::string(kOldDmxProgram) +
                                  " is running, but " + tool.string() + " could not be started (" +
                                  started.error + "); waiting 5 seconds.");
    } else {
      window_.WriteLine("The older DMX program " + std::string(kOldDmxProgram) +
                        " is running and " + tool.string() + " is not there; waiting 5 seconds.");
    }
    pause_timer_ = loop_.RunAfter(kOldProgramPause, [this] {
      pause_timer_ = 0;
      StartServers();
    });
    return;
  }
  StartServers();
}

void FrmMain::StartServers() {
  StartDmxServer();
  ReadTemplate();
  if (!Listen()) return;
  ShowRunning();
}

void FrmMain::StartDmxServer() {
  const std::filesystem::path serial_file = folder_ / kSerialFile;
  const SerialNumber read = ReadSerialNumber(serial_file);
  if (read.outcome != SerialNumber::Outcome::kFound) {
    errors_ << "QuarnelWebDiagnostics: " << DescribeMissingSerial(read, serial_file)
            << " The DMX output server is not started." << std::endl;
    return;
  }
  const std::filesystem::path program = folder_ / kDmxServerProgram;
  const platform::StartedProgram started = platform::StartProgram(program, {read.serial});
  if (started.pid == 0) {
    errors_ << "QuarnelWebDiagnostics: the DMX output server " << program.string()
            << " could not be started (" << started.error << ")." << std::endl;
    return;
  }
  // A DMX output server that already runs keeps its ports; this copy then ends by itself.
  window_.WriteLine("Started the DMX output server for the Open DMX USB interface " + read.serial +
                    " (" + kDmxServerProgram + ", process " + std::to_string(started.pid) +
                    "); it keeps running when this program closes.");
}

void FrmMain::ReadTemplate() {
  const std::filesystem::path file = folder_ / kTemplateFile;
  std::string error;
  if (std::optional<std::string> content = ReadWholeFile(file, error)) {
    html_template_ = std::move(*content);
    if (html_template_.empty()) {
      errors_ << "QuarnelWebDiagnostics: " << file.string() << " is empty: the page is blank."
              << std::endl;
    }
    return;
  }
  errors_ << "QuarnelWebDiagnostics: the page " << file.string() << " cannot be read (" << error
          << "): serving a plain page with the message only." << std::endl;
  html_template_ = FallbackTemplate();
}

bool FrmMain::Listen() {
  http_server_ = std::make_unique<UniSock>(windows_);
  http_server_->OnConnectionRequest([this](int32_t id) { oHTTP_ConnectionRequest(id); });
  http_server_->OnError([this](net::SocketErrorInfo& info) { oHTTP_Error(info); });
  last_error_ = {};
  bool listening = false;
  try {
    listening = http_server_->Bind(port_) && http_server_->Listen();
  } catch (const Error& e) {
    last_error_.number = static_cast<int16_t>(e.Number());
    last_error_.description = e.Description();
  }
  if (listening) return true;
  const std::string address = UniSock(windows_).LocalIP();
  http_server_.reset();
  Fail(1, ListenFailureText(address, port_, last_error_.number, last_error_.description));
  return false;
}

void FrmMain::ShowRunning() {
  if (port_ == 0) {
    lblFirewallPorts_->SetCaption(FirewallPortsText(http_server_->LocalPort()));
  }
  const std::string address = http_server_->LocalIP();
  lblStarted1_->SetVisible(true);
  lblURL_->SetCaption(UrlText(address, http_server_->LocalPort()));
  lblStarted2_->SetVisible(true);
  // Why this address, when the host name does not stand for it.
  const platform::PrimaryAddress primary = platform::FindPrimaryAddress();
  if (platform::DottedText(primary.address) == address) {
    if (std::string why = platform::DescribePrimaryAddress(primary); !why.empty()) {
      window_.WriteLine("Note: " + why);
    }
  }
}

void FrmMain::Fail(int exit_code, const std::string& text) {
  errors_ << "QuarnelWebDiagnostics: " << text << std::endl;
  exit_code_ = exit_code;
  window_.Unload();
}

void FrmMain::oHTTP_Error(net::SocketErrorInfo& info) { last_error_ = info; }

void FrmMain::oHTTP_ConnectionRequest(int32_t request_id) {
  auto connection = std::make_unique<HttpConnection>(
      windows_, [this](int32_t channel) { return ServeChannel(channel); },
      [this](HttpConnection& ended) { OnConnectionEnded(ended); }, connection_time_limit_);
  HttpConnection& added = *connection;
  connections_.push_back(std::move(connection));
  // Too many at once: the oldest goes, as a new connection replaces the previous one.
  if (connections_.size() > kMaxConnections) connections_.front()->Close();
  added.Accept(request_id);
}

void FrmMain::OnConnectionEnded(HttpConnection& connection) {
  connections_.remove_if([&](const auto& held) { return held.get() == &connection; });
}

std::string FrmMain::ServeChannel(int32_t channel) {
  SendTestCommand(channel);
  return Answer(html_template_, channel);
}

void FrmMain::SendTestCommand(int32_t channel) {
  // A channel outside 1 to 511 never leaves this program: it selects none.
  if (channel < 1 || channel > kHighestTestChannel) channel = 0;
  try {
    auto oDMX = std::make_unique<UniSock>(windows_);
    oDMX->SetProtocol(UniSock::kUdp);
    if (oDMX->Connect(oDMX->LocalIP(), dmx::kDiagnosticsPort))
      oDMX->SendData(net::Data::Long(channel));
    oDMX->CloseSocket();
  } catch (const Error&) {
    // As every step of a request: a failure is skipped.
  }
}

void FrmMain::Form_Unload() {
  for (auto& connection : connections_) connection->Close();
  if (http_server_) {
    try {
      http_server_->CloseSocket();
    } catch (const Error&) {
    }
  }
}

}  // namespace quarnel::webdiag
