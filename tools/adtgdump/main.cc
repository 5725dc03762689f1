// adtgdump: prints a table saved in the Advanced Data TableGram format as one JSON
// document, for people inspecting files and for tests.
//
//   adtgdump FILE [--hex] [--code-page N]
//
// Exit status 0 on success, 1 when the file cannot be read (the message on standard
// error names the byte offset and what was expected there), 2 for a bad command line.

#include "platform/base/Error.h"
#include "tools/adtgdump/DumpJson.h"

#include <cstdio>
#include <exception>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include <CLI/CLI.hpp>

int main(int argc, char** argv) {
  using namespace quarnel;
  CLI::App app{"Prints a saved table (Advanced Data TableGram file) as JSON."};
  std::string path;
  bool hex = false;
  int32_t code_page = 1252;
  app.add_option("FILE", path, "the saved table")->required();
  app.add_flag("--hex", hex, "show text and binary values as the hexadecimal of their bytes");
  app.add_option("--code-page", code_page,
                 "single-byte code page of the text: 1250, 1251, 1252 (default) or 28591");
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int rc = app.exit(e);
    return rc == 0 ? 0 : 2;
  }

  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::cerr << "adtgdump: " << path << ": cannot open the file\n";
    return 1;
  }
  const std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) {
    std::cerr << "adtgdump: " << path << ": cannot read the file\n";
    return 1;
  }
  try {
    adtgdump::DumpOptions options;
    options.hex = hex;
    options.code_page = CodePage(code_page);
    const adtg::AdtgImage image = adtg::ReadAdtg(data);
    std::cout << adtgdump::DumpJson(image, options).dump(2) << "\n";
  } catch (const adtg::AdtgFormatError& e) {
    std::cerr << "adtgdump: " << path << ": " << e.what() << "\n";
    return 1;
  } catch (const Error& e) {
    std::cerr << "adtgdump: " << e.what() << "\n";
    return 2;
  }
  return std::cout ? 0 : 1;
}
