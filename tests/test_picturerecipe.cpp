// SPDX-License-Identifier: GPL-3.0-or-later
#include "datatable.h"
#include "headlessdrawing.h"
#include "pdfrecipe.h"
#include "picturerecipe.h"
#include "pngrecipe.h"
#include "recipetext.h"
#include "svgrecipe.h"
#include "svgwriter.h"
#include "testfiles.h"

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QTest>

// The recipe read back from the SVG and PDF pictures of a figure, what their
// readers refuse, and which reader a file goes to.

namespace {

// A figure drawn on a small canvas from the fourteen lines of a parameter
// file, as a drawing keeps it.
recipetext::FigureRecipe figureOf(const QByteArray &parameters)
{
    const recipetext::Reading reading = recipetext::read(parameters);
    if (!reading.figure)
        qFatal("bad figure: %s", qPrintable(reading.error));
    headless::Job job;
    job.recipe = reading.figure->recipe;
    job.size = QSize(60, 40);
    job.seed = 7;
    DrawingSurface surface(job.size, 15);
    return {headless::draw(surface, job), job.size, 15, true};
}

QByteArray lines(const QByteArray &first, const QByteArray &twelfth = {})
{
    return first + QByteArray("\r\n").repeated(11 - first.count('\n')) + twelfth +
           "\r\n 65535\r\n 8388608\r\n";
}

// The recipe as a picture carries it: lines ended by LF.
QByteArray carried(const recipetext::FigureRecipe &figure)
{
    return recipetext::chunkText(figure).replace("\r\n", "\n");
}

// A PDF of one page written by Qt, with `xmp` as its metadata unless empty.
QByteArray pdfWith(const QByteArray &xmp)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setPageSize(QPageSize(QSizeF(40, 30), QPageSize::Millimeter));
        if (!xmp.isEmpty())
            writer.setDocumentXmpMetadata(xmp);
        QPainter painter(&writer);
        painter.fillRect(QRect(0, 0, 200, 100), Qt::darkBlue);
    }
    return bytes;
}

const QByteArray svgHead = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                           "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"4\" height=\"4\">\n";

} // namespace

class TestPictureRecipe : public QObject {
    Q_OBJECT

private slots:
    // Field texts beyond ASCII and characters that XML escapes come back as
    // they were written, from either picture.
    void roundTrip_data()
    {
        oneColumnTable<QByteArray>("parameters", {{"plain", lines("0.6\r\n7")},
                                                  {"random figure", lines({})},
                                                  {"beyond ASCII", lines("0.6\r\n7", "30\xc3\xa9")},
                                                  {"escaped characters", lines("0.6\r\n7", "<b>&amp;\"'")}});
    }
    void roundTrip()
    {
        QFETCH(QByteArray, parameters);
        const recipetext::FigureRecipe figure = figureOf(parameters);
        const QByteArray expected = carried(figure);
        QVERIFY(expected.startsWith(recipetext::versionPrefix));

        const picturetext::Reading svg = svgrecipe::readBytes(svgwriter::text(figure));
        QVERIFY2(svg.text, qPrintable(svg.error));
        QCOMPARE(*svg.text, expected);

        const QByteArray pdf =
            pdfWith(pdfrecipe::xmpMetadata(QString::fromUtf8(recipetext::chunkText(figure))));
        // Qt writes the metadata as it is, so the packet is found in the bytes.
        QVERIFY(pdf.contains(QByteArray("<volutra:") + pdfrecipe::elementName + ">"));
        const picturetext::Reading fromPdf = pdfrecipe::readBytes(pdf);
        QVERIFY2(fromPdf.text, qPrintable(fromPdf.error));
        QCOMPARE(*fromPdf.text, expected);

        // And it reads as the figure's recipe.
        const recipetext::Reading back = recipetext::read(*fromPdf.text);
        QVERIFY(back.figure && back.figure->hasSettings);
        QCOMPARE(back.figure->canvas, figure.canvas);
    }

    // A file on disk reads as its bytes do.
    void pdfFromAFile()
    {
        const QByteArray text = carried(figureOf(lines("0.6\r\n7")));
        QTemporaryDir dir;
        const QString path = dir.filePath("figure.pdf");
        QVERIFY(testfiles::writeBytes(path, pdfWith(pdfrecipe::xmpMetadata(QString::fromUtf8(text)))));
        const picturetext::Reading reading = pdfrecipe::read(path);
        QVERIFY2(reading.text, qPrintable(reading.error));
        QCOMPARE(*reading.text, text);
    }

    // The reader takes the file a block at a time: the packet is found
    // wherever it lies, its markers across the blocks' edges included.
    void pdfPacketAnywhere()
    {
        const QByteArray text = carried(figureOf(lines("0.6\r\n7")));
        const QByteArray packet = pdfrecipe::xmpMetadata(QString::fromUtf8(text));
        for (int offset = 0; offset < (1 << 15); offset += 5) {
            const QByteArray bytes = "%PDF-1.4\n" + QByteArray(offset, ' ') + packet + "\n%%EOF\n";
            const picturetext::Reading reading = pdfrecipe::readBytes(bytes);
            QVERIFY2(reading.text && *reading.text == text,
                     qPrintable(QStringLiteral("at %1: %2").arg(offset).arg(reading.error)));
        }
    }

    void svgRefusals_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("error");
        const QByteArray ours = svgwriter::text(figureOf(lines("0.6\r\n7")));
        const QString none = picturetext::noRecipe().error;
        QTest::newRow("no metadata") << svgHead + "<rect width=\"4\" height=\"4\"/>\n</svg>\n" << none;
        QTest::newRow("metadata of another program")
            << svgHead + "<metadata><rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\"/>"
                         "Volutra recipe 1</metadata></svg>"
            << none;
        QTest::newRow("recipe below the top")
            << svgHead + "<g><metadata>Volutra recipe 1</metadata></g></svg>" << none;
        QTest::newRow("foreign XML")
            << QByteArray("<?xml version=\"1.0\"?><html><metadata/></html>")
            << "not a readable SVG picture (the document is <html>, not an SVG drawing)";
        QTest::newRow("truncated in the recipe")
            << ours.left(ours.indexOf("</metadata>") - 20)
            << "not a readable SVG picture (the drawing ends before its recipe)";
        QTest::newRow("not XML") << QByteArray("0.6\r\n7\r\n") << "not a readable SVG picture";
        QTest::newRow("empty") << QByteArray() << "not a readable SVG picture";
        QTest::newRow("recipe beyond its bound")
            << svgHead + "<metadata>Volutra recipe 1\n" + QByteArray(qsizetype(picturetext::textLimit), 'x') +
                   "</metadata></svg>"
            << picturetext::tooLarge().error;
        QTest::newRow("drawing beyond its bound before the recipe")
            << svgHead + "<!--" + QByteArray(qsizetype(picturetext::searchLimit), '-').replace("--", "- ") +
                   "--><metadata>Volutra recipe 1</metadata></svg>"
            << picturetext::tooLarge().error;
    }
    void svgRefusals()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, error);
        const picturetext::Reading reading = svgrecipe::readBytes(bytes);
        QVERIFY(!reading.text);
        QVERIFY2(reading.error.startsWith(error), qPrintable(reading.error));
    }

    void pdfRefusals_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("error");
        const QByteArray packet =
            pdfrecipe::xmpMetadata(QString::fromUtf8(carried(figureOf(lines("0.6\r\n7")))));
        const QByteArray ours = pdfWith(packet);
        const QString none = picturetext::noRecipe().error;
        QTest::newRow("no metadata") << pdfWith({}) << none;
        QTest::newRow("metadata of another program")
            << pdfWith("<?xpacket begin=\"\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?><x:xmpmeta "
                       "xmlns:x=\"adobe:ns:meta/\">"
                       "<recipe>Volutra recipe 1</recipe></x:xmpmeta><?xpacket end=\"r\"?>")
            << none;
        QTest::newRow("truncated in the packet") << ours.left(ours.indexOf("<?xpacket end"))
                                                 << "not a readable PDF picture (its metadata is cut short)";
        QTest::newRow("packet that does not read")
            << QByteArray("%PDF-1.4\n") + packet.left(packet.indexOf("</volutra:")) + "<?xpacket end=\"r\"?>"
            << "not a readable PDF picture (its metadata does not read: ";
        QTest::newRow("not a PDF") << QByteArray("\x89PNG\r\n\x1a\n") + packet
                                   << "not a readable PDF picture";
        QTest::newRow("empty") << QByteArray() << "not a readable PDF picture";
        QTest::newRow("recipe beyond its bound")
            << QByteArray("%PDF-1.4\n") +
                   pdfrecipe::xmpMetadata("Volutra recipe 1\n" +
                                          QString(qsizetype(picturetext::textLimit), 'x'))
            << picturetext::tooLarge().error;
        QTest::newRow("packet beyond its bound") << QByteArray("%PDF-1.4\n<?xpacket begin=\"\"?>") +
                                                        QByteArray(qsizetype(picturetext::searchLimit), ' ')
                                                 << picturetext::tooLarge().error;
    }
    void pdfRefusals()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, error);
        const picturetext::Reading reading = pdfrecipe::readBytes(bytes);
        QVERIFY(!reading.text);
        QVERIFY2(reading.error.startsWith(error), qPrintable(reading.error));
    }

    // PNGs and PDFs are known by their first bytes, whatever their name;
    // other files by their name; text that begins as XML is an SVG unless it
    // is named as a parameter file.
    void formatOf_data()
    {
        QTest::addColumn<QByteArray>("start");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("format");
        using fileformat::Format;
        QTest::newRow("PNG named .par") << QByteArray("\x89PNG\r\n\x1a\n") << "a.par" << int(Format::Png);
        QTest::newRow("PDF on standard input") << QByteArray("%PDF-1.7\n") << "-" << int(Format::Pdf);
        QTest::newRow("SVG on standard input")
            << QByteArray("\xef\xbb\xbf\n <svg") << "-" << int(Format::Svg);
        QTest::newRow("XML named .par") << QByteArray("<svg") << "a.PAR" << -1;
        QTest::newRow("SVG by its name") << QByteArray("garbage") << "a.Svg" << int(Format::Svg);
        QTest::newRow("PDF by its name") << QByteArray("garbage") << "a.pdf" << int(Format::Pdf);
        QTest::newRow("parameters") << QByteArray("0.6\r\n7\r\n") << "-" << -1;
        QTest::newRow("bitmap") << QByteArray("BM") << "a.bmp" << -1;
    }
    void formatOf()
    {
        QFETCH(QByteArray, start);
        QFETCH(QString, name);
        QFETCH(int, format);
        const auto found = picturerecipe::formatOf(start, name);
        QCOMPARE(found ? int(*found) : -1, format);
    }

    // The PNG reader keeps the same words and bounds.
    // Palette indices, in rows wider than the picture, come back as the
    // palette's colours, with the recipe; a palette a PNG cannot hold
    // writes nothing.
    void pngFromIndices()
    {
        const std::vector<std::uint8_t> rows{0, 1, 2, 1, 0, 9, 9, 9, 2, 2, 1, 1, 0, 9, 9, 9};
        const std::vector<std::uint32_t> palette{0x000080, 0xffff00, 0x808040};
        QTemporaryDir dir;
        const QString path = dir.filePath("indexed.png");
        QVERIFY(!pngrecipe::writeIndexed(path, {rows.data(), 8, 5, 2}, palette, "Volutra recipe 1\r\n"));
        const QImage image(path);
        QCOMPARE(image.size(), QSize(5, 2));
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 5; ++x)
                QVERIFY2((image.pixel(x, y) & 0xffffffu) == palette[rows[std::size_t(y * 8 + x)]],
                         qPrintable(QString("(%1, %2)").arg(x).arg(y)));
        QCOMPARE(pngrecipe::read(path).text, std::optional<QByteArray>("Volutra recipe 1\n"));
        const QString refused = dir.filePath("refused.png");
        QVERIFY(pngrecipe::writeIndexed(refused, {rows.data(), 8, 5, 2}, std::vector<std::uint32_t>(257),
                                        "Volutra recipe 1\r\n"));
        QVERIFY(pngrecipe::writeIndexed(refused, {rows.data(), 8, 5, 2}, {}, "Volutra recipe 1\r\n"));
        QVERIFY(!QFile::exists(refused));
    }

    void pngSharesTheWords()
    {
        QImage plain(4, 4, QImage::Format_RGB32);
        plain.fill(Qt::red);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(plain.save(&buffer, "PNG"));
        QCOMPARE(pngrecipe::readBytes(bytes).error, picturetext::noRecipe().error);
        QVERIFY(pngrecipe::readBytes("\x89PNG\r\n").error.startsWith("not a readable PNG picture ("));
        QTemporaryDir dir;
        const DrawingSurface surface(QSize(4, 4), 15);
        const QByteArray large = "Volutra recipe 1\n" + QByteArray(qsizetype(picturetext::textLimit), 'x');
        QVERIFY(!pngrecipe::write(dir.filePath("large.png"), surface.imagePixels(), large));
        QCOMPARE(pngrecipe::read(dir.filePath("large.png")).error, picturetext::tooLarge().error);
    }
};

QTEST_MAIN(TestPictureRecipe)
#include "test_picturerecipe.moc"
