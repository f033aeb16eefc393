// SPDX-License-Identifier: GPL-3.0-or-later
#include "historywindow.h"

#include "historydelegate.h"
#include "thumbnail.h"

#include <QAction>
#include <QKeyEvent>
#include <QListView>
#include <QMenu>
#include <QMouseEvent>
#include <QVBoxLayout>

namespace {

const QString star = QStringLiteral("\u2605");

std::uint64_t idOf(const QModelIndex &index)
{
    return index.data(HistoryModel::IdRole).toULongLong();
}

} // namespace

HistoryWindow::HistoryWindow(QWidget *parent)
    : QWidget(parent, Qt::Window), list_(new QListView(this)), model_(new HistoryModel(this))
{
    setObjectName("HistoryWindow");
    setWindowTitle("Volutra history");
    list_->setObjectName("HistoryList");
    list_->setViewMode(QListView::IconMode);
    list_->setIconSize(thumbnail::bounds);
    list_->setResizeMode(QListView::Adjust);
    list_->setMovement(QListView::Static);
    // Every row is as large as the first: the list lays out 500 rows
    // without asking each one.
    list_->setUniformItemSizes(true);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    list_->setModel(model_);
    list_->setItemDelegate(new HistoryDelegate(list_));
    list_->viewport()->installEventFilter(this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(list_);
    resize(300, 480);

    auto *marking = new QAction(this);
    marking->setShortcuts({QKeySequence(Qt::Key_S), QKeySequence(Qt::CTRL | Qt::Key_D)});
    marking->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(marking);
    connect(marking, &QAction::triggered, this, [this] { toggleFavourite(list_->currentIndex()); });
    connect(list_, &QListView::clicked, this, [this](const QModelIndex &index) { emit chosen(idOf(index)); });
    connect(list_, &QListView::customContextMenuRequested, this, &HistoryWindow::showMenu);
}

void HistoryWindow::setCurrent(std::uint64_t id)
{
    if (const int row = model_->rowOf(id); row >= 0)
        list_->setCurrentIndex(model_->index(row));
}

QRect HistoryWindow::starArea(std::uint64_t id) const
{
    const int row = model_->rowOf(id);
    return row < 0 ? QRect() : HistoryDelegate::starArea(list_->visualRect(model_->index(row)));
}

void HistoryWindow::toggleFavourite(const QModelIndex &index)
{
    if (index.isValid())
        emit favouriteChanged(idOf(index), !index.data(HistoryModel::FavouriteRole).toBool());
}

void HistoryWindow::keyPressEvent(QKeyEvent *event)
{
    const QModelIndex current = list_->currentIndex();
    if (current.isValid() && event->key() == Qt::Key_Delete) {
        emit removeAsked(idOf(current));
        return;
    }
    QWidget::keyPressEvent(event);
}

bool HistoryWindow::eventFilter(QObject *watched, QEvent *event)
{
    // A press on a star marks or unmarks the favourite and neither selects
    // the row nor brings its figure back: the list sees none of the click.
    const auto type = event->type();
    if (watched != list_->viewport() ||
        (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease &&
         type != QEvent::MouseButtonDblClick))
        return QWidget::eventFilter(watched, event);
    auto *mouse = static_cast<QMouseEvent *>(event);
    const QPoint at = mouse->position().toPoint();
    const QModelIndex index = list_->indexAt(at);
    if (mouse->button() != Qt::LeftButton || !index.isValid() ||
        !HistoryDelegate::starArea(list_->visualRect(index)).contains(at))
        return QWidget::eventFilter(watched, event);
    if (type == QEvent::MouseButtonPress)
        toggleFavourite(index);
    return true;
}

void HistoryWindow::showMenu(const QPoint &at)
{
    const QModelIndex index = list_->indexAt(at);
    if (!index.isValid())
        return;
    const std::uint64_t id = idOf(index);
    const bool favourite = index.data(HistoryModel::FavouriteRole).toBool();
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
