// SPDX-License-Identifier: GPL-3.0-or-later
#include "historymodel.h"

#include <QImage>

#include <algorithm>

namespace {

const QString star = QStringLiteral("\u2605");

QString caption(const QDateTime &time, bool favourite)
{
    const QString when = time.toString(time.date() == QDate::currentDate() ? "HH:mm:ss" : "yyyy-MM-dd HH:mm");
    return favourite ? star + " " + when : when;
}

} // namespace

int HistoryModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

QVariant HistoryModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const Shown &shown = rows_[static_cast<std::size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole: return caption(shown.row.time, shown.row.favourite);
    case Qt::DecorationRole:
        if (!shown.picture) {
            shown.picture = QPixmap::fromImage(QImage::fromData(shown.row.thumbnail, "PNG"));
            ++decoded_;
        }
        return *shown.picture;
    case IdRole: return QVariant::fromValue<qulonglong>(shown.row.id);
    case FavouriteRole: return shown.row.favourite;
    default: return {};
    }
}

void HistoryModel::setRows(const std::vector<Row> &rows)
{
    beginResetModel();
    rows_.clear();
    rows_.reserve(rows.size());
    std::transform(rows.rbegin(), rows.rend(), std::back_inserter(rows_), [](const Row &row) {
        return Shown{row, {}};
    });
    endResetModel();
}

void HistoryModel::addRow(const Row &row)
{
    beginInsertRows({}, 0, 0);
    rows_.insert(rows_.begin(), Shown{row, {}});
    endInsertRows();
}

int HistoryModel::rowOf(std::uint64_t id) const
{
    const auto found =
        std::find_if(rows_.begin(), rows_.end(), [id](const Shown &s) { return s.row.id == id; });
    return found == rows_.end() ? -1 : static_cast<int>(found - rows_.begin());
}

void HistoryModel::removeRow(std::uint64_t id)
{
    const int row = rowOf(id);
    if (row < 0)
        return;
    beginRemoveRows({}, row, row);
    rows_.erase(rows_.begin() + row);
    endRemoveRows();
}

void HistoryModel::trimTo(std::size_t count, const std::function<bool(std::uint64_t id)> &kept)
{
    for (int row = rowCount() - 1; row >= 0 && rows_.size() > count; --row) {
        if (kept(idAt(row)))
            continue;
        beginRemoveRows({}, row, row);
        rows_.erase(rows_.begin() + row);
        endRemoveRows();
    }
}

void HistoryModel::setFavourite(std::uint64_t id, bool favourite)
{
    if (const int row = rowOf(id); row >= 0) {
        rows_[static_cast<std::size_t>(row)].row.favourite = favourite;
        changed(row);
    }
}

void HistoryModel::setThumbnail(std::uint64_t id, const QByteArray &thumbnail)
{
    if (const int row = rowOf(id); row >= 0) {
        Shown &shown = rows_[static_cast<std::size_t>(row)];
        shown.row.thumbnail = thumbnail;
        shown.picture.reset();
        changed(row);
    }
}

void HistoryModel::changed(int row)
{
    const QModelIndex at = index(row);
    emit dataChanged(at, at);
}
