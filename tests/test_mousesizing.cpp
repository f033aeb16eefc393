// SPDX-License-Identifier: GPL-3.0-or-later
#include "datatable.h"
#include "enginefakes.h"
#include "mousesizing.h"

#include <QTest>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace {

using Log = EngineLog;

struct Bench {
    FormState state;
    Log log;
    FakeCanvas canvas{log};
    FakeHost host{log, canvas};

    // A placement that is not the default one, so that a reset shows.
    Bench()
    {
        state.prefs.placement.drawLeftOffset = 300;
        state.prefs.placement.drawTopOffset = 400;
        state.prefs.placement.drawPartX = 0.5f;
        state.prefs.placement.drawPartY = 0.7f;
        state.foregroundColor = 0x00ff80;
    }

    void drag(float x1, float y1, float x2, float y2, double width = 8528, double height = 6528)
    {
        mousesizing::mouseDown(state, x1, y1);
        mousesizing::mouseUp(state, x2, y2, width, height);
    }

    bool isDefault() const
    {
        return state.prefs.placement.drawLeftOffset == 50 && state.prefs.placement.drawTopOffset == 50 && state.prefs.placement.drawPartX == 1 &&
               state.prefs.placement.drawPartY == 1;
    }
    bool isUnchanged() const
    {
        return state.prefs.placement.drawLeftOffset == 300 && state.prefs.placement.drawTopOffset == 400 && state.prefs.placement.drawPartX == 0.5f &&
               state.prefs.placement.drawPartY == 0.7f;
    }
};

float part(double distance, double span)
{
    return static_cast<float>(distance / span);
}

} // namespace

class TestMouseSizing : public QObject {
    Q_OBJECT
private slots:
    void drag_data()
    {
        QTest::addColumn<QPointF>("press");
        QTest::addColumn<QPointF>("release");
        QTest::addColumn<QSizeF>("window");
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("top");
        QTest::addColumn<float>("partX");
        QTest::addColumn<float>("partY");
        const auto row = [](const char *tag, float x1, float y1, float x2, float y2, double width,
                            double height, int left, int top, float partX, float partY) {
            QTest::newRow(tag) << QPointF(x1, y1) << QPointF(x2, y2) << QSizeF(width, height) << left << top
                               << partX << partY;
        };
        const float third = part(3000, 6228);
        row("down and right", 1000, 800, 4000, 3800, 8528, 6528, 1000, 800, third, third);
        row("up and left", 4000, 3800, 1000, 800, 8528, 6528, 1000, 800, third, third);
        row("down and left", 4000, 800, 1000, 3800, 8528, 6528, 1000, 800, third, third);
        row("up and right", 1000, 3800, 4000, 800, 8528, 6528, 1000, 800, third, third);
        row("just wide enough", 1000, 800, 1010, 810, 8528, 6528, 1000, 800, part(10, 6228), part(10, 6228));
        row("other window", 1000, 800, 4000, 3800, 10000, 5000, 1000, 800, part(3000, 7700),
            part(3000, 4700));
        row("press rounds half to even", 1000.5f, 800.5f, 4000, 3800, 8528, 6528, 1000, 800, third, third);
        row("press rounds half up to even", 1001.5f, 801.5f, 4000.5f, 3800.25f, 8528, 6528, 1002, 802,
            part(2998.5, 6228), part(2998.25, 6228));
        row("release rounds", 4000, 3800, 1000.5f, 799.5f, 8528, 6528, 1000, 800, part(2999.5, 6228),
            part(3000.5, 6228));
        row("barely wider than panel", 1000, 800, 4000, 3800, 2301, 301, 1000, 800, 3000, 3000);
        // A click, a drag too flat or too narrow, or one in a window with no
        // room left beside the panel restores the default placement.
        row("click in the middle", 1000, 800, 1000, 800, 8528, 6528, 50, 50, 1, 1);
        row("click at the corner", 0, 0, 0, 0, 8528, 6528, 50, 50, 1, 1);
        row("click at a fraction", 2000.5f, 99.25f, 2000.5f, 99.25f, 8528, 6528, 50, 50, 1, 1);
        row("too flat", 1000, 800, 4000, 809, 8528, 6528, 50, 50, 1, 1);
        row("too flat upwards", 1000, 800, 4000, 791, 8528, 6528, 50, 50, 1, 1);
        row("too narrow", 1000, 800, 1009, 3800, 8528, 6528, 50, 50, 1, 1);
        row("too narrow leftwards", 1000, 800, 991, 3800, 8528, 6528, 50, 50, 1, 1);
        row("window as wide as the panel", 1000, 800, 4000, 3800, 2300, 6528, 50, 50, 1, 1);
        row("window narrower than the panel", 1000, 800, 4000, 3800, 2000, 6528, 50, 50, 1, 1);
        row("window 300 high", 1000, 800, 4000, 3800, 8528, 300, 50, 50, 1, 1);
        row("window lower still", 1000, 800, 4000, 3800, 8528, 100, 50, 50, 1, 1);
        row("no window", 1000, 800, 4000, 3800, 0, 0, 50, 50, 1, 1);
        row("press at the reset mark", -1, 800, 4000, 3800, 8528, 6528, 50, 50, 1, 1);
    }
    void drag()
    {
        QFETCH(QPointF, press);
        QFETCH(QPointF, release);
        QFETCH(QSizeF, window);
        QFETCH(int, left);
        QFETCH(int, top);
        QFETCH(float, partX);
        QFETCH(float, partY);
        Bench b;
        b.drag(float(press.x()), float(press.y()), float(release.x()), float(release.y()), window.width(),
               window.height());
        QCOMPARE(b.state.prefs.placement.drawLeftOffset, left);
        QCOMPARE(b.state.prefs.placement.drawTopOffset, top);
        QCOMPARE(b.state.prefs.placement.drawPartX, partX);
        QCOMPARE(b.state.prefs.placement.drawPartY, partY);
        QCOMPARE(b.state.sizingPressed, std::int16_t(0));
        // Without a move nothing is drawn.
        QVERIFY(b.log.entries.empty());
    }

    void pressHoldsPressPoint()
    {
        Bench b;
        mousesizing::mouseDown(b.state, 1234.5f, 2345.5f);
        QCOMPARE(b.state.prefs.placement.drawLeftOffset, 1234);
        QCOMPARE(b.state.prefs.placement.drawTopOffset, 2346);
        QCOMPARE(b.state.prefs.placement.drawPartX, 0.5f);
        QCOMPARE(b.state.prefs.placement.drawPartY, 0.7f);
        QCOMPARE(b.state.sizingPressed, std::int16_t(1));
    }

    void pressFarOutside()
    {
        Bench b;
        constexpr std::int32_t highest = std::numeric_limits<std::int32_t>::max();
        constexpr std::int32_t lowest = std::numeric_limits<std::int32_t>::min();
        mousesizing::mouseDown(b.state, 1e10f, -1e10f);
        QCOMPARE(b.state.prefs.placement.drawLeftOffset, highest);
        QCOMPARE(b.state.prefs.placement.drawTopOffset, lowest);
        mousesizing::mouseUp(b.state, -1e10f, 1e10f, 8528, 6528);
        QCOMPARE(b.state.prefs.placement.drawLeftOffset, lowest);
        QCOMPARE(b.state.prefs.placement.drawTopOffset, lowest);
        QCOMPARE(b.state.prefs.placement.drawPartX, part(highest + 1e10, 6228));
        QCOMPARE(b.state.prefs.placement.drawPartY, part(1e10 - lowest, 6228));
    }

    void doubleClickResetsAtRelease_data()
    {
        oneColumnTable<int>("drawingActive", {{"idle", 0}, {"during a run", 1}});
    }
    void doubleClickResetsAtRelease()
    {
        QFETCH(int, drawingActive);
        Bench b;
        b.state.drawingActive = static_cast<std::int16_t>(drawingActive);
        // The platform delivers down, up, click, double click, up.
        mousesizing::mouseDown(b.state, 1000, 800);
        mousesizing::mouseUp(b.state, 4000, 3800, 8528, 6528);
        if (drawingActive)
            QVERIFY(b.isUnchanged());
        mousesizing::doubleClick(b.state);
        QCOMPARE(b.state.prefs.placement.drawLeftOffset, -1);
        mousesizing::mouseUp(b.state, 4000, 3800, 8528, 6528);
        QVERIFY(b.isDefault());
        QCOMPARE(b.state.sizingPressed, std::int16_t(0));
        QVERIFY(b.log.entries.empty());
    }

    void ignoredDuringRun()
    {
        Bench b;
        b.state.drawingActive = 1;
        mousesizing::mouseDown(b.state, 1000, 800);
        QVERIFY(b.isUnchanged());
        QCOMPARE(b.state.sizingPressed, std::int16_t(0));

        // A press from before the run: its move and release do nothing now.
        b.state.sizingPressed = 1;
        mousesizing::mouseMove(b.state, b.canvas, b.host, 2000, 1500);
        QVERIFY(b.log.entries.empty());
        mousesizing::mouseUp(b.state, 4000, 3800, 8528, 6528);
        QVERIFY(b.isUnchanged());
        QCOMPARE(b.state.sizingPressed, std::int16_t(1));
    }

    void noLineWithoutPress()
    {
        Bench b;
        mousesizing::mouseMove(b.state, b.canvas, b.host, 2000, 1500);
        QVERIFY(b.log.entries.empty());
        b.drag(1000, 800, 4000, 3800);
        mousesizing::mouseMove(b.state, b.canvas, b.host, 2000, 1500);
        QVERIFY(b.log.entries.empty());
        QCOMPARE(b.canvas.mode, 13);
    }

    void rubberBand_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("delay");
        QTest::newRow("copy pen") << 13 << 200;
        QTest::newRow("xor pen") << 7 << 50;
        QTest::newRow("no delay") << 4 << 0;
    }
    void rubberBand()
    {
        QFETCH(int, mode);
        QFETCH(int, delay);
        Bench b;
        b.canvas.mode = mode;
        b.state.prefs.mouseDelay = delay;
        mousesizing::mouseDown(b.state, 1000, 800);
        mousesizing::mouseMove(b.state, b.canvas, b.host, 2000.5f, 1500.25f);

        const auto &e = b.log.entries;
        QCOMPARE(e.size(), std::size_t(5));
        QCOMPARE(e[0].kind, Log::SetDrawMode);
        QCOMPARE(e[0].value, 6LL);
        QCOMPARE(e[1].kind, Log::Line);
        QCOMPARE(e[2].kind, Log::Wait);
        QCOMPARE(e[2].value, static_cast<long long>(mousesizing::rubberBandTime(delay).count()));
        QCOMPARE(e[3].kind, Log::Line);
        QCOMPARE(e[4].kind, Log::SetDrawMode);
        QCOMPARE(e[4].value, static_cast<long long>(mode));
        for (const Log::Entry &line : {e[1], e[3]}) {
            QCOMPARE(line.x1, 1000.0f);
            QCOMPARE(line.y1, 800.0f);
            QCOMPARE(line.x2, 2000.5f);
            QCOMPARE(line.y2, 1500.25f);
            QCOMPARE(line.color, 0x00ff80);
        }
        QCOMPARE(b.canvas.mode, mode);
        // The move changes nothing of the pending drag.
        QCOMPARE(b.state.prefs.placement.drawLeftOffset, 1000);
        QCOMPARE(b.state.prefs.placement.drawTopOffset, 800);
        QCOMPARE(b.state.sizingPressed, std::int16_t(1));
        QCOMPARE(b.host.yields, 0);
    }

    void rubberBandTime()
    {
        using mousesizing::rubberBandTime;
        using std::chrono::microseconds;
        QCOMPARE(rubberBandTime(0), microseconds(0));
        QVERIFY(rubberBandTime(1) > microseconds(0));
        for (std::int32_t d = 0; d < 1000; ++d)
            QVERIFY2(rubberBandTime(d + 1) > rubberBandTime(d), QByteArray::number(d).constData());
        // Growing with the square: twice the delay, four times the display.
        QCOMPARE(rubberBandTime(200), 4 * rubberBandTime(100));
        QCOMPARE(rubberBandTime(400), 4 * rubberBandTime(200));
        QCOMPARE(rubberBandTime(-200), rubberBandTime(200));
        // The default is a short flicker.
        QVERIFY(rubberBandTime(200) >= microseconds(5000));
        QVERIFY(rubberBandTime(200) <= microseconds(100000));
        QVERIFY(rubberBandTime(std::numeric_limits<std::int32_t>::max()) <= microseconds(500000));
        QVERIFY(rubberBandTime(std::numeric_limits<std::int32_t>::min()) <= microseconds(500000));
    }

    void resetPlacement()
    {
        Bench b;
        b.state.sizingPressed = 1;
        mousesizing::resetPlacement(b.state);
        QVERIFY(b.isDefault());
    }
};

QTEST_APPLESS_MAIN(TestMouseSizing)
#include "test_mousesizing.moc"
