// SPDX-License-Identifier: GPL-3.0-or-later
#include "locationrules.h"
#include "settings.h"
#include "settingsfile.h"
#include "settingslocation.h"
#include "settingstext.h"
#include "testfiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <sstream>

using namespace testfiles;

// A window of 7500 by 9000 twips at (1500, 1200) on a 1920 by 1080 screen.
namespace {

constexpr ScreenSize screen{28800, 16200};

Settings base()
{
    Settings s;
    s.windowHeight = 7500;
    s.windowTop = 1200;
    s.windowWidth = 9000;
    s.windowLeft = 1500;
    return s;
}

Settings modified(const std::function<void(Settings &)> &change)
{
    Settings s = base();
    change(s);
    return s;
}

// The state that tests/data/settings/changed.txt holds.
Settings changedState()
{
    return modified([](Settings &s) {
        s.setColors(colors::rgb(18, 52, 86), colors::rgb(200, 100, 0));
        s.prefs.randomColors = 1;
        s.frameBackColor = 8421504;
        s.frameForeColor = 255;
        s.autoClean = 0;
        s.autoCleanChecked = false;
        s.autoRedraw = "1";
        s.autoRedrawChecked = true;
        s.prefs.stepSize = 12.5;
        s.prefs.turns = 0.5f;
        s.prefs.penSize = 3;
        s.prefs.drawMode = 7;
        s.windowHeight = 16200;
        s.windowTop = 0;
        s.windowWidth = 18600;
        s.windowLeft = -30;
        s.frameRightOffset = -200;
        s.prefs.placement.drawLeftOffset = 0;
        s.prefs.placement.drawTopOffset = 120;
        s.prefs.placement.drawPartX = 0.75f;
        s.prefs.placement.drawPartY = 2;
        s.prefs.mouseDelay = 0;
        s.prefs.autoRunDelay = 1500;
    });
}

std::string text(const QByteArray &bytes)
{
    return bytes.toStdString();
}

// The defaults file with some of its lines (counted from 1) replaced.
using Lines = QMap<int, QByteArray>;
QByteArray defaultsWith(const Lines &replaced)
{
    QList<QByteArray> lines = testData("settings/defaults.txt").split('\n');
    for (auto it = replaced.begin(); it != replaced.end(); ++it)
        lines[it.key() - 1] = it.value() + '\r';
    return lines.join('\n');
}

Settings readInto(Settings settings, const QByteArray &fileText)
{
    settingstext::read(text(fileText), settings, screen);
    return settings;
}

} // namespace

Q_DECLARE_METATYPE(Settings)

// Names every field in a failed comparison.
char *toString(const Settings &s)
{
    std::ostringstream out;
    out.precision(17);
    out << "fore " << s.foreRed << ',' << s.foreGreen << ',' << s.foreBlue << " back " << s.backRed << ','
        << s.backGreen << ',' << s.backBlue << " randomColors " << s.prefs.randomColors << " frameBackColor "
        << s.frameBackColor << " frameForeColor " << s.frameForeColor << " autoClean " << s.autoClean << '/'
        << s.autoCleanChecked << " autoRedraw \"" << s.autoRedraw << "\"/" << s.autoRedrawChecked
        << " stepSize " << s.prefs.stepSize << " turns " << s.prefs.turns << " penSize " << s.prefs.penSize
        << " drawMode " << s.prefs.drawMode << " window " << s.windowHeight << ',' << s.windowTop << ','
        << s.windowWidth << ',' << s.windowLeft << " frameRightOffset " << s.frameRightOffset
        << " drawOffsets " << s.prefs.placement.drawLeftOffset << ',' << s.prefs.placement.drawTopOffset
        << " drawParts " << s.prefs.placement.drawPartX << ',' << s.prefs.placement.drawPartY
        << " mouseDelay " << s.prefs.mouseDelay << " autoRunDelay " << s.prefs.autoRunDelay;
    return qstrdup(out.str().c_str());
}

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    void defaultsFormColours()
    {
        const Settings s;
        QCOMPARE(s.foreground(), colors::Color(16777215));
        QCOMPARE(s.background(), colors::Color(0));
        QCOMPARE(s.prefs.penSize, std::int16_t(1));
        QCOMPARE(s.prefs.drawMode, std::int16_t(13));
        QCOMPARE(s.prefs.stepSize, 100.0);
        QCOMPARE(s.prefs.turns, 1.0f);
        QVERIFY(s.autoCleanChecked);
        QVERIFY(!s.autoRedrawChecked);
    }

    void coloursFromComponents()
    {
        Settings s;
        s.setColors(colors::rgb(18, 52, 86), colors::rgb(200, 100, 0));
        QCOMPARE(s.foreRed, 18);
        QCOMPARE(s.foreGreen, 52);
        QCOMPARE(s.foreBlue, 86);
        QCOMPARE(s.backRed, 200);
        QCOMPARE(s.backGreen, 100);
        QCOMPARE(s.backBlue, 0);
        QCOMPARE(s.foreground(), colors::rgb(18, 52, 86));
        s.foreGreen = 300;
        QCOMPARE(s.foreground(), colors::rgb(18, 255, 86));
    }

    void writeDefaultsMatchesGolden()
    {
        const QByteArray golden = testData("settings/defaults.txt");
        QVERIFY(!golden.isEmpty());
        QCOMPARE(QByteArray::fromStdString(settingstext::write(base(), screen)), golden);
    }

    void writeChangedMatchesGolden()
    {
        const QByteArray golden = testData("settings/changed.txt");
        QVERIFY(!golden.isEmpty());
        QCOMPARE(QByteArray::fromStdString(settingstext::write(changedState(), screen)), golden);
    }

    void readChangedGolden() { QCOMPARE(readInto(base(), testData("settings/changed.txt")), changedState()); }

    void readAcceptsLoneLineFeeds()
    {
        QCOMPARE(readInto(base(), testData("settings/changed.txt").replace("\r\n", "\n")), changedState());
    }

    void writeLine_data()
    {
        QTest::addColumn<Settings>("settings");
        QTest::addColumn<int>("line");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("half a turn") << modified([](Settings &s) { s.prefs.turns = 0.5f; }) << 13
                                     << QByteArray(".5 ' numbers of turns (default: 1)");
        QTest::newRow("third of a turn, 7 digits")
            << modified([](Settings &s) { s.prefs.turns = 1.0f / 3.0f; }) << 13
            << QByteArray(".3333333 ' numbers of turns (default: 1)");
        QTest::newRow("step size, 15 digits")
            << modified([](Settings &s) { s.prefs.stepSize = 1.0 / 3.0; }) << 12
            << QByteArray(".333333333333333 ' step size (default: 100)");
        QTest::newRow("huge step size") << modified([](Settings &s) { s.prefs.stepSize = 1e20; }) << 12
                                        << QByteArray("1E+20 ' step size (default: 100)");
        QTest::newRow("screen height") << modified([](Settings &s) { s.windowHeight = 16200; }) << 16
                                       << QByteArray("0 ' height of program window (0=screen height)");
        QTest::newRow("other height") << modified([](Settings &s) { s.windowHeight = 16185; }) << 16
                                      << QByteArray("16185 ' height of program window (0=screen height)");
        QTest::newRow("width from height")
            << modified([](Settings &s) { s.windowWidth = 9900; }) << 18
            << QByteArray("0 ' width of program window (0=sized to screen height)");
        QTest::newRow("width from screen height") << modified([](Settings &s) {
            s.windowHeight = 16200;
            s.windowWidth = 18600;
        }) << 18 << QByteArray("0 ' width of program window (0=sized to screen height)");
        QTest::newRow("other width") << modified([](Settings &s) {
            s.windowWidth = 9901;
        }) << 18 << QByteArray("9901 ' width of program window (0=sized to screen height)");
        QTest::newRow("negative left") << modified([](Settings &s) { s.windowLeft = -30; }) << 19
                                       << QByteArray("-30 ' offset from left side of screen");
        QTest::newRow("auto clean unchecked") << modified([](Settings &s) { s.autoCleanChecked = false; })
                                              << 10 << QByteArray("0 ' Auto clean (1=yes 0=no)");
        QTest::newRow("auto clean box, not value") << modified([](Settings &s) { s.autoClean = 2; }) << 10
                                                   << QByteArray("1 ' Auto clean (1=yes 0=no)");
        QTest::newRow("auto redraw checked")
            << modified([](Settings &s) { s.autoRedrawChecked = true; }) << 11
            << QByteArray("1 ' Auto redraw (1=yes 0=no - necessary for print/save)");
        QTest::newRow("auto redraw box, not text")
            << modified([](Settings &s) { s.autoRedraw = "2"; }) << 11
            << QByteArray("0 ' Auto redraw (1=yes 0=no - necessary for print/save)");
        QTest::newRow("blue beyond 16 bits") << modified([](Settings &s) { s.setColors(2147483647, 0); }) << 3
                                             << QByteArray("32767 ' foreground blue");
        QTest::newRow("negative colour")
            << modified([](Settings &s) { s.setColors(0, -1); }) << 4 << QByteArray("-1 ' background red");
        QTest::newRow("drawmode comment")
            << modified([](Settings &s) { s.prefs.drawMode = 16; }) << 15
            << QByteArray("16 ' drawmode (1-16   13=default   See readme.txt for details)");
        QTest::newRow("draw part") << modified([](Settings &s) {
            s.prefs.placement.drawPartY = 0.75f;
        }) << 24 << QByteArray(".75 ' part of screen in y-direction used for drawing (1=recommended)");
    }
    void writeLine()
    {
        QFETCH(Settings, settings);
        QFETCH(int, line);
        QFETCH(QByteArray, expected);
        const QList<QByteArray> lines =
            QByteArray::fromStdString(settingstext::write(settings, screen)).split('\n');
        QCOMPARE(lines.size(), settingstext::lineCount + 1);
        QCOMPARE(lines.last(), QByteArray());
        QCOMPARE(lines[line - 1], expected + '\r');
    }

    void roundTrip_data()
    {
        QTest::addColumn<Settings>("settings");
        QTest::newRow("defaults") << base();
        QTest::newRow("changed") << changedState();
        QTest::newRow("extremes") << modified([](Settings &s) {
            s.setColors(2147483647, colors::rgb(1, 2, 3));
            s.prefs.randomColors = -32768;
            s.frameBackColor = -2147483647 - 1;
            s.frameForeColor = 16777215;
            s.prefs.stepSize = 0.1;
            s.prefs.turns = 1234567;
            s.prefs.penSize = 32766;
            s.prefs.drawMode = 1;
            s.windowHeight = 1;
            s.windowTop = -2000000;
            s.windowWidth = 9999999;
            s.windowLeft = 0.25f;
            s.frameRightOffset = 32767;
            s.prefs.placement.drawLeftOffset = 2147483647;
            s.prefs.placement.drawTopOffset = -2147483647 - 1;
            s.prefs.placement.drawPartX = -0.5f;
            s.prefs.placement.drawPartY = 1e-10f;
            s.prefs.mouseDelay = -1;
            s.prefs.autoRunDelay = 2147483647;
        });
        QTest::newRow("fraction of a screen") << modified([](Settings &s) {
            s.windowHeight = 8100;
            s.windowWidth = 7200;
        });
    }
    void roundTrip()
    {
        QFETCH(Settings, settings);
        Settings restored;
        restored.windowHeight = 3000;
        restored.windowTop = 3;
        restored.windowWidth = 4000;
        restored.windowLeft = 4;
        settingstext::read(settingstext::write(settings, screen), restored, screen);
        QCOMPARE(restored, settings);
    }

    void readLine_data()
    {
        QTest::addColumn<Lines>("lines");
        QTest::addColumn<Settings>("expected");
        const auto row = [](const char *name, Lines lines, const std::function<void(Settings &)> &change) {
            QTest::newRow(name) << lines << modified(change);
        };
        const auto same = [](Settings &) {};

        row("unchanged defaults", {}, same);
        row("comment only", {{1, "' foreground red"}}, [](Settings &s) { s.foreRed = 0; });
        row("comment only on line 9", {{9, "' frame foreground color"}}, same);
        row("blanks and comment on line 9", {{9, "   ' frame foreground color"}}, same);
        row("line 9 value", {{9, "255 ' frame foreground color"}},
            [](Settings &s) { s.frameForeColor = 255; });
        row("line 9 without comment", {{9, "255"}}, [](Settings &s) { s.frameForeColor = 255; });
        row("empty line", {{1, ""}}, same);
        row("blank line", {{12, "    "}}, same);
        row("leading blanks", {{1, "   7 ' foreground red"}}, [](Settings &s) { s.foreRed = 7; });
        row("text after the number", {{12, "250abc ' step size"}},
            [](Settings &s) { s.prefs.stepSize = 250; });
        row("text after an offset", {{21, "100abc ' offset"}},
            [](Settings &s) { s.prefs.placement.drawLeftOffset = 100; });
        row("quoted", {{1, "\"7\""}}, [](Settings &s) { s.foreRed = 7; });
        row("quoted comma", {{1, "\"7,5\" ' foreground red"}}, [](Settings &s) { s.foreRed = 7; });
        row("quoted apostrophe", {{12, "\"  42 ' x\""}}, [](Settings &s) { s.prefs.stepSize = 42; });
        row("quoted blanks", {{1, "\"   \""}}, same);
        row("quoted empty", {{1, "\"\""}}, same);

        // Colour components: 16-bit, never negative.
        row("component rounds half to even", {{2, "2.5"}}, [](Settings &s) { s.foreGreen = 2; });
        row("component above 255", {{4, "300"}}, [](Settings &s) { s.backRed = 300; });
        row("negative component", {{5, "-1"}}, same);
        row("small negative rounds to 0", {{1, "-0.4"}}, [](Settings &s) { s.foreRed = 0; });
        row("component beyond 16 bits", {{3, "40000"}}, same);
        row("infinite component", {{1, "1e999"}}, same);
        row("random colors", {{7, "1"}}, [](Settings &s) { s.prefs.randomColors = 1; });
        row("random colors beyond 16 bits", {{7, "40000"}}, same);
        row("frame colour", {{8, "8421504"}}, [](Settings &s) { s.frameBackColor = 8421504; });
        row("frame colour beyond 32 bits", {{8, "3e9"}}, same);
        row("panel text colour beyond 32 bits", {{9, "-3e9"}}, same);

        // The check boxes.
        row("auto clean 2 stays checked", {{10, "2"}}, [](Settings &s) { s.autoClean = 2; });
        row("auto clean 0 unchecks", {{10, "0"}}, [](Settings &s) {
            s.autoClean = 0;
            s.autoCleanChecked = false;
        });
        row("auto clean comment only unchecks", {{10, "' Auto clean"}}, [](Settings &s) {
            s.autoClean = 0;
            s.autoCleanChecked = false;
        });
        row("auto clean negative zero", {{10, "-0"}}, [](Settings &s) {
            s.autoClean = 0;
            s.autoCleanChecked = false;
        });
        row("auto clean empty", {{10, ""}}, same);
        row("auto clean infinite", {{10, "1e999"}}, same);
        row("auto redraw 1 checks", {{11, "1"}}, [](Settings &s) {
            s.autoRedraw = "1";
            s.autoRedrawChecked = true;
        });
        row("auto redraw 1.0 checks", {{11, "1.0 ' x"}}, [](Settings &s) {
            s.autoRedraw = "1";
            s.autoRedrawChecked = true;
        });
        row("auto redraw 2 does not check", {{11, "2"}}, [](Settings &s) { s.autoRedraw = "2"; });
        row("auto redraw fraction", {{11, ".5"}}, [](Settings &s) { s.autoRedraw = "0.5"; });
        row("auto redraw infinite", {{11, "1e999"}}, same);

        // Lines 12 to 15 have ranges.
        row("step size 0", {{12, "0"}}, same);
        row("step size -5", {{12, "-5"}}, same);
        row("step size fraction", {{12, "0.25"}}, [](Settings &s) { s.prefs.stepSize = 0.25; });
        row("turns half", {{13, "0.5"}}, [](Settings &s) { s.prefs.turns = 0.5f; });
        row("turns 0", {{13, "0"}}, same);
        row("turns beyond single precision", {{13, "1e39"}}, same);
        row("turns below single precision", {{13, "1e-200"}}, same);
        row("pen size 32767", {{14, "32767"}}, same);
        row("pen size 0", {{14, "0"}}, same);
        row("pen size rounding to 0", {{14, "0.5"}}, same);
        row("pen size negative", {{14, "-3"}}, same);
        row("pen size rounds", {{14, "1.5"}}, [](Settings &s) { s.prefs.penSize = 2; });
        row("pen size 32766", {{14, "32766"}}, [](Settings &s) { s.prefs.penSize = 32766; });
        row("mode 17", {{15, "17"}}, same);
        row("mode 16", {{15, "16"}}, [](Settings &s) { s.prefs.drawMode = 16; });
        row("mode rounding to 17", {{15, "16.6"}}, same);
        row("mode rounding to 0", {{15, "0.5"}}, same);
        row("mode rounding to 1", {{15, "0.6"}}, [](Settings &s) { s.prefs.drawMode = 1; });
        row("mode half to even", {{15, "2.5"}}, [](Settings &s) { s.prefs.drawMode = 2; });

        // Window geometry.
        row("height 0", {{16, "0"}}, [](Settings &s) { s.windowHeight = 16200; });
        row("height half the screen", {{16, "0.5"}}, [](Settings &s) { s.windowHeight = 8100; });
        row("height 8000", {{16, "8000"}}, [](Settings &s) { s.windowHeight = 8000; });
        row("height 8000 then width 0", {{16, "8000"}, {18, "0"}}, [](Settings &s) {
            s.windowHeight = 8000;
            s.windowWidth = 10400;
        });
        row("height 0 then width 0", {{16, "0"}, {18, "0"}}, [](Settings &s) {
            s.windowHeight = 16200;
            s.windowWidth = 18600;
        });
        row("width 0 from the height as it stands", {{18, "0"}}, [](Settings &s) { s.windowWidth = 9900; });
        row("width quarter of the screen", {{18, "0.25"}}, [](Settings &s) { s.windowWidth = 7200; });
        row("width 12000", {{18, "12000"}}, [](Settings &s) { s.windowWidth = 12000; });
        row("negative height", {{16, "-8000"}}, same);
        row("negative fraction of height", {{16, "-0.5"}}, same);
        row("negative width", {{18, "-1"}}, same);
        row("negative fraction of width", {{18, "-0.25"}}, same);
        row("height 2^31", {{16, "2147483648"}}, same);
        row("height just under 2^31 in single precision", {{16, "2147483647"}}, same);
        row("height infinite", {{16, "1e999"}}, same);
        row("height fraction below one twip", {{16, "1e-6"}}, same);
        row("width fraction below one twip", {{18, "1e-9"}}, same);
        row("top negative", {{17, "-300"}}, [](Settings &s) { s.windowTop = -300; });
        row("top beyond 2^31", {{17, "-3e9"}}, same);
        row("left far off", {{19, "-2e9"}}, [](Settings &s) { s.windowLeft = -2e9f; });
        row("left beyond 2^31", {{19, "3e9"}}, same);
        row("left largest single below 2^31", {{19, "2147483520"}}, same);
        row("left next single below", {{19, "2147483392"}},
            [](Settings &s) { s.windowLeft = 2147483392.0f; });

        // Offsets, parts and delays.
        row("frame offset", {{20, "-200"}}, [](Settings &s) { s.frameRightOffset = -200; });
        row("frame offset beyond 16 bits", {{20, "40000"}}, same);
        row("draw left offset beyond 32 bits", {{21, "3e9"}}, same);
        row("draw top offset", {{22, "-7.5"}}, [](Settings &s) { s.prefs.placement.drawTopOffset = -8; });
        row("draw part", {{23, ".5"}}, [](Settings &s) { s.prefs.placement.drawPartX = 0.5f; });
        row("draw part beyond single precision", {{24, "1e39"}}, same);
        row("mouse delay", {{25, "0"}}, [](Settings &s) { s.prefs.mouseDelay = 0; });
        row("auto run delay", {{26, "1500"}}, [](Settings &s) { s.prefs.autoRunDelay = 1500; });
        row("auto run delay beyond 32 bits", {{26, "2147483648"}}, same);
        row("nothing after the 26th field", {{26, "0,7"}}, same);
    }
    void readLine()
    {
        QFETCH(Lines, lines);
        QFETCH(Settings, expected);
        QCOMPARE(readInto(base(), defaultsWith(lines)), expected);
    }

    void readText_data()
    {
        QTest::addColumn<QByteArray>("fileText");
        QTest::addColumn<Settings>("expected");

        // Every field after the comma moves down by one line.
        const Settings shifted = modified([](Settings &s) {
            s.foreRed = 1;
            s.foreGreen = 5;
            s.foreBlue = 255;
            s.backRed = 255;
            s.backGreen = 0;
            s.backBlue = 0;
            s.prefs.randomColors = 0;
            s.frameBackColor = 0;
            s.frameForeColor = 0;
            s.autoClean = 65535;
            s.autoRedraw = "1";
            s.autoRedrawChecked = true;
            s.prefs.turns = 100;
            s.prefs.penSize = 1;
            s.prefs.drawMode = 1;
            s.windowHeight = 13;
            s.windowTop = 7500;
            s.windowWidth = 1200;
            s.windowLeft = 9000;
            s.frameRightOffset = 1500;
            s.prefs.placement.drawLeftOffset = 0;
            s.prefs.placement.drawTopOffset = 50;
            s.prefs.placement.drawPartX = 50;
            s.prefs.placement.drawPartY = 1;
            s.prefs.mouseDelay = 1;
            s.prefs.autoRunDelay = 200;
        });
        QTest::newRow("comma on line 1") << defaultsWith({{1, "1,5 ' foreground red"}}) << shifted;
        Settings quotedShift = shifted;
        quotedShift.foreRed = 7;
        quotedShift.foreGreen = 9;
        QTest::newRow("text after a closing quote") << defaultsWith({{1, "\"7\" junk,9"}}) << quotedShift;

        QTest::newRow("empty file") << QByteArray() << base();
        QTest::newRow("short file") << QByteArray("12\r\n34\r\n") << modified([](Settings &s) {
            s.foreRed = 12;
            s.foreGreen = 34;
        });
        QTest::newRow("short file without last line end")
            << QByteArray("12\r\n34") << modified([](Settings &s) {
                   s.foreRed = 12;
                   s.foreGreen = 34;
               });
        QTest::newRow("empty lines are fields")
            << QByteArray("12\r\n\r\n\r\n40\r\n") << modified([](Settings &s) {
                   s.foreRed = 12;
                   s.backRed = 40;
               });
        QTest::newRow("trailing comma") << QByteArray("12,\r\n40") << modified([](Settings &s) {
            s.foreRed = 12;
            s.foreBlue = 40;
        });
        QTest::newRow("commas on one line") << QByteArray("1,2,3") << modified([](Settings &s) {
            s.foreRed = 1;
            s.foreGreen = 2;
            s.foreBlue = 3;
        });
        QTest::newRow("quote spanning lines")
            << QByteArray("\"12\r\n34\"\r\n56") << modified([](Settings &s) {
                   s.foreRed = 12;
                   s.foreGreen = 56;
               });
        QTest::newRow("unclosed quote")
            << QByteArray("\"12\r\n34") << modified([](Settings &s) { s.foreRed = 12; });
        QTest::newRow("lines after the 26th") << testData("settings/defaults.txt") + "5 ' extra\r\n7\r\n"
                                              << base();
        QTest::newRow("changed with a 27th line") << testData("settings/changed.txt") + "5 ' extra\r\n"
                                                  << changedState();
    }
    void readText()
    {
        QFETCH(QByteArray, fileText);
        QFETCH(Settings, expected);
        QCOMPARE(readInto(base(), fileText), expected);
    }

    void alwaysPartsRunOnBlankFields()
    {
        Settings s = base();
        s.autoClean = 0;
        s.autoRedraw = "1";
        const Settings read = readInto(s, defaultsWith({{10, ""}, {11, ""}}));
        QVERIFY(!read.autoCleanChecked);
        QVERIFY(read.autoRedrawChecked);
        QCOMPARE(read.autoRedraw, std::string("1"));
    }

    void checkBoxesAreOnlySetOneWay()
    {
        // Line 10 can only uncheck and line 11 only check, as the window's
        // boxes start checked and unchecked.
        Settings s = base();
        s.autoCleanChecked = false;
        s.autoRedrawChecked = true;
        const Settings read = readInto(s, defaultsWith({}));
        QVERIFY(!read.autoCleanChecked);
        QCOMPARE(read.autoClean, 1.0);
        QVERIFY(read.autoRedrawChecked);
        QCOMPARE(read.autoRedraw, std::string("0"));
    }

    void readFileMissing()
    {
        const QTemporaryDir dir;
        QVERIFY(dir.isValid());
        Settings s = base();
        QVERIFY(!settingsfile::readFile(dir.filePath("voludef.txt"), s, screen));
        QCOMPARE(s, base());
        QVERIFY(!settingsfile::readFile(dir.path(), s, screen));
        QCOMPARE(s, base());
    }

    void writeFileThenReadFile()
    {
        const QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath("voludef.txt");
        QVERIFY(writeBytes(path, QByteArray(5000, 'x')));
        QVERIFY(!settingsfile::writeFile(path, base(), screen));
        QCOMPARE(readBytes(path), testData("settings/defaults.txt"));
        QVERIFY(!settingsfile::writeFile(path, changedState(), screen));
        QCOMPARE(readBytes(path), testData("settings/changed.txt"));
        Settings s = base();
        QVERIFY(settingsfile::readFile(path, s, screen));
        QCOMPARE(s, changedState());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"voludef.txt"});
    }

    void readFileStopsAtLimit_data()
    {
        QTest::addColumn<qint64>("blanks");
        QTest::addColumn<int>("foreRed");
        QTest::newRow("number inside the limit") << settingsfile::maxReadBytes - 3 << 7;
        QTest::newRow("number beyond the limit") << settingsfile::maxReadBytes << 255;
    }
    void readFileStopsAtLimit()
    {
        QFETCH(qint64, blanks);
        QFETCH(int, foreRed);
        const QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath("voludef.txt");
        QVERIFY(writeBytes(path, QByteArray(blanks, ' ') + "7\r\n9\r\n"));
        Settings s = base();
        QVERIFY(settingsfile::readFile(path, s, screen));
        QCOMPARE(s.foreRed, foreRed);
        QCOMPARE(s.foreGreen, 255);
    }

    void readFileWithLongComments()
    {
        const QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath("voludef.txt");
        QByteArray padded = testData("settings/changed.txt");
        padded.replace("\r\n", QByteArray(2000, '.') + "\r\n");
        QVERIFY(writeBytes(path, padded));
        Settings s = base();
        QVERIFY(settingsfile::readFile(path, s, screen));
        QCOMPARE(s, changedState());
    }

    void writeFileFails_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("number");
        QTest::newRow("missing folder") << "missing folder" << failures::PathNotFound;
        QTest::newRow("read-only folder") << "read-only folder" << failures::PermissionDenied;
        QTest::newRow("read-only file") << "read-only file" << failures::PermissionDenied;
        QTest::newRow("folder as file") << "folder as file" << failures::AccessError;
        QTest::newRow("/dev/full") << "/dev/full" << failures::DiskFull;
        // The new text goes to a file named after the old one with a suffix,
        // which makes this name too long: the old file must survive.
        QTest::newRow("name too long for the new file") << "long name" << failures::BadFileName;
    }
    void writeFileFails()
    {
        QFETCH(QString, kind);
        QFETCH(int, number);
        const bool root = geteuid() == 0;
        if (root && kind.startsWith("read-only"))
            QSKIP("permissions do not bind root");
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QByteArray old = "old settings\r\n";
        QString path = dir.filePath("voludef.txt");
        if (kind == "missing folder") {
            path = dir.filePath("missing/voludef.txt");
        } else if (kind == "read-only folder") {
            QVERIFY(writeBytes(path, old));
            QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                                                          QFile::ExeGroup | QFile::ReadOther |
                                                          QFile::ExeOther));
        } else if (kind == "read-only file") {
            QVERIFY(writeBytes(path, old));
            QVERIFY(QFile::setPermissions(path, QFile::ReadOwner));
        } else if (kind == "long name") {
            path = dir.filePath(QString(250, 'v'));
            QVERIFY(writeBytes(path, old));
        } else if (kind == "folder as file") {
            QVERIFY(QDir(dir.path()).mkdir("voludef.txt"));
        } else {
            path = kind;
            if (!QFileInfo::exists(path))
                QSKIP("no /dev/full here");
        }

        const auto failure = settingsfile::writeFile(path, base(), screen);
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(failure.has_value());
        QCOMPARE(failure->number, number);
        QCOMPARE(failure->description, failures::describe(number));

        const bool hadFile = kind.startsWith("read-only") || kind == "long name";
        if (hadFile)
            QCOMPARE(readBytes(path), old);
        if (kind == "/dev/full") {
            struct stat info {};
            QCOMPARE(stat("/dev/full", &info), 0);
            QVERIFY(S_ISCHR(info.st_mode));
        } else {
            QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                     hadFile ? QStringList{QFileInfo(path).fileName()} : QStringList{});
        }
    }

    void settingsFolder_data()
    {
        QTest::addColumn<bool>("hasHelpText");
        QTest::addColumn<bool>("hasSettingsFile");
        QTest::addColumn<bool>("writable");
        QTest::addColumn<QString>("expected");
        const QString beside = "/opt/volutra";
        const QString config = "/home/u/.config/Volutra";
        QTest::newRow("build tree or portable copy") << true << false << true << beside;
        QTest::newRow("portable copy on a read-only medium") << true << false << false << config;
        QTest::newRow("installed, run by root") << false << false << true << config;
        QTest::newRow("installed") << false << false << false << config;
        QTest::newRow("portable copy without the guide") << false << true << true << beside;
        QTest::newRow("settings beside on a read-only medium") << false << true << false << beside;
        QTest::newRow("portable copy with both") << true << true << true << beside;
    }

    void settingsFolder()
    {
        QFETCH(bool, hasHelpText);
        QFETCH(bool, hasSettingsFile);
        QFETCH(bool, writable);
        QFETCH(QString, expected);
        const locationrules::ProgramFolder program{"/opt/volutra", hasHelpText, hasSettingsFile, writable};
        QCOMPARE(locationrules::settingsFolder(program, "/home/u/.config/Volutra"), expected);
    }

    void helpFileCandidates_data()
    {
        QTest::addColumn<QString>("programFolder");
        QTest::addColumn<QStringList>("dataFolders");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("installed in /usr")
            << "/usr/bin" << QStringList{"/root/.local/share", "/usr/local/share/", "/usr/share/"}
            << QStringList{"/usr/bin/readme.txt", "/usr/share/doc/volutra/readme.txt",
                           "/root/.local/share/doc/volutra/readme.txt",
                           "/usr/local/share/doc/volutra/readme.txt"};
        QTest::newRow("moved prefix") << "/home/u/apps/volutra/bin" << QStringList{"/usr/share"}
                                      << QStringList{"/home/u/apps/volutra/bin/readme.txt",
                                                     "/home/u/apps/volutra/share/doc/volutra/readme.txt",
                                                     "/usr/share/doc/volutra/readme.txt"};
        QTest::newRow("no data folders")
            << "/tmp/build" << QStringList{}
            << QStringList{"/tmp/build/readme.txt", "/tmp/share/doc/volutra/readme.txt"};
    }

    void helpFileCandidates()
    {
        QFETCH(QString, programFolder);
        QFETCH(QStringList, dataFolders);
        QFETCH(QStringList, expected);
        QCOMPARE(locationrules::helpFileCandidates(programFolder, "../share/doc/volutra", dataFolders),
                 expected);
    }

    // The test program has no readme.txt beside it, as an installed program:
    // its settings go to the XDG configuration folder, and "?" finds the
    // help text in the XDG data folder.
    void locationsOfAnInstalledProgram()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(!QFileInfo::exists(QDir(QCoreApplication::applicationDirPath()).filePath("readme.txt")));
        const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
        const QByteArray oldData = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_CONFIG_HOME", dir.filePath("config").toLocal8Bit());
        qputenv("XDG_DATA_HOME", dir.filePath("data").toLocal8Bit());
        const QString help = dir.filePath("data/doc/volutra/readme.txt");
        QVERIFY(QDir().mkpath(QFileInfo(help).path()));
        QFile helpFile(help);
        QVERIFY(helpFile.open(QIODevice::WriteOnly));
        helpFile.close();

        const QString settingsFolder = dir.filePath("config/" + QCoreApplication::applicationName());
        const QString settings = settingsFilePath();
        const bool madeFolder = makeSettingsFolder();
        const QString foundHelp = helpFilePath();
        qputenv("XDG_CONFIG_HOME", oldConfig);
        qputenv("XDG_DATA_HOME", oldData);

        QCOMPARE(settings, settingsFolder + "/voludef.txt");
        QVERIFY(madeFolder);
        QVERIFY(QFileInfo(settingsFolder).isDir());
        QCOMPARE(foundHelp, help);
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
