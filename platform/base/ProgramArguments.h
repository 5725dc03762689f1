// The program's command line as UTF-8 text on every system. On Windows the arguments are
// taken from the wide command line, so that file names outside the ANSI code page (and
// outside code page 1252 in particular) keep every character.
#pragma once

#include <string>
#include <vector>

namespace quarnel::platform {

class ProgramArguments {
 public:
  // `argc` and `argv` as main received them.
  ProgramArguments(int argc, char** argv);
  ProgramArguments(const ProgramArguments&) = delete;
  ProgramArguments& operator=(const ProgramArguments&) = delete;

  // As main's argc and argv, the program's name first; valid while the object lives.
  int Count() const { return static_cast<int>(text_.size()); }
  const char* const* Values() const { return pointers_.data(); }

 private:
  std::vector<std::string> text_;
  std::vector<const char*> pointers_;
};

}  // namespace quarnel::platform
