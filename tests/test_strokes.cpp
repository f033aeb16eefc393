// SPDX-License-Identifier: GPL-3.0-or-later
#include "enginefakes.h"
#include "pixelset.h"
#include "strokedfigure.h"
#include "strokes.h"

#include <QTest>

#include <cmath>
#include <vector>

using strokes::Pixel;
using strokes::Point;
using Points = std::vector<Point>;
using Pixels = std::vector<Pixel>;

Q_DECLARE_METATYPE(Points)
Q_DECLARE_METATYPE(Pixels)

namespace {

struct Built {
    std::vector<Points> runs;
    Pixels dots;
};

// The dots kept for a canvas of `width` by `height`.
Built build(const Points &points, double join = 1.5, int width = 0, int height = 0)
{
    Built built;
    strokes::PixelSet dots(width, height);
    strokes::Builder builder(
        join, [&built](const Points &run) { built.runs.push_back(run); },
        [&dots](Point dot) { dots.insert(strokes::pixelOf(dot)); });
    for (const Point &p : points)
        builder.add(p.x, p.y);
    builder.finish();
    built.dots = dots.sorted();
    return built;
}

double distanceToSegment(Point p, Point a, Point b)
{
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double length = dx * dx + dy * dy;
    const double t = length > 0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / length, 0.0, 1.0) : 0;
    return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

// How far the farthest point of `points` lies from the polyline `line`.
double strayOf(const Points &points, const Points &line)
{
    double worst = 0;
    for (const Point &p : points) {
        double nearest = INFINITY;
        for (std::size_t i = 1; i < line.size(); ++i)
            nearest = std::min(nearest, distanceToSegment(p, line[i - 1], line[i]));
        worst = std::max(worst, nearest);
    }
    return worst;
}

Points circle(int count, double radius)
{
    Points points;
    for (int i = 0; i < count; ++i)
        points.push_back({100 + radius * std::cos(i * 0.001), 100 + radius * std::sin(i * 0.001)});
    return points;
}

} // namespace

// The strokes a vector drawing paints: runs of close points, dots for lone
// points, as few points as the tolerance allows.
class TestStrokes : public QObject {
    Q_OBJECT

private slots:
    void joinDistance_data()
    {
        QTest::addColumn<double>("pen");
        QTest::addColumn<double>("distance");
        QTest::newRow("thin pen joins at 1.5 pixels") << 0.5 << 1.5;
        QTest::newRow("pen 1") << 1.0 << 1.5;
        QTest::newRow("pen 2") << 2.0 << 3.0;
        QTest::newRow("pen 5") << 5.0 << 7.5;
    }
    void joinDistance()
    {
        QFETCH(double, pen);
        QFETCH(double, distance);
        QCOMPARE(strokes::joinDistance(pen), distance);
    }

    void builder_data()
    {
        QTest::addColumn<Points>("points");
        QTest::addColumn<QList<int>>("runLengths");
        QTest::addColumn<Pixels>("dots");
        QTest::newRow("close points join") << Points{{0, 0}, {1, 0}, {1, 1}} << QList<int>{3} << Pixels{};
        QTest::newRow("far points are dots")
            << Points{{0.5, 0.5}, {20.2, 3.7}} << QList<int>{} << Pixels{{0, 0}, {20, 3}};
        QTest::newRow("a point on the same place adds nothing")
            << Points{{4.2, 4.2}, {4.201, 4.2}, {40, 4}} << QList<int>{} << Pixels{{4, 4}, {40, 4}};
        QTest::newRow("dots in one pixel count once, row by row")
            << Points{{9.2, 7.2}, {50, 2}, {9.7, 7.9}, {3, 7.5}} << QList<int>{}
            << Pixels{{50, 2}, {3, 7}, {9, 7}};
        QTest::newRow("a gap breaks a run")
            << Points{{0, 0}, {1, 0}, {NAN, 0}, {2, 0}, {3, 0}} << QList<int>{2, 2} << Pixels{};
        QTest::newRow("a run then a lone point")
            << Points{{0, 0}, {1, 1}, {30, 30}} << QList<int>{2} << Pixels{{30, 30}};
        QTest::newRow("points on a line keep their ends")
            << Points{{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}} << QList<int>{2} << Pixels{};
        QTest::newRow("dots on and off the canvas, in one order")
            << Points{{-5.5, 3}, {9.2, 3.1}, {40, -2}, {-5.2, 3.9}, {31.5, 15.5}, {9.9, 3.9}} << QList<int>{}
            << Pixels{{40, -2}, {-6, 3}, {9, 3}, {31, 15}};
    }
    void builder()
    {
        QFETCH(Points, points);
        QFETCH(QList<int>, runLengths);
        QFETCH(Pixels, dots);
        // The dots are the same whether kept on a canvas or not.
        for (const auto &[width, height] : {std::pair{0, 0}, std::pair{32, 16}, std::pair{64, 64}}) {
            const Built built = build(points, 1.5, width, height);
            QList<int> lengths;
            for (const Points &run : built.runs)
                lengths << int(run.size());
            QCOMPARE(lengths, runLengths);
            QCOMPARE(built.dots.size(), dots.size());
            for (std::size_t i = 0; i < dots.size(); ++i)
                QVERIFY2(built.dots[i] == dots[i],
                         qPrintable(QString("dot %1 on a canvas of %2x%3").arg(i).arg(width).arg(height)));
        }
    }

    // Simplifying keeps every point within the tolerance and drops most of
    // a smooth curve's points.
    void simplifiedStaysWithinTolerance()
    {
        const Points arc = circle(3000, 200);
        const Points simple = strokes::simplified(arc, strokes::tolerance);
        QVERIFY(simple.size() < arc.size() / 10);
        QVERIFY(strayOf(arc, simple) <= strokes::tolerance + 1e-9);
        QCOMPARE(simple.front().x, arc.front().x);
        QCOMPARE(simple.back().y, arc.back().y);
    }

    // A very long run comes in pieces that join end to start.
    void longRunsComeInJoinedPieces()
    {
        const Built built = build(circle(200000, 1000));
        QVERIFY(built.runs.size() >= 3);
        for (std::size_t i = 1; i < built.runs.size(); ++i) {
            QCOMPARE(built.runs[i].front().x, built.runs[i - 1].back().x);
            QCOMPARE(built.runs[i].front().y, built.runs[i - 1].back().y);
        }
        QVERIFY(built.dots.empty());
    }

    // Points set in twips, 15 to the pixel, in batches of one colour each.
    void recorderBreaksAtColourChanges_data()
    {
        QTest::addColumn<QList<int>>("batchColors");
        QTest::addColumn<int>("parts");
        QTest::newRow("one colour") << QList<int>{colors::yellow, colors::yellow, colors::yellow} << 1;
        QTest::newRow("new colour each batch")
            << QList<int>{colors::yellow, colors::white, colors::yellow} << 3;
        QTest::newRow("back to the first") << QList<int>{colors::white, colors::white, colors::yellow} << 2;
    }

    void recorderBreaksAtColourChanges()
    {
        QFETCH(QList<int>, batchColors);
        QFETCH(int, parts);
        EngineLog log;
        FakeCanvas target(log);
        StrokeRecorder recorder(target, 15);
        // One line of points a pixel apart, ten to a batch.
        float x = 0;
        for (const int color : batchColors) {
            std::vector<CurvePointF> batch;
            for (int i = 0; i < 10; ++i, x += 15)
                batch.push_back({x, 150});
            recorder.psetMany(batch.data(), batch.size(), color);
        }
        QCOMPARE(target.pointCount, std::size_t(0));
        const StrokedFigure figure = recorder.finish(100, 50);
        QCOMPARE(int(figure.parts.size()), parts);
        QCOMPARE(figure.parts.front().rgb, colors::toPixel(batchColors.front()) & 0xffffffu);
        // The line goes on without a gap: each part starts where the last ended.
        double reached = 0;
        for (const StrokedFigure::Part &part : figure.parts) {
            QCOMPARE(part.runs.size(), std::size_t(1));
            QVERIFY(part.dots.empty());
            QCOMPARE(part.runs.front().front().x, reached);
            reached = part.runs.front().back().x;
        }
        QCOMPARE(reached, double(batchColors.size() * 10 - 1));
    }

    // A cut ends the run under way, and the strokes after it start at its
    // last point, so that a picture painted a cut at a time has no gap.
    void recorderCutsWithoutGaps()
    {
        EngineLog log;
        FakeCanvas target(log);
        StrokeRecorder recorder(target, 15);
        double reached = 0;
        for (int cut = 0; cut < 3; ++cut) {
            std::vector<CurvePointF> batch;
            for (int i = 0; i < 10; ++i)
                batch.push_back({float((cut * 10 + i) * 15), 150});
            recorder.psetMany(batch.data(), batch.size(), colors::yellow);
            const StrokedFigure figure = recorder.cut(100, 50);
            QCOMPARE(figure.parts.size(), std::size_t(1));
            QCOMPARE(figure.parts.front().runs.size(), std::size_t(1));
            QCOMPARE(figure.parts.front().runs.front().front().x, reached);
            reached = figure.parts.front().runs.front().back().x;
        }
        QCOMPARE(reached, 29.0);
        QVERIFY(recorder.finish(100, 50).parts.front().runs.empty());
    }

    // On the canvas a dot is kept once to its pixel within a part, and again
    // in the next part, whose colour paints it over; off the canvas too.
    void recorderKeepsADotOnceAPart_data()
    {
        QTest::addColumn<int>("canvasWidth");
        QTest::newRow("on the canvas") << 40;
        QTest::newRow("off the canvas") << 0;
    }
    void recorderKeepsADotOnceAPart()
    {
        QFETCH(int, canvasWidth);
        EngineLog log;
        FakeCanvas target(log);
        StrokeRecorder recorder(target, 1, canvasWidth, 20);
        // Two far points, each set twice within a pixel, in two colours.
        const std::vector<CurvePointF> dust{{3.2f, 4.5f}, {30.1f, 12.2f}, {3.7f, 4.1f}, {30.9f, 12.8f}};
        recorder.psetMany(dust.data(), dust.size(), colors::yellow);
        recorder.psetMany(dust.data(), dust.size(), colors::white);
        const StrokedFigure figure = recorder.finish(40, 20);
        QCOMPARE(figure.parts.size(), std::size_t(2));
        for (const StrokedFigure::Part &part : figure.parts) {
            Pixels pixels;
            for (const Point &dot : part.dots)
                pixels.push_back(strokes::pixelOf(dot));
            std::sort(pixels.begin(), pixels.end(), [](Pixel a, Pixel b) { return a.x < b.x; });
            QVERIFY((pixels == Pixels{{3, 4}, {30, 12}}));
            QVERIFY(part.runs.empty());
        }
    }

    void recorderStopsAtItsLimit()
    {
        // Lone points, each a dot of its own: 300 of them.
        std::vector<CurvePointF> dust;
        for (int i = 0; i < 300; ++i)
            dust.push_back({float(i * 10), float((i * 7) % 50 * 10)});
        for (const std::size_t limit : {std::size_t(299), std::size_t(300)}) {
            EngineLog log;
            FakeCanvas target(log);
            StrokeRecorder recorder(target, 1);
            recorder.setLimit(limit);
            for (std::size_t i = 0; i < dust.size(); i += 50)
                recorder.psetMany(dust.data() + i, 50, colors::white);
            const StrokedFigure figure = recorder.finish(3000, 500);
            QCOMPARE(recorder.overflowed(), limit < 300);
            QCOMPARE(figure.parts.front().dots.size(), std::size_t(300));
        }
    }
};

QTEST_GUILESS_MAIN(TestStrokes)
#include "test_strokes.moc"
