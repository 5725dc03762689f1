// DMXRecaster: rewrites sequences whose effects the product's own controllers carried out
// into plain steady levels on DMX channels (Network 32), saved beside each source as
// NAME_DMX.dls with a report of the new DMX addresses as NAME_DMX.txt.
//
//   DMXRecaster [options] SOURCE.dls...
//   DMXRecaster [options]          on a terminal: asks for one file after another
//
// Exit status 0 when every source was converted, 1 when a conversion failed (the reason
// is on standard error), 2 for a bad command line. The device remap table
// device_remap_nd.dat lies in the program's folder, or, when the user may not write
// there (installed for every user), in $XDG_STATE_HOME/quarnel beside the library's
// workspace.
#include "converter/DataLibrary.h"
#include "converter/FrmMain.h"
#include "converter/Options.h"
#include "converter/SequenceNames.h"
#include "platform/base/ProgramArguments.h"
#include "platform/base/ProgramMain.h"
#include "platform/loop/EventLoop.h"
#include "platform/process/ProgramFolder.h"
#include "platform/shell/DataFolder.h"
#include "platform/window/Console.h"

#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include <CLI/CLI.hpp>

namespace {

int Run(int argc, char** argv) {
  using namespace quarnel;
  converter::OptionTexts texts;
  std::vector<std::string> sources;
  uint32_t seed = converter::Rnd::kDefaultSeed;

  CLI::App app{
      "DMX Recaster: recasts the fades, twinkles, shimmers and colours of sequences as "
      "steady levels on DMX channels (Network 32), saved beside each source as "
      "NAME_DMX.dls with its channel report NAME_DMX.txt.",
      "DMXRecaster"};
  app.add_option("--ramp-resolution", texts.ramp_resolution,
                 "Ramp resolution in mS: the least time between the steps of a fade")
      ->capture_default_str();
  app.add_option("--twinkle-density", texts.twinkle_density,
                 "Twinkle density in %: the chance that a twinkle step is on")
      ->capture_default_str();
  app.add_option("--twinkle-rate", texts.twinkle_rate,
                 "Twinkle rate in mS: time between twinkle steps")
      ->capture_default_str();
  app.add_option("--shimmer-duration", texts.shimmer_duration,
                 "Shimmer duration in mS: how long each shimmer pulse is on")
      ->capture_default_str();
  app.add_option("--shimmer-rate", texts.shimmer_rate,
                 "Shimmer rate in mS: time between shimmer pulses")
      ->capture_default_str();
  app.add_option("--seed", seed, "Starts the random numbers elsewhere (0 to 16777215)")
      ->check(CLI::Range(0u, converter::Rnd::kModulus - 1))
      ->capture_default_str();
  app.add_option("SOURCE", sources,
                 "Sequence files (.dls) to convert; without them, on a terminal, the files are "
                 "asked for one after another");
  app.footer(converter::kOptionsNote);
  try {
    const platform::ProgramArguments arguments(argc, argv);
    app.parse(arguments.Count(), arguments.Values());
  } catch (const CLI::ParseError& e) {
    const int rc = app.exit(e);
    return rc == 0 ? 0 : 2;
  }

  // Everything is checked before anything is loaded.
  const auto options = converter::ParseOptions(texts);
  if (const auto* message = std::get_if<std::string>(&options)) {
    std::cerr << "DMXRecaster: " << *message << std::endl;
    return 2;
  }
  const bool ask = sources.empty();
  if (ask && !platform::StandardInputIsTerminal()) {
    std::cerr << "DMXRecaster: give the sequence files (.dls) to convert; see DMXRecaster --help"
              << std::endl;
    return 2;
  }
  std::vector<std::filesystem::path> paths;
  for (const std::string& source : sources) {
    if (!converter::DmxSequenceName(source)) {
      std::cerr << "DMXRecaster: " << source
                << " is not a sequence file: its name does not end in \".dls\"." << std::endl;
      return 2;
    }
    paths.emplace_back(source);
  }

  // Made when missing; a folder that cannot be made shows when the table is saved.
  const std::filesystem::path table_folder =
      platform::OwnOrUserDataFolder(platform::ProgramFolder());
  std::error_code ec;
  std::filesystem::create_directories(table_folder, ec);

  platform::EventLoop loop;
  const std::unique_ptr<converter::DataLibrary> library = converter::ProgramLibrary();
  int exit_code = 1;
  {
    converter::FrmMain form(loop, *library, table_folder, std::cout, std::cerr,
                            platform::StandardOutputKind(), seed);
    const auto& chosen = std::get<converter::Options>(options);
    if (!form.Load()) {
      form.Unload();
    } else if (ask) {
      form.AskForSources(texts, chosen);
      loop.Run();
      exit_code = form.ExitCode();
    } else {
      exit_code = form.Recast(paths, texts, chosen);
      form.Unload();
    }
  }
  return exit_code;
}

}  // namespace

int main(int argc, char** argv) {
  return quarnel::RunProgram(
      "DMXRecaster", "", [&] { return Run(argc, argv); }, std::cerr);
}
