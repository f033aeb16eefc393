#include "testfiles.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// volutra-render answers every command line as `volutra` does: the same exit
// code, messages and picture.
class TestRenderMain : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    struct Outcome {
        int exitCode = -1;
        QByteArray out;
        QByteArray err;
        QByteArray picture;
    };

    Outcome run(const QString &program, QStringList arguments, const QString &name)
    {
        const QString picture = dir.filePath(name);
        arguments.replaceInStrings("OUT", picture);
        QProcess process;
        process.start(program, arguments);
        Outcome outcome;
        if (!process.waitForFinished(60000))
            return outcome;
        outcome.exitCode = process.exitCode();
        outcome.out = process.readAllStandardOutput();
        outcome.err = process.readAllStandardError().replace(QFile::encodeName(name), "NAME");
        outcome.picture = testfiles::readBytes(picture);
        return outcome;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(testfiles::writeBytes(dir.filePath("flower.par"), "0.6\r\n7\r\n" +
                                                                      QByteArray("\r\n").repeated(10) +
                                                                      " 65535\r\n 8388608\r\n"));
    }

    void sameAsTheWindowProgram_data()
    {
        QTest::addColumn<QStringList>("arguments");
        const QString figure = dir.filePath("flower.par");
        QTest::newRow("help") << QStringList{"--render", "--help"};
        QTest::newRow("bitmap") << QStringList{"--render", figure, "--output", "OUT", "--size", "97x61"};
        QTest::newRow("random figure") << QStringList{"--render", figure, "--output", "OUT", "--seed", "5"};
        QTest::newRow("unknown option") << QStringList{"--render", figure, "--frobnicate"};
        QTest::newRow("missing figure")
            << QStringList{"--render", dir.filePath("none.par"), "--output", "OUT"};
    }

    void sameAsTheWindowProgram()
    {
        QFETCH(QStringList, arguments);
        const Outcome window = run(VOLUTRA_PROGRAM, arguments, "window.bmp");
        const Outcome alone = run(VOLUTRA_RENDER_PROGRAM, arguments, "alone.bmp");
        QVERIFY(window.exitCode >= 0);
        QCOMPARE(alone.exitCode, window.exitCode);
        QCOMPARE(alone.out, window.out);
        QCOMPARE(alone.err, window.err);
        QCOMPARE(alone.picture, window.picture);
    }

    void noArgumentsGivesTheUsage()
    {
        const Outcome alone = run(VOLUTRA_RENDER_PROGRAM, {}, "none.bmp");
        QCOMPARE(alone.exitCode, 2);
        QVERIFY(alone.out.isEmpty());
        QVERIFY(!alone.err.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestRenderMain)
#include "test_rendermain.moc"
