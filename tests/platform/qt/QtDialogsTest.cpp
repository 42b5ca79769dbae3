// The real boxes, built on the offscreen platform and inspected without being shown.
#include "platform/qt/QtDialogs.h"

#include <QPushButton>
#include <gtest/gtest.h>

namespace pelto {
namespace {

// Each button set offers its buttons, the first as default, each clicked giving its answer;
// closing the box, or a button it does not offer, gives the cautious answer.
TEST(QtDialogsTest, EachButtonSetOffersItsButtonsAndMapsClicksAndClosingToAnswers) {
    using B = QMessageBox;
    using A = BoxAnswer;
    const std::tuple<BoxButtons, QList<B::StandardButton>, QList<A>, A> cases[] = {
        {BoxButtons::Ok, {B::Ok}, {A::Ok}, A::Ok},
        {BoxButtons::YesNo, {B::Yes, B::No}, {A::Yes, A::No}, A::No},
        {BoxButtons::YesNoDefaultNo, {B::No, B::Yes}, {A::No, A::Yes}, A::No},
        {BoxButtons::AbortRetryIgnore,
         {B::Abort, B::Retry, B::Ignore},
         {A::Abort, A::Retry, A::Ignore},
         A::Abort},
        {BoxButtons::RetryCancel, {B::Retry, B::Cancel}, {A::Retry, A::Cancel}, A::Cancel},
    };
    for (const auto& [buttons, offered, answers, whenClosed] : cases) {
        SCOPED_TRACE(static_cast<int>(buttons));
        const auto box = makeMessageBox(buttons, "text", "title", BoxIcon::None);
        B::StandardButtons expected;
        QList<A> given;
        for (const B::StandardButton button : offered) {
            expected |= button;
            given.append(answerOf(buttons, button));
        }
        EXPECT_EQ(given, answers);
        EXPECT_EQ(box->standardButtons(), expected);
        EXPECT_EQ(box->buttons().size(), offered.size());
        ASSERT_NE(box->defaultButton(), nullptr);
        EXPECT_EQ(box->standardButton(box->defaultButton()), offered.first());
        EXPECT_EQ(answerOf(buttons, B::NoButton), whenClosed);
    }
    EXPECT_EQ(answerOf(BoxButtons::YesNo, B::Retry), A::No);
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
}

} // namespace
} // namespace pelto
