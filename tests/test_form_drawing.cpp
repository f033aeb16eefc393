// Mouse events go through the window system layer, so that a double click
// arrives as the platform delivers it: press, release, double click, release.
#define QTEST_QPA_MOUSE_HANDLING

#include "form1.h"
#include "scripteddialogs.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QScreen>
#include <QSignalSpy>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <cmath>
#include <functional>
#include <memory>

namespace
{

constexpr double twipsPerPixel = 15;
const QRgb white = colors::toPixel(colors::white);
const QRgb black = colors::toPixel(colors::black);

// A window with its own settings file (none) and scripted dialogs.
struct Window {
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    std::unique_ptr<Form1> form;

    Window() { form = std::make_unique<Form1>(FormOptions{dir.filePath("voludef.txt"), &dialogs}); }
    Form1 &operator*() { return *form; }
};

QPoint pixelOf(double xTwips, double yTwips)
{
    return QPoint(static_cast<int>(std::lround(xTwips / twipsPerPixel)),
                  static_cast<int>(std::lround(yTwips / twipsPerPixel)));
}

void click(QWidget *widget)
{
    QTest::mouseClick(widget, Qt::LeftButton);
}

// Clicks a check box on its indicator, where a user clicks it.
void clickCheckBox(QCheckBox *box)
{
    QStyleOptionButton option;
    option.initFrom(box);
    const QRect indicator = box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
    QTest::mouseClick(box, Qt::LeftButton, {}, indicator.center());
}

int countPixels(const QImage &image, const QRect &area, QRgb value)
{
    int count = 0;
    const QRect bounded = area & image.rect();
    for (int y = bounded.top(); y <= bounded.bottom(); ++y)
        for (int x = bounded.left(); x <= bounded.right(); ++x)
            count += image.pixel(x, y) == value;
    return count;
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

// Counts the passes of the event loop, that is the yields of a run, that
// follow a moment of interest. Without a stop a long run yields thousands of
// times more.
class YieldCounter
{
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

// A run of this many turns takes seconds: far longer than a stopped one.
constexpr float longRun = 300;

// Runs `action` at the first yield of the next run (or whenever the event
// loop next runs), unless `form` is gone by then.
void atFirstYield(Form1 &form, std::function<void()> action)
{
    QTimer::singleShot(0, &form, std::move(action));
}

} // namespace

class TestFormDrawing : public QObject
{
    Q_OBJECT
  private slots:
    void initTestCase();
    void drawLightsCanvasAndProgressBar();
    void drawDisablesItselfWhileRunning();
    void drawIsRepeatable();
    void stopDrawButtonEndsRun();
    void escapeEndsRun();
    void escapeWhileIdleDoesNothing();
    void autoRunDrawsDifferentRandomFigures();
    void drawClearsOldProgressBar();
    void cleanDuringDrawErasesAndDrawingGoesOn();
    void cleanWithAutoRedrawUncheckedErasesImage();
    void cleanWithAutoRedrawCheckedRunsNoClickHandling();
    void check1TogglesCleanAndAutoClean();
    void check2FlipsAutoRedrawEvenWhenApart();
    void dragSetsPlacement_data();
    void dragSetsPlacement();
    void shortDragsAndClicksReset_data();
    void shortDragsAndClicksReset();
    void doubleClickResets();
    void doubleClickDuringRunResets();
    void pressDuringRunIsIgnored();
    void rubberBandLeavesNoTrace();
    void panelPressesDoNotSize();
    // Closing ends the application's event processing, so it comes last.
    void closeDuringDrawEndsRun();

  private:
    void prepareFigure(Form1 &form);
    void activate(Form1 &form);
};

void TestFormDrawing::initTestCase()
{
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("offscreen"));
}

void TestFormDrawing::activate(Form1 &form)
{
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
}

// Fields that describe one fixed figure: amplitude 0.6, frequency 7.
void TestFormDrawing::prepareFigure(Form1 &form)
{
    form.Frame1->Text1->setText("0.6");
    form.Frame1->Text2->setText("7");
}

void TestFormDrawing::drawLightsCanvasAndProgressBar()
{
    Window window;
    Form1 &form = *window;
    activate(form);
    prepareFigure(form);
    QCOMPARE(form.state().foregroundColor, colors::white);
    const QRect open = openCanvas(form);
    QCOMPARE(countPixels(form.surface().screenImage(), open, white), 0);

    click(form.Frame1->Command1);

    const QImage &shown = form.surface().screenImage();
    const int figurePixels = countPixels(shown, open, white);
    QVERIFY2(figurePixels > 2000, qPrintable(QString::number(figurePixels)));
    // Everything lit is either white or the black background.
    QCOMPARE(countPixels(shown, open, white) + countPixels(shown, open, black), open.width() * open.height());

    // The figure lies in the box that its scales give, from (50, 50).
    const double w = form.windowWidth();
    const double h = form.windowHeight();
    const double right = 50 + 6000 * (w - 2000) / 6528;
    const double bottom = 50 + 6000 * h / 6528;
    const QRect box(QPoint(50 / 15, 50 / 15), QPoint(int(right / 15) + 1, int(bottom / 15) + 1));
    QCOMPARE(countPixels(shown, open & box, white), figurePixels);

    // The progress bar below the panel, from Lp + 10 to Lp + 10 + 6280000 / 2950.
    const int barY = static_cast<int>((form.Frame1->height() * 15 + 80) / 15);
    const double lp = form.Frame1->x() * 15.0;
    QCOMPARE(barY, 410);
    QVERIFY(barY > form.Frame1->geometry().bottom());
    const int barStart = static_cast<int>(std::floor((lp + 10) / 15));
    const int barEnd = static_cast<int>(std::floor((lp + 10 + 6280000 / 2950.0) / 15));
    for (int x = barStart; x <= barEnd; ++x)
        QVERIFY2(shown.pixel(x, barY) == white, qPrintable(QString("bar pixel %1").arg(x)));
    QCOMPARE(shown.pixel(barEnd + 1, barY), black);
    QCOMPARE(shown.pixel(barStart - 1, barY), black);
    QCOMPARE(shown.pixel(barStart, barY + 1), black);

    // The window shows it once its repaints have run.
    QTRY_VERIFY(onScreen(form).copy(open) == shown.copy(open));
    QCOMPARE(onScreen(form).pixel(barEnd, barY), white);

    // With AutoRedraw off nothing reached the persistent image.
    QVERIFY(!form.surface().autoRedraw());
    const QImage persistent = form.surface().image();
    QCOMPARE(countPixels(persistent, persistent.rect(), white), 0);
}

void TestFormDrawing::drawDisablesItselfWhileRunning()
{
    Window window;
    Form1 &form = *window;
    activate(form);
    prepareFigure(form);
    QPushButton *draw = form.findChild<QPushButton *>("Command1");
    QPushButton *autoRun = form.findChild<QPushButton *>("Command17");
    QVERIFY(draw && autoRun);
    QCOMPARE(autoRun->text(), QStringLiteral("AutoRun"));
    QVERIFY(draw->isEnabled());

    bool sawRun = false;
    bool drawEnabledDuringRun = true;
    QString captionDuringRun;
    std::int16_t activeDuringRun = 0;
    atFirstYield(form, [&] {
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
    QVERIFY(draw->isEnabled());
    QCOMPARE(autoRun->text(), QStringLiteral("Auto Run"));
    QCOMPARE(form.state().drawingActive, std::int16_t(0));
    QCOMPARE(form.state().autoRunActive, std::int16_t(0));
    // A plain drawing leaves the fields as typed.
    QCOMPARE(form.Frame1->Text1->text(), QStringLiteral("0.6"));
    QCOMPARE(form.Frame1->Text2->text(), QStringLiteral("7"));
}

void TestFormDrawing::drawIsRepeatable()
{
    Window window;
    Form1 &form = *window;
    activate(form);
    prepareFigure(form);
    click(form.Frame1->Command1);
    const QImage first = form.surface().screenImage().copy();
    // AutoClean erases the first drawing before the second.
    form.state().drawLeftOffset = 2000;
    click(form.Frame1->Command1);
    const QImage moved = form.surface().screenImage().copy();
    const QRect leftStrip(0, 0, 2000 / 15, form.canvas->height() - 1);
    QVERIFY(countPixels(first, leftStrip, white) > 0);
    QCOMPARE(countPixels(moved, leftStrip, white), 0);
    form.state().drawLeftOffset = 50;
    click(form.Frame1->Command1);
    QCOMPARE(form.surface().screenImage(), first);
}

void TestFormDrawing::stopDrawButtonEndsRun()
{
    Window window;
    Form1 &form = *window;
    activate(form);
    prepareFigure(form);
    form.state().turns = longRun;
    QPushButton *stop = form.findChild<QPushButton *>("Command17");
    QVERIFY(stop);

    YieldCounter yields;
    bool stopped = false;
    QTimer::singleShot(50, &form, [&] {
        QCOMPARE(stop->text(), QStringLiteral("Stop Draw"));
        QCOMPARE(form.state().drawingActive, std::int16_t(1));
        click(stop);
        stopped = true;
        QCOMPARE(form.state().stopRequested, std::int16_t(1));
        yields.start();
    });
    QElapsedTimer elapsed;
    elapsed.start();
    click(form.Frame1->Command1);
    const int yieldsAfterStop = yields.count();

    QVERIFY(stopped);
    QVERIFY2(elapsed.elapsed() < 2000, qPrintable(QString::number(elapsed.elapsed())));
    QVERIFY2(yieldsAfterStop <= 3, qPrintable(QString::number(yieldsAfterStop)));
    QCOMPARE(form.state().drawingActive, std::int16_t(0));
    QCOMPARE(form.state().stopRequested, std::int16_t(0));
    QCOMPARE(form.state().autoRunActive, std::int16_t(0));
    QCOMPARE(stop->text(), QStringLiteral("Auto Run"));
    QVERIFY(form.Frame1->Command1->isEnabled());
    // Part of the figure was drawn before the stop.
    QVERIFY(countPixels(form.surface().screenImage(), openCanvas(form), white) > 0);
    // A stop of a plain drawing does not empty any field.
    QCOMPARE(form.Frame1->Text1->text(), QStringLiteral("0.6"));
}

void TestFormDrawing::escapeEndsRun()
{
    Window window;
    Form1 &form = *window;
    activate(form);
    prepareFigure(form);
    form.state().turns = longRun;

    YieldCounter yields;
    bool pressed = false;
    QTimer::singleShot(50, &form, [&] {
        // The user clicks into a field first: Esc still stops the run.
        QTest::mouseClick(form.Frame1->Text5, Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), form.Frame1->Text5);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        pressed = true;
        QCOMPARE(form.state().stopRequested, std::int16_t(1));
        yields.start();
    });
    QElapsedTimer elapsed;
    elapsed.start();
    click(form.Frame1->Command1);
    const int yieldsAfterStop = yields.count();

    QVERIFY(pressed);
    QVERIFY2(elapsed.elapsed() < 2000, qPrintable(QString::number(elapsed.elapsed())));
    QVERIFY2(yieldsAfterStop <= 3, qPrintable(QString::number(yieldsAfterStop)));
    QCOMPARE(form.state().drawingActive, std::int16_t(0));
    QCOMPARE(form.Frame1->Command17->text(), QStringLiteral("Auto Run"));
    QVERIFY(form.Frame1->Command1->isEnabled());
}

void TestFormDrawing::escapeWhileIdleDoesNothing()
{
    Window window;
    Form1 &form = *window;
    activate(form);
    prepareFigure(form);
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

void TestFormDrawing::autoRunDrawsDifferentRandomFigures()
{
    Window window;
    Form1 &form = *window;
    activate(form);
    // Every Clean before a drawing switches AutoRedraw on for a moment: at
    // that moment the screen still shows the finished drawing before it.
    QList<QImage> finished;
    int drawingsStarted = 0;
    connect(form.Frame1->Check2, &QCheckBox::toggled, &form, [&](bool on) {
        if (!on)
            return;
        ++drawingsStarted;
        if (drawingsStarted > 1)
            finished << form.surface().screenImage().copy();
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
    QVERIFY(countPixels(finished[0], open, white) > 500);
    QVERIFY(countPixels(finished[1], open, white) > 500);
    QVERIFY(finished[0].copy(open) != finished[1].copy(open));
    QCOMPARE(form.state().drawingActive, std::int16_t(0));
    QCOMPARE(form.state().autoRunActive, std::int16_t(0));
    QCOMPARE(form.Frame1->Command17->text(), QStringLiteral("Auto Run"));
    QVERIFY(form.Frame1->Command1->isEnabled());
    for (const char *name : {"Text1", "Text2", "Text3", "Text4", "Text5", "Text6", "Text7", "Text8", "Text9",
                             "Text10", "Text13", "Text14"})
        QCOMPARE(form.findChild<QLineEdit *>(name)->text(), QString());
}

void TestFormDrawing::drawClearsOldProgressBar()
{
    Window window;
    Form1 &form = *window;
    activate(form);
    prepareFigure(form);
    clickCheckBox(form.Frame1->Check1);
    QCOMPARE(form.state().autoClean, 0.0);
    click(form.Frame1->Command1);
    const int barY = 410;
    const double lp = form.Frame1->x() * 15.0;
    const int barEnd = static_cast<int>(std::floor((lp + 10 + 6280000 / 2950.0) / 15));
    QCOMPARE(form.surface().screenImage().pixel(barEnd, barY), white);

    // A second drawing, stopped at its first yield, shows only the bar's
    // first point: the old bar was erased before it.
    atFirstYield(form, [&] { click(form.Frame1->Command17); });
    click(form.Frame1->Command1);
    const QImage &shown = form.surface().screenImage();
    const int barStart = static_cast<int>(std::floor((lp + 10) / 15));
    QCOMPARE(shown.pixel(barStart, barY), white);
    QCOMPARE(countPixels(shown, QRect(barStart + 1, barY, barEnd - barStart + 20, 1), white), 0);
    // Without AutoClean the first figure stays.
    QVERIFY(countPixels(shown, openCanvas(form), white) > 2000);
}

void TestFormDrawing::cleanDuringDrawErasesAndDrawingGoesOn()
{
    Window window;
    Form1 &form = *window;
    activate(form);
    prepareFigure(form);
    clickCheckBox(form.Frame1->Check1);
    QVERIFY(form.Frame1->Command3->isEnabled());
    click(form.Frame1->Command1);
    const int fullFigure = countPixels(form.surface().screenImage(), openCanvas(form), white);
    click(form.Frame1->Command3);
    QCOMPARE(countPixels(form.surface().screenImage(), openCanvas(form), white), 0);

    const int barY = 410;
    const double lp = form.Frame1->x() * 15.0;
    const auto barPixel = [&](double n) { return static_cast<int>(std::floor((lp + 10 + n / 2950) / 15)); };
    // Clean is pressed once the bar has passed the middle of the drawing.
    bool cleaned = false;
    QTimer watch;
    connect(&watch, &QTimer::timeout, [&] {
        if (!cleaned && form.surface().screenImage().pixel(barPixel(3140000), barY) == white) {
            cleaned = true;
            QCOMPARE(form.state().drawingActive, std::int16_t(1));
            click(form.Frame1->Command3);
        }
    });
    watch.start(0);
    click(form.Frame1->Command1);
    watch.stop();

    QVERIFY(cleaned);
    const QImage &shown = form.surface().screenImage();
    QCOMPARE(shown.pixel(barPixel(1000000), barY), black);
    QCOMPARE(shown.pixel(barPixel(6280000), barY), white);
    const int rest = countPixels(shown, openCanvas(form), white);
    QVERIFY2(rest > 0 && rest < fullFigure, qPrintable(QString("%1 of %2").arg(rest).arg(fullFigure)));
}

void TestFormDrawing::cleanWithAutoRedrawUncheckedErasesImage()
{
    Window window;
    Form1 &form = *window;
    activate(form);
    prepareFigure(form);
    QCheckBox *autoClean = form.findChild<QCheckBox *>("Check1");
    QCheckBox *autoRedraw = form.findChild<QCheckBox *>("Check2");
    QPushButton *clean = form.findChild<QPushButton *>("Command3");
    QPushButton *print = form.findChild<QPushButton *>("Command16");
    QVERIFY(autoClean && autoRedraw && clean && print);

    clickCheckBox(autoClean);
    QVERIFY(clean->isEnabled());
    clickCheckBox(autoRedraw);
    QVERIFY(form.surface().autoRedraw());
    click(form.Frame1->Command1);
    clickCheckBox(autoRedraw);
    QVERIFY(!autoRedraw->isChecked());
    QVERIFY(!form.surface().autoRedraw());
    QVERIFY(!print->isEnabled());
    const QRect open = openCanvas(form);
    QVERIFY(countPixels(form.surface().image(), open, white) > 2000);
    QVERIFY(countPixels(form.surface().screenImage(), open, white) > 2000);

    click(clean);

    const QImage persistent = form.surface().image();
    QCOMPARE(countPixels(persistent, persistent.rect(), black), persistent.width() * persistent.height());
    const QImage shown = form.surface().screenImage();
    QCOMPARE(countPixels(shown, open, black), open.width() * open.height());
    QTRY_VERIFY(onScreen(form).copy(open) == shown.copy(open));
    QVERIFY(!autoRedraw->isChecked());
    QVERIFY(!form.surface().autoRedraw());
    QVERIFY(!print->isEnabled());
}

void TestFormDrawing::cleanWithAutoRedrawCheckedRunsNoClickHandling()
{
    Window window;
    Form1 &form = *window;
    activate(form);
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

void TestFormDrawing::check1TogglesCleanAndAutoClean()
{
    Window window;
    Form1 &form = *window;
    activate(form);
    QCheckBox *box = form.findChild<QCheckBox *>("Check1");
    QPushButton *clean = form.findChild<QPushButton *>("Command3");
    QVERIFY(box && clean);
    QVERIFY(box->isChecked());
    QVERIFY(!clean->isEnabled());
    QCOMPARE(form.state().autoClean, 1.0);

    clickCheckBox(box);
    QVERIFY(!box->isChecked());
    QVERIFY(clean->isEnabled());
    QCOMPARE(form.state().autoClean, 0.0);

    clickCheckBox(box);
    QVERIFY(box->isChecked());
    QVERIFY(!clean->isEnabled());
    QCOMPARE(form.state().autoClean, 1.0);

    // With AutoClean off a second drawing adds to the first.
    clickCheckBox(box);
    prepareFigure(form);
    click(form.Frame1->Command1);
    const int once = countPixels(form.surface().screenImage(), openCanvas(form), white);
    form.state().drawLeftOffset = 3000;
    click(form.Frame1->Command1);
    QVERIFY(countPixels(form.surface().screenImage(), openCanvas(form), white) > once);
}

void TestFormDrawing::check2FlipsAutoRedrawEvenWhenApart()
{
    Window window;
    Form1 &form = *window;
    activate(form);
    QCheckBox *box = form.findChild<QCheckBox *>("Check2");
    QPushButton *print = form.findChild<QPushButton *>("Command16");
    QVERIFY(box && print);
    QVERIFY(!box->isChecked());
    QVERIFY(!form.surface().autoRedraw());
    QVERIFY(!print->isEnabled());

    // The box and the surface come apart.
    form.surface().setAutoRedraw(true);
    clickCheckBox(box);
    QVERIFY(box->isChecked());
    QVERIFY(!form.surface().autoRedraw());
    QVERIFY(print->isEnabled());

    clickCheckBox(box);
    QVERIFY(!box->isChecked());
    QVERIFY(form.surface().autoRedraw());
    QVERIFY(!print->isEnabled());
}

void TestFormDrawing::dragSetsPlacement_data()
{
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<Qt::MouseButton>("button");
    // (1000, 800) and (4000, 3800) twips, at whole pixels.
    QTest::newRow("down right") << pixelOf(1000, 800) << pixelOf(4000, 3800) << Qt::LeftButton;
    QTest::newRow("up left") << pixelOf(4000, 3800) << pixelOf(1000, 800) << Qt::LeftButton;
    QTest::newRow("down left") << QPoint(267, 53) << QPoint(67, 253) << Qt::LeftButton;
    QTest::newRow("up right") << QPoint(67, 253) << QPoint(267, 53) << Qt::LeftButton;
    QTest::newRow("right button") << pixelOf(1000, 800) << pixelOf(4000, 3800) << Qt::RightButton;
}

void TestFormDrawing::dragSetsPlacement()
{
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QFETCH(Qt::MouseButton, button);
    Window window;
    Form1 &form = *window;
    activate(form);
    form.state().mouseDelay = 0;
    QWidget *canvas = form.findChild<QWidget *>("Canvas");
    QVERIFY(canvas);

    QTest::mousePress(canvas, button, {}, from);
    QCOMPARE(form.state().sizingPressed, std::int16_t(1));
    QCOMPARE(form.state().drawLeftOffset, from.x() * 15);
    QCOMPARE(form.state().drawTopOffset, from.y() * 15);
    QTest::mouseMove(canvas, (from + to) / 2);
    QTest::mouseMove(canvas, to);
    QTest::mouseRelease(canvas, button, {}, to);

    QCOMPARE(form.state().sizingPressed, std::int16_t(0));
    QCOMPARE(form.state().drawLeftOffset, 1005);
    QCOMPARE(form.state().drawTopOffset, 795);
    const double w = form.windowWidth();
    const double h = form.windowHeight();
    QCOMPARE(w, form.frameGeometry().width() * 15.0);
    QCOMPARE(h, form.frameGeometry().height() * 15.0);
    QCOMPARE(form.state().drawPartX, static_cast<float>(3000 / (w - 2300)));
    QCOMPARE(form.state().drawPartY, static_cast<float>(3000 / (h - 300)));
}

void TestFormDrawing::shortDragsAndClicksReset_data()
{
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<bool>("resets");
    QTest::newRow("click") << QPoint(100, 100) << QPoint(100, 100) << true;
    QTest::newRow("flat") << QPoint(67, 53) << QPoint(267, 53) << true;
    QTest::newRow("narrow") << QPoint(67, 53) << QPoint(67, 253) << true;
    // One pixel is 15 twips, more than the 9 that a drag needs.
    QTest::newRow("one pixel down") << QPoint(67, 53) << QPoint(267, 54) << false;
}

void TestFormDrawing::shortDragsAndClicksReset()
{
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QFETCH(bool, resets);
    Window window;
    Form1 &form = *window;
    activate(form);
    FormState &state = form.state();
    state.mouseDelay = 0;
    state.drawLeftOffset = 700;
    state.drawTopOffset = 900;
    state.drawPartX = 0.25f;
    state.drawPartY = 0.75f;

    QTest::mousePress(form.canvas, Qt::LeftButton, {}, from);
    if (to != from)
        QTest::mouseMove(form.canvas, to);
    QTest::mouseRelease(form.canvas, Qt::LeftButton, {}, to);

    QCOMPARE(state.sizingPressed, std::int16_t(0));
    if (resets) {
        QCOMPARE(state.drawLeftOffset, 50);
        QCOMPARE(state.drawTopOffset, 50);
        QCOMPARE(state.drawPartX, 1.0f);
        QCOMPARE(state.drawPartY, 1.0f);
    } else {
        QCOMPARE(state.drawLeftOffset, 1005);
        QCOMPARE(state.drawTopOffset, 795);
        QCOMPARE(state.drawPartY, static_cast<float>(15 / (form.windowHeight() - 300)));
    }
}

void TestFormDrawing::doubleClickResets()
{
    Window window;
    Form1 &form = *window;
    activate(form);
    FormState &state = form.state();
    state.drawLeftOffset = 700;
    state.drawTopOffset = 900;
    state.drawPartX = 0.25f;
    state.drawPartY = 0.75f;
    int presses = 0, releases = 0, doubles = 0;
    connect(form.canvas, &CanvasWidget::mousePressed, &form, [&] { ++presses; });
    connect(form.canvas, &CanvasWidget::mouseReleased, &form, [&] { ++releases; });
    connect(form.canvas, &CanvasWidget::mouseDoubleClicked, &form, [&] { ++doubles; });

    QTest::mouseDClick(form.canvas, Qt::LeftButton, {}, QPoint(200, 150));

    // The platform's order: press, release, double click, release.
    QCOMPARE(presses, 1);
    QCOMPARE(doubles, 1);
    QCOMPARE(releases, 2);
    QCOMPARE(state.sizingPressed, std::int16_t(0));
    QCOMPARE(state.drawLeftOffset, 50);
    QCOMPARE(state.drawTopOffset, 50);
    QCOMPARE(state.drawPartX, 1.0f);
    QCOMPARE(state.drawPartY, 1.0f);
}

void TestFormDrawing::doubleClickDuringRunResets()
{
    Window window;
    Form1 &form = *window;
    activate(form);
    prepareFigure(form);
    FormState &state = form.state();
    state.turns = longRun;
    state.drawLeftOffset = 700;
    state.drawTopOffset = 900;
    state.drawPartX = 0.5f;
    state.drawPartY = 0.5f;
    bool done = false;
    QTimer::singleShot(20, &form, [&] {
        QCOMPARE(state.drawingActive, std::int16_t(1));
        QTest::mouseDClick(form.canvas, Qt::LeftButton, {}, QPoint(200, 150));
        QCOMPARE(state.drawLeftOffset, 50);
        QCOMPARE(state.drawTopOffset, 50);
        QCOMPARE(state.drawPartX, 1.0f);
        QCOMPARE(state.drawPartY, 1.0f);
        done = true;
        click(form.Frame1->Command17);
    });
    click(form.Frame1->Command1);
    QVERIFY(done);
    QCOMPARE(state.drawingActive, std::int16_t(0));
    QCOMPARE(state.drawLeftOffset, 50);
}

void TestFormDrawing::pressDuringRunIsIgnored()
{
    Window window;
    Form1 &form = *window;
    activate(form);
    prepareFigure(form);
    FormState &state = form.state();
    state.turns = longRun;
    state.mouseDelay = 0;
    state.drawLeftOffset = 700;
    state.drawTopOffset = 900;
    state.drawPartX = 0.5f;
    state.drawPartY = 0.5f;
    bool done = false;
    QTimer::singleShot(20, &form, [&] {
        QTest::mousePress(form.canvas, Qt::LeftButton, {}, QPoint(67, 53));
        QCOMPARE(state.sizingPressed, std::int16_t(0));
        QTest::mouseMove(form.canvas, QPoint(267, 253));
        QTest::mouseRelease(form.canvas, Qt::LeftButton, {}, QPoint(267, 253));
        QCOMPARE(state.drawLeftOffset, 700);
        QCOMPARE(state.drawTopOffset, 900);
        QCOMPARE(state.drawPartX, 0.5f);
        QCOMPARE(state.drawPartY, 0.5f);
        done = true;
        click(form.Frame1->Command17);
    });
    click(form.Frame1->Command1);
    QVERIFY(done);
    QCOMPARE(state.drawLeftOffset, 700);
}

void TestFormDrawing::rubberBandLeavesNoTrace()
{
    Window window;
    Form1 &form = *window;
    activate(form);
    prepareFigure(form);
    click(form.Frame1->Command1);
    form.state().mouseDelay = 0;
    const QImage before = form.surface().screenImage().copy();

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
        if (form.surface().screenImage() != before)
            lineShown = true;
    };

    QTest::mousePress(form.canvas, Qt::LeftButton, {}, from);
    form.canvas->installEventFilter(&watch);
    QTest::mouseMove(form.canvas, to);
    form.canvas->removeEventFilter(&watch);
    QVERIFY(paints > 0);
    QVERIFY(lineShown);
    QCOMPARE(form.surface().screenImage(), before);
    QTest::mouseRelease(form.canvas, Qt::LeftButton, {}, to);
    QCOMPARE(form.surface().screenImage(), before);
    QCOMPARE(form.surface().drawMode(), 13);
    const QRect open = openCanvas(form);
    QTRY_VERIFY(onScreen(form).copy(open) == before.copy(open));

    // Moving with no button held draws nothing.
    form.canvas->installEventFilter(&watch);
    lineShown = false;
    QTest::mouseMove(form.canvas, from);
    form.canvas->removeEventFilter(&watch);
    QVERIFY(!lineShown);
    QCOMPARE(form.surface().screenImage(), before);
}

void TestFormDrawing::panelPressesDoNotSize()
{
    Window window;
    Form1 &form = *window;
    activate(form);
    FormState &state = form.state();
    state.drawLeftOffset = 700;
    state.drawTopOffset = 900;
    state.drawPartX = 0.5f;
    state.drawPartY = 0.5f;
    int canvasPresses = 0;
    connect(form.canvas, &CanvasWidget::mousePressed, &form, [&] { ++canvasPresses; });

    // The frame's own background, a row label and a field.
    QTest::mouseClick(form.Frame1, Qt::LeftButton, {}, QPoint(140, 12));
    QTest::mouseDClick(form.Frame1, Qt::LeftButton, {}, QPoint(5, 300));
    QTest::mouseClick(form.Frame1->Label14, Qt::LeftButton);
    QTest::mouseClick(form.Frame1->Text5, Qt::LeftButton);
    QTest::mousePress(form.Frame1, Qt::LeftButton, {}, QPoint(140, 12));
    QTest::mouseMove(form.Frame1, QPoint(20, 300));
    QTest::mouseRelease(form.Frame1, Qt::LeftButton, {}, QPoint(20, 300));

    QCOMPARE(canvasPresses, 0);
    QCOMPARE(state.sizingPressed, std::int16_t(0));
    QCOMPARE(state.drawLeftOffset, 700);
    QCOMPARE(state.drawTopOffset, 900);
    QCOMPARE(state.drawPartX, 0.5f);
    QCOMPARE(state.drawPartY, 0.5f);
}

void TestFormDrawing::closeDuringDrawEndsRun()
{
    Window window;
    QPointer<Form1> form = window.form.get();
    activate(*form);
    prepareFigure(*form);
    form->state().turns = longRun;
    QSignalSpy ending(form.data(), &Form1::programEnding);
    YieldCounter yields;
    bool closed = false;
    QTimer::singleShot(50, form.data(), [&] {
        QCOMPARE(form->state().drawingActive, std::int16_t(1));
        closed = form->close();
        yields.start();
    });
    QElapsedTimer elapsed;
    elapsed.start();
    click(form->Frame1->Command1);
    const int yieldsAfterClose = yields.count();

    QVERIFY(closed);
    QVERIFY2(elapsed.elapsed() < 2000, qPrintable(QString::number(elapsed.elapsed())));
    QVERIFY2(yieldsAfterClose <= 3, qPrintable(QString::number(yieldsAfterClose)));
    QVERIFY(form->programEnded());
    QCOMPARE(ending.count(), 1);
    QVERIFY(!form->isVisible());
    // Nothing more happens after the end, not even a new drawing.
    const QImage after = form->surface().screenImage().copy();
    form->Command1_Click();
    QCOMPARE(form->surface().screenImage(), after);

    window.form.reset();
    QVERIFY(form.isNull());
}

QTEST_MAIN(TestFormDrawing)
#include "test_form_drawing.moc"
