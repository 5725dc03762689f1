#include "webdiag/tests/ProgramFolder.h"

#include <cctype>
#include <csignal>
#include <fstream>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quarnel::webdiag::testing {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// A copy rather than a link: the program's folder is where its file lies.
void CopyProgram(const fs::path& from, const fs::path& to) {
  fs::copy_file(from, to, fs::copy_options::overwrite_existing);
  fs::permissions(to, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
}

}  // namespace

bool ProcessAlive(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string stat;
  if (!std::getline(in, stat)) return false;
  const size_t close = stat.rfind(')');
  return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] != 'Z';
}

ProgramFolder::ProgramFolder() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  path_ =
      fs::path(::testing::TempDir()) / (std::string("webdiag-program-") + info->test_suite_name() +
                                        "-" + info->name() + "-" + std::to_string(::getpid()));
  fs::remove_all(path_);
  fs::create_directories(path_);
  CopyProgram(QUARNEL_WEBDIAG_PROGRAM, path_ / "QuarnelWebDiagnostics");
  fs::copy_file(QUARNEL_WEBDIAG_TEMPLATE, path_ / "template.htm");
}

ProgramFolder::~ProgramFolder() {
  EndEverything();
  std::error_code ec;
  fs::remove_all(path_, ec);
}

void ProgramFolder::WriteFile(const std::string& name, const std::string& bytes) {
  std::ofstream(path_ / name, std::ios::binary) << bytes;
}

void ProgramFolder::WriteSerial(const std::string& field) {
  std::string padded = field;
  if (padded.size() < 16) padded.resize(16, '\0');
  WriteFile("ftdinets.dat", std::string(319, '\x01') + padded + std::string(64, '\x02'));
}

void ProgramFolder::AddDmxServer() {
  CopyProgram(QUARNEL_OPENDMX_PROGRAM, path_ / "QuarnelOpenDMX");
}

void ProgramFolder::AddStandIn(const std::string& name, int seconds) {
  const fs::path script = path_ / name;
  std::ofstream(script) << "#!/bin/sh\n"
                        << "{ echo $$; for a in \"$@\"; do echo \"$a\"; done; } > \"$0.tmp\"\n"
                        << "mv \"$0.tmp\" \"$0.started\"\n"
                        << "exec sleep " << seconds << "\n";
  fs::permissions(script, fs::perms::owner_all);
}

pid_t ProgramFolder::StartNamedProgram(const std::string& name) {
  CopyProgram("/bin/sleep", path_ / name);
  const pid_t pid = ::fork();
  if (pid == 0) {
    const std::string program = (path_ / name).string();
    ::execl(program.c_str(), program.c_str(), "60", static_cast<char*>(nullptr));
    _exit(127);
  }
  started_.push_back(pid);
  // Running as that program once exec is done.
  for (int i = 0; i < 400; ++i) {
    std::error_code ec;
    if (fs::read_symlink("/proc/" + std::to_string(pid) + "/exe", ec) == path_ / name) break;
    std::this_thread::sleep_for(5ms);
  }
  return pid;
}

std::optional<std::vector<std::string>> ProgramFolder::StandInRun(
    const std::string& name, std::chrono::milliseconds timeout) {
  const fs::path file = path_ / (name + ".started");
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (!fs::exists(file)) {
    if (std::chrono::steady_clock::now() >= end) return std::nullopt;
    std::this_thread::sleep_for(10ms);
  }
  std::vector<std::string> lines;
  std::stringstream in(ReadText(file));
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

dmx::harness::ServerProcess& ProgramFolder::RunWebServer(
    std::vector<std::string> args, std::vector<std::pair<std::string, std::string>> env) {
  dmx::harness::ProcessOptions options;
  options.program = (path_ / "QuarnelWebDiagnostics").string();
  options.args = std::move(args);
  options.env = std::move(env);
  options.output_prefix = (path_ / ("web" + std::to_string(servers_.size()))).string();
  servers_.push_back(std::make_unique<dmx::harness::ServerProcess>(std::move(options)));
  return *servers_.back();
}

void ProgramFolder::EndEverything() {
  for (auto& server : servers_) server->Stop(1000ms);
  std::vector<pid_t> pids = started_;
  // Stand-ins noted their pids; programs copied here show the folder in their executable.
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(path_, ec)) {
    if (entry.path().extension() == ".started") {
      const std::string text = ReadText(entry.path());
      if (!text.empty()) pids.push_back(static_cast<pid_t>(std::stol(text)));
    }
  }
  for (const auto& entry : fs::directory_iterator("/proc", ec)) {
    const std::string name = entry.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    if (std::stol(name) == ::getpid()) continue;
    std::error_code link_ec;
    const fs::path exe = fs::read_symlink(entry.path() / "exe", link_ec);
    // Programs of the folder, and programs working in it (a browser's profile, a log).
    const std::string command_line = ReadText(entry.path() / "cmdline");
    if ((!link_ec && exe.parent_path() == path_) ||
        command_line.find(path_.string() + "/") != std::string::npos) {
      pids.push_back(static_cast<pid_t>(std::stol(name)));
    }
  }
  for (pid_t pid : pids) ::kill(pid, SIGKILL);
  for (pid_t pid : started_) ::waitpid(pid, nullptr, 0);
  started_.clear();
  for (pid_t pid : pids) {
    for (int i = 0; i < 200 && ProcessAlive(pid); ++i) std::this_thread::sleep_for(5ms);
  }
}

std::optional<std::chrono::milliseconds> WaitForOutput(dmx::harness::ServerProcess& process,
                                                       const std::string& text,
                                                       std::chrono::milliseconds timeout) {
  const auto start = std::chrono::steady_clock::now();
  if (!process.WaitForOutput(text, timeout)) return std::nullopt;
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               start);
}

uint16_t PortFromUrl(const std::string& output) {
  // "http://" then a dotted address, a colon and the port.
  for (size_t at = output.find("http://"); at != std::string::npos;
       at = output.find("http://", at + 1)) {
    size_t i = at + 7;
    while (i < output.size() &&
           (std::isdigit(static_cast<unsigned char>(output[i])) || output[i] == '.')) {
      ++i;
    }
    if (i == at + 7 || i >= output.size() || output[i] != ':') continue;
    size_t end = ++i;
    while (end < output.size() && std::isdigit(static_cast<unsigned char>(output[end]))) ++end;
    if (end == i || end - i > 5) continue;
    return static_cast<uint16_t>(std::stoi(output.substr(i, end - i)));
  }
  return 0;
}

}  // namespace quarnel::webdiag::testing
