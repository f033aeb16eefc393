// SPDX-License-Identifier: GPL-3.0-or-later
#include "formfixture.h"

#include <QElapsedTimer>
#include <QtTest>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>

// Hostile values in the parameter fields, in the settings file and in the
// fields of the hidden commands "!" and "col": every drawing they lead to
// must stay stoppable, keep the window responsive and end cleanly.

using FormCheck = std::function<void(Form1 &)>;
Q_DECLARE_METATYPE(FormCheck)

using namespace formtest;

namespace {

enum class Source { Field, SettingsFile, Command };

// A plain figure that every field row starts from; the row replaces one
// field's text.
const QMap<QString, QString> &baseFigure()
{
    static const QMap<QString, QString> figure = {
        {"Text1", "0.6"}, {"Text2", "7"},   {"Text3", "0.5"}, {"Text4", "5"},
        {"Text5", "1"},   {"Text6", "1"},   {"Text7", "10"},  {"Text8", "20"},
        {"Text9", "30"},  {"Text10", "40"}, {"Text13", "1"},  {"Text14", "1"},
    };
    return figure;
}

struct HostileValue {
    const char *name;
    QString text;
};

QList<HostileValue> hostileValues()
{
    QString digits;
    digits.reserve(1 << 20);
    while (digits.size() < (1 << 20))
        digits += QStringLiteral("1234567890");
    QString letters;
    letters.reserve(1 << 20);
    while (letters.size() < (1 << 20))
        letters += QStringLiteral("abcdefghijklmnopqrstuvwxyz");
    return {
        {"1e308", "1e308"},
        {"1e400", "1e400"},
        {"-1e400", "-1e400"},
        {"-1e-320", "-1e-320"},
        {"slash 0", "/0"},
        {"slash -0", "/-0"},
        {"slash 1e-320", "/1e-320"},
        {"a megabyte of digits", digits},
        {"a megabyte of letters", letters},
        {"control characters", QString::fromLatin1("\x01\x7f\t\n")},
        {"minus", "-"},
        {"slash", "/"},
        {"slash minus", "/-"},
        {"comma", ","},
    };
}

// A settings file of 26 lines, all empty except the ones given: an empty line
// leaves its value as it was.
QByteArray settingsFile(const QMap<int, QByteArray> &lines)
{
    QByteArray text;
    for (int line = 1; line <= 26; ++line)
        text += lines.value(line) + "\r\n";
    return text;
}

// The checkpoints of a run come with one pass of the event loop each, and a
// timer of no interval fires once in every pass. The timer stops the run at
// its `stopAt`th pass and counts the passes that come after the stop.
struct RunObservation {
    int passes = 0;
    bool stopPressed = false;
    int passesAfterStop = 0;
    std::int16_t stopRequestedAfterPress = 0;
    QString captionWhileRunning;
    bool otherClickHandled = false;
    qint64 msAfterStop = -1;
};

// Starts a run with `button` and observes it as above. At the first pass
// "AutoRedraw" is clicked, which must take effect during the run.
RunObservation observeRun(Form1 &form, QPushButton *button, int stopAt)
{
    RunObservation seen;
    QElapsedTimer sinceStop;
    QCheckBox *autoRedraw = form.Frame1->Check2;
    const bool autoRedrawBefore = form.surface().autoRedraw();
    auto *ticker = new QTimer(&form);
    QObject::connect(ticker, &QTimer::timeout, &form, [&] {
        ++seen.passes;
        if (seen.stopPressed) {
            ++seen.passesAfterStop;
            return;
        }
        if (form.state().drawingActive == 0)
            return;
        if (seen.passes == 1) {
            const bool checked = autoRedraw->isChecked();
            clickCheckBox(autoRedraw);
            seen.otherClickHandled = autoRedraw->isChecked() != checked &&
                                     form.surface().autoRedraw() != autoRedrawBefore &&
                                     form.Frame1->Command16->isEnabled() == autoRedraw->isChecked();
        }
        if (seen.passes >= stopAt) {
            seen.captionWhileRunning = form.Frame1->Command17->text();
            click(form.Frame1->Command17);
            seen.stopPressed = true;
            seen.stopRequestedAfterPress = form.state().stopRequested;
            sinceStop.start();
        }
    });
    ticker->start(0);
    click(button);
    ticker->stop();
    delete ticker;
    if (seen.stopPressed)
        seen.msAfterStop = sinceStop.elapsed();
    return seen;
}

} // namespace

class TestHostile : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void hostile_data();
    void hostile();
};

void TestHostile::initTestCase()
{
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("offscreen"));
}

void TestHostile::hostile_data()
{
    QTest::addColumn<int>("source");
    // Field rows: the field and its text; command rows: the command, every
    // field of the command getting the text.
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("settings");
    // Starts the run with "AutoRun" instead of "Draw".
    QTest::addColumn<bool>("autoRun");
    // The pass of the event loop at which "Stop Draw" is pressed.
    QTest::addColumn<int>("stopAt");
    // Whether that pass comes in the pause between two drawings.
    QTest::addColumn<bool>("inPause");
    // What the window must hold before the run.
    QTest::addColumn<FormCheck>("check");

    const FormCheck none = [](Form1 &) {};
    const QList<HostileValue> values = hostileValues();
    for (const QString &name : fieldNames) {
        for (const HostileValue &value : values)
            QTest::addRow("%s %s", qPrintable(name), value.name)
                << int(Source::Field) << name << value.text << QByteArray() << false << 3 << false << none;
        // The same field alone, all others empty.
        QTest::addRow("%s 1e9, others empty", qPrintable(name))
            << int(Source::Field) << name << QString("1e9") << QByteArray() << false << 3 << false << none;
    }

    const auto settingsRow = [&](const char *rowName, const QMap<int, QByteArray> &lines, FormCheck check,
                                 bool autoRun = false, int stopAt = 3, bool inPause = false) {
        QTest::addRow("settings %s", rowName) << int(Source::SettingsFile) << QString() << QString()
                                              << settingsFile(lines) << autoRun << stopAt << inPause << check;
    };
    settingsRow("turns 1e9, step 1", {{12, "1"}, {13, "1e9"}}, [](Form1 &f) {
        QCOMPARE(f.state().prefs.turns, 1e9f);
        QCOMPARE(f.state().prefs.stepSize, 1.0);
    });
    settingsRow("step 0", {{12, "0"}}, [](Form1 &f) { QCOMPARE(f.state().prefs.stepSize, 100.0); });
    settingsRow("step -1", {{12, "-1"}}, [](Form1 &f) { QCOMPARE(f.state().prefs.stepSize, 100.0); });
    settingsRow("step 1e-320", {{12, "1e-320"}}, [](Form1 &f) { QVERIFY(f.state().prefs.stepSize > 0); });
    settingsRow("turns 1e-320", {{13, "1e-320"}}, [](Form1 &f) { QCOMPARE(f.state().prefs.turns, 1.0f); });
    settingsRow("turns 1e400", {{13, "1e400"}}, [](Form1 &f) { QCOMPARE(f.state().prefs.turns, 1.0f); });
    settingsRow("pen size 32766", {{14, "32766"}},
                [](Form1 &f) { QCOMPARE(f.surface().drawWidth(), 32766); });
    settingsRow("draw mode 0.4", {{15, "0.4"}}, [](Form1 &f) { QCOMPARE(f.surface().drawMode(), 13); });
    settingsRow("draw mode 16.6", {{15, "16.6"}}, [](Form1 &f) { QCOMPARE(f.surface().drawMode(), 13); });
    for (const auto &[line, what] : {std::pair{21, "left"}, std::pair{22, "top"}}) {
        const auto offset = [line](Form1 &f) {
            return line == 21 ? f.state().prefs.placement.drawLeftOffset : f.state().prefs.placement.drawTopOffset;
        };
        settingsRow(qPrintable(QString("offset %1 2e9").arg(what)), {{line, "2e9"}},
                    [offset](Form1 &f) { QCOMPARE(offset(f), 2000000000); });
        settingsRow(qPrintable(QString("offset %1 -2e9").arg(what)), {{line, "-2e9"}},
                    [offset](Form1 &f) { QCOMPARE(offset(f), -2000000000); });
        settingsRow(qPrintable(QString("offset %1 1e30").arg(what)), {{line, "1e30"}},
                    [offset](Form1 &f) { QCOMPARE(offset(f), 50); });
    }
    for (const auto &[line, what] : {std::pair{23, "x"}, std::pair{24, "y"}}) {
        const auto part = [line](Form1 &f) { return line == 23 ? f.state().prefs.placement.drawPartX : f.state().prefs.placement.drawPartY; };
        for (const auto &[text, expected] : {std::pair{"1e30", 1e30f}, std::pair{"-5", -5.0f},
                                             std::pair{"1e-30", 1e-30f}, std::pair{"1e40", 1.0f}})
            settingsRow(qPrintable(QString("part %1 %2").arg(what, text)), {{line, text}},
                        [part, expected](Form1 &f) { QCOMPARE(part(f), expected); });
    }
    // The window keeps a size it can have: never beyond twice the screen,
    // never without a pixel.
    const FormCheck sane = [](Form1 &f) {
        const QSize screen = f.screen()->geometry().size();
        QVERIFY(f.width() >= 1 && f.height() >= 1);
        QVERIFY(f.width() <= 2 * screen.width() && f.height() <= 2 * screen.height());
        QVERIFY(f.canvas->width() == f.width() && f.canvas->height() == f.height());
    };
    for (const auto &[line, what] :
         {std::pair{16, "height"}, std::pair{18, "width"}, std::pair{17, "top"}, std::pair{19, "left"}}) {
        for (const char *text : {"1e30", "-1", "0.0001", "-2e9", "2e9"})
            settingsRow(qPrintable(QString("window %1 %2").arg(what, text)), {{line, text}}, sane);
    }
    settingsRow("window width and height 1e30", {{16, "1e30"}, {18, "1e30"}}, sane);
    settingsRow("window width and height 0.0001", {{16, "0.0001"}, {18, "0.0001"}}, sane);
    for (const auto &[line, what] : {std::pair{1, "foreground red"}, std::pair{3, "foreground blue"},
                                     std::pair{4, "background red"}, std::pair{6, "background blue"}}) {
        // A negative component forms no colour and one beyond 16 bits fits no
        // component: both are refused.
        for (const char *text : {"-1", "1e10"})
            settingsRow(qPrintable(QString("colour %1 %2").arg(what, text)), {{line, text}}, [](Form1 &f) {
                QCOMPARE(f.state().foregroundColor, colors::white);
                QCOMPARE(f.state().backgroundColor, colors::black);
            });
    }
    for (const char *text : {"-1", "1e10", "-1e10"}) {
        settingsRow(
            qPrintable(QString("frame colours %1").arg(text)), {{8, text}, {9, text}}, [text](Form1 &f) {
                const bool fits = std::fabs(std::atof(text)) < 2147483648.0;
                QCOMPARE(f.Frame1->frameBackColor(), fits ? colors::Color(std::atof(text)) : colors::black);
                QCOMPARE(f.Frame1->frameForeColor(), fits ? colors::Color(std::atof(text)) : colors::yellow);
            });
    }
    settingsRow("random colours 1e10", {{7, "1e10"}}, [](Form1 &f) { QCOMPARE(f.state().prefs.randomColors, 0); });
    settingsRow("random colours 3", {{7, "3"}}, [](Form1 &f) { QCOMPARE(f.state().prefs.randomColors, 3); });
    settingsRow("frame offset 1e30", {{20, "1e30"}},
                [](Form1 &f) { QCOMPARE(f.state().frameRightOffset, 0); });
    settingsRow("frame offset -32768", {{20, "-32768"}},
                [](Form1 &f) { QCOMPARE(f.state().frameRightOffset, -32768); });
    // An automatic run of figures of seven points, each a checkpoint, with a
    // pause far longer than the test: the stop comes in the pause and must
    // end it.
    settingsRow(
        "auto run delay 1e9", {{12, "1e6"}, {26, "1e9"}},
        [](Form1 &f) { QCOMPARE(f.state().prefs.autoRunDelay, 1000000000); }, true, 10, true);
    settingsRow(
        "auto run delay -2e9", {{12, "1e6"}, {26, "-2e9"}},
        [](Form1 &f) { QCOMPARE(f.state().prefs.autoRunDelay, -2000000000); }, true, 10);
    settingsRow(
        "auto run, turns 1e9, step 1", {{12, "1"}, {13, "1e9"}},
        [](Form1 &f) { QCOMPARE(f.state().prefs.turns, 1e9f); }, true);

    for (const char *command : {"!", "col"}) {
        QList<HostileValue> commandValues = values;
        commandValues << HostileValue{"1e9", "1e9"} << HostileValue{"1e-320", "1e-320"}
                      << HostileValue{"1e-45", "1e-45"} << HostileValue{"-1e9", "-1e9"};
        for (const HostileValue &value : commandValues)
            QTest::addRow("command %s %s", command, value.name)
                << int(Source::Command) << QString(command) << value.text << QByteArray() << false << 3
                << false << none;
    }
    // After "!" sets a long pause, an automatic run still stops at once: its
    // drawings have three points, so the stop comes in the pause.
    QTest::addRow("command ! then auto run") << int(Source::Command) << QString("!") << QString("1e9")
                                             << QByteArray() << true << 10 << true << none;
}

void TestHostile::hostile()
{
    QFETCH(int, source);
    QFETCH(QString, target);
    QFETCH(QString, text);
    QFETCH(QByteArray, settings);
    QFETCH(bool, autoRun);
    QFETCH(int, stopAt);
    QFETCH(bool, inPause);
    QFETCH(FormCheck, check);

    FormFixture fixture{FormFixture::NotStarted()};
    if (!settings.isEmpty())
        QVERIFY(testfiles::writeBytes(fixture.settingsPath, settings));
    QElapsedTimer started;
    started.start();
    Form1 &form = fixture.start();
    QVERIFY2(started.elapsed() < 5000, qPrintable(QString::number(started.elapsed())));

    switch (Source(source)) {
    case Source::Field:
        for (const QString &name : fieldNames)
            field(form, name)->setText(text == "1e9" ? QString() : baseFigure().value(name));
        field(form, target)->setText(text);
        break;
    case Source::SettingsFile:
        field(form, "Text1")->setText(baseFigure().value("Text1"));
        field(form, "Text2")->setText(baseFigure().value("Text2"));
        break;
    case Source::Command: {
        // Laying out and painting a megabyte costs the text field itself a
        // noticeable time, so such a text goes only into the first two fields
        // that each command reads.
        const bool huge = text.size() > 4096;
        for (const QString &name : fieldNames)
            field(form, name)->setText(!huge || name == "Text2" || name == "Text5" ? text : QString());
        field(form, "Text1")->setText(target);
        click(form.Frame1->Command2);
        QVERIFY(fixture.dialogs.calls().isEmpty());
        for (const QString &name : fieldNames)
            QVERIFY2(field(form, name)->text().isEmpty(), qPrintable(name));
        const FormState &state = form.state();
        if (target == "!") {
            QVERIFY2(std::isfinite(state.prefs.turns) && state.prefs.turns > 0, qPrintable(QString::number(state.prefs.turns)));
            QVERIFY(std::isfinite(state.prefs.stepSize) && state.prefs.stepSize > 0);
            QVERIFY(form.surface().drawWidth() >= 1 && form.surface().drawWidth() <= 32766);
            QVERIFY(form.surface().drawMode() >= 1 && form.surface().drawMode() <= 16);
            QVERIFY(form.surface().drawStyle() >= 0 && form.surface().drawStyle() <= 6);
            QVERIFY(state.prefs.mouseDelay >= 0 && state.prefs.autoRunDelay >= 0);
        } else {
            for (const int component : {state.foreRed, state.foreGreen, state.foreBlue, state.backRed,
                                        state.backGreen, state.backBlue})
                QVERIFY2(component >= 0 && component <= 32767, qPrintable(QString::number(component)));
            QVERIFY(state.foregroundColor >= 0 && state.foregroundColor <= colors::white);
            QVERIFY(state.backgroundColor >= 0 && state.backgroundColor <= colors::white);
            QCOMPARE(form.surface().backColor(), state.backgroundColor);
        }
        break;
    }
    }
    check(form);
    if (QTest::currentTestFailed())
        return;

    const QStringList textsBefore = fieldTexts(form);

    const RunObservation seen =
        observeRun(form, autoRun ? form.Frame1->Command17 : form.Frame1->Command1, stopAt);

    // The run yielded, and a click on another control took effect at once.
    QVERIFY(seen.passes >= 1);
    QVERIFY(seen.otherClickHandled);
    // Either the run was short enough to end by itself, or the stop ended it
    // at the checkpoint where it was pressed.
    if (seen.stopPressed) {
        QCOMPARE(seen.captionWhileRunning, QStringLiteral("Stop Draw"));
        QCOMPARE(seen.stopRequestedAfterPress, std::int16_t(1));
        QVERIFY2(seen.passesAfterStop <= 1, qPrintable(QString::number(seen.passesAfterStop)));
        QVERIFY2(seen.msAfterStop < 1000, qPrintable(QString::number(seen.msAfterStop)));
    } else {
        QVERIFY2(!autoRun, "an automatic run ended without a stop");
        QVERIFY2(seen.passes < stopAt, qPrintable(QString::number(seen.passes)));
    }
    const FormState &state = form.state();
    QCOMPARE(state.drawingActive, std::int16_t(0));
    QCOMPARE(state.autoRunActive, std::int16_t(0));
    // A stop in the pause is obeyed at once but, as designed, stays
    // requested until the next drawing begins.
    QCOMPARE(state.stopRequested, std::int16_t(inPause ? 1 : 0));
    QVERIFY(form.Frame1->Command1->isEnabled());
    QCOMPARE(form.Frame1->Command17->text(), QStringLiteral("Auto Run"));
    // A drawing leaves the fields as they were; an automatic run empties the
    // amplitudes and frequencies only.
    for (int i = 0; i < fieldNames.size(); ++i) {
        const QString &name = fieldNames[i];
        const bool emptied =
            autoRun && (name == "Text1" || name == "Text2" || name == "Text3" || name == "Text4");
        QCOMPARE(field(form, name)->text(), emptied ? QString() : textsBefore[i]);
    }
    QVERIFY(fixture.dialogs.calls().isEmpty());

    // The stop left over from the pause does not cut the next drawing short.
    if (inPause) {
        const RunObservation next = observeRun(form, form.Frame1->Command1, 2);
        QVERIFY2(next.stopPressed, "the next drawing ended at its first checkpoint");
        QVERIFY(next.passesAfterStop <= 1);
        QCOMPARE(state.stopRequested, std::int16_t(0));
        QCOMPARE(state.drawingActive, std::int16_t(0));
    }
    QVERIFY2(started.elapsed() < 20000, qPrintable(QString::number(started.elapsed())));
}

QTEST_MAIN(TestHostile)
#include "test_hostile.moc"
