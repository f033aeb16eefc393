// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "historymodel.h"

#include <QWidget>

#include <cstdint>
#include <functional>

class QListView;

// A list of kept figures, newest first: each one's thumbnail and time, with
// a star that is filled for a favourite. It only shows and tells: what a
// click, a click on a star, S or Ctrl+D, Delete or its context menu ask for
// is left to whoever listens.
class HistoryWindow : public QWidget {
    Q_OBJECT
public:
    using Row = HistoryModel::Row;

    explicit HistoryWindow(QWidget *parent = nullptr);

    // Shows `rows`, given oldest first, newest at the top.
    void setRows(const std::vector<Row> &rows) { model_->setRows(rows); }
    // A new row at the top.
    void addRow(const Row &row) { model_->addRow(row); }
    void removeRow(std::uint64_t id) { model_->removeRow(id); }
    // Removes rows from the oldest on whose figure `kept` no longer holds,
    // until `count` are left.
    void trimTo(std::size_t count, const std::function<bool(std::uint64_t id)> &kept)
    {
        model_->trimTo(count, kept);
    }
    void setFavourite(std::uint64_t id, bool favourite) { model_->setFavourite(id, favourite); }
    void setThumbnail(std::uint64_t id, const QByteArray &thumbnail) { model_->setThumbnail(id, thumbnail); }
    // Selects the row of the figure shown now.
    void setCurrent(std::uint64_t id);

    QListView *list() const { return list_; }
    HistoryModel *model() const { return model_; }
    // Where the star of the figure `id` lies in the list's viewport; empty
    // when it has no row.
    QRect starArea(std::uint64_t id) const;

signals:
    void chosen(std::uint64_t id);
    void favouriteChanged(std::uint64_t id, bool favourite);
    void removeAsked(std::uint64_t id);
    void exportAsked(std::uint64_t id);
    void copyAsked(std::uint64_t id);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The row at `index` marked as a favourite, or unmarked.
    void toggleFavourite(const QModelIndex &index);
    void showMenu(const QPoint &at);

    QListView *list_;
    HistoryModel *model_;
};
