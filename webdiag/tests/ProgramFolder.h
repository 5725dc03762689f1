// A folder laid out as the programs' installation folder, for running QuarnelWebDiagnostics
// as people do: the program (a copy, since a program finds its folder through its own
// file), its page, and as each test needs: ftdinets.dat, the DMX output server (real, or
// a stand-in that notes how it was started), Tessivar and the older DMX program. The
// stand-in is a shell script on POSIX systems and a small test program on Windows
// (ProgramFolder_posix.cc, ProgramFolder_win.cc). Every process started from or working
// in the folder is ended with it.
#pragma once

#include "dmxserver/harness/ServerProcess.h"

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quarnel::webdiag::testing {

class ProgramFolder {
 public:
  // A fresh folder named after the running test, holding the web server and template.htm.
  ProgramFolder();
  ~ProgramFolder();
  ProgramFolder(const ProgramFolder&) = delete;
  ProgramFolder& operator=(const ProgramFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  std::filesystem::path File(const std::string& name) const { return path_ / name; }

  void WriteFile(const std::string& name, const std::string& bytes);
  // ftdinets.dat with `field` at bytes 320 to 335 (padded with NULs to 16 bytes) and a
  // tail, as the product writes it.
  void WriteSerial(const std::string& field);
  // The built DMX output server.
  void AddDmxServer();
  // A program named `name` that writes "<pid>\n<arg>\n..." to <name>.started and then
  // sleeps for 30 seconds.
  void AddStandIn(const std::string& name);
  // Starts a program named `name` (a copy of sleep, or of the stand-in) that runs until
  // the folder goes.
  pid_t StartNamedProgram(const std::string& name);

  // What a stand-in noted: its pid and arguments; nullopt when it has not run (within
  // `timeout`).
  std::optional<std::vector<std::string>> StandInRun(
      const std::string& name, std::chrono::milliseconds timeout = std::chrono::milliseconds(0));

  // Runs the web server with `args` and `env`; its output goes to files in the folder.
  dmx::harness::ServerProcess& RunWebServer(
      std::vector<std::string> args, std::vector<std::pair<std::string, std::string>> env = {});

  // Ends every process whose program lies in the folder or whose command line names a
  // file in it (a browser's profile), and every stand-in.
  void EndEverything();

 private:
  // The processes whose program lies in the folder or whose command line names a file
  // in it (a browser's profile).
  std::vector<pid_t> ProcessesOfFolder() const;

  std::filesystem::path path_;
  std::vector<std::unique_ptr<dmx::harness::ServerProcess>> servers_;
  std::vector<pid_t> started_;
};

// Waits until `text` appears on the process's standard output; the time it took.
std::optional<std::chrono::milliseconds> WaitForOutput(dmx::harness::ServerProcess& process,
                                                       const std::string& text,
                                                       std::chrono::milliseconds timeout);

// The port in "http://<address>:<port>" on the process's output; 0 when not there.
uint16_t PortFromUrl(const std::string& output);

// True while a process with this id exists and has not ended.
bool ProcessAlive(pid_t pid);

// What the system parts share.
long CurrentProcessId();
std::string ReadText(const std::filesystem::path& path);
// A copy rather than a link: the program's folder is where its file lies.
void CopyProgram(const std::filesystem::path& from, const std::filesystem::path& to);
// Ends the processes at once, and waits (bounded) until they are gone.
void EndProcesses(const std::vector<pid_t>& pids);

}  // namespace quarnel::webdiag::testing
