// The real boxes, built on the offscreen platform and inspected without being shown.

#include "platform/qt/QtDialogs.h"

#include <QPushButton>
#include <gtest/gtest.h>

namespace pelto {
namespace {

struct ButtonCase {
    BoxButtons buttons;
    QList<QMessageBox::StandardButton> offered; // in order; the first is the default
};

TEST(QtDialogsTest, EachButtonSetOffersExactlyItsButtonsWithTheFirstAsDefault) {
    const ButtonCase cases[] = {
        {BoxButtons::Ok, {QMessageBox::Ok}},
        {BoxButtons::YesNo, {QMessageBox::Yes, QMessageBox::No}},
        {BoxButtons::AbortRetryIgnore,
         {QMessageBox::Abort, QMessageBox::Retry, QMessageBox::Ignore}},
        {BoxButtons::RetryCancel, {QMessageBox::Retry, QMessageBox::Cancel}},
    };
    for (const ButtonCase& c : cases) {
        const auto box = makeMessageBox(c.buttons, QStringLiteral("text"), QStringLiteral("title"),
                                        BoxIcon::None);
        QMessageBox::StandardButtons expected;
        for (const auto b : c.offered)
            expected |= b;
        EXPECT_EQ(box->standardButtons(), expected) << static_cast<int>(c.buttons);
        EXPECT_EQ(box->buttons().size(), c.offered.size());
        ASSERT_NE(box->defaultButton(), nullptr);
        EXPECT_EQ(box->standardButton(box->defaultButton()), c.offered.first());
        EXPECT_FALSE(box->isVisible());
    }
}

TEST(QtDialogsTest, IconsTitleAndTextAreThoseAsked) {
    const std::pair<BoxIcon, QMessageBox::Icon> icons[] = {
        {BoxIcon::None, QMessageBox::NoIcon},
        {BoxIcon::Critical, QMessageBox::Critical},
        {BoxIcon::Question, QMessageBox::Question},
        {BoxIcon::Exclamation, QMessageBox::Warning},
        {BoxIcon::Information, QMessageBox::Information},
    };
    for (const auto& [asked, shown] : icons) {
        const auto box = makeMessageBox(BoxButtons::Ok, QStringLiteral("t"),
                                        QStringLiteral("Pelto Error"), asked);
        EXPECT_EQ(box->icon(), shown);
        EXPECT_EQ(box->windowTitle(), QStringLiteral("Pelto Error"));
    }
    const auto box =
        makeMessageBox(BoxButtons::RetryCancel, QStringLiteral("Drive is not available."),
                       QStringLiteral("drvSrc"), BoxIcon::Critical);
    EXPECT_EQ(box->text(), QStringLiteral("Drive is not available."));
}

TEST(QtDialogsTest, TextIsPlainWithCrLfAsLineBreaks) {
    const auto box =
        makeMessageBox(BoxButtons::YesNo,
                       QStringLiteral("Destination directory not found:\r\n/b<i>a</i>&amp;\r\n?"),
                       QStringLiteral("ReadINI error"), BoxIcon::Critical);
    EXPECT_EQ(box->textFormat(), Qt::PlainText);
    EXPECT_EQ(box->text(), QStringLiteral("Destination directory not found:\n/b<i>a</i>&amp;\n?"));
}

TEST(QtDialogsTest, ClickedButtonsMapToAnswersAndClosingGivesTheCautiousOne) {
    EXPECT_EQ(answerOf(BoxButtons::Ok, QMessageBox::Ok), BoxAnswer::Ok);
    EXPECT_EQ(answerOf(BoxButtons::YesNo, QMessageBox::Yes), BoxAnswer::Yes);
    EXPECT_EQ(answerOf(BoxButtons::YesNo, QMessageBox::No), BoxAnswer::No);
    EXPECT_EQ(answerOf(BoxButtons::AbortRetryIgnore, QMessageBox::Abort), BoxAnswer::Abort);
    EXPECT_EQ(answerOf(BoxButtons::AbortRetryIgnore, QMessageBox::Retry), BoxAnswer::Retry);
    EXPECT_EQ(answerOf(BoxButtons::AbortRetryIgnore, QMessageBox::Ignore), BoxAnswer::Ignore);
    EXPECT_EQ(answerOf(BoxButtons::RetryCancel, QMessageBox::Retry), BoxAnswer::Retry);
    EXPECT_EQ(answerOf(BoxButtons::RetryCancel, QMessageBox::Cancel), BoxAnswer::Cancel);
    // No button clicked (the box was closed), or one the box does not offer.
    EXPECT_EQ(answerOf(BoxButtons::Ok, QMessageBox::NoButton), BoxAnswer::Ok);
    EXPECT_EQ(answerOf(BoxButtons::YesNo, QMessageBox::NoButton), BoxAnswer::No);
    EXPECT_EQ(answerOf(BoxButtons::AbortRetryIgnore, QMessageBox::NoButton), BoxAnswer::Abort);
    EXPECT_EQ(answerOf(BoxButtons::RetryCancel, QMessageBox::NoButton), BoxAnswer::Cancel);
    EXPECT_EQ(answerOf(BoxButtons::YesNo, QMessageBox::Retry), BoxAnswer::No);
}

TEST(QtDialogsTest, PairedFiltersBecomeDialogFilters) {
    EXPECT_EQ(nameFilters(QStringLiteral("Sound files (*.wav,*.midi)|*.wav;*.mid")),
              QStringList{QStringLiteral("Sound files (*.wav,*.midi) (*.wav *.mid)")});
    EXPECT_EQ(nameFilters(QStringLiteral("Wave|*.wav|All files|*")),
              (QStringList{QStringLiteral("Wave (*.wav)"), QStringLiteral("All files (*)")}));
    EXPECT_EQ(nameFilters(QStringLiteral("Images (*.png *.jpg)")),
              QStringList{QStringLiteral("Images (*.png *.jpg)")});
    EXPECT_TRUE(nameFilters(QString()).isEmpty());
    // A description without its patterns is dropped rather than guessed.
    EXPECT_EQ(nameFilters(QStringLiteral("Wave|*.wav|Broken")),
              QStringList{QStringLiteral("Wave (*.wav)")});
}

TEST(QtDialogsTest, OpenFileDialogAsksForOneExistingFile) {
    const auto dialog = makeOpenFileDialog(QStringLiteral("Select File"), QStringLiteral("/etc"),
                                           QStringLiteral("Sound files|*.wav;*.mid"));
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Select File"));
    EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
    EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_EQ(dialog->directory().absolutePath(), QStringLiteral("/etc"));
    EXPECT_EQ(dialog->nameFilters(), QStringList{QStringLiteral("Sound files (*.wav *.mid)")});
    EXPECT_FALSE(dialog->isVisible());
}

} // namespace
} // namespace pelto
