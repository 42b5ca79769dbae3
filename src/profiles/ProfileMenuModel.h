#pragma once
// The profile entries of the File menu (mnuProfile) as a list model the window binds to menu
// actions. Element 0 is the design-time entry "Dummy Profile", never shown; elements 1..n are
// made one per section of the profile file, in file order. Each element has a caption, a visible
// flag and a check mark (the chosen profile).

#include <QAbstractListModel>
#include <QList>
#include <QString>

namespace pelto {

class ProfileMenuModel : public QAbstractListModel {
    Q_OBJECT
public:
    static constexpr auto kDummyCaption = "Dummy Profile";
    enum Role { VisibleRole = Qt::UserRole + 1 };

    explicit ProfileMenuModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

    // The highest element index (0 when only the design-time entry exists).
    int UBound() const { return static_cast<int>(entries_.size()) - 1; }
    // Adds the next element (hidden, unchecked, the design-time caption) and returns its index.
    int addEntry();
    // Removes an element made at run time. Element 0 cannot be removed.
    void removeEntry(int index);

    QString caption(int index) const;
    void setCaption(int index, const QString& caption);
    bool isVisible(int index) const;
    void setVisible(int index, bool visible);
    bool isChecked(int index) const;
    void setChecked(int index, bool checked);

    // The caption of the count-th section: with numbering "&1 " .. "&9 ", then "&a ", "&b ", ...
    // before the name; without numbering the name alone.
    static QString entryCaption(int count, const QString& name, bool numbered);
    // The section name an entry stands for: with numbering the text after the first blank.
    static QString sectionOfCaption(const QString& caption, bool numbered);

private:
    struct Entry {
        QString caption;
        bool visible = false;
        bool checked = false;
    };
    // Raises "Control array element doesn't exist" (340) for an index outside the menu.
    const Entry& entry(int index) const;
    void changed(int index, QList<int> roles);

    QList<Entry> entries_;
};

} // namespace pelto
