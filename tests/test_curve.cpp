// SPDX-License-Identifier: GPL-3.0-or-later
#include "curve.h"

#include <QTest>

#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <set>
#include <utility>
#include <vector>

Q_DECLARE_METATYPE(ParameterTexts)

namespace {

using I = ParameterTexts;

constexpr double outerWidth = 8528;
constexpr double outerHeight = 6528;
constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double pi = 3.14159265358979323846;

ParameterTexts texts(std::initializer_list<std::pair<I::Index, const char *>> fields)
{
    ParameterTexts t;
    for (const auto &[index, text] : fields)
        t[index] = text;
    return t;
}

// A figure that needs no random draw: both frequencies given.
ParameterTexts plainFigure(std::initializer_list<std::pair<I::Index, const char *>> fields)
{
    ParameterTexts t = texts({{I::XAmp, "1"}, {I::XFreq, "2"}, {I::YAmp, "1"}, {I::YFreq, "2"}});
    for (const auto &[index, text] : fields)
        t[index] = text;
    return t;
}

CurveParameters completed(const ParameterTexts &t, RandomSource &random, double width = outerWidth,
                          double height = outerHeight, float partX = 1, float partY = 1)
{
    CurveParameters p = curve::readCurveParameters(t);
    curve::completeCurveParameters(p, width, height, partX, partY, random);
    return p;
}

CurveParameters completed(const ParameterTexts &t)
{
    RandomSource random(1);
    return completed(t, random);
}

// True when `used` has handed out exactly `draws` numbers since it was
// seeded with `seed`.
bool drewExactly(RandomSource &used, std::uint64_t seed, int draws)
{
    RandomSource fresh(seed);
    for (int i = 0; i < draws; ++i)
        fresh.next();
    return used.next() == fresh.next();
}

float single(double value)
{
    return static_cast<float>(value);
}

float angleOf(double hundredths)
{
    return single(std::fabs(hundredths * 3.1415926536 / 50));
}

} // namespace

class TestCurve : public QObject {
    Q_OBJECT
private slots:
    void amplitudeReading_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        QTest::newRow("decimal comma") << "1,5" << 1.5;
        QTest::newRow("second comma ends") << "1,5,7" << 1.5;
        QTest::newRow("plain") << "2" << 2.0;
        QTest::newRow("negative comma") << "-0,25" << -0.25;
        QTest::newRow("leading blank") << " 3" << 3.0;
        QTest::newRow("leading comma") << ",5" << 0.5;
        QTest::newRow("point and comma") << "1.5,7" << 1.5;
        QTest::newRow("letters") << "abc" << 0.0;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("beyond double") << "1e400" << inf;
        QTest::newRow("beyond double negative") << "-1e400" << -inf;
        QTest::newRow("near double limit") << "1e308" << 1e308;
        QTest::newRow("not single precision") << "0.1" << 0.1;
    }
    void amplitudeReading()
    {
        QFETCH(QString, text);
        QFETCH(double, expected);
        const std::string s = text.toStdString();
        const CurveParameters p =
            curve::readCurveParameters(texts({{I::XAmp, s.c_str()}, {I::YAmp, s.c_str()}}));
        QCOMPARE(p.x.amplitude, expected);
        QCOMPARE(p.y.amplitude, expected);
    }

    void divisorReading_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        QTest::newRow("two") << "2" << -500.0;
        QTest::newRow("three") << "3" << -1000.0 / 3;
        QTest::newRow("negative") << "-4" << 250.0;
        QTest::newRow("slash") << "/4" << -40.0;
        QTest::newRow("slash negative") << "/-4" << 40.0;
        QTest::newRow("slash comma") << "/4,5" << -45.0;
        QTest::newRow("slash blank") << "/ 4" << -40.0;
        QTest::newRow("blank before slash") << " /4" << 0.0;
        QTest::newRow("decimal comma") << "0,5" << -2000.0;
        QTest::newRow("two commas") << "1,5,7" << -1000.0 / 1.5;
        QTest::newRow("zero") << "0" << 0.0;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("letters") << "abc" << 0.0;
        QTest::newRow("slash zero") << "/0" << 0.0;
        QTest::newRow("slash minus zero") << "/-0" << 0.0;
        QTest::newRow("slash letters") << "/abc" << 0.0;
    }
    void divisorReading()
    {
        QFETCH(QString, text);
        QFETCH(double, expected);
        const std::string s = text.toStdString();
        const CurveParameters p =
            curve::readCurveParameters(texts({{I::XFreq, s.c_str()}, {I::YFreq, s.c_str()}}));
        QCOMPARE(p.x.freqDivisor, expected);
        // The Y divisor is held in single precision.
        QCOMPARE(p.y.freqDivisor, double(single(expected)));
    }

    void powerReading_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<float>("expected");
        QTest::newRow("slash two") << "/2" << 0.5f;
        QTest::newRow("slash three") << "/3" << single(1.0 / 3);
        QTest::newRow("slash zero") << "/0" << 0.0f;
        QTest::newRow("slash minus zero") << "/-0" << 0.0f;
        QTest::newRow("slash negative") << "/-4" << -0.25f;
        QTest::newRow("slash comma") << "/0,5" << 2.0f;
        QTest::newRow("blank before slash") << " /2" << 0.0f;
        QTest::newRow("three") << "3" << 3.0f;
        QTest::newRow("negative") << "-2" << -2.0f;
        QTest::newRow("decimal comma") << "1,5" << 1.5f;
        QTest::newRow("letters") << "abc" << 0.0f;
        QTest::newRow("blank") << " " << 0.0f;
    }
    void powerReading()
    {
        QFETCH(QString, text);
        QFETCH(float, expected);
        const std::string s = text.toStdString();
        const char *c = s.c_str();
        const CurveParameters p =
            curve::readCurveParameters(texts({{I::XPwr1, c}, {I::XPwr2, c}, {I::YPwr1, c}, {I::YPwr2, c}}));
        QCOMPARE(p.x.power1, expected);
        QCOMPARE(p.x.power2, expected);
        QCOMPARE(p.y.power1, expected);
        QCOMPARE(p.y.power2, expected);
    }

    void turnReading_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<float>("angle");
        QTest::addColumn<float>("factor");
        QTest::newRow("quarter turn") << "25" << single(pi / 2) << 1.0f;
        QTest::newRow("three quarters") << "75" << single(3 * pi / 2) << 1.0f;
        QTest::newRow("decimal comma") << "12,5" << single(pi / 4) << 1.0f;
        QTest::newRow("blank then minus") << " -50" << single(pi) << 1.0f;
        QTest::newRow("minus is a factor") << "-50" << 0.0f << 0.5f;
        QTest::newRow("minus blank") << "- 50" << 0.0f << 0.5f;
        QTest::newRow("minus comma") << "-1,5" << 0.0f << 0.015f;
        QTest::newRow("minus zero") << "-0" << 0.0f << 0.0f;
        QTest::newRow("minus alone") << "-" << 0.0f << 0.0f;
        QTest::newRow("slash minus") << "/-4" << 0.0f << 0.25f;
        QTest::newRow("slash minus large") << "/-200" << 0.0f << 0.005f;
        QTest::newRow("slash minus fraction") << "/-0,5" << 0.0f << 2.0f;
        QTest::newRow("slash minus zero") << "/-0" << 0.0f << 0.0f;
        QTest::newRow("slash minus alone") << "/-" << 0.0f << 0.0f;
        QTest::newRow("slash number") << "/5" << 0.0f << 1.0f;
        QTest::newRow("slash blank minus") << "/ -4" << 0.0f << 1.0f;
        QTest::newRow("slash alone") << "/" << 0.0f << 1.0f;
        QTest::newRow("letters") << "abc" << 0.0f << 1.0f;
    }
    void turnReading()
    {
        QFETCH(QString, text);
        QFETCH(float, angle);
        QFETCH(float, factor);
        const std::string s = text.toStdString();
        const char *c = s.c_str();
        const CurveParameters p =
            curve::readCurveParameters(texts({{I::XRot, c}, {I::XWst, c}, {I::YRot, c}, {I::YWst, c}}));
        for (const AxisParameters &axis : {p.x, p.y}) {
            QCOMPARE(axis.rotAngle, angle);
            QCOMPARE(axis.rotFactor, factor);
            QCOMPARE(axis.wstAngle, angle);
            QCOMPARE(axis.wstFactor, factor);
        }
    }

    void wstFactorLeavesRotation()
    {
        const CurveParameters p = curve::readCurveParameters(
            texts({{I::XRot, "30"}, {I::XWst, "-50"}, {I::YRot, "10"}, {I::YWst, "-50"}}));
        QCOMPARE(p.x.wstFactor, 0.5f);
        QCOMPARE(p.x.wstAngle, 0.0f);
        QCOMPARE(p.x.rotAngle, angleOf(30));
        QCOMPARE(p.x.rotFactor, 1.0f);
        QCOMPARE(p.y.wstFactor, 0.5f);
        QCOMPARE(p.y.wstAngle, 0.0f);
        QCOMPARE(p.y.rotAngle, angleOf(10));
        QCOMPARE(p.y.rotFactor, 1.0f);
    }

    void emptyPowerFields_data()
    {
        QTest::addColumn<QString>("xp1");
        QTest::addColumn<QString>("xp2");
        QTest::addColumn<QString>("yp1");
        QTest::addColumn<QString>("yp2");
        QTest::addColumn<float>("expectedXp1");
        QTest::addColumn<float>("expectedXp2");
        QTest::addColumn<float>("expectedYp1");
        QTest::addColumn<float>("expectedYp2");
        QTest::newRow("all empty") << ""
                                   << ""
                                   << ""
                                   << "" << 1.0f << 1.0f << 1.0f << 1.0f;
        QTest::newRow("X pwr1 only") << "3"
                                     << ""
                                     << ""
                                     << "" << 3.0f << 3.0f << 3.0f << 3.0f;
        QTest::newRow("X pwr1 slash") << "/2"
                                      << ""
                                      << ""
                                      << "" << 0.5f << 0.5f << 0.5f << 0.5f;
        QTest::newRow("X column") << "3"
                                  << "2"
                                  << ""
                                  << "" << 3.0f << 2.0f << 3.0f << 2.0f;
        QTest::newRow("X pwr2 only") << ""
                                     << "2"
                                     << ""
                                     << "" << 1.0f << 2.0f << 1.0f << 2.0f;
        QTest::newRow("Y pwr1 only") << ""
                                     << ""
                                     << "0,5"
                                     << "" << 1.0f << 1.0f << 0.5f << 1.0f;
        QTest::newRow("Y pwr1 over copied X") << "3"
                                              << ""
                                              << "4"
                                              << "" << 3.0f << 3.0f << 4.0f << 3.0f;
        QTest::newRow("blank is not empty") << " "
                                            << ""
                                            << ""
                                            << "" << 0.0f << 0.0f << 0.0f << 0.0f;
        QTest::newRow("all given") << "2"
                                   << "3"
                                   << "4"
                                   << "5" << 2.0f << 3.0f << 4.0f << 5.0f;
    }
    void emptyPowerFields()
    {
        QFETCH(QString, xp1);
        QFETCH(QString, xp2);
        QFETCH(QString, yp1);
        QFETCH(QString, yp2);
        QFETCH(float, expectedXp1);
        QFETCH(float, expectedXp2);
        QFETCH(float, expectedYp1);
        QFETCH(float, expectedYp2);
        const std::string a = xp1.toStdString(), b = xp2.toStdString(), c = yp1.toStdString(),
                          d = yp2.toStdString();
        const CurveParameters p = completed(plainFigure(
            {{I::XPwr1, a.c_str()}, {I::XPwr2, b.c_str()}, {I::YPwr1, c.c_str()}, {I::YPwr2, d.c_str()}}));
        QCOMPARE(p.x.power1, expectedXp1);
        QCOMPARE(p.x.power2, expectedXp2);
        QCOMPARE(p.y.power1, expectedYp1);
        QCOMPARE(p.y.power2, expectedYp2);
        const bool allOne = expectedXp1 == 1 && expectedXp2 == 1 && expectedYp1 == 1 && expectedYp2 == 1;
        QCOMPARE(p.allPowersOne, allOne);
    }

    void powersOneInOtherForms()
    {
        const CurveParameters p = completed(
            plainFigure({{I::XPwr1, "1,0"}, {I::XPwr2, "/1"}, {I::YPwr1, " 1"}, {I::YPwr2, "1abc"}}));
        QVERIFY(p.allPowersOne);
        QVERIFY(!completed(plainFigure({{I::YPwr2, "1,5"}})).allPowersOne);
    }

    void emptyYRotation_data()
    {
        QTest::addColumn<QString>("xRot");
        QTest::addColumn<QString>("yRot");
        QTest::addColumn<float>("angle");
        QTest::addColumn<float>("factor");
        QTest::newRow("copied") << "25"
                                << "" << single(pi / 2) << 1.0f;
        QTest::newRow("copied comma") << "12,5"
                                      << "" << single(pi / 4) << 1.0f;
        QTest::newRow("X factor not copied") << "-50"
                                             << "" << 0.0f << 1.0f;
        QTest::newRow("X blank then minus") << " -50"
                                            << "" << single(pi) << 1.0f;
        QTest::newRow("X slash minus") << "/-4"
                                       << "" << 0.0f << 1.0f;
        QTest::newRow("Y blank is not empty") << "25"
                                              << " " << 0.0f << 1.0f;
        QTest::newRow("Y given") << "25"
                                 << "10" << angleOf(10) << 1.0f;
        QTest::newRow("Y factor given") << "75"
                                        << "-20" << 0.0f << 0.2f;
        QTest::newRow("both empty") << ""
                                    << "" << 0.0f << 1.0f;
    }
    void emptyYRotation()
    {
        QFETCH(QString, xRot);
        QFETCH(QString, yRot);
        QFETCH(float, angle);
        QFETCH(float, factor);
        const std::string x = xRot.toStdString(), y = yRot.toStdString();
        const CurveParameters p =
            curve::readCurveParameters(texts({{I::XRot, x.c_str()}, {I::YRot, y.c_str()}}));
        QCOMPARE(p.y.rotAngle, angle);
        QCOMPARE(p.y.rotFactor, factor);
    }

    void yAmplitudeFromX_data()
    {
        QTest::addColumn<QString>("xAmp");
        QTest::addColumn<QString>("yAmp");
        QTest::addColumn<double>("expectedX");
        QTest::addColumn<double>("expectedY");
        QTest::newRow("Y empty") << "0.5"
                                 << "" << 0.5 << 0.5;
        QTest::newRow("Y zero") << "0,7"
                                << "0" << 0.7 << 0.7;
        QTest::newRow("Y given") << "0.5"
                                 << "-2" << 0.5 << -2.0;
        QTest::newRow("both empty") << ""
                                    << "" << 0.0 << 0.0;
    }
    void yAmplitudeFromX()
    {
        QFETCH(QString, xAmp);
        QFETCH(QString, yAmp);
        QFETCH(double, expectedX);
        QFETCH(double, expectedY);
        const std::string x = xAmp.toStdString(), y = yAmp.toStdString();
        RandomSource random(7);
        const CurveParameters p =
            completed(plainFigure({{I::XAmp, x.c_str()}, {I::YAmp, y.c_str()}}), random);
        QCOMPARE(p.x.amplitude, expectedX);
        QCOMPARE(p.y.amplitude, expectedY);
        QVERIFY(drewExactly(random, 7, 0));
    }

    void yDivisorFromXWithoutRandomFigure()
    {
        RandomSource random(11);
        const CurveParameters p =
            completed(texts({{I::XAmp, "0.7"}, {I::XFreq, "3"}, {I::YAmp, "0.3"}, {I::YFreq, ""}}), random);
        QCOMPARE(p.x.freqDivisor, -1000.0 / 3);
        QCOMPARE(p.y.freqDivisor, double(single(-1000.0 / 3)));
        QVERIFY(p.y.freqDivisor != p.x.freqDivisor);
        QCOMPARE(p.x.amplitude, 0.7);
        QCOMPARE(p.y.amplitude, 0.3);
        QVERIFY(drewExactly(random, 11, 0));
    }

    void randomFigure_data()
    {
        QTest::addColumn<QString>("xFreq");
        QTest::addColumn<QString>("yFreq");
        QTest::newRow("X empty, Y given") << ""
                                          << "5";
        QTest::newRow("X zero, Y given") << "0"
                                         << "5";
        QTest::newRow("X letters, Y given") << "abc"
                                            << "/3";
        QTest::newRow("both empty") << ""
                                    << "";
    }
    void randomFigure()
    {
        QFETCH(QString, xFreq);
        QFETCH(QString, yFreq);
        const std::string xf = xFreq.toStdString(), yf = yFreq.toStdString();
        for (std::uint64_t seed : {3u, 4u, 5u}) {
            RandomSource random(seed);
            const CurveParameters p = completed(
                texts({{I::XAmp, "3"}, {I::XFreq, xf.c_str()}, {I::YAmp, "7"}, {I::YFreq, yf.c_str()}}),
                random);
            RandomSource replica(seed);
            const double amplitude = single(2 * replica.next() - 1);
            const double divisor = 10 * std::floor(100 * replica.next() - 50);
            QCOMPARE(p.x.amplitude, amplitude);
            QCOMPARE(p.y.amplitude, amplitude);
            if (divisor != 0) {
                QCOMPARE(p.x.freqDivisor, divisor);
                QCOMPARE(p.y.freqDivisor, divisor);
            }
            QVERIFY(drewExactly(random, seed, 2));
            QCOMPARE(p.scaleX, std::int32_t(std::nearbyint(3000 / (std::fabs(amplitude) + 1))));
        }
    }

    void randomFigureRange()
    {
        std::set<double> divisors;
        for (std::uint64_t seed = 0; seed < 3000; ++seed) {
            RandomSource random(seed);
            const CurveParameters p = completed(texts({}), random);
            QVERIFY(p.x.amplitude >= -1 && p.x.amplitude < 1);
            QCOMPARE(p.y.amplitude, p.x.amplitude);
            QCOMPARE(double(single(p.x.amplitude)), p.x.amplitude);
            const double d = p.x.freqDivisor;
            if (d != 0.003) {
                QCOMPARE(std::fmod(d, 10.0), 0.0);
                QVERIFY(d >= -500 && d <= 490);
                QVERIFY(d != 0);
                QCOMPARE(p.y.freqDivisor, d);
            }
            divisors.insert(d);
        }
        // -500, -490, ..., 490 with 0 raised to the minimum divisor.
        QCOMPARE(divisors.size(), std::size_t(100));
        QVERIFY(divisors.count(0.003));
        QVERIFY(divisors.count(-500));
        QVERIFY(divisors.count(490));
    }

    void randomDivisorZeroBecomesMinimum()
    {
        std::uint64_t seed = 0;
        for (;; ++seed) {
            RandomSource probe(seed);
            probe.next();
            if (std::floor(100 * probe.next() - 50) == 0)
                break;
        }
        RandomSource random(seed);
        const CurveParameters p = completed(texts({{I::YFreq, "5"}}), random);
        QCOMPARE(p.x.freqDivisor, 0.003);
        // The Y divisor is held in single precision.
        QCOMPARE(p.y.freqDivisor, double(single(0.003)));
        const CurvePointF point = curve::curvePoint(p, 6283200, 50, 50);
        QVERIFY(std::isfinite(point.x) && std::isfinite(point.y));
    }

    void minimumDivisor_data()
    {
        QTest::addColumn<QString>("xFreq");
        QTest::addColumn<QString>("yFreq");
        QTest::addColumn<double>("expectedX");
        QTest::addColumn<double>("expectedY");
        QTest::newRow("small negative") << "1e6"
                                        << "1e6" << 0.003 << double(single(0.003));
        QTest::newRow("small positive") << "-1e6"
                                        << "/-0,0001" << 0.003 << double(single(0.003));
        QTest::newRow("above the minimum") << "/-0,0004"
                                           << "2" << -10 * -0.0004 << -500.0;
        QTest::newRow("ordinary") << "2"
                                  << "/4" << -500.0 << -40.0;
    }
    void minimumDivisor()
    {
        QFETCH(QString, xFreq);
        QFETCH(QString, yFreq);
        QFETCH(double, expectedX);
        QFETCH(double, expectedY);
        const std::string x = xFreq.toStdString(), y = yFreq.toStdString();
        RandomSource random(2);
        const CurveParameters p =
            completed(plainFigure({{I::XFreq, x.c_str()}, {I::YFreq, y.c_str()}}), random);
        QCOMPARE(p.x.freqDivisor, expectedX);
        QCOMPARE(p.y.freqDivisor, expectedY);
        QVERIFY(drewExactly(random, 2, 0));
    }

    void scales_data()
    {
        QTest::addColumn<QString>("xAmp");
        QTest::addColumn<QString>("yAmp");
        QTest::addColumn<double>("width");
        QTest::addColumn<double>("height");
        QTest::addColumn<float>("partX");
        QTest::addColumn<float>("partY");
        QTest::addColumn<int>("scaleX");
        QTest::addColumn<int>("scaleY");
        QTest::newRow("amplitude 1") << "1"
                                     << "1" << 8528.0 << 6528.0 << 1.0f << 1.0f << 1500 << 1500;
        QTest::newRow("negative amplitude") << "-1"
                                            << "-1" << 8528.0 << 6528.0 << 1.0f << 1.0f << 1500 << 1500;
        QTest::newRow("per axis") << "0"
                                  << "3" << 8528.0 << 6528.0 << 1.0f << 1.0f << 3000 << 750;
        QTest::newRow("parts") << "1"
                               << "1" << 8528.0 << 6528.0 << 0.5f << 0.25f << 750 << 375;
        QTest::newRow("height counts whole") << "1"
                                             << "1" << 8528.0 << 3264.0 << 1.0f << 1.0f << 1500 << 750;
        QTest::newRow("half to even down") << "1199"
                                           << "5999" << 8528.0 << 6528.0 << 1.0f << 1.0f << 2 << 0;
        QTest::newRow("half to even up") << "1999"
                                         << "1999" << 8528.0 << 6528.0 << 1.0f << 1.0f << 2 << 2;
        QTest::newRow("no room for panel") << "1"
                                           << "1" << 2000.0 << 6528.0 << 1.0f << 1.0f << 0 << 1500;
        QTest::newRow("narrower than panel") << "1"
                                             << "1" << 1000.0 << 6528.0 << 1.0f << 1.0f << -230 << 1500;
        QTest::newRow("infinite amplitude") << "1e400"
                                            << "-1e400" << 8528.0 << 6528.0 << 1.0f << 1.0f << 0 << 0;
        QTest::newRow("huge window") << "1"
                                     << "1" << 1e15 << -1e15 << 1.0f << 1.0f
                                     << std::numeric_limits<std::int32_t>::max()
                                     << std::numeric_limits<std::int32_t>::min();
        QTest::newRow("infinite part")
            << "1"
            << "1" << 8528.0 << 6528.0 << std::numeric_limits<float>::infinity()
            << -std::numeric_limits<float>::infinity() << std::numeric_limits<std::int32_t>::max()
            << std::numeric_limits<std::int32_t>::min();
        QTest::newRow("infinite amplitude, infinite part")
            << "1e400"
            << "1" << 8528.0 << 6528.0 << std::numeric_limits<float>::infinity() << 1.0f << 0 << 1500;
    }
    void scales()
    {
        QFETCH(QString, xAmp);
        QFETCH(QString, yAmp);
        QFETCH(double, width);
        QFETCH(double, height);
        QFETCH(float, partX);
        QFETCH(float, partY);
        QFETCH(int, scaleX);
        QFETCH(int, scaleY);
        const std::string x = xAmp.toStdString(), y = yAmp.toStdString();
        RandomSource random(1);
        const CurveParameters p = completed(plainFigure({{I::XAmp, x.c_str()}, {I::YAmp, y.c_str()}}), random,
                                            width, height, partX, partY);
        QCOMPARE(p.scaleX, scaleX);
        QCOMPARE(p.scaleY, scaleY);
    }

    void power_data()
    {
        QTest::addColumn<float>("x");
        QTest::addColumn<float>("p");
        QTest::addColumn<float>("expected");
        QTest::newRow("negative base, even power keeps sign") << -0.5f << 2.0f << -0.25f;
        QTest::newRow("negative power folds") << -0.5f << -2.0f << 0.25f;
        QTest::newRow("no reciprocal") << 4.0f << -1.0f << 4.0f;
        QTest::newRow("power zero") << 0.3f << 0.0f << 1.0f;
        QTest::newRow("negative base, power zero") << -0.3f << 0.0f << 1.0f;
        QTest::newRow("zero base, negative power") << 0.0f << -3.0f << 0.0f;
        QTest::newRow("zero base, power zero") << 0.0f << 0.0f << 0.0f;
        QTest::newRow("negative zero base") << -0.0f << 2.0f << 0.0f;
        QTest::newRow("cube") << -2.0f << 3.0f << -8.0f;
        QTest::newRow("square root") << 0.25f << 0.5f << 0.5f;
        QTest::newRow("negative square root") << -0.25f << 0.5f << -0.5f;
        QTest::newRow("folded square root") << -0.25f << -0.5f << 0.5f;
        QTest::newRow("one") << -1.0f << 7.0f << -1.0f;
        QTest::newRow("huge power of a fraction") << 0.5f << std::numeric_limits<float>::infinity() << 0.0f;
    }
    void power()
    {
        QFETCH(float, x);
        QFETCH(float, p);
        QFETCH(float, expected);
        QCOMPARE(curve::pow(x, p), expected);
    }

    void powerOfNotANumber()
    {
        QVERIFY(std::isnan(curve::pow(std::numeric_limits<float>::quiet_NaN(), 2)));
        QVERIFY(std::isnan(curve::pow(1, std::numeric_limits<float>::infinity())));
    }

    void knownPoints_data()
    {
        QTest::addColumn<ParameterTexts>("fields");
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("top");
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("y");
        QTest::addColumn<double>("tolerance");
        QTest::newRow("start") << plainFigure({}) << 0 << 50 << 50 << 3050.0 << 3050.0 << 0.0;
        QTest::newRow("offsets") << plainFigure({}) << 0 << 100 << 200 << 3100.0 << 3200.0 << 0.0;
        QTest::newRow("quarter turn phases")
            << plainFigure({{I::XRot, "25"}, {I::YRot, "25"}}) << 0 << 50 << 50 << 1550.0 << 4550.0 << 0.001;
        QTest::newRow("Y phase copied")
            << plainFigure({{I::XRot, "25"}}) << 0 << 50 << 50 << 1550.0 << 4550.0 << 0.001;
        QTest::newRow("wst phases") << plainFigure({{I::XWst, "50"}, {I::YWst, "25"}}) << 0 << 50 << 50
                                    << 6050.0 << 1550.0 << 0.001;
        // With a divisor of 1000 both circles turn alike and cancel.
        QTest::newRow("cancelling circles") << plainFigure({{I::XFreq, "-1"}, {I::YFreq, "-1"}}) << 4321987
                                            << 50 << 50 << 3050.0 << 3050.0 << 0.001;
        QTest::newRow("folded and signed powers")
            << plainFigure({{I::XRot, "50"}, {I::XPwr1, "-2"}, {I::YRot, "75"}, {I::YPwr1, "3"}}) << 0 << 50
            << 50 << 3050.0 << 1550.0 << 0.001;
        QTest::newRow("rotation factor") << plainFigure({{I::XRot, "-200"}, {I::XFreq, "-1"}}) << 1571 << 50
                                         << 50 << 1550.0 << 4550.0 << 2.0;
        QTest::newRow("amplitude 2") << plainFigure({{I::XAmp, "2"}, {I::XFreq, "/100"}}) << 0 << 50 << 50
                                     << 2050.0 << 3050.0 << 0.0;
    }
    void knownPoints()
    {
        QFETCH(ParameterTexts, fields);
        QFETCH(int, n);
        QFETCH(int, left);
        QFETCH(int, top);
        QFETCH(double, x);
        QFETCH(double, y);
        QFETCH(double, tolerance);
        const CurveParameters p = completed(fields);
        const CurvePointF point = curve::curvePoint(p, n, left, top);
        QVERIFY2(std::fabs(point.x - x) <= tolerance, QByteArray::number(point.x).constData());
        QVERIFY2(std::fabs(point.y - y) <= tolerance, QByteArray::number(point.y).constData());
    }

    void fullTurnStaysInsideBox_data()
    {
        QTest::addColumn<QString>("xFreq");
        QTest::addColumn<QString>("yFreq");
        QTest::addColumn<QString>("rot");
        QTest::newRow("two") << "2"
                             << "2"
                             << "";
        QTest::newRow("fractional") << "3,7"
                                    << "-5"
                                    << "10";
        QTest::newRow("slash") << "/7"
                               << "/-13"
                               << "-150";
    }
    void fullTurnStaysInsideBox()
    {
        QFETCH(QString, xFreq);
        QFETCH(QString, yFreq);
        QFETCH(QString, rot);
        const std::string xf = xFreq.toStdString(), yf = yFreq.toStdString(), r = rot.toStdString();
        const CurveParameters p = completed(
            texts({{I::XAmp, "1"}, {I::XFreq, xf.c_str()}, {I::YFreq, yf.c_str()}, {I::XRot, r.c_str()}}));
        QCOMPARE(p.scaleX, 1500);
        QCOMPARE(p.scaleY, 1500);
        float low = inf, high = -inf;
        std::vector<CurvePointF> points(10000);
        for (std::int32_t n = 0; n <= 6283200; n += 10000) {
            const std::size_t count = std::min<std::size_t>(10000, 6283201 - n);
            curve::curvePoints(p, n, 1, count, 50, 50, points.data());
            for (std::size_t i = 0; i < count; ++i) {
                low = std::min({low, points[i].x, points[i].y});
                high = std::max({high, points[i].x, points[i].y});
            }
        }
        QVERIFY2(low >= 50, QByteArray::number(low).constData());
        QVERIFY2(high <= 6050, QByteArray::number(high).constData());
        QVERIFY(high - low > 3000);
    }

    void pointsInOneGo_data()
    {
        constexpr std::int32_t lowest = std::numeric_limits<std::int32_t>::min();
        constexpr std::int32_t highest = std::numeric_limits<std::int32_t>::max();
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("count");
        QTest::newRow("checkpoint stretch") << 0 << 100 << 100;
        QTest::newRow("step 333") << 3330000 << 333 << 10000;
        QTest::newRow("standing still") << 0 << 0 << 5;
        QTest::newRow("backwards") << -5000 << -7 << 1000;
        QTest::newRow("up to the top") << highest - 9000 << 1000 << 10;
        QTest::newRow("down to the bottom") << lowest + 5 << -1 << 6;
        QTest::newRow("one huge step") << 0 << highest << 2;
        QTest::newRow("none") << 0 << 1 << 0;
    }
    void pointsInOneGo()
    {
        QFETCH(int, first);
        QFETCH(int, step);
        QFETCH(int, count);
        for (const ParameterTexts &fields : {plainFigure({{I::XRot, "13"}, {I::YFreq, "/7"}}),
                                             plainFigure({{I::XPwr1, "3"}, {I::YPwr2, "-0,5"}})}) {
            const CurveParameters p = completed(fields);
            // The scalar path is the one-point formula itself; the four-wide
            // one may differ by rounding in the last digits.
            for (const curve::BatchPath path : {curve::BatchPath::Scalar, curve::BatchPath::Vector}) {
                const CurvePointF untouched{-1, -1};
                std::vector<CurvePointF> points(std::size_t(count) + 1, untouched);
                curve::curvePoints(p, first, step, std::size_t(count), 70, 90, points.data(), path);
                for (int i = 0; i < count; ++i) {
                    const auto n = static_cast<std::int32_t>(first + std::int64_t(i) * step);
                    const CurvePointF expected = curve::curvePoint(p, n, 70, 90);
                    if (path == curve::BatchPath::Scalar) {
                        QVERIFY(points[i].x == expected.x && points[i].y == expected.y);
                    } else {
                        QVERIFY(std::fabs(points[i].x - expected.x) <= 0.01f);
                        QVERIFY(std::fabs(points[i].y - expected.y) <= 0.01f);
                    }
                }
                QCOMPARE(points.back().x, untouched.x);
            }
        }
    }

    void powerStepWithPowersOne_data()
    {
        QTest::addColumn<ParameterTexts>("fields");
        QTest::newRow("plain") << plainFigure({});
        QTest::newRow("phases") << plainFigure({{I::XRot, "13"}, {I::YWst, "-70"}, {I::XFreq, "/7"}});
        QTest::newRow("large amplitude")
            << plainFigure({{I::XAmp, "-4,5"}, {I::YAmp, "20"}, {I::YFreq, "3,3"}});
        QTest::newRow("powers written as 1") << plainFigure({{I::XPwr1, "1"}, {I::YPwr2, "/1"}});
    }
    void powerStepWithPowersOne()
    {
        QFETCH(ParameterTexts, fields);
        const CurveParameters skipped = completed(fields);
        QVERIFY(skipped.allPowersOne);
        CurveParameters forced = skipped;
        forced.allPowersOne = false;
        for (std::int32_t n = 0; n <= 6283200; n += 997) {
            const CurvePointF a = curve::curvePoint(skipped, n, 50, 50);
            const CurvePointF b = curve::curvePoint(forced, n, 50, 50);
            // A few units in the last place of single precision.
            QVERIFY(std::fabs(a.x - b.x) <=
                    8 * std::numeric_limits<float>::epsilon() * std::fabs(a.x) + 1e-3f);
            QVERIFY(std::fabs(a.y - b.y) <=
                    8 * std::numeric_limits<float>::epsilon() * std::fabs(a.y) + 1e-3f);
        }
    }

    void hostileValues_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("text");
        const auto row = [](const char *name, I::Index field, const char *text) {
            QTest::newRow(name) << int(field) << text;
        };
        row("amp 1e400", I::XAmp, "1e400");
        row("amp -1e400", I::XAmp, "-1e400");
        row("amp 1e308", I::XAmp, "1e308");
        row("amp -1e308", I::XAmp, "-1e308");
        row("amp denormal", I::XAmp, "1e-320");
        row("Y amp 1e308", I::YAmp, "1e308");
        row("Y amp 1e400", I::YAmp, "1e400");
        row("freq /0", I::XFreq, "/0");
        row("freq /-0", I::XFreq, "/-0");
        row("freq denormal", I::XFreq, "1e-320");
        row("freq negative denormal", I::XFreq, "-1e-320");
        row("freq 1e400", I::XFreq, "1e400");
        row("freq /1e400", I::XFreq, "/1e400");
        row("Y freq beyond single", I::YFreq, "1e-40");
        row("Y freq /1e39", I::YFreq, "/1e39");
        row("pwr beyond single", I::XPwr1, "1e39");
        row("pwr negative beyond single", I::XPwr2, "-1e39");
        row("pwr reciprocal beyond single", I::YPwr1, "/1e-40");
        row("pwr 1e400", I::YPwr2, "1e400");
        row("rot angle beyond single", I::XRot, "1e39");
        row("rot angle 1e400", I::YRot, "1e400");
        row("rot factor beyond single", I::XRot, "-1e39");
        row("rot factor reciprocal of underflow", I::XRot, "/-1e-45");
        row("rot factor reciprocal beyond single", I::YRot, "/-1e-39");
        row("wst 1e400", I::XWst, "1e400");
        row("wst factor -1e400", I::YWst, "-1e400");
        row("wst factor /-1e400", I::XWst, "/-1e400");
    }
    void hostileValues()
    {
        QFETCH(int, field);
        QFETCH(QString, text);
        const std::string s = text.toStdString();
        ParameterTexts fields = plainFigure({});
        fields[I::Index(field)] = s;
        RandomSource random(5);
        const CurveParameters p = completed(fields, random);
        QVERIFY(std::fabs(p.x.freqDivisor) >= 0.003 && std::fabs(p.y.freqDivisor) >= 0.003);
        QVERIFY(p.scaleX >= 0 && p.scaleX <= 3000);
        QVERIFY(p.scaleY >= 0 && p.scaleY <= 3000);
        constexpr std::int32_t lowest = std::numeric_limits<std::int32_t>::min();
        constexpr std::int32_t highest = std::numeric_limits<std::int32_t>::max();
        for (std::int32_t n : {0, 1, -1, 10000, 3141593, 6283200, lowest, highest}) {
            const CurvePointF point = curve::curvePoint(p, n, 50, 50);
            // The terms stay within 0 and 2 + 2 |amplitude| and a rounded
            // scale exceeds 3000 / (|amplitude| + 1) by at most a half.
            if (std::isfinite(point.x))
                QVERIFY2(point.x >= 50 && point.x <= 50 + 6001 + std::fabs(p.x.amplitude),
                         QByteArray::number(point.x).constData());
            if (std::isfinite(point.y))
                QVERIFY2(point.y >= 50 && point.y <= 50 + 6001 + std::fabs(p.y.amplitude),
                         QByteArray::number(point.y).constData());
        }
    }

    void extremeOffsets()
    {
        const CurveParameters p = completed(plainFigure({}));
        constexpr std::int32_t highest = std::numeric_limits<std::int32_t>::max();
        const CurvePointF point = curve::curvePoint(p, 0, highest, -highest);
        QCOMPARE(point.x, single(3000.0 + highest));
        QCOMPARE(point.y, single(3000.0 - highest));
    }
};

QTEST_APPLESS_MAIN(TestCurve)
#include "test_curve.moc"
