// SPDX-License-Identifier: GPL-3.0-or-later
#include "curve.h"
#include "datatable.h"
#include "drawingrun.h"
#include "figureexport.h"
#include "fileformat.h"
#include "formfixture.h"
#include "headlessdrawing.h"
#include "imagecheck.h"
#include "pngrecipe.h"
#include "recipetext.h"
#include "rendercommand.h"
#include "surfaceimages.h"
#include "svgwriter.h"
#include "testfiles.h"

#include <QDir>
#include <QImageReader>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

// Keeping figures: the render command's picture types, recipes read back
// from pictures and parameter files, and "Export figure" in the window.
class TestExport : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString err;

    int run(QStringList arguments)
    {
        for (QString &argument : arguments)
            if (argument.startsWith("@"))
                argument = dir.filePath(argument.mid(1));
        err.clear();
        QString out;
        QTextStream outStream(&out);
        QTextStream errStream(&err);
        return rendercommand::run(arguments, outStream, errStream);
    }

    QString write(const QString &name, const QByteArray &bytes)
    {
        const QString path = dir.filePath(name);
        if (!testfiles::writeBytes(path, bytes))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    static QByteArray flower()
    {
        return QByteArray("0.6\r\n7\r\n") + QByteArray("\r\n").repeated(10) + " 65535\r\n 8388608\r\n";
    }
    static QByteArray randomFigure() { return QByteArray("\r\n").repeated(12) + " 16777215\r\n 0\r\n"; }

    // The text of a vector drawing's metadata; the recipe has no character
    // that XML escapes.
    static QByteArray metadataOf(const QByteArray &svg)
    {
        const qsizetype start = svg.indexOf("<metadata>") + 10;
        return svg.mid(start, svg.indexOf("</metadata>") - start);
    }

    static QImage rgb(const QString &path) { return QImage(path).convertToFormat(QImage::Format_RGB32); }

private slots:
    void initTestCase()
    {
        write("flower.par", flower());
        write("spiro.par", testfiles::readBytes(QStringLiteral(VOLUTRA_EXAMPLES "/spirograph.par")));
        write("random.par", randomFigure());
        write("unicode.par",
              QByteArray("0.6\r\n7\r\n") + QByteArray("\r\n").repeated(9) + "30\xc3\xa9\r\n 255\r\n 0\r\n");
        write("colours.txt", QByteArray("\r\n").repeated(6) + "5 ' random colors\r\n");
        write("mode17.txt", QByteArray("\r\n").repeated(14) + "17 ' drawmode\r\n");
        write("shaped.txt", QByteArray("\r\n").repeated(11) + "50\r\n2\r\n3\r\n7\r\n" +
                                QByteArray("\r\n").repeated(5) + "400\r\n-200\r\n.5\r\n.75\r\n");
    }

    void formatByExtension_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("format");
        QTest::newRow("bmp") << "a.bmp" << int(fileformat::Format::Bmp);
        QTest::newRow("BMP") << "A.BMP" << int(fileformat::Format::Bmp);
        QTest::newRow("png") << "a.PnG" << int(fileformat::Format::Png);
        QTest::newRow("svg") << "dir.png/a.SVG" << int(fileformat::Format::Svg);
        QTest::newRow("jpg") << "a.jpg" << int(fileformat::Format::Jpeg);
        QTest::newRow("jpeg") << "a.JPEG" << int(fileformat::Format::Jpeg);
        QTest::newRow("pdf") << "a.Pdf" << int(fileformat::Format::Pdf);
        QTest::newRow("gif") << "a.Gif" << int(fileformat::Format::Gif);
        QTest::newRow("webp") << "a.webp" << int(fileformat::Format::WebP);
        QTest::newRow("mp4") << "a.MP4" << int(fileformat::Format::Mp4);
        QTest::newRow("tif") << "a.tif" << -1;
        QTest::newRow("none") << "picture" << -1;
        QTest::newRow("bare png") << "png" << -1;
        QTest::newRow("par") << "a.PAR" << int(fileformat::Format::Parameters);
    }
    void formatByExtension()
    {
        QFETCH(QString, name);
        QFETCH(int, format);
        const auto found = fileformat::byExtension(name);
        QCOMPARE(found ? int(*found) : -1, format);
    }

    // Refused arguments and values end with exit 2, one line and no file.
    void refusedLeaveNoFile_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("tif") << QStringList{"--output", "@out.tif"} << "names no picture type";
        QTest::newRow("no extension") << QStringList{"--output", "@out"} << "no extension";
        QTest::newRow("step 0") << QStringList{"--step", "0"} << "bad step";
        QTest::newRow("step rounds to 0") << QStringList{"--step", "0.3"} << "never end";
        QTest::newRow("negative turns") << QStringList{"--turns=-1"} << "bad turns";
        QTest::newRow("pen 32767") << QStringList{"--pen", "32767"} << "bad pen";
        QTest::newRow("mode 17") << QStringList{"--mode", "17"} << "bad mode";
        QTest::newRow("mode of letters") << QStringList{"--mode", "abc"} << "bad mode";
        QTest::newRow("settings mode 17") << QStringList{"--settings", "@mode17.txt"} << "line 15";
    }
    void refusedLeaveNoFile()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        QStringList all{"--render", "@flower.par"};
        all += arguments;
        if (!arguments.contains("--output"))
            all += QStringList{"--output", "@out.png"};
        QCOMPARE(run(all), 2);
        QVERIFY2(err.contains(message), qPrintable(err));
        QCOMPARE(err.count('\n'), 1);
        QCOMPARE(QDir(dir.path()).entryList({"out*"}, QDir::Files), QStringList());
    }

    // A picture drawn from the recipe of a PNG is the PNG again, pixel for
    // pixel, whatever shaped the first drawing.
    void pngRoundTrip_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("plain") << QStringList{"--render", "@flower.par"};
        QTest::newRow("random figure") << QStringList{"--render", "@random.par", "--seed", "11"};
        QTest::newRow("random colours at checkpoints")
            << QStringList{"--render", "@random.par", "--settings", "@colours.txt", "--seed", "5"};
        QTest::newRow("shaped by a settings file")
            << QStringList{"--render", "@flower.par", "--settings", "@shaped.txt"};
        QTest::newRow("text beyond ASCII") << QStringList{"--render", "@unicode.par"};
        QTest::newRow("turns, pen, mode, size")
            << QStringList{"--render", "@random.par", "--seed=3", "--turns=2.5", "--pen",
                           "3",        "--mode",      "7",        "--size",      "300x200"};
    }
    void pngRoundTrip()
    {
        QFETCH(QStringList, arguments);
        QCOMPARE(run(arguments + QStringList{"--output", "@first.png"}), 0);
        QCOMPARE(run({"--render", "@first.png", "--output", "@second.png"}), 0);
        QCOMPARE(run({"--render", "@first.png", "--output", "@second.bmp"}), 0);
        const QImage first = rgb(dir.filePath("first.png"));
        QVERIFY(!first.isNull());
        COMPARE_IMAGES(rgb(dir.filePath("second.png")), first);
        COMPARE_IMAGES(rgb(dir.filePath("second.bmp")), first);
    }

    void settingsShapeTheDrawing()
    {
        QCOMPARE(run({"--render", "@flower.par", "--settings", "@shaped.txt", "--output", "@a.png"}), 0);
        QCOMPARE(run({"--render", "@flower.par", "--step", "50", "--turns", "2", "--pen", "3", "--mode", "7",
                      "--output", "@b.png"}),
                 0);
        QCOMPARE(run({"--render", "@flower.par", "--output", "@c.png"}), 0);
        const recipetext::Reading reading = recipetext::read(*pngrecipe::read(dir.filePath("a.png")).text);
        QVERIFY(reading.figure);
        const Recipe &r = reading.figure->recipe;
        QCOMPARE(r.prefs.stepSize, 50.0);
        QCOMPARE(r.prefs.turns, 2.0f);
        QCOMPARE(r.prefs.penSize, 3);
        QCOMPARE(r.prefs.drawMode, 7);
        QCOMPARE(r.prefs.placement.drawLeftOffset, 400);
        QCOMPARE(r.prefs.placement.drawTopOffset, -200);
        QCOMPARE(r.prefs.placement.drawPartX, 0.5f);
        QCOMPARE(r.prefs.placement.drawPartY, 0.75f);
        QVERIFY(rgb(dir.filePath("b.png")) != rgb(dir.filePath("c.png")));
    }

    void pngWithoutRecipe()
    {
        QImage plain(20, 10, QImage::Format_RGB32);
        plain.fill(Qt::red);
        QVERIFY(plain.save(dir.filePath("plain.png")));
        QCOMPARE(run({"--render", "@plain.png", "--output", "@never.png"}), 1);
        QVERIFY2(err.contains("carries no Volutra recipe"), qPrintable(err));
        QVERIFY(!QFile::exists(dir.filePath("never.png")));
    }

    // An SVG or a PDF drawing carries the recipe and draws the figure again
    // as its PNG does, whatever its name.
    void vectorPicturesAsFigures_data()
    {
        oneColumnTable<QString>("name",
                                {{"svg", "first.svg"}, {"pdf", "first.pdf"}, {"svg named .txt", "svg.txt"}});
    }
    void vectorPicturesAsFigures()
    {
        QFETCH(QString, name);
        const QStringList figure{"--render", "@random.par", "--seed", "9", "--pen", "2", "--output"};
        QCOMPARE(run(figure + QStringList{"@first.png"}), 0);
        QCOMPARE(run(figure + QStringList{"@first.svg"}), 0);
        QCOMPARE(run(figure + QStringList{"@first.pdf"}), 0);
        QFile::remove(dir.filePath("svg.txt"));
        QVERIFY(QFile::copy(dir.filePath("first.svg"), dir.filePath("svg.txt")));
        QCOMPARE(run({"@" + name, "-o", "@again.png"}), 0);
        COMPARE_IMAGES(rgb(dir.filePath("again.png")), rgb(dir.filePath("first.png")));
    }

    void vectorPicturesWithoutRecipe_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message");
        QTest::newRow("svg") << QByteArray("<svg xmlns=\"http://www.w3.org/2000/svg\"><metadata/></svg>")
                             << "plain.svg"
                             << "carries no Volutra recipe";
        QTest::newRow("pdf") << QByteArray("%PDF-1.4\n%%EOF\n") << "plain.pdf"
                             << "carries no Volutra recipe";
        QTest::newRow("foreign XML") << QByteArray("<?xml version=\"1.0\"?><page/>") << "page.xml"
                                     << "not a readable SVG picture";
    }
    void vectorPicturesWithoutRecipe()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, name);
        QFETCH(QString, message);
        write(name, bytes);
        QCOMPARE(run({"@" + name, "-o", "@never.png"}), 1);
        QVERIFY2(err.contains("cannot take the recipe of " + dir.filePath(name) + ": ") &&
                     err.contains(message),
                 qPrintable(err));
        QVERIFY(!QFile::exists(dir.filePath("never.png")));
    }

    void jpegIsJpeg()
    {
        QCOMPARE(run({"--render", "@flower.par", "--output", "@f.JPG"}), 0);
        QVERIFY(testfiles::readBytes(dir.filePath("f.JPG")).startsWith("\xff\xd8\xff"));
        QCOMPARE(QImage(dir.filePath("f.JPG")).size(), QSize(586, 466));
    }

    // The vector drawing, rasterised at the canvas size, lights the pixels
    // the raster lights: dust figures as dots, dense ones as lines, wide pens
    // as wide strokes.
    void svgLooksLikeTheRaster_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::newRow("dust") << QStringList{"--render", "@spiro.par"};
        QTest::newRow("dense") << QStringList{"--render", "@flower.par", "--step", "3"};
        QTest::newRow("dense, wide pen")
            << QStringList{"--render", "@flower.par", "--step", "20", "--pen", "5"};
        QTest::newRow("dust, wide pen")
            << QStringList{"--render", "@spiro.par", "--pen", "4", "--turns", ".3"};
        QTest::newRow("flower") << QStringList{"--render", "@flower.par"};
    }
    void svgLooksLikeTheRaster()
    {
        QFETCH(QStringList, options);
        options << "--seed"
                << "5";
        QCOMPARE(run(options + QStringList{"--output", "@look.png"}), 0);
        QCOMPARE(run(options + QStringList{"--output", "@look.svg"}), 0);
        const QImage raster = rgb(dir.filePath("look.png"));
        QCOMPARE(QProcess::execute("rsvg-convert", {dir.filePath("look.svg"), "-o", dir.filePath("svg.png")}),
                 0);
        const QImage drawn = rgb(dir.filePath("svg.png"));
        QCOMPARE(drawn.size(), raster.size());
        const QColor background = raster.pixelColor(0, 0);
        const double rasterCovered = imagecheck::coveredShare(raster, drawn, background);
        const double svgCovered = imagecheck::coveredShare(drawn, raster, background);
        QVERIFY2(rasterCovered >= 0.97, qPrintable(QString::number(rasterCovered)));
        QVERIFY2(svgCovered >= 0.97, qPrintable(QString::number(svgCovered)));
    }

    // The drawing keeps the pen and canvas, and the recipe as the PNG's
    // chunk holds it; the default figure stays small.
    void svgCarriesTheRecipe()
    {
        QCOMPARE(run({"--render", "@flower.par", "--pen", "2", "--seed", "1", "--output", "@f.svg"}), 0);
        QCOMPARE(run({"--render", "@flower.par", "--pen", "2", "--seed", "1", "--output", "@f.png"}), 0);
        const QByteArray svg = testfiles::readBytes(dir.filePath("f.svg"));
        QVERIFY2(svg.size() < 400 * 1024, qPrintable(QString::number(svg.size())));
        for (const char *part : {"width=\"586\"", "height=\"466\"", "viewBox=\"0 0 586 466\"",
                                 "fill=\"#000080\"", "stroke=\"#ffff00\"", "stroke-width=\"2\"",
                                 "stroke-linecap=\"round\"", "stroke-linejoin=\"round\""})
            QVERIFY2(svg.contains(part), part);
        const QByteArray metadata = metadataOf(svg);
        const pngrecipe::Reading chunk = pngrecipe::read(dir.filePath("f.png"));
        QVERIFY(chunk.text);
        QCOMPARE(metadata, *chunk.text);
    }

    // A vector drawing beyond its bound is refused, and the message points
    // to the raster formats; one just within it is written whole.
    void svgBeyondItsBound()
    {
        QCOMPARE(run({"--render", "@spiro.par", "--seed", "1", "--output", "@bound.svg"}), 0);
        const QByteArray svg = testfiles::readBytes(dir.filePath("bound.svg"));
        const recipetext::Reading recipe = recipetext::read(metadataOf(svg));
        QVERIFY(recipe.figure);
        recipetext::FigureRecipe figure = *recipe.figure;
        headless::Job job;
        job.recipe = figure.recipe;
        job.size = figure.canvas;
        DrawingSurface surface(job.size, figure.twipsPerPixel);
        figure.recipe = headless::draw(surface, job);
        QCOMPARE(svgwriter::text(figure), svg);
        QVERIFY(!svgwriter::refusal(figure, std::uint64_t(svg.size())));
        const auto refused = svgwriter::refusal(figure, std::uint64_t(svg.size()) - 1);
        QVERIFY(refused);
        QVERIFY2(refused->contains(".png"), qPrintable(*refused));
    }

    // A recorded window larger than its canvas gives the scales of the
    // window, and its parameter file draws the same picture again.
    void outerSizeIsKept()
    {
        DrawingSurface direct(QSize(400, 300), 15);
        direct.setAutoRedraw(true);
        FormState state;
        state.foregroundColor = colors::white;
        direct.setBackColor(0);
        HeadlessHost host(direct, state, {}, 400 * 15 + 240, 300 * 15 + 555);
        RandomSource random(77);
        DrawingRun(state, host, direct, random).run();
        QVERIFY(state.lastRecipe);
        const recipetext::FigureRecipe figure{*state.lastRecipe, QSize(400, 300), 15, true};
        QVERIFY(!figureexport::exportFigure(dir.filePath("kept.par"), figure));
        QCOMPARE(run({"--render", "@kept.par", "--output", "@kept.bmp"}), 0);
        COMPARE_IMAGES(rgb(dir.filePath("kept.bmp")), surfaceimages::image(direct));
    }

    void examplesAllRender()
    {
        const QDir examples(QStringLiteral(VOLUTRA_EXAMPLES));
        const QStringList figures = examples.entryList({"*.par"}, QDir::Files);
        QVERIFY(figures.size() >= 12);
        for (const QString &name : figures) {
            QCOMPARE(
                run({"--render", examples.filePath(name), "--size", "200x160", "--output", "@example.png"}),
                0);
            const QImage image = rgb(dir.filePath("example.png"));
            const int drawn = imagecheck::countNot(image, image.pixelColor(0, 0));
            QVERIFY2(drawn > 200, qPrintable(name));
        }
    }

    void nothingToExportYet()
    {
        FormFixture form;
        form.dialogs.queueMessage(Dialogs::Answer::Ok);
        form->exportFigure();
        QCOMPARE(form.dialogs.calls(), QStringList{"message"});
        QVERIFY(form.dialogs.messages().first().text.contains("nothing to export"));
    }

    // Ctrl+E on a random figure: every exported kind draws the figure that
    // is on the screen, the progress bar below the panel aside.
    void exportDrawsWhatIsShown_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("settings");
        // Lines 7 (random colours) and 12 to 15 (step, turns, pen, mode).
        const QByteArray shaped = QByteArray("\r\n").repeated(6) + "3\r\n" + QByteArray("\r\n").repeated(4) +
                                  "70\r\n1.5\r\n2\r\n7\r\n";
        QTest::newRow("parameters") << "shown.par" << QByteArray();
        QTest::newRow("picture") << "shown.PNG" << QByteArray();
        QTest::newRow("parameters, shaped, random colours") << "shaped.par" << shaped;
        QTest::newRow("picture, shaped, random colours") << "shaped.png" << shaped;
    }
    void exportDrawsWhatIsShown()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, settings);
        FormFixture form(settings);
        QVERIFY(formtest::activate(*form));
        formtest::click(form->Frame1->Command1);
        const QImage screen =
            surfaceimages::screenImage(form->surface()).copy(QRect(QPoint(0, 0), form->surface().size()));
        form.dialogs.queueFile(dir.filePath(name));
        QTest::keyClick(form.window.get(), Qt::Key_E, Qt::ControlModifier);
        QCOMPARE(form.dialogs.calls(), QStringList{"chooseFile"});
        const FileDialogRequest request = form.dialogs.fileRequests().first();
        QCOMPARE(request.title, QString("Export figure"));
        QCOMPARE(request.filter,
                 QString("PNG picture (*.png)|*.png|SVG drawing (*.svg)|*.svg|PDF document (*.pdf)|*.pdf|"
                         "Parameters (*.par)|*.par|Animated GIF (*.gif)|*.gif|Animated WebP (*.webp)|*.webp|"
                         "MP4 video (*.mp4)|*.mp4"));
        QVERIFY(request.confirmOverwrite);

        const QString size = QString("%1x%2").arg(screen.width()).arg(screen.height());
        QCOMPARE(run({"--render", dir.filePath(name), "--size", size, "--output", "@again.bmp"}), 0);
        QImage again = rgb(dir.filePath("again.bmp"));
        QImage shown = screen;
        // The progress bar, as wide as the pen, is no part of the figure.
        const int barRow = int(std::floor((form->panelHeight() + 80) / form->surface().twipsPerPixel()));
        const int barLeft = int(std::floor(form->panelLeft() / form->surface().twipsPerPixel()));
        const int pen = form->surface().drawWidth();
        for (int y = barRow - pen; y <= barRow + pen; ++y)
            for (int x = barLeft - pen; x < shown.width(); ++x)
                shown.setPixel(x, y, again.pixel(x, y));
        COMPARE_IMAGES(again, shown);
    }

    // Load takes an exported random figure into the fields, and Draw then
    // draws it again.
    void loadBringsTheRandomFigureBack()
    {
        FormFixture form;
        formtest::click(form->Frame1->Command1);
        const QImage first = surfaceimages::screenImage(form->surface());
        form.dialogs.queueFile(dir.filePath("random-kept.par"));
        form->exportFigure();
        form.dialogs.queueFile(dir.filePath("random-kept.par"));
        formtest::click(form->Frame1->Command5);
        QVERIFY(!formtest::field(*form, "Text1")->text().isEmpty());
        QVERIFY(formtest::field(*form, "Text2")->text().startsWith("/"));
        formtest::click(form->Frame1->Command1);
        COMPARE_IMAGES(surfaceimages::screenImage(form->surface()), first);
        QCOMPARE(form.dialogs.messages().size(), 0);
    }

    // The dialog's choices: the figure fitted and smooth, or as drawn.
    void exportOffersFittedAndSmooth_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QList<int>>("choices");
        QTest::addColumn<bool>("centred");
        QTest::addColumn<bool>("shaded");
        QTest::newRow("as on screen") << "screen.png" << QList<int>{0, 0} << false << false;
        QTest::newRow("fitted") << "fitted.png" << QList<int>{1, 0} << true << false;
        QTest::newRow("fitted smooth") << "smooth.png" << QList<int>{1, 1} << true << true;
        QTest::newRow("smooth bmp") << "smooth.bmp" << QList<int>{0, 1} << false << true;
        // An animation ends on the picture of the same choices.
        QTest::newRow("fitted smooth gif") << "smooth.gif" << QList<int>{1, 1} << true << true;
        QTest::newRow("gif as on screen") << "screen.gif" << QList<int>{0, 0} << false << false;
    }
    void exportOffersFittedAndSmooth()
    {
        QFETCH(QString, name);
        QFETCH(QList<int>, choices);
        QFETCH(bool, centred);
        QFETCH(bool, shaded);
        FormFixture form;
        // Amplitude 0.3 keeps the figure small and to the left of the centre.
        formtest::field(*form, "Text1")->setText("0.3");
        formtest::field(*form, "Text2")->setText("5");
        formtest::click(form->Frame1->Command1);
        form.dialogs.queueFile(dir.filePath(name));
        form.dialogs.queueChoices(choices);
        form->exportFigure();
        QVERIFY(form.dialogs.unexpectedCalls().isEmpty());
        const FileDialogRequest request = form.dialogs.fileRequests().last();
        QCOMPARE(request.choices.size(), 2);
        QCOMPARE(request.choices[0].values, QStringList({"As on screen", "Fitted"}));
        QImageReader reader(dir.filePath(name));
        QImage image = reader.read();
        QVERIFY(!image.isNull());
        while (reader.canRead())
            image = reader.read();
        const QColor background = image.pixelColor(0, 0);
        QRect box;
        QSet<QRgb> colours;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixel(x, y) != background.rgb()) {
                    box |= QRect(x, y, 1, 1);
                    colours << image.pixel(x, y);
                }
        const QPointF off = QRectF(box).center() - QRectF(image.rect()).center();
        QCOMPARE(std::hypot(off.x(), off.y()) <= 1.5, centred);
        QVERIFY2(
            (colours.size() > 2) == shaded,
            qPrintable(
                QString("%1 colours, figure at (%2, %3)").arg(colours.size()).arg(box.x()).arg(box.y())));
    }

    void exportFailureShowsTheReason()
    {
        FormFixture form;
        formtest::click(form->Frame1->Command1);
        form.dialogs.queueFile(dir.filePath("no/such/folder/a.svg"));
        form.dialogs.queueMessage(Dialogs::Answer::Ok);
        form->exportFigure();
        QCOMPARE(form.dialogs.messages().size(), 1);
        QVERIFY2(form.dialogs.messages().first().text.startsWith("Export error : "),
                 qPrintable(form.dialogs.messages().first().text));
        form.dialogs.queueFile(dir.filePath("a.tif"));
        form.dialogs.queueMessage(Dialogs::Answer::Ok);
        form->exportFigure();
        QCOMPARE(form.dialogs.messages().last().text, QString("Wrong file extension: tif"));
        QVERIFY(!QFile::exists(dir.filePath("a.tif")));
    }
};

QTEST_MAIN(TestExport)
#include "test_export.moc"
