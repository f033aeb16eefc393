// Mouse events go through the window system layer, so that a double click
// arrives as the platform delivers it: press, release, double click, release.
#define QTEST_QPA_MOUSE_HANDLING

#include "form1.h"
#include "nudge.h"
#include "scripteddialogs.h"

#include <QApplication>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <memory>
#include <optional>

namespace
{

const QStringList allFields = {"Text1", "Text2", "Text3", "Text4",  "Text5",  "Text6",
                               "Text7", "Text8", "Text9", "Text10", "Text13", "Text14"};

// A window with its own settings file (none) and scripted dialogs.
struct Window {
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    std::unique_ptr<Form1> form;

    Window() { form = std::make_unique<Form1>(FormOptions{dir.filePath("voludef.txt"), &dialogs}); }
    Form1 &operator*() { return *form; }
};

int px(int twips)
{
    return static_cast<int>(std::lround(twips / 15.0));
}

QString focusName()
{
    const QWidget *focus = QApplication::focusWidget();
    return focus ? focus->objectName() : QString();
}

void clickCheckBox(QCheckBox *box)
{
    QStyleOptionButton option;
    option.initFrom(box);
    const QRect indicator = box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
    QTest::mouseClick(box, Qt::LeftButton, {}, indicator.center());
}

QLineEdit *field(Form1 &form, const QString &name)
{
    return form.findChild<QLineEdit *>(name);
}

// Gives every parameter field a text of its own: its name.
void fillFields(Form1 &form)
{
    for (const QString &name : allFields)
        field(form, name)->setText(name);
}

bool isYellow(QRgb pixel)
{
    return qRed(pixel) > 160 && qGreen(pixel) > 160 && qBlue(pixel) < 90;
}

} // namespace

class TestFormPanel : public QObject
{
    Q_OBJECT
  private slots:
    void initTestCase();
    void controlGeometry_data();
    void controlGeometry();
    void framePlacement();
    void hiddenLabel();
    void fieldsHoldAnyText();
    void labelColours();
    void focusAfterStartUp();
    void tabOrder();
    void accessKeys_data();
    void accessKeys();
    void focusedFieldFollowsFocus();
    void labelClicksEmptyFields_data();
    void labelClicksEmptyFields();
    void labelClicksKeepFocus();
    void nudgeByClicks_data();
    void nudgeByClicks();
    void nudgeWithoutFocusedField();
    void stepped_data();
    void stepped();

  private:
    void activate(Form1 &form);
};

void TestFormPanel::initTestCase()
{
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("offscreen"));
}

void TestFormPanel::activate(Form1 &form)
{
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
}

void TestFormPanel::controlGeometry_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    const auto row = [](const char *name, const char *kind, const char *caption, int left, int top, int width,
                        int height) {
        QTest::newRow(name) << QString(name) << QString(kind) << QString(caption) << left << top << width
                            << height;
    };
    row("Label1", "label", "&X", 120, 240, 732, 192);
    row("Label2", "label", "&Y", 1320, 240, 732, 192);
    row("Label3", "label", "<", 840, 180, 255, 255);
    row("Label4", "label", ">", 1080, 180, 255, 255);
    row("Label13", "label", "&Amp", 840, 480, 492, 252);
    row("Label14", "label", "Fre&q", 840, 960, 492, 252);
    row("Label15", "label", "Pwr&1", 840, 1440, 492, 252);
    row("Label16", "label", "Pwr&2", 840, 1920, 492, 252);
    row("Label5", "label", "&Rot", 840, 2400, 495, 255);
    row("Label6", "label", "&Wst", 840, 2880, 495, 315);
    row("Label12", "label", "", 120, 4920, 732, 252);
    row("Text1", "field", "", 120, 480, 732, 288);
    row("Text2", "field", "", 120, 960, 732, 288);
    row("Text5", "field", "", 120, 1440, 732, 288);
    row("Text6", "field", "", 120, 1920, 732, 288);
    row("Text7", "field", "", 120, 2400, 735, 285);
    row("Text8", "field", "", 120, 2880, 735, 285);
    row("Text3", "field", "", 1320, 480, 732, 288);
    row("Text4", "field", "", 1320, 960, 732, 288);
    row("Text13", "field", "", 1320, 1440, 732, 288);
    row("Text14", "field", "", 1320, 1920, 732, 288);
    row("Text9", "field", "", 1320, 2400, 735, 285);
    row("Text10", "field", "", 1320, 2880, 735, 285);
    row("Check1", "check", "AutoClean", 120, 3420, 1092, 252);
    row("Check2", "check", "AutoRedraw", 120, 3840, 1212, 252);
    row("Command3", "button", "&Clean", 1380, 3420, 672, 312);
    row("Command16", "button", "&Print", 1380, 3840, 672, 312);
    row("Command6", "button", "&Background", 120, 4260, 1152, 312);
    row("Command4", "button", "&Save", 1380, 4260, 672, 312);
    row("Command7", "button", "&Foreground", 120, 4680, 1152, 312);
    row("Command5", "button", "&Load", 1380, 4680, 672, 312);
    row("Command1", "button", "Draw", 120, 5100, 1932, 432);
    row("Command17", "button", "AutoRun", 120, 5640, 1155, 315);
    row("Command2", "button", "Cl&ose", 1380, 5640, 672, 312);
}

void TestFormPanel::controlGeometry()
{
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(QString, caption);
    QFETCH(int, left);
    QFETCH(int, top);
    QFETCH(int, width);
    QFETCH(int, height);
    Window window;
    Form1 &form = *window;
    QFrame *frame = form.findChild<QFrame *>("Frame1");
    QVERIFY(frame);
    QCOMPARE(frame, form.Frame1);

    QWidget *control = form.findChild<QWidget *>(name);
    QVERIFY2(control, qPrintable(name));
    QCOMPARE(control->parentWidget(), frame);
    QCOMPARE(control->geometry(), QRect(px(left), px(top), px(width), px(height)));
    if (kind == "label") {
        auto *label = qobject_cast<QLabel *>(control);
        QVERIFY(label);
        QCOMPARE(label->text(), caption);
        QCOMPARE(label->focusPolicy(), Qt::NoFocus);
    } else if (kind == "field") {
        auto *edit = qobject_cast<QLineEdit *>(control);
        QVERIFY(edit);
        QCOMPARE(edit->text(), QString());
        QVERIFY(!edit->isReadOnly());
    } else if (kind == "button") {
        auto *button = qobject_cast<QPushButton *>(control);
        QVERIFY(button);
        QCOMPARE(button->text(), caption);
    } else {
        auto *box = qobject_cast<QCheckBox *>(control);
        QVERIFY(box);
        QCOMPARE(box->text(), caption);
    }
}

void TestFormPanel::framePlacement()
{
    Window window;
    Form1 &form = *window;
    activate(form);
    QFrame *frame = form.Frame1;
    QCOMPARE(frame->size(), QSize(px(2175), px(6075)));
    QCOMPARE(frame->y(), px(60));
    QCOMPARE(frame->frameShape(), QFrame::NoFrame);
    QCOMPARE(form.windowWidth(), form.frameGeometry().width() * 15.0);
    QCOMPARE(frame->x(), static_cast<int>(std::lround((form.windowWidth() - 2300) / 15)));
    // The panel stands over the canvas.
    QWidget *onTop = form.childAt(frame->pos() + QPoint(1, 1));
    QVERIFY(onTop == frame || frame->isAncestorOf(onTop));

    // Widening the window by about 1000 twips moves the panel with it.
    const int before = frame->x();
    form.resize(form.width() + 67, form.height());
    QCOMPARE(frame->x(), before + 67);
    QCOMPARE(frame->x(), static_cast<int>(std::lround((form.windowWidth() - 2300) / 15)));

    form.state().frameRightOffset = 500;
    form.resize(form.width() - 10, form.height());
    QCOMPARE(frame->x(), static_cast<int>(std::lround((form.windowWidth() - 2300 - 500) / 15)));
    QCOMPARE(frame->y(), px(60));
    QCOMPARE(frame->size(), QSize(px(2175), px(6075)));
}

void TestFormPanel::hiddenLabel()
{
    Window window;
    Form1 &form = *window;
    QLabel *label = form.findChild<QLabel *>("Label12");
    QVERIFY(label);
    QVERIFY(!label->isVisible());
    for (const char *name : {"Label1", "Label2", "Label3", "Label4", "Label5", "Label6", "Label13", "Label14",
                             "Label15", "Label16"})
        QVERIFY2(form.findChild<QLabel *>(name)->isVisible(), name);
}

void TestFormPanel::fieldsHoldAnyText()
{
    Window window;
    Form1 &form = *window;
    activate(form);
    const QString typed = " -1,5/3 abc\t";
    const QString longText = QString("12345.6789").repeated(5000);
    for (const QString &name : allFields) {
        QLineEdit *edit = field(form, name);
        QTest::mouseClick(edit, Qt::LeftButton);
        QTest::keyClicks(edit, " -1,5/3 abc");
        QCOMPARE(edit->text(), QStringLiteral(" -1,5/3 abc"));
        edit->setText(typed);
        QCOMPARE(edit->text(), typed);
        // No length limit.
        edit->setText(longText);
        QCOMPARE(edit->text().size(), longText.size());
        QTest::keyClick(edit, Qt::Key_End);
        QTest::keyClicks(edit, "7");
        QCOMPARE(edit->text().size(), longText.size() + 1);
    }
}

void TestFormPanel::labelColours()
{
    Window window;
    Form1 &form = *window;
    activate(form);
    const QColor yellow(255, 255, 0);
    const QColor black(0, 0, 0);
    QFrame *frame = form.Frame1;
    QVERIFY(frame->autoFillBackground());
    QCOMPARE(frame->palette().color(QPalette::Window), black);
    for (const char *name : {"Label1", "Label2", "Label3", "Label4", "Label5", "Label6", "Label12", "Label13",
                             "Label14", "Label15", "Label16"}) {
        QLabel *label = form.findChild<QLabel *>(name);
        QCOMPARE(label->palette().color(QPalette::WindowText), yellow);
        QVERIFY2(!label->autoFillBackground(), name);
    }
    for (QCheckBox *box : {form.Frame1->Check1, form.Frame1->Check2}) {
        QCOMPARE(box->palette().color(QPalette::Window), black);
        QCOMPARE(box->palette().color(QPalette::WindowText), yellow);
    }
    const QPalette standard = QApplication::palette(form.Frame1->Text1);
    for (const QString &name : allFields) {
        QCOMPARE(field(form, name)->palette().color(QPalette::Base), standard.color(QPalette::Base));
        QCOMPARE(field(form, name)->palette().color(QPalette::Text), standard.color(QPalette::Text));
    }

    // As shown: yellow captions on the black frame.
    const QImage shown = frame->grab().toImage();
    for (const char *name : {"Label1", "Label2", "Label3", "Label4", "Label5", "Label6", "Label13", "Label14",
                             "Label15", "Label16"}) {
        const QRect area = form.findChild<QLabel *>(name)->geometry();
        int yellowPixels = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                yellowPixels += isYellow(shown.pixel(x, y));
        QVERIFY2(yellowPixels > 3, name);
    }
    // The frame's background between the controls.
    QCOMPARE(QColor(shown.pixel(px(2150), px(100))), black);
    QCOMPARE(QColor(shown.pixel(px(1320) + px(732) - 2, px(240) + 2)), black);
}

void TestFormPanel::focusAfterStartUp()
{
    Window window;
    Form1 &form = *window;
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QCOMPARE(focusName(), QStringLiteral("Text1"));
    QCOMPARE(form.state().focusedField, std::int16_t(1));
}

void TestFormPanel::tabOrder()
{
    Window window;
    Form1 &form = *window;
    activate(form);
    // Clean and Print take the focus only when enabled.
    clickCheckBox(form.Frame1->Check1);
    clickCheckBox(form.Frame1->Check2);
    QVERIFY(form.Frame1->Command3->isEnabled());
    QVERIFY(form.Frame1->Command16->isEnabled());
    QTest::mouseClick(form.Frame1->Text1, Qt::LeftButton);
    QCOMPARE(focusName(), QStringLiteral("Text1"));

    const QStringList expected = {"Text2",    "Text5",    "Text6",     "Text7",    "Text8",    "Text3",
                                  "Text4",    "Text13",   "Text14",    "Text9",    "Text10",   "Check1",
                                  "Check2",   "Command3", "Command16", "Command6", "Command4", "Command7",
                                  "Command5", "Command1", "Command17", "Command2", "Text1"};
    QStringList visited;
    for (int i = 0; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << focusName();
    }
    QCOMPARE(visited, expected);

    // Back-tab goes the other way.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(focusName(), QStringLiteral("Command2"));
}

void TestFormPanel::accessKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("focusNumber");
    QTest::newRow("Alt+X") << int(Qt::Key_X) << "Text1" << 1;
    QTest::newRow("Alt+A") << int(Qt::Key_A) << "Text1" << 1;
    QTest::newRow("Alt+Q") << int(Qt::Key_Q) << "Text2" << 2;
    QTest::newRow("Alt+1") << int(Qt::Key_1) << "Text5" << 5;
    QTest::newRow("Alt+2") << int(Qt::Key_2) << "Text6" << 6;
    QTest::newRow("Alt+R") << int(Qt::Key_R) << "Text7" << 7;
    QTest::newRow("Alt+W") << int(Qt::Key_W) << "Text8" << 8;
    QTest::newRow("Alt+Y") << int(Qt::Key_Y) << "Text3" << 3;
}

void TestFormPanel::accessKeys()
{
    QFETCH(int, key);
    QFETCH(QString, target);
    QFETCH(int, focusNumber);
    Window window;
    Form1 &form = *window;
    activate(form);
    fillFields(form);
    QTest::mouseClick(form.Frame1->Text10, Qt::LeftButton);
    QCOMPARE(focusName(), QStringLiteral("Text10"));

    QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key), Qt::AltModifier);

    QCOMPARE(focusName(), target);
    QCOMPARE(form.state().focusedField, std::int16_t(focusNumber));
    // The key only moves the focus: no text changes.
    for (const QString &name : allFields)
        QCOMPARE(field(form, name)->text(), name);
}

void TestFormPanel::focusedFieldFollowsFocus()
{
    Window window;
    Form1 &form = *window;
    activate(form);
    QCOMPARE(form.state().focusedField, std::int16_t(1));

    QTest::mouseClick(form.Frame1->Text13, Qt::LeftButton);
    QCOMPARE(form.state().focusedField, std::int16_t(13));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(focusName(), QStringLiteral("Text14"));
    QCOMPARE(form.state().focusedField, std::int16_t(14));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(form.state().focusedField, std::int16_t(9));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(form.state().focusedField, std::int16_t(10));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(focusName(), QStringLiteral("Check1"));
    QCOMPARE(form.state().focusedField, std::int16_t(0));
    QTest::mouseClick(form.Frame1->Text4, Qt::LeftButton);
    QCOMPARE(form.state().focusedField, std::int16_t(4));

    // A short drawing.
    form.state().turns = 0.01f;
    form.Frame1->Text4->setText("3");
    QTest::mouseClick(form.Frame1->Command1, Qt::LeftButton);
    QCOMPARE(form.state().drawingActive, std::int16_t(0));
    QCOMPARE(form.state().focusedField, std::int16_t(0));
    QVERIFY(!focusName().startsWith("Text"));
}

void TestFormPanel::labelClicksEmptyFields_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<bool>("doubleClick");
    QTest::addColumn<QStringList>("emptied");
    const QStringList none;
    QTest::newRow("double X") << "Label1" << true
                              << QStringList{"Text1", "Text2", "Text5", "Text6", "Text7", "Text8"};
    QTest::newRow("double Y") << "Label2" << true
                              << QStringList{"Text3", "Text4", "Text13", "Text14", "Text9", "Text10"};
    QTest::newRow("double Amp") << "Label13" << true << QStringList{"Text1", "Text3"};
    QTest::newRow("double Freq") << "Label14" << true << QStringList{"Text2", "Text4"};
    QTest::newRow("double Pwr1") << "Label15" << true << QStringList{"Text5", "Text13"};
    QTest::newRow("double Pwr2") << "Label16" << true << QStringList{"Text6", "Text14"};
    QTest::newRow("double Wst") << "Label6" << true << QStringList{"Text8", "Text10"};
    // A double click is a click first: Rot's click empties its fields.
    QTest::newRow("double Rot") << "Label5" << true << QStringList{"Text7", "Text9"};
    QTest::newRow("click Rot") << "Label5" << false << QStringList{"Text7", "Text9"};
    QTest::newRow("click Wst") << "Label6" << false << none;
    QTest::newRow("click X") << "Label1" << false << none;
    QTest::newRow("click Y") << "Label2" << false << none;
    QTest::newRow("click Amp") << "Label13" << false << none;
    QTest::newRow("click Freq") << "Label14" << false << none;
    QTest::newRow("click Pwr1") << "Label15" << false << none;
    QTest::newRow("click Pwr2") << "Label16" << false << none;
}

void TestFormPanel::labelClicksEmptyFields()
{
    QFETCH(QString, label);
    QFETCH(bool, doubleClick);
    QFETCH(QStringList, emptied);
    Window window;
    Form1 &form = *window;
    activate(form);
    fillFields(form);
    QWidget *target = form.findChild<QLabel *>(label);
    QVERIFY(target);

    if (doubleClick)
        QTest::mouseDClick(target, Qt::LeftButton);
    else
        QTest::mouseClick(target, Qt::LeftButton);

    for (const QString &name : allFields)
        QCOMPARE(field(form, name)->text(), emptied.contains(name) ? QString() : name);
    QCOMPARE(focusName(), QStringLiteral("Text1"));
    QCOMPARE(form.state().focusedField, std::int16_t(1));

    // Emptying again what is empty changes nothing.
    if (doubleClick)
        QTest::mouseDClick(target, Qt::LeftButton);
    else
        QTest::mouseClick(target, Qt::LeftButton);
    for (const QString &name : allFields)
        QCOMPARE(field(form, name)->text(), emptied.contains(name) ? QString() : name);
}

void TestFormPanel::labelClicksKeepFocus()
{
    Window window;
    Form1 &form = *window;
    activate(form);
    QTest::mouseClick(form.Frame1->Text13, Qt::LeftButton);
    for (const char *name : {"Label13", "Label1", "Label2", "Label3", "Label4", "Label5", "Label6"}) {
        QTest::mouseClick(form.findChild<QLabel *>(name), Qt::LeftButton);
        QCOMPARE(focusName(), QStringLiteral("Text13"));
        QCOMPARE(form.state().focusedField, std::int16_t(13));
    }
    QTest::mouseDClick(form.Frame1->Label4, Qt::LeftButton);
    QCOMPARE(focusName(), QStringLiteral("Text13"));
    QCOMPARE(form.state().focusedField, std::int16_t(13));
}

void TestFormPanel::nudgeByClicks_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("initial");
    // "<" and ">" are clicks, "<<" and ">>" double clicks.
    QTest::addColumn<QStringList>("actions");
    // The field's text after every change, in order.
    QTest::addColumn<QStringList>("texts");
    using L = QStringList;
    QTest::newRow("amp down five times")
        << "Text1"
        << "1" << L{"<", "<", "<", "<", "<"} << L{"0.9", "0.8", "0.7", "0.6", "0.5"};
    QTest::newRow("amp double down") << "Text1"
                                     << "1" << L{"<<"} << L{"0.9", "0"};
    QTest::newRow("Y amp up") << "Text3"
                              << "0.2" << L{">"} << L{"0.3"};
    QTest::newRow("Y amp below zero") << "Text3"
                                      << "0" << L{"<"} << L{"-0.1"};
    QTest::newRow("Y amp double below zero") << "Text3"
                                             << "0" << L{"<<"} << L{"-0.1", "-1"};
    QTest::newRow("empty amp") << "Text1"
                               << "" << L{">"} << L{"0.1"};
    QTest::newRow("empty Y amp") << "Text3"
                                 << "" << L{">"} << L{"0.1"};
    QTest::newRow("empty freq") << "Text2"
                                << "" << L{">"} << L{"1"};
    QTest::newRow("empty wst") << "Text10"
                               << "" << L{">"} << L{"1"};
    QTest::newRow("freq up") << "Text2"
                             << "3" << L{">"} << L{"4"};
    QTest::newRow("freq double up") << "Text2"
                                    << "3" << L{">>"} << L{"4", "13"};
    QTest::newRow("decimal comma") << "Text2"
                                   << "1,5" << L{">"} << L{"2"};
    QTest::newRow("fraction") << "Text4"
                              << "1/3" << L{">"} << L{"2"};
    QTest::newRow("blank inside") << "Text2"
                                  << "1 2" << L{">"} << L{"13"};
    QTest::newRow("no number") << "Text2"
                               << "abc" << L{"<"} << L{"-1"};
    QTest::newRow("amp tenths") << "Text1"
                                << "2.35" << L{"<", "<<"} << L{"2.25", "2.15", "1.25"};
    QTest::newRow("pwr1 Y double down") << "Text13"
                                        << "5" << L{"<<"} << L{"4", "-5"};
    QTest::newRow("pwr2 Y double up") << "Text14"
                                      << "5" << L{">>"} << L{"6", "15"};
    QTest::newRow("pwr1 X") << "Text5"
                            << "-0.5" << L{">"} << L{"0.5"};
    QTest::newRow("pwr2 X") << "Text6"
                            << "2" << L{"<", "<", "<"} << L{"1", "0", "-1"};
    QTest::newRow("rot X") << "Text7"
                           << "25" << L{">"} << L{"26"};
    QTest::newRow("wst X") << "Text8"
                           << "-7" << L{"<"} << L{"-8"};
    QTest::newRow("rot Y") << "Text9"
                           << "0.5" << L{"<"} << L{"-0.5"};
    QTest::newRow("freq Y") << "Text4"
                            << "9" << L{">>", "<<"} << L{"10", "19", "18", "9"};
    QTest::newRow("15 digits") << "Text2"
                               << "1.23456789012345678" << L{">"} << L{"2.23456789012346"};
    QTest::newRow("beyond double") << "Text1"
                                   << "1e400" << L{"<", ">>"} << L{};
    QTest::newRow("beyond double freq") << "Text2"
                                        << "-1e400" << L{">"} << L{};
}

void TestFormPanel::nudgeByClicks()
{
    QFETCH(QString, name);
    QFETCH(QString, initial);
    QFETCH(QStringList, actions);
    QFETCH(QStringList, texts);
    Window window;
    Form1 &form = *window;
    activate(form);
    fillFields(form);
    QLineEdit *target = field(form, name);
    QVERIFY(target);
    target->setText(initial);
    QTest::mouseClick(target, Qt::LeftButton);
    QCOMPARE(form.state().focusedField, std::int16_t(name.mid(4).toInt()));

    QStringList seen;
    connect(target, &QLineEdit::textChanged, this, [&seen](const QString &text) { seen << text; });
    for (const QString &action : actions) {
        QWidget *label = form.findChild<QLabel *>(action.startsWith('<') ? "Label3" : "Label4");
        if (action.size() == 2)
            QTest::mouseDClick(label, Qt::LeftButton);
        else
            QTest::mouseClick(label, Qt::LeftButton);
    }

    QCOMPARE(seen, texts);
    QCOMPARE(target->text(), texts.isEmpty() ? initial : texts.last());
    QCOMPARE(focusName(), name);
    QCOMPARE(form.state().focusedField, std::int16_t(name.mid(4).toInt()));
    for (const QString &other : allFields)
        if (other != name)
            QCOMPARE(field(form, other)->text(), other);
}

void TestFormPanel::nudgeWithoutFocusedField()
{
    Window window;
    Form1 &form = *window;
    activate(form);
    for (const QString &name : allFields)
        field(form, name)->setText(QString::number(name.mid(4).toInt() + 1));
    QTest::mouseClick(form.Frame1->Text2, Qt::LeftButton);
    QCOMPARE(form.state().focusedField, std::int16_t(2));
    form.state().turns = 0.01f;
    QTest::mouseClick(form.Frame1->Command1, Qt::LeftButton);
    QCOMPARE(form.state().focusedField, std::int16_t(0));

    QTest::mouseClick(form.Frame1->Label3, Qt::LeftButton);
    QTest::mouseClick(form.Frame1->Label4, Qt::LeftButton);
    QTest::mouseDClick(form.Frame1->Label3, Qt::LeftButton);
    QTest::mouseDClick(form.Frame1->Label4, Qt::LeftButton);

    for (const QString &name : allFields)
        QCOMPARE(field(form, name)->text(), QString::number(name.mid(4).toInt() + 1));
    QCOMPARE(form.state().focusedField, std::int16_t(0));
}

void TestFormPanel::stepped_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("step");
    QTest::addColumn<bool>("changes");
    QTest::addColumn<QString>("expected");
    QTest::newRow("tenth down") << "1" << -0.1 << true << "0.9";
    QTest::newRow("tenth up without long fraction") << "0.2" << 0.1 << true << "0.3";
    QTest::newRow("zero down") << "0" << -0.1 << true << "-0.1";
    QTest::newRow("nine tenths down") << "-0.1" << -0.9 << true << "-1";
    QTest::newRow("to zero") << "0.9" << -0.9 << true << "0";
    QTest::newRow("exact zero") << "0.1" << -0.1 << true << "0";
    QTest::newRow("leading zero") << "0.3" << -0.1 << true << "0.2";
    QTest::newRow("negative half") << "0.5" << -1.0 << true << "-0.5";
    QTest::newRow("empty amp") << "" << 0.1 << true << "0.1";
    QTest::newRow("empty other") << "" << 1.0 << true << "1";
    QTest::newRow("comma") << "1,5" << 1.0 << true << "2";
    QTest::newRow("slash") << "1/3" << 1.0 << true << "2";
    QTest::newRow("blank between") << "1 2" << 1.0 << true << "13";
    QTest::newRow("tab and blank") << "\t- 2" << 1.0 << true << "-1";
    QTest::newRow("letters") << "abc" << -1.0 << true << "-1";
    QTest::newRow("trailing letters") << "12abc" << 1.0 << true << "13";
    QTest::newRow("2.35 down") << "2.35" << -0.1 << true << "2.25";
    QTest::newRow("2.25 down") << "2.25" << -0.1 << true << "2.15";
    QTest::newRow("2.15 nine tenths down") << "2.15" << -0.9 << true << "1.25";
    QTest::newRow("nine up") << "4" << 9.0 << true << "13";
    QTest::newRow("fifteen digits") << "1.23456789012345678" << 1.0 << true << "2.23456789012346";
    QTest::newRow("exponent") << "2.5e3" << 1.0 << true << "2501";
    QTest::newRow("small exponent") << "1e-20" << 0.1 << true << "0.1";
    QTest::newRow("beyond double") << "1e400" << -0.1 << false << "";
    QTest::newRow("beyond double negative") << "-1e400" << 1.0 << false << "";
}

void TestFormPanel::stepped()
{
    QFETCH(QString, text);
    QFETCH(double, step);
    QFETCH(bool, changes);
    QFETCH(QString, expected);
    const std::optional<std::string> result = nudge::stepped(text.toStdString(), step);
    QCOMPARE(result.has_value(), changes);
    if (changes)
        QCOMPARE(QString::fromStdString(*result), expected);
}

QTEST_MAIN(TestFormPanel)
#include "test_form_panel.moc"
