// SPDX-License-Identifier: GPL-3.0-or-later
#include "form1.h"

#include "autorun.h"
#include "closecommands.h"
#include "drawingrun.h"
#include "figureopening.h"
#include "figurepainter.h"
#include "fileaction.h"
#include "historycommands.h"
#include "layout.h"
#include "mousesizing.h"
#include "numbers.h"
#include "paintloader.h"
#include "qtdialogs.h"
#include "settingsfile.h"
#include "settingslocation.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDateTime>
#include <QDropEvent>
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
    // The window links the figure painter that exports smooth pictures and PDF drawings.
    paintloader::use(figurepainter::functions());
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
    files_ = std::make_unique<FileCommands>(*Frame1, state_, surface_, *this, *dialogs_);
    opening_ = new FigureOpening(*this, *files_);
    history_ = new HistoryCommands(*this, *files_,
                                   options_.historyPath.isEmpty() ? historyFilePath() : options_.historyPath);

    escape_ = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape_->setEnabled(false);
    connect(escape_, &QShortcut::activated, Frame1->Command17, &QPushButton::click);
    connect(new QShortcut(QKeySequence(Qt::Key_F1), this), &QShortcut::activated, this,
            [this] { dialogs_->openTextFile(helpFilePath()); });
    setAcceptDrops(true);

    export_ = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_E), this);
    connect(export_, &QShortcut::activated, this, &Form1::exportFigure);

    connect(canvas, &CanvasWidget::mousePressed, this, &Form1::Form_MouseDown);
    connect(canvas, &CanvasWidget::mouseMoved, this, &Form1::Form_MouseMove);
    connect(canvas, &CanvasWidget::mouseReleased, this, &Form1::Form_MouseUp);
    connect(canvas, &CanvasWidget::mouseDoubleClicked, this, &Form1::Form_DblClick);
    connect(Frame1->Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(Frame1->Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(Frame1->Command17, &QPushButton::clicked, this, &Form1::Command17_Click);
    connect(Frame1->Check1, &QCheckBox::toggled, this, &Form1::Check1_Click);
    connect(Frame1->Check2, &QCheckBox::toggled, this, &Form1::Check2_Click);
    connect(Frame1->Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(Frame1->Command4, &QPushButton::clicked, this, &Form1::Command4_Click);
    connect(Frame1->Command5, &QPushButton::clicked, this, &Form1::Command5_Click);
    connect(Frame1->Command6, &QPushButton::clicked, this, &Form1::Command6_Click);
    connect(Frame1->Command7, &QPushButton::clicked, this, &Form1::Command7_Click);
    connect(Frame1->Command16, &QPushButton::clicked, this, &Form1::Command16_Click);

    resize(toPixels(designedClientWidth), toPixels(designedClientHeight));
    Form_Load();
}

Form1::~Form1() = default;

int Form1::toPixels(double twips) const
{
    return static_cast<int>(std::lround(twips / surface_.twipsPerPixel()));
}

double Form1::windowWidth() const
{
    return surface_.toTwips(frameGeometry().width());
}
double Form1::windowHeight() const
{
    return surface_.toTwips(frameGeometry().height());
}

void Form1::Form_Load()
{
    state_ = FormState{};
    autoRunIdleCaption_ = "Auto Run";
    autoRunStopCaption_ = "Stop Draw";

    surface_.setDrawWidth(state_.prefs.penSize);
    surface_.setDrawMode(state_.prefs.drawMode);
    random_.seed(static_cast<std::uint64_t>(QDateTime::currentMSecsSinceEpoch()) * 1000003u ^
                 static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(this)));
    surface_.setForeColor(colors::white);
    surface_.setBackColor(colors::black);

    Frame1->Check1->setChecked(true);
    Frame1->Command3->setEnabled(false);
    Frame1->Command16->setEnabled(false);
    Command3_Click();
    surface_.setAutoRedraw(true);
    loadSettings();

    state_.foregroundColor = state_.foreground();
    state_.backgroundColor = state_.background();
    surface_.setBackColor(state_.backgroundColor);

    show();
    if (requestedGeometry_) {
        const QRectF wanted = *requestedGeometry_;
        setOuterGeometry(wanted.x(), wanted.y(), wanted.width(), wanted.height());
    }
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
    const float left = static_cast<float>(windowWidth() - layout::panelStrip - state_.frameRightOffset);
    Frame1->move(toPixels(left), toPixels(ControlPanel::topTwips));
}

void Form1::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    event->accept();
}

void Form1::Form_Unload()
{
    endProgram();
}

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

void Form1::Form_MouseDown(float x, float y)
{
    mousesizing::mouseDown(state_, x, y);
}

void Form1::Form_MouseMove(float x, float y)
{
    mousesizing::mouseMove(state_, surface_, *this, x, y);
}

void Form1::Form_MouseUp(float x, float y)
{
    mousesizing::mouseUp(state_, x, y, windowWidth(), windowHeight());
}

void Form1::Form_DblClick()
{
    mousesizing::doubleClick(state_);
}

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

void Form1::setRunning(bool running)
{
    Frame1->Command17->setText(running ? autoRunStopCaption_ : autoRunIdleCaption_);
    escape_->setEnabled(running);
}

void Form1::wait(std::chrono::microseconds duration)
{
    // Whatever was drawn just before the wait is shown during it.
    canvas->repaintPending();
    if (duration.count() > 0)
        std::this_thread::sleep_for(duration);
}

QString Form1::settingsPath() const
{
    return options_.settingsPath.isEmpty() ? settingsFilePath() : options_.settingsPath;
}

ScreenSize Form1::screenSize() const
{
    const QScreen *shown = screen();
    const QSize pixels = shown ? shown->geometry().size() : QSize(800, 600);
    return {surface_.toTwips(pixels.width()), surface_.toTwips(pixels.height())};
}

Settings Form1::gatherSettings() const
{
    Settings settings;
    settings.setColors(state_.foregroundColor, surface_.backColor());
    settings.frameBackColor = Frame1->frameBackColor();
    settings.frameForeColor = Frame1->frameForeColor();
    settings.autoClean = state_.autoClean;
    settings.autoCleanChecked = Frame1->Check1->isChecked();
    settings.autoRedraw = state_.autoRedraw;
    settings.autoRedrawChecked = Frame1->Check2->isChecked();
    settings.prefs = drawing::withCanvasPen(state_.prefs, surface_);
    const QRect frame = frameGeometry();
    settings.windowHeight = static_cast<float>(surface_.toTwips(frame.height()));
    settings.windowTop = static_cast<float>(surface_.toTwips(frame.y()));
    settings.windowWidth = static_cast<float>(surface_.toTwips(frame.width()));
    settings.windowLeft = static_cast<float>(surface_.toTwips(frame.x()));
    settings.frameRightOffset = state_.frameRightOffset;
    return settings;
}

void Form1::loadSettings()
{
    Settings settings = gatherSettings();
    // Before the file is read the components hold their initial values; the
    // two colours are formed from them only afterwards.
    static_cast<colors::PenAndBackground &>(settings) = state_;
    const Settings before = settings;
    if (settingsfile::readFile(settingsPath(), settings, screenSize()) && !(settings == before))
        applySettings(settings);
}

void Form1::applySettings(const Settings &settings)
{
    static_cast<colors::PenAndBackground &>(state_) = settings;
    Frame1->setFrameBackColor(settings.frameBackColor);
    Frame1->setFrameForeColor(settings.frameForeColor);
    // Unchecking runs the box's own handling, which sets autoClean to 0;
    // a checked box keeps whatever value the file gave.
    Frame1->Check1->setChecked(settings.autoCleanChecked);
    state_.autoClean = settings.autoClean;
    state_.autoRedraw = settings.autoRedraw;
    if (settings.autoRedrawChecked) {
        Frame1->Check2->setChecked(true);
        Frame1->Command16->setEnabled(true);
    }
    state_.prefs = settings.prefs;
    surface_.setDrawWidth(settings.prefs.penSize);
    surface_.setDrawMode(settings.prefs.drawMode);
    state_.frameRightOffset = settings.frameRightOffset;
    setOuterGeometry(settings.windowLeft, settings.windowTop, settings.windowWidth, settings.windowHeight);
    placePanel();
}

void Form1::setOuterGeometry(float left, float top, float width, float height)
{
    requestedGeometry_ = QRectF(left, top, width, height);
    // The window may be at most twice the screen in each direction: larger
    // sizes only cost memory and cannot be seen.
    const QScreen *shown = screen();
    const QSize limit = (shown ? shown->geometry().size() : QSize(2048, 2048)) * 2;
    const QSize frame = frameGeometry().size() - geometry().size();
    const int clientWidth = std::clamp(toPixels(width) - frame.width(), 1, std::max(1, limit.width()));
    const int clientHeight = std::clamp(toPixels(height) - frame.height(), 1, std::max(1, limit.height()));
    move(toPixels(left), toPixels(top));
    resize(clientWidth, clientHeight);
}

std::optional<Failure> Form1::saveSettings()
{
    if (options_.settingsPath.isEmpty())
        makeSettingsFolder();
    return settingsfile::writeFile(settingsPath(), gatherSettings(), screenSize());
}

void Form1::Command2_Click()
{
    const QString command = Frame1->Text1->text();
    if (command == "?") {
        Frame1->Text1->setText(QString());
        dialogs_->openTextFile(helpFilePath());
        return;
    }
    if (command == "!") {
        closecommands::settingsFromFields(*Frame1, state_, surface_);
        placePanel();
        Frame1->emptyAllFields();
        return;
    }
    if (command == "col") {
        closecommands::coloursFromFields(*Frame1, state_, surface_);
        Frame1->emptyAllFields();
        return;
    }
    switch (dialogs_->message("Do you wish to save settings?", Dialogs::Buttons::YesNoCancel,
                              "Save Volutra settings")) {
    case Dialogs::Answer::Yes:
        if (const auto failure = saveSettings()) {
            dialogs_->message("Could not save settings: \r\n" + failure->description, Dialogs::Buttons::Ok);
            return;
        }
        endProgram();
        return;
    case Dialogs::Answer::No: endProgram(); return;
    default: return;
    }
}

void Form1::Command4_Click()
{
    files_->save();
}

void Form1::Command5_Click()
{
    files_->load();
}

void Form1::openFile(const QString &path)
{
    opening_->open(path);
}

void Form1::dragEnterEvent(QDragEnterEvent *event)
{
    if (!fileaction::droppedFile(*event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void Form1::dropEvent(QDropEvent *event)
{
    const QString path = fileaction::droppedFile(*event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    // Opened once the drop is over, so that a message about the file does not
    // keep the program it came from waiting.
    QMetaObject::invokeMethod(
        this, [this, path] { openFile(path); }, Qt::QueuedConnection);
}

bool Form1::pickColor(colors::Color &color, const QString &title, const QString &errorPrefix)
{
    const auto choice = dialogs_->chooseColor(color, title);
    if (const auto *failure = std::get_if<Failure>(&choice)) {
        if (failure->number != failures::Cancelled)
            dialogs_->message(errorPrefix + failure->description, Dialogs::Buttons::Ok);
        return false;
    }
    color = std::get<colors::Color>(choice);
    return true;
}

void Form1::Command6_Click()
{
    if (pickColor(state_.backgroundColor, "Select background color", "Error background color : "))
        surface_.setBackColor(state_.backgroundColor);
}

void Form1::Command7_Click()
{
    pickColor(state_.foregroundColor, "Select foreground color", "Error forground color : ");
}

void Form1::Command16_Click()
{
    files_->print();
}

void Form1::exportFigure()
{
    files_->exportFigure();
}
