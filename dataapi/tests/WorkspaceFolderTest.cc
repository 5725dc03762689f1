// Where the workspace lies: QUARNEL_WORKSPACE first, then the library's own folder when
// the user may write there, then the user's own state folder. Decided as an ordinary
// user: tests running as root ask in a child process that has become nobody.
#include "dataapi/document/Workspace.h"
#include "platform/tests/ScopedEnvironment.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quarnel::dataapi {
namespace {

namespace fs = std::filesystem;

// WorkspaceFolderFor(library_folder) as an ordinary user would get it; "(failed)" when the
// child process could not ask.
std::string FolderForOrdinaryUser(const fs::path& library_folder) {
  std::array<int, 2> pipe_fds{};
  if (::pipe(pipe_fds.data()) != 0) return "(failed)";
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(pipe_fds[0]);
    if (::geteuid() == 0) {
      const passwd* nobody = ::getpwnam("nobody");
      if (nobody == nullptr || ::setgid(nobody->pw_gid) != 0 || ::setuid(nobody->pw_uid) != 0) {
        ::_exit(1);
      }
    }
    const std::string folder = WorkspaceFolderFor(library_folder).string();
    const bool written =
        ::write(pipe_fds[1], folder.data(), folder.size()) == static_cast<ssize_t>(folder.size());
    ::_exit(written ? 0 : 1);
  }
  ::close(pipe_fds[1]);
  std::string folder;
  std::array<char, 256> buffer{};
  for (ssize_t n; (n = ::read(pipe_fds[0], buffer.data(), buffer.size())) > 0;) {
    folder.append(buffer.data(), static_cast<size_t>(n));
  }
  ::close(pipe_fds[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? folder : "(failed)";
}

TEST(WorkspaceFolderTest, OverrideThenAWritableLibraryFolderThenTheUsersStateFolder) {
  const fs::path root =
      fs::path(::testing::TempDir()) / ("workspace-folder-" + std::to_string(::getpid()));
  fs::remove_all(root);
  const fs::path writable = root / "writable";
  const fs::path read_only = root / "read-only";
  for (const fs::path& folder : {writable, read_only}) fs::create_directories(folder);
  fs::permissions(writable, fs::perms::all);
  fs::permissions(read_only, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                 fs::perms::group_exec | fs::perms::others_read |
                                 fs::perms::others_exec);

  struct Case {
    const char* name;
    std::map<std::string, std::optional<std::string>> env;
    fs::path library_folder;
    fs::path expected;
  };
  const std::map<std::string, std::optional<std::string>> kNoState = {
      {"XDG_STATE_HOME", std::nullopt}};
  const Case cases[] = {
      {"QUARNEL_WORKSPACE comes first",
       {{"QUARNEL_WORKSPACE", (root / "chosen").string()}},
       writable,
       root / "chosen"},
      {"a library folder the user may write", {}, writable, writable},
      {"an empty QUARNEL_WORKSPACE counts as unset",
       {{"QUARNEL_WORKSPACE", ""}},
       writable,
       writable},
      {"a library folder the user may not write",
       {{"XDG_STATE_HOME", (root / "state").string()}},
       read_only,
       root / "state" / "quarnel"},
      {"without XDG_STATE_HOME, under the home folder", kNoState, read_only,
       root / "home" / ".local" / "state" / "quarnel"},
      {"a library folder that is not there", kNoState, root / "gone",
       root / "home" / ".local" / "state" / "quarnel"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    platform::testing::ScopedEnvironment env;
    env.Set("QUARNEL_WORKSPACE", std::nullopt);
    env.Set("HOME", (root / "home").string());
    for (const auto& [name, value] : c.env) env.Set(name, value);
    EXPECT_EQ(FolderForOrdinaryUser(c.library_folder), c.expected.string());
  }
  fs::remove_all(root);
}

}  // namespace
}  // namespace quarnel::dataapi
