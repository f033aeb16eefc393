// SPDX-License-Identifier: GPL-3.0-or-later
#include "canvaswidget.h"
#include "colors.h"
#include "datatable.h"
#include "drawingsurface.h"
#include "failure.h"
#include "filesizelimit.h"
#include "imagecheck.h"
#include "paintrecorder.h"
#include "surfaceimages.h"
#include "testfiles.h"

#include <QDataStream>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <sys/stat.h>
#include <utility>
#include <vector>

using colors::Color;
using testfiles::readBytes;
using testfiles::writeBytes;

namespace {

constexpr float pixel = 15;

float tw(int pixels)
{
    return static_cast<float>(pixels) * pixel;
}

QColor qcolor(Color color)
{
    return QColor::fromRgb(colors::toPixel(color));
}

QImage filled(QSize size, Color color)
{
    return imagecheck::filled(size, qcolor(color));
}

void put(QImage &image, int x, int y, Color color)
{
    image.setPixel(x, y, colors::toPixel(color));
}

// What the window shows of the client area.
QImage screen(const DrawingSurface &surface)
{
    return surfaceimages::screenImage(surface).copy(QRect(QPoint(0, 0), surface.size()));
}

// The whole screen image of the client area, in device pixels.
QImage deviceScreen(const DrawingSurface &surface)
{
    return surfaceimages::screenImage(surface).copy(QRect(QPoint(0, 0), surface.deviceSize()));
}

std::vector<QPoint> differences(const QImage &a, const QImage &b)
{
    std::vector<QPoint> points;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (!imagecheck::sameColor(a.pixel(x, y), b.pixel(x, y)))
                points.emplace_back(x, y);
    return points;
}

QRect bounds(const std::vector<QPoint> &points)
{
    QRect rect;
    for (const QPoint &point : points)
        rect |= QRect(point, QSize(1, 1));
    return rect;
}

// A background where every pixel differs from its neighbours.
QImage pattern(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y,
                           qRgb((x * 37 + y * 11) & 0xff, (x * 5 + y * 71) & 0xff, (x * y * 3 + 29) & 0xff));
    return image;
}

// A surface with a picture and a few strokes on it, drawing into both images.
void paintBusyBackground(DrawingSurface &surface)
{
    surface.setAutoRedraw(true);
    surfaceimages::setPicture(surface, pattern(surface.size()));
    surface.setDrawWidth(3);
    surface.line(tw(2), tw(3), tw(70), tw(45), colors::rgb(200, 40, 90));
    surface.setDrawWidth(1);
    surface.line(tw(0), tw(30), tw(79), tw(10), colors::rgb(10, 250, 120));
    surface.pset(tw(40), tw(25), colors::white);
}

std::uint32_t gdi(int mode, std::uint32_t pen, std::uint32_t dest)
{
    switch (mode) {
    case 1: return 0;
    case 2: return ~(pen | dest);
    case 3: return ~pen & dest;
    case 4: return ~pen;
    case 5: return pen & ~dest;
    case 6: return ~dest;
    case 7: return pen ^ dest;
    case 8: return ~(pen & dest);
    case 9: return pen & dest;
    case 10: return ~(pen ^ dest);
    case 11: return dest;
    case 12: return ~pen | dest;
    case 13: return pen;
    case 14: return pen | ~dest;
    case 15: return pen | dest;
    default: return 0xffffffu;
    }
}

const char *const modeNames[] = {"R2_BLACK",      "R2_NOTMERGEPEN", "R2_MASKNOTPEN", "R2_NOTCOPYPEN",
                                 "R2_MASKPENNOT", "R2_NOT",         "R2_XORPEN",     "R2_NOTMASKPEN",
                                 "R2_MASKPEN",    "R2_NOTXORPEN",   "R2_NOP",        "R2_MERGENOTPEN",
                                 "R2_COPYPEN",    "R2_MERGEPENNOT", "R2_MERGEPEN",   "R2_WHITE"};

// A Windows bitmap file with a BITMAPINFOHEADER; a negative height stores
// the rows from the top down.
QByteArray bitmapFile(std::int32_t width, std::int32_t height, int bits, int compression,
                      const QByteArray &palette, const QByteArray &pixels)
{
    const auto offset = static_cast<quint32>(14 + 40 + palette.size());
    const auto size = static_cast<quint32>(pixels.size());
    QByteArray bytes("BM");
    QDataStream out(&bytes, QIODevice::Append);
    out.setByteOrder(QDataStream::LittleEndian);
    out << offset + size << quint32(0) << offset << quint32(40) << qint32(width) << qint32(height)
        << quint16(1) << quint16(bits) << quint32(compression) << size << quint32(2835) << quint32(2835)
        << quint32(palette.size() / 4) << quint32(0);
    return bytes + palette + pixels;
}

// Red, green, blue, white, as blue-green-red-zero entries.
const QByteArray palette = QByteArray::fromHex("0000ff00"
                                               "00ff0000"
                                               "ff000000"
                                               "ffffff00");

QByteArray eightBitIndexed()
{
    return bitmapFile(3, 2, 8, 0, palette,
                      QByteArray::fromHex("00010200"
                                          "03000100"));
}

QByteArray runLengthEncoded()
{
    return bitmapFile(4, 2, 8, 1, palette,
                      QByteArray::fromHex("0401"
                                          "0000"
                                          "0202"
                                          "0203"
                                          "0001"));
}

// A surface shown by a canvas widget on the screen, recording the region of
// every paint event once the widget's first paints are over.
class ShownCanvas : public PaintRecorder {
public:
    explicit ShownCanvas(QSize size)
    {
        widget.resize(size);
        widget.show();
    }
    bool ready()
    {
        if (!QTest::qWaitForWindowExposed(&widget))
            return false;
        QTest::qWait(50);
        watch(&widget);
        return true;
    }

    DrawingSurface surface;
    CanvasWidget widget{surface};
};

} // namespace

class TestSurface : public QObject {
    Q_OBJECT
private slots:
    void drawModes_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<Color>("pen");
        QTest::addColumn<Color>("surface");
        QTest::addColumn<Color>("expected");
        const std::pair<Color, Color> pairs[] = {
            {0x00FF00F0, 0x0F0F0F},         {colors::black, colors::black}, {colors::black, colors::white},
            {colors::white, colors::black}, {colors::white, colors::white}, {0x123456, 0xABCDEF},
            {0xABCDEF, 0x123456},
        };
        for (int mode = 1; mode <= 16; ++mode) {
            for (const auto &[pen, surface] : pairs) {
                const auto result =
                    gdi(mode, static_cast<std::uint32_t>(pen), static_cast<std::uint32_t>(surface));
                QTest::addRow("%d %s pen %06x on %06x", mode, modeNames[mode - 1], pen, surface)
                    << mode << pen << surface << static_cast<Color>(result & 0xffffffu);
            }
        }
    }
    void drawModes()
    {
        QFETCH(int, mode);
        QFETCH(Color, pen);
        QFETCH(Color, surface);
        QFETCH(Color, expected);
        DrawingSurface canvas(QSize(16, 8));
        canvas.setAutoRedraw(true);
        canvas.setBackColor(surface);
        canvas.setDrawMode(mode);
        QCOMPARE(canvas.drawMode(), mode);

        canvas.pset(tw(3), tw(2), pen);
        QImage want = filled(QSize(16, 8), surface);
        put(want, 3, 2, expected);
        COMPARE_IMAGES(screen(canvas), want);
        COMPARE_IMAGES(surfaceimages::image(canvas), want);

        canvas.line(tw(2), tw(5), tw(12), tw(5), pen);
        for (int x = 2; x <= 12; ++x)
            put(want, x, 5, expected);
        COMPARE_IMAGES(screen(canvas), want);
        COMPARE_IMAGES(surfaceimages::image(canvas), want);
    }

    void invalidPenValuesAreIgnored()
    {
        DrawingSurface canvas;
        canvas.setDrawWidth(0);
        QCOMPARE(canvas.drawWidth(), 1);
        canvas.setDrawMode(7);
        canvas.setDrawMode(0);
        canvas.setDrawMode(17);
        QCOMPARE(canvas.drawMode(), 7);
        canvas.setDrawStyle(3);
        canvas.setDrawStyle(-1);
        canvas.setDrawStyle(7);
        QCOMPARE(canvas.drawStyle(), 3);
    }

    void secondStrokeRestores_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("width");
        QTest::addColumn<QLine>("segment");
        const std::pair<const char *, QLine> shapes[] = {
            {"diagonal", QLine(5, 7, 60, 40)},
            {"steep", QLine(30, 2, 36, 45)},
            {"horizontal", QLine(3, 20, 70, 20)},
            {"zero length", QLine(40, 25, 40, 25)},
            {"leaving the image", QLine(-10, 30, 95, -6)},
        };
        for (const int mode : {6, 7})
            for (const int width : {1, 3, 8})
                for (const auto &[name, segment] : shapes)
                    QTest::addRow("mode %d width %d %s", mode, width, name) << mode << width << segment;
    }
    void secondStrokeRestores()
    {
        QFETCH(int, mode);
        QFETCH(int, width);
        QFETCH(QLine, segment);
        DrawingSurface canvas(QSize(80, 50));
        paintBusyBackground(canvas);
        const QImage screenBefore = screen(canvas);
        const QImage imageBefore = surfaceimages::image(canvas);

        canvas.setDrawMode(mode);
        canvas.setDrawWidth(width);
        const Color pen = colors::rgb(60, 150, 225);
        canvas.line(tw(segment.x1()), tw(segment.y1()), tw(segment.x2()), tw(segment.y2()), pen);
        QVERIFY(!imagecheck::difference(screen(canvas), screenBefore).isEmpty());
        QVERIFY(!imagecheck::difference(surfaceimages::image(canvas), imageBefore).isEmpty());
        canvas.line(tw(segment.x1()), tw(segment.y1()), tw(segment.x2()), tw(segment.y2()), pen);
        COMPARE_IMAGES(screen(canvas), screenBefore);
        COMPARE_IMAGES(surfaceimages::image(canvas), imageBefore);
    }

    void twipsLandOnPixels_data()
    {
        QTest::addColumn<float>("x");
        QTest::addColumn<float>("y");
        QTest::addColumn<QPoint>("expected");
        QTest::newRow("150, 300") << 150.f << 300.f << QPoint(10, 20);
        QTest::newRow("14.9, 0") << 14.9f << 0.f << QPoint(0, 0);
        QTest::newRow("15, 0") << 15.f << 0.f << QPoint(1, 0);
        QTest::newRow("29.9, 44.9") << 29.9f << 44.9f << QPoint(1, 2);
        QTest::newRow("last pixel") << 599.f << 449.f << QPoint(39, 29);
    }
    void twipsLandOnPixels()
    {
        QFETCH(float, x);
        QFETCH(float, y);
        QFETCH(QPoint, expected);
        QImage want = filled(QSize(40, 30), colors::black);
        put(want, expected.x(), expected.y(), colors::yellow);

        DrawingSurface single(QSize(40, 30));
        single.pset(x, y, colors::yellow);
        COMPARE_IMAGES(screen(single), want);

        DrawingSurface many(QSize(40, 30));
        const CurvePointF points[] = {{x, y}, {x, y}};
        many.setDrawMode(15);
        many.psetMany(points, 2, colors::yellow);
        COMPARE_IMAGES(screen(many), want);

        DrawingSurface dot(QSize(40, 30));
        dot.line(x, y, x, y, colors::yellow);
        COMPARE_IMAGES(screen(dot), want);
    }

    // On a high-density screen a point's dot, one client-area pixel wide, is
    // placed by the device pixel that holds its position, not on the grid of
    // client-area pixels.
    void pointsLandOnDevicePixels_data()
    {
        QTest::addColumn<double>("ratio");
        QTest::addColumn<float>("x");
        QTest::addColumn<float>("y");
        QTest::addColumn<QPoint>("expected");
        QTest::newRow("2: 150, 300") << 2.0 << 150.f << 300.f << QPoint(20, 40);
        QTest::newRow("2: odd pixels") << 2.0 << 157.5f << 22.5f << QPoint(21, 3);
        QTest::newRow("2: just short of a pixel") << 2.0 << 7.4f << 14.9f << QPoint(0, 1);
        QTest::newRow("2: last pixel") << 2.0 << 599.f << 449.f << QPoint(79, 59);
        QTest::newRow("1.5") << 1.5 << 25.f << 35.f << QPoint(2, 3);
        QTest::newRow("3") << 3.0 << 10.f << 15.f << QPoint(2, 3);
    }
    void pointsLandOnDevicePixels()
    {
        QFETCH(double, ratio);
        QFETCH(float, x);
        QFETCH(float, y);
        QFETCH(QPoint, expected);
        const QSize device(static_cast<int>(std::ceil(40 * ratio)), static_cast<int>(std::ceil(30 * ratio)));
        QImage want = filled(device, colors::black);
        const int dot = static_cast<int>(std::lround(ratio));
        const QRect covered = QRect(expected - QPoint(dot / 2, dot / 2), QSize(dot, dot)) & want.rect();
        for (int py = covered.top(); py <= covered.bottom(); ++py)
            for (int px = covered.left(); px <= covered.right(); ++px)
                put(want, px, py, colors::yellow);
        const auto drawn = [&](auto draw) {
            DrawingSurface canvas(QSize(40, 30));
            surfaceimages::setDevicePixelRatio(canvas, ratio);
            draw(canvas);
            return deviceScreen(canvas);
        };
        COMPARE_IMAGES(drawn([&](DrawingSurface &c) { c.pset(x, y, colors::yellow); }), want);
        const CurvePointF points[] = {{x, y}, {x, y}};
        COMPARE_IMAGES(drawn([&](DrawingSurface &c) {
                           c.setDrawMode(15);
                           c.psetMany(points, 2, colors::yellow);
                       }),
                       want);
        COMPARE_IMAGES(drawn([&](DrawingSurface &c) { c.line(x, y, x, y, colors::yellow); }), want);
    }

    // A pen covers as many pixels of the client area as it is wide.
    void penCoversLogicalPixels_data()
    {
        QTest::addColumn<double>("ratio");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("devicePixels");
        QTest::newRow("2, width 1") << 2.0 << 1 << 2;
        QTest::newRow("2, width 2") << 2.0 << 2 << 4;
        QTest::newRow("2, width 3") << 2.0 << 3 << 6;
        QTest::newRow("2, width 5") << 2.0 << 5 << 10;
        QTest::newRow("1.5, width 3") << 1.5 << 3 << 5;
        QTest::newRow("1.25, width 2") << 1.25 << 2 << 3;
    }
    void penCoversLogicalPixels()
    {
        QFETCH(double, ratio);
        QFETCH(int, width);
        QFETCH(int, devicePixels);
        DrawingSurface canvas(QSize(40, 40));
        surfaceimages::setDevicePixelRatio(canvas, ratio);
        canvas.setDrawWidth(width);
        QCOMPARE(canvas.drawWidth(), width);
        QCOMPARE(canvas.penPixels(), devicePixels);
        const QImage before = deviceScreen(canvas);
        canvas.pset(tw(20), tw(20), colors::white);
        const QRect dot = bounds(differences(deviceScreen(canvas), before));
        QCOMPARE(dot.size(), QSize(devicePixels, devicePixels));
        const int at = static_cast<int>(20 * ratio);
        QVERIFY2(dot.contains(QPoint(at, at)), "the dot misses its point");

        DrawingSurface line(QSize(60, 40));
        surfaceimages::setDevicePixelRatio(line, ratio);
        line.setDrawWidth(width);
        line.line(tw(10), tw(20), tw(50), tw(20), colors::white);
        QCOMPARE(imagecheck::count(deviceScreen(line), Qt::white, QRect(60, 0, 1, 80)), devicePixels);
    }

    // Dashes and gaps keep their length on the screen.
    void stylesKeepTheirLength()
    {
        for (int style = 1; style <= 4; ++style) {
            DrawingSurface plain(QSize(100, 3));
            plain.setDrawStyle(style);
            plain.line(tw(0), tw(1), tw(99), tw(1), colors::white);
            DrawingSurface dense(QSize(100, 3));
            surfaceimages::setDevicePixelRatio(dense, 2);
            dense.setDrawStyle(style);
            dense.line(tw(0), tw(1), tw(99), tw(1), colors::white);
            const QImage row = screen(plain);
            const QImage denseRow = deviceScreen(dense);
            for (int x = 0; x < 198; ++x)
                QVERIFY2(denseRow.pixel(x, 2) == row.pixel(x / 2, 1),
                         qPrintable(QStringLiteral("style %1, device pixel %2").arg(style).arg(x)));
        }
    }

    void savedImageHasDevicePixels()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("drawing.bmp"));
        DrawingSurface canvas(QSize(37, 23));
        surfaceimages::setDevicePixelRatio(canvas, 2);
        canvas.setAutoRedraw(true);
        canvas.setBackColor(colors::rgb(0, 0, 90));
        canvas.setDrawWidth(3);
        canvas.line(tw(1), tw(2), tw(33), tw(20), colors::rgb(250, 1, 128));
        canvas.setDrawWidth(1);
        canvas.pset(532.5f, 7.5f, colors::white);
        QCOMPARE(surfaceimages::image(canvas).size(), QSize(74, 46));
        QCOMPARE(surfaceimages::image(canvas).devicePixelRatio(), 2.0);
        QVERIFY(!canvas.saveImage(path));
        QImage saved;
        QVERIFY(saved.load(path, "BMP"));
        // A device pixel is 7.5 twips: 192 dots an inch.
        QCOMPARE(saved.dotsPerMeterX(), 7559);
        QCOMPARE(saved.dotsPerMeterY(), 7559);
        COMPARE_IMAGES(saved.convertToFormat(QImage::Format_RGB32), surfaceimages::image(canvas));
        // The point's dot is one client-area pixel: two device pixels each way.
        QCOMPARE(saved.pixel(70, 0), colors::toPixel(colors::white));
        QCOMPARE(saved.pixel(71, 1), colors::toPixel(colors::white));
        QCOMPARE(saved.pixel(72, 1), colors::toPixel(colors::rgb(0, 0, 90)));
        QCOMPARE(saved.pixel(69, 0), colors::toPixel(colors::rgb(0, 0, 90)));
    }

    // Moved to a denser screen, the drawing keeps its place and size.
    void newRatioScalesDrawing()
    {
        DrawingSurface canvas(QSize(30, 20));
        paintBusyBackground(canvas);
        const QImage before = surfaceimages::image(canvas);
        surfaceimages::setDevicePixelRatio(canvas, 2);
        QCOMPARE(canvas.size(), QSize(30, 20));
        QCOMPARE(canvas.deviceSize(), QSize(60, 40));
        const QImage doubled = before.scaled(60, 40);
        COMPARE_IMAGES(surfaceimages::image(canvas), doubled);
        COMPARE_IMAGES(deviceScreen(canvas), doubled);
        surfaceimages::setDevicePixelRatio(canvas, 0);
        surfaceimages::setDevicePixelRatio(canvas, std::numeric_limits<double>::quiet_NaN());
        surfaceimages::setDevicePixelRatio(canvas, 1e6);
        QCOMPARE(canvas.devicePixelRatio(), 2.0);
    }

    // With one image, everything drawn is kept whatever AutoRedraw says, and
    // the image is handed out without a copy.
    // An image handed out shares the pixels, keeps what it showed while the
    // surface draws on, and outlives the surface.
    void imagesHandedOutKeepTheirPixels()
    {
        QImage kept;
        {
            DrawingSurface canvas(QSize(20, 10));
            canvas.setBackColor(colors::rgb(0, 0, 90));
            kept = surfaceimages::screenImage(canvas);
            QCOMPARE(surfaceimages::screenImage(canvas).constBits(), kept.constBits());
            canvas.pset(tw(3), tw(4), colors::white);
            canvas.line(tw(0), tw(0), tw(19), tw(9), colors::yellow);
            QCOMPARE(surfaceimages::screenImage(canvas).pixel(3, 4), colors::toPixel(colors::white));
            QImage written = surfaceimages::screenImage(canvas);
            written.setPixel(0, 0, 0xff123456u);
            QCOMPARE(surfaceimages::screenImage(canvas).pixel(0, 0), colors::toPixel(colors::yellow));
        }
        VERIFY_FILLED(kept, QColor(0, 0, 90));
    }

    void oneImageIsKeptAndShared()
    {
        const auto draw = [](DrawingSurface &canvas) {
            canvas.setBackColor(colors::rgb(0, 0, 90));
            canvas.cls();
            canvas.pset(tw(4), tw(5), colors::white);
            canvas.setDrawWidth(3);
            canvas.line(tw(1), tw(2), tw(33), tw(20), colors::yellow);
            const CurvePointF points[] = {{tw(7), tw(15)}, {tw(30), tw(3)}};
            canvas.psetMany(points, 2, colors::white);
        };
        DrawingSurface two(QSize(40, 30));
        two.setAutoRedraw(true);
        draw(two);
        DrawingSurface one(QSize(40, 30));
        one.setOneImage(true);
        QVERIFY(one.oneImage());
        draw(one);
        COMPARE_IMAGES(surfaceimages::image(one), surfaceimages::image(two));
        COMPARE_IMAGES(deviceScreen(one), surfaceimages::image(two));
        QCOMPARE(surfaceimages::image(one).constBits(), surfaceimages::screenImage(one).constBits());

        one.cls();
        VERIFY_FILLED(surfaceimages::image(one), QColor(0, 0, 90));

        one.pset(tw(1), tw(1), colors::white);
        const QImage kept = surfaceimages::image(one);
        one.setOneImage(false);
        one.pset(tw(2), tw(2), colors::white);
        COMPARE_IMAGES(surfaceimages::image(one), kept);
    }

    void conversions()
    {
        DrawingSurface canvas;
        QCOMPARE(canvas.twipsPerPixel(), 15.0);
        QCOMPARE(canvas.toPixels(150), 10);
        QCOMPARE(canvas.toPixels(14.9), 0);
        QCOMPARE(canvas.toPixels(-1), -1);
        QCOMPARE(canvas.toTwips(7), 105.0);
        canvas.setTwipsPerPixel(0);
        canvas.setTwipsPerPixel(-3);
        canvas.setTwipsPerPixel(std::numeric_limits<double>::quiet_NaN());
        QCOMPARE(canvas.twipsPerPixel(), 15.0);
        canvas.setTwipsPerPixel(12);
        QCOMPARE(canvas.toPixels(24), 2);
    }

    void unusableCoordinatesAreSkipped_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<float>("x1");
        QTest::addColumn<float>("y1");
        QTest::addColumn<float>("x2");
        QTest::addColumn<float>("y2");
        const float inf = std::numeric_limits<float>::infinity();
        const float nan = std::numeric_limits<float>::quiet_NaN();
        struct Row {
            const char *name;
            float x1, y1, x2, y2;
        };
        const Row rows[] = {
            {"negative", -3000, -3000, -4500, -1500},
            {"negative x", -3000, 300, -6000, 600},
            {"negative y", 300, -3000, 600, -4000},
            {"huge", 1e30f, 1e30f, 1e30f, 5e29f},
            {"huge x", 1e30f, 300, 2e30f, 600},
            {"huge y", 300, 1e30f, 600, 3e38f},
            {"huge negative", -1e30f, 300, -1e30f, -1e30f},
            {"huge on both sides", 1e30f, -1e30f, 1e30f, 1e30f},
            {"infinite x to inside", inf, 300, 300, 300},
            {"minus infinite y to inside", 300, -inf, 300, 300},
            {"infinite both", inf, -inf, -inf, inf},
            {"not a number x to inside", nan, 300, 300, 300},
            {"inside to not a number y", 300, 300, 300, nan},
            {"not a number both", nan, nan, nan, nan},
        };
        for (const int width : {1, 50})
            for (const Row &row : rows)
                QTest::addRow("width %d %s", width, row.name)
                    << width << row.x1 << row.y1 << row.x2 << row.y2;
    }
    void unusableCoordinatesAreSkipped()
    {
        QFETCH(int, width);
        QFETCH(float, x1);
        QFETCH(float, y1);
        QFETCH(float, x2);
        QFETCH(float, y2);
        DrawingSurface canvas(QSize(60, 40));
        canvas.setAutoRedraw(true);
        canvas.setDrawWidth(width);
        const QImage before = screen(canvas);
        const auto visible = [](float x, float y) { return x >= 0 && x < tw(60) && y >= 0 && y < tw(40); };
        QElapsedTimer timer;
        timer.start();

        if (!visible(x1, y1)) {
            canvas.pset(x1, y1, colors::white);
            COMPARE_IMAGES(screen(canvas), before);
        }
        std::vector<CurvePointF> points;
        for (const CurvePointF point : {CurvePointF{x1, y1}, CurvePointF{x2, y2}})
            if (!visible(point.x, point.y))
                points.push_back(point);
        canvas.psetMany(points.data(), points.size(), colors::white);
        COMPARE_IMAGES(screen(canvas), before);

        canvas.line(x1, y1, x2, y2, colors::white);
        COMPARE_IMAGES(screen(canvas), before);
        COMPARE_IMAGES(surfaceimages::image(canvas), before);
        QVERIFY2(timer.elapsed() < 2000, qPrintable(QStringLiteral("took %1 ms").arg(timer.elapsed())));

        // The surface still draws afterwards.
        canvas.pset(tw(5), tw(6), colors::white);
        QCOMPARE(surfaceimages::image(canvas).pixel(5, 6), colors::toPixel(colors::white));
    }

    void visiblePointsOfManyAreSet()
    {
        const float nan = std::numeric_limits<float>::quiet_NaN();
        const float inf = std::numeric_limits<float>::infinity();
        const CurvePointF points[] = {{nan, 30},      {tw(3), tw(4)}, {-inf, 0},       {1e30f, 1e30f},
                                      {tw(9), tw(1)}, {-15, 15},      {tw(10), tw(4)}, {tw(2), nan}};
        DrawingSurface canvas(QSize(10, 5));
        canvas.psetMany(points, std::size(points), colors::white);
        QImage want = filled(QSize(10, 5), colors::black);
        put(want, 3, 4, colors::white);
        put(want, 9, 1, colors::white);
        COMPARE_IMAGES(screen(canvas), want);
    }

    void lineFromFarOutsideIsClipped_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<QPointF>("from");
        QTest::addColumn<QPointF>("to");
        QTest::addColumn<QList<QPoint>>("expected");
        QList<QPoint> row;
        for (int x = 0; x <= 10; ++x)
            row << QPoint(x, 20);
        QTest::newRow("from far left") << 1 << QPointF(-1e30, tw(20)) << QPointF(tw(10), tw(20)) << row;
        QTest::newRow("to far left") << 1 << QPointF(tw(10), tw(20)) << QPointF(-1e30, tw(20)) << row;
        QList<QPoint> column;
        for (int y = 30; y < 40; ++y)
            column << QPoint(5, y);
        QTest::newRow("from far below") << 1 << QPointF(tw(5), 1e30) << QPointF(tw(5), tw(30)) << column;
        QList<QPoint> diagonal;
        for (int k = 0; k <= 10; ++k)
            diagonal << QPoint(k, k);
        QTest::newRow("diagonal from far above left")
            << 1 << QPointF(tw(-1000000), tw(-1000000)) << QPointF(tw(10), tw(10)) << diagonal;
        QList<QPoint> across;
        for (int x = 0; x < 60; ++x)
            across << QPoint(x, 7);
        QTest::newRow("across from far to far")
            << 1 << QPointF(-1e30, tw(7)) << QPointF(1e30, tw(7)) << across;
        // Everything within half the width of the visible part.
        QList<QPoint> wide;
        for (int y = 0; y < 40; ++y) {
            for (int x = 0; x < 60; ++x) {
                const double dx = std::max(0, x - 10);
                const double dy = y - 20;
                if (dx * dx + dy * dy <= 25.5 * 25.5)
                    wide << QPoint(x, y);
            }
        }
        QTest::newRow("width 51 from far left")
            << 51 << QPointF(-1e30, tw(20)) << QPointF(tw(10), tw(20)) << wide;
    }
    void lineFromFarOutsideIsClipped()
    {
        QFETCH(int, width);
        QFETCH(QPointF, from);
        QFETCH(QPointF, to);
        QFETCH(QList<QPoint>, expected);
        DrawingSurface canvas(QSize(60, 40));
        canvas.setDrawWidth(width);
        canvas.line(float(from.x()), float(from.y()), float(to.x()), float(to.y()), colors::white);
        QImage want = filled(QSize(60, 40), colors::black);
        for (const QPoint &point : expected)
            put(want, point.x(), point.y(), colors::white);
        COMPARE_IMAGES(screen(canvas), want);
    }

    void widthFiveSetsRoundDot()
    {
        DrawingSurface canvas(QSize(20, 20));
        canvas.setDrawWidth(5);
        canvas.pset(tw(10), tw(10), colors::white);
        // A disc five pixels across: full middle rows and columns, no corners.
        QImage want = filled(QSize(20, 20), colors::black);
        for (int y = 8; y <= 12; ++y)
            for (int x = 8; x <= 12; ++x)
                if (std::abs(x - 10) + std::abs(y - 10) <= 3)
                    put(want, x, y, colors::white);
        COMPARE_IMAGES(screen(canvas), want);
    }

    void dotSize_data()
    {
        QTest::addColumn<int>("width");
        for (int width = 1; width <= 9; ++width)
            QTest::addRow("width %d", width) << width;
        QTest::newRow("width 16") << 16;
    }
    // The dot of a pen width, and the line of it.
    void dotSize()
    {
        QFETCH(int, width);
        DrawingSurface canvas(QSize(40, 40));
        canvas.setDrawWidth(width);
        const QImage before = screen(canvas);
        canvas.pset(tw(20), tw(20), colors::white);
        const auto dot = differences(screen(canvas), before);
        QCOMPARE(bounds(dot), QRect(20 - width / 2, 20 - width / 2, width, width));
        // Round, not square, once it is wide enough to tell.
        if (width >= 4)
            QCOMPARE(screen(canvas).pixel(20 - width / 2, 20 - width / 2), colors::toPixel(colors::black));
        // A zero-length line is the same dot.
        DrawingSurface other(QSize(40, 40));
        other.setDrawWidth(width);
        other.line(tw(20), tw(20), tw(20), tw(20), colors::white);
        COMPARE_IMAGES(screen(other), screen(canvas));
        // A line is as wide as the dot.
        DrawingSurface line(QSize(60, 40));
        line.setDrawWidth(width);
        line.line(tw(10), tw(20), tw(50), tw(20), colors::white);
        QCOMPARE(imagecheck::count(screen(line), Qt::white, QRect(30, 0, 1, 40)), width);
    }

    void hugeWidthIsQuick()
    {
        DrawingSurface canvas(QSize(200, 100));
        canvas.setAutoRedraw(true);
        canvas.setDrawWidth(32766);
        QCOMPARE(canvas.drawWidth(), 32766);
        QElapsedTimer timer;
        timer.start();
        canvas.pset(tw(10), tw(10), colors::white);
        QVERIFY2(timer.elapsed() < 1000, qPrintable(QStringLiteral("pset took %1 ms").arg(timer.elapsed())));
        VERIFY_FILLED(screen(canvas), Qt::white);
        VERIFY_FILLED(surfaceimages::image(canvas), Qt::white);

        canvas.setDrawMode(6);
        timer.restart();
        canvas.line(tw(5), tw(5), tw(150), tw(60), colors::white);
        QVERIFY2(timer.elapsed() < 1000, qPrintable(QStringLiteral("line took %1 ms").arg(timer.elapsed())));
        VERIFY_FILLED(screen(canvas), Qt::black);
    }

    void drawStyles_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("expected");
        const char *const kinds[] = {"solid", "gaps", "gaps", "gaps", "gaps", "nothing", "solid"};
        for (int style = 0; style <= 6; ++style)
            QTest::addRow("style %d width 1", style) << style << 1 << QString::fromLatin1(kinds[style]);
        for (int style = 1; style <= 6; ++style)
            QTest::addRow("style %d width 3", style) << style << 3 << QStringLiteral("solid");
    }
    void drawStyles()
    {
        QFETCH(int, style);
        QFETCH(int, width);
        QFETCH(QString, expected);
        DrawingSurface canvas(QSize(200, 20));
        canvas.setDrawStyle(style);
        QCOMPARE(canvas.drawStyle(), style);
        canvas.setDrawWidth(width);
        canvas.line(tw(0), tw(10), tw(199), tw(10), colors::white);
        const QImage image = screen(canvas);
        if (expected == QLatin1String("solid")) {
            VERIFY_AREA(image, QRect(0, 10, 200, 1), Qt::white);
        } else if (expected == QLatin1String("nothing")) {
            VERIFY_FILLED(image, Qt::black);
        } else {
            const int set = imagecheck::count(image, Qt::white, QRect(0, 10, 200, 1));
            QVERIFY2(set > 40 && set < 190, qPrintable(QStringLiteral("%1 of 200 pixels set").arg(set)));
            QCOMPARE(image.pixel(0, 10), qRgb(255, 255, 255));
            VERIFY_AREA(image, QRect(0, 0, 200, 10), Qt::black);
            VERIFY_AREA(image, QRect(0, 11, 200, 9), Qt::black);
        }
    }

    void stylesDiffer()
    {
        std::vector<QImage> images;
        for (int style = 1; style <= 4; ++style) {
            DrawingSurface canvas(QSize(200, 3));
            canvas.setDrawStyle(style);
            canvas.line(tw(0), tw(1), tw(199), tw(1), colors::white);
            images.push_back(screen(canvas));
        }
        for (std::size_t a = 0; a < images.size(); ++a)
            for (std::size_t b = a + 1; b < images.size(); ++b)
                QVERIFY2(!imagecheck::difference(images[a], images[b]).isEmpty(),
                         qPrintable(QStringLiteral("styles %1 and %2").arg(a + 1).arg(b + 1)));
    }

    void autoRedrawDecidesPersistence_data()
    {
        oneColumnTable<bool>("autoRedraw", {{"off: the screen only", false},
                                            {"on: the screen and the persistent image", true}});
    }
    void autoRedrawDecidesPersistence()
    {
        QFETCH(bool, autoRedraw);
        const Color navy = colors::rgb(0, 0, 128);
        DrawingSurface canvas(QSize(30, 20));
        canvas.setBackColor(navy);
        QVERIFY(!canvas.autoRedraw());
        canvas.setAutoRedraw(autoRedraw);
        canvas.pset(tw(4), tw(5), colors::white);
        canvas.line(tw(0), tw(10), tw(29), tw(10), colors::yellow);
        const CurvePointF points[] = {{tw(7), tw(15)}};
        canvas.psetMany(points, 1, colors::white);
        canvas.setDrawWidth(4);
        canvas.pset(tw(20), tw(3), colors::white);
        canvas.line(tw(20), tw(15), tw(25), tw(18), colors::white);

        const QImage shown = screen(canvas);
        VERIFY_AREA(shown, QRect(0, 10, 30, 1), qcolor(colors::yellow));
        for (const QPoint point : {QPoint(4, 5), QPoint(7, 15), QPoint(20, 3), QPoint(22, 16)})
            QCOMPARE(shown.pixel(point), colors::toPixel(colors::white));
        COMPARE_IMAGES(surfaceimages::image(canvas), autoRedraw ? shown : filled(QSize(30, 20), navy));
    }

    // Clearing by cls() or a new background colour; what was drawn with
    // AutoRedraw on stays only under a cls() with AutoRedraw off.
    void clearing_data()
    {
        QTest::addColumn<bool>("autoRedraw");
        QTest::addColumn<int>("backColor");
        QTest::addColumn<bool>("cls");
        QTest::newRow("cls, AutoRedraw off") << false << -1 << true;
        QTest::newRow("cls, AutoRedraw on") << true << -1 << true;
        QTest::newRow("BackColor, AutoRedraw off") << false << colors::rgb(200, 100, 50) << false;
        // The sequence of Clean.
        QTest::newRow("BackColor and cls, AutoRedraw on") << true << colors::rgb(1, 2, 3) << true;
    }
    void clearing()
    {
        QFETCH(bool, autoRedraw);
        QFETCH(int, backColor);
        QFETCH(bool, cls);
        DrawingSurface canvas(QSize(30, 20));
        canvas.setAutoRedraw(true);
        canvas.line(tw(0), tw(10), tw(29), tw(10), colors::white);
        const QImage kept = surfaceimages::image(canvas);
        canvas.setAutoRedraw(false);
        canvas.line(tw(0), tw(12), tw(29), tw(12), colors::white);

        canvas.setAutoRedraw(autoRedraw);
        if (backColor >= 0) {
            canvas.setBackColor(backColor);
            QCOMPARE(canvas.backColor(), backColor);
        }
        if (cls)
            canvas.cls();
        canvas.setAutoRedraw(false);

        const QImage cleared = filled(QSize(30, 20), backColor >= 0 ? backColor : colors::black);
        COMPARE_IMAGES(screen(canvas), cleared);
        const QImage image = !autoRedraw && backColor < 0 ? kept : cleared;
        COMPARE_IMAGES(surfaceimages::image(canvas), image);
        canvas.pset(tw(1), tw(1), colors::white);
        COMPARE_IMAGES(surfaceimages::image(canvas), image);
    }

    void pictureLiesBeneathDrawing()
    {
        const QImage picture = pattern(QSize(30, 20));
        DrawingSurface canvas(QSize(30, 20));
        canvas.setAutoRedraw(true);
        surfaceimages::setPicture(canvas, picture);
        COMPARE_IMAGES(screen(canvas), picture);
        COMPARE_IMAGES(surfaceimages::image(canvas), picture);

        canvas.pset(tw(4), tw(5), colors::white);
        QImage want = picture;
        put(want, 4, 5, colors::white);
        COMPARE_IMAGES(screen(canvas), want);
        COMPARE_IMAGES(surfaceimages::image(canvas), want);

        canvas.cls();
        COMPARE_IMAGES(screen(canvas), picture);
        COMPARE_IMAGES(surfaceimages::image(canvas), picture);
        QCOMPARE(surfaceimages::picture(canvas).size(), QSize(30, 20));
    }

    void smallPictureLiesOnBackColor()
    {
        const QImage picture = pattern(QSize(10, 8));
        DrawingSurface canvas(QSize(30, 20));
        canvas.setBackColor(colors::rgb(0, 90, 0));
        surfaceimages::setPicture(canvas, picture);
        COMPARE_IMAGES(screen(canvas).copy(0, 0, 10, 8), picture);
        VERIFY_AREA(screen(canvas), QRect(10, 0, 20, 20), QColor(0, 90, 0));
        VERIFY_AREA(screen(canvas), QRect(0, 8, 30, 12), QColor(0, 90, 0));
    }

    void savedImageLoadsBack()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("drawing.bmp"));
        DrawingSurface canvas(QSize(37, 23));
        canvas.setAutoRedraw(true);
        surfaceimages::setPicture(canvas, pattern(QSize(37, 23)));
        canvas.setDrawWidth(3);
        canvas.line(tw(1), tw(2), tw(33), tw(20), colors::rgb(250, 1, 128));
        const auto saved = canvas.saveImage(path);
        QVERIFY2(!saved, saved ? qPrintable(saved->description) : "");
        QVERIFY(readBytes(path).startsWith("BM"));

        DrawingSurface other(QSize(37, 23));
        const auto loaded = surfaceimages::loadPicture(other, path);
        QVERIFY2(!loaded, loaded ? qPrintable(loaded->description) : "");
        COMPARE_IMAGES(surfaceimages::picture(other).convertToFormat(QImage::Format_RGB32),
                       surfaceimages::image(canvas));
        COMPARE_IMAGES(surfaceimages::image(other), surfaceimages::image(canvas));
        COMPARE_IMAGES(screen(other), surfaceimages::image(canvas));
    }

    void savingTakesThePersistentImage()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("drawing.bmp"));
        DrawingSurface canvas(QSize(20, 10));
        canvas.pset(tw(3), tw(3), colors::white);
        QVERIFY(!canvas.saveImage(path));
        QImage saved;
        QVERIFY(saved.load(path, "BMP"));
        VERIFY_FILLED(saved, Qt::black);
    }

    void unloadablePicturesAreRefused_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("description");
        const std::pair<const char *, const char *> invalid[] = {
            {"png named bmp", "png"},
            {"text named bmp", "text"},
            {"empty file", "empty"},
            {"truncated bmp", "truncated"},
            {"header only", "header only"},
            {"truncated run-length", "truncated run-length"},
            {"truncated indexed", "truncated indexed"}};
        for (const auto &[tag, kind] : invalid)
            QTest::newRow(tag) << QString(kind) << failures::InvalidPicture << "Invalid picture";
        QTest::newRow("missing file") << "missing file" << failures::FileNotFound << "File not found";
        QTest::newRow("missing folder") << "missing folder" << failures::PathNotFound << "Path not found";
    }
    void unloadablePicturesAreRefused()
    {
        QFETCH(QString, kind);
        QFETCH(int, error);
        QFETCH(QString, description);
        QTemporaryDir dir;
        QString path = dir.filePath(QStringLiteral("picture.bmp"));
        const QString good = dir.filePath(QStringLiteral("good.bmp"));
        DrawingSurface source(QSize(40, 30));
        source.setAutoRedraw(true);
        surfaceimages::setPicture(source, pattern(QSize(40, 30)));
        QVERIFY(!source.saveImage(good));
        const QByteArray bmp = readBytes(good);
        QVERIFY(bmp.size() > 1000);

        if (kind == "png")
            QVERIFY(pattern(QSize(40, 30)).save(path, "PNG"));
        else if (kind == "text")
            QVERIFY(writeBytes(path, "This is not a picture.\r\n"));
        else if (kind == "empty")
            QVERIFY(writeBytes(path, {}));
        else if (kind == "truncated")
            QVERIFY(writeBytes(path, bmp.left(bmp.size() / 2)));
        else if (kind == "header only")
            QVERIFY(writeBytes(path, bmp.left(54)));
        else if (kind == "truncated run-length")
            QVERIFY(writeBytes(path, runLengthEncoded().chopped(4)));
        else if (kind == "truncated indexed")
            QVERIFY(writeBytes(path, eightBitIndexed().chopped(3)));
        else if (kind == "missing folder")
            path = dir.filePath(QStringLiteral("none/picture.bmp"));

        DrawingSurface canvas(QSize(20, 10));
        canvas.setAutoRedraw(true);
        const QImage picture = pattern(QSize(8, 8)).mirrored(true, false);
        surfaceimages::setPicture(canvas, picture);
        const QImage before = screen(canvas);
        const auto failure = surfaceimages::loadPicture(canvas, path);
        QVERIFY(failure);
        QCOMPARE(failure->number, error);
        QCOMPARE(failure->description, description);
        COMPARE_IMAGES(surfaceimages::picture(canvas), picture);
        COMPARE_IMAGES(screen(canvas), before);
        COMPARE_IMAGES(surfaceimages::image(canvas), before);
    }

    void otherBitmapKindsLoad_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QList<Color>>("expected");
        const Color red = colors::rgb(255, 0, 0);
        const Color green = colors::rgb(0, 255, 0);
        const Color blue = colors::rgb(0, 0, 255);
        const Color white = colors::white;
        QTest::newRow("8-bit indexed")
            << eightBitIndexed() << QList<Color>{white, red, green, red, green, blue};
        QTest::newRow("8-bit run-length")
            << runLengthEncoded() << QList<Color>{blue, blue, white, white, green, green, green, green};
        QTest::newRow("24-bit top-down") << bitmapFile(2, -2, 24, 0, {},
                                                       QByteArray::fromHex("0000ffffffff0000"
                                                                           "ff000000000000"
                                                                           "00"))
                                         << QList<Color>{red, white, blue, colors::black};
    }
    void otherBitmapKindsLoad()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QList<Color>, expected);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("kind.bmp"));
        QVERIFY(writeBytes(path, bytes));
        DrawingSurface canvas(QSize(8, 4));
        canvas.setBackColor(colors::rgb(1, 1, 1));
        const auto failure = surfaceimages::loadPicture(canvas, path);
        QVERIFY2(!failure, failure ? qPrintable(failure->description) : "");
        const int width = static_cast<int>(expected.size()) / 2;
        QCOMPARE(surfaceimages::picture(canvas).size(), QSize(width, 2));
        QImage want = filled(QSize(8, 4), colors::rgb(1, 1, 1));
        for (int i = 0; i < expected.size(); ++i)
            put(want, i % width, i / width, expected[i]);
        COMPARE_IMAGES(screen(canvas), want);
    }

    void failedSaveKeepsOldFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("description");
        QTest::newRow("into a missing folder")
            << "missing folder" << failures::PathNotFound << "Path not found";
        QTest::newRow("beyond the file size limit") << "size limit" << failures::DiskFull << "Disk full";
        QTest::newRow("in an unknown format")
            << "unknown format" << failures::InvalidPicture << "Invalid picture";
    }
    void failedSaveKeepsOldFile()
    {
        QFETCH(QString, kind);
        QFETCH(int, error);
        QFETCH(QString, description);
        QTemporaryDir dir;
        const QString old = dir.filePath(QStringLiteral("drawing.bmp"));
        DrawingSurface small(QSize(10, 10));
        QVERIFY(!small.saveImage(old));
        const QByteArray oldBytes = readBytes(old);

        DrawingSurface large(QSize(200, 100));
        large.setAutoRedraw(true);
        large.pset(tw(5), tw(5), colors::white);
        std::optional<Failure> failure;
        if (kind == "missing folder") {
            failure = large.saveImage(dir.filePath(QStringLiteral("missing/drawing.bmp")));
        } else if (kind == "unknown format") {
            failure = surfaceimages::saveImage(large, old, "no such format");
        } else {
            const FileSizeLimit limit(4096);
            if (!limit.ok())
                QSKIP("the file size limit cannot be lowered here");
            failure = large.saveImage(old);
        }
        QVERIFY(failure);
        QCOMPARE(failure->number, error);
        QCOMPARE(failure->description, description);
        QCOMPARE(readBytes(old), oldBytes);
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("drawing.bmp")});
    }

    void savingToFullDevice()
    {
        const QString path = QStringLiteral("/dev/full");
        struct stat before {};
        if (stat("/dev/full", &before) != 0 || !S_ISCHR(before.st_mode))
            QSKIP("no /dev/full here");
        DrawingSurface canvas(QSize(64, 64));
        const auto failure = canvas.saveImage(path);
        QVERIFY(failure);
        QCOMPARE(failure->number, failures::DiskFull);
        QCOMPARE(failure->description, QStringLiteral("Disk full"));
        const QFileInfo info(path);
        QVERIFY(info.exists());
        QVERIFY(!info.isFile());
        struct stat after {};
        QCOMPARE(stat("/dev/full", &after), 0);
        QVERIFY(S_ISCHR(after.st_mode));
        QCOMPARE(after.st_rdev, before.st_rdev);
    }

    void growingKeepsDrawing()
    {
        DrawingSurface canvas(QSize(40, 30));
        canvas.setAutoRedraw(true);
        canvas.setBackColor(colors::rgb(90, 0, 0));
        canvas.line(tw(0), tw(0), tw(39), tw(29), colors::white);
        const QImage before = surfaceimages::image(canvas);
        canvas.resize(QSize(60, 50));
        QCOMPARE(canvas.size(), QSize(60, 50));
        QCOMPARE(surfaceimages::image(canvas).size(), QSize(60, 50));
        QVERIFY(surfaceimages::screenImage(canvas).width() >= 60 &&
                surfaceimages::screenImage(canvas).height() >= 50);
        for (const QImage &image : {surfaceimages::image(canvas), screen(canvas)}) {
            COMPARE_IMAGES(image.copy(0, 0, 40, 30), before);
            VERIFY_AREA(image, QRect(40, 0, 20, 50), QColor(90, 0, 0));
            VERIFY_AREA(image, QRect(0, 30, 60, 20), QColor(90, 0, 0));
        }

        // The new area takes drawing like the old.
        canvas.pset(tw(55), tw(45), colors::white);
        QCOMPARE(surfaceimages::image(canvas).pixel(55, 45), colors::toPixel(colors::white));
    }

    void shrinkingThenGrowingKeepsDrawing()
    {
        DrawingSurface canvas(QSize(60, 50));
        canvas.setAutoRedraw(true);
        canvas.line(tw(0), tw(49), tw(59), tw(0), colors::white);
        canvas.pset(tw(58), tw(48), colors::yellow);
        const QImage before = surfaceimages::image(canvas);
        canvas.resize(QSize(20, 10));
        QCOMPARE(surfaceimages::image(canvas).size(), QSize(20, 10));
        COMPARE_IMAGES(surfaceimages::image(canvas), before.copy(0, 0, 20, 10));
        canvas.resize(QSize(60, 50));
        COMPARE_IMAGES(surfaceimages::image(canvas), before);
        COMPARE_IMAGES(screen(canvas), before);
    }

    void widgetRepaintsChangedRect()
    {
        ShownCanvas shown(QSize(200, 100));
        QVERIFY(shown.ready());
        QCOMPARE(shown.surface.size(), QSize(200, 100));

        shown.surface.pset(tw(10), tw(20), colors::white);
        QTRY_VERIFY(!shown.regions.empty());
        QTest::qWait(50);
        QCOMPARE(shown.regions.size(), std::size_t(1));
        QCOMPARE(shown.regions.front(), QRegion(10, 20, 1, 1));

        shown.regions.clear();
        shown.surface.setDrawWidth(5);
        shown.surface.pset(tw(100), tw(50), colors::white);
        QTRY_VERIFY(!shown.regions.empty());
        QTest::qWait(50);
        QCOMPARE(shown.regions.size(), std::size_t(1));
        QCOMPARE(shown.regions.front().boundingRect(), QRect(98, 48, 5, 5));
        QCOMPARE(shown.widget.grab().toImage().pixel(100, 50), colors::toPixel(colors::white));
    }

    void widgetPaintsBurstOnce()
    {
        ShownCanvas shown(QSize(200, 100));
        QVERIFY(shown.ready());
        QRegion expected;
        for (int i = 0; i < 50; ++i) {
            shown.surface.pset(tw(20 + i), tw(10 + i), colors::white);
            expected += QRect(20 + i, 10 + i, 1, 1);
        }
        shown.surface.line(tw(150), tw(5), tw(160), tw(5), colors::white);
        expected += QRect(150, 5, 11, 1);
        QTRY_VERIFY(!shown.regions.empty());
        QTest::qWait(100);
        QCOMPARE(shown.regions.size(), std::size_t(1));
        QCOMPARE(shown.regions.front(), expected);
    }

    void repaintPendingPaintsAtOnce()
    {
        ShownCanvas shown(QSize(200, 100));
        QVERIFY(shown.ready());
        shown.surface.pset(tw(30), tw(40), colors::white);
        shown.surface.pset(tw(31), tw(41), colors::white);
        shown.widget.repaintPending();
        QCOMPARE(shown.regions.size(), std::size_t(1));
        QCOMPARE(shown.regions.front(), QRegion(30, 40, 1, 1) + QRegion(31, 41, 1, 1));
        // Nothing is left over for later.
        QTest::qWait(100);
        QCOMPARE(shown.regions.size(), std::size_t(1));
    }

    void widgetShowsWholeSurfaceAfterClear()
    {
        ShownCanvas shown(QSize(120, 80));
        QVERIFY(shown.ready());
        shown.surface.setBackColor(colors::rgb(0, 0, 255));
        QTRY_VERIFY(!shown.regions.empty());
        QVERIFY(shown.regions.back().contains(QRect(0, 0, 120, 80)));
        const QImage image = shown.widget.grab().toImage();
        QCOMPARE(image.size(), QSize(120, 80));
        VERIFY_FILLED(image, Qt::blue);
    }

    void mouseSignalsCarryTwips()
    {
        ShownCanvas shown(QSize(200, 100));
        QVERIFY(shown.ready());
        CanvasWidget *widget = &shown.widget;
        QSignalSpy pressed(widget, &CanvasWidget::mousePressed);
        QSignalSpy moved(widget, &CanvasWidget::mouseMoved);
        QSignalSpy released(widget, &CanvasWidget::mouseReleased);
        QSignalSpy doubleClicked(widget, &CanvasWidget::mouseDoubleClicked);
        const auto twips = [](const QList<QVariant> &arguments) {
            return QPointF(arguments.at(0).toFloat(), arguments.at(1).toFloat());
        };

        QTest::mousePress(widget, Qt::LeftButton, Qt::NoModifier, QPoint(10, 20));
        QCOMPARE(pressed.size(), 1);
        QCOMPARE(twips(pressed.at(0)), QPointF(150, 300));

        QTest::mouseMove(widget, QPoint(30, 40));
        QTRY_VERIFY(!moved.isEmpty());
        QCOMPARE(twips(moved.last()), QPointF(450, 600));

        QTest::mouseRelease(widget, Qt::LeftButton, Qt::NoModifier, QPoint(30, 40));
        QCOMPARE(released.size(), 1);
        QCOMPARE(twips(released.at(0)), QPointF(450, 600));

        QTest::mouseDClick(widget, Qt::LeftButton, Qt::NoModifier, QPoint(7, 9));
        QCOMPARE(doubleClicked.size(), 1);
        QCOMPARE(twips(doubleClicked.at(0)), QPointF(105, 135));
    }

    void widgetResizeSizesSurface()
    {
        ShownCanvas shown(QSize(150, 90));
        QVERIFY(shown.ready());
        QCOMPARE(shown.surface.size(), QSize(150, 90));
        QCOMPARE(surfaceimages::image(shown.surface).size(), QSize(150, 90));
        shown.widget.resize(170, 60);
        QTRY_COMPARE(shown.surface.size(), QSize(170, 60));
    }

    void surfaceOutlivesWidget()
    {
        DrawingSurface surface(QSize(50, 50));
        surface.setAutoRedraw(true);
        auto *widget = new CanvasWidget(surface);
        widget->resize(50, 50);
        surface.pset(tw(1), tw(1), colors::white);
        delete widget;
        surface.pset(tw(2), tw(2), colors::white);
        surface.line(tw(0), tw(5), tw(40), tw(5), colors::white);
        surface.cls();
        surface.setBackColor(colors::yellow);
        VERIFY_FILLED(surfaceimages::image(surface), Qt::yellow);
    }
};

QTEST_MAIN(TestSurface)
#include "test_surface.moc"
