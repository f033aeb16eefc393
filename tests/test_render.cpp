// SPDX-License-Identifier: GPL-3.0-or-later
#include "imagecheck.h"
#include "rendercommand.h"
#include "testfiles.h"

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

// The command line without a window, end to end: arguments in, picture or
// one clear error line out.
class TestRender : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString out;
    QString err;

    int run(const QStringList &arguments)
    {
        out.clear();
        err.clear();
        QTextStream outStream(&out);
        QTextStream errStream(&err);
        return rendercommand::run(arguments, outStream, errStream);
    }

    QString figure(const QByteArray &content)
    {
        const QString path = dir.filePath("figure.par");
        if (!testfiles::writeBytes(path, content))
            qFatal("cannot write the figure");
        return path;
    }

    static QByteArray flower(const char *foreground = " 65535", const char *background = " 8388608")
    {
        return QByteArray("0.6\r\n7\r\n") + QByteArray("\r\n").repeated(10) + foreground + "\r\n" +
               background + "\r\n";
    }

private slots:
    void wantedOnlyForItsOptions()
    {
        QVERIFY(rendercommand::wanted({"--render", "a.par"}));
        QVERIFY(rendercommand::wanted({"--output", "x.png", "--render=a.par"}));
        QVERIFY(!rendercommand::wanted({"--help"}));
        QVERIFY(!rendercommand::wanted({"--rendering"}));
        QVERIFY(!rendercommand::wanted({}));
        QVERIFY(!rendercommand::wanted({"-platform", "offscreen"}));
    }

    void helpListsTheOptions()
    {
        QCOMPARE(run({"--render", "--help"}), 0);
        QCOMPARE(out, rendercommand::usage());
        for (const char *option : {"--render", "--output", "--size", "--seed", "--settings", "--step",
                                   "--turns", "--pen", "--mode", ".svg", ".jpeg", "drawing modes do not"})
            QVERIFY2(out.contains(option), option);
    }

    void drawsTheFigureInItsColours()
    {
        const QString output = dir.filePath("flower.bmp");
        QCOMPARE(run({"--render", figure(flower()), "--output", output}), 0);
        QVERIFY(err.isEmpty());
        QImage image(output, "BMP");
        QCOMPARE(image.size(), QSize(586, 466));
        const QColor yellow(255, 255, 0);
        const QColor navy(0, 0, 128);
        const int pen = imagecheck::count(image, yellow);
        const int back = imagecheck::count(image, navy);
        QVERIFY2(pen > 2000, qPrintable(QString::number(pen)));
        QCOMPARE(pen + back, 586 * 466);
        // The figure stays left of where the panel would stand, and the
        // progress mark is not drawn.
        VERIFY_AREA(image, QRect(440, 0, image.width() - 440, image.height()), navy);
    }

    // The conventions of command-line tools: FIGURE after the options, short
    // options, the type by --format, --version, one message style.
    void conventions_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QByteArray>("start");
        const QByteArray png("\x89PNG");
        const QByteArray bmp("BM");
        QTest::newRow("figure last, -o") << QStringList{"-o", "OUT.png", "GOOD"} << 0 << "" << png;
        QTest::newRow("figure first") << QStringList{"GOOD", "-o", "OUT.bmp"} << 0 << "" << bmp;
        QTest::newRow("--render") << QStringList{"--render", "GOOD", "-o", "OUT.png"} << 0 << "" << png;
        QTest::newRow("-s") << QStringList{"GOOD", "-o", "OUT.bmp", "-s", "20x10"} << 0 << "" << bmp;
        QTest::newRow("--format without extension")
            << QStringList{"GOOD", "-o", "OUT", "--format", "png"} << 0 << "" << png;
        QTest::newRow("--format over extension")
            << QStringList{"GOOD", "-o", "OUT.png", "--format", "bmp"} << 0 << "" << bmp;
        QTest::newRow("--format of no picture") << QStringList{"GOOD", "-o", "OUT", "--format", "par"} << 2
                                                << "bad format \"par\"" << QByteArray();
        QTest::newRow("--format with a dot")
            << QStringList{"GOOD", "-o", "OUT", "--format", "x.png"} << 2 << "bad format" << QByteArray();
        QTest::newRow("- output without --format")
            << QStringList{"GOOD", "-o", "-"} << 2 << "needs --format" << QByteArray();
        QTest::newRow("no extension") << QStringList{"GOOD", "-o", "OUT"} << 2 << "OUT" << QByteArray();
        QTest::newRow("two figures") << QStringList{"GOOD", "GOOD", "-o", "OUT.png"} << 2
                                     << "only one FIGURE can be drawn, 2 were given" << QByteArray();
        QTest::newRow("--render and a figure") << QStringList{"--render", "GOOD", "GOOD", "-o", "OUT.png"}
                                               << 2 << "only one FIGURE" << QByteArray();
        QTest::newRow("no figure") << QStringList{"-o", "OUT.png"} << 2 << "FIGURE is missing"
                                   << QByteArray();
        QTest::newRow("unknown short option")
            << QStringList{"GOOD", "-o", "OUT.png", "-x"} << 2 << "unknown option \"-x\"" << QByteArray();
    }
    void conventions()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        QFETCH(QByteArray, start);
        const QString good = figure(flower());
        const QString output = dir.filePath("conventions");
        QFile::remove(output);
        for (QString &argument : arguments) {
            argument.replace("GOOD", good);
            argument.replace("OUT", output);
        }
        QCOMPARE(run(arguments), exitCode);
        QFile written(arguments.at(arguments.indexOf("-o") + 1));
        if (exitCode == 0) {
            QVERIFY2(err.isEmpty(), qPrintable(err));
            QVERIFY(written.open(QIODevice::ReadOnly));
            QCOMPARE(written.read(start.size()), start);
            written.remove();
        } else {
            QVERIFY2(err.startsWith("volutra-render: "), qPrintable(err));
            QVERIFY2(err.contains(message.replace("OUT", output)), qPrintable(err));
            QVERIFY2(err.endsWith("; try volutra-render --help\n"), qPrintable(err));
            QVERIFY(!written.exists());
        }
    }

    void versionAndHelpNameTheProgram_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("called");
        QTest::addColumn<QString>("start");
        QTest::newRow("--version") << QStringList{"--version"} << "volutra-render"
                                   << "Volutra 1.00\n";
        QTest::newRow("-v") << QStringList{"-v"} << "volutra-render"
                            << "Volutra 1.00\n";
        QTest::newRow("help alone") << QStringList{"--help"} << "volutra-render"
                                    << "Usage: volutra-render [options] FIGURE\n";
        QTest::newRow("help of the window program") << QStringList{"--render", "-h"} << "volutra --render"
                                                    << "Usage: volutra --render [options] FIGURE\n";
    }
    void versionAndHelpNameTheProgram()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, called);
        QFETCH(QString, start);
        QTextStream outStream(&out);
        QTextStream errStream(&err);
        out.clear();
        err.clear();
        QCOMPARE(rendercommand::run(arguments, outStream, errStream, called), 0);
        outStream.flush();
        QVERIFY2(out.startsWith(start), qPrintable(out));
        QVERIFY(err.isEmpty());
    }

    void calledNameFollowsTheProgram_data()
    {
        QTest::addColumn<QString>("argumentZero");
        QTest::addColumn<QString>("called");
        QTest::newRow("render program") << "/usr/bin/volutra-render"
                                        << "volutra-render";
        QTest::newRow("window program") << "/usr/bin/volutra"
                                        << "volutra --render";
        QTest::newRow("renamed") << "./vr"
                                 << "vr";
        QTest::newRow("none") << ""
                              << "volutra-render";
    }
    void calledNameFollowsTheProgram()
    {
        QFETCH(QString, argumentZero);
        QFETCH(QString, called);
        QCOMPARE(rendercommand::calledName(argumentZero), called);
    }

    void writesPngAndTakesTheSize()
    {
        const QString output = dir.filePath("flower.png");
        QCOMPARE(run({"--render", figure(flower()), "--output", output, "--size", "300x200"}), 0);
        QImage image(output, "PNG");
        QCOMPARE(image.size(), QSize(300, 200));
    }

    void seedRepeatsARandomFigure()
    {
        const QByteArray random = QByteArray("\r\n").repeated(12) + " 16777215\r\n 0\r\n";
        const QString path = figure(random);
        const QString first = dir.filePath("first.bmp");
        const QString second = dir.filePath("second.bmp");
        const QString third = dir.filePath("third.bmp");
        QCOMPARE(run({"--render", path, "--output", first, "--seed", "42"}), 0);
        QCOMPARE(run({"--render", path, "--output", second, "--seed", "42"}), 0);
        QCOMPARE(run({"--render", path, "--output", third, "--seed", "43"}), 0);
        COMPARE_IMAGES(QImage(first), QImage(second));
        QVERIFY(!imagecheck::difference(QImage(first), QImage(third)).isEmpty());
    }

    void badInputLeavesNoFile_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        const QString output = "OUT";
        QTest::newRow("missing file")
            << QStringList{"--render", "missing.par", "--output", output} << "File not found";
        QTest::newRow("short file") << QStringList{"--render", "SHORT", "--output", output}
                                    << "past end of file";
        QTest::newRow("bad size") << QStringList{"--render", "GOOD", "--output", output, "--size", "0x10"}
                                  << "bad size";
        QTest::newRow("size without x")
            << QStringList{"--render", "GOOD", "--output", output, "--size", "300"} << "bad size";
        QTest::newRow("huge size") << QStringList{"--render", "GOOD",   "--output",
                                                  output,     "--size", "99999x10"}
                                   << "bad size";
        QTest::newRow("bad seed") << QStringList{"--render", "GOOD", "--output", output, "--seed", "-1"}
                                  << "bad seed";
        QTest::newRow("no output") << QStringList{"--render", "GOOD"} << "--output OUT is missing";
        QTest::newRow("value missing") << QStringList{"--render", "GOOD", "--output"} << "missing value";
        QTest::newRow("unknown option") << QStringList{"--render", "GOOD", "--output", output, "--colour"}
                                        << "unknown option \"--colour\"";
    }
    void badInputLeavesNoFile()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        const QString good = figure(flower());
        QFile::copy(good, dir.filePath("good.par"));
        const QString shortFile = dir.filePath("short.par");
        QVERIFY(testfiles::writeBytes(shortFile, "1\r\n2\r\n"));
        const QString output = dir.filePath("never.bmp");
        for (QString &argument : arguments) {
            if (argument == "GOOD")
                argument = dir.filePath("good.par");
            else if (argument == "SHORT")
                argument = shortFile;
            else if (argument == "OUT")
                argument = output;
            else if (argument == "missing.par")
                argument = dir.filePath("missing.par");
        }
        QVERIFY(run(arguments) != 0);
        QVERIFY2(err.contains(message), qPrintable(err));
        QCOMPARE(err.count('\n'), 1);
        QVERIFY(!QFile::exists(output));
    }

    void unwritableOutputIsReported()
    {
        QVERIFY(run({"--render", figure(flower()), "--output", dir.filePath("no/such/folder/out.bmp")}) != 0);
        QVERIFY2(err.contains("cannot write"), qPrintable(err));
    }
};

QTEST_GUILESS_MAIN(TestRender)
#include "test_render.moc"
