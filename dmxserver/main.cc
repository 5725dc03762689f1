// QuarnelOpenDMX: receives DMX frames on UDP 15005 and channel tests on UDP 15006, and
// writes a frame to one Open DMX USB interface every 26 ms. The whole command line is the
// serial number of the interface to use (none, or no match: the first one attached).
//
// QUARNEL_FTDI=sim:SERIAL[,SERIAL...] runs on simulated interfaces instead of hardware
// (see platform/ftdi/BackendFactory.h). The server asks for a real-time priority, so its
// frames keep their clock on a busy machine; QUARNEL_PRIORITY=normal leaves it ordinary.
#include "dmxserver/FrmMain.h"
#include "platform/base/ProgramMain.h"
#include "platform/ftdi/BackendFactory.h"
#include "platform/ftdi/LineClock.h"
#include "platform/loop/EventLoop.h"
#include "platform/process/Priority.h"

#include <cstdlib>
#include <iostream>
#include <string>

namespace {

int Run(int argc, char** argv) {
  std::string command_line;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) command_line += ' ';
    command_line += argv[i];
  }

  // Frames must keep their 26 ms clock even when the machine is busy.
  // QUARNEL_PRIORITY=normal keeps the ordinary priority (tests running many servers).
  const char* priority = std::getenv("QUARNEL_PRIORITY");
  if (priority == nullptr || std::string(priority) != "normal") {
    quarnel::platform::RaiseClockThreadPriority();
  }
  quarnel::platform::RequestFineTimers();
  quarnel::platform::EventLoop loop;
  quarnel::ftdi::SystemLineClock clock;
  std::unique_ptr<quarnel::ftdi::D2xx> d2xx = quarnel::ftdi::MakeD2xx(
      clock, [](const std::string& line) { std::cerr << "QuarnelOpenDMX: " << line << std::endl; });
  {
    quarnel::dmx::FrmMain form(loop, *d2xx, command_line, std::cout);
    form.Load();
    loop.Run();
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  return quarnel::RunProgram(
      "QuarnelOpenDMX", "", [&] { return Run(argc, argv); }, std::cerr);
}
