#include <gtest/gtest.h>

#include "uStrUtils/AppError.h"
#include "uStrUtils/Cp1251.h"
#include "uStrUtils/Literals.h"

namespace vantorel {
namespace {

TEST(Cp1251, CyrillicRoundTripsAndLiteralsAreSingleBytes) {
  const std::string bytes = Utf8ToCp1251("Ёлка ёж Норма №5");
  EXPECT_EQ(bytes.size(), 16u);
  EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0xA8);  // Ё
  EXPECT_EQ(static_cast<unsigned char>(bytes[5]), 0xB8);  // ё
  EXPECT_EQ(static_cast<unsigned char>(bytes[8]), 0xCD);  // Н
  EXPECT_EQ(Cp1251ToUtf8(bytes), "Ёлка ёж Норма №5");
  EXPECT_EQ(Cp1251Literals().normal, "\xCD\xEE\xF0\xEC\xE0");
  EXPECT_EQ(Cp1251Literals().allGroups.size(), 10u);
}

TEST(Cp1251, EveryAssignedByteRoundTrips) {
  for (int b = 1; b < 256; ++b) {
    if (b == 0x98) continue;
    const std::string one(1, static_cast<char>(b));
    EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8(one)), one) << "byte " << b;
  }
  EXPECT_EQ(Utf8ToCp1251("日本"), "??");
}

TEST(ReportText, FullStopAfterCharactersAboveIt) {
  EXPECT_EQ(ReportText("File not found"), "File not found.");
  EXPECT_EQ(ReportText("I/O error 7"), "I/O error 7.");
  EXPECT_EQ(ReportText("Done."), "Done.");
  EXPECT_EQ(ReportText("odd!"), "odd!");
  EXPECT_EQ(ReportText("x'"), "x'");
  EXPECT_EQ(ReportText("path/"), "path/.");
  EXPECT_EQ(ReportText("\xCD\xEE\xF0\xEC\xE0"), "\xCD\xEE\xF0\xEC\xE0.");
}

}  // namespace
}  // namespace vantorel
