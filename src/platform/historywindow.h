#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QWidget>

#include <cstdint>
#include <functional>

class QListWidget;
class QListWidgetItem;

// A list of kept figures, newest first: each one's thumbnail and time, with
// a star for a favourite. It only shows and tells: what a click, Delete or
// its context menu ask for is left to whoever listens.
class HistoryWindow : public QWidget {
    Q_OBJECT
public:
    struct Row {
        std::uint64_t id = 0;
        QDateTime time;
        bool favourite = false;
        QByteArray thumbnail;
    };

    explicit HistoryWindow(QWidget *parent = nullptr);

    // Shows `rows`, given oldest first, newest at the top.
    void setRows(const std::vector<Row> &rows);
    // A new row at the top.
    void addRow(const Row &row);
    void removeRow(std::uint64_t id);
    // Removes rows from the oldest on whose figure `kept` no longer holds,
    // until `count` are left.
    void trimTo(std::size_t count, const std::function<bool(std::uint64_t id)> &kept);
    void setFavourite(std::uint64_t id, bool favourite);
    // Selects the row of the figure shown now.
    void setCurrent(std::uint64_t id);

    QListWidget *list() const { return list_; }
    // The row's item, or nullptr.
    QListWidgetItem *item(std::uint64_t id) const;
    static std::uint64_t idOf(const QListWidgetItem *item);

signals:
    void chosen(std::uint64_t id);
    void favouriteChanged(std::uint64_t id, bool favourite);
    void removeAsked(std::uint64_t id);
    void exportAsked(std::uint64_t id);
    void copyAsked(std::uint64_t id);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    QListWidgetItem *makeItem(const Row &row) const;
    void showMenu(const QPoint &at);

    QListWidget *list_;
};
