// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drawingsurface.h"

#include <QElapsedTimer>
#include <QRegion>
#include <QTimer>
#include <QWidget>

// Shows a drawing surface as the window's client area and reports the mouse
// on it in twips. Repaints cover only what changed, and at most one of them
// happens per display frame however often the surface changes. The surface
// draws at the resolution of the screen the widget is on.
class CanvasWidget : public QWidget {
    Q_OBJECT
public:
    explicit CanvasWidget(DrawingSurface &surface, QWidget *parent = nullptr);

    // Paints what changed right now, without waiting for the event loop.
    void repaintPending();
    // Gives the surface the device pixel ratio of the widget's screen.
    void followDevicePixelRatio();

signals:
    void mousePressed(float x, float y);
    void mouseMoved(float x, float y);
    void mouseReleased(float x, float y);
    void mouseDoubleClicked(float x, float y);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    void surfaceChanged(const QRect &rect);
    void flushPending();
    float twipsX(const QMouseEvent *event) const;
    float twipsY(const QMouseEvent *event) const;

    DrawingSurface &surface_;
    QRegion pending_;
    QTimer frameTimer_;
    QElapsedTimer sinceFlush_;
};
