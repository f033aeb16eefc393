// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "form1.h"
#include "scripteddialogs.h"
#include "testfiles.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cmath>
#include <functional>
#include <memory>
#include <utility>

// A window of its own for one test: its settings file lies in a fresh
// temporary folder, and it asks through scripted dialogs. A question asked
// without an answer queued fails the test.
struct FormFixture {
    // Leaves the start to the test, which may prepare the folder first.
    struct NotStarted {};

    // Starts the window without a settings file.
    FormFixture() { start(); }
    // Starts the window from a settings file holding `settings`.
    explicit FormFixture(const QByteArray &settings)
    {
        testfiles::writeBytes(settingsPath, settings);
        start();
    }
    explicit FormFixture(NotStarted) {}
    // The window may ask only what the test queued an answer for.
    ~FormFixture()
    {
        if (const QStringList calls = dialogs.unexpectedCalls(); !calls.isEmpty())
            QTest::qFail(qPrintable("unexpected dialogs: " + calls.join(", ")), __FILE__, __LINE__);
    }
    FormFixture(const FormFixture &) = delete;
    FormFixture &operator=(const FormFixture &) = delete;

    // Starts the window, the one before it ending first; from the usual
    // settings path unless `path` is given.
    Form1 &start(const QString &path = {})
    {
        window.reset();
        window =
            std::make_unique<Form1>(FormOptions{path.isEmpty() ? settingsPath : path, &dialogs, historyPath});
        return *window;
    }
    Form1 &operator*() { return *window; }
    Form1 *operator->() { return window.get(); }

    QTemporaryDir dir;
    const QString settingsPath = dir.filePath("voludef.txt");
    // The window's history lies in a folder of its own, so that `dir` holds
    // only what the test and the panel's commands write, and outlives a
    // restart.
    QTemporaryDir historyDir;
    const QString historyPath = historyDir.filePath("history");
    ScriptedDialogs dialogs;
    std::unique_ptr<Form1> window;
};

// Driving and reading the window as a user sees it.
namespace formtest {

// The parameter fields by their names' numbers.
inline const QStringList fieldNames = {"Text1", "Text2", "Text3", "Text4",  "Text5",  "Text6",
                                       "Text7", "Text8", "Text9", "Text10", "Text13", "Text14"};

// The same fields in the order of the parameter file's lines.
inline const QStringList fileOrder = {"Text1",  "Text2",  "Text3", "Text4", "Text5", "Text6",
                                      "Text13", "Text14", "Text7", "Text8", "Text9", "Text10"};

inline constexpr double twipsPerPixel = 15;

inline int px(double twips)
{
    return static_cast<int>(std::lround(twips / twipsPerPixel));
}

// The pixel column of the panel's left edge for the window's present width.
inline int panelColumn(Form1 &form, int frameRightOffset = 0)
{
    const float left = static_cast<float>(form.windowWidth() - 2300 - frameRightOffset);
    return static_cast<int>(std::lround(left / form.surface().twipsPerPixel()));
}

inline bool activate(Form1 &form)
{
    form.activateWindow();
    return QTest::qWaitForWindowActive(&form);
}

inline QLineEdit *field(Form1 &form, const QString &name)
{
    return form.findChild<QLineEdit *>(name);
}

inline void setTexts(Form1 &form, const QMap<QString, QString> &texts)
{
    for (auto it = texts.begin(); it != texts.end(); ++it)
        field(form, it.key())->setText(it.value());
}

// Gives every parameter field a text of its own: its name.
inline void fillFields(Form1 &form)
{
    for (const QString &name : fieldNames)
        field(form, name)->setText(name);
}

// The texts of all parameter fields, in the order of fieldNames.
inline QStringList fieldTexts(Form1 &form)
{
    QStringList texts;
    for (const QString &name : fieldNames)
        texts << field(form, name)->text();
    return texts;
}

inline QString focusName()
{
    const QWidget *focus = QApplication::focusWidget();
    return focus ? focus->objectName() : QString();
}

inline void click(QWidget *widget)
{
    QTest::mouseClick(widget, Qt::LeftButton);
}

// Clicks a check box on its indicator, where a user clicks it.
inline void clickCheckBox(QCheckBox *box)
{
    QStyleOptionButton option;
    option.initFrom(box);
    const QRect indicator = box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
    QTest::mouseClick(box, Qt::LeftButton, {}, indicator.center());
}

inline void setChecked(QCheckBox *box, bool checked)
{
    if (box->isChecked() != checked)
        clickCheckBox(box);
}

// Draws a fixed figure with "Draw".
inline void drawFigure(Form1 &form)
{
    setTexts(form, {{"Text1", "1500"}, {"Text2", "3"}, {"Text3", "1500"}, {"Text4", "2"}});
    click(form.Frame1->Command1);
}

// The canvas as the window shows it.
inline QImage shown(Form1 &form)
{
    return form.canvas->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Runs `action` `delay` ms into the next run, unless the window is gone.
inline void duringRun(Form1 &form, int delay, std::function<void()> action)
{
    QTimer::singleShot(delay, &form, std::move(action));
}

// Counts the passes of the event loop, that is the yields of a run, from
// start() on. Without a stop a long run yields thousands of times more.
class YieldCounter {
public:
    YieldCounter()
    {
        QObject::connect(&ticker_, &QTimer::timeout, [this] {
            if (count_ >= 0)
                ++count_;
        });
        ticker_.start(0);
    }
    void start() { count_ = 0; }
    int count() const { return count_; }

private:
    QTimer ticker_;
    int count_ = -1;
};

// A value of the window's state, surface or panel, by name.
inline double reading(Form1 &form, const QString &name)
{
    using Reading = std::function<double(Form1 &)>;
    static const QMap<QString, Reading> readings = {
        {"turns", [](Form1 &f) { return double(f.state().prefs.turns); }},
        {"stepSize", [](Form1 &f) { return f.state().prefs.stepSize; }},
        {"autoClean", [](Form1 &f) { return f.state().autoClean; }},
        {"frameRightOffset", [](Form1 &f) { return double(f.state().frameRightOffset); }},
        {"mouseDelay", [](Form1 &f) { return double(f.state().prefs.mouseDelay); }},
        {"autoRunDelay", [](Form1 &f) { return double(f.state().prefs.autoRunDelay); }},
        {"randomColors", [](Form1 &f) { return double(f.state().prefs.randomColors); }},
        {"drawLeftOffset", [](Form1 &f) { return double(f.state().prefs.placement.drawLeftOffset); }},
        {"drawTopOffset", [](Form1 &f) { return double(f.state().prefs.placement.drawTopOffset); }},
        {"drawPartX", [](Form1 &f) { return double(f.state().prefs.placement.drawPartX); }},
        {"drawPartY", [](Form1 &f) { return double(f.state().prefs.placement.drawPartY); }},
        {"foregroundColor", [](Form1 &f) { return double(f.state().foregroundColor); }},
        {"backgroundColor", [](Form1 &f) { return double(f.state().backgroundColor); }},
        {"backColor", [](Form1 &f) { return double(f.surface().backColor()); }},
        {"drawWidth", [](Form1 &f) { return double(f.surface().drawWidth()); }},
        {"drawMode", [](Form1 &f) { return double(f.surface().drawMode()); }},
        {"drawStyle", [](Form1 &f) { return double(f.surface().drawStyle()); }},
        {"autoRedraw", [](Form1 &f) { return double(f.surface().autoRedraw()); }},
        {"Check1", [](Form1 &f) { return double(f.Frame1->Check1->isChecked()); }},
        {"Check2", [](Form1 &f) { return double(f.Frame1->Check2->isChecked()); }},
        {"Command3", [](Form1 &f) { return double(f.Frame1->Command3->isEnabled()); }},
        {"Command16", [](Form1 &f) { return double(f.Frame1->Command16->isEnabled()); }},
    };
    const auto found = readings.find(name);
    return found == readings.end() ? std::nan("") : (*found)(form);
}

using Readings = QMap<QString, double>;

// The readings that differ from `expected`, as "name is actual, expected
// value"; empty when all match.
inline QStringList mismatches(Form1 &form, const Readings &expected)
{
    QStringList found;
    for (auto it = expected.begin(); it != expected.end(); ++it)
        if (const double actual = reading(form, it.key()); actual != it.value())
            found << QStringLiteral("%1 is %2, expected %3").arg(it.key()).arg(actual).arg(it.value());
    return found;
}

// The message of a failed file action, e.g. "File load error :  53 File not
// found" for the action "load".
inline QString fileError(const QString &action, int number)
{
    return QStringLiteral("File %1 error : ").arg(action) + failures::numberWithSign(number) + " " +
           failures::describe(number);
}

// What is wrong with the questions the window asked: they must be `calls`
// and then, unless `message` is empty, a box showing `message` with only
// "OK" and the program's own caption. Empty when nothing is wrong.
inline QString askedFault(const ScriptedDialogs &dialogs, const QString &message, QStringList calls)
{
    if (!message.isEmpty())
        calls << QStringLiteral("message");
    if (dialogs.calls() != calls)
        return QStringLiteral("asked %1, expected %2").arg(dialogs.calls().join(", "), calls.join(", "));
    if (message.isEmpty())
        return {};
    const ScriptedDialogs::MessageCall &shown = dialogs.messages().last();
    if (shown.text != message)
        return QStringLiteral("showed \"%1\", expected \"%2\"").arg(shown.text, message);
    if (shown.buttons != Dialogs::Buttons::Ok)
        return QStringLiteral("the message offers more than OK");
    if (!shown.caption.isEmpty())
        return QStringLiteral("the message has the caption \"%1\"").arg(shown.caption);
    return {};
}

} // namespace formtest

// A fresh, active window for every test function of a test class: the class
// starts it in init() and ends it in cleanup().
class WindowPerTest {
public:
    // False when the window cannot be made the active one.
    bool start()
    {
        fixture_ = std::make_unique<FormFixture>();
        return formtest::activate(**fixture_);
    }
    void end() { fixture_.reset(); }

    FormFixture &fixture() { return *fixture_; }
    Form1 &operator*() { return **fixture_; }

private:
    std::unique_ptr<FormFixture> fixture_;
};

// Fails the test unless the window asked the calls given last, as a
// QStringList or a braced list, followed by a box showing `message` with only
// "OK"; with an empty message, the calls alone.
#define VERIFY_ASKED(dialogs, message, ...)                                                                  \
    do {                                                                                                     \
        const QString fault_ = formtest::askedFault((dialogs), (message), QStringList(__VA_ARGS__));         \
        QVERIFY2(fault_.isEmpty(), qPrintable(fault_));                                                      \
    } while (false)

// Fails the test with every reading of `form` that differs from the expected
// ones, given as a Readings value or a braced list.
#define VERIFY_READINGS(form, ...)                                                                           \
    do {                                                                                                     \
        const QStringList mismatches_ = formtest::mismatches((form), formtest::Readings(__VA_ARGS__));       \
        QVERIFY2(mismatches_.isEmpty(), qPrintable(mismatches_.join("; ")));                                 \
    } while (false)
