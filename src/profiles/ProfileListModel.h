#pragma once
// The chosen profile's lines as the window shows them (lstProfile), in a fixed-pitch font so the
// columns line up: source (20 characters), subdirs column (12), destination (20), then a blank
// and the exclusions when there are any.
// The check selects each line in turn while it runs that folder pair. Its calls match those of
// the result lists, so the window binds and measures both alike.

#include <QAbstractListModel>
#include <QString>
#include <QStringList>

namespace pelto {

class ProfileListModel : public QAbstractListModel {
    Q_OBJECT
public:
    static constexpr int kPathWidth = 20;
    static constexpr int kSubdirsWidth = 12;
    static constexpr auto kFontName = "Courier";

    explicit ProfileListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // One list line from its columns; paths are shortened or padded to their width.
    static QString lineFor(const QString& source, const QString& subdirsColumn,
                           const QString& destination, const QString& excludes);

    qsizetype count() const { return items_.size(); }
    // The line at a 0-based index; empty text outside 0..count-1.
    QString item(qsizetype index) const;
    const QStringList& items() const { return items_; }

    void add(const QString& line);
    // Removes every line and the selection.
    void clear();

    // The highlighted line, -1 for none; an index outside the list selects none.
    qsizetype selectedIndex() const { return selected_; }
    void setSelectedIndex(qsizetype index);

    QString fontName() const { return QString::fromLatin1(kFontName); }

Q_SIGNALS:
    void selectedIndexChanged(qsizetype index);

private:
    QStringList items_;
    qsizetype selected_ = -1;
};

} // namespace pelto
