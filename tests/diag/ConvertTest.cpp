// Numbers from text: what counts as a number, banker's rounding, the 16-bit range message and
// overflow beyond 32 bits.

#include "diag/Convert.h"
#include "DiagFixture.h"
#include "diag/DesignMode.h"

namespace pelto::test {
namespace {

using diag::CvtInt;
using diag::CvtLng;
using diag::roundedNumber;

struct Case {
    const char* text;
    std::optional<qint64> expected;
};

TEST(ConvertSyntaxTest, NumbersRoundHalvesToEvenAndEverythingElseIsNoNumber) {
    const Case cases[] = {
        {"0", 0},
        {"7", 7},
        {" 7 ", 7},
        {"\t-7\t", -7},
        {"+ 3", 3},
        {"- 3", -3},
        {"0007", 7},
        {"12.5", 12},
        {"13.5", 14},
        {"-2.5", -2},
        {"-3.5", -4},
        {"0.5", 0},
        {"1.5", 2},
        {"2.5000", 2},
        {"2.50001", 3},
        {"2.49999", 2},
        {"2.6", 3},
        {"-0.4", 0},
        {".5", 0},
        {".6", 1},
        {"5.", 5},
        {"", std::nullopt},
        {" ", std::nullopt},
        {"abc", std::nullopt},
        {"1e3", std::nullopt},
        {"12,5", std::nullopt},
        {"0x10", std::nullopt},
        {".", std::nullopt},
        {"-", std::nullopt},
        {"+-1", std::nullopt},
        {"7 8", std::nullopt},
        {"1.2.3", std::nullopt},
        {"12abc", std::nullopt},
        {"\xd9\xa3", std::nullopt}, // a digit of another script is not a number here
    };
    for (const Case& c : cases)
        EXPECT_EQ(roundedNumber(QString::fromUtf8(c.text)), c.expected) << '"' << c.text << '"';
}

TEST(ConvertSyntaxTest, HugeAndLongNumbersStayOutOfRangeWithoutWrapping) {
    const QString huge = QStringLiteral("9").repeated(40);
    ASSERT_TRUE(roundedNumber(huge).has_value());
    EXPECT_GT(*roundedNumber(huge), std::numeric_limits<qint32>::max());
    EXPECT_LT(*roundedNumber(QLatin1Char('-') + huge), std::numeric_limits<qint32>::min());
    // Many leading zeros and a long decimal part are still the small number they say.
    EXPECT_EQ(roundedNumber(QStringLiteral("0").repeated(60) + QStringLiteral("42.") +
                            QStringLiteral("4").repeated(60)),
              42);
}

using ConvertTest = DiagTest;

TEST_F(ConvertTest, SixteenBitNumbersConvertSilently) {
    EXPECT_EQ(CvtInt(QStringLiteral("32767"), QStringLiteral("t")), 32767);
    EXPECT_EQ(CvtInt(QStringLiteral("-32768"), QStringLiteral("t")), -32768);
    EXPECT_EQ(CvtInt(QStringLiteral("32767.4"), QStringLiteral("t")), 32767);
    EXPECT_EQ(CvtInt(QStringLiteral("-32768.5"), QStringLiteral("t")), -32768); // even
    EXPECT_EQ(CvtInt(QStringLiteral("12.5"), QStringLiteral("t")), 12);
    EXPECT_EQ(CvtInt(QStringLiteral("13.5"), QStringLiteral("t")), 14);
    EXPECT_EQ(CvtInt(QString(), QStringLiteral("t")), 0);
    EXPECT_EQ(CvtInt(QStringLiteral("No Valid Key"), QStringLiteral("t")), 0);
    EXPECT_TRUE(dialogs().shown().isEmpty());
}

TEST_F(ConvertTest, OutsideSixteenBitsLogsAndReturnsTheLong) {
    dialogs().then(BoxAnswer::Ok).then(BoxAnswer::Ok).then(BoxAnswer::Ok);
    EXPECT_EQ(CvtInt(QStringLiteral("40000"), QStringLiteral("Form_Load: RepeatCount")), 40000);
    EXPECT_EQ(CvtInt(QStringLiteral(" -40000"), QStringLiteral("x")), -40000);
    EXPECT_EQ(CvtInt(QStringLiteral("32767.5"), QStringLiteral("x")), 32768); // rounds out
    ASSERT_EQ(dialogs().shown().size(), 3);
    const ShownBox& box = dialogs().shown().first();
    EXPECT_EQ(box.buttons, BoxButtons::Ok);
    EXPECT_EQ(box.title, QStringLiteral("Pelto Error"));
    EXPECT_EQ(box.text,
              QStringLiteral("\r\n40000 converted to Long, called from routine Form_Load: "
                             "RepeatCount"));
    // The message carries the caller's text as it was given.
    EXPECT_EQ(dialogs().shown()[1].text,
              QStringLiteral("\r\n -40000 converted to Long, called from routine x"));
}

TEST_F(ConvertTest, OutsideSixteenBitsIsWrittenToTheLogFile) {
    diag::SetLogEnabled(true);
    diag::SetLogFile(workPath(QStringLiteral("Error Log.txt")));
    dialogs().then(BoxAnswer::Ok);
    CvtInt(QStringLiteral("70000"), QStringLiteral("StoreProfiles: NumProfiles"));
    EXPECT_TRUE(readAll(workPath(QStringLiteral("Error Log.txt")))
                    .endsWith("\r\n70000 converted to Long, called from routine "
                              "StoreProfiles: NumProfiles\r\n"));
}

TEST_F(ConvertTest, BeyondThirtyTwoBitsGoesToTheFailureReport) {
    // CvtInt: first the conversion message, then the overflow report; Abort leaves with 0.
    dialogs().then(BoxAnswer::Ok).then(BoxAnswer::Abort);
    EXPECT_EQ(CvtInt(QStringLiteral("3000000000"), QStringLiteral("x")), 0);
    ASSERT_EQ(dialogs().shown().size(), 2);
    const ShownBox& report = dialogs().shown()[1];
    EXPECT_EQ(report.buttons, BoxButtons::AbortRetryIgnore);
    EXPECT_EQ(report.title, QStringLiteral("Unexpected Error"));
    EXPECT_TRUE(report.text.contains(QStringLiteral("program error #6 (Overflow)")))
        << report.text.toStdString();
    EXPECT_TRUE(report.text.contains(QStringLiteral("Pelto, Function CvtInt")))
        << report.text.toStdString();

    // CvtLng: Retry repeats the failing conversion, Ignore goes on with 0.
    dialogs().then(BoxAnswer::Retry).then(BoxAnswer::Ignore);
    EXPECT_EQ(CvtLng(QStringLiteral("2147483647.5"), QStringLiteral("x")), 0);
    EXPECT_EQ(dialogs().shown().size(), 4);
}

TEST_F(ConvertTest, LongConvertsThirtyTwoBitsSilently) {
    EXPECT_EQ(CvtLng(QStringLiteral("40000"), QStringLiteral("x")), 40000);
    EXPECT_EQ(CvtLng(QStringLiteral("2147483647"), QStringLiteral("x")), 2147483647);
    EXPECT_EQ(CvtLng(QStringLiteral("-2147483648"), QStringLiteral("x")),
              std::numeric_limits<qint32>::min());
    EXPECT_EQ(CvtLng(QStringLiteral("-1440.5"), QStringLiteral("x")), -1440);
    EXPECT_EQ(CvtLng(QStringLiteral("top"), QStringLiteral("x")), 0);
    EXPECT_TRUE(dialogs().shown().isEmpty());
}

#ifndef PELTO_DESIGN_MODE
TEST_F(ConvertTest, ReleasedBuildIsNotInDesignMode) {
    EXPECT_FALSE(diag::InDesignMode());
}
#endif

} // namespace
} // namespace pelto::test
