#include "rendercommand.h"

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
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot write the figure");
        file.write(content);
        return path;
    }

    static QByteArray flower(const char *foreground = " 65535", const char *background = " 8388608")
    {
        return QByteArray("0.6\r\n7\r\n") + QByteArray("\r\n").repeated(10) + foreground + "\r\n" +
               background + "\r\n";
    }

    static int countColour(const QImage &image, QRgb colour)
    {
        int count = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                count += image.pixel(x, y) == colour;
        return count;
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
        const QRgb yellow = qRgb(255, 255, 0);
        const QRgb navy = qRgb(0, 0, 128);
        const int pen = countColour(image, yellow);
        const int back = countColour(image, navy);
        QVERIFY2(pen > 2000, qPrintable(QString::number(pen)));
        QCOMPARE(pen + back, 586 * 466);
        // The figure stays left of where the panel would stand, and the
        // progress mark is not drawn.
        for (int y = 0; y < image.height(); ++y)
            for (int x = 440; x < image.width(); ++x)
                QVERIFY2(image.pixel(x, y) == navy, qPrintable(QString("pixel %1,%2").arg(x).arg(y)));
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
        QCOMPARE(QImage(first), QImage(second));
        QVERIFY(QImage(first) != QImage(third));
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
        QFile shortFile(dir.filePath("short.par"));
        QVERIFY(shortFile.open(QIODevice::WriteOnly));
        shortFile.write("1\r\n2\r\n");
        shortFile.close();
        const QString output = dir.filePath("never.bmp");
        for (QString &argument : arguments) {
            if (argument == "GOOD")
                argument = dir.filePath("good.par");
            else if (argument == "SHORT")
                argument = shortFile.fileName();
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
