// SPDX-License-Identifier: GPL-3.0-or-later
#include "testfiles.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

// A render stopped at any moment, by SIGINT, SIGTERM or SIGKILL, leaves the
// folder as it was or holds the complete picture: never part of one, never a
// temporary file.
class TestRenderInterrupt : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QByteArray whole;
    qint64 duration = 0;

    QStringList arguments(const QString &output) const
    {
        return {dir.filePath("figure.par"),
                "-o",
                output,
                "--turns",
                "4",
                "--pen",
                "30",
                "-s",
                "1500x1500",
                "--seed",
                "1"};
    }

private slots:
    void initTestCase()
    {
        QVERIFY(testfiles::writeBytes(dir.filePath("figure.par"), "0.5\r\n/11\r\n0.5\r\n/11\r\n/3\r\n" +
                                                                      QByteArray("\r\n").repeated(7) +
                                                                      " 7929720\r\n 7680\r\n"));
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(QProcess::execute(VOLUTRA_RENDER_PROGRAM, arguments(dir.filePath("whole.bmp"))), 0);
        duration = timer.elapsed();
        whole = testfiles::readBytes(dir.filePath("whole.bmp"));
        QVERIFY(whole.startsWith("BM"));
    }

    void stoppedAtRandomMoments_data()
    {
        QTest::addColumn<int>("signal");
        QTest::addColumn<bool>("replaces");
        QTest::addColumn<double>("moment");
        const struct {
            const char *name;
            int number;
        } signals_[] = {{"SIGINT", SIGINT}, {"SIGTERM", SIGTERM}, {"SIGKILL", SIGKILL}};
        for (const auto &signal : signals_)
            for (const bool replaces : {false, true})
                for (const double moment : {0.05, 0.5})
                    QTest::addRow("%s, %s, at %.2f", signal.name, replaces ? "replacing" : "new", moment)
                        << signal.number << replaces << moment;
    }
    void stoppedAtRandomMoments()
    {
        QFETCH(int, signal);
        QFETCH(bool, replaces);
        QFETCH(double, moment);
        QTemporaryDir folder;
        const QString output = folder.filePath("picture.bmp");
        const QByteArray old("old picture");
        if (replaces)
            QVERIFY(testfiles::writeBytes(output, old));
        // Anywhere in the half of the render from the chosen moment on; the
        // second half reaches the writing of the picture and its end.
        const double jitter = QRandomGenerator::global()->bounded(0.5);
        const int wait = int(duration * (moment + jitter));
        QProcess process;
        process.start(VOLUTRA_RENDER_PROGRAM, arguments(output));
        QVERIFY(process.waitForStarted());
        QTest::qWait(wait);
        // A finished process has no id any more; kill(0) would hit this test.
        if (const qint64 pid = process.processId(); pid > 0)
            ::kill(pid_t(pid), signal);
        if (process.state() != QProcess::NotRunning)
            QVERIFY(process.waitForFinished(20000));
        QCOMPARE(process.readAllStandardError(), QByteArray());
        const bool finished = process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
        // A signal in the first milliseconds, before the handlers are in
        // place, ends the program by the signal itself; later it exits with
        // 128 plus the signal.
        if (!finished && signal != SIGKILL && process.exitStatus() == QProcess::NormalExit)
            QCOMPARE(process.exitCode(), 128 + signal);
        const QStringList entries = testfiles::entries(folder.path());
        const QByteArray content = testfiles::readBytes(output);
        if (entries.isEmpty()) {
            QVERIFY(!replaces);
            QVERIFY(!finished);
            return;
        }
        QCOMPARE(entries, QStringList{"picture.bmp"});
        if (finished)
            QCOMPARE(content, whole);
        else
            QVERIFY2(content == whole || content == old, "a partial picture");
    }
};

QTEST_GUILESS_MAIN(TestRenderInterrupt)
#include "test_renderinterrupt.moc"
