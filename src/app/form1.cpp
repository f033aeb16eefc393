#include "form1.h"

#include "autorun.h"
#include "drawingrun.h"
#include "mousesizing.h"
#include "numbers.h"
#include "qtdialogs.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDateTime>
#include <QScreen>

#include <cmath>
#include <thread>

namespace {

// The client area the window is designed around, in twips.
constexpr int designedClientWidth = 8790;
constexpr int designedClientHeight = 6990;

double screenTwipsPerPixel(const QWidget *widget)
{
    const QScreen *screen = widget->screen();
    const double dpi = screen ? screen->logicalDotsPerInchX() : 96.0;
    return dpi > 0 ? 1440.0 / dpi : 15.0;
}

} // namespace

Form1::Form1(FormOptions options) : options_(std::move(options))
{
    setObjectName("Form1");
    setWindowTitle("Volutra 1.00");
    surface_.setTwipsPerPixel(screenTwipsPerPixel(this));

    canvas = new CanvasWidget(surface_, this);
    canvas->setObjectName("Canvas");
    Frame1 = new ControlPanel(surface_.twipsPerPixel(), state_.focusedField, this);
    Frame1->raise();

    if (options_.dialogs) {
        dialogs_ = options_.dialogs;
    } else {
        ownDialogs_ = std::make_unique<QtDialogs>(this);
        dialogs_ = ownDialogs_.get();
    }

    escape_ = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape_->setEnabled(false);
    connect(escape_, &QShortcut::activated, Frame1->Command17, &QPushButton::click);

    connect(canvas, &CanvasWidget::mousePressed, this, &Form1::Form_MouseDown);
    connect(canvas, &CanvasWidget::mouseMoved, this, &Form1::Form_MouseMove);
    connect(canvas, &CanvasWidget::mouseReleased, this, &Form1::Form_MouseUp);
    connect(canvas, &CanvasWidget::mouseDoubleClicked, this, &Form1::Form_DblClick);
    connect(Frame1->Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(Frame1->Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(Frame1->Command17, &QPushButton::clicked, this, &Form1::Command17_Click);
    connect(Frame1->Check1, &QCheckBox::toggled, this, &Form1::Check1_Click);
    connect(Frame1->Check2, &QCheckBox::toggled, this, &Form1::Check2_Click);

    resize(toPixels(designedClientWidth), toPixels(designedClientHeight));
    Form_Load();
}

Form1::~Form1() = default;

int Form1::toPixels(double twips) const
{
    return static_cast<int>(std::lround(twips / surface_.twipsPerPixel()));
}

double Form1::windowWidth() const { return surface_.toTwips(frameGeometry().width()); }
double Form1::windowHeight() const { return surface_.toTwips(frameGeometry().height()); }

void Form1::Form_Load()
{
    state_ = FormState{};
    autoRunIdleCaption_ = "Auto Run";
    autoRunStopCaption_ = "Stop Draw";

    surface_.setDrawWidth(1);
    surface_.setDrawMode(13);
    random_.seed(static_cast<std::uint64_t>(QDateTime::currentMSecsSinceEpoch()) * 1000003u
                 ^ static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(this)));
    surface_.setForeColor(colors::white);
    surface_.setBackColor(colors::black);

    Frame1->Check1->setChecked(true);
    Frame1->Command3->setEnabled(false);
    Frame1->Command16->setEnabled(false);
    Command3_Click();
    surface_.setAutoRedraw(true);

    state_.foregroundColor = colors::rgb(state_.foreRed, state_.foreGreen, state_.foreBlue);
    state_.backgroundColor = colors::rgb(state_.backRed, state_.backGreen, state_.backBlue);
    surface_.setBackColor(state_.backgroundColor);

    show();
    const double autoRedraw = numbers::leadingNumber(state_.autoRedraw);
    surface_.setAutoRedraw(autoRedraw != 0);
    Frame1->Command16->setEnabled(autoRedraw == 1);
    Form_Resize();
    activateWindow();
    Frame1->Text1->setFocus();
}

void Form1::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void Form1::Form_Resize()
{
    canvas->setGeometry(rect());
    placePanel();
}

void Form1::placePanel()
{
    const float left = static_cast<float>(windowWidth() - 2300 - state_.frameRightOffset);
    Frame1->move(toPixels(left), toPixels(ControlPanel::topTwips));
}

double Form1::panelLeft() const { return surface_.toTwips(Frame1->x()); }
double Form1::panelHeight() const { return surface_.toTwips(Frame1->height()); }

void Form1::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    event->accept();
}

void Form1::Form_Unload() { endProgram(); }

void Form1::endProgram()
{
    if (ended_)
        return;
    ended_ = true;
    state_.autoRunActive = 0;
    state_.stopRequested = 1;
    hide();
    emit programEnding();
    QCoreApplication::exit(0);
}

void Form1::Form_MouseDown(float x, float y) { mousesizing::mouseDown(state_, x, y); }

void Form1::Form_MouseMove(float x, float y) { mousesizing::mouseMove(state_, surface_, *this, x, y); }

void Form1::Form_MouseUp(float x, float y) { mousesizing::mouseUp(state_, x, y, windowWidth(), windowHeight()); }

void Form1::Form_DblClick() { mousesizing::doubleClick(state_); }

void Form1::Command1_Click()
{
    if (ended_)
        return;
    DrawingRun(state_, *this, surface_, random_).run();
}

void Form1::Command17_Click()
{
    if (ended_)
        return;
    autorun::click(state_, *this, surface_, random_);
}

void Form1::Command3_Click()
{
    QCheckBox *box = Frame1->Check2;
    const bool wasChecked = box->isChecked();
    // AutoRedraw is switched on for a moment so that clearing reaches the
    // persistent image as well as the screen.
    box->setChecked(true);
    surface_.setBackColor(state_.backgroundColor);
    surface_.cls();
    box->setChecked(wasChecked);
}

void Form1::Check1_Click()
{
    const bool checked = Frame1->Check1->isChecked();
    Frame1->Command3->setEnabled(!checked);
    state_.autoClean = checked ? 1 : 0;
}

void Form1::Check2_Click()
{
    surface_.setAutoRedraw(!surface_.autoRedraw());
    Frame1->Command16->setEnabled(Frame1->Check2->isChecked());
}

ParameterTexts Form1::parameterTexts() const { return Frame1->texts(); }

void Form1::emptyField(ParameterTexts::Index field) { Frame1->setText(field, QString()); }

void Form1::setDrawEnabled(bool enabled) { Frame1->Command1->setEnabled(enabled); }

void Form1::setRunning(bool running)
{
    Frame1->Command17->setText(running ? autoRunStopCaption_ : autoRunIdleCaption_);
    escape_->setEnabled(running);
}

void Form1::clean() { Command3_Click(); }

void Form1::processEvents() { QCoreApplication::processEvents(); }

void Form1::wait(std::chrono::microseconds duration)
{
    // Whatever was drawn just before the wait is shown during it.
    canvas->repaintPending();
    if (duration.count() > 0)
        std::this_thread::sleep_for(duration);
}
