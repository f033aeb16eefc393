// SPDX-License-Identifier: GPL-3.0-or-later
// Mouse events go through the window system layer, so that a double click
// arrives as the platform delivers it: press, release, double click, release.
#define QTEST_QPA_MOUSE_HANDLING

#include "datatable.h"
#include "formfixture.h"
#include "imagecheck.h"
#include "surfaceimages.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QScreen>
#include <QSignalSpy>
#include <QtTest>

#include <cmath>
#include <functional>
#include <tuple>

using namespace formtest;
using imagecheck::count;

namespace {

const QColor white = Qt::white;
const QColor black = Qt::black;

// A run of this many turns takes seconds: far longer than a stopped one.
constexpr float longRun = 300;

// The progress bar's pixel row below the panel.
constexpr int barY = 410;

// The bar's pixel column for the counter value n, from Lp + 10 on.
int barColumn(Form1 &form, double n)
{
    return static_cast<int>(std::floor((form.Frame1->x() * 15.0 + 10 + n / 2950) / 15));
}

// The canvas part that the panel does not cover.
QRect openCanvas(Form1 &form)
{
    return QRect(0, 0, form.Frame1->x(), form.canvas->height());
}

// What the window shows on the screen.
QImage onScreen(Form1 &form)
{
    return form.screen()->grabWindow(form.winId()).toImage().convertToFormat(QImage::Format_RGB32);
}

// Where the next drawing goes: left, top, part of the width and the height.
using Sizing = std::tuple<std::int32_t, std::int32_t, float, float>;
const Sizing defaultSizing{50, 50, 1.0f, 1.0f};

Sizing sizing(const FormState &state)
{
    return {state.prefs.placement.drawLeftOffset, state.prefs.placement.drawTopOffset, state.prefs.placement.drawPartX, state.prefs.placement.drawPartY};
}

void setSizing(FormState &state, const Sizing &value)
{
    std::tie(state.prefs.placement.drawLeftOffset, state.prefs.placement.drawTopOffset, state.prefs.placement.drawPartX, state.prefs.placement.drawPartY) = value;
}

// After a run: nothing runs or waits to stop, "Draw" is enabled again and
// the other button offers "Auto Run".
void checkRunOver(Form1 &form)
{
    QCOMPARE(form.state().drawingActive, std::int16_t(0));
    QCOMPARE(form.state().stopRequested, std::int16_t(0));
    QCOMPARE(form.state().autoRunActive, std::int16_t(0));
    QCOMPARE(form.Frame1->Command17->text(), QStringLiteral("Auto Run"));
    QVERIFY(form.Frame1->Command1->isEnabled());
}

// Starts a long drawing, runs `stop` 50 ms into it, and checks that the run
// ends within a few yields.
void stopLongRun(Form1 &form, const std::function<void()> &stop)
{
    form.state().prefs.turns = longRun;
    YieldCounter yields;
    bool stopped = false;
    duringRun(form, 50, [&] {
        QCOMPARE(form.state().drawingActive, std::int16_t(1));
        stop();
        stopped = true;
        yields.start();
    });
    QElapsedTimer elapsed;
    elapsed.start();
    click(form.Frame1->Command1);
    const int yieldsAfterStop = yields.count();

    QVERIFY(stopped);
    QVERIFY2(elapsed.elapsed() < 2000, qPrintable(QString::number(elapsed.elapsed())));
    QVERIFY2(yieldsAfterStop <= 3, qPrintable(QString::number(yieldsAfterStop)));
}

} // namespace

class TestFormDrawing : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QCOMPARE(QGuiApplication::platformName(), QStringLiteral("offscreen")); }

    // Every test starts with a fresh, active window whose fields describe one
    // fixed figure: amplitude 0.6, frequency 7.
    void init()
    {
        QVERIFY(window_.start());
        setTexts(*window_, {{"Text1", "0.6"}, {"Text2", "7"}});
    }

    void cleanup() { window_.end(); }

    void drawLightsCanvasAndProgressBar()
    {
        Form1 &form = *window_;
        const QRect open = openCanvas(form);
        QCOMPARE(count(surfaceimages::screenImage(form.surface()), white, open), 0);

        click(form.Frame1->Command1);

        const QImage &shown = surfaceimages::screenImage(form.surface());
        const int figurePixels = count(shown, white, open);
        QVERIFY2(figurePixels > 2000, qPrintable(QString::number(figurePixels)));
        // Everything lit is either white or the black background.
        QCOMPARE(figurePixels + count(shown, black, open), open.width() * open.height());

        // The figure lies in the box that its scales give, from (50, 50).
        const double right = 50 + 6000 * (form.windowWidth() - 2000) / 6528;
        const double bottom = 50 + 6000 * form.windowHeight() / 6528;
        const QRect box(QPoint(50 / 15, 50 / 15), QPoint(int(right / 15) + 1, int(bottom / 15) + 1));
        QCOMPARE(count(shown, white, open & box), figurePixels);

        // The progress bar below the panel, from Lp + 10 to Lp + 10 + 6280000 / 2950.
        QCOMPARE(barY, static_cast<int>((form.Frame1->height() * 15 + 80) / 15));
        QVERIFY(barY > form.Frame1->geometry().bottom());
        const int barStart = barColumn(form, 0);
        const int barEnd = barColumn(form, 6280000);
        for (int x = barStart; x <= barEnd; ++x)
            QVERIFY2(shown.pixel(x, barY) == white.rgb(), qPrintable(QString("bar pixel %1").arg(x)));
        QCOMPARE(shown.pixel(barEnd + 1, barY), black.rgb());
        QCOMPARE(shown.pixel(barStart - 1, barY), black.rgb());
        QCOMPARE(shown.pixel(barStart, barY + 1), black.rgb());

        // The window shows it once its repaints have run.
        QTRY_VERIFY(onScreen(form).copy(open) == shown.copy(open));
        QCOMPARE(onScreen(form).pixel(barEnd, barY), white.rgb());

        // With AutoRedraw off nothing reached the persistent image.
        QVERIFY(!form.surface().autoRedraw());
        QCOMPARE(count(surfaceimages::image(form.surface()), white), 0);
    }

    void drawDisablesItselfWhileRunning()
    {
        Form1 &form = *window_;
        QPushButton *draw = form.Frame1->Command1;
        QPushButton *autoRun = form.Frame1->Command17;

        bool sawRun = false;
        bool drawEnabledDuringRun = true;
        QString captionDuringRun;
        std::int16_t activeDuringRun = 0;
        duringRun(form, 0, [&] {
            sawRun = true;
            drawEnabledDuringRun = draw->isEnabled();
            captionDuringRun = autoRun->text();
            activeDuringRun = form.state().drawingActive;
        });
        click(draw);

        QVERIFY(sawRun);
        QVERIFY(!drawEnabledDuringRun);
        QCOMPARE(captionDuringRun, QStringLiteral("Stop Draw"));
        QCOMPARE(activeDuringRun, std::int16_t(1));
        checkRunOver(form);
        // A plain drawing leaves the fields as typed.
        QCOMPARE(fieldTexts(form).mid(0, 2), (QStringList{"0.6", "7"}));
    }

    void drawIsRepeatable()
    {
        Form1 &form = *window_;
        click(form.Frame1->Command1);
        const QImage first = surfaceimages::screenImage(form.surface()).copy();
        // AutoClean erases the first drawing before the second.
        form.state().prefs.placement.drawLeftOffset = 2000;
        click(form.Frame1->Command1);
        const QRect leftStrip(0, 0, 2000 / 15, form.canvas->height() - 1);
        QVERIFY(count(first, white, leftStrip) > 0);
        QCOMPARE(count(surfaceimages::screenImage(form.surface()), white, leftStrip), 0);
        form.state().prefs.placement.drawLeftOffset = 50;
        click(form.Frame1->Command1);
        COMPARE_IMAGES(surfaceimages::screenImage(form.surface()), first);
    }

    void stopEndsRun_data()
    {
        // In the second row the user clicks into a field first: Esc still
        // stops the run.
        oneColumnTable<bool>("escape", {{"Stop Draw", false}, {"Esc in a field", true}});
    }

    void stopEndsRun()
    {
        QFETCH(bool, escape);
        Form1 &form = *window_;
        QPushButton *stop = form.Frame1->Command17;

        stopLongRun(form, [&] {
            QCOMPARE(stop->text(), QStringLiteral("Stop Draw"));
            if (escape) {
                click(form.Frame1->Text5);
                QCOMPARE(QApplication::focusWidget(), form.Frame1->Text5);
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
            } else {
                click(stop);
            }
            QCOMPARE(form.state().stopRequested, std::int16_t(1));
        });
        if (QTest::currentTestFailed())
            return;

        checkRunOver(form);
        // Part of the figure was drawn before the stop.
        QVERIFY(count(surfaceimages::screenImage(form.surface()), white, openCanvas(form)) > 0);
        // A stop of a plain drawing does not empty any field.
        QCOMPARE(form.Frame1->Text1->text(), QStringLiteral("0.6"));
    }

    void escapeWhileIdleDoesNothing()
    {
        Form1 &form = *window_;
        // Should Esc start an automatic run, this ends it again.
        bool ran = false;
        QTimer::singleShot(200, &form, [&] {
            if (form.state().drawingActive) {
                ran = true;
                click(form.Frame1->Command17);
            }
        });
        QTest::keyClick(&form, Qt::Key_Escape);
        QTest::qWait(1);
        QVERIFY(!ran);
        QCOMPARE(form.state().drawingActive, std::int16_t(0));
        QCOMPARE(form.Frame1->Text1->text(), QStringLiteral("0.6"));
        QCOMPARE(form.Frame1->Command17->text(), QStringLiteral("AutoRun"));
    }

    void autoRunDrawsDifferentRandomFigures()
    {
        Form1 &form = *window_;
        // Every Clean before a drawing switches AutoRedraw on for a moment: at
        // that moment the screen still shows the finished drawing before it.
        QList<QImage> finished;
        int drawingsStarted = 0;
        connect(form.Frame1->Check2, &QCheckBox::toggled, &form, [&](bool on) {
            if (!on)
                return;
            ++drawingsStarted;
            if (drawingsStarted > 1)
                finished << surfaceimages::screenImage(form.surface()).copy();
            if (drawingsStarted == 3) {
                QCOMPARE(form.Frame1->Command17->text(), QStringLiteral("Stop Draw"));
                QCOMPARE(form.state().autoRunActive, std::int16_t(1));
                click(form.Frame1->Command17);
            }
        });
        QElapsedTimer elapsed;
        elapsed.start();
        click(form.Frame1->Command17);

        QVERIFY2(elapsed.elapsed() < 5000, qPrintable(QString::number(elapsed.elapsed())));
        QCOMPARE(drawingsStarted, 3);
        QCOMPARE(finished.size(), 2);
        const QRect open = openCanvas(form);
        QVERIFY(count(finished[0], white, open) > 500);
        QVERIFY(count(finished[1], white, open) > 500);
        QVERIFY(finished[0].copy(open) != finished[1].copy(open));
        checkRunOver(form);
        QCOMPARE(fieldTexts(form), QStringList(fieldNames.size(), QString()));
    }

    void drawClearsOldProgressBar()
    {
        Form1 &form = *window_;
        clickCheckBox(form.Frame1->Check1);
        QCOMPARE(form.state().autoClean, 0.0);
        click(form.Frame1->Command1);
        const int barStart = barColumn(form, 0);
        const int barEnd = barColumn(form, 6280000);
        QCOMPARE(surfaceimages::screenImage(form.surface()).pixel(barEnd, barY), white.rgb());

        // A second drawing, stopped at its first yield, shows only the bar's
        // first point: the old bar was erased before it.
        duringRun(form, 0, [&] { click(form.Frame1->Command17); });
        click(form.Frame1->Command1);
        const QImage &shown = surfaceimages::screenImage(form.surface());
        QCOMPARE(shown.pixel(barStart, barY), white.rgb());
        QCOMPARE(count(shown, white, QRect(barStart + 1, barY, barEnd - barStart + 20, 1)), 0);
        // Without AutoClean the first figure stays.
        QVERIFY(count(shown, white, openCanvas(form)) > 2000);
    }

    void cleanDuringDrawErasesAndDrawingGoesOn()
    {
        Form1 &form = *window_;
        clickCheckBox(form.Frame1->Check1);
        QVERIFY(form.Frame1->Command3->isEnabled());
        click(form.Frame1->Command1);
        const int fullFigure = count(surfaceimages::screenImage(form.surface()), white, openCanvas(form));
        click(form.Frame1->Command3);
        QCOMPARE(count(surfaceimages::screenImage(form.surface()), white, openCanvas(form)), 0);

        // Clean is pressed once the bar has passed the middle of the drawing.
        bool cleaned = false;
        QTimer watch;
        connect(&watch, &QTimer::timeout, [&] {
            if (!cleaned &&
                surfaceimages::screenImage(form.surface()).pixel(barColumn(form, 3140000), barY) ==
                    white.rgb()) {
                cleaned = true;
                QCOMPARE(form.state().drawingActive, std::int16_t(1));
                click(form.Frame1->Command3);
            }
        });
        watch.start(0);
        click(form.Frame1->Command1);
        watch.stop();

        QVERIFY(cleaned);
        const QImage &shown = surfaceimages::screenImage(form.surface());
        QCOMPARE(shown.pixel(barColumn(form, 1000000), barY), black.rgb());
        QCOMPARE(shown.pixel(barColumn(form, 6280000), barY), white.rgb());
        const int rest = count(shown, white, openCanvas(form));
        QVERIFY2(rest > 0 && rest < fullFigure, qPrintable(QString("%1 of %2").arg(rest).arg(fullFigure)));
    }

    void cleanWithAutoRedrawUncheckedErasesImage()
    {
        Form1 &form = *window_;
        QCheckBox *autoRedraw = form.Frame1->Check2;
        QPushButton *print = form.Frame1->Command16;

        clickCheckBox(form.Frame1->Check1);
        clickCheckBox(autoRedraw);
        QVERIFY(form.surface().autoRedraw());
        click(form.Frame1->Command1);
        clickCheckBox(autoRedraw);
        QVERIFY(!autoRedraw->isChecked());
        QVERIFY(!form.surface().autoRedraw());
        QVERIFY(!print->isEnabled());
        const QRect open = openCanvas(form);
        QVERIFY(count(surfaceimages::image(form.surface()), white, open) > 2000);
        QVERIFY(count(surfaceimages::screenImage(form.surface()), white, open) > 2000);

        click(form.Frame1->Command3);

        VERIFY_FILLED(surfaceimages::image(form.surface()), black);
        const QImage shown = surfaceimages::screenImage(form.surface());
        VERIFY_AREA(shown, open, black);
        QTRY_VERIFY(onScreen(form).copy(open) == shown.copy(open));
        QVERIFY(!autoRedraw->isChecked());
        QVERIFY(!form.surface().autoRedraw());
        QVERIFY(!print->isEnabled());
    }

    void cleanWithAutoRedrawCheckedRunsNoClickHandling()
    {
        Form1 &form = *window_;
        clickCheckBox(form.Frame1->Check1);
        clickCheckBox(form.Frame1->Check2);
        QVERIFY(form.surface().autoRedraw());
        QSignalSpy toggles(form.Frame1->Check2, &QCheckBox::toggled);
        click(form.Frame1->Command3);
        QCOMPARE(toggles.count(), 0);
        QVERIFY(form.Frame1->Check2->isChecked());
        QVERIFY(form.surface().autoRedraw());
        QVERIFY(form.Frame1->Command16->isEnabled());
    }

    void check1TogglesCleanAndAutoClean()
    {
        Form1 &form = *window_;
        QCheckBox *box = form.Frame1->Check1;
        QPushButton *clean = form.Frame1->Command3;
        for (const bool checked : {false, true}) {
            clickCheckBox(box);
            QCOMPARE(box->isChecked(), checked);
            QCOMPARE(clean->isEnabled(), !checked);
            QCOMPARE(form.state().autoClean, checked ? 1.0 : 0.0);
        }

        // With AutoClean off a second drawing adds to the first.
        clickCheckBox(box);
        click(form.Frame1->Command1);
        const int once = count(surfaceimages::screenImage(form.surface()), white, openCanvas(form));
        form.state().prefs.placement.drawLeftOffset = 3000;
        click(form.Frame1->Command1);
        QVERIFY(count(surfaceimages::screenImage(form.surface()), white, openCanvas(form)) > once);
    }

    void check2FlipsAutoRedrawEvenWhenApart()
    {
        Form1 &form = *window_;
        QCheckBox *box = form.Frame1->Check2;
        // The box and the surface come apart: each click flips the surface.
        form.surface().setAutoRedraw(true);
        for (const bool checked : {true, false}) {
            clickCheckBox(box);
            QCOMPARE(box->isChecked(), checked);
            QCOMPARE(form.surface().autoRedraw(), !checked);
            QCOMPARE(form.Frame1->Command16->isEnabled(), checked);
        }
    }

    void dragSetsPlacement_data()
    {
        QTest::addColumn<QPoint>("from");
        QTest::addColumn<QPoint>("to");
        QTest::addColumn<Qt::MouseButton>("button");
        // (1000, 800) and (4000, 3800) twips, at whole pixels.
        const QPoint a(px(1000), px(800));
        const QPoint b(px(4000), px(3800));
        QTest::newRow("down right") << a << b << Qt::LeftButton;
        QTest::newRow("up left") << b << a << Qt::LeftButton;
        QTest::newRow("down left") << QPoint(267, 53) << QPoint(67, 253) << Qt::LeftButton;
        QTest::newRow("up right") << QPoint(67, 253) << QPoint(267, 53) << Qt::LeftButton;
        QTest::newRow("right button") << a << b << Qt::RightButton;
    }

    void dragSetsPlacement()
    {
        QFETCH(QPoint, from);
        QFETCH(QPoint, to);
        QFETCH(Qt::MouseButton, button);
        Form1 &form = *window_;
        form.state().prefs.mouseDelay = 0;
        QWidget *canvas = form.findChild<QWidget *>("Canvas");
        QVERIFY(canvas);

        QTest::mousePress(canvas, button, {}, from);
        QCOMPARE(form.state().sizingPressed, std::int16_t(1));
        QCOMPARE(form.state().prefs.placement.drawLeftOffset, from.x() * 15);
        QCOMPARE(form.state().prefs.placement.drawTopOffset, from.y() * 15);
        QTest::mouseMove(canvas, (from + to) / 2);
        QTest::mouseMove(canvas, to);
        QTest::mouseRelease(canvas, button, {}, to);

        QCOMPARE(form.state().sizingPressed, std::int16_t(0));
        const double w = form.windowWidth();
        const double h = form.windowHeight();
        QCOMPARE(w, form.frameGeometry().width() * 15.0);
        QCOMPARE(h, form.frameGeometry().height() * 15.0);
        QCOMPARE(sizing(form.state()), Sizing(1005, 795, static_cast<float>(3000 / (w - 2300)),
                                              static_cast<float>(3000 / (h - 300))));
    }

    void shortDragsAndClicksReset_data()
    {
        QTest::addColumn<QPoint>("from");
        QTest::addColumn<QPoint>("to");
        QTest::addColumn<bool>("doubleClick");
        QTest::addColumn<bool>("resets");
        QTest::newRow("click") << QPoint(100, 100) << QPoint(100, 100) << false << true;
        QTest::newRow("double click") << QPoint(200, 150) << QPoint(200, 150) << true << true;
        QTest::newRow("flat") << QPoint(67, 53) << QPoint(267, 53) << false << true;
        QTest::newRow("narrow") << QPoint(67, 53) << QPoint(67, 253) << false << true;
        // One pixel is 15 twips, more than the 9 that a drag needs.
        QTest::newRow("one pixel down") << QPoint(67, 53) << QPoint(267, 54) << false << false;
    }

    void shortDragsAndClicksReset()
    {
        QFETCH(QPoint, from);
        QFETCH(QPoint, to);
        QFETCH(bool, doubleClick);
        QFETCH(bool, resets);
        Form1 &form = *window_;
        FormState &state = form.state();
        state.prefs.mouseDelay = 0;
        setSizing(state, {700, 900, 0.25f, 0.75f});
        int presses = 0, releases = 0, doubles = 0;
        connect(form.canvas, &CanvasWidget::mousePressed, &form, [&] { ++presses; });
        connect(form.canvas, &CanvasWidget::mouseReleased, &form, [&] { ++releases; });
        connect(form.canvas, &CanvasWidget::mouseDoubleClicked, &form, [&] { ++doubles; });

        if (doubleClick) {
            QTest::mouseDClick(form.canvas, Qt::LeftButton, {}, from);
        } else {
            QTest::mousePress(form.canvas, Qt::LeftButton, {}, from);
            if (to != from)
                QTest::mouseMove(form.canvas, to);
            QTest::mouseRelease(form.canvas, Qt::LeftButton, {}, to);
        }

        // The platform's order for a double click: press, release, double click, release.
        QCOMPARE(presses, 1);
        QCOMPARE(doubles, doubleClick ? 1 : 0);
        QCOMPARE(releases, doubleClick ? 2 : 1);
        QCOMPARE(state.sizingPressed, std::int16_t(0));
        if (resets)
            QCOMPARE(sizing(state), defaultSizing);
        else
            QCOMPARE(sizing(state), Sizing(1005, 795, static_cast<float>(3000 / (form.windowWidth() - 2300)),
                                           static_cast<float>(15 / (form.windowHeight() - 300))));
    }

    void mouseDuringRun_data()
    {
        QTest::addColumn<bool>("doubleClick");
        QTest::addColumn<Sizing>("expected");
        QTest::newRow("double click resets") << true << defaultSizing;
        QTest::newRow("drag is ignored") << false << Sizing(700, 900, 0.5f, 0.5f);
    }

    void mouseDuringRun()
    {
        QFETCH(bool, doubleClick);
        QFETCH(Sizing, expected);
        Form1 &form = *window_;
        FormState &state = form.state();
        state.prefs.turns = longRun;
        state.prefs.mouseDelay = 0;
        setSizing(state, {700, 900, 0.5f, 0.5f});
        bool done = false;
        duringRun(form, 20, [&] {
            QCOMPARE(state.drawingActive, std::int16_t(1));
            if (doubleClick) {
                QTest::mouseDClick(form.canvas, Qt::LeftButton, {}, QPoint(200, 150));
            } else {
                QTest::mousePress(form.canvas, Qt::LeftButton, {}, QPoint(67, 53));
                QCOMPARE(state.sizingPressed, std::int16_t(0));
                QTest::mouseMove(form.canvas, QPoint(267, 253));
                QTest::mouseRelease(form.canvas, Qt::LeftButton, {}, QPoint(267, 253));
            }
            QCOMPARE(sizing(state), expected);
            done = true;
            click(form.Frame1->Command17);
        });
        click(form.Frame1->Command1);
        QVERIFY(done);
        checkRunOver(form);
        QCOMPARE(sizing(state), expected);
    }

    void rubberBandLeavesNoTrace()
    {
        Form1 &form = *window_;
        click(form.Frame1->Command1);
        form.state().prefs.mouseDelay = 0;
        const QImage before = surfaceimages::screenImage(form.surface()).copy();

        // The line shows while the canvas repaints during the move.
        const QPoint from(40, 60);
        const QPoint to(300, 260);
        bool lineShown = false;
        int paints = 0;
        struct PaintWatch : QObject {
            std::function<void()> onPaint;
            bool eventFilter(QObject *, QEvent *event) override
            {
                if (event->type() == QEvent::Paint)
                    onPaint();
                return false;
            }
        } watch;
        watch.onPaint = [&] {
            ++paints;
            if (surfaceimages::screenImage(form.surface()) != before)
                lineShown = true;
        };

        QTest::mousePress(form.canvas, Qt::LeftButton, {}, from);
        form.canvas->installEventFilter(&watch);
        QTest::mouseMove(form.canvas, to);
        form.canvas->removeEventFilter(&watch);
        QVERIFY(paints > 0);
        QVERIFY(lineShown);
        COMPARE_IMAGES(surfaceimages::screenImage(form.surface()), before);
        QTest::mouseRelease(form.canvas, Qt::LeftButton, {}, to);
        COMPARE_IMAGES(surfaceimages::screenImage(form.surface()), before);
        QCOMPARE(form.surface().drawMode(), 13);
        const QRect open = openCanvas(form);
        QTRY_VERIFY(onScreen(form).copy(open) == before.copy(open));

        // Moving with no button held draws nothing.
        form.canvas->installEventFilter(&watch);
        lineShown = false;
        QTest::mouseMove(form.canvas, from);
        form.canvas->removeEventFilter(&watch);
        QVERIFY(!lineShown);
        COMPARE_IMAGES(surfaceimages::screenImage(form.surface()), before);
    }

    void panelPressesDoNotSize()
    {
        Form1 &form = *window_;
        FormState &state = form.state();
        setSizing(state, {700, 900, 0.5f, 0.5f});
        int canvasPresses = 0;
        connect(form.canvas, &CanvasWidget::mousePressed, &form, [&] { ++canvasPresses; });

        // The frame's own background, a row label and a field.
        QTest::mouseClick(form.Frame1, Qt::LeftButton, {}, QPoint(140, 12));
        QTest::mouseDClick(form.Frame1, Qt::LeftButton, {}, QPoint(5, 300));
        click(form.Frame1->Label14);
        click(form.Frame1->Text5);
        QTest::mousePress(form.Frame1, Qt::LeftButton, {}, QPoint(140, 12));
        QTest::mouseMove(form.Frame1, QPoint(20, 300));
        QTest::mouseRelease(form.Frame1, Qt::LeftButton, {}, QPoint(20, 300));

        QCOMPARE(canvasPresses, 0);
        QCOMPARE(state.sizingPressed, std::int16_t(0));
        QCOMPARE(sizing(state), Sizing(700, 900, 0.5f, 0.5f));
    }

    // Closing ends the application's event processing, so it comes last.
    void closeDuringDrawEndsRun()
    {
        QPointer<Form1> form = &*window_;
        QSignalSpy ending(form.data(), &Form1::programEnding);
        bool closed = false;
        stopLongRun(*form, [&] { closed = form->close(); });
        if (QTest::currentTestFailed())
            return;

        QVERIFY(closed);
        QVERIFY(form->programEnded());
        QCOMPARE(ending.count(), 1);
        QVERIFY(!form->isVisible());
        // Nothing more happens after the end, not even a new drawing.
        const QImage after = surfaceimages::screenImage(form->surface()).copy();
        form->Command1_Click();
        COMPARE_IMAGES(surfaceimages::screenImage(form->surface()), after);

        window_.fixture().window.reset();
        QVERIFY(form.isNull());
    }

private:
    WindowPerTest window_;
};

QTEST_MAIN(TestFormDrawing)
#include "test_form_drawing.moc"
