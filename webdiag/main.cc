// QuarnelWebDiagnostics: a web page on which a phone or computer on the local network
// lights one DMX channel at a time, through the DMX output server, which it starts for
// the interface named in ftdinets.dat. The whole command line is the HTTP port (80 when
// empty; 0 picks any free port). Data files and QuarnelOpenDMX lie in the program's folder.
#include "platform/base/ProgramMain.h"
#include "platform/loop/EventLoop.h"
#include "platform/process/ProgramFolder.h"
#include "webdiag/FrmMain.h"

#include <iostream>
#include <string>

int main(int argc, char** argv) {
  std::string command_line;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) command_line += ' ';
    command_line += argv[i];
  }
  return quarnel::RunProgram(
      "QuarnelWebDiagnostics", "",
      [&] {
        quarnel::platform::EventLoop loop;
        quarnel::webdiag::FrmMain form(loop, quarnel::platform::ProgramFolder(), command_line,
                                       std::cout, std::cerr);
        form.Load();
        loop.Run();
        return form.ExitCode();
      },
      std::cerr);
}
