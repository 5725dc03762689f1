#include "converter/tests/RecastFixture.h"

#include "dataapi/File.h"
#include "platform/base/Environment.h"
#include "platform/base/PathText.h"
#include "platform/tests/TestSystem.h"

#include <fstream>
#include <sstream>

namespace quarnel::converter::testing {

namespace fs = std::filesystem;

void RecastTest::SetUp() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  dir_ = fs::path(::testing::TempDir()) /
         ("recast-" + std::string(info->test_suite_name()) + "-" + info->name() + "-" +
          std::to_string(platform::testing::CurrentProcessId()));
  fs::remove_all(dir_);
  fs::create_directories(dir_ / "workspace");
  platform::SetEnvironmentValue("QUARNEL_WORKSPACE", platform::Utf8FromPath(dir_ / "workspace"));
  remaps_ = DeviceRemaps(dir_ / DeviceRemaps::kFileName);
}

void RecastTest::TearDown() { fs::remove_all(dir_); }

Outcome RecastTest::Convert(const Show& show, const Options& options, bool bulk,
                            const std::string& name) {
  SaveShow(show, dir_ / name);
  Outcome outcome;
  outcome.result = Recast({dir_ / name, options, bulk}, *library_, remaps_, rnd_, *this);
  outcome.events = EventsOf(outcome.result.new_name);
  return outcome;
}

std::vector<DmxEvent> RecastTest::EventsOf(const fs::path& file) {
  Ref<dataapi::File> doc = dataapi::File::Create();
  doc->Load(file.u16string(), dataapi::FileTypeDLS);
  const dataapi::Events& events = *doc->Events();
  std::vector<DmxEvent> list;
  for (int32_t i = 0; i <= events.GetBounds(); ++i) {
    EXPECT_EQ(events.Network(i), 32);
    EXPECT_EQ(events.Command(i), 33);
    EXPECT_EQ(events.StartIntensity(i), events.EndIntensity(i));
    list.push_back(
        {events.Device(i), events.Channel(i), events.SampleNumber(i), events.StartIntensity(i)});
  }
  return list;
}

std::string RecastTest::Bytes(const fs::path& file) const {
  std::stringstream s;
  s << std::ifstream(file, std::ios::binary).rdbuf();
  return s.str();
}

}  // namespace quarnel::converter::testing
