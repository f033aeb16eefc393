// SPDX-License-Identifier: GPL-3.0-or-later
#include "autorun.h"
#include "controlpanel.h"
#include "counterwalk.h"
#include "curve.h"
#include "datatable.h"
#include "drawingrun.h"
#include "enginefakes.h"
#include "mousesizing.h"

#include <QTest>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

namespace {

using I = ParameterTexts;
using Log = EngineLog;

constexpr std::uint64_t seed = 20240607;
constexpr std::int32_t highest = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t lowest = std::numeric_limits<std::int32_t>::min();

// Both frequencies given: a drawing that needs no random number.
ParameterTexts fixedFigure()
{
    ParameterTexts t;
    t[I::XAmp] = "0,5";
    t[I::XFreq] = "3";
    t[I::XRot] = "10";
    return t;
}

// One window with its state, surface and generator.
struct Bench {
    FormState state;
    Log log;
    FakeCanvas canvas{log};
    FakeHost host{log, canvas};
    RandomSource random{seed};

    Bench()
    {
        host.texts = fixedFigure();
        state.foregroundColor = colors::white;
        state.backgroundColor = colors::black;
    }

    void draw() { DrawingRun(state, host, canvas, random).run(); }
    void autoRun() { autorun::click(state, host, canvas, random); }
    // "Stop Draw" pressed while the k-th yield handles events.
    void stopAt(int k)
    {
        host.atYield[k] = [this] { autorun::click(state, host, canvas, random); };
    }

    CurveParameters figure(const ParameterTexts &t, RandomSource &generator) const
    {
        CurveParameters p = curve::readCurveParameters(t);
        curve::completeCurveParameters(p, host.width, host.height, state.prefs.placement.drawPartX, state.prefs.placement.drawPartY,
                                       generator);
        return p;
    }
    CurveParameters fixed() const
    {
        RandomSource unused(0);
        return figure(host.texts, unused);
    }

    // Points set before the k-th yield (counting from 1).
    long long pointsBeforeYield(int k) const { return log.of(Log::ProcessEvents).at(k - 1).value; }
};

// The run may compute its points four at a time, which differs from the
// one-point formula by rounding in the last digits only; a wrong counter value
// or placement is off by far more than a hundredth of a twip.
bool samePoint(const CurvePointF &a, const CurvePointF &b)
{
    return std::fabs(a.x - b.x) <= 0.01f && std::fabs(a.y - b.y) <= 0.01f;
}

// Index of the first mismatch between the recorded points from `first` on and
// the figure's points at n = 0, step, 2 step, ...; -1 when all match.
long long firstMismatch(const std::vector<CurvePointF> &points, std::size_t first, std::size_t count,
                        const CurveParameters &p, std::int64_t step, std::int32_t left = 50,
                        std::int32_t top = 50)
{
    for (std::size_t i = 0; i < count; ++i) {
        const auto n = static_cast<std::int32_t>(static_cast<std::int64_t>(i) * step);
        if (!samePoint(points.at(first + i), curve::curvePoint(p, n, left, top)))
            return static_cast<long long>(i);
    }
    return -1;
}

bool drewExactly(RandomSource &used, int draws)
{
    RandomSource fresh(seed);
    for (int i = 0; i < draws; ++i)
        fresh.next();
    return used.next() == fresh.next();
}

std::vector<Log::Kind> kinds(const std::vector<Log::Entry> &entries, std::size_t from, std::size_t count)
{
    std::vector<Log::Kind> k;
    for (std::size_t i = from; i < from + count && i < entries.size(); ++i)
        k.push_back(entries[i].kind);
    return k;
}

std::vector<long long> values(const std::vector<Log::Entry> &entries)
{
    std::vector<long long> v;
    for (const Log::Entry &e : entries)
        v.push_back(e.value);
    return v;
}

// What is wrong with the progress bar of one drawing as the canvas fake saw
// it: a line clears the bar's row below the panel, from the panel's left edge
// on, before any mark is set; then every mark lies on that row, inside the
// part that was cleared and within the panel's width, and none lies left of
// the one before. Empty when nothing is wrong.
QString progressBarFault(const Bench &b)
{
    const auto clearings = b.log.of(Log::Line);
    const auto marks = b.log.of(Log::Pset);
    if (clearings.size() != 1)
        return QStringLiteral("the bar was cleared %1 times").arg(clearings.size());
    const Log::Entry &clearing = clearings.front();
    if (clearing.y1 != clearing.y2)
        return QStringLiteral("the clearing is not one row");
    if (!(clearing.y1 > b.host.panelHeightValue))
        return QStringLiteral("the clearing at %1 is not below the panel").arg(clearing.y1);
    if (clearing.x1 < b.host.left || clearing.x2 < clearing.x1)
        return QStringLiteral("the clearing from %1 to %2 does not start at the panel's left edge")
            .arg(clearing.x1)
            .arg(clearing.x2);
    const auto firstMark = std::find_if(b.log.entries.begin(), b.log.entries.end(),
                                        [](const Log::Entry &e) { return e.kind == Log::Pset; });
    const auto firstClearing = std::find_if(b.log.entries.begin(), b.log.entries.end(),
                                            [](const Log::Entry &e) { return e.kind == Log::Line; });
    if (firstMark < firstClearing)
        return QStringLiteral("a mark was set before the bar was cleared");
    const double panelRight = b.host.left + ControlPanel::widthTwips;
    for (std::size_t k = 0; k < marks.size(); ++k) {
        const Log::Entry &mark = marks[k];
        const QString where = QStringLiteral("mark %1 at (%2, %3)").arg(k).arg(mark.x1).arg(mark.y1);
        if (mark.y1 != clearing.y1)
            return where + QStringLiteral(" is not on the bar's row %1").arg(clearing.y1);
        if (mark.x1 < clearing.x1 || mark.x1 > clearing.x2)
            return where + QStringLiteral(" is outside the cleared part");
        if (mark.x1 < b.host.left || mark.x1 >= panelRight)
            return where + QStringLiteral(" is outside the panel's width");
        if (k > 0 && mark.x1 < marks[k - 1].x1)
            return where + QStringLiteral(" lies left of the mark before");
    }
    return {};
}

// Where the marks of a bar stop advancing by equal steps; empty when every
// step forward is the same, as it is for checkpoints at equal distances.
QString unevenSteps(const std::vector<Log::Entry> &marks)
{
    if (marks.size() < 2)
        return {};
    const double first = marks[1].x1 - marks[0].x1;
    if (!(first > 0))
        return QStringLiteral("the bar does not advance");
    for (std::size_t k = 2; k < marks.size(); ++k)
        if (std::fabs((marks[k].x1 - marks[k - 1].x1) - first) > 0.01)
            return QStringLiteral("step %1 is %2, the first %3")
                .arg(k)
                .arg(marks[k].x1 - marks[k - 1].x1)
                .arg(first);
    return {};
}

} // namespace

class TestDrawingRun : public QObject {
    Q_OBJECT
private slots:
    void defaultsDrawOneTurn()
    {
        Bench b;
        int badYields = 0;
        b.host.everyYield = [&] {
            if (b.host.drawEnabled || !b.host.running || b.state.drawingActive != 1)
                ++badYields;
        };
        b.draw();

        QCOMPARE(b.canvas.pointCount, std::size_t(62833));
        QCOMPARE(b.host.yields, 629);
        QCOMPARE(badYields, 0);
        QCOMPARE(firstMismatch(b.canvas.points, 0, 62833, b.fixed(), 100), -1LL);
        for (int k = 1; k <= 629; ++k)
            QCOMPARE(b.pointsBeforeYield(k), (k - 1) * 100LL);

        // The bar below the panel is cleared in the background colour, then
        // gets one mark in the pen's colour per checkpoint, advancing evenly
        // over most of the panel's width.
        const QString barFault = progressBarFault(b);
        QVERIFY2(barFault.isEmpty(), qPrintable(barFault));
        QCOMPARE(b.log.of(Log::Line).front().color, colors::black);
        const auto bar = b.log.of(Log::Pset);
        QCOMPARE(bar.size(), std::size_t(629));
        for (const Log::Entry &mark : bar)
            QCOMPARE(mark.color, colors::white);
        const QString uneven = unevenSteps(bar);
        QVERIFY2(uneven.isEmpty(), qPrintable(uneven));
        QVERIFY2(bar.back().x1 - bar.front().x1 > 0.9 * ControlPanel::widthTwips,
                 qPrintable(QStringLiteral("the bar spans %1").arg(bar.back().x1 - bar.front().x1)));

        const std::vector<Log::Kind> start{Log::SetRunning, Log::Line, Log::SetDrawEnabled,
                                           Log::Clean,      Log::Pset, Log::ProcessEvents,
                                           Log::PsetMany};
        QCOMPARE(kinds(b.log.entries, 0, start.size()), start);
        const std::size_t size = b.log.entries.size();
        const std::vector<Log::Kind> end{Log::PsetMany, Log::SetRunning, Log::SetDrawEnabled};
        QCOMPARE(kinds(b.log.entries, size - 3, 3), end);
        QCOMPARE(values(b.log.of(Log::SetRunning)), (std::vector<long long>{1, 0}));
        QCOMPARE(values(b.log.of(Log::SetDrawEnabled)), (std::vector<long long>{0, 1}));
        QCOMPARE(b.log.count(Log::Clean), std::size_t(1));
        QCOMPARE(b.log.count(Log::SetBackColor), std::size_t(0));
        QCOMPARE(b.log.count(Log::Wait), std::size_t(0));
        QCOMPARE(b.log.count(Log::EmptyField), std::size_t(0));
        QCOMPARE(b.state.drawingActive, std::int16_t(0));
        QCOMPARE(b.state.stopRequested, std::int16_t(0));
        QVERIFY(b.host.drawEnabled);
        QVERIFY(!b.host.running);
        QVERIFY(drewExactly(b.random, 0));
    }

    void counterEnd_data()
    {
        QTest::addColumn<float>("turns");
        QTest::addColumn<int>("expected");
        QTest::newRow("one") << 1.0f << 6283200;
        QTest::newRow("two") << 2.0f << 12566400;
        QTest::newRow("half") << 0.5f << 3141600;
        QTest::newRow("negative") << -1.0f << -6283200;
        QTest::newRow("zero") << 0.0f << 0;
        QTest::newRow("largest that fits") << 341.0f << 2142571200;
        QTest::newRow("just beyond") << 342.0f << highest;
        QTest::newRow("huge") << 1e9f << highest;
        QTest::newRow("huge negative") << -1e9f << lowest;
        QTest::newRow("infinite") << std::numeric_limits<float>::infinity() << highest;
        QTest::newRow("not a number") << std::numeric_limits<float>::quiet_NaN() << 0;
    }
    void counterEnd()
    {
        QFETCH(float, turns);
        QFETCH(int, expected);
        QCOMPARE(DrawingRun::counterEnd(turns), expected);
    }

    void counterStep_data()
    {
        QTest::addColumn<double>("stepSize");
        QTest::addColumn<int>("expected");
        QTest::newRow("default") << 100.0 << 100;
        QTest::newRow("half to even down") << 2.5 << 2;
        QTest::newRow("half to even up") << 3.5 << 4;
        QTest::newRow("negative half") << -2.5 << -2;
        QTest::newRow("huge") << 1e12 << highest;
        QTest::newRow("huge negative") << -1e12 << lowest;
        QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << 0;
    }
    void counterStep()
    {
        QFETCH(double, stepSize);
        QFETCH(int, expected);
        QCOMPARE(DrawingRun::counterStep(stepSize), expected);
    }

    // Batches end before the next checkpoint, after the batch limit or at the
    // walk's end, as walking the counter one value at a time finds them.
    void counterWalkBatches_data()
    {
        QTest::addColumn<long long>("end");
        QTest::addColumn<long long>("step");
        QTest::addColumn<long long>("spacing");
        QTest::newRow("default") << 6283200LL << 100LL << 10000LL;
        QTest::newRow("step 7") << 7539840LL << 7LL << 10000LL;
        QTest::newRow("step 300") << 6283200LL << 300LL << 10000LL;
        QTest::newRow("step 333") << 6283200LL << 333LL << 10000LL;
        QTest::newRow("step 4096") << 62832000LL << 4096LL << 10000LL;
        QTest::newRow("step 12345") << 62832000LL << 12345LL << 10000LL;
        QTest::newRow("step a multiple of the spacing") << 6283200LL << 20000LL << 10000LL;
        QTest::newRow("backwards") << -6283200LL << -93LL << 10000LL;
        QTest::newRow("backwards past the range") << -1LL * highest - 100 << -333333333LL << 10000LL;
        QTest::newRow("past the range") << 1LL * highest + 100 << 444444444LL << 10000LL;
        QTest::newRow("end between two values") << 1000050LL << 100LL << 10000LL;
        QTest::newRow("cycle beyond the limit") << 6283200LL << 3LL << 100003LL;
        QTest::newRow("end at 0") << 0LL << 100LL << 10000LL;
    }
    void counterWalkBatches()
    {
        QFETCH(long long, end);
        QFETCH(long long, step);
        QFETCH(long long, spacing);
        const CounterWalk walk(end, step, spacing);
        std::int64_t n = 0;
        std::uint64_t points = 0;
        while (walk.inRange(n)) {
            std::size_t expected = 1;
            std::int64_t after = n + step;
            while (expected < CounterWalk::batchLimit && after % spacing != 0 && walk.inRange(after)) {
                ++expected;
                after += step;
            }
            std::int64_t next = 0;
            QCOMPARE(walk.batchAt(n, next), expected);
            QCOMPARE(next, after);
            points += expected;
            n = next;
        }
        QCOMPARE(points, walk.pointCount());
    }

    void checkpoints_data()
    {
        QTest::addColumn<double>("stepSize");
        QTest::addColumn<float>("turns");
        QTest::addColumn<long long>("points");
        QTest::addColumn<int>("checkpoints");
        QTest::addColumn<long long>("between");
        QTest::newRow("default") << 100.0 << 1.0f << 62833LL << 629 << 100LL;
        QTest::newRow("two turns") << 100.0 << 2.0f << 125665LL << 1257 << 100LL;
        QTest::newRow("step 300") << 300.0 << 1.0f << 20945LL << 210 << 100LL;
        QTest::newRow("step 7") << 7.0 << 1.0f << 897601LL << 90 << 10000LL;
        QTest::newRow("step 333") << 333.0 << 1.0f << 18869LL << 2 << 10000LL;
        QTest::newRow("step 10000") << 10000.0 << 1.0f << 629LL << 629 << 1LL;
        QTest::newRow("step 2.5 rounds to 2") << 2.5 << 1.0f << 3141601LL << 629 << 5000LL;
        QTest::newRow("step 3.5 rounds to 4") << 3.5 << 1.0f << 1570801LL << 629 << 2500LL;
        QTest::newRow("backwards") << -100.0 << -1.0f << 62833LL << 629 << 100LL;
        QTest::newRow("whole turn") << 6283200.0 << 1.0f << 2LL << 1 << 0LL;
    }
    void checkpoints()
    {
        QFETCH(double, stepSize);
        QFETCH(float, turns);
        QFETCH(long long, points);
        QFETCH(int, checkpoints);
        QFETCH(long long, between);
        Bench b;
        b.canvas.keepPoints = points <= 200000;
        b.state.prefs.stepSize = stepSize;
        b.state.prefs.turns = turns;
        b.draw();
        QCOMPARE(static_cast<long long>(b.canvas.pointCount), points);
        QCOMPARE(b.host.yields, checkpoints);
        for (int k = 2; k <= checkpoints; ++k)
            QCOMPARE(b.pointsBeforeYield(k) - b.pointsBeforeYield(k - 1), between);
        const auto bar = b.log.of(Log::Pset);
        QCOMPARE(bar.size(), std::size_t(checkpoints));
        const QString barFault = progressBarFault(b);
        QVERIFY2(barFault.isEmpty(), qPrintable(barFault));
        const QString uneven = unevenSteps(bar);
        QVERIFY2(uneven.isEmpty(), qPrintable(uneven));
        const std::int64_t step = DrawingRun::counterStep(stepSize);
        if (b.canvas.keepPoints)
            QCOMPARE(firstMismatch(b.canvas.points, 0, b.canvas.pointCount, b.fixed(), step), -1LL);
        // Whatever the turns and the step, a drawing whose last checkpoint
        // ends its last turn, as one does when the step divides the
        // checkpoints' distance, leaves the bar where one plain turn does.
        if (drawing::checkpointSpacing % std::max<std::int64_t>(std::abs(step), 1) == 0 && checkpoints > 1) {
            Bench plain;
            plain.draw();
            QCOMPARE(bar.back().x1, plain.log.of(Log::Pset).back().x1);
            QCOMPARE(bar.front().x1, plain.log.of(Log::Pset).front().x1);
        }
        QCOMPARE(b.state.drawingActive, std::int16_t(0));
    }

    // Long drawings for an idle host have their points computed ahead on a
    // second thread; points, colours, batches and checkpoints stay as the
    // run computes them alone.
    void pointsAheadChangeNothing_data()
    {
        QTest::addColumn<double>("stepSize");
        QTest::addColumn<float>("turns");
        QTest::addColumn<int>("randomColors");
        QTest::addColumn<int>("stopAt");
        QTest::addColumn<int>("endAt");

        // 16 turns at step 100 are 1,005,313 points, just over the threshold.
        QTest::newRow("just over, new pen at checkpoints") << 100.0 << 16.0f << 1 << 0 << 0;
        QTest::newRow("random colours once") << 100.0 << 16.0f << 2 << 0 << 0;
        QTest::newRow("stopped at a checkpoint") << 100.0 << 16.0f << 3 << 4321 << 0;
        QTest::newRow("program ended at a checkpoint") << 100.0 << 16.0f << 1 << 0 << 77;
        QTest::newRow("odd step, full batches") << 7.0 << 1.2f << 1 << 0 << 0;
        QTest::newRow("backwards") << -93.0 << -15.0f << 1 << 0 << 0;
    }

    void pointsAheadChangeNothing()
    {
        QFETCH(double, stepSize);
        QFETCH(float, turns);
        QFETCH(int, randomColors);
        QFETCH(int, stopAt);
        QFETCH(int, endAt);
        Bench alone;
        Bench ahead;
        ahead.host.idle = true;
        for (Bench *b : {&alone, &ahead}) {
            b->state.prefs.stepSize = stepSize;
            b->state.prefs.turns = turns;
            b->state.prefs.randomColors = static_cast<std::int16_t>(randomColors);
            if (stopAt)
                b->stopAt(stopAt);
            if (endAt)
                b->host.atYield[endAt] = [b] { b->log.programEnded = true; };
            b->draw();
        }
        const std::uint64_t expected = DrawingRun::counterEnd(turns) / DrawingRun::counterStep(stepSize) + 1;
        if (!stopAt && !endAt)
            QCOMPARE(alone.canvas.pointCount, expected);
        QVERIFY(expected > drawing::pointsAheadFrom);
        QCOMPARE(ahead.canvas.pointCount, alone.canvas.pointCount);
        QCOMPARE(ahead.host.yields, alone.host.yields);
        QCOMPARE(ahead.log.callsAfterEnd, 0);
        QCOMPARE(ahead.log.entries.size(), alone.log.entries.size());
        for (std::size_t i = 0; i < alone.log.entries.size(); ++i) {
            const Log::Entry &a = alone.log.entries[i];
            const Log::Entry &b = ahead.log.entries[i];
            QVERIFY2(a.kind == b.kind && a.value == b.value && a.color == b.color,
                     qPrintable(QString("log entry %1 differs").arg(i)));
        }
        // Bit for bit, so that points that are not a number count too.
        const auto &points = alone.canvas.points;
        QCOMPARE(ahead.canvas.points.size(), points.size());
        QCOMPARE(std::memcmp(ahead.canvas.points.data(), points.data(), points.size() * sizeof(CurvePointF)),
                 0);
        QVERIFY(ahead.canvas.pointColors == alone.canvas.pointColors);
    }

    // Drawings without a checkpoint and no pause would give "Stop Draw" no
    // chance: the automatic run must still hand control to the window.
    void autoRunWithoutCheckpointsCanBeStopped_data()
    {
        QTest::addColumn<int>("delay");
        QTest::addColumn<int>("stopAt");
        QTest::addColumn<int>("drawings");
        QTest::newRow("no pause") << 0 << 3 << 3;
        QTest::newRow("pause of 4") << 4 << 6 << 2;
    }
    void autoRunWithoutCheckpointsCanBeStopped()
    {
        QFETCH(int, delay);
        QFETCH(int, stopAt);
        QFETCH(int, drawings);
        Bench b;
        b.state.prefs.turns = -1;
        b.state.prefs.autoRunDelay = delay;
        b.stopAt(stopAt);
        // A run that never yields is broken off instead of hanging the test.
        struct NeverYields {};
        b.host.afterClean = [&] {
            if (b.log.count(Log::Clean) > 1000)
                throw NeverYields{};
        };
        bool neverYields = false;
        try {
            b.autoRun();
        } catch (const NeverYields &) {
            neverYields = true;
        }
        QVERIFY(!neverYields);
        QCOMPARE(b.host.yields, stopAt);
        QCOMPARE(b.log.count(Log::Clean), std::size_t(drawings));
        QCOMPARE(b.canvas.pointCount, std::size_t(0));
        QCOMPARE(b.state.drawingActive, std::int16_t(0));
        QCOMPARE(b.state.autoRunActive, std::int16_t(0));
    }

    void stepZeroRepeatsFirstPointUntilStopped()
    {
        Bench b;
        b.state.prefs.stepSize = 0;
        b.stopAt(50);
        b.draw();
        QCOMPARE(b.host.yields, 50);
        QCOMPARE(b.canvas.pointCount, std::size_t(49));
        const CurvePointF first = curve::curvePoint(b.fixed(), 0, 50, 50);
        for (const CurvePointF &p : b.canvas.points)
            QVERIFY(samePoint(p, first));
        for (int k = 1; k <= 50; ++k)
            QCOMPARE(b.pointsBeforeYield(k), k - 1LL);
        QCOMPARE(b.state.drawingActive, std::int16_t(0));
    }

    // A drawing of its own, stopped or not, never pauses.
    void stopAtCheckpoint_data()
    {
        oneColumnTable<int>(
            "k",
            {{"first", 1}, {"second", 2}, {"tenth", 10}, {"middle", 300}, {"last", 629}, {"not stopped", 0}});
    }
    void stopAtCheckpoint()
    {
        QFETCH(int, k);
        Bench b;
        b.state.prefs.autoRunDelay = 5;
        if (k > 0)
            b.stopAt(k);
        b.draw();
        QCOMPARE(b.host.yields, k > 0 ? k : 629);
        QCOMPARE(b.canvas.pointCount, k > 0 ? std::size_t(k - 1) * 100 : std::size_t(62833));
        QCOMPARE(b.host.waits, 0);
        QCOMPARE(b.log.count(Log::Wait), std::size_t(0));
        QCOMPARE(b.log.count(Log::EmptyField), std::size_t(0));
        QCOMPARE(b.log.count(Log::Clean), std::size_t(1));
        QCOMPARE(values(b.log.of(Log::SetRunning)), (std::vector<long long>{1, 0}));
        QCOMPARE(b.state.drawingActive, std::int16_t(0));
        QCOMPARE(b.state.autoRunActive, std::int16_t(0));
        QCOMPARE(b.state.stopRequested, std::int16_t(0));
        QVERIFY(b.host.drawEnabled);
    }

    void randomColors_data()
    {
        oneColumnTable<int>("r", {{"none", 0},
                                  {"negative", -1},
                                  {"pen at checkpoints", 1},
                                  {"background and pen", 2},
                                  {"background, pen, pen at checkpoints", 3},
                                  {"background", 4},
                                  {"background, pen at checkpoints", 5},
                                  {"background only above", 6},
                                  {"odd above", 7}});
    }
    void randomColors()
    {
        QFETCH(int, r);
        Bench b;
        b.state.prefs.randomColors = static_cast<std::int16_t>(r);
        b.draw();

        RandomSource replica(seed);
        int draws = 0;
        colors::Color background = -1;
        colors::Color pen = colors::white;
        if (r > 1) {
            background = drawing::randomColor(replica);
            draws += 3;
            if (r < 4) {
                pen = drawing::randomColor(replica);
                draws += 3;
            }
        }
        const auto backs = b.log.of(Log::SetBackColor);
        QCOMPARE(backs.size(), std::size_t(r > 1 ? 1 : 0));
        if (r > 1) {
            QCOMPARE(backs[0].color, background);
            // The random background comes after the Clean of the drawing.
            std::size_t clean = 0, back = 0;
            for (std::size_t i = 0; i < b.log.entries.size(); ++i) {
                if (b.log.entries[i].kind == Log::Clean)
                    clean = i;
                if (b.log.entries[i].kind == Log::SetBackColor)
                    back = i;
            }
            QVERIFY(clean < back);
        }

        const bool penAtCheckpoints = r > 0 && r % 2 == 1;
        const auto bar = b.log.of(Log::Pset);
        QCOMPARE(bar.size(), std::size_t(629));
        for (std::size_t k = 0; k < 629; ++k) {
            if (penAtCheckpoints) {
                pen = drawing::randomColor(replica);
                draws += 3;
            }
            QCOMPARE(bar[k].color, pen);
            const std::size_t first = k * 100;
            const std::size_t last = std::min<std::size_t>(first + 100, 62833);
            for (std::size_t i = first; i < last; ++i)
                QCOMPARE(b.canvas.pointColors[i], pen);
        }
        QCOMPARE(b.state.foregroundColor, pen);
        QCOMPARE(b.state.backgroundColor, colors::black);
        QVERIFY(drewExactly(b.random, draws));
        if (penAtCheckpoints) {
            // The pen really changes along the drawing.
            QVERIFY(b.canvas.pointColors.front() != b.canvas.pointColors.back());
        }
    }

    // Without a pause an automatic run goes straight on to its next drawing,
    // cleaning before each only when AutoClean is 1.
    void autoRunSecondDrawing_data()
    {
        QTest::addColumn<double>("autoClean");
        QTest::addColumn<int>("delay");
        QTest::addColumn<int>("cleans");
        QTest::newRow("AutoClean on") << 1.0 << 0 << 2;
        QTest::newRow("AutoClean two") << 2.0 << 0 << 0;
        QTest::newRow("AutoClean off") << 0.0 << 0 << 0;
        QTest::newRow("AutoClean negative") << -1.0 << 0 << 0;
        QTest::newRow("negative delay") << 1.0 << -3 << 2;
    }
    void autoRunSecondDrawing()
    {
        QFETCH(double, autoClean);
        QFETCH(int, delay);
        QFETCH(int, cleans);
        Bench b;
        b.state.autoClean = autoClean;
        b.state.prefs.autoRunDelay = delay;
        b.stopAt(629 + 10);
        b.autoRun();
        QCOMPARE(b.host.waits, 0);
        QCOMPARE(b.canvas.pointCount, std::size_t(62833 + 900));
        const auto done = b.log.of(Log::Clean);
        QCOMPARE(done.size(), std::size_t(cleans));
        if (cleans == 2) {
            QCOMPARE(done[0].value, 0LL);
            QCOMPARE(done[1].value, 62833LL);
        }
    }

    void autoRunDrawsRandomFigures_data()
    {
        oneColumnTable<QString>("xPwr1", {{"all fields empty", ""}, {"X pwr1 3", "3"}});
    }
    void autoRunDrawsRandomFigures()
    {
        QFETCH(QString, xPwr1);
        Bench b;
        b.host.texts = ParameterTexts{};
        b.host.texts[I::XPwr1] = xPwr1.toStdString();
        const ParameterTexts typed = b.host.texts;
        b.stopAt(629 * 3 + 5);
        b.autoRun();

        QCOMPARE(values(b.log.of(Log::EmptyField)),
                 (std::vector<long long>{I::XAmp, I::XFreq, I::YAmp, I::YFreq}));
        QCOMPARE(b.log.entries.at(4).kind, Log::SetRunning);
        QCOMPARE(b.log.count(Log::Clean), std::size_t(4));
        QCOMPARE(b.canvas.pointCount, std::size_t(3 * 62833 + 400));
        QCOMPARE(b.state.autoRunActive, std::int16_t(0));
        QCOMPARE(b.state.drawingActive, std::int16_t(0));
        QCOMPARE(b.state.stopRequested, std::int16_t(0));
        QVERIFY(b.host.drawEnabled);
        QVERIFY(b.host.texts[I::XAmp].empty() && b.host.texts[I::YFreq].empty());
        QCOMPARE(b.host.texts[I::XPwr1], typed[I::XPwr1]);

        // Each drawing is the next random figure of the generator.
        RandomSource replica(seed);
        std::vector<CurveParameters> figures;
        for (int d = 0; d < 4; ++d) {
            figures.push_back(b.figure(typed, replica));
            QCOMPARE(figures.back().allPowersOne, xPwr1.isEmpty());
            const std::size_t count = d < 3 ? 62833 : 400;
            QCOMPARE(firstMismatch(b.canvas.points, d * 62833, count, figures.back(), 100), -1LL);
        }
        QVERIFY(drewExactly(b.random, 8));
        for (int d = 0; d < 4; ++d) {
            for (int e = d + 1; e < 4; ++e) {
                bool differ = false;
                for (std::size_t i = 0; i < 400 && !differ; ++i)
                    differ = !samePoint(b.canvas.points[d * 62833 + i], b.canvas.points[e * 62833 + i]);
                QVERIFY(differ);
            }
        }
    }

    void autoRunPauseYieldsDelayTimes()
    {
        Bench b;
        b.state.prefs.autoRunDelay = 5;
        b.stopAt(629 + 5 + 629 + 5 + 1);
        b.autoRun();
        QCOMPARE(b.log.count(Log::Clean), std::size_t(3));
        QCOMPARE(b.canvas.pointCount, std::size_t(2 * 62833));
        QCOMPARE(b.host.waits, 10);
        for (const Log::Entry &wait : b.log.of(Log::Wait))
            QCOMPARE(wait.value, static_cast<long long>(DrawingRun::pauseRound(5).count()));

        // Between the last checkpoint of a drawing and the next drawing:
        // five rounds of a wait and a yield.
        std::vector<std::size_t> yields;
        for (std::size_t i = 0; i < b.log.entries.size(); ++i)
            if (b.log.entries[i].kind == Log::ProcessEvents)
                yields.push_back(i);
        for (const int lastCheckpoint : {629, 629 + 5 + 629}) {
            const std::size_t from = yields.at(lastCheckpoint - 1) + 1;
            std::size_t i = from;
            while (b.log.entries.at(i).kind == Log::PsetMany)
                ++i;
            const std::vector<Log::Kind> pause{Log::Wait, Log::ProcessEvents, Log::Wait, Log::ProcessEvents,
                                               Log::Wait, Log::ProcessEvents, Log::Wait, Log::ProcessEvents,
                                               Log::Wait, Log::ProcessEvents, Log::Line};
            QCOMPARE(kinds(b.log.entries, i, pause.size()), pause);
        }
    }

    void stopDuringPauseEndsRun()
    {
        Bench b;
        b.state.prefs.autoRunDelay = 5;
        b.stopAt(629 + 2);
        b.autoRun();
        QCOMPARE(b.log.count(Log::Clean), std::size_t(1));
        QCOMPARE(b.canvas.pointCount, std::size_t(62833));
        QVERIFY(b.host.waits >= 2 && b.host.waits <= 5);
        QCOMPARE(b.state.drawingActive, std::int16_t(0));
        QCOMPARE(b.state.autoRunActive, std::int16_t(0));
        // Only the next drawing clears the request.
        QCOMPARE(b.state.stopRequested, std::int16_t(1));
        QCOMPARE(values(b.log.of(Log::SetRunning)), (std::vector<long long>{1, 0}));
        QVERIFY(b.host.drawEnabled);
        b.host.texts = fixedFigure();
        b.draw();
        QCOMPARE(b.canvas.pointCount, std::size_t(2 * 62833));
        QCOMPARE(b.state.stopRequested, std::int16_t(0));
    }

    void pauseRound()
    {
        using std::chrono::microseconds;
        QCOMPARE(DrawingRun::pauseRound(0), microseconds(0));
        QCOMPARE(DrawingRun::pauseRound(-5), microseconds(0));
        QCOMPARE(DrawingRun::pauseRound(lowest), microseconds(0));
        // The whole pause is autoRunDelay rounds; a longer delay always
        // means a longer pause.
        const auto pause = [](std::int32_t delay) { return delay * DrawingRun::pauseRound(delay); };
        for (std::int32_t d = 0; d < 3000; ++d)
            QVERIFY2(pause(d + 1) > pause(d), QByteArray::number(d).constData());
        for (std::int32_t d : {10000, 100000, 1000000, 100000000})
            QVERIFY(pause(2 * d) > pause(d));
        QVERIFY(pause(1000) > microseconds(10000));
        QVERIFY(pause(1000) < microseconds(1000000));
        QVERIFY(pause(highest) > pause(highest - 1));
    }

    // Once the program has ended nothing reaches the window any more.
    void programEnds_data()
    {
        QTest::addColumn<bool>("autoRun");
        QTest::addColumn<int>("delay");
        QTest::addColumn<bool>("stopFirst");
        QTest::addColumn<int>("atYield");
        QTest::addColumn<int>("waits");
        QTest::addColumn<long long>("points");
        QTest::newRow("during a drawing") << false << 0 << false << 3 << 0 << 200LL;
        QTest::newRow("with a stop pending") << true << 0 << true << 3 << 0 << 200LL;
        QTest::newRow("during the pause") << true << 5 << false << 629 + 2 << 2 << 62833LL;
    }
    void programEnds()
    {
        QFETCH(bool, autoRun);
        QFETCH(int, delay);
        QFETCH(bool, stopFirst);
        QFETCH(int, atYield);
        QFETCH(int, waits);
        QFETCH(long long, points);
        Bench b;
        b.state.prefs.autoRunDelay = delay;
        b.host.atYield[atYield] = [&] {
            if (stopFirst)
                autorun::click(b.state, b.host, b.canvas, b.random);
            b.log.programEnded = true;
        };
        if (autoRun)
            b.autoRun();
        else
            b.draw();
        QCOMPARE(b.log.callsAfterEnd, 0);
        QCOMPARE(b.host.yields, atYield);
        QCOMPARE(b.host.waits, waits);
        QCOMPARE(static_cast<long long>(b.canvas.pointCount), points);
        QCOMPARE(b.log.count(Log::Clean), std::size_t(1));
        QCOMPARE(values(b.log.of(Log::SetRunning)), (std::vector<long long>{1}));
    }

    void hugeTurnsStopAtFirstCheckpoint()
    {
        Bench b;
        b.state.prefs.turns = 1e9f;
        b.state.prefs.stepSize = 1;
        b.stopAt(2);
        b.draw();
        QCOMPARE(b.host.yields, 2);
        QCOMPARE(b.canvas.pointCount, std::size_t(10000));
        QCOMPARE(firstMismatch(b.canvas.points, 0, 10000, b.fixed(), 1), -1LL);
        // Of a billion turns the first checkpoints hardly move the bar.
        const auto bar = b.log.of(Log::Pset);
        QCOMPARE(bar.size(), std::size_t(2));
        const QString barFault = progressBarFault(b);
        QVERIFY2(barFault.isEmpty(), qPrintable(barFault));
        QVERIFY(bar[1].x1 - bar[0].x1 < 0.01f);
        QCOMPARE(b.canvas.nonFinite, 0);
        QCOMPARE(b.state.drawingActive, std::int16_t(0));
    }

    // Runs that end at or before their first checkpoint.
    void shortRuns_data()
    {
        QTest::addColumn<double>("stepSize");
        QTest::addColumn<float>("turns");
        QTest::addColumn<std::vector<int>>("counters");
        QTest::newRow("huge step") << 1e12 << 1.0f << std::vector<int>{0};
        QTest::newRow("huge step, huge turns") << 1e12 << 1e9f << std::vector<int>{0, highest};
        QTest::newRow("huge negative step") << -1e12 << -1.0f << std::vector<int>{0};
        QTest::newRow("huge negative step, huge turns") << -1e12 << -1e9f << std::vector<int>{0, lowest};
        QTest::newRow("huge negative step, positive turns") << -1e12 << 1.0f << std::vector<int>{};
        QTest::newRow("huge step, negative turns") << 1e12 << -1.0f << std::vector<int>{};
        QTest::newRow("half the range") << 1073741824.0 << 1e9f << std::vector<int>{0, 1073741824};
        QTest::newRow("largest step") << 2147483647.0 << 1e9f << std::vector<int>{0, highest};
        QTest::newRow("zero turns") << 100.0 << 0.0f << std::vector<int>{0};
        QTest::newRow("negative turns") << 100.0 << -1.0f << std::vector<int>{};
    }
    void shortRuns()
    {
        QFETCH(double, stepSize);
        QFETCH(float, turns);
        QFETCH(std::vector<int>, counters);
        Bench b;
        b.state.prefs.stepSize = stepSize;
        b.state.prefs.turns = turns;
        b.draw();
        QCOMPARE(b.canvas.pointCount, counters.size());
        const CurveParameters p = b.fixed();
        for (std::size_t i = 0; i < counters.size(); ++i)
            QVERIFY(samePoint(b.canvas.points[i], curve::curvePoint(p, counters[i], 50, 50)));
        QCOMPARE(b.host.yields, counters.empty() ? 0 : 1);
        // No progress bar point without a checkpoint.
        QVERIFY(b.log.count(Log::Pset) <= std::size_t(b.host.yields));
        QCOMPARE(b.canvas.nonFinite, 0);
        QCOMPARE(b.state.drawingActive, std::int16_t(0));
        QCOMPARE(values(b.log.of(Log::SetRunning)), (std::vector<long long>{1, 0}));
        QVERIFY(b.host.drawEnabled);
    }

    void changesAtYieldReachFollowingPoints()
    {
        Bench b;
        b.host.atYield[3] = [&] {
            b.state.foregroundColor = 0x123456;
            b.state.prefs.placement.drawLeftOffset = 1000;
        };
        // A double click during the run puts the rest back at the default
        // origin at its release.
        b.host.atYield[5] = [&] {
            mousesizing::doubleClick(b.state);
            mousesizing::mouseUp(b.state, 10, 10, b.host.width, b.host.height);
        };
        b.draw();
        const CurveParameters p = b.fixed();
        QCOMPARE(firstMismatch(b.canvas.points, 0, 200, p, 100), -1LL);
        for (std::size_t i = 200; i < 400; ++i)
            QVERIFY(samePoint(b.canvas.points[i], curve::curvePoint(p, std::int32_t(i * 100), 1000, 50)));
        QCOMPARE(b.state.prefs.placement.drawLeftOffset, 50);
        for (std::size_t i = 400; i < 62833; ++i)
            QVERIFY(samePoint(b.canvas.points[i], curve::curvePoint(p, std::int32_t(i * 100), 50, 50)));
        QCOMPARE(b.canvas.pointColors[199], colors::white);
        QCOMPARE(b.canvas.pointColors[200], 0x123456);
        QCOMPARE(b.canvas.pointColors.back(), 0x123456);
        QCOMPARE(b.log.of(Log::Pset).back().color, 0x123456);
    }

    // Each random colour takes three numbers of the generator, one for each
    // component: every value from 0 to 255, both ends included, turns up
    // about equally often, and two components of a colour agree no more
    // often than chance has them.
    void randomColorComponents()
    {
        constexpr int colours = 10000;
        RandomSource random(seed);
        std::vector<int> seen[3] = {std::vector<int>(256), std::vector<int>(256), std::vector<int>(256)};
        double sum[3] = {};
        int alike[3] = {};
        for (int i = 0; i < colours; ++i) {
            const colors::Color c = drawing::randomColor(random);
            QVERIFY2(c >= 0 && c <= colors::white, qPrintable(QString::number(c)));
            const int components[3] = {int(c & 0xff), int((c >> 8) & 0xff), int((c >> 16) & 0xff)};
            for (int part = 0; part < 3; ++part) {
                ++seen[part][components[part]];
                sum[part] += components[part];
                alike[part] += components[part] == components[(part + 1) % 3];
            }
        }
        QCOMPARE(random.drawCount(), std::uint64_t(3 * colours));
        for (int part = 0; part < 3; ++part) {
            const auto never = std::find(seen[part].begin(), seen[part].end(), 0);
            QVERIFY2(
                never == seen[part].end(),
                qPrintable(
                    QStringLiteral("component %1 never took %2").arg(part).arg(never - seen[part].begin())));
            const double mean = sum[part] / colours;
            QVERIFY2(std::fabs(mean - 127.5) < 3,
                     qPrintable(QStringLiteral("component %1 averages %2").arg(part).arg(mean)));
            // By chance about once in 256 colours.
            QVERIFY2(alike[part] < colours / 100,
                     qPrintable(QStringLiteral("components %1 and %2 agree in %3 colours")
                                    .arg(part)
                                    .arg((part + 1) % 3)
                                    .arg(alike[part])));
        }
    }

    // The marks and the clearing follow the panel: moved with it, they keep
    // their places relative to its left edge and its bottom.
    void progressBarFollowsThePanel()
    {
        Bench usual;
        usual.draw();
        Bench moved;
        moved.host.left = 1000;
        moved.host.panelHeightValue = 3000;
        moved.draw();
        const QString barFault = progressBarFault(moved);
        QVERIFY2(barFault.isEmpty(), qPrintable(barFault));
        const float dx = float(moved.host.left - usual.host.left);
        const float dy = float(moved.host.panelHeightValue - usual.host.panelHeightValue);
        const auto before = usual.log.of(Log::Pset);
        const auto after = moved.log.of(Log::Pset);
        QCOMPARE(after.size(), before.size());
        for (std::size_t k = 0; k < after.size(); ++k) {
            QVERIFY2(std::fabs(after[k].x1 - (before[k].x1 + dx)) < 0.01f, qPrintable(QString::number(k)));
            QCOMPARE(after[k].y1, before[k].y1 + dy);
        }
        const Log::Entry usualClearing = usual.log.of(Log::Line).front();
        const Log::Entry movedClearing = moved.log.of(Log::Line).front();
        QCOMPARE(movedClearing.x1, usualClearing.x1 + dx);
        QCOMPARE(movedClearing.x2, usualClearing.x2 + dx);
        QCOMPARE(movedClearing.y1, usualClearing.y1 + dy);
    }

    // What the window calls to take the bar away after a drawing paints over
    // every mark of it, in the colour given, and over nothing left of the
    // panel.
    void clearProgressBar()
    {
        Bench b;
        b.draw();
        const auto marks = b.log.of(Log::Pset);
        QVERIFY(!marks.empty());
        const std::size_t before = b.log.count(Log::Line);
        drawing::clearProgressBar(b.canvas, b.host.left, b.host.panelHeightValue, 0x00ff00);
        const auto lines = b.log.of(Log::Line);
        QCOMPARE(lines.size(), before + 1);
        const Log::Entry &clearing = lines.back();
        QCOMPARE(clearing.color, 0x00ff00);
        QCOMPARE(clearing.y1, clearing.y2);
        QVERIFY(clearing.x1 >= b.host.left);
        for (const Log::Entry &mark : marks) {
            QCOMPARE(mark.y1, clearing.y1);
            QVERIFY2(mark.x1 >= clearing.x1 && mark.x1 <= clearing.x2, qPrintable(QString::number(mark.x1)));
        }
    }
};

QTEST_APPLESS_MAIN(TestDrawingRun)
#include "test_drawingrun.moc"
