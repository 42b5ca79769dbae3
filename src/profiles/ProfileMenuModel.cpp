#include "profiles/ProfileMenuModel.h"

#include "platform/RuntimeError.h"

namespace pelto {
namespace {
constexpr qint32 kNoSuchElement = 340;
}

ProfileMenuModel::ProfileMenuModel(QObject* parent) : QAbstractListModel(parent) {
    entries_.append(Entry{QString::fromLatin1(kDummyCaption)});
}

int ProfileMenuModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(entries_.size());
}

QVariant ProfileMenuModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= entries_.size())
        return {};
    const Entry& e = entries_[index.row()];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return e.caption;
    case Qt::CheckStateRole:
        return e.checked ? Qt::Checked : Qt::Unchecked;
    case VisibleRole:
        return e.visible;
    default:
        return {};
    }
}

QHash<int, QByteArray> ProfileMenuModel::roleNames() const {
    QHash<int, QByteArray> names = QAbstractListModel::roleNames();
    names.insert(Qt::CheckStateRole, "checked");
    names.insert(VisibleRole, "visible");
    return names;
}

int ProfileMenuModel::addEntry() {
    const int index = static_cast<int>(entries_.size());
    beginInsertRows(QModelIndex(), index, index);
    entries_.append(Entry{entries_.first().caption});
    endInsertRows();
    return index;
}

void ProfileMenuModel::removeEntry(int index) {
    entry(index);
    if (index == 0)
        throw RuntimeError(err::DesignTimeControl,
                           QStringLiteral("Can't unload controls created at design time"));
    beginRemoveRows(QModelIndex(), index, index);
    entries_.removeAt(index);
    endRemoveRows();
}

QString ProfileMenuModel::caption(int index) const {
    return entry(index).caption;
}

void ProfileMenuModel::setCaption(int index, const QString& caption) {
    entry(index);
    entries_[index].caption = caption;
    changed(index, {Qt::DisplayRole, Qt::EditRole});
}

bool ProfileMenuModel::isVisible(int index) const {
    return entry(index).visible;
}

void ProfileMenuModel::setVisible(int index, bool visible) {
    entry(index);
    entries_[index].visible = visible;
    changed(index, {VisibleRole});
}

bool ProfileMenuModel::isChecked(int index) const {
    return entry(index).checked;
}

void ProfileMenuModel::setChecked(int index, bool checked) {
    entry(index);
    entries_[index].checked = checked;
    changed(index, {Qt::CheckStateRole});
}

QString ProfileMenuModel::entryCaption(int count, const QString& name, bool numbered) {
    if (!numbered)
        return name;
    const QString number =
        count <= 9 ? QString::number(count) : QString(QChar(static_cast<char16_t>(count + 87)));
    return QStringLiteral("&") + number + QStringLiteral(" ") + name;
}

QString ProfileMenuModel::sectionOfCaption(const QString& caption, bool numbered) {
    if (!numbered)
        return caption;
    const qsizetype blank = caption.indexOf(u' ');
    return caption.mid(blank + 1);
}

const ProfileMenuModel::Entry& ProfileMenuModel::entry(int index) const {
    if (index < 0 || index >= entries_.size())
        throw RuntimeError(kNoSuchElement,
                           QStringLiteral("Control array element '%1' doesn't exist").arg(index));
    return entries_[index];
}

void ProfileMenuModel::changed(int index, QList<int> roles) {
    const QModelIndex at = createIndex(index, 0);
    Q_EMIT dataChanged(at, at, roles);
}

} // namespace pelto
