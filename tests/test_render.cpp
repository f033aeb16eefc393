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
        QTest::newRow("value missing") << QStringList{"--render", "GOOD", "--output"} << "Missing value";
        QTest::newRow("unknown option")
            << QStringList{"--render", "GOOD", "--output", output, "--colour"} << "Unknown option";
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
