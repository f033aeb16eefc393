// SPDX-License-Identifier: GPL-3.0-or-later
#include "testfiles.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// Hostile figures and options: each ends within seconds, refused before
// drawing when its work is beyond the budget or its recipe cannot have come
// from a drawing, with one line that says why and nothing written.
class TestRenderLimits : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    // A recipe of the fourteen parameter lines and the settings lines given.
    static QByteArray recipe(const QByteArray &settings)
    {
        return "Volutra recipe 1\r\n0.5\r\n/11\r\n0.5\r\n/11\r\n/3\r\n" + QByteArray("\r\n").repeated(7) +
               " 7929720\r\n 7680\r\n" + settings;
    }

private slots:
    void hostileEndsWithinSeconds_data()
    {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        const QString budget = "--budget SECONDS raises it, --budget 0 lifts it";
        QTest::newRow("random pen at the generator's end")
            << QByteArray("randomPen 1 18446744073709551615\r\n") << QStringList{} << 1 << "corrupt recipe";
        QTest::newRow("random pen just beyond a session")
            << QByteArray("randomPen 7 268435457\r\n") << QStringList{} << 1 << "corrupt recipe";
        QTest::newRow("wide pen on a huge canvas for 400 turns")
            << QByteArray("canvas 16384 16384\r\npenSize 32766\r\nstepSize 1\r\nturns 400\r\n")
            << QStringList{} << 2 << budget;
        QTest::newRow("infinite turns at step 1")
            << QByteArray("stepSize 1\r\nturns 1E+999\r\n") << QStringList{} << 2 << budget;
        QTest::newRow("infinite step") << QByteArray("stepSize 1E+999\r\n") << QStringList{} << 0 << "";
        QTest::newRow("step that rounds to 0")
            << QByteArray("stepSize 1e-300\r\n") << QStringList{} << 2 << "would never end";
        QTest::newRow("negative infinite turns")
            << QByteArray("turns -1E+999\r\n") << QStringList{} << 0 << "";
        QTest::newRow("tiny twips") << QByteArray("twipsPerPixel 1e-300\r\n") << QStringList{} << 0 << "";
        QTest::newRow("huge window") << QByteArray("windowWidth 1e308\r\nwindowHeight 1e308\r\n")
                                     << QStringList{} << 0 << "";
        QTest::newRow("far offset") << QByteArray("drawLeftOffset 2147483647\r\n") << QStringList{} << 0
                                    << "";
        QTest::newRow("widest pen at 8K by option")
            << QByteArray() << QStringList{"--pen", "32766", "-s", "7680x4320"} << 2 << budget;
        QTest::newRow("step 1 for 400 turns by option")
            << QByteArray() << QStringList{"--step", "1", "--turns", "400"} << 2 << budget;
        QTest::newRow("a lower budget")
            << QByteArray() << QStringList{"--turns", "16", "--budget", "0.01"} << 2 << budget;
        QTest::newRow("bad budget") << QByteArray() << QStringList{"--budget", "-1"} << 2 << "bad budget";
        QTest::newRow("turns beyond the counter")
            << QByteArray() << QStringList{"--turns", "400", "--step", "100000"} << 0
            << "warning: 400 turns are beyond the counter's reach; drawing 341.78 turns";
    }
    void hostileEndsWithinSeconds()
    {
        QFETCH(QByteArray, settings);
        QFETCH(QStringList, options);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        const QString figure = dir.filePath("hostile.par");
        const QString output = dir.filePath("hostile.png");
        QFile::remove(output);
        QVERIFY(testfiles::writeBytes(figure, recipe(settings)));
        QProcess process;
        QElapsedTimer timer;
        timer.start();
        process.start(VOLUTRA_RENDER_PROGRAM, QStringList{figure, "-o", output} + options);
        QVERIFY(process.waitForFinished(20000));
        QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
        const QString err = QString::fromLocal8Bit(process.readAllStandardError());
        QCOMPARE(process.exitCode(), exitCode);
        QCOMPARE(QFile::exists(output), exitCode == 0);
        if (message.isEmpty()) {
            QCOMPARE(err, QString());
        } else {
            QVERIFY2(err.startsWith("volutra-render: "), qPrintable(err));
            QVERIFY2(err.contains(message), qPrintable(err));
            QCOMPARE(err.count('\n'), 1);
        }
    }
};

QTEST_GUILESS_MAIN(TestRenderLimits)
#include "test_renderlimits.moc"
