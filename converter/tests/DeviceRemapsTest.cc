#include "converter/ConversionError.h"
#include "converter/DeviceRemaps.h"
#include "platform/tests/TestSystem.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

namespace quarnel::converter {
namespace {

namespace fs = std::filesystem;

class DeviceRemapsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ =
        fs::path(::testing::TempDir()) /
        ("remaps-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
         "-" + std::to_string(platform::testing::CurrentProcessId()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path File() const { return dir_ / DeviceRemaps::kFileName; }
  void WriteTable(const std::string& bytes) const {
    std::ofstream(File(), std::ios::binary) << bytes;
  }
  std::string ReadTable() const {
    std::stringstream s;
    s << std::ifstream(File(), std::ios::binary).rdbuf();
    return s.str();
  }
  // A single-colour (or half-size, type 2) channel, assigned and remapped.
  RgbData Convert(DeviceRemaps& remaps, int32_t n, int32_t d, int32_t c, int32_t type = 1) {
    SourceChannel s{n, d, c, type};
    const std::optional<ChannelPlan> plan = PlanChannel(s);
    EXPECT_TRUE(plan);
    remaps.AssignDevices(plan->assign, plan->half);
    RgbData dmx = plan->elements;
    remaps.RemapAddresses(dmx);
    return dmx;
  }
  static std::string Entry(int32_t value) {
    std::string b(4, '\0');
    for (int k = 0; k < 4; ++k) b[k] = static_cast<char>(static_cast<uint32_t>(value) >> (8 * k));
    return b;
  }

  fs::path dir_;
};

TEST_F(DeviceRemapsTest, FirstConversionNumbersDevicesAndWritesTheWholeTable) {
  DeviceRemaps remaps(File());
  remaps.LoadRemapTable();
  EXPECT_EQ(Convert(remaps, 1, 1, 5), (RgbData{32, 1, 5, 1, 5, 1, 5, false}));
  Convert(remaps, 1, 1, 6);
  EXPECT_EQ(Convert(remaps, 1, 2, 3), (RgbData{32, 2, 3, 2, 3, 2, 3, false}));
  EXPECT_EQ(remaps.Entry(1, 1), 1);
  EXPECT_EQ(remaps.Entry(1, 2), 2);
  const std::string table = ReadTable();
  ASSERT_EQ(table.size(), 31812u);
  EXPECT_EQ(table.substr((2 * 33 + 1) * 4, 4), Entry(2));  // entry (1, 2)
  ASSERT_EQ(remaps.DeviceLines().size(), 2u);
  EXPECT_TRUE(remaps.DeviceLines()[0].ends_with(" 1"));
  EXPECT_TRUE(remaps.DeviceLines()[1].ends_with(" 17"));
}

TEST_F(DeviceRemapsTest, HalfSizeDevicesShareOneDmxDevice) {
  DeviceRemaps remaps(File());
  remaps.LoadRemapTable();
  EXPECT_EQ(Convert(remaps, 1, 1, 3, 2), (RgbData{32, 1, 3, 1, 3, 1, 3, false}));
  // The second half-size device takes the upper half; every element moves with it.
  EXPECT_EQ(Convert(remaps, 1, 2, 3, 2), (RgbData{32, 1, 11, 1, 11, 1, 11, false}));
  EXPECT_EQ(remaps.Entry(1, 1), 1);
  EXPECT_EQ(remaps.Entry(1, 2), 257);
  EXPECT_TRUE(remaps.DeviceLines()[1].ends_with(" 9       9"));
  // A full device after them gets the next number.
  EXPECT_EQ(Convert(remaps, 1, 3, 1).r_device, 2);
}

TEST_F(DeviceRemapsTest, RgbChannelsTakeTheirElementDevices) {
  DeviceRemaps remaps(File());
  remaps.LoadRemapTable();
  // Pixel 6 of a pixel device 4 uses outputs 16, 17, 18 and reserves devices 4 to 6.
  const std::optional<ChannelPlan> pixel = PlanChannel({1, 4, 6, kPixelRgbType});
  ASSERT_TRUE(pixel);
  EXPECT_EQ(pixel->elements, (RgbData{1, 4, 16, 5, 1, 5, 2, true}));
  remaps.AssignDevices(pixel->assign, pixel->half);
  EXPECT_EQ(remaps.Entry(1, 4), 1);
  EXPECT_EQ(remaps.Entry(1, 5), 2);
  EXPECT_EQ(remaps.Entry(1, 6), 3);
  // Free elements: red and green on device 7, blue on device 8, which gets a device too.
  const std::optional<ChannelPlan> free = PlanChannel({1, 7, 1, kFreeRgbType, 7, 8, 2, 1});
  ASSERT_TRUE(free);
  remaps.AssignDevices(free->assign, free->half);
  RgbData dmx = free->elements;
  remaps.RemapAddresses(dmx);
  EXPECT_EQ(dmx, (RgbData{32, 4, 1, 4, 2, 5, 1, true}));
}

TEST_F(DeviceRemapsTest, ReloadedTableIsListedAndNumberedAfter) {
  std::string table(31812, '\0');
  table.replace((1 * 33 + 1) * 4, 4, Entry(3));    // (1, 1): device 3
  table.replace((2 * 33 + 1) * 4, 4, Entry(259));  // (1, 2): upper half of device 3
  WriteTable(table);
  DeviceRemaps remaps(File());
  remaps.LoadRemapTable();
  ASSERT_EQ(remaps.DeviceLines().size(), 2u);
  EXPECT_EQ(remaps.DeviceLines()[0], "1   1   (1  ) 1       32  3   (3  ) 1       33");
  EXPECT_EQ(remaps.DeviceLines()[1], "1   2   (2  ) 1       32  3   (3  ) 9       41");
  // A new device is numbered after the highest one in the table, never on top of it.
  EXPECT_EQ(Convert(remaps, 2, 1, 1).r_device, 4);
  EXPECT_EQ(remaps.NextDevice(), 5);
}

TEST_F(DeviceRemapsTest, ShortTableFillsWhatItHolds) {
  WriteTable(Entry(7) + Entry(8) + std::string("\x09\x01", 2));
  DeviceRemaps remaps(File());
  remaps.LoadRemapTable();
  EXPECT_EQ(remaps.Entry(0, 0), 7);
  EXPECT_EQ(remaps.Entry(1, 0), 8);
  EXPECT_EQ(remaps.Entry(2, 0), 0x109);
  EXPECT_EQ(remaps.Entry(3, 0), 0);
}

TEST_F(DeviceRemapsTest, AddressesOutsideTheTableHaveNoPlan) {
  struct Case {
    SourceChannel source;
    bool planned;
  } cases[] = {
      {{32, 240, 16, 1}, true},
      {{33, 1, 1, 1}, false},
      {{1, 241, 1, 1}, false},
      {{-1, 1, 1, 1}, false},
      {{1, -2, 1, 1}, false},
      {{1, 238, 5, kPixelRgbType}, true},
      {{1, 239, 1, kPixelRgbType}, false},   // reserves device 241
      {{1, 238, 17, kPixelRgbType}, false},  // outputs beyond device 240
      {{1, 1, 1, kFreeRgbType, 1, 300, 2, 3}, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PlanChannel(c.source).has_value(), c.planned)
        << c.source.network << "," << c.source.device << "," << c.source.channel;
  }
}

TEST_F(DeviceRemapsTest, NoDeviceBeyond255) {
  std::string table(31812, '\0');
  table.replace((1 * 33 + 1) * 4, 4, Entry(255));
  WriteTable(table);
  DeviceRemaps remaps(File());
  remaps.LoadRemapTable();
  EXPECT_THROW(Convert(remaps, 1, 2, 1), ConversionError);
  EXPECT_EQ(remaps.Entry(1, 2), 0);
}

}  // namespace
}  // namespace quarnel::converter
