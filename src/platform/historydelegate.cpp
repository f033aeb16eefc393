// SPDX-License-Identifier: GPL-3.0-or-later
#include "historydelegate.h"

#include "historymodel.h"

#include <QPainter>

namespace {

// The star's square, large enough to hit with a pointer.
constexpr int starSide = 22;
const QColor starColour(230, 170, 0);

} // namespace

QRect HistoryDelegate::starArea(const QRect &item)
{
    return {item.right() + 1 - starSide, item.top(), starSide, starSide};
}

void HistoryDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                            const QModelIndex &index) const
{
    QStyledItemDelegate::paint(painter, option, index);
    const bool favourite = index.data(HistoryModel::FavouriteRole).toBool();
    const QRect area = starArea(option.rect);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    // A light disc under the star keeps it in sight on a dark figure.
    QColor disc = option.palette.color(QPalette::Base);
    disc.setAlpha(190);
    painter->setPen(Qt::NoPen);
    painter->setBrush(disc);
    painter->drawEllipse(area.adjusted(1, 1, -1, -1));
    QFont font = option.font;
    font.setPixelSize(starSide - 6);
    painter->setFont(font);
    painter->setPen(favourite ? starColour : option.palette.color(QPalette::Text));
    painter->drawText(area, Qt::AlignCenter, favourite ? QStringLiteral("\u2605") : QStringLiteral("\u2606"));
    painter->restore();
}
