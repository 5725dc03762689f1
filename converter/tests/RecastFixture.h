// A folder of the test's own with a library workspace in it, the converter's run state,
// and conversions of shows saved there, read back through the library.
#pragma once

#include "converter/DeviceRemaps.h"
#include "converter/Recaster.h"
#include "converter/Rnd.h"
#include "converter/tests/Shows.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace quarnel::converter::testing {

// One event of a converted sequence: DMX (device, channel), sample, level.
struct DmxEvent {
  int32_t device, channel, sample, level;
  friend bool operator==(const DmxEvent&, const DmxEvent&) = default;
};

struct Outcome {
  ConversionResult result;
  std::vector<DmxEvent> events;
};

class RecastTest : public ::testing::Test, public ConversionObserver {
 protected:
  void SetUp() override;
  void TearDown() override;

  // ConversionObserver: statuses and warnings are kept.
  void UpdateStatus(const std::string& text, double) override { statuses.push_back(text); }
  void Warning(const std::string& text) override { warnings.push_back(text); }

  // Saves the show as `name` in the folder and converts it.
  Outcome Convert(const Show& show, const Options& options = {}, bool bulk = true,
                  const std::string& name = "Show.dls");
  // The events of a saved DMX sequence, all of them command 33 on Network 32.
  static std::vector<DmxEvent> EventsOf(const std::filesystem::path& file);
  std::string Bytes(const std::filesystem::path& file) const;

  std::filesystem::path dir_;
  std::unique_ptr<DataLibrary> library_ = DirectLibrary();
  DeviceRemaps remaps_{""};
  Rnd rnd_;
  std::vector<std::string> statuses;
  std::vector<std::string> warnings;
};

}  // namespace quarnel::converter::testing
