// adtgdump: prints a table saved in the Advanced Data TableGram format as one JSON
// document, for people inspecting files and for tests.
//
//   adtgdump FILE [--hex] [--code-page N]
//
// Exit status 0 on success, 1 when the file cannot be read (one line on standard error
// names the file and why; for a damaged file the byte offset and what was expected
// there), 2 for a bad command line.

#include "platform/base/Error.h"
#include "platform/base/PathText.h"
#include "platform/base/ProgramArguments.h"
#include "platform/base/ProgramMain.h"
#include "tools/adtgdump/DumpJson.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <stdexcept>
#include <string>

#include <CLI/CLI.hpp>

namespace {

std::string ErrnoText() { return errno != 0 ? std::strerror(errno) : "no reason given"; }

}  // namespace

int main(int argc, char** argv) {
  using namespace quarnel;
  const platform::ProgramArguments arguments(argc, argv);
  CLI::App app{"Prints a saved table (Advanced Data TableGram file) as JSON."};
  std::string path;
  bool hex = false;
  int32_t code_page = 1252;
  app.add_option("FILE", path, "the saved table")->required();
  app.add_flag("--hex", hex, "show text and binary values as the hexadecimal of their bytes");
  app.add_option("--code-page", code_page,
                 "single-byte code page of the text: 1250, 1251, 1252 (default) or 28591");
  try {
    app.parse(arguments.Count(), arguments.Values());
  } catch (const CLI::ParseError& e) {
    const int rc = app.exit(e);
    return rc == 0 ? 0 : 2;
  }

  adtgdump::DumpOptions options;
  options.hex = hex;
  try {
    options.code_page = CodePage(code_page);
  } catch (const Error& e) {
    std::cerr << "adtgdump: --code-page " << code_page << ": " << e.Description() << "\n";
    return 2;
  }

  return RunProgram(
      "adtgdump", path,
      [&] {
        const std::filesystem::path file = platform::PathFromUtf8(path);
        std::error_code ec;
        if (std::filesystem::is_directory(file, ec)) {
          throw std::runtime_error("it is a folder, not a saved table");
        }
        std::ifstream in(file, std::ios::binary);
        if (!in) throw std::runtime_error("cannot open the file (" + ErrnoText() + ")");
        const std::string bytes((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
        if (in.bad()) throw std::runtime_error("cannot read the file (" + ErrnoText() + ")");
        const adtg::AdtgImage image = adtg::ReadAdtg(bytes);
        std::cout << adtgdump::DumpJson(image, options).dump(2) << "\n";
        std::cout.flush();
        if (!std::cout) throw std::runtime_error("the output could not be written");
        return 0;
      },
      std::cerr);
}
