#include "historywindow.h"

#include "thumbnail.h"

#include <QContextMenuEvent>
#include <QIcon>
#include <QImage>
#include <QKeyEvent>
#include <QListWidget>
#include <QMenu>
#include <QPixmap>
#include <QVBoxLayout>

namespace {

constexpr int idRole = Qt::UserRole;
constexpr int favouriteRole = Qt::UserRole + 1;
constexpr int timeRole = Qt::UserRole + 2;
const QString star = QStringLiteral("\u2605");

QString caption(const QDateTime &time, bool favourite)
{
    const QString when = time.toString(time.date() == QDate::currentDate() ? "HH:mm:ss" : "yyyy-MM-dd HH:mm");
    return favourite ? star + " " + when : when;
}

} // namespace

HistoryWindow::HistoryWindow(QWidget *parent) : QWidget(parent, Qt::Window), list_(new QListWidget(this))
{
    setObjectName("HistoryWindow");
    setWindowTitle("Volutra history");
    list_->setObjectName("HistoryList");
    list_->setViewMode(QListView::IconMode);
    list_->setIconSize(thumbnail::bounds);
    list_->setResizeMode(QListView::Adjust);
    list_->setMovement(QListView::Static);
    list_->setUniformItemSizes(true);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(list_);
    resize(300, 480);

    connect(list_, &QListWidget::itemClicked, this,
            [this](QListWidgetItem *item) { emit chosen(idOf(item)); });
    connect(list_, &QListWidget::customContextMenuRequested, this, &HistoryWindow::showMenu);
}

std::uint64_t HistoryWindow::idOf(const QListWidgetItem *item)
{
    return item->data(idRole).toULongLong();
}

QListWidgetItem *HistoryWindow::makeItem(const Row &row) const
{
    auto *item = new QListWidgetItem(caption(row.time, row.favourite));
    item->setData(idRole, QVariant::fromValue<qulonglong>(row.id));
    item->setData(favouriteRole, row.favourite);
    item->setData(timeRole, row.time);
    item->setIcon(QIcon(QPixmap::fromImage(QImage::fromData(row.thumbnail, "PNG"))));
    return item;
}

void HistoryWindow::setRows(const std::vector<Row> &rows)
{
    list_->setUpdatesEnabled(false);
    list_->clear();
    for (auto row = rows.rbegin(); row != rows.rend(); ++row)
        list_->addItem(makeItem(*row));
    list_->setUpdatesEnabled(true);
}

void HistoryWindow::addRow(const Row &row)
{
    list_->insertItem(0, makeItem(row));
}

QListWidgetItem *HistoryWindow::item(std::uint64_t id) const
{
    for (int i = 0; i < list_->count(); ++i)
        if (idOf(list_->item(i)) == id)
            return list_->item(i);
    return nullptr;
}

void HistoryWindow::removeRow(std::uint64_t id)
{
    delete item(id);
}

void HistoryWindow::trimTo(std::size_t count, const std::function<bool(std::uint64_t id)> &kept)
{
    for (int i = list_->count() - 1; i >= 0 && static_cast<std::size_t>(list_->count()) > count; --i)
        if (!kept(idOf(list_->item(i))))
            delete list_->item(i);
}

void HistoryWindow::setFavourite(std::uint64_t id, bool favourite)
{
    if (QListWidgetItem *found = item(id)) {
        found->setData(favouriteRole, favourite);
        found->setText(caption(found->data(timeRole).toDateTime(), favourite));
    }
}

void HistoryWindow::setCurrent(std::uint64_t id)
{
    if (QListWidgetItem *found = item(id))
        list_->setCurrentItem(found);
}

void HistoryWindow::keyPressEvent(QKeyEvent *event)
{
    QListWidgetItem *current = list_->currentItem();
    if (current && event->key() == Qt::Key_Delete) {
        emit removeAsked(idOf(current));
        return;
    }
    QWidget::keyPressEvent(event);
}

void HistoryWindow::showMenu(const QPoint &at)
{
    QListWidgetItem *item = list_->itemAt(at);
    if (!item)
        return;
    const std::uint64_t id = idOf(item);
    const bool favourite = item->data(favouriteRole).toBool();
    QMenu menu(this);
    QAction *marking = menu.addAction(star + " Favourite");
    marking->setCheckable(true);
    marking->setChecked(favourite);
    connect(marking, &QAction::triggered, this, [this, id](bool on) { emit favouriteChanged(id, on); });
    connect(menu.addAction("Export\u2026"), &QAction::triggered, this, [this, id] { emit exportAsked(id); });
    connect(menu.addAction("Copy recipe"), &QAction::triggered, this, [this, id] { emit copyAsked(id); });
    connect(menu.addAction("Delete"), &QAction::triggered, this, [this, id] { emit removeAsked(id); });
    menu.exec(list_->viewport()->mapToGlobal(at));
}
