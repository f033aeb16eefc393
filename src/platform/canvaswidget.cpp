// SPDX-License-Identifier: GPL-3.0-or-later
#include "canvaswidget.h"

#include "surfaceimages.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>

#include <algorithm>

namespace {
constexpr int frameMilliseconds = 16;
}

CanvasWidget::CanvasWidget(DrawingSurface &surface, QWidget *parent) : QWidget(parent), surface_(surface)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    followDevicePixelRatio();
    frameTimer_.setSingleShot(true);
    connect(&frameTimer_, &QTimer::timeout, this, &CanvasWidget::flushPending);
    // The surface may outlive the widget; a dead widget hears nothing.
    surface_.setChangeListener([widget = QPointer<CanvasWidget>(this)](const QRect &rect) {
        if (widget)
            widget->surfaceChanged(rect);
    });
    sinceFlush_.start();
}

void CanvasWidget::followDevicePixelRatio()
{
    surfaceimages::setDevicePixelRatio(surface_, devicePixelRatioF());
}

void CanvasWidget::surfaceChanged(const QRect &rect)
{
    // The surface counts device pixels, the widget its own.
    const double ratio = surface_.devicePixelRatio();
    pending_ += QRectF(rect.x() / ratio, rect.y() / ratio, rect.width() / ratio, rect.height() / ratio)
                    .toAlignedRect();
    // Even when a frame is due, the flush waits for the event loop, so that
    // every change made before then joins the same repaint.
    if (!frameTimer_.isActive())
        frameTimer_.start(static_cast<int>(std::max<qint64>(0, frameMilliseconds - sinceFlush_.elapsed())));
}

void CanvasWidget::flushPending()
{
    if (pending_.isEmpty())
        return;
    update(pending_);
    pending_ = QRegion();
    sinceFlush_.restart();
}

void CanvasWidget::repaintPending()
{
    frameTimer_.stop();
    if (!pending_.isEmpty()) {
        repaint(pending_);
        pending_ = QRegion();
        sinceFlush_.restart();
    }
}

// Moved to a screen of another density, the window is painted anew; the
// surface takes the new resolution first.
void CanvasWidget::paintEvent(QPaintEvent *event)
{
    followDevicePixelRatio();
    QPainter painter(this);
    const QImage &image = surfaceimages::screenImage(surface_);
    const double ratio = surface_.devicePixelRatio();
    for (const QRect &dirty : event->region())
        painter.drawImage(
            QRectF(dirty), image,
            QRectF(dirty.x() * ratio, dirty.y() * ratio, dirty.width() * ratio, dirty.height() * ratio));
}

void CanvasWidget::resizeEvent(QResizeEvent *event)
{
    followDevicePixelRatio();
    surface_.resize(size());
    QWidget::resizeEvent(event);
}

float CanvasWidget::twipsX(const QMouseEvent *event) const
{
    return static_cast<float>(surface_.toTwips(event->position().x()));
}

float CanvasWidget::twipsY(const QMouseEvent *event) const
{
    return static_cast<float>(surface_.toTwips(event->position().y()));
}

void CanvasWidget::mousePressEvent(QMouseEvent *event)
{
    emit mousePressed(twipsX(event), twipsY(event));
}
void CanvasWidget::mouseMoveEvent(QMouseEvent *event)
{
    emit mouseMoved(twipsX(event), twipsY(event));
}
void CanvasWidget::mouseReleaseEvent(QMouseEvent *event)
{
    emit mouseReleased(twipsX(event), twipsY(event));
}

void CanvasWidget::mouseDoubleClickEvent(QMouseEvent *event)
{
    emit mouseDoubleClicked(twipsX(event), twipsY(event));
}
