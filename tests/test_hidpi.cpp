// SPDX-License-Identifier: GPL-3.0-or-later
#include "formfixture.h"
#include "imagecheck.h"
#include "paintrecorder.h"
#include "surfaceimages.h"

#include <QApplication>
#include <QBuffer>
#include <QPaintEvent>
#include <QPrinter>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

#include <cmath>

// The window on a screen of twice the usual density: the canvas is drawn and
// shown at device resolution, while positions and sizes in twips stay.

using namespace formtest;

namespace {

constexpr double ratio = 2;

// Device pixels of `image` that differ from the rest of their aligned 2x2
// block: none at all for a picture that was blown up from half the size.
int pixelsFinerThanBlocks(const QImage &image)
{
    int finer = 0;
    for (int y = 0; y + 1 < image.height(); y += 2)
        for (int x = 0; x + 1 < image.width(); x += 2) {
            const QRgb corner = image.pixel(x, y);
            finer += !imagecheck::sameColor(image.pixel(x + 1, y), corner) ||
                     !imagecheck::sameColor(image.pixel(x, y + 1), corner) ||
                     !imagecheck::sameColor(image.pixel(x + 1, y + 1), corner);
        }
    return finer;
}

} // namespace

class TestHighDensity : public QObject {
    Q_OBJECT
private slots:
    void figureIsDrawnAtDeviceResolution()
    {
        FormFixture fixture;
        Form1 &form = *fixture;
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.surface().devicePixelRatio(), ratio);
        // The engine sees twips, as on any screen.
        QCOMPARE(form.surface().size(), form.canvas->size());
        QCOMPARE(form.windowWidth(), form.frameGeometry().width() * 15.0);

        setChecked(form.Frame1->Check2, true);
        drawFigure(form);
        // What the window shows: the surface's pixels as they are.
        const QImage canvas = shown(form);
        QCOMPARE(canvas.size(), form.canvas->size() * 2);
        COMPARE_IMAGES(canvas,
                       surfaceimages::screenImage(form.surface()).copy(QRect(QPoint(), canvas.size())));
        COMPARE_IMAGES(surfaceimages::image(form.surface()), canvas);

        const QImage figure = canvas.copy(0, 0, 2 * form.Frame1->x(), 2 * 400);
        const int lit = imagecheck::countNot(figure, Qt::black);
        QVERIFY2(lit > 1000, qPrintable(QStringLiteral("%1 pixels lit").arg(lit)));
        const int finer = pixelsFinerThanBlocks(figure);
        QVERIFY2(finer > lit / 4,
                 qPrintable(QStringLiteral("%1 of %2 lit pixels finer").arg(finer).arg(lit)));

        // So does the mouse.
        QSignalSpy pressed(form.canvas, &CanvasWidget::mousePressed);
        QTest::mouseClick(form.canvas, Qt::LeftButton, Qt::NoModifier, QPoint(10, 20));
        QCOMPARE(pressed.value(0), (QVariantList{150.f, 300.f}));
    }

    // The canvas repaints the logical pixels that hold the changed device
    // pixels, rounded outward.
    void repaintCoversChange_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<QPointF>("twips");
        QTest::addColumn<QRect>("expected");
        QTest::newRow("a point on an odd device pixel") << 1 << QPointF(157.5, 307.5) << QRect(10, 20, 1, 1);
        QTest::newRow("a pen of 2 across odd pixels") << 2 << QPointF(157.5, 307.5) << QRect(9, 19, 3, 3);
    }
    void repaintCoversChange()
    {
        QFETCH(int, width);
        QFETCH(QPointF, twips);
        QFETCH(QRect, expected);
        FormFixture fixture;
        Form1 &form = *fixture;
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTest::qWait(50);
        PaintRecorder recorder(form.canvas);
        form.surface().setDrawWidth(width);
        form.surface().pset(float(twips.x()), float(twips.y()), colors::white);
        QTRY_VERIFY(!recorder.regions.empty());
        QCOMPARE(recorder.regions.front(), QRegion(expected));
    }

    // The printed picture is the device-resolution image.
    // A loaded bitmap shows at its logical size: the pixels its resolution
    // stands for, times the screen's ratio.
    void pictureLoadsAtItsLogicalSize_data()
    {
        QTest::addColumn<double>("ratio");
        QTest::addColumn<int>("dotsPerInch");
        QTest::addColumn<QSize>("device");
        QTest::newRow("96 dpi at ratio 1") << 1.0 << 96 << QSize(40, 30);
        QTest::newRow("96 dpi at ratio 2") << 2.0 << 96 << QSize(80, 60);
        QTest::newRow("saved at ratio 2, loaded at 2") << 2.0 << 192 << QSize(40, 30);
        QTest::newRow("saved at ratio 2, loaded at 1") << 1.0 << 192 << QSize(20, 15);
        QTest::newRow("no resolution at ratio 2") << 2.0 << 0 << QSize(80, 60);
        QTest::newRow("144 dpi at ratio 1.5") << 1.5 << 144 << QSize(40, 30);
        QTest::newRow("72 dpi at ratio 1") << 1.0 << 72 << QSize(40, 30);
        QTest::newRow("72 dpi at ratio 2") << 2.0 << 72 << QSize(80, 60);
        QTest::newRow("100 dpi at ratio 2") << 2.0 << 100 << QSize(80, 60);
    }
    void pictureLoadsAtItsLogicalSize()
    {
        QFETCH(double, ratio);
        QFETCH(int, dotsPerInch);
        QFETCH(QSize, device);
        QImage bitmap(40, 30, QImage::Format_RGB32);
        bitmap.fill(Qt::red);
        bitmap.setDotsPerMeterX(int(std::lround(dotsPerInch / 0.0254)));
        bitmap.setDotsPerMeterY(int(std::lround(dotsPerInch / 0.0254)));
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(bitmap.save(&buffer, "BMP"));
        DrawingSurface surface(QSize(100, 100));
        surfaceimages::setDevicePixelRatio(surface, ratio);
        QVERIFY(!surfaceimages::loadPictureData(surface, bytes));
        QCOMPARE(surfaceimages::picture(surface).size(), device);
    }

    void printTakesDevicePixels()
    {
        FormFixture fixture;
        Form1 &form = *fixture;
        setChecked(form.Frame1->Check2, true);
        drawFigure(form);
        const QString pdf = fixture.dir.filePath("print.pdf");
        fixture.dialogs.queuePrinter([&](QPrinter &printer) -> std::optional<Failure> {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            return std::nullopt;
        });
        click(form.Frame1->Command16);
        const QByteArray bytes = testfiles::readBytes(pdf);
        const QSize device = form.surface().deviceSize();
        const QRegularExpression width(QStringLiteral("/Width\\s+%1\\b").arg(device.width()));
        const QRegularExpression height(QStringLiteral("/Height\\s+%1\\b").arg(device.height()));
        QVERIFY2(width.match(QString::fromLatin1(bytes)).hasMatch(), "no image as wide as the device");
        QVERIFY2(height.match(QString::fromLatin1(bytes)).hasMatch(), "no image as high as the device");
    }
};

int main(int argc, char *argv[])
{
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication application(argc, argv);
    TestHighDensity test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_hidpi.moc"
