#pragma once
#include <QAbstractTableModel>
#include <QIcon>
#include <QString>
#include <string>
#include <vector>

namespace calvoran {

// One playlist row. The caption is 8-bit (Windows-1252) text; the location a full path or a stream
// address.
struct PlaylistEntry {
    std::string caption;
    QString location;
    int image = 9;       // the list's icon; -1 for none
    double seconds = -1; // the length once known, -1 before
};

// The playlist's entries, shown by the playlist window's list in two columns ("Title" and the hidden
// "Filename"). Every caption and location is read from here, never from a widget's text.
class PlaylistModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit PlaylistModel(QObject *parent = nullptr);

    int count() const { return static_cast<int>(entries_.size()); }
    bool contains(int position) const { return position >= 0 && position < count(); }
    const PlaylistEntry &entry(int position) const { return entries_.at(static_cast<size_t>(position)); }
    // Empty for a position outside the list.
    std::string caption(int position) const;
    QString location(int position) const;

    void append(PlaylistEntry entry);
    void appendAll(std::vector<PlaylistEntry> entries);
    // Removes the entries at these positions (any order, duplicates allowed).
    void remove(std::vector<int> positions);
    void clear();
    void setSeconds(int position, double seconds);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<PlaylistEntry> entries_;
    mutable QIcon icon_; // the style's, made on first paint
};

} // namespace calvoran
