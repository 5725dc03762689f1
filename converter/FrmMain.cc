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

FrmMain::FrmMain(platform::EventLoop& loop, std::filesystem::path folder, std::ostream& console,
                 std::ostream& errors, platform::ConsoleKind kind, uint32_t seed)
    : loop_(loop),
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

int FrmMain::Recast(const std::vector<std::filesystem::path>& sources, const OptionTexts& texts,
                    const Options& options) {
  window_.WriteLine("Options: ramp resolution " + texts.ramp_resolution + " mS, twinkle density " +
                    texts.twinkle_density + " %, twinkle rate " + texts.twinkle_rate +
                    " mS, shimmer duration " + texts.shimmer_duration + " mS, shimmer rate " +
                    texts.shimmer_rate + " mS");
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
    result = converter::Recast(request, remaps_, rnd_, observer);
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
