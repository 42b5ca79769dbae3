// Numbers from text: the 16-bit message and overflow beyond 32 bits.
#include "diag/Convert.h"
#include "DiagFixture.h"

namespace pelto::test {
namespace {

using diag::CvtInt;
using diag::CvtLng;

using ConvertTest = DiagTest;

// Within 16 bits silent; CvtInt beyond tells the user; beyond 32 bits the failure report.
TEST_F(ConvertTest, SixteenBitsSilentlyBeyondTellsTheUserBeyondThirtyTwoReports) {
    const std::pair<const char*, qint32> rows[] = {
        {"32767", 32767}, {"-32768.5", -32768}, {"x", 0}};
    for (const auto& [text, expected] : rows)
        EXPECT_EQ(CvtInt(text, "t"), expected) << text;
    EXPECT_EQ(CvtLng("2147483647", "t"), INT32_MAX);
    EXPECT_EQ(CvtLng("-2147483648", "t"), INT32_MIN);
    EXPECT_TRUE(dialogs().shown().isEmpty());

    dialogs()
        .then(BoxAnswer::Ok)
        .then(BoxAnswer::Ok)
        .then(BoxAnswer::Abort)
        .then(BoxAnswer::Ignore);
    EXPECT_EQ(CvtInt(" -40000", "Form_Load: RepeatCount"), -40000);
    EXPECT_EQ(CvtInt("3000000000", "x"), 0);
    EXPECT_EQ(CvtLng("2147483647.5", "x"), 0);
    ASSERT_EQ(dialogs().shown().size(), 4);
    const ShownBox& box = dialogs().shown().first();
    EXPECT_TRUE(box.buttons == BoxButtons::Ok && box.title == "Pelto Error");
    EXPECT_EQ(box.text,
              "\r\n -40000 converted to Long, called from routine Form_Load: RepeatCount");
    EXPECT_TRUE(dialogs().shown()[2].text.contains(
        "program error #6 (Overflow) occurred in module Pelto, Function CvtInt"));
    EXPECT_TRUE(dialogs().shown()[3].text.contains(
        "#6 (Overflow) occurred in module Pelto, Function CvtLng"));
}

} // namespace
} // namespace pelto::test
