// SPDX-License-Identifier: GPL-3.0-or-later
#include "printing.h"

#include <QPainter>
#include <QPrinter>

namespace printing {

std::optional<Failure> printImage(QPrinter &printer, const QImage &image)
{
    if (image.isNull())
        return failures::make(failures::PrinterError);
    QPainter painter;
    if (!painter.begin(&printer))
        return failures::make(failures::PrinterError);
    const QRect page = painter.viewport();
    QSize size = image.size();
    size.scale(page.size(), Qt::KeepAspectRatio);
    const QRect target(page.x() + (page.width() - size.width()) / 2, page.y(), size.width(), size.height());
    painter.drawImage(target, image);
    if (!painter.end())
        return failures::make(failures::PrinterError);
    return std::nullopt;
}

} // namespace printing
