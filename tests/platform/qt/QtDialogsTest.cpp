// The real boxes, built on the offscreen platform and inspected without being shown.
#include "platform/qt/QtDialogs.h"

#include <QPushButton>
#include <gtest/gtest.h>

namespace pelto {
namespace {

struct ButtonCase {
    BoxButtons buttons;
    // Offered in this order, the first as default, each clicked giving its answer.
    QList<std::pair<QMessageBox::StandardButton, BoxAnswer>> offered;
    BoxAnswer whenClosed; // the cautious answer
};

TEST(QtDialogsTest, EachButtonSetOffersItsButtonsAndMapsClicksAndClosingToAnswers) {
    const ButtonCase cases[] = {
        {BoxButtons::Ok, {{QMessageBox::Ok, BoxAnswer::Ok}}, BoxAnswer::Ok},
        {BoxButtons::YesNo,
         {{QMessageBox::Yes, BoxAnswer::Yes}, {QMessageBox::No, BoxAnswer::No}},
         BoxAnswer::No},
        {BoxButtons::AbortRetryIgnore,
         {{QMessageBox::Abort, BoxAnswer::Abort},
          {QMessageBox::Retry, BoxAnswer::Retry},
          {QMessageBox::Ignore, BoxAnswer::Ignore}},
         BoxAnswer::Abort},
        {BoxButtons::RetryCancel,
         {{QMessageBox::Retry, BoxAnswer::Retry}, {QMessageBox::Cancel, BoxAnswer::Cancel}},
         BoxAnswer::Cancel},
    };
    for (const ButtonCase& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.buttons));
        const auto box = makeMessageBox(c.buttons, "text", "title", BoxIcon::None);
        QMessageBox::StandardButtons expected;
        for (const auto& [button, answer] : c.offered) {
            expected |= button;
            EXPECT_EQ(answerOf(c.buttons, button), answer);
        }
        EXPECT_EQ(box->standardButtons(), expected);
        EXPECT_EQ(box->buttons().size(), c.offered.size());
        ASSERT_NE(box->defaultButton(), nullptr);
        EXPECT_EQ(box->standardButton(box->defaultButton()), c.offered.first().first);
        EXPECT_FALSE(box->isVisible());
        EXPECT_EQ(answerOf(c.buttons, QMessageBox::NoButton), c.whenClosed);
    }
    // A button the box does not offer counts as closing it.
    EXPECT_EQ(answerOf(BoxButtons::YesNo, QMessageBox::Retry), BoxAnswer::No);
}

TEST(QtDialogsTest, BoxTextIsPlainWithCrLfBreaksAndTheFileDialogOpensOneExistingFile) {
    const auto box = makeMessageBox(BoxButtons::YesNo,
                                    "Destination directory not found:\r\n/b<i>a</i>&amp;\r\n?",
                                    "ReadINI error", BoxIcon::Exclamation);
    EXPECT_EQ(box->windowTitle(), "ReadINI error");
    EXPECT_EQ(box->icon(), QMessageBox::Warning);
    EXPECT_EQ(box->textFormat(), Qt::PlainText);
    EXPECT_EQ(box->text(), "Destination directory not found:\n/b<i>a</i>&amp;\n?");
    EXPECT_EQ(makeMessageBox(BoxButtons::Ok, "t", "Pelto Error", BoxIcon::Critical)->icon(),
              QMessageBox::Critical);

    const auto dialog = makeOpenFileDialog("Select File", "/etc", "Sound files|*.wav;*.mid");
    EXPECT_EQ(dialog->windowTitle(), "Select File");
    EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
    EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_EQ(dialog->directory().absolutePath(), "/etc");
    EXPECT_EQ(dialog->nameFilters(), QStringList{"Sound files (*.wav *.mid)"});
    EXPECT_FALSE(dialog->isVisible());
}

TEST(QtDialogsTest, PairedFiltersBecomeDialogFilters) {
    const std::pair<QString, QStringList> cases[] = {
        {"Sound files (*.wav,*.midi)|*.wav;*.mid", {"Sound files (*.wav,*.midi) (*.wav *.mid)"}},
        {"Wave|*.wav|All files|*", {"Wave (*.wav)", "All files (*)"}},
        {"Images (*.png *.jpg)", {"Images (*.png *.jpg)"}},
        {"", {}},
        // A description without its patterns is dropped rather than guessed.
        {"Wave|*.wav|Broken", {"Wave (*.wav)"}},
    };
    for (const auto& [filter, expected] : cases)
        EXPECT_EQ(nameFilters(filter), expected) << filter.toStdString();
}

} // namespace
} // namespace pelto
