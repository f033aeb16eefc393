// SPDX-License-Identifier: GPL-3.0-or-later
#include "displayguard.h"

#include <QByteArray>
#include <QList>
#include <QMessageLogContext>

#include <cstdio>
#include <cstdlib>

namespace {

struct HeldMessage {
    QtMsgType type;
    QByteArray file;
    int line;
    QByteArray function;
    QByteArray category;
    QString text;
};

QtMessageHandler previousHandler = nullptr;
QByteArray noDisplayLine;
QList<HeldMessage> held;

void holdOrEnd(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type == QtFatalMsg) {
        std::fputs(noDisplayLine.constData(), stderr);
        std::fflush(stderr);
        std::_Exit(1);
    }
    held.append({type, context.file, context.line, context.function, context.category, text});
}

} // namespace

DisplayGuard::DisplayGuard(const QString &noDisplay)
{
    noDisplayLine = noDisplay.toLocal8Bit() + '\n';
    previousHandler = qInstallMessageHandler(holdOrEnd);
}

DisplayGuard::~DisplayGuard()
{
    qInstallMessageHandler(previousHandler);
    for (const HeldMessage &message : std::as_const(held)) {
        const QMessageLogContext context(message.file.isNull() ? nullptr : message.file.constData(),
                                         message.line,
                                         message.function.isNull() ? nullptr : message.function.constData(),
                                         message.category.isNull() ? nullptr : message.category.constData());
        previousHandler(message.type, context, message.text);
    }
    held.clear();
}
