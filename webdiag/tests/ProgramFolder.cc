#include "webdiag/tests/ProgramFolder.h"

#include "platform/process/ProcessStart.h"

#include <cctype>
#include <fstream>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

namespace quarnel::webdiag::testing {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void CopyProgram(const fs::path& from, const fs::path& to) {
  fs::copy_file(from, to, fs::copy_options::overwrite_existing);
  fs::permissions(to, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
}

namespace {

// Removes the folder, waiting (at most 5 s) while a program that has just been ended still
// holds a file in it: on Windows its files stay open until the process has gone.
void RemoveFolder(const fs::path& path) {
  const auto end = std::chrono::steady_clock::now() + 5s;
  std::error_code ec;
  while (fs::remove_all(path, ec), ec && std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(50ms);
  }
}

}  // namespace

ProgramFolder::ProgramFolder() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  path_ = fs::path(::testing::TempDir()) /
          (std::string("webdiag-program-") + info->test_suite_name() + "-" + info->name() + "-" +
           std::to_string(CurrentProcessId()));
  RemoveFolder(path_);
  fs::create_directories(path_);
  CopyProgram(QUARNEL_WEBDIAG_PROGRAM, platform::ProgramFile(path_ / "QuarnelWebDiagnostics"));
  fs::copy_file(QUARNEL_WEBDIAG_TEMPLATE, path_ / "template.htm");
}

ProgramFolder::~ProgramFolder() {
  EndEverything();
  RemoveFolder(path_);
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
  CopyProgram(QUARNEL_OPENDMX_PROGRAM, platform::ProgramFile(path_ / "QuarnelOpenDMX"));
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
  options.program = (platform::ProgramFile(path_ / "QuarnelWebDiagnostics")).string();
  options.args = std::move(args);
  options.env = std::move(env);
  options.output_prefix = (path_ / ("web" + std::to_string(servers_.size()))).string();
  servers_.push_back(std::make_unique<dmx::harness::ServerProcess>(std::move(options)));
  return *servers_.back();
}

void ProgramFolder::EndEverything() {
  for (auto& server : servers_) server->Stop(1000ms);
  std::vector<pid_t> pids = started_;
  // Stand-ins noted their ids.
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(path_, ec)) {
    if (entry.path().extension() == ".started") {
      const std::string text = ReadText(entry.path());
      if (!text.empty()) pids.push_back(static_cast<pid_t>(std::stol(text)));
    }
  }
  // Programs of the folder, and programs working in it (a browser's profile, a log).
  for (pid_t pid : ProcessesOfFolder()) pids.push_back(pid);
  EndProcesses(pids);
  started_.clear();
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
