// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>

// A caption that reports clicks and double clicks without taking the focus,
// so that the field the user typed in keeps it.
class ClickableLabel : public QLabel {
    Q_OBJECT
public:
    explicit ClickableLabel(const QString &caption, QWidget *parent = nullptr);

signals:
    void clicked();
    void doubleClicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    bool pressed_ = false;
};
