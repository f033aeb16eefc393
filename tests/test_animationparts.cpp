// SPDX-License-Identifier: GPL-3.0-or-later
#include "drawingsurface.h"
#include "headlessdrawing.h"
#include "paintloader.h"
#include "smoothframes.h"
#include "sweepoption.h"
#include "tracecanvas.h"

#include <QTest>

#include <cmath>
#include <cstring>
#include <variant>
#include <vector>

// The pieces of an animation: reading --sweep, the field texts of a sweep's
// frames, where a traced drawing pauses for its frames, and the frames of a
// smooth trace.
class TestAnimationParts : public QObject {
    Q_OBJECT

private slots:
    void sweepOption_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("amplitude") << "xamp=0.2:0.9" << int(ParameterTexts::XAmp) << "0.2"
                                   << "0.9"
                                   << "";
        QTest::newRow("negative amplitude") << "yamp=-1:1" << int(ParameterTexts::YAmp) << "-1"
                                            << "1"
                                            << "";
        QTest::newRow("any case") << "XFreq=/5:/8" << int(ParameterTexts::XFreq) << "/5"
                                  << "/8"
                                  << "";
        QTest::newRow("decimal comma") << "ypwr2=1,5:3" << int(ParameterTexts::YPwr2) << "1,5"
                                       << "3"
                                       << "";
        QTest::newRow("wst factor") << "ywst=-10:-90" << int(ParameterTexts::YWst) << "-10"
                                    << "-90"
                                    << "";
        QTest::newRow("reciprocal factor") << "xrot=/-2:/-8" << int(ParameterTexts::XRot) << "/-2"
                                           << "/-8"
                                           << "";
        QTest::newRow("unknown field") << "zamp=0:1" << -1 << ""
                                       << ""
                                       << "no field is called \"zamp\"";
        QTest::newRow("no number") << "xamp=a:1" << -1 << ""
                                   << ""
                                   << "\"a\" is no value of the xamp field";
        QTest::newRow("trailing text") << "xamp=0:1x" << -1 << ""
                                       << ""
                                       << "\"1x\" is no value of the xamp field";
        QTest::newRow("slash amplitude") << "xamp=/2:1" << -1 << ""
                                         << ""
                                         << "xamp field";
        QTest::newRow("infinite") << "xpwr1=1:1e999" << -1 << ""
                                  << ""
                                  << "xpwr1 field";
        QTest::newRow("mixed forms") << "xfreq=/7:9" << -1 << ""
                                     << ""
                                     << "same form";
        QTest::newRow("no colon") << "xamp=1" << -1 << ""
                                  << ""
                                  << "expected FIELD=FROM:TO";
    }
    void sweepOption()
    {
        QFETCH(QString, text);
        QFETCH(int, field);
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QString, refusal);
        const auto parsed = sweepoption::parse(text);
        if (!refusal.isEmpty()) {
            QVERIFY(std::holds_alternative<QString>(parsed));
            QVERIFY2(std::get<QString>(parsed).contains(refusal), qPrintable(std::get<QString>(parsed)));
            return;
        }
        if (const auto *refused = std::get_if<QString>(&parsed))
            QFAIL(qPrintable(*refused));
        const animation::Sweep &sweep = std::get<animation::Sweep>(parsed);
        QCOMPARE(int(sweep.field), field);
        QCOMPARE(QString::fromStdString(sweep.textAt(0, 5)), from);
        QCOMPARE(QString::fromStdString(sweep.textAt(4, 5)), to);
    }

    // The frames between the ends move evenly, in the ends' form.
    void sweepTextsBetween_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("amplitude") << "xamp=0:1" << QStringList{"0", "0.25", "0.5", "0.75", "1"};
        QTest::newRow("frequency") << "yfreq=/4:/8" << QStringList{"/4", "/5", "/6", "/7", "/8"};
        QTest::newRow("downwards") << "xwst=-100:-60" << QStringList{"-100", "-90", "-80", "-70", "-60"};
    }
    void sweepTextsBetween()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, texts);
        const auto sweep = std::get<animation::Sweep>(sweepoption::parse(text));
        QStringList got;
        for (int frame = 0; frame < 5; ++frame)
            got << QString::fromStdString(sweep.textAt(frame, 5));
        QCOMPARE(got, texts);
    }

    void frameEnds_data()
    {
        QTest::addColumn<int>("points");
        QTest::addColumn<int>("frames");
        QTest::addColumn<QList<int>>("ends");
        QTest::newRow("even") << 100 << 4 << QList<int>{25, 50, 75, 100};
        QTest::newRow("uneven") << 10 << 3 << QList<int>{4, 7, 10};
        QTest::newRow("more frames than points") << 2 << 4 << QList<int>{1, 1, 2, 2};
        QTest::newRow("one frame") << 7 << 1 << QList<int>{7};
    }
    void frameEnds()
    {
        QFETCH(int, points);
        QFETCH(int, frames);
        QFETCH(QList<int>, ends);
        DrawingSurface surface(QSize(8, 8));
        // The points set when each frame is announced.
        QList<int> announced;
        int set = 0;
        TraceCanvas canvas(surface, std::uint64_t(points), frames, [&](int frame) {
            QCOMPARE(frame, announced.size());
            announced << set;
        });
        // Batches that cross the frames' ends.
        std::vector<CurvePointF> batch(std::size_t(points), CurvePointF{15, 15});
        for (int first = 0; first < points; first += 3) {
            const int count = std::min(3, points - first);
            canvas.psetMany(batch.data() + first, std::size_t(count), colors::white);
            set += count;
            // Every frame that has ended by now has been announced, no other.
            for (int frame = 0; frame < frames - 1; ++frame)
                QCOMPARE(frame < announced.size(), ends[frame] <= set);
        }
        QCOMPARE(announced.size(), frames - 1);
        for (int frame = 0; frame < frames - 1; ++frame)
            QCOMPARE(int(canvas.frameEnd(frame)), ends[frame]);
        QCOMPARE(int(canvas.frameEnd(frames - 1)), points);
    }

    // Drawn through the trace canvas, paused at every frame, the figure is
    // the one drawn straight onto the surface: XOR mode and a wide pen
    // included, where an order changed or a point set twice would show.
    void tracedDrawingIsTheStill()
    {
        headless::Job job;
        job.recipe.typed.text = {"0.5", "/11", "", "", "/3", "", "", "", "", "", "", ""};
        job.recipe.prefs.drawMode = 7;
        job.recipe.prefs.penSize = 3;
        job.recipe.prefs.randomColors = 1;
        job.recipe.prefs.stepSize = 50;
        job.size = QSize(120, 90);
        job.seed = 9;
        DrawingSurface still;
        headless::draw(still, job);
        DrawingSurface traced;
        int frames = 0;
        TraceCanvas canvas(traced, headless::estimate(job).points, 37, [&](int) { ++frames; });
        headless::Job through = job;
        through.through = &canvas;
        headless::draw(traced, through);
        QCOMPARE(frames, 36);
        const PixelRows a = still.imagePixels();
        const PixelRows b = traced.imagePixels();
        QCOMPARE(b.size(), a.size());
        for (int y = 0; y < a.height; ++y)
            QVERIFY2(std::memcmp(a.row(y), b.row(y), std::size_t(a.width) * 4) == 0,
                     qPrintable(QString::number(y)));
    }

    // A smooth trace's frames, painted a part at a time: no frame takes away
    // what the one before showed, a dot set again in its pixel is not painted
    // darker, and the last frame lights the pixels that the still does.
    void smoothFramesAddUpToTheStill()
    {
        QString why;
        const figurepainter::Functions *painter = paintloader::painter(why);
        QVERIFY2(painter, qPrintable(why));
        std::vector<CurvePointF> spiral;
        for (int i = 0; i < 400; ++i) {
            const double radius = 5 + i * 0.06;
            spiral.push_back(
                {float(40 + radius * std::cos(i * 0.05)), float(30 + radius * std::sin(i * 0.05))});
        }
        std::vector<CurvePointF> dust;
        for (int i = 0; i < 30; ++i)
            dust.push_back({float((i * 7) % 74) + 3.3f, float((i * 11) % 56) + 2.6f});
        const QSize size(80, 60);
        const std::uint32_t background = 0xff000080u;
        const colors::Color navy = colors::rgb(0, 0, 128);
        DrawingSurface target;
        SmoothFrames frames(*painter, target, size, 1, navy);
        StrokeRecorder whole(target, 1);
        whole.setBackColor(navy);
        std::vector<PixelImage> shown;
        const auto draw = [&](const CurvePointF *points, std::size_t count) {
            frames.canvas().psetMany(points, count, colors::yellow);
            whole.psetMany(points, count, colors::yellow);
            const PixelImage *frame = frames.next();
            QVERIFY(frame);
            shown.push_back(*frame);
        };
        for (std::size_t i = 0; i < spiral.size(); i += 100)
            draw(spiral.data() + i, 100);
        draw(dust.data(), dust.size());
        draw(dust.data(), dust.size());
        if (QTest::currentTestFailed())
            return;
        StrokedFigure still = whole.finish(size.width(), size.height());
        PixelImage painted(size);
        QVERIFY(painter->pixels(still, painted.bits(), size.width(), size.height(), painted.stride()));
        const auto at = [&size](int i) {
            return QString("(%1, %2)").arg(i % size.width()).arg(i / size.width());
        };
        const int pixels = size.width() * size.height();
        for (std::size_t f = 1; f < shown.size(); ++f)
            for (int i = 0; i < pixels; ++i)
                QVERIFY2(shown[f - 1].constBits()[i] == background || shown[f].constBits()[i] != background,
                         qPrintable(QString("frame %1 takes away %2").arg(f).arg(at(i))));
        const std::size_t last = shown.size() - 1;
        QVERIFY2(std::memcmp(shown[last].constBits(), shown[last - 1].constBits(), std::size_t(pixels) * 4) ==
                     0,
                 "dots set again change their pixels");
        // The runs end where the frames do, so their simplified lines and
        // the shades where they join differ a little: a pixel lit in one
        // picture has a lit one within a pixel in the other.
        const auto lit = [&](const PixelImage &image, int x, int y) {
            if (x < 0 || y < 0 || x >= size.width() || y >= size.height())
                return false;
            const std::uint32_t pixel = image.constBits()[y * size.width() + x];
            return std::abs(int((pixel >> 8) & 0xffu) - int((background >> 8) & 0xffu)) > 64;
        };
        const auto nearLit = [&](const PixelImage &image, int x, int y) {
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    if (lit(image, x + dx, y + dy))
                        return true;
            return false;
        };
        for (int i = 0; i < pixels; ++i) {
            const int x = i % size.width();
            const int y = i / size.width();
            QVERIFY2(!lit(shown[last], x, y) || nearLit(painted, x, y),
                     qPrintable(QString("the last frame lights %1, which the still leaves").arg(at(i))));
            QVERIFY2(!lit(painted, x, y) || nearLit(shown[last], x, y),
                     qPrintable(QString("the last frame leaves %1, which the still lights").arg(at(i))));
        }
    }
};

QTEST_GUILESS_MAIN(TestAnimationParts)
#include "test_animationparts.moc"
