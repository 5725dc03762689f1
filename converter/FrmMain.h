// frmMain, the window of the converter ("DMX Recaster"): a source sequence, the five
// options and the button that recasts it into NAME_DMX.dls beside it.
//
//   loading      the caption and the options note; the device remap table is loaded from
//                the program's folder
//   Recast       for each source in turn: the conversion with its status texts and
//                percentages (one line redrawn in place on a terminal, plain lines
//                otherwise), then the Device and Channels reports, printed and written
//                beside the new sequence as NAME_DMX.txt; the first failure ends the run
//   AskForSources  without sources on the command line: the window asks for one file
//                after another on the console and converts each, until an empty line
//   closing      SIGINT or SIGTERM during a conversion stop it before anything is saved
//
// The remap table's numbering state and the random generator live as long as the window,
// so conversions in one run continue them. All handlers run on the loop's thread.
#pragma once

#include "converter/DataLibrary.h"
#include "converter/DeviceRemaps.h"
#include "converter/Options.h"
#include "converter/ProgressView.h"
#include "converter/Recaster.h"
#include "converter/Rnd.h"
#include "platform/loop/EventLoop.h"
#include "platform/window/Console.h"
#include "platform/window/Window.h"

#include <deque>
#include <filesystem>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quarnel::converter {

class FrmMain {
 public:
  static constexpr char kCaption[] = "DMX Recaster";

  // Sequences are read and written through `library`; `folder` holds the remap table;
  // console output goes to `console` as `kind` says, failures to `errors`.
  FrmMain(platform::EventLoop& loop, DataLibrary& library, std::filesystem::path folder,
          std::ostream& console, std::ostream& errors, platform::ConsoleKind kind,
          uint32_t seed = Rnd::kDefaultSeed);
  ~FrmMain();
  FrmMain(const FrmMain&) = delete;
  FrmMain& operator=(const FrmMain&) = delete;

  // Shows the window and loads the remap table; false (said on the error stream) when the
  // table cannot be read.
  bool Load();
  // Converts each source with the options (their texts are shown as typed); stops at the
  // first failure. The exit status: 0 when all were converted, else 1.
  int Recast(const std::vector<std::filesystem::path>& sources, const OptionTexts& texts,
             const Options& options);
  // Asks for sequence files on the console and converts each as it is given, until an
  // empty line or the end of the input closes the window. Runs on the loop.
  void AskForSources(const OptionTexts& texts, const Options& options);
  // After AskForSources: 0 when every conversion succeeded, else 1.
  int ExitCode() const { return exit_code_; }
  void Unload() { window_.Unload(); }

  platform::Window& Form() { return window_; }
  const DeviceRemaps& Remaps() const { return remaps_; }

 private:
  class Observer;

  // cmdRecast_Click for one source; false when it failed (said on the error stream).
  bool cmdRecast_Click(const std::filesystem::path& source, const Options& options);
  void Form_QueryUnload(bool& cancel);
  void txtSource_Line(const std::string& line);
  // Converts the files given so far, one after another, when no conversion runs.
  void NextSource();
  void ShowOptions(const OptionTexts& texts);
  // Prints the reports and writes them beside the new sequence; false when that fails.
  bool ShowReport(const ConversionResult& result);
  void Fail(const std::string& text);

  platform::EventLoop& loop_;
  DataLibrary& library_;
  std::ostream& errors_;
  platform::Window window_;
  ProgressView view_;
  DeviceRemaps remaps_;
  Rnd rnd_;
  std::unique_ptr<platform::ConsoleInput> input_;
  std::deque<std::string> given_;
  bool input_ended_ = false;
  Options options_;
  int exit_code_ = 0;
  bool converting_ = false;
  bool saving_ = false;
  bool stop_requested_ = false;
};

}  // namespace quarnel::converter
