// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractListModel>
#include <QByteArray>
#include <QDateTime>
#include <QPixmap>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

// The rows of the History window, newest first. A row's thumbnail is
// decoded only when the view first asks for it, that is when the row comes
// into sight, so that a window of 500 rows opens without decoding 500
// pictures.
class HistoryModel : public QAbstractListModel {
    Q_OBJECT
public:
    struct Row {
        std::uint64_t id = 0;
        QDateTime time;
        bool favourite = false;
        // PNG bytes; none while the thumbnail is being made.
        QByteArray thumbnail;
    };
    enum Role { IdRole = Qt::UserRole, FavouriteRole };

    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;

    // Shows `rows`, given oldest first, newest at the top.
    void setRows(const std::vector<Row> &rows);
    // A new row at the top.
    void addRow(const Row &row);
    void removeRow(std::uint64_t id);
    // Removes rows from the oldest on whose figure `kept` no longer holds,
    // until `count` are left.
    void trimTo(std::size_t count, const std::function<bool(std::uint64_t id)> &kept);
    void setFavourite(std::uint64_t id, bool favourite);
    void setThumbnail(std::uint64_t id, const QByteArray &thumbnail);

    // The row showing the figure `id`, or -1.
    int rowOf(std::uint64_t id) const;
    std::uint64_t idAt(int row) const { return rows_[static_cast<std::size_t>(row)].row.id; }
    // How many thumbnails have been decoded so far.
    int decoded() const { return decoded_; }

private:
    struct Shown {
        Row row;
        // Decoded on first use.
        mutable std::optional<QPixmap> picture;
    };
    void changed(int row);

    std::vector<Shown> rows_;
    mutable int decoded_ = 0;
};
