// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

// Whole files for tests: reading, writing and the shared test data.
namespace testfiles {

// The file's bytes, or nothing when it cannot be read.
inline QByteArray readBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

inline bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The path of a file below tests/data, e.g. "settings/changed.txt".
inline QString testDataPath(const QString &name)
{
    return qEnvironmentVariable("VOLUTRA_TEST_DATA") + "/" + name;
}

// The bytes of a file below tests/data.
inline QByteArray testData(const QString &name)
{
    return readBytes(testDataPath(name));
}

// Every entry of a folder, hidden ones included, by name.
inline QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                                  QDir::Name);
}

// The lines of a text without their endings, CR LF or LF.
inline QList<QByteArray> fileLines(const QByteArray &bytes)
{
    QList<QByteArray> lines = bytes.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QByteArray &line : lines)
        line.chop(line.endsWith('\r') ? 1 : 0);
    return lines;
}

} // namespace testfiles
