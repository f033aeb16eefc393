// SPDX-License-Identifier: GPL-3.0-or-later
#include "testfiles.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// volutra-render answers every command line as `volutra --render` does: the
// same exit code, messages and picture, with the command named as typed. It
// reads FIGURE from pipes and writes pictures to standard output.
class TestRenderMain : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    struct Outcome {
        int exitCode = -1;
        QByteArray out;
        QByteArray err;
        QByteArray picture;
    };

    Outcome run(const QString &program, QStringList arguments, const QString &name,
                const QByteArray &input = {}, const QString &inputFile = {})
    {
        const QString picture = dir.filePath(name);
        arguments.replaceInStrings("OUT", picture);
        QProcess process;
        if (!inputFile.isEmpty())
            process.setStandardInputFile(inputFile);
        process.start(program, arguments);
        Outcome outcome;
        if (inputFile.isEmpty()) {
            process.write(input);
            process.closeWriteChannel();
        }
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
        QTest::newRow("smooth and fitted")
            << QStringList{"--render", figure, "--output", "OUT", "--size", "97x61", "--smooth", "--fit"};
        QTest::newRow("unknown option") << QStringList{"--render", figure, "--frobnicate"};
        QTest::newRow("missing figure")
            << QStringList{"--render", dir.filePath("none.par"), "--output", "OUT"};
    }

    void sameAsTheWindowProgram()
    {
        QFETCH(QStringList, arguments);
        Outcome window = run(VOLUTRA_PROGRAM, arguments, "window.bmp");
        const Outcome alone = run(VOLUTRA_RENDER_PROGRAM, arguments, "alone.bmp");
        QVERIFY(window.exitCode >= 0);
        QCOMPARE(alone.exitCode, window.exitCode);
        QCOMPARE(alone.out, window.out.replace("volutra --render", "volutra-render"));
        QCOMPARE(alone.err, window.err.replace("volutra --render", "volutra-render"));
        QCOMPARE(alone.picture, window.picture);
    }

    // The program finds the painting module beside it and paints a PDF
    // drawing, also to standard output.
    void pdfFromThePaintingModule()
    {
        const QString figure = dir.filePath("flower.par");
        const Outcome file = run(VOLUTRA_RENDER_PROGRAM, {figure, "-o", "OUT"}, "flower.pdf");
        QCOMPARE(file.exitCode, 0);
        QVERIFY2(file.picture.startsWith("%PDF-") && file.picture.endsWith("%%EOF\n"), file.err.constData());
        const Outcome piped = run(VOLUTRA_RENDER_PROGRAM, {figure, "-o", "-", "--format", "pdf"}, "none.pdf");
        QCOMPARE(piped.exitCode, 0);
        QVERIFY(piped.out.startsWith("%PDF-"));
        QCOMPARE(piped.out.size(), file.picture.size());
    }

    // FIGURE is read once: a pipe, a redirected file and /dev/stdin all draw
    // what the file itself draws.
    void figureFromStandardInput_data()
    {
        QTest::addColumn<QString>("figure");
        QTest::addColumn<bool>("redirected");
        QTest::newRow("- from a pipe") << "-" << false;
        QTest::newRow("/dev/stdin from a pipe") << "/dev/stdin" << false;
        QTest::newRow("- from a file") << "-" << true;
        QTest::newRow("/dev/stdin from a file") << "/dev/stdin" << true;
    }
    void figureFromStandardInput()
    {
        QFETCH(QString, figure);
        QFETCH(bool, redirected);
        const QString file = dir.filePath("flower.par");
        const QStringList common{"-o", "OUT", "--size", "97x61", "--seed", "3"};
        const Outcome direct = run(VOLUTRA_RENDER_PROGRAM, QStringList{file} + common, "direct.bmp");
        const Outcome piped =
            redirected ? run(VOLUTRA_RENDER_PROGRAM, QStringList{figure} + common, "piped.bmp", {}, file)
                       : run(VOLUTRA_RENDER_PROGRAM, QStringList{figure} + common, "piped.bmp",
                             testfiles::readBytes(file));
        QCOMPARE(piped.err, QByteArray());
        QCOMPARE(piped.exitCode, 0);
        QVERIFY(!direct.picture.isEmpty());
        QCOMPARE(piped.picture, direct.picture);
    }

    // A recipe in a PNG comes through a pipe too, and -o - sends the picture
    // to standard output, nothing else.
    void pngThroughPipes_data()
    {
        QTest::addColumn<QString>("format");
        QTest::newRow("png") << "png";
        QTest::newRow("bmp") << "bmp";
        QTest::newRow("svg") << "svg";
        QTest::newRow("jpeg") << "jpeg";
    }
    void pngThroughPipes()
    {
        QFETCH(QString, format);
        const QString file = dir.filePath("flower.par");
        const Outcome first =
            run(VOLUTRA_RENDER_PROGRAM, {file, "-o", "OUT", "-s", "40x30", "--seed", "9"}, "first.png");
        QCOMPARE(first.exitCode, 0);
        const Outcome direct =
            run(VOLUTRA_RENDER_PROGRAM, {dir.filePath("first.png"), "-o", "OUT", "--format", format},
                "direct." + format);
        const Outcome piped =
            run(VOLUTRA_RENDER_PROGRAM, {"-", "-o", "-", "--format", format}, "unused", first.picture);
        QCOMPARE(piped.err, QByteArray());
        QCOMPARE(piped.exitCode, 0);
        QVERIFY(!direct.picture.isEmpty());
        QCOMPARE(piped.out, direct.picture);
        QVERIFY(!QFile::exists(dir.filePath("unused")));
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
