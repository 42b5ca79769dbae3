#include "platform/qt/QtDialogs.h"

namespace pelto {
namespace {

QMessageBox::Icon qtIcon(BoxIcon icon) {
    switch (icon) {
    case BoxIcon::Critical:
        return QMessageBox::Critical;
    case BoxIcon::Question:
        return QMessageBox::Question;
    case BoxIcon::Exclamation:
        return QMessageBox::Warning;
    case BoxIcon::Information:
        return QMessageBox::Information;
    case BoxIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// The buttons in the order the box offers them; the first is the default.
QList<QMessageBox::StandardButton> qtButtons(BoxButtons buttons) {
    switch (buttons) {
    case BoxButtons::Ok:
        return {QMessageBox::Ok};
    case BoxButtons::YesNo:
        return {QMessageBox::Yes, QMessageBox::No};
    case BoxButtons::YesNoDefaultNo:
        return {QMessageBox::No, QMessageBox::Yes};
    case BoxButtons::AbortRetryIgnore:
        return {QMessageBox::Abort, QMessageBox::Retry, QMessageBox::Ignore};
    case BoxButtons::RetryCancel:
        return {QMessageBox::Retry, QMessageBox::Cancel};
    }
    return {QMessageBox::Ok};
}

} // namespace

std::unique_ptr<QMessageBox> makeMessageBox(BoxButtons buttons, const QString& text,
                                            const QString& title, BoxIcon icon, QWidget* parent) {
    auto box = std::make_unique<QMessageBox>(parent);
    box->setWindowTitle(title);
    box->setIcon(qtIcon(icon));
    // Messages hold paths and file names; none of them is markup.
    box->setTextFormat(Qt::PlainText);
    box->setText(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    const QList<QMessageBox::StandardButton> offered = qtButtons(buttons);
    QMessageBox::StandardButtons all;
    for (const QMessageBox::StandardButton b : offered)
        all |= b;
    box->setStandardButtons(all);
    box->setDefaultButton(offered.first());
    return box;
}

BoxAnswer answerOf(BoxButtons buttons, QMessageBox::StandardButton clicked) {
    if (!qtButtons(buttons).contains(clicked))
        return cautiousAnswer(buttons);
    switch (clicked) {
    case QMessageBox::Ok:
        return BoxAnswer::Ok;
    case QMessageBox::Yes:
        return BoxAnswer::Yes;
    case QMessageBox::No:
        return BoxAnswer::No;
    case QMessageBox::Abort:
        return BoxAnswer::Abort;
    case QMessageBox::Retry:
        return BoxAnswer::Retry;
    case QMessageBox::Ignore:
        return BoxAnswer::Ignore;
    default:
        return BoxAnswer::Cancel;
    }
}

QStringList nameFilters(const QString& filter) {
    if (filter.isEmpty())
        return {};
    if (!filter.contains(QLatin1Char('|')))
        return {filter};
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString patterns = parts[i + 1]
                                     .split(QLatin1Char(';'), Qt::SkipEmptyParts)
                                     .join(QLatin1Char(' '))
                                     .trimmed();
        // The dialog reads the patterns from the last parentheses of each entry.
        filters << parts[i].trimmed() + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return filters;
}

std::unique_ptr<QFileDialog> makeOpenFileDialog(const QString& title, const QString& startPath,
                                                const QString& filter, QWidget* parent) {
    auto dialog = std::make_unique<QFileDialog>(parent, title, startPath);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    const QStringList filters = nameFilters(filter);
    if (!filters.isEmpty())
        dialog->setNameFilters(filters);
    return dialog;
}

BoxAnswer QtDialogs::ask(BoxButtons buttons, const QString& text, const QString& title,
                         BoxIcon icon) {
    const auto box = makeMessageBox(buttons, text, title, icon, parent_);
    box->exec();
    return answerOf(buttons, box->standardButton(box->clickedButton()));
}

QString QtDialogs::openFile(const QString& title, const QString& startPath, const QString& filter) {
    const auto dialog = makeOpenFileDialog(title, startPath, filter, parent_);
    if (dialog->exec() != QDialog::Accepted)
        return {};
    return dialog->selectedFiles().value(0);
}

} // namespace pelto
