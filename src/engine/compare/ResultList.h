#pragma once
// One list of the main window (a result list or the "Processing Directory" list) as a list model.
//
// The engine appends lines one by one, often hundreds of thousands in a walk. Appending only
// stores the line; attached views learn about new lines in one batch when the window repaints or
// pumps events (publish()), so a long list costs one model notification per refresh, not per line.
// Everything the engine reads (count, item) always sees every line added so far.
//
// Beside its displayed text a line of the check carries what it names (LineData). The copy,
// delete and archive-reset stages take every path and name from there and never parse the text,
// which may hold anything a file name holds.

#include <QAbstractListModel>
#include <QString>
#include <QStringList>

#include <vector>

namespace pelto {

// What one result line names, as the check stored it.
struct LineData {
    enum class Kind : quint8 {
        Untrusted, // text only: no stage may act on it
        Header,    // a "Dir: " line: the folder the entry lines below it lie in
        Entry,     // a file or folder line
    };
    Kind kind = Kind::Untrusted;
    // Header: the folder (ending in the separator). Entry: the folder that holds it (ending in
    // the separator).
    QString folder;
    // A source header: the destination folder. A missing-folder line: the destination folder
    // it is copied into. Both end in the separator; empty elsewhere.
    QString target;
    // Entry: its name as stored on disk.
    QString name;
    // The folder holds another name that differs only in letter case: the stages take this name
    // exactly, never an entry of another letter case.
    bool exactName = false;
};

class ResultList : public QAbstractListModel {
    Q_OBJECT

public:
    explicit ResultList(QObject* parent = nullptr);

    // Lines in insertion order, including those not yet published to views.
    qsizetype count() const { return items_.size(); }
    // The line at a 0-based index; empty text outside 0..count-1.
    QString item(qsizetype index) const;
    const QStringList& items() const { return items_; }

    void add(const QString& line, LineData data = {});
    // What line `index` names; Untrusted for a line added as text only or outside the list.
    const LineData& lineData(qsizetype index) const;
    // Takes lines [first, end) out, with their data; views are told at once.
    void removeLines(qsizetype first, qsizetype end);
    // Removes every line and the selection; views are told at once.
    void clear();

    // The highlighted line, -1 for none. Selecting a line publishes pending lines first, so that a
    // view can scroll to it.
    qsizetype selectedIndex() const { return selected_; }
    void setSelectedIndex(qsizetype index);

    // Name of the font the list is shown in (the window measures line widths by it).
    const QString& fontName() const { return fontName_; }
    void setFontName(const QString& name);

    // Tells attached views about the lines added since the last call.
    void publish();
    // Lines the views know of.
    qsizetype publishedCount() const { return published_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

Q_SIGNALS:
    void selectedIndexChanged(qsizetype index);
    void fontNameChanged(const QString& name);

private:
    QStringList items_;
    // Parallel to items_ up to the last line added with data; shorter lists hold Untrusted tails.
    std::vector<LineData> data_;
    qsizetype published_ = 0;
    qsizetype selected_ = -1;
    QString fontName_;
};

} // namespace pelto
