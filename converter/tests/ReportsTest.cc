#include "converter/Reports.h"

#include <gtest/gtest.h>

namespace quarnel::converter {
namespace {

TEST(ReportsTest, WholeReportText) {
  const std::string text = ReportText(
      {DeviceLine(1, 1, 1, 1), DeviceLine(2, 171, 2, 9)},
      {ChannelLine(u"Tree", 1, 1, 5, 1, 5),
       ChannelLine(u"A name longer than the thirty-three characters", 2, 171, 3, 2, 11)});
  EXPECT_EQ(text,
            "Device Report\r\n"
            "\r\n"
            "Original              New                   DMX\r\n"
            "NET DEV (dec) CHAN    NET DEV (dec) CHAN    Addr\r\n"
            "--- --------- ----    --- --- ----------    ----\r\n"
            "1   1   (1  ) 1       32  1   (1  ) 1       1\r\n"
            "2   AB  (171) 1       32  2   (2  ) 9       25\r\n"
            "\r\n"
            "\r\n"
            "Channels Report\r\n"
            "                                 Original              New                   DMX\r\n"
            "Channel Name                     NET DEV (dec) CHAN    NET DEV (dec) CHAN    Addr\r\n"
            "------------                     --- --------- ----    --- --------- ----    ----\r\n"
            "\r\n"
            "Tree                             1   1   (1  ) 5       32  1   (1  ) 5       5\r\n"
            "A name longer than the thirty-thr2   AB  (171) 3       32  2   (2  ) 11      27\r\n");
}

TEST(ReportsTest, FieldsAreCutToTheirWidths) {
  EXPECT_EQ(DeviceLine(12345, -1, 1000, 1), "1234FFFF(-1 ) 1       32  3E8 (100) 1       15985");
  // A name is cut by characters, never inside one.
  EXPECT_EQ(
      ChannelLine(std::u16string(32, u'x') + u"\u00e9\U0001F600", 0, 0, 0, 0, 0).substr(0, 38),
      std::string(32, 'x') + "\xc3\xa9" + "0   ");
}

}  // namespace
}  // namespace quarnel::converter
