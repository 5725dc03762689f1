#include "platform/base/ProgramMain.h"

#include "platform/base/Error.h"

#include <exception>
#include <filesystem>
#include <new>
#include <ostream>
#include <system_error>

namespace quarnel {
namespace {

// Words for what a program did not expect, in the terms a user can act on.
std::string ReasonOf(std::exception_ptr failure) {
  try {
    std::rethrow_exception(failure);
  } catch (const Error& e) {
    return e.what();
  } catch (const std::filesystem::filesystem_error& e) {
    return e.code().message();
  } catch (const std::system_error& e) {
    return e.code().message();
  } catch (const std::bad_alloc&) {
    return "out of memory";
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "an unknown failure";
  }
}

}  // namespace

std::string OneLine(std::string_view text) {
  std::string line;
  line.reserve(text.size());
  for (char c : text) {
    const bool space = c == '\n' || c == '\r' || c == '\t' || c == ' ';
    if (space) {
      if (!line.empty() && line.back() != ' ') line.push_back(' ');
    } else {
      line.push_back(c);
    }
  }
  while (!line.empty() && line.back() == ' ') line.pop_back();
  return line;
}

int RunProgram(std::string_view program, std::string_view file, const std::function<int()>& work,
               std::ostream& errors) {
  try {
    return work();
  } catch (...) {
    std::string line(program);
    line += ": ";
    if (!file.empty()) line += OneLine(file) + ": ";
    line += OneLine(ReasonOf(std::current_exception()));
    errors << line << std::endl;
    return 1;
  }
}

}  // namespace quarnel
