#include "PlaylistModel.h"

#include "platform/Text.h"

#include <QApplication>
#include <QIcon>
#include <QStyle>
#include <algorithm>

namespace calvoran {

PlaylistModel::PlaylistModel(QObject *parent) : QAbstractTableModel(parent) {}

std::string PlaylistModel::caption(int position) const {
    return contains(position) ? entry(position).caption : std::string();
}

QString PlaylistModel::location(int position) const {
    return contains(position) ? entry(position).location : QString();
}

void PlaylistModel::append(PlaylistEntry entry) {
    beginInsertRows({}, count(), count());
    entries_.push_back(std::move(entry));
    endInsertRows();
}

void PlaylistModel::appendAll(std::vector<PlaylistEntry> entries) {
    if (entries.empty()) return;
    beginInsertRows({}, count(), count() + static_cast<int>(entries.size()) - 1);
    entries_.insert(entries_.end(), std::make_move_iterator(entries.begin()),
                    std::make_move_iterator(entries.end()));
    endInsertRows();
}

void PlaylistModel::remove(std::vector<int> positions) {
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    // From the back, so earlier positions stay valid.
    for (auto it = positions.rbegin(); it != positions.rend(); ++it) {
        if (!contains(*it)) continue;
        beginRemoveRows({}, *it, *it);
        entries_.erase(entries_.begin() + *it);
        endRemoveRows();
    }
}

void PlaylistModel::clear() {
    if (entries_.empty()) return;
    beginResetModel();
    entries_.clear();
    endResetModel();
}

void PlaylistModel::setSeconds(int position, double seconds) {
    if (contains(position)) entries_[static_cast<size_t>(position)].seconds = seconds;
}

int PlaylistModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : count();
}

int PlaylistModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant PlaylistModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || !contains(index.row())) return {};
    const PlaylistEntry &e = entry(index.row());
    if (role == Qt::DisplayRole) return index.column() == 0 ? fromAnsi(e.caption) : e.location;
    if (role == Qt::DecorationRole && index.column() == 0 && e.image >= 0 &&
        qobject_cast<QApplication *>(QCoreApplication::instance())) {
        if (icon_.isNull()) icon_ = QApplication::style()->standardIcon(QStyle::SP_MediaPlay);
        return icon_;
    }
    return {};
}

QVariant PlaylistModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    return section == 0 ? QStringLiteral("Title") : QStringLiteral("Filename");
}

} // namespace calvoran
