#include "converter/FrmMain.h"

#include "converter/ConversionError.h"
#include "converter/Reports.h"
#include "converter/SequenceNames.h"
#include "platform/base/Error.h"
#include "platform/fs/WholeFile.h"

#include <new>
#include <ostream>

namespace quarnel::converter {

// What a conversion tells the window, shown through the progress view; each status lets
// pending messages run, so that a close (Ctrl+C) is seen while converting.
class FrmMain::Observer : public ConversionObserver {
 public:
  explicit Observer(FrmMain& form) : form_(form) {}
  void UpdateStatus(const std::string& text, double percent) override {
    form_.view_.UpdateStatus(text, percent);
    form_.loop_.RunOnce(platform::EventLoop::Now());
  }
  void Warning(const std::string& text) override { form_.view_.Message("Warning: " + text); }
  bool StopRequested() override { return form_.stop_requested_; }
  void PhaseStarted(ConversionPhase phase) override {
    form_.saving_ = phase == ConversionPhase::kSave;
  }

 private:
  FrmMain& form_;
};

namespace {

constexpr char kAskText[] = "Sequence file to convert (.dls), or an empty line to close:";

// A file name as typed or dropped on a terminal: spaces around it and one pair of quotes
// around it go.
std::string SourceOfLine(std::string line) {
  const size_t first = line.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  line = line.substr(first, line.find_last_not_of(" \t") - first + 1);
  if (line.size() >= 2 && (line.front() == '"' || line.front() == '\'') &&
      line.back() == line.front()) {
    line = line.substr(1, line.size() - 2);
  }
  return line;
}

}  // namespace

FrmMain::FrmMain(platform::EventLoop& loop, DataLibrary& library, std::filesystem::path folder,
                 std::ostream& console, std::ostream& errors, platform::ConsoleKind kind,
                 uint32_t seed)
    : loop_(loop),
      library_(library),
      errors_(errors),
      window_(loop, "frmMain", console),
      view_(console, kind.terminal, kind.columns),
      remaps_(folder / DeviceRemaps::kFileName),
      rnd_(seed) {
  window_.OnQueryUnload([this](bool& cancel) { Form_QueryUnload(cancel); });
}

FrmMain::~FrmMain() = default;

bool FrmMain::Load() {
  window_.SetCaption(kCaption);
  window_.Load();
  try {
    remaps_.LoadRemapTable();
  } catch (const Error& e) {
    Fail("the device remap table cannot be read: error " + std::to_string(e.Number()) + " in " +
         e.Source() + ": " + e.Description());
    return false;
  }
  return true;
}

void FrmMain::Form_QueryUnload(bool& cancel) {
  if (!converting_) return;
  // The conversion stops at its next step, before anything is saved; the window closes
  // when it has.
  cancel = true;
  if (!stop_requested_) {
    view_.Message(saving_ ? "Stopping after the save, which is under way ..."
                          : "Stopping the conversion ...");
  }
  stop_requested_ = true;
}

void FrmMain::ShowOptions(const OptionTexts& texts) {
  window_.WriteLine("Options: ramp resolution " + texts.ramp_resolution + " mS, twinkle density " +
                    texts.twinkle_density + " %, twinkle rate " + texts.twinkle_rate +
                    " mS, shimmer duration " + texts.shimmer_duration + " mS, shimmer rate " +
                    texts.shimmer_rate + " mS");
}

int FrmMain::Recast(const std::vector<std::filesystem::path>& sources, const OptionTexts& texts,
                    const Options& options) {
  ShowOptions(texts);
  for (size_t i = 0; i < sources.size(); ++i) {
    if (stop_requested_) {
      const size_t left = sources.size() - i;
      Fail("stopped: " + std::to_string(left) + (left == 1 ? " sequence was" : " sequences were") +
           " not converted.");
      return 1;
    }
    if (!cmdRecast_Click(sources[i], options)) return 1;
  }
  return 0;
}

void FrmMain::AskForSources(const OptionTexts& texts, const Options& options) {
  options_ = options;
  ShowOptions(texts);
  window_.WriteLine(kOptionsNote);
  window_.WriteLine(kAskText);
  input_ = std::make_unique<platform::ConsoleInput>(
      loop_, [this](const std::string& line) { txtSource_Line(line); },
      [this] {
        input_ended_ = true;
        NextSource();
      });
}

void FrmMain::txtSource_Line(const std::string& line) {
  given_.push_back(line);
  NextSource();
}

void FrmMain::NextSource() {
  // A line typed while a conversion runs waits for it to end.
  if (converting_ || window_.Unloaded()) return;
  while (!given_.empty()) {
    const std::string text = SourceOfLine(given_.front());
    given_.pop_front();
    if (text.empty()) {
      Unload();
      return;
    }
    if (!DmxSequenceName(text)) {
      Fail(text + " is not a sequence file: its name does not end in \".dls\".");
      exit_code_ = 1;
    } else if (!cmdRecast_Click(text, options_)) {
      exit_code_ = 1;
    }
    if (stop_requested_) {
      Unload();
      return;
    }
    window_.WriteLine(kAskText);
  }
  if (input_ended_) Unload();
}

bool FrmMain::cmdRecast_Click(const std::filesystem::path& source, const Options& options) {
  std::error_code ec;
  std::filesystem::path path = std::filesystem::absolute(source, ec);
  if (ec) path = source;
  window_.WriteLine("Source File: " + path.string());

  ConversionRequest request{path, options, true};
  Observer observer(*this);
  converting_ = true;
  std::optional<ConversionResult> result;
  std::string failure;
  try {
    result = converter::Recast(request, library_, remaps_, rnd_, observer);
  } catch (const ConversionError& e) {
    failure = e.what();
  } catch (const Error& e) {
    failure = "error " + std::to_string(e.Number()) + " in " + e.Source() + ": " + e.Description();
  } catch (const std::bad_alloc&) {
    failure = "error 7: Out of memory";
  } catch (const std::exception& e) {
    failure = e.what();
  }
  converting_ = saving_ = false;
  view_.Finish();
  if (!result) {
    Fail(failure + "\nThe conversion of " + path.string() +
         " did not finish: nothing was saved, and the source is unchanged.");
    return false;
  }
  return ShowReport(*result);
}

bool FrmMain::ShowReport(const ConversionResult& result) {
  const std::string text = ReportText(remaps_.DeviceLines(), result.channel_lines);
  window_.WriteLine("Saved " + result.new_name.string() + ".");
  window_.WriteLine("");
  window_.WriteLine(text);
  const std::filesystem::path report = ReportName(result.new_name);
  try {
    platform::WriteWholeFile(report, text, "DMXRecaster");
    window_.WriteLine("The report is saved as " + report.string() + ".");
  } catch (const Error& e) {
    Fail("the report could not be saved: " + e.Description());
    return false;
  }
  return true;
}

void FrmMain::Fail(const std::string& text) { errors_ << "DMXRecaster: " << text << std::endl; }

}  // namespace quarnel::converter
