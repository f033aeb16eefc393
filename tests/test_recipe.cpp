// SPDX-License-Identifier: GPL-3.0-or-later
#include "datatable.h"
#include "drawingrun.h"
#include "enginefakes.h"
#include "numbers.h"
#include "parameterfile.h"
#include "recipe.h"
#include "recipetext.h"

#include <QBuffer>
#include <QTest>

#include <cmath>
#include <cstring>
#include <limits>

Q_DECLARE_METATYPE(ParameterTexts)

namespace {

ParameterTexts textsOf(const QStringList &list)
{
    ParameterTexts texts;
    for (int i = 0; i < ParameterTexts::Count && i < list.size(); ++i)
        texts.text[i] = list[i].toStdString();
    return texts;
}

CurveParameters completed(const ParameterTexts &texts, double width, double height, std::uint64_t seed)
{
    CurveParameters p = curve::readCurveParameters(texts);
    RandomSource random(seed);
    curve::completeCurveParameters(p, width, height, 1, 1, random);
    return p;
}

bool sameBits(const CurveParameters &a, const CurveParameters &b)
{
    const auto axis = [](const AxisParameters &l, const AxisParameters &r) {
        return std::memcmp(&l.amplitude, &r.amplitude, sizeof(double)) == 0 &&
               std::memcmp(&l.freqDivisor, &r.freqDivisor, sizeof(double)) == 0 && l.power1 == r.power1 &&
               l.power2 == r.power2 && l.rotAngle == r.rotAngle && l.rotFactor == r.rotFactor &&
               l.wstAngle == r.wstAngle && l.wstFactor == r.wstFactor;
    };
    return axis(a.x, b.x) && axis(a.y, b.y) && a.scaleX == b.scaleX && a.scaleY == b.scaleY &&
           a.allPowersOne == b.allPowersOne;
}

// The texts as a parameter file holds them and gives them back.
ParameterTexts throughParameterFile(const ParameterTexts &texts)
{
    parameterfile::FieldTexts fields;
    for (int i = 0; i < ParameterTexts::Count; ++i)
        fields[i] = QString::fromStdString(texts.text[i]);
    QByteArray bytes = parameterfile::bytes(fields, 0, 0);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    const parameterfile::Contents contents = parameterfile::read(buffer, QString());
    ParameterTexts back;
    for (int i = 0; i < ParameterTexts::Count; ++i)
        back.text[i] = contents.texts[i].toStdString();
    return back;
}

} // namespace

class TestRecipe : public QObject {
    Q_OBJECT

private slots:
    void exactTextReadsBack_data()
    {
        oneColumnTable<double>("value", {{"tenth", 0.1},
                                         {"third", 1.0 / 3},
                                         {"random amplitude", double(numbers::toSingle(2 * 0.7236 - 1))},
                                         {"tiny", 1e-300},
                                         {"subnormal", 5e-324},
                                         {"large", 123456789.123456789},
                                         {"negative zero", -0.0},
                                         {"infinity", std::numeric_limits<double>::infinity()},
                                         {"minus infinity", -std::numeric_limits<double>::infinity()}});
    }
    void exactTextReadsBack()
    {
        QFETCH(double, value);
        const std::string text = recipe::exactText(value);
        const double back = numbers::leadingNumber(text);
        QVERIFY2(std::memcmp(&back, &value, sizeof value) == 0, text.c_str());
    }

    void divisorTextReadsBack_data()
    {
        QTest::addColumn<double>("divisor");
        QTest::addColumn<bool>("single");
        QTest::newRow("random") << -500.0 << false;
        QTest::newRow("random positive") << 490.0 << false;
        QTest::newRow("minimum") << 0.003 << false;
        QTest::newRow("minimum single") << double(numbers::toSingle(0.003)) << true;
        QTest::newRow("frequency 3 single") << double(numbers::toSingle(-1000.0 / 3)) << true;
        QTest::newRow("frequency 7") << -1000.0 / 7 << false;
        QTest::newRow("huge") << 1e300 << false;
    }
    void divisorTextReadsBack()
    {
        QFETCH(double, divisor);
        QFETCH(bool, single);
        const std::string text = recipe::divisorText(divisor, single).value_or("none");
        QCOMPARE(text.front(), '/');
        double back = -10.0 * numbers::leadingNumber(text.substr(1));
        if (single)
            back = numbers::toSingle(back);
        QVERIFY2(back == divisor, text.c_str());
    }

    // The written field texts, read and completed at the same outer size,
    // give the very parameters the drawing had, also after a parameter file
    // dropped their leading blanks.
    void fieldTextsGiveTheParametersBack_data()
    {
        QTest::addColumn<ParameterTexts>("typed");
        QTest::addColumn<std::uint64_t>("seed");
        QTest::newRow("random figure") << textsOf({}) << std::uint64_t(7);
        QTest::newRow("another random figure") << textsOf({"", "", "", "5"}) << std::uint64_t(99);
        QTest::newRow("typed") << textsOf({"1500", "3", "1500", "2"}) << std::uint64_t(0);
        QTest::newRow("typed with blank") << textsOf({"1500", " 3", "1500", "2"}) << std::uint64_t(0);
        QTest::newRow("Y from X") << textsOf({"0.5", "7"}) << std::uint64_t(0);
        QTest::newRow("decimal comma") << textsOf({"1,5", "2,5", "", "/3,5"}) << std::uint64_t(0);
        QTest::newRow("minimum divisor") << textsOf({"1", "/0.0001", "1", "/-0.0002"}) << std::uint64_t(0);
        QTest::newRow("blank before a phase")
            << textsOf({"0.6", "7", "", "", "", "", "", "", " -50", "-30", "", " /-4"}) << std::uint64_t(0);
        QTest::newRow("blank power") << textsOf({"0.6", "7", "", "", " ", "/2", " 3", "", "25"})
                                     << std::uint64_t(0);
        QTest::newRow("huge amplitude") << textsOf({"1e400", "3"}) << std::uint64_t(0);
    }
    void fieldTextsGiveTheParametersBack()
    {
        QFETCH(ParameterTexts, typed);
        QFETCH(std::uint64_t, seed);
        Recipe kept;
        kept.typed = typed;
        kept.parameters = completed(typed, 9000, 7305, seed);
        const ParameterTexts written = recipe::fieldTexts(kept);
        QVERIFY(sameBits(completed(written, 9000, 7305, 12345), kept.parameters));
        QVERIFY(sameBits(completed(throughParameterFile(written), 9000, 7305, 12345), kept.parameters));
    }

    // Some divisors are -10 times no double at all.
    void divisorWithoutSlashForm() { QVERIFY(!recipe::divisorText(-1000.0 / 3, false)); }

    void skipPassesOverDraws()
    {
        RandomSource drawn(5);
        for (int i = 0; i < 1000; ++i)
            drawn.next();
        RandomSource skipped(5);
        skipped.skip(1000);
        QCOMPARE(skipped.drawCount(), drawn.drawCount());
        QCOMPARE(skipped.next(), drawn.next());
    }

    // What the run keeps: the completed figure, the colours the first point
    // and the surface had, and where random pen colours come from.
    void runKeepsTheRecipe_data()
    {
        QTest::addColumn<int>("randomColors");
        QTest::addColumn<bool>("randomBack");
        QTest::addColumn<bool>("randomPen");
        QTest::newRow("fixed colours") << 0 << false << false;
        QTest::newRow("pen at checkpoints") << 1 << false << true;
        QTest::newRow("both once") << 2 << true << false;
        QTest::newRow("back once, pen at checkpoints") << 5 << true << true;
    }
    void runKeepsTheRecipe()
    {
        QFETCH(int, randomColors);
        QFETCH(bool, randomBack);
        QFETCH(bool, randomPen);
        FormState state;
        state.foregroundColor = 0x123456;
        state.backgroundColor = 0x654321;
        state.prefs.randomColors = static_cast<std::int16_t>(randomColors);
        state.prefs.turns = 0.01f;
        state.prefs.placement.drawLeftOffset = 70;
        EngineLog log;
        FakeCanvas canvas(log);
        FakeHost host(log, canvas);
        canvas.mode = 7;
        RandomSource random(21);
        DrawingRun(state, host, canvas, random).run();
        QVERIFY(state.lastRecipe);
        const Recipe &kept = *state.lastRecipe;

        RandomSource replica(21);
        QVERIFY(sameBits(kept.parameters, completed(host.texts, host.width, host.height, 21)));
        replica.skip(2);
        const colors::Color back = randomBack ? drawing::randomColor(replica) : state.backgroundColor;
        if (randomBack && randomColors < 4)
            drawing::randomColor(replica);
        QCOMPARE(kept.backColor, back);
        QCOMPARE(kept.randomPen.has_value(), randomPen);
        if (randomPen) {
            QCOMPARE(kept.randomPen->seed, std::uint64_t(21));
            QCOMPARE(kept.randomPen->drawsBefore, replica.drawCount());
            QCOMPARE(kept.penColor, drawing::randomColor(replica));
        }
        QCOMPARE(kept.prefs.drawMode, 7);
        QCOMPARE(kept.prefs.placement.drawLeftOffset, 70);
        QCOMPARE(kept.outerWidth, host.width);
        QCOMPARE(kept.prefs.turns, 0.01f);
    }

    void recipeTextRoundTrip_data()
    {
        oneColumnTable<bool>("chunk", {{"picture chunk", true}, {"parameter file", false}});
    }
    void recipeTextRoundTrip()
    {
        QFETCH(bool, chunk);
        recipetext::FigureRecipe figure;
        Recipe &r = figure.recipe;
        r.typed = textsOf({"", "", "", "", "/2", "", "", "", "-50"});
        r.parameters = completed(r.typed, 8790, 6990, 3);
        r.prefs.stepSize = 7.5;
        r.prefs.turns = 1.2345678f;
        r.prefs.penSize = 3;
        r.prefs.drawMode = 6;
        r.prefs.placement = {-20, 300, 0.75f, 1.5f};
        r.penColor = 255;
        r.backColor = -5;
        r.randomPen = RandomPen{18446744073709551615u, 42};
        r.outerWidth = 8805.5;
        r.outerHeight = 7110;
        figure.canvas = QSize(587, 466);
        figure.twipsPerPixel = 12.5;
        const QByteArray text = chunk ? recipetext::chunkText(figure) : recipetext::parameterFile(figure);
        QCOMPARE(text.startsWith("Volutra recipe 1\r\n"), chunk);
        const recipetext::Reading reading = recipetext::read(text);
        QVERIFY2(reading.figure, qPrintable(reading.error));
        const recipetext::FigureRecipe &back = *reading.figure;
        QVERIFY(back.hasSettings);
        QVERIFY(back.recipe.typed.text == recipe::fieldTexts(r).text);
        QCOMPARE(back.recipe.prefs.stepSize, r.prefs.stepSize);
        QCOMPARE(back.recipe.prefs.turns, r.prefs.turns);
        QCOMPARE(back.recipe.prefs.penSize, r.prefs.penSize);
        QCOMPARE(back.recipe.prefs.drawMode, r.prefs.drawMode);
        QCOMPARE(back.recipe.prefs.placement.drawLeftOffset, -20);
        QCOMPARE(back.recipe.prefs.placement.drawTopOffset, 300);
        QCOMPARE(back.recipe.prefs.placement.drawPartX, 0.75f);
        QCOMPARE(back.recipe.prefs.placement.drawPartY, 1.5f);
        QCOMPARE(back.recipe.penColor, 255);
        QCOMPARE(back.recipe.backColor, -5);
        QVERIFY(back.recipe.randomPen == r.randomPen);
        QCOMPARE(back.recipe.outerWidth, 8805.5);
        QCOMPARE(back.recipe.outerHeight, 7110.0);
        QCOMPARE(back.canvas, QSize(587, 466));
        QCOMPARE(back.twipsPerPixel, 12.5);
    }

    // Turns beyond the range of their single precision are infinite, and an
    // infinite count is written so that it reads back infinite.
    void turnsReadBackExactly_data()
    {
        QTest::addColumn<QByteArray>("typed");
        QTest::addColumn<float>("turns");
        constexpr float infinite = std::numeric_limits<float>::infinity();
        QTest::newRow("1e300") << QByteArray("1e300") << infinite;
        QTest::newRow("1E+999") << QByteArray("1E+999") << infinite;
        QTest::newRow("-1e300") << QByteArray("-1e300") << -infinite;
        QTest::newRow("largest") << QByteArray("3.4028235e38") << std::numeric_limits<float>::max();
        QTest::newRow("smallest") << QByteArray("1e-45") << std::numeric_limits<float>::denorm_min();
        QTest::newRow("341.7") << QByteArray("341.7") << 341.7f;
    }
    void turnsReadBackExactly()
    {
        QFETCH(QByteArray, typed);
        QFETCH(float, turns);
        const QByteArray fourteen =
            QByteArray("1\r\n2\r\n") + QByteArray("\r\n").repeated(10) + " 1\r\n 2\r\n";
        const recipetext::Reading first =
            recipetext::read(fourteen + "Volutra recipe 1\r\nturns " + typed + "\r\n");
        QVERIFY(first.figure);
        QCOMPARE(first.figure->recipe.prefs.turns, turns);
        for (const bool chunk : {false, true}) {
            const QByteArray text =
                chunk ? recipetext::chunkText(*first.figure) : recipetext::parameterFile(*first.figure);
            const recipetext::Reading again = recipetext::read(text);
            QVERIFY(again.figure);
            QCOMPARE(again.figure->recipe.prefs.turns, turns);
        }
    }

    void recipeTextReading_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("read");
        QTest::addColumn<bool>("hasSettings");
        QTest::addColumn<int>("turns");
        const QByteArray fourteen =
            QByteArray("1\r\n2\r\n") + QByteArray("\r\n").repeated(10) + " 1\r\n 2\r\n";
        QTest::newRow("plain parameter file") << fourteen << true << false << 1;
        QTest::newRow("line feeds only")
            << QByteArray("Volutra recipe 1\n" + QByteArray(fourteen).replace("\r", "") + "turns 4\n") << true
            << true << 4;
        QTest::newRow("unknown names skipped")
            << QByteArray(fourteen + "Volutra recipe 1\r\nlater 5\r\nturns 3\r\n") << true << true << 3;
        QTest::newRow("bad values skipped")
            << QByteArray(fourteen + "Volutra recipe 1\r\npenSize 0\r\n") << true << true << 1;
        QTest::newRow("newer version")
            << QByteArray("Volutra recipe 2\r\n" + fourteen) << false << false << 0;
        QTest::newRow("too short") << QByteArray("Volutra recipe 1\r\n1\r\n2\r\n") << false << false << 0;
        QTest::newRow("empty") << QByteArray() << false << false << 0;
    }
    void recipeTextReading()
    {
        QFETCH(QByteArray, text);
        QFETCH(bool, read);
        QFETCH(bool, hasSettings);
        QFETCH(int, turns);
        const recipetext::Reading reading = recipetext::read(text);
        QCOMPARE(reading.figure.has_value(), read);
        QCOMPARE(reading.error.isEmpty(), read);
        if (!read)
            return;
        QCOMPARE(reading.figure->hasSettings, hasSettings);
        QCOMPARE(reading.figure->recipe.prefs.turns, float(turns));
        QCOMPARE(reading.figure->recipe.prefs.penSize, 1);
        QCOMPARE(reading.figure->recipe.typed[ParameterTexts::XFreq], std::string("2"));
    }
};

QTEST_GUILESS_MAIN(TestRecipe)
#include "test_recipe.moc"
