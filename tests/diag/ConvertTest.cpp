// Numbers from text: what counts as a number, banker's rounding, the 16-bit range message and
// overflow beyond 32 bits.
#include "diag/Convert.h"
#include "DiagFixture.h"

namespace pelto::test {
namespace {

using diag::CvtInt;
using diag::CvtLng;
using diag::roundedNumber;

TEST(ConvertSyntaxTest, NumbersRoundHalvesToEvenAndEverythingElseIsNoNumber) {
    const std::pair<const char*, std::optional<qint64>>
        cases[] =
            {
                {"0", 0},         {" 7 ", 7},   {"\t-7\t", -7}, {"+ 3", 3},    {"12.5", 12},
                {"13.5", 14},     {"-2.5", -2}, {"2.50001", 3}, {".5", 0},     {"5.", 5},
                {"", {}},         {"abc", {}},  {"1e3", {}},    {"12,5", {}},  {"0x10", {}},
                {".", {}},        {"+-1", {}},  {"7 8", {}},    {"1.2.3", {}}, {"12abc", {}},
                {"\xd9\xa3", {}}, // a digit of another script is not a number here
            };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(roundedNumber(QString::fromUtf8(text)), expected) << '"' << text << '"';
    // Huge and long numbers stay out of range without wrapping.
    const QString huge = QStringLiteral("9").repeated(40);
    EXPECT_GT(roundedNumber(huge).value_or(0), std::numeric_limits<qint32>::max());
    EXPECT_LT(roundedNumber(QLatin1Char('-') + huge).value_or(0),
              std::numeric_limits<qint32>::min());
    EXPECT_EQ(
        roundedNumber(QStringLiteral("0").repeated(60) + "42." + QStringLiteral("4").repeated(60)),
        42);
}

using ConvertTest = DiagTest;

// Within range, and no number at all, convert silently; CvtInt beyond 16 bits tells the user and
// returns the long, naming the caller's text as given.
TEST_F(ConvertTest, InRangeConvertsSilentlyBeyondSixteenBitsCvtIntTellsTheUser) {
    const std::pair<const char*, qint32> rows[] = {
        {"32767", 32767}, {"-32768.5", -32768},      {"No Valid Key", 0},
        {"40000", 40000}, {"2147483647", INT32_MAX}, {"-2147483648", INT32_MIN},
    };
    for (const auto& [text, expected] : rows) {
        EXPECT_EQ(CvtLng(text, "t"), expected) << text;
        if (expected >= -32768 && expected <= 32767) {
            EXPECT_EQ(CvtInt(text, "t"), expected) << text;
        }
    }
    EXPECT_TRUE(dialogs().shown().isEmpty());

    dialogs().then(BoxAnswer::Ok).then(BoxAnswer::Ok);
    EXPECT_EQ(CvtInt("40000", "Form_Load: RepeatCount"), 40000);
    EXPECT_EQ(CvtInt(" -40000", "x"), -40000);
    ASSERT_EQ(dialogs().shown().size(), 2);
    const ShownBox& box = dialogs().shown().first();
    EXPECT_TRUE(box.buttons == BoxButtons::Ok && box.title == "Pelto Error");
    EXPECT_EQ(box.text, "\r\n40000 converted to Long, called from routine Form_Load: RepeatCount");
    EXPECT_EQ(dialogs().shown()[1].text, "\r\n -40000 converted to Long, called from routine x");
}

// CvtInt: the conversion message, then the overflow report; Abort leaves with 0. CvtLng: Retry
// repeats the failing conversion, Ignore goes on with 0.
TEST_F(ConvertTest, BeyondThirtyTwoBitsGoesToTheFailureReport) {
    dialogs().then(BoxAnswer::Ok).then(BoxAnswer::Abort);
    EXPECT_EQ(CvtInt("3000000000", "x"), 0);
    ASSERT_EQ(dialogs().shown().size(), 2);
    const ShownBox& report = dialogs().shown()[1];
    EXPECT_EQ(report.buttons, BoxButtons::AbortRetryIgnore);
    EXPECT_TRUE(report.text.contains("program error #6 (Overflow) occurred in module Pelto, "
                                     "Function CvtInt"))
        << report.text.toStdString();
    dialogs().then(BoxAnswer::Retry).then(BoxAnswer::Ignore);
    EXPECT_EQ(CvtLng("2147483647.5", "x"), 0);
    EXPECT_EQ(dialogs().shown().size(), 4);
}

} // namespace
} // namespace pelto::test
