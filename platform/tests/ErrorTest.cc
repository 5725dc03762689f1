#include "platform/base/Error.h"

#include <gtest/gtest.h>

namespace quarnel {
namespace {

TEST(ErrorTest, RuntimeErrorsCarryNumberDescriptionAndSource) {
  struct Case {
    Error error;
    int32_t number;
    const char* description;
  };
  const Case cases[] = {
      {Error::Overflow("DataTable.InsertRows"), 6, "Overflow"},
      {Error::OutOfMemory("DataTable"), 7, "Out of memory"},
      {Error::SubscriptOutOfRange("DataTable.ColumnType"), 9, "Subscript out of range"},
      {Error::DivisionByZero("DataTable.InsertRows"), 11, "Division by zero"},
      {Error::TypeMismatch("DataTable.IndexSeek"), 13, "Type mismatch"},
      {Error::ObjectNotSet("File.Clone"), 91, "Object variable or With block variable not set"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.error.Number(), c.number);
    EXPECT_EQ(c.error.Description(), c.description);
    EXPECT_NE(std::string(c.error.what()).find(c.error.Source()), std::string::npos);
  }
}

TEST(ErrorTest, MessageNamesSourceAndNumber) {
  Error e(40020, "Invalid operation at current state.", "UniSock.Protocol");
  EXPECT_STREQ(e.what(), "UniSock.Protocol: Invalid operation at current state. (error 40020)");
  Error bare(7, "Out of memory.", "");
  EXPECT_STREQ(bare.what(), "Out of memory. (error 7)");
}

}  // namespace
}  // namespace quarnel
