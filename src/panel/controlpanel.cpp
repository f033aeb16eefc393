// SPDX-License-Identifier: GPL-3.0-or-later
#include "controlpanel.h"

#include "nudge.h"

#include <QDropEvent>
#include <QEvent>
#include <QMimeData>
#include <QUrl>

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace {

QColor toQColor(colors::Color color)
{
    return QColor::fromRgb(colors::toPixel(color));
}

// The captions of the columns and rows. The signal empties the caption's
// fields; Rot empties on a single click, the others on a double click.
struct LineCaption {
    ClickableLabel *ControlPanel::*label;
    void (ClickableLabel::*signal)();
    fieldtable::Line line;
};

const LineCaption lineCaptions[] = {
    {&ControlPanel::Label1, &ClickableLabel::doubleClicked, fieldtable::Column::X},
    {&ControlPanel::Label2, &ClickableLabel::doubleClicked, fieldtable::Column::Y},
    {&ControlPanel::Label13, &ClickableLabel::doubleClicked, fieldtable::Amp},
    {&ControlPanel::Label14, &ClickableLabel::doubleClicked, fieldtable::Freq},
    {&ControlPanel::Label15, &ClickableLabel::doubleClicked, fieldtable::Pwr1},
    {&ControlPanel::Label16, &ClickableLabel::doubleClicked, fieldtable::Pwr2},
    {&ControlPanel::Label5, &ClickableLabel::clicked, fieldtable::Rot},
    {&ControlPanel::Label6, &ClickableLabel::doubleClicked, fieldtable::Wst},
};

// The public member for each field's focus number.
using FieldMember = QLineEdit *ControlPanel::*;
const std::pair<FieldMember, int> publicFieldNames[] = {
    {&ControlPanel::Text1, 1},   {&ControlPanel::Text2, 2},   {&ControlPanel::Text3, 3},
    {&ControlPanel::Text4, 4},   {&ControlPanel::Text5, 5},   {&ControlPanel::Text6, 6},
    {&ControlPanel::Text7, 7},   {&ControlPanel::Text8, 8},   {&ControlPanel::Text9, 9},
    {&ControlPanel::Text10, 10}, {&ControlPanel::Text13, 13}, {&ControlPanel::Text14, 14},
};

} // namespace

ControlPanel::ControlPanel(double twipsPerPixel, std::int16_t &focusedField, QWidget *parent)
    : QFrame(parent), twipsPerPixel_(twipsPerPixel), focusedField_(focusedField)
{
    setObjectName("Frame1");
    setFrameShape(QFrame::NoFrame);
    setAutoFillBackground(true);
    QFont small = font();
    small.setPointSizeF(7.5);
    setFont(small);

    Label1 = makeControl<ClickableLabel>("Label1", "&X", 120, 240, 732, 192);
    Label2 = makeControl<ClickableLabel>("Label2", "&Y", 1320, 240, 732, 192);
    Label3 = makeControl<ClickableLabel>("Label3", "<", 840, 180, 255, 255);
    Label4 = makeControl<ClickableLabel>("Label4", ">", 1080, 180, 255, 255);
    Label13 = makeControl<ClickableLabel>("Label13", "&Amp", 840, 480, 492, 252);
    Label14 = makeControl<ClickableLabel>("Label14", "Fre&q", 840, 960, 492, 252);
    Label15 = makeControl<ClickableLabel>("Label15", "Pwr&1", 840, 1440, 492, 252);
    Label16 = makeControl<ClickableLabel>("Label16", "Pwr&2", 840, 1920, 492, 252);
    Label5 = makeControl<ClickableLabel>("Label5", "&Rot", 840, 2400, 495, 255);
    Label6 = makeControl<ClickableLabel>("Label6", "&Wst", 840, 2880, 495, 315);
    Label12 = makeControl<ClickableLabel>("Label12", QString(), 120, 4920, 732, 252);
    Label12->hide();
    for (ClickableLabel *rowLabel : {Label13, Label14, Label15, Label16, Label5, Label6})
        rowLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    for (ClickableLabel *nudger : {Label3, Label4}) {
        nudger->setAlignment(Qt::AlignCenter);
        QFont bold = nudger->font();
        bold.setBold(true);
        nudger->setFont(bold);
    }

    for (const fieldtable::Field &entry : fieldtable::fields)
        fields_[entry.index] = makeField(entry);
    for (const auto &[member, focusNumber] : publicFieldNames)
        this->*member = field(focusNumber);

    wireLineCaptions();

    Check1 = makeCheckBox("Check1", "AutoClean", 120, 3420, 1092, 252);
    Check2 = makeCheckBox("Check2", "AutoRedraw", 120, 3840, 1212, 252);
    Command3 = makeButton("Command3", "&Clean", 1380, 3420, 672, 312);
    Command16 = makeButton("Command16", "&Print", 1380, 3840, 672, 312);
    Command6 = makeButton("Command6", "&Background", 120, 4260, 1152, 312);
    Command4 = makeButton("Command4", "&Save", 1380, 4260, 672, 312);
    Command7 = makeButton("Command7", "&Foreground", 120, 4680, 1152, 312);
    Command5 = makeButton("Command5", "&Load", 1380, 4680, 672, 312);
    Command1 = makeButton("Command1", "Draw", 120, 5100, 1932, 432);
    Command17 = makeButton("Command17", "AutoRun", 120, 5640, 1155, 315);
    Command2 = makeButton("Command2", "Cl&ose", 1380, 5640, 672, 312);

    setGeometry(twipsRect(0, topTwips, widthTwips, heightTwips));
    setTabOrder();
    setToolTips();
    applyColours();
    Command1->setDefault(true);
    for (QLineEdit *f : fields_)
        connect(f, &QLineEdit::returnPressed, Command1, &QPushButton::click);

    connect(Label3, &ClickableLabel::clicked, this, &ControlPanel::Label3_Click);
    connect(Label3, &ClickableLabel::doubleClicked, this, &ControlPanel::Label3_DblClick);
    connect(Label4, &ClickableLabel::clicked, this, &ControlPanel::Label4_Click);
    connect(Label4, &ClickableLabel::doubleClicked, this, &ControlPanel::Label4_DblClick);
}

QRect ControlPanel::twipsRect(int left, int top, int width, int height) const
{
    const auto px = [this](int twips) { return static_cast<int>(std::lround(twips / twipsPerPixel_)); };
    return QRect(px(left), px(top), px(width), px(height));
}

QLineEdit *ControlPanel::makeField(const fieldtable::Field &entry)
{
    auto *field = new QLineEdit(this);
    field->setObjectName(entry.name);
    field->setGeometry(twipsRect(entry.left, entry.top, entry.width, entry.height));
    field->setTextMargins(0, 0, 0, 0);
    // A parameter text may be as long as the user likes.
    field->setMaxLength(std::numeric_limits<int>::max());
    field->installEventFilter(this);
    return field;
}

template <typename Control>
Control *ControlPanel::makeControl(const char *name, const QString &caption, int left, int top, int width,
                                   int height)
{
    auto *control = new Control(caption, this);
    control->setObjectName(name);
    control->setGeometry(twipsRect(left, top, width, height));
    return control;
}

QPushButton *ControlPanel::makeButton(const char *name, const QString &caption, int left, int top, int width,
                                      int height)
{
    auto *button = makeControl<QPushButton>(name, caption, left, top, width, height);
    button->setAutoDefault(false);
    return button;
}

QCheckBox *ControlPanel::makeCheckBox(const char *name, const QString &caption, int left, int top, int width,
                                      int height)
{
    auto *box = makeControl<QCheckBox>(name, caption, left, top, width, height);
    box->setAutoFillBackground(true);
    box->setBackgroundRole(QPalette::Window);
    return box;
}

void ControlPanel::setTabOrder()
{
    QWidget *previous = nullptr;
    const auto next = [&previous](QWidget *widget) {
        if (previous)
            QWidget::setTabOrder(previous, widget);
        previous = widget;
    };
    // The table lists the X column, then the Y column.
    for (const fieldtable::Field &entry : fieldtable::fields)
        next(field(entry.index));
    for (QWidget *widget :
         std::initializer_list<QWidget *>{Check1, Check2, Command3, Command16, Command6, Command4, Command7,
                                          Command5, Command1, Command17, Command2})
        next(widget);
}

void ControlPanel::setToolTips()
{
    // Rich text, so that a long tip wraps.
    const auto paragraph = [](const QString &text) { return "<p>" + text + "</p>"; };
    const QString comma = "<br>A decimal comma counts as a point: 1,5 is 1.5.";
    const auto amp = [&](const char *axis, const char *empty) {
        return QString("<b>%1 Amp</b>: the radius of the second circle; the first has radius 1. "
                       "0 leaves the first circle alone, a negative value turns the second term round.<br>%2")
                   .arg(axis, empty) +
               comma;
    };
    const auto freq = [&](const char *axis, const char *empty) {
        return QString("<b>%1 Freq</b>: the second circle turns f times as fast as the first, in the "
                       "opposite sense (a negative f turns it the same way).<br>"
                       "<b>/v</b>: it turns 100/v times as fast (/4 is the same as 25).<br>%2")
                   .arg(axis, empty) +
               comma;
    };
    const auto power = [&](const char *axis, const char *which, const char *empty) {
        return QString("<b>%1 Pwr%2</b>: the power applied to the %3 circle's term; a negative power "
                       "folds the term onto its positive side, 0 makes it 1.<br>"
                       "<b>/v</b>: the reciprocal power 1/v (/2 is the square root).<br>%4")
                   .arg(axis, which, which[0] == '1' ? "first" : "second", empty) +
               comma;
    };
    const auto turn = [&](const char *axis, const char *row, const char *circle, const char *empty) {
        return QString("<b>%1 %2</b>: the phase of the %3 circle in hundredths of a turn (25 is a "
                       "quarter turn).<br>"
                       "<b>-v</b>: no phase, and v/100 is the circle's speed factor (-50 is half speed).<br>"
                       "<b>/-v</b>: the speed factor is 1/v; /v alone gives no phase.<br>%4")
                   .arg(axis, row, circle, empty) +
               comma;
    };
    Text1->setToolTip(amp("X", "Empty: 0. An empty Y Amp takes this value."));
    Text3->setToolTip(amp("Y", "Empty or 0: the X Amp."));
    Text2->setToolTip(freq("X", "Empty or 0: a random figure, with a random Amp and Freq for both axes."));
    Text4->setToolTip(freq("Y", "Empty or 0: the X Freq."));
    Text5->setToolTip(power("X", "1", "Empty: 1."));
    Text6->setToolTip(power("X", "2", "Empty: the X Pwr1."));
    Text13->setToolTip(power("Y", "1", "Empty: the X Pwr1."));
    Text14->setToolTip(power("Y", "2", "Empty: the X Pwr2."));
    Text7->setToolTip(turn("X", "Rot", "first", "Empty: no phase. An empty Y Rot takes this phase."));
    Text9->setToolTip(turn("Y", "Rot", "first", "Empty: the X Rot phase, unless X Rot begins with -."));
    Text8->setToolTip(turn("X", "Wst", "second", "Empty: no phase."));
    Text10->setToolTip(turn("Y", "Wst", "second", "Empty: no phase."));

    Check1->setToolTip(
        paragraph("Clean the canvas before every drawing. While it is on, the Clean button is off."));
    Check2->setToolTip(
        paragraph("Keep the drawing in the window's picture as well as on the screen. It must be on "
                  "while a figure is drawn for Save .bmp and Print to hold the drawing, and for it to "
                  "come back when the window is covered; Print works only while it is on."));
    Command3->setToolTip(
        paragraph("Erase the canvas to the background colour. Usable while AutoClean is off."));
    Command16->setToolTip(
        paragraph("Print the drawing without the panel. Only what was drawn while AutoRedraw was on "
                  "is printed."));
    Command6->setToolTip(paragraph("Choose the background colour; the canvas is cleared to it."));
    Command4->setToolTip(
        paragraph("Save the drawing as a .bmp picture (it holds what was drawn while AutoRedraw was "
                  "on), or the twelve fields and both colours as a .par parameter file."));
    Command7->setToolTip(paragraph("Choose the pen colour; the points that follow take it."));
    Command5->setToolTip(
        paragraph("Load a .par parameter file (the fields and colours; the canvas is cleared) or a "
                  ".bmp picture as the background. A file can also be dropped on the window."));
    Command1->setToolTip(paragraph("Draw the figure the fields describe. Enter in a field draws too."));
    Command17->setToolTip(
        paragraph("Draw random figures one after another; it empties both Amp and Freq fields. "
                  "During any drawing it reads Stop Draw and stops it, as Esc does."));
    Command2->setToolTip(
        paragraph("End the program, asking whether to save the settings. With ? in the X Amp "
                  "field it opens the help text instead (F1 does too); ! and col take settings "
                  "and colours from the fields."));
}

void ControlPanel::applyColours()
{
    QPalette frame = palette();
    frame.setColor(QPalette::Window, toQColor(frameBackColor_));
    setPalette(frame);
    for (QWidget *box : {static_cast<QWidget *>(Check1), static_cast<QWidget *>(Check2)}) {
        QPalette p = box->palette();
        p.setColor(QPalette::Window, toQColor(frameBackColor_));
        p.setColor(QPalette::WindowText, toQColor(frameForeColor_));
        box->setPalette(p);
    }
    for (ClickableLabel *label : {Label1, Label2, Label12, Label13, Label14, Label15, Label16}) {
        QPalette p = label->palette();
        p.setColor(QPalette::WindowText, toQColor(frameForeColor_));
        label->setPalette(p);
    }
    // The nudgers and the rotation captions keep their yellow.
    for (ClickableLabel *label : {Label3, Label4, Label5, Label6}) {
        QPalette p = label->palette();
        p.setColor(QPalette::WindowText, toQColor(colors::yellow));
        label->setPalette(p);
    }
}

void ControlPanel::setFrameBackColor(colors::Color color)
{
    frameBackColor_ = color;
    applyColours();
}

void ControlPanel::setFrameForeColor(colors::Color color)
{
    frameForeColor_ = color;
    applyColours();
}

QLineEdit *ControlPanel::field(int focusNumber) const
{
    const fieldtable::Field *entry = fieldtable::byFocusNumber(focusNumber);
    return entry ? fields_[entry->index] : nullptr;
}

QLineEdit *ControlPanel::field(ParameterTexts::Index index) const
{
    return fields_[index];
}

const fieldtable::Field *ControlPanel::entryOf(const QObject *object) const
{
    const auto it = std::find(fields_.begin(), fields_.end(), object);
    if (it == fields_.end())
        return nullptr;
    return &fieldtable::byIndex(static_cast<ParameterTexts::Index>(it - fields_.begin()));
}

ParameterTexts ControlPanel::texts() const
{
    ParameterTexts texts;
    for (int i = 0; i < ParameterTexts::Count; ++i)
        texts.text[i] = fields_[i]->text().toStdString();
    return texts;
}

void ControlPanel::setText(ParameterTexts::Index index, const QString &text)
{
    field(index)->setText(text);
}

bool ControlPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::DragEnter) {
        // Files dragged over a field are for the window to open, not text
        // for the field.
        const QList<QUrl> urls = static_cast<QDragEnterEvent *>(event)->mimeData()->urls();
        if (std::any_of(urls.begin(), urls.end(), [](const QUrl &url) { return url.isLocalFile(); })) {
            event->ignore();
            return true;
        }
    }
    if (const fieldtable::Field *entry = entryOf(watched)) {
        if (event->type() == QEvent::FocusIn)
            focusedField_ = static_cast<std::int16_t>(entry->focusNumber);
        else if (event->type() == QEvent::FocusOut)
            focusedField_ = 0;
    }
    return QFrame::eventFilter(watched, event);
}

// setText() rather than clear(): emptying also drops the field's undo history.
void ControlPanel::empty(const fieldtable::Line &line)
{
    for (const fieldtable::Field &entry : fieldtable::fields)
        if (fieldtable::onLine(entry, line))
            fields_[entry.index]->setText(QString());
}

void ControlPanel::emptyRow(int row)
{
    empty(static_cast<fieldtable::Row>(row));
}

void ControlPanel::emptyColumn(Column column)
{
    empty(column);
}

void ControlPanel::emptyAllFields()
{
    static constexpr auto order = fieldtable::inFocusNumberOrder();
    for (const fieldtable::Field &entry : order)
        fields_[entry.index]->setText(QString());
}

void ControlPanel::wireLineCaptions()
{
    for (const LineCaption &caption : lineCaptions) {
        ClickableLabel *label = this->*caption.label;
        // The access key focuses the field that follows the caption.
        label->setBuddy(field(fieldtable::firstOn(caption.line).index));
        connect(label, caption.signal, this, [this, line = caption.line] { empty(line); });
    }
}

void ControlPanel::nudgeFocusedField(double ampStep, double otherStep)
{
    QLineEdit *target = field(focusedField_);
    if (!target)
        return;
    const double step = nudge::isAmpField(focusedField_) ? ampStep : otherStep;
    if (const auto text = nudge::stepped(target->text().toStdString(), step))
        target->setText(QString::fromStdString(*text));
}

void ControlPanel::setDrawEnabled(bool enabled)
{
    if (enabled == Command1->isEnabled())
        return;
    if (!enabled) {
        drawHadFocus_ = window()->focusWidget() == Command1;
        Command1->setEnabled(false);
        focusAfterDraw_ = window()->focusWidget();
        return;
    }
    Command1->setEnabled(true);
    const QWidget *focus = window()->focusWidget();
    if (drawHadFocus_ && (!focus || focus == focusAfterDraw_))
        Command1->setFocus();
    drawHadFocus_ = false;
}
