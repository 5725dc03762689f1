#include "installer/FrmMain.h"

#include "installer/Shortcuts.h"
#include "installer/Texts.h"
#include "platform/base/PathText.h"
#include "platform/component/Registration.h"
#include "platform/shell/Shortcut.h"
#include "platform/shell/StandardFolders.h"

#include <system_error>

namespace quarnel::installer {

namespace fs = std::filesystem;

namespace {

// Whether `folder` is there to search; a special folder that is not there is skipped.
bool IsFolder(const fs::path& folder) {
  std::error_code ec;
  return fs::is_directory(folder, ec);
}

}  // namespace

FrmMain::FrmMain(platform::EventLoop& loop, fs::path folder, std::ostream& console,
                 platform::DeviceAccessSystem device_access)
    : loop_(loop),
      folder_(std::move(folder)),
      device_access_(std::move(device_access)),
      window_(loop, "frmMain", console) {
  window_.SetCaption(std::string(kCaption));
  window_.AddLabel("Frame1", std::string(kFrameCaption));
  window_.AddTextBox("txtInstallProgress");
  window_.AddButton("cmdDone", std::string(kDoneCaption)).OnClick([this] { cmdDone_Click(); });
  window_.AddTimer("tmrDoInstall", kInstallDelayMs, true).OnTimer([this] { tmrDoInstall_Timer(); });
}

const std::string& FrmMain::InstallProgress() const {
  return window_.GetTextBox("txtInstallProgress").Text();
}

void FrmMain::tmrDoInstall_Timer() {
  window_.GetTimer("tmrDoInstall").SetEnabled(false);
  // A close asked for while a step runs (Ctrl+C) ends the installation after that step.
  for (void (FrmMain::*step)() :
       {&FrmMain::RegisterDataLibrary, &FrmMain::RegisterTimer, &FrmMain::UpdateStartMenu,
        &FrmMain::UpdateDesktop, &FrmMain::InstallDeviceRule}) {
    if (window_.Unloaded()) return;
    (this->*step)();
  }
  finished_ = true;
  // The Done button appears; on a terminal there is no one to wait for.
  window_.Press("cmdDone");
}

void FrmMain::cmdDone_Click() { window_.Unload(); }

void FrmMain::Log(std::string_view text, bool line_end) {
  std::string added(text);
  added += line_end ? kLineEnd : kStepDots;
  window_.GetTextBox("txtInstallProgress").Append(added);
  loop_.RunOnce(platform::EventLoop::Now());
}

void FrmMain::LogResult(int32_t code) {
  if (code == 0) {
    Log(kSuccess, true);
  } else {
    Log(std::string(kFailOpen) + std::to_string(code) + std::string(kFailClose), true);
  }
}

void FrmMain::LogLines(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) Log(line, true);
}

std::vector<fs::path> FrmMain::GetSpecialFolder(int32_t id) const {
  return platform::SpecialFolderPaths(id);
}

void FrmMain::MakeShortcutsIn(const fs::path& folder, std::vector<std::string>& notes) const {
  for (std::string& failure : MakeShortcuts(folder, folder_)) notes.push_back(std::move(failure));
}

void FrmMain::LogRegistration(const fs::path& library) {
  const platform::RegistrationOutcome outcome = platform::RegisterServer(library);
  LogResult(outcome.code);
  if (outcome.code != 0) Log("(" + outcome.reason + ")", true);
  if (!outcome.note.empty()) Log("(" + outcome.note + ")", true);
}

void FrmMain::RegisterDataLibrary() {
  Log(kRegisteringDataApi, false);
  LogRegistration(folder_ / platform::ComponentLibraryFileName(kDataLibrary));
}

void FrmMain::RegisterTimer() {
  Log(kRegisteringTimer, false);
  const std::string library = platform::FrameClockLibraryFileName();
  if (library.empty()) {
    Log(kTimerNotNeeded, true);
    return;
  }
  LogRegistration(folder_ / library);
}

void FrmMain::UpdateStartMenu() {
  bool found = false;
  std::vector<std::string> notes;
  Log(kUpdatingStartMenu, false);
  const std::string product_shortcut = "Quarnel Sequencer" + platform::ShortcutExtension();
  for (int32_t id : {platform::kFolderStartMenu, platform::kFolderCommonStartMenu}) {
    for (const fs::path& menu : GetSpecialFolder(id)) {
      if (!IsFolder(menu)) continue;
      std::string error;
      for (const std::string& entry : EntriesContaining(menu, "Quarnel", true, error)) {
        const fs::path product_folder = menu / platform::PathFromUtf8(entry);
        std::string inner_error;
        // Once for every product shortcut there: a later set replaces the one before.
        for ([[maybe_unused]] const std::string& file :
             EntriesContaining(product_folder, product_shortcut, false, inner_error)) {
          MakeShortcutsIn(product_folder, notes);
          found = true;
        }
        if (!inner_error.empty()) notes.push_back(inner_error);
      }
      if (!error.empty()) notes.push_back(error);
    }
  }
  LogResult(found ? 0 : 1);
  if (!found) Log(kStartMenuNotFound, true);
  LogLines(notes);
}

void FrmMain::UpdateDesktop() {
  bool found = false;
  std::vector<std::string> notes;
  Log(kUpdatingDesktop, false);
  for (int32_t id : {platform::kFolderDesktop, platform::kFolderCommonDesktop}) {
    for (const fs::path& desktop : GetSpecialFolder(id)) {
      if (!IsFolder(desktop)) continue;
      std::string error;
      for ([[maybe_unused]] const std::string& file :
           EntriesContaining(desktop, "Quarnel Scheduler", false, error)) {
        MakeShortcutsIn(desktop, notes);
        found = true;
      }
      if (!error.empty()) notes.push_back(error);
    }
  }
  LogResult(found ? 0 : 1);
  if (!found) Log(kDesktopNotFound, true);
  LogLines(notes);
}

void FrmMain::InstallDeviceRule() {
  if (!platform::DeviceAccessNeeded()) return;
  Log(kInstallingDeviceRule, false);
  const platform::DeviceAccessOutcome outcome =
      platform::GrantDeviceAccess(folder_, device_access_);
  using Kind = platform::DeviceAccessOutcome::Kind;
  switch (outcome.kind) {
    case Kind::kNeedsAdministrator:
      Log(kNeedsRoot, true);
      break;
    case Kind::kFailed:
      LogResult(outcome.code);
      break;
    default:
      LogResult(0);
  }
  LogLines(outcome.notes);
}

}  // namespace quarnel::installer
