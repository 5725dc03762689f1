// dlstool: looks into sequence files and compiled playback blocks.
//
//   dlstool dump FILE [--type dls|fast|bak]   loads FILE as the library does and prints
//                                             the document as one JSON document
//   dlstool compiled FILE                     prints the records of a block file such as
//                                             "composed.tmp" as a JSON array
//   dlstool create IN.json OUT.dls [--type dls|bak]
//                                             builds a document from JSON as dump prints
//                                             it and saves it with File.Save
//   dlstool compose IN.dls|IN.json            compiles a sequence file (loaded in full)
//                                             or a JSON document and prints the compiled
//                                             records as a JSON array
//
// Every command works through a workspace of its own (a temporary folder) unless QUARNEL_WORKSPACE
// names one, so that looking into a file never changes the caches of the library's
// workspace. Exit status 0 on success, 1 when a file cannot be loaded or read (standard
// error says what was wrong with it), 2 for a bad command line.

#include "dataapi/CompiledRecord.h"
#include "dataapi/File.h"
#include "platform/base/Environment.h"
#include "platform/base/Error.h"
#include "platform/base/PathText.h"
#include "platform/base/ProgramArguments.h"
#include "platform/base/ProgramMain.h"
#include "platform/base/Terminal.h"
#include "platform/fs/FileErrors.h"
#include "platform/fs/WholeFile.h"
#include "platform/recordset/Recordset.h"
#include "tools/dlstool/DlsCreate.h"
#include "tools/dlstool/DlsJson.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <random>
#include <stdexcept>
#include <string>

#include <CLI/CLI.hpp>

namespace {

using namespace quarnel;
namespace fs = std::filesystem;

// A workspace folder of the tool's own for the length of one run.
class PrivateWorkspace {
 public:
  PrivateWorkspace() {
    if (const auto set = platform::EnvironmentValue("QUARNEL_WORKSPACE"); set && !set->empty()) {
      return;
    }
    // A new folder with a name no other run has: creating it fails when the name is taken.
    std::error_code ec;
    const fs::path temp = fs::temp_directory_path(ec);
    std::random_device random;
    for (int attempt = 0; !ec && attempt < 100 && folder_.empty(); ++attempt) {
      const fs::path candidate = temp / ("dlstool-" + std::to_string(random()));
      if (fs::create_directory(candidate, ec)) folder_ = candidate;
    }
    if (folder_.empty()) {
      throw platform::FileAccessError("dlstool", temp,
                                      "no temporary workspace folder can be made in it");
    }
    platform::SetEnvironmentValue("QUARNEL_WORKSPACE", platform::Utf8FromPath(folder_));
  }
  ~PrivateWorkspace() {
    if (folder_.empty()) return;
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }
  PrivateWorkspace(const PrivateWorkspace&) = delete;
  PrivateWorkspace& operator=(const PrivateWorkspace&) = delete;

 private:
  fs::path folder_;
};

// The records of a sequence file's data field.
std::vector<dataapi::CompiledRecord> DataRecords(const fs::path& path) {
  Recordset rs;
  rs.Open(path);
  if (rs.Eof() || rs.Fields().Find("data") == nullptr) return {};
  return dataapi::ReadCompiledBlock(rs.Fields()["data"].Value().ToBytes(""),
                                    "the playback data (field \"data\")", "");
}

int Dump(const std::string& file, const std::string& type) {
  static const std::map<std::string, dataapi::FileType> kTypes = {
      {"dls", dataapi::FileTypeDLS},
      {"fast", dataapi::FileTypeFastDLS},
      {"bak", dataapi::FileTypeBAK}};
  PrivateWorkspace workspace;
  dlstool::LoadedSequence sequence;
  sequence.doc = dataapi::File::Create();
  auto sink = MakeRef<dataapi::FileEventHandlers>();
  const bool show_progress = platform::StandardErrorIsTerminal();
  sink->on_status_change = [&](std::u16string& text) {
    if (show_progress) std::cerr << dlstool::Utf8(text) << "\n";
  };
  auto collect = [](std::vector<dlstool::ToolEntry>& into) {
    return [&into](int32_t& id, int32_t& start, int32_t& end, std::vector<int32_t>& p) {
      into.push_back({id, start, end, p});
    };
  };
  sink->on_tool_initialize = collect(sequence.tools);
  sink->on_history_initialize = collect(sequence.history);
  sequence.doc->Advise(sink);
  const fs::path path = platform::PathFromUtf8(file);
  sequence.doc->Load(path.u16string(), kTypes.at(type));
  sequence.compiled = DataRecords(path);
  dlstool::WriteSequenceJson(std::cout, sequence);
  return 0;
}

int Compiled(const std::string& file) {
  const std::string bytes = platform::ReadWholeFile(platform::PathFromUtf8(file), "");
  const auto records = dataapi::ReadCompiledBlock(bytes, "the block", "");
  dlstool::WriteRecordsJson(std::cout, records);
  return 0;
}

// Status texts on standard error when a person watches it.
void ShowProgress(dataapi::File& doc) {
  if (!platform::StandardErrorIsTerminal()) return;
  auto sink = MakeRef<dataapi::FileEventHandlers>();
  sink->on_status_change = [](std::u16string& text) { std::cerr << dlstool::Utf8(text) << "\n"; };
  doc.Advise(sink);
}

// A JSON document, or else a sequence file loaded in full.
Ref<dataapi::File> OpenSequence(const std::string& file) {
  std::ifstream in(platform::PathFromUtf8(file), std::ios::binary);
  char first = '\0';
  while (in.get(first) && std::isspace(static_cast<unsigned char>(first))) {
  }
  if (in && first == '{') {
    Ref<dataapi::File> doc = dlstool::DocumentFromJsonFile(file);
    ShowProgress(*doc);
    return doc;
  }
  Ref<dataapi::File> doc = dataapi::File::Create();
  ShowProgress(*doc);
  doc->Load(platform::PathFromUtf8(file).u16string(), dataapi::FileTypeDLS);
  return doc;
}

int Create(const std::string& in, const std::string& out, const std::string& type) {
  PrivateWorkspace workspace;
  Ref<dataapi::File> doc = dlstool::DocumentFromJsonFile(in);
  ShowProgress(*doc);
  doc->Save(platform::PathFromUtf8(out).u16string(),
            type == "bak" ? dataapi::FileTypeBAK : dataapi::FileTypeDLS);
  return 0;
}

int Compose(const std::string& file) {
  PrivateWorkspace workspace;
  Ref<dataapi::File> doc = OpenSequence(file);
  doc->Compose();
  dlstool::WriteRecordsJson(std::cout, doc->CompiledData());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const quarnel::platform::ProgramArguments arguments(argc, argv);
  CLI::App app{"Looks into sequence files (.dls) and compiled playback blocks."};
  app.require_subcommand(1);
  std::string file, type = "dls";
  CLI::App* dump = app.add_subcommand("dump", "load a sequence file and print it as JSON");
  dump->add_option("FILE", file, "the sequence file")->required();
  dump->add_option("--type", type, "how to load it: dls (default), fast or bak")
      ->check(CLI::IsMember({"dls", "fast", "bak"}));
  CLI::App* compiled =
      app.add_subcommand("compiled", "print the records of a compiled playback block as JSON");
  compiled->add_option("FILE", file, "the block file, such as composed.tmp")->required();
  std::string out;
  CLI::App* create = app.add_subcommand(
      "create", "build a document from JSON as dump prints it and save it as a sequence file");
  create->add_option("IN", file, "the JSON document")->required();
  create->add_option("OUT", out, "the sequence file to write")->required();
  create->add_option("--type", type, "how to save it: dls (default, compiled) or bak (backup)")
      ->check(CLI::IsMember({"dls", "bak"}));
  CLI::App* compose = app.add_subcommand(
      "compose", "compile a sequence file or a JSON document and print the compiled records");
  compose->add_option("FILE", file, "the sequence file (.dls) or JSON document")->required();
  try {
    app.parse(arguments.Count(), arguments.Values());
  } catch (const CLI::ParseError& e) {
    const int rc = app.exit(e);
    return rc == 0 ? 0 : 2;
  }
  return quarnel::RunProgram(
      "dlstool", file,
      [&] {
        const int rc = dump->parsed()      ? Dump(file, type)
                       : create->parsed()  ? Create(file, out, type)
                       : compose->parsed() ? Compose(file)
                                           : Compiled(file);
        std::cout.flush();
        if (!std::cout) throw std::runtime_error("the output could not be written");
        return rc;
      },
      std::cerr);
}
