// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStyledItemDelegate>

// Draws a History window row as the list would, with a star in its top
// right corner: filled for a favourite, hollow otherwise. A click on the
// star marks or unmarks the favourite (see HistoryWindow).
class HistoryDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // Where the star of a row drawn in `item` lies.
    static QRect starArea(const QRect &item);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
};
