// The installer's window, "Install Quarnel 2011 DMX Patch": it finishes an installation
// whose files lie in the installer's own folder, writing a log as it goes.
//
//   300 ms after loading  the steps, in order, each with its line in the log:
//                         1. the data library's DllRegisterServer
//                         2. the outside timer component's DllRegisterServer (where the
//                            system has one; else the log says it is not needed)
//                         3. the three shortcuts in each start-menu folder of the product
//                         4. the three shortcuts in each desktop holding its icons
//                         5. where the system asks for one, the rule that lets the DMX
//                            output server open the USB interfaces
//   then                  the Done button, whose press closes the window; on a terminal
//                         it is pressed at once, so the program ends with the steps
//
// No step stops the others: each failure is logged with its code and what went wrong.
// The log (txtInstallProgress) grows on the console as it is written. All handlers run on
// the loop's thread.
#pragma once

#include "platform/device/DeviceAccess.h"
#include "platform/loop/EventLoop.h"
#include "platform/window/Window.h"

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace quarnel::installer {

class FrmMain {
 public:
  static constexpr int32_t kInstallDelayMs = 300;
  static constexpr char kDataLibrary[] = "QuarnelDataAPI3";

  // `folder` is the installer's folder, where the installed files lie; `device_access`
  // says where the device rule goes.
  FrmMain(platform::EventLoop& loop, std::filesystem::path folder, std::ostream& console,
          platform::DeviceAccessSystem device_access = {});
  FrmMain(const FrmMain&) = delete;
  FrmMain& operator=(const FrmMain&) = delete;

  // Shows the window; the installation follows 300 ms later on the loop.
  void Load() { window_.Load(); }
  platform::Window& Form() { return window_; }
  // The log as the text box holds it (lines end in CR LF).
  const std::string& InstallProgress() const;
  // True once every step has run.
  bool Finished() const { return finished_; }

 private:
  // Event handlers, named after the control and the event.
  void tmrDoInstall_Timer();
  void cmdDone_Click();

  // Appends `text` to the log, then the dots between a step and its result, or a line
  // end; lets pending window messages run.
  void Log(std::string_view text, bool line_end);
  // "Success" for 0, else "Fail (code)", ending the line.
  void LogResult(int32_t code);
  // Each of `lines` on a line of its own.
  void LogLines(const std::vector<std::string>& lines);
  std::vector<std::filesystem::path> GetSpecialFolder(int32_t id) const;
  // DllRegisterServer of `library`: its result, and why when it failed.
  void LogRegistration(const std::filesystem::path& library);
  // The three shortcuts in `folder`; a line in `notes` for each that could not be made.
  void MakeShortcutsIn(const std::filesystem::path& folder, std::vector<std::string>& notes) const;

  // The steps.
  void RegisterDataLibrary();
  void RegisterTimer();
  void UpdateStartMenu();
  void UpdateDesktop();
  void InstallDeviceRule();

  platform::EventLoop& loop_;
  std::filesystem::path folder_;
  platform::DeviceAccessSystem device_access_;
  platform::Window window_;
  bool finished_ = false;
};

}  // namespace quarnel::installer
