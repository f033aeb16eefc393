// SPDX-License-Identifier: GPL-3.0-or-later
#include "safesave.h"
#include "testfiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

// The safe writer: a file gets its name only once complete, replaces an old
// one in a single rename, and clears what killed writers left behind.
class TestSafeSave : public QObject {
    Q_OBJECT

private slots:
    void leavesOnlyTheFile_data()
    {
        QTest::addColumn<QByteArray>("old");
        QTest::addColumn<bool>("writes");
        QTest::newRow("new file") << QByteArray() << true;
        QTest::newRow("replaced file") << QByteArray("old content") << true;
        QTest::newRow("failing new file") << QByteArray() << false;
        QTest::newRow("failing replacement") << QByteArray("old content") << false;
    }
    void leavesOnlyTheFile()
    {
        QFETCH(QByteArray, old);
        QFETCH(bool, writes);
        QTemporaryDir dir;
        const QString path = dir.filePath("picture.png");
        if (!old.isEmpty())
            QVERIFY(testfiles::writeBytes(path, old));
        const auto failure = safesave::writeFileWith(path, [writes](QIODevice &device) {
            device.write("new");
            return writes;
        });
        QCOMPARE(failure.has_value(), !writes);
        const QStringList expected = writes || !old.isEmpty() ? QStringList{"picture.png"} : QStringList{};
        QCOMPARE(testfiles::entries(dir.path()), expected);
        if (!expected.isEmpty())
            QCOMPARE(testfiles::readBytes(path), writes ? QByteArray("new") : old);
    }

    void keepsThePermissions()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("voludef.txt");
        QVERIFY(testfiles::writeBytes(path, "old"));
        QVERIFY(::chmod(QFile::encodeName(path).constData(), 0604) == 0);
        QVERIFY(!safesave::writeFile(path, "new"));
        struct stat info = {};
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &info), 0);
        QCOMPARE(info.st_mode & 07777, mode_t(0604));
    }

    // Process 1 never writes pictures, and no process has the largest id.
    void removesLeftoversOfEndedWriters_data()
    {
        QTest::addColumn<QString>("leftover");
        QTest::addColumn<bool>("removed");
        QTest::newRow("ended writer") << ".a.png.volutra-2147483646.tmp" << true;
        QTest::newRow("running writer") << ".a.png.volutra-1.tmp" << false;
        QTest::newRow("not ours") << ".a.png.tmp" << false;
        QTest::newRow("no process id") << ".a.png.volutra-x.tmp" << false;
    }
    void removesLeftoversOfEndedWriters()
    {
        QFETCH(QString, leftover);
        QFETCH(bool, removed);
        QTemporaryDir dir;
        QVERIFY(testfiles::writeBytes(dir.filePath(leftover), "half"));
        QVERIFY(!safesave::writeFile(dir.filePath("b.png"), "whole"));
        QCOMPARE(QFile::exists(dir.filePath(leftover)), !removed);
    }

    void writesAnOpenDescriptorInPlace()
    {
        QTemporaryDir dir;
        QFile file(dir.filePath("open.bin"));
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(!safesave::writeFile(QString("/proc/self/fd/%1").arg(file.handle()), "through"));
        QCOMPARE(testfiles::entries(dir.path()), QStringList{"open.bin"});
        QCOMPARE(testfiles::readBytes(file.fileName()), QByteArray("through"));
    }
};

QTEST_GUILESS_MAIN(TestSafeSave)
#include "test_safesave.moc"
