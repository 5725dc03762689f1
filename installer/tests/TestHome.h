// A user's home for installer tests, inside a test folder: the XDG folders (the user's
// start menu, two folders of all users' menus, the desktop) and the product's shortcuts
// placed as a test needs, with the environment that points there. Also checks the
// shortcuts the installer made.
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace quarnel::installer::testing {

class TestHome {
 public:
  // A fresh folder named after the running test and `tag`.
  explicit TestHome(const std::string& tag = "");
  ~TestHome();
  TestHome(const TestHome&) = delete;
  TestHome& operator=(const TestHome&) = delete;

  const std::filesystem::path& Root() const { return root_; }
  std::filesystem::path Home() const { return root_ / "home"; }
  std::filesystem::path UserMenu() const { return Home() / ".local" / "share" / "applications"; }
  // The menus of all users: <root>/sys1/applications and <root>/sys2/applications.
  std::filesystem::path SystemMenu(int n) const;
  std::filesystem::path Desktop() const { return Home() / "Desktop"; }

  // HOME and XDG_DATA_DIRS pointing here, the other XDG variables and QUARNEL_WORKSPACE
  // cleared (empty): the workspace of a library in a folder the user may not write goes
  // to <home>/.local/state/quarnel.
  std::vector<std::pair<std::string, std::string>> Environment() const;

  // Makes a file (and its folders) at `path`, relative to the root unless absolute.
  void Touch(const std::filesystem::path& path, const std::string& text = "[Desktop Entry]\n");
  // Every file and folder of the home and the menus of all users, relative to the root,
  // in name order.
  std::vector<std::string> Tree() const;

 private:
  std::filesystem::path root_;
};

// The names of the shortcut files the installer makes, in the order of its table.
std::vector<std::string> ShortcutFileNames();

// Checks that `folder` holds the three shortcuts to the programs in `program_folder`:
// valid for desktop-file-validate, executable, running the right program, with a
// terminal for the programs that talk on one and the icons that lie beside ours.
void ExpectShortcutsIn(const std::filesystem::path& folder,
                       const std::filesystem::path& program_folder);

// The text split at line ends (CR LF or LF).
std::vector<std::string> LinesOf(const std::string& text);

}  // namespace quarnel::installer::testing
