// Numbers from text: syntax, banker's rounding, the 16-bit message and overflow beyond 32 bits.
#include "diag/Convert.h"
#include "DiagFixture.h"

namespace pelto::test {
namespace {

using diag::CvtInt;
using diag::CvtLng;
using diag::roundedNumber;

TEST(ConvertSyntaxTest, NumbersRoundHalvesToEvenAndEverythingElseIsNoNumber) {
    const std::pair<const char*, std::optional<qint64>> cases[] = {
        {"0", 0},     {" 7 ", 7},    {"\t-7\t", -7}, {"+ 3", 3},       {"12.5", 12},
        {"13.5", 14}, {"-2.5", -2},  {"2.50001", 3}, {".5", 0},        {"5.", 5},
        {"", {}},     {"abc", {}},   {"1e3", {}},    {"12,5", {}},     {".", {}},
        {"7 8", {}},  {"1.2.3", {}}, {"12abc", {}},  {"\xd9\xa3", {}}, // a digit of another script is not a number here
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(roundedNumber(QString::fromUtf8(text)), expected) << '"' << text << '"';
    // Huge numbers stay out of range without wrapping.
    const QString huge = QStringLiteral("9").repeated(40);
    EXPECT_GT(roundedNumber(huge).value_or(0), std::numeric_limits<qint32>::max());
    EXPECT_LT(roundedNumber(QLatin1Char('-') + huge).value_or(0),
              std::numeric_limits<qint32>::min());
}

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
