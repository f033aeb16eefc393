// SPDX-License-Identifier: GPL-3.0-or-later
#include "datatable.h"
#include "figureexport.h"
#include "figurepainter.h"
#include "imagecheck.h"
#include "paintloader.h"
#include "picturelook.h"
#include "rendercommand.h"
#include "testfiles.h"

#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

// Smooth pictures, PDF drawings and framing, through the render command.
class TestPictures : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString err;
    const QColor navy{0, 0, 128};

    int run(const QStringList &arguments)
    {
        QString out;
        err.clear();
        QTextStream outStream(&out);
        QTextStream errStream(&err);
        return rendercommand::run(arguments, outStream, errStream);
    }

    // Yellow on navy: amplitude 0.6, frequency 7.
    QString flower()
    {
        const QString path = dir.filePath("flower.par");
        const QByteArray text =
            QByteArray("0.6\r\n7\r\n") + QByteArray("\r\n").repeated(10) + " 65535\r\n 8388608\r\n";
        if (!testfiles::writeBytes(path, text))
            qFatal("cannot write the figure");
        return path;
    }

    // The page size in points that pdfinfo reports.
    static QSizeF pageSize(const QString &pdf)
    {
        QProcess info;
        info.start("pdfinfo", {pdf});
        if (!info.waitForFinished(10000))
            return {};
        static const QRegularExpression line("Page size:\\s+([\\d.]+) x ([\\d.]+) pts");
        const auto match = line.match(QString::fromUtf8(info.readAllStandardOutput()));
        return match.hasMatch() ? QSizeF(match.captured(1).toDouble(), match.captured(2).toDouble())
                                : QSizeF();
    }

    // A picture of a vector drawing drawn by another program: the PDF's page
    // at 72 dpi, the SVG at its size.
    static QImage rasterised(const QString &path)
    {
        QProcess convert;
        const QString png = path + ".png";
        if (path.endsWith(".pdf"))
            convert.start("pdftoppm", {"-r", "72", "-singlefile", "-png", path, path});
        else
            convert.start("rsvg-convert", {"-o", png, path});
        if (!convert.waitForFinished(20000) || convert.exitCode() != 0)
            return {};
        return QImage(png);
    }

    // The rectangle of the pixels that are yellowish: the pen's.
    static QRect penBox(const QImage &image)
    {
        QRect box;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                if (c.red() > 96 && c.green() > 96 && c.blue() < 96)
                    box |= QRect(x, y, 1, 1);
            }
        return box;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        paintloader::use(figurepainter::functions());
    }

    void readMargin_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<double>("onCanvas");
        // On a canvas of 400 by 200.
        QTest::newRow("default") << "" << true << 10.0;
        QTest::newRow("pixels") << "12" << true << 12.0;
        QTest::newRow("share") << "10%" << true << 20.0;
        QTest::newRow("decimal share") << "2.5%" << true << 5.0;
        QTest::newRow("none") << "0" << true << 0.0;
        QTest::newRow("half") << "50%" << false << 0.0;
        QTest::newRow("negative") << "-3" << false << 0.0;
        QTest::newRow("word") << "wide" << false << 0.0;
        QTest::newRow("unit") << "12px" << false << 0.0;
    }

    void readMargin()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(double, onCanvas);
        const auto reading = picturelook::readMargin(text);
        QCOMPARE(std::holds_alternative<picturelook::Margin>(reading), valid);
        if (valid)
            QCOMPARE(std::get<picturelook::Margin>(reading).of(400, 200), onCanvas);
        else
            QVERIFY(std::get<QString>(reading).contains(text));
    }

    void pageTurnsToTheFigure_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QSize>("canvas");
        QTest::addColumn<QSizeF>("points");
        QTest::newRow("A4 wide") << "A4" << QSize(300, 200) << QSizeF(841.89, 595.28);
        QTest::newRow("A4 tall") << "a4" << QSize(200, 300) << QSizeF(595.28, 841.89);
        QTest::newRow("A3 wide") << "A3" << QSize(300, 200) << QSizeF(1190.55, 841.89);
        QTest::newRow("A5 tall") << "A5" << QSize(100, 300) << QSizeF(419.53, 595.28);
        QTest::newRow("Letter wide") << "Letter" << QSize(300, 200) << QSizeF(792, 612);
        QTest::newRow("typed page stays") << "100x50mm" << QSize(200, 300) << QSizeF(283.46, 141.73);
    }

    void pageTurnsToTheFigure()
    {
        QFETCH(QString, page);
        QFETCH(QSize, canvas);
        QFETCH(QSizeF, points);
        const QString pdf = dir.filePath("page.pdf");
        QCOMPARE(run({flower(), "-o", pdf, "--page", page, "--margin", "5mm", "--size",
                      QString("%1x%2").arg(canvas.width()).arg(canvas.height())}),
                 0);
        const QSizeF size = pageSize(pdf);
        QVERIFY2(!size.isEmpty(), "pdfinfo read no page size");
        QVERIFY2(std::fabs(size.width() - points.width()) < 1 &&
                     std::fabs(size.height() - points.height()) < 1,
                 qPrintable(QString("page %1 x %2").arg(size.width()).arg(size.height())));
    }

    void badPageOptionsAreRefused_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::newRow("page name") << QStringList{"--page", "B5"};
        QTest::newRow("page too small") << QStringList{"--page", "5x100mm"};
        QTest::newRow("margin word") << QStringList{"--margin", "wide"};
        QTest::newRow("margin fills the page") << QStringList{"--margin", "105mm"};
        QTest::newRow("fit margin") << QStringList{"--fit=60%"};
    }

    void badPageOptionsAreRefused()
    {
        QFETCH(QStringList, options);
        const QString pdf = dir.filePath("refused.pdf");
        QCOMPARE(run(QStringList{flower(), "-o", pdf} + options), 2);
        QVERIFY(!QFile::exists(pdf));
        QVERIFY2(err.startsWith("volutra-render: "), qPrintable(err));
    }

    void smoothCoversWhatTheRasterDoes_data()
    {
        QTest::addColumn<QString>("pen");
        QTest::newRow("pen 1") << "1";
        QTest::newRow("pen 4") << "4";
    }

    void smoothCoversWhatTheRasterDoes()
    {
        QFETCH(QString, pen);
        const QString plain = dir.filePath("plain.png");
        const QString smooth = dir.filePath("smooth.png");
        QCOMPARE(run({flower(), "-o", plain, "--size", "300x240", "--pen", pen}), 0);
        QCOMPARE(run({flower(), "-o", smooth, "--size", "300x240", "--pen", pen, "--smooth"}), 0);
        const QImage a(plain);
        const QImage b(smooth);
        QCOMPARE(b.size(), a.size());
        QVERIFY2(imagecheck::coveredShare(a, b, navy) > 0.98,
                 "the smooth picture leaves out what the raster sets");
        QVERIFY2(imagecheck::coveredShare(b, a, navy) > 0.98,
                 "the smooth picture sets what the raster leaves");
        // Anti-aliasing: shades between the pen and the background.
        int shades = 0;
        for (int y = 0; y < b.height(); ++y)
            for (int x = 0; x < b.width(); ++x) {
                const QRgb p = b.pixel(x, y);
                shades += p != QColor(Qt::yellow).rgb() && p != navy.rgb();
            }
        QVERIFY2(shades > 100, qPrintable(QString("%1 shaded pixels").arg(shades)));
        // One pen colour mixed with the background in at most 256 shades,
        // which the PNG keeps as a palette (colour type 3).
        QCOMPARE(int(testfiles::readBytes(smooth).at(25)), 3);
        // The PNG keeps its recipe: drawn again from it, it is the same.
        QCOMPARE(run({smooth, "-o", dir.filePath("again.png"), "--smooth"}), 0);
        QCOMPARE(QImage(dir.filePath("again.png")), b);
    }

    // A pen that takes a new random colour at every checkpoint paints the
    // same colours smooth as in the raster picture.
    void smoothKeepsTheRandomPen()
    {
        const QString settings = dir.filePath("voludef.txt");
        QVERIFY(testfiles::writeBytes(settings, "255\r\n255\r\n255\r\n0\r\n0\r\n128\r\n1\r\n"));
        const QStringList common{flower(), "--settings", settings, "--seed", "7",
                                 "--pen",  "3",          "--size", "300x240"};
        QCOMPARE(run(common + QStringList{"-o", dir.filePath("random.bmp")}), 0);
        QCOMPARE(run(common + QStringList{"-o", dir.filePath("random.png"), "--smooth"}), 0);
        const QImage raster(dir.filePath("random.bmp"));
        const QImage smooth(dir.filePath("random.png"));
        QSet<QRgb> penColours;
        int lit = 0;
        int alike = 0;
        for (int y = 0; y < raster.height(); ++y)
            for (int x = 0; x < raster.width(); ++x) {
                const QColor a = raster.pixelColor(x, y);
                const QColor b = smooth.pixelColor(x, y);
                if (a == navy || b == navy)
                    continue;
                penColours << a.rgb();
                ++lit;
                alike += std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()),
                                   std::abs(a.blue() - b.blue())}) < 64;
            }
        QVERIFY2(penColours.size() >= 10, qPrintable(QString("%1 pen colours").arg(penColours.size())));
        QVERIFY2(alike > lit / 4, qPrintable(QString("%1 of %2 pixels alike").arg(alike).arg(lit)));
    }

    void smoothPaintsThePenOnly_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("name");
        QTest::newRow("xor png") << "7"
                                 << "m.png";
        QTest::newRow("invert bmp") << "6"
                                    << "m.bmp";
        QTest::newRow("black jpg") << "1"
                                   << "m.jpg";
    }

    void smoothPaintsThePenOnly()
    {
        QFETCH(QString, mode);
        QFETCH(QString, name);
        const QString path = dir.filePath(name);
        QCOMPARE(run({flower(), "-o", path, "--smooth", "--mode", mode}), 2);
        QVERIFY(!QFile::exists(path));
        QVERIFY2(err.contains("mode " + mode) && err.contains("mode 13"), qPrintable(err));
        QCOMPARE(run({flower(), "-o", dir.filePath("m.svg"), "--smooth"}), 2);
        QVERIFY(!QFile::exists(dir.filePath("m.svg")));
    }

    void fitCentresTheFigure_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("name");
        QTest::addColumn<double>("margin");
        // The margin in pixels of the picture; 0 when the page's margin adds to it.
        QTest::newRow("bmp") << QStringList{"--fit"} << "f.bmp" << 12.0;
        QTest::newRow("png 10%") << QStringList{"--fit=10%"} << "f.png" << 24.0;
        QTest::newRow("png smooth pixels") << QStringList{"--fit=30", "--smooth"} << "s.png" << 30.0;
        QTest::newRow("bmp smooth pen 3")
            << QStringList{"--fit", "--smooth", "--pen", "3"} << "s.bmp" << 12.0;
        QTest::newRow("svg") << QStringList{"--fit"} << "f.svg" << 12.0;
        QTest::newRow("pdf") << QStringList{"--fit", "--page", "100x60mm", "--margin", "0"} << "f.pdf"
                             << 0.05 * 60 * 72 / 25.4;
    }

    void fitCentresTheFigure()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, name);
        QFETCH(double, margin);
        const QString path = dir.filePath(name);
        // The flower lies to the left of the canvas as drawn.
        QCOMPARE(run(QStringList{flower(), "-o", path, "--size", "360x240"} + options), 0);
        const QImage image = name.endsWith(".svg") || name.endsWith(".pdf") ? rasterised(path) : QImage(path);
        QVERIFY(!image.isNull());
        const QRect box = penBox(image);
        QVERIFY(!box.isEmpty());
        const QPointF centre = QRectF(box).center();
        QVERIFY2(std::fabs(centre.x() - image.width() / 2.0) <= 1 &&
                     std::fabs(centre.y() - image.height() / 2.0) <= 1,
                 qPrintable(QString("figure centred at (%1, %2) in %3x%4")
                                .arg(centre.x())
                                .arg(centre.y())
                                .arg(image.width())
                                .arg(image.height())));
        // The flower is about as tall as wide, so the height leaves the margin.
        const double gap = std::min(box.top(), image.height() - 1 - box.bottom());
        QVERIFY2(std::fabs(gap - margin) <= 2,
                 qPrintable(QString("margin %1, expected %2").arg(gap).arg(margin)));
    }

    void fitKeepsTheFigureWithoutIt()
    {
        const QString plain = dir.filePath("plain.bmp");
        QCOMPARE(run({flower(), "-o", plain, "--size", "360x240"}), 0);
        const QRect box = penBox(QImage(plain));
        QVERIFY2(box.center().x() < 150, "the flower is drawn where its placement puts it");
    }

    void pdfBoundRefusesBeforeWriting()
    {
        headless::Job job;
        job.recipe.typed[ParameterTexts::XAmp] = "0.6";
        job.recipe.typed[ParameterTexts::XFreq] = "7";
        job.recipe.penColor = colors::yellow;
        job.size = QSize(300, 200);
        const auto painted = figureexport::paint(job, fileformat::Format::Pdf, {}, {}, 50);
        QVERIFY(painted.overflowed);
        const auto refused = figureexport::refusal(painted);
        QVERIFY(refused);
        QVERIFY2(refused->contains(".png") && refused->contains(".jpg"), qPrintable(*refused));
        const auto small = figureexport::paint(job, fileformat::Format::Pdf, {}, {}, 100000);
        QVERIFY(!small.overflowed);
        QVERIFY(!figureexport::refusal(small));
    }
};

QTEST_MAIN(TestPictures)
#include "test_pictures.moc"
