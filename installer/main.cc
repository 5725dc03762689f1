// PatchInstaller: finishes an installation of the DMX patch whose files lie in the
// program's own folder. It registers the data library, puts shortcuts to the patched
// scheduler, the web diagnostics server and the converter beside the product's own in
// the start menu and on the desktop, installs the USB device rule where the system needs
// one, and logs each step. It exits with status 0 when the steps are done, whatever they
// found: the log is the record; 1 only when it cannot run at all (said in one line).
#include "installer/FrmMain.h"
#include "platform/base/PathText.h"
#include "platform/base/ProgramMain.h"
#include "platform/loop/EventLoop.h"
#include "platform/process/ProgramFolder.h"

#include <iostream>

#include <CLI/CLI.hpp>

int main(int argc, char** argv) {
  CLI::App app{
      "Finishes the installation of the Quarnel 2011 DMX patch found in this program's folder: "
      "registers the data library, adds shortcuts beside the product's own in the start menu "
      "and on the desktop, and installs the USB device rule (as root) or says how to.",
      "PatchInstaller"};
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e) == 0 ? 0 : 2;  // --help, or a command line it takes no part of
  }

  const std::filesystem::path folder = quarnel::platform::ProgramFolder();
  if (folder.empty()) {
    std::cerr << "PatchInstaller: the folder of this program cannot be found." << std::endl;
    return 1;
  }
  return quarnel::RunProgram(
      "PatchInstaller", quarnel::platform::Utf8FromPath(folder),
      [&] {
        quarnel::platform::EventLoop loop;
        quarnel::installer::FrmMain form(loop, folder, std::cout);
        form.Load();
        loop.Run();
        return 0;
      },
      std::cerr);
}
