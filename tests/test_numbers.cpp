// SPDX-License-Identifier: GPL-3.0-or-later
#include "colors.h"
#include "datatable.h"
#include "numbers.h"

#include <QTest>

#include <cmath>
#include <limits>

using numbers::leadingNumber;

class TestNumbers : public QObject {
    Q_OBJECT
private slots:
    void leadingNumberReads_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("plain") << "120" << 120.0;
        QTest::newRow("blanks inside") << "1 2" << 12.0;
        QTest::newRow("tabs and line feeds") << "\t-\n3 .5" << -3.5;
        QTest::newRow("comma ends") << "1,5" << 1.0;
        QTest::newRow("slash ends") << "1/3" << 1.0;
        QTest::newRow("letters") << "abc" << 0.0;
        QTest::newRow("trailing letters") << "100abc" << 100.0;
        QTest::newRow("leading point") << ".5" << 0.5;
        QTest::newRow("second point ends") << "1.2.3" << 1.2;
        QTest::newRow("exponent") << "1.5E3" << 1500.0;
        QTest::newRow("small e") << "2e-2" << 0.02;
        QTest::newRow("exponent without digits") << "7e+" << 7.0;
        QTest::newRow("plus sign") << "+4" << 4.0;
        QTest::newRow("sign alone") << "-" << 0.0;
        QTest::newRow("point alone") << "." << 0.0;
        QTest::newRow("carriage return ends") << "5\r6" << 5.0;
        QTest::newRow("apostrophe ends") << "255 ' foreground red" << 255.0;
        QTest::newRow("denormal") << "-1e-320" << -1e-320;
    }
    void leadingNumberReads()
    {
        QFETCH(QString, text);
        QFETCH(double, expected);
        QCOMPARE(leadingNumber(text.toStdString()), expected);
    }

    void leadingNumberBeyondDoubleRange()
    {
        QCOMPARE(leadingNumber("1e400"), std::numeric_limits<double>::infinity());
        QCOMPARE(leadingNumber("-1e400"), -std::numeric_limits<double>::infinity());
        QCOMPARE(leadingNumber("1e-400"), 0.0);
    }

    void leadingNumberIgnoresLocale()
    {
        const char *old = setlocale(LC_NUMERIC, nullptr);
        const std::string saved = old ? old : "C";
        if (!setlocale(LC_NUMERIC, "de_DE.UTF-8"))
            QSKIP("no German locale on this machine");
        QCOMPARE(leadingNumber("2.25"), 2.25);
        setlocale(LC_NUMERIC, saved.c_str());
    }

    void generalText_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("digits");
        QTest::addColumn<QString>("expected");
        QTest::newRow("zero") << 0.0 << 15 << " 0";
        QTest::newRow("negative zero") << -0.0 << 15 << " 0";
        QTest::newRow("three") << 3.0 << 15 << " 3";
        QTest::newRow("half") << 0.5 << 15 << " .5";
        QTest::newRow("minus half") << -0.5 << 15 << "-.5";
        QTest::newRow("sum of tenths") << 0.2 + 0.1 << 15 << " .3";
        QTest::newRow("quarter") << 2.25 << 15 << " 2.25";
        QTest::newRow("fifteen digits") << 123456789012345.0 << 15 << " 123456789012345";
        QTest::newRow("large") << 1e20 << 15 << " 1E+20";
        QTest::newRow("1e15") << 1e15 << 15 << " 1E+15";
        QTest::newRow("small") << 0.0001 << 15 << " .0001";
        QTest::newRow("smaller") << 0.00001 << 15 << " 1E-05";
        QTest::newRow("long fraction") << 1.0 / 3.0 << 15 << " .333333333333333";
        QTest::newRow("single third") << double(1.0f / 3.0f) << 7 << " .3333333";
        QTest::newRow("single 1e7") << 1e7 << 7 << " 1E+07";
        QTest::newRow("mantissa") << -1.5e300 << 15 << "-1.5E+300";
        QTest::newRow("rounds up to power") << 9.9999999999999999e14 << 15 << " 1E+15";
    }
    void generalText()
    {
        QFETCH(double, value);
        QFETCH(int, digits);
        QFETCH(QString, expected);
        QCOMPARE(QString::fromStdString(numbers::generalText(value, digits)), expected);
    }

    void parameterText_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("three") << 3.0 << "3";
        QTest::newRow("quarter") << 2.25 << "2.25";
        QTest::newRow("half") << 0.5 << "0.5";
        QTest::newRow("minus half") << -0.5 << "-0.5";
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("tenths") << 0.2 + 0.1 << "0.3";
        QTest::newRow("minus tenth") << 0.0 - 0.1 << "-0.1";
        QTest::newRow("exponent") << 1e-7 << "1E-07";
    }
    void parameterText()
    {
        QFETCH(double, value);
        QFETCH(QString, expected);
        QCOMPARE(QString::fromStdString(numbers::parameterText(value)), expected);
    }

    void numberTextForms()
    {
        using numbers::Precision;
        QCOMPARE(numbers::numberText(255, Precision::Single), std::string("255"));
        QCOMPARE(numbers::numberText(0.5, Precision::Single), std::string(".5"));
        QCOMPARE(numbers::numberText(-0.5, Precision::Double), std::string("-.5"));
        QCOMPARE(numbers::numberText(1e20, Precision::Double), std::string("1E+20"));
        QCOMPARE(numbers::numberText(0.1f, Precision::Single), std::string(".1"));
        QCOMPARE(numbers::numberText(3000.0f / 6228.0f, Precision::Single), std::string(".4816956"));
    }

    void writtenTextsReadBack_data()
    {
        oneColumnTable<double>("value", {{"third", 1.0 / 3.0},
                                         {"huge", 1.7976931348623157e308},
                                         {"tiny", 2.2250738585072014e-308},
                                         {"negative", -123.456},
                                         {"whole", 1e14}});
    }
    void writtenTextsReadBack()
    {
        // 15 digits do not always carry a double exactly; they do carry it
        // to within a relative 1e-14.
        QFETCH(double, value);
        const double back = leadingNumber(numbers::parameterText(value));
        QVERIFY2(std::fabs(back - value) <= std::fabs(value) * 1e-14, numbers::parameterText(value).c_str());
    }

    void roundsHalfToEven_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("2.5") << 2.5 << 2;
        QTest::newRow("3.5") << 3.5 << 4;
        QTest::newRow("-2.5") << -2.5 << -2;
        QTest::newRow("254.5") << 254.5 << 254;
        QTest::newRow("255.5") << 255.5 << 256;
        QTest::newRow("0.4") << 0.4 << 0;
    }
    void roundsHalfToEven()
    {
        QFETCH(double, value);
        QFETCH(int, expected);
        QCOMPARE(*numbers::roundToInt32(value), expected);
        QCOMPARE(int(*numbers::roundToInt16(value)), expected);
    }

    void roundingRefusesOrClampsOutOfRange()
    {
        QVERIFY(!numbers::roundToInt16(32767.5).has_value());
        QCOMPARE(*numbers::roundToInt16(32766.5), std::int16_t(32766));
        QVERIFY(!numbers::roundToInt16(-32768.6).has_value());
        QVERIFY(!numbers::roundToInt32(2147483647.5).has_value());
        QVERIFY(!numbers::roundToInt32(std::nan("")).has_value());
        QCOMPARE(numbers::clampToInt32(1e300), std::numeric_limits<std::int32_t>::max());
        QCOMPARE(numbers::clampToInt32(-1e300), std::numeric_limits<std::int32_t>::min());
        QCOMPARE(numbers::clampToInt32(std::nan("")), 0);
        QCOMPARE(numbers::clampToInt16(40000), std::int16_t(32767));
    }

    void colours()
    {
        QCOMPARE(colors::rgb(255, 255, 255), colors::white);
        QCOMPARE(colors::rgb(300, 0, 0), 255);
        QCOMPARE(colors::rgb(0, 255, 0), 65280);
        const auto c = colors::split(0x123456);
        QCOMPARE(c.red, 0x56);
        QCOMPARE(c.green, 0x34);
        QCOMPARE(c.blue, 0x12);
        const auto negative = colors::split(-1);
        QCOMPARE(negative.red, -1);
        QCOMPARE(negative.green, -1);
        QCOMPARE(negative.blue, -1);
        QCOMPARE(colors::toPixel(255), 0xffff0000u);
        QCOMPARE(colors::fromPixel(colors::toPixel(0x123456)), 0x123456);
        // A pen covering a share of a pixel: each component mixed and rounded.
        QCOMPARE(colors::mixedPixel(0xff000080u, 0xffffff00u, 0.5), 0xff808040u);
        const auto navyToYellow = colors::shades(0xff000080u, 0xffffff00u);
        QCOMPARE(navyToYellow.front(), 0xff000080u);
        QCOMPARE(navyToYellow.back(), 0xffffff00u);
        QCOMPARE(navyToYellow[51], 0xff333366u);
    }
};

QTEST_APPLESS_MAIN(TestNumbers)
#include "test_numbers.moc"
