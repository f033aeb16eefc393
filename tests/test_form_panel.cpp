// SPDX-License-Identifier: GPL-3.0-or-later
// Mouse events go through the window system layer, so that a double click
// arrives as the platform delivers it: press, release, double click, release.
#define QTEST_QPA_MOUSE_HANDLING

#include "formfixture.h"
#include "imagecheck.h"
#include "nudge.h"

#include <QtTest>

#include <optional>

using namespace formtest;

namespace {

const QColor yellow(255, 255, 0);
const QColor black(0, 0, 0);

bool isYellow(QRgb pixel)
{
    return qRed(pixel) > 160 && qGreen(pixel) > 160 && qBlue(pixel) < 90;
}

} // namespace

class TestFormPanel : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QCOMPARE(QGuiApplication::platformName(), QStringLiteral("offscreen")); }

    // Every test starts with a fresh, active window.
    void init() { QVERIFY(window_.start()); }
    void cleanup() { window_.end(); }

    void controls_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QRect>("twips");
        const auto row = [](const char *name, const char *kind, const char *caption, int left, int top,
                            int width, int height) {
            QTest::newRow(name) << QString(name) << QString(kind) << QString(caption)
                                << QRect(left, top, width, height);
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
        row("Label12", "hidden label", "", 120, 4920, 732, 252);
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
    // Place, caption, visibility and colours of every control on the panel.
    void controls()
    {
        QFETCH(QString, name);
        QFETCH(QString, kind);
        QFETCH(QString, caption);
        QFETCH(QRect, twips);
        Form1 &form = *window_;
        QCOMPARE(form.findChild<QFrame *>("Frame1"), form.Frame1);
        QWidget *control = form.findChild<QWidget *>(name);
        QVERIFY2(control, qPrintable(name));
        QCOMPARE(control->parentWidget(), form.Frame1);
        QCOMPARE(control->geometry(),
                 QRect(px(twips.x()), px(twips.y()), px(twips.width()), px(twips.height())));
        QCOMPARE(control->isVisible(), kind != "hidden label");
        const QPalette palette = control->palette();
        if (kind.endsWith("label")) {
            auto *label = qobject_cast<QLabel *>(control);
            QVERIFY(label);
            QCOMPARE(label->text(), caption);
            QCOMPARE(label->focusPolicy(), Qt::NoFocus);
            QCOMPARE(palette.color(QPalette::WindowText), yellow);
            QVERIFY(!label->autoFillBackground());
        } else if (kind == "field") {
            auto *edit = qobject_cast<QLineEdit *>(control);
            QVERIFY(edit);
            QCOMPARE(edit->text(), QString());
            QVERIFY(!edit->isReadOnly());
            const QPalette standard = QApplication::palette(edit);
            QCOMPARE(palette.color(QPalette::Base), standard.color(QPalette::Base));
            QCOMPARE(palette.color(QPalette::Text), standard.color(QPalette::Text));
        } else if (kind == "button") {
            auto *button = qobject_cast<QPushButton *>(control);
            QVERIFY(button);
            QCOMPARE(button->text(), caption);
        } else {
            auto *box = qobject_cast<QCheckBox *>(control);
            QVERIFY(box);
            QCOMPARE(box->text(), caption);
            QCOMPARE(palette.color(QPalette::Window), black);
            QCOMPARE(palette.color(QPalette::WindowText), yellow);
        }
    }

    void framePlacement()
    {
        Form1 &form = *window_;
        QFrame *frame = form.Frame1;
        QCOMPARE(frame->size(), QSize(px(2175), px(6075)));
        QCOMPARE(frame->y(), px(60));
        QCOMPARE(frame->frameShape(), QFrame::NoFrame);
        QCOMPARE(form.windowWidth(), form.frameGeometry().width() * 15.0);
        QCOMPARE(frame->x(), static_cast<int>(std::lround((form.windowWidth() - 2300) / 15)));
        // The panel stands over the canvas.
        QWidget *onTop = form.childAt(frame->pos() + QPoint(1, 1));
        QVERIFY(onTop == frame || frame->isAncestorOf(onTop));
    }

    // As shown: yellow captions on the black frame.
    void labelsShowYellowOnBlack()
    {
        Form1 &form = *window_;
        QFrame *frame = form.Frame1;
        QVERIFY(frame->autoFillBackground());
        QCOMPARE(frame->palette().color(QPalette::Window), black);
        const QImage shown = frame->grab().toImage();
        for (const char *name : {"Label1", "Label2", "Label3", "Label4", "Label5", "Label6", "Label13",
                                 "Label14", "Label15", "Label16"}) {
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

    void fieldsHoldAnyText()
    {
        Form1 &form = *window_;
        const QString typed = " -1,5/3 abc\t";
        const QString longText = QString("12345.6789").repeated(5000);
        for (const QString &name : fieldNames) {
            QLineEdit *edit = field(form, name);
            click(edit);
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

    void tabOrder()
    {
        Form1 &form = *window_;
        // Clean and Print take the focus only when enabled.
        clickCheckBox(form.Frame1->Check1);
        clickCheckBox(form.Frame1->Check2);
        QVERIFY(form.Frame1->Command3->isEnabled());
        QVERIFY(form.Frame1->Command16->isEnabled());
        click(form.Frame1->Text1);
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

    void accessKeys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("target");
        QTest::newRow("Alt+X") << int(Qt::Key_X) << "Text1";
        QTest::newRow("Alt+A") << int(Qt::Key_A) << "Text1";
        QTest::newRow("Alt+Q") << int(Qt::Key_Q) << "Text2";
        QTest::newRow("Alt+1") << int(Qt::Key_1) << "Text5";
        QTest::newRow("Alt+2") << int(Qt::Key_2) << "Text6";
        QTest::newRow("Alt+R") << int(Qt::Key_R) << "Text7";
        QTest::newRow("Alt+W") << int(Qt::Key_W) << "Text8";
        QTest::newRow("Alt+Y") << int(Qt::Key_Y) << "Text3";
    }
    void accessKeys()
    {
        QFETCH(int, key);
        QFETCH(QString, target);
        Form1 &form = *window_;
        fillFields(form);
        click(form.Frame1->Text10);
        QCOMPARE(focusName(), QStringLiteral("Text10"));

        QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key), Qt::AltModifier);

        QCOMPARE(focusName(), target);
        QCOMPARE(form.state().focusedField, std::int16_t(target.mid(4).toInt()));
        // The key only moves the focus: no text changes.
        QCOMPARE(fieldTexts(form), fieldNames);
    }

    void focusedFieldFollowsFocus()
    {
        Form1 &form = *window_;
        // The window starts with the focus in the first field.
        QCOMPARE(focusName(), QStringLiteral("Text1"));
        QCOMPARE(form.state().focusedField, std::int16_t(1));

        click(form.Frame1->Text13);
        QCOMPARE(form.state().focusedField, std::int16_t(13));
        QStringList names;
        QList<int> numbers;
        for (int i = 0; i < 4; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            names << focusName();
            numbers << form.state().focusedField;
        }
        QCOMPARE(names, (QStringList{"Text14", "Text9", "Text10", "Check1"}));
        QCOMPARE(numbers, (QList<int>{14, 9, 10, 0}));
        click(form.Frame1->Text4);
        QCOMPARE(form.state().focusedField, std::int16_t(4));

        // A short drawing.
        form.state().prefs.turns = 0.01f;
        form.Frame1->Text4->setText("3");
        click(form.Frame1->Command1);
        QCOMPARE(form.state().drawingActive, std::int16_t(0));
        QCOMPARE(form.state().focusedField, std::int16_t(0));
        QVERIFY(!focusName().startsWith("Text"));
    }

    // The panel finds a field by the number in its name, by parameter and
    // by member, and empties all fields in the order of those numbers.
    void fieldLookups()
    {
        Form1 &form = *window_;
        ControlPanel &panel = *form.Frame1;
        for (int number = 0; number <= 15; ++number) {
            const QString name = "Text" + QString::number(number);
            QCOMPARE(panel.field(number), fieldNames.contains(name) ? field(form, name) : nullptr);
        }
        const QStringList byParameter = {"Text1",  "Text2",  "Text3", "Text4", "Text5", "Text6",
                                         "Text13", "Text14", "Text7", "Text8", "Text9", "Text10"};
        for (int i = 0; i < ParameterTexts::Count; ++i)
            QCOMPARE(panel.field(static_cast<ParameterTexts::Index>(i)), field(form, byParameter[i]));

        const QList<QLineEdit *> members = {panel.Text1, panel.Text2,  panel.Text3,  panel.Text4,
                                            panel.Text5, panel.Text6,  panel.Text7,  panel.Text8,
                                            panel.Text9, panel.Text10, panel.Text13, panel.Text14};
        for (int i = 0; i < members.size(); ++i)
            QCOMPARE(members[i], field(form, fieldNames[i]));

        fillFields(form);
        QStringList emptied;
        for (const QString &name : fieldNames)
            connect(field(form, name), &QLineEdit::textChanged, this, [&emptied, name] { emptied << name; });
        panel.emptyAllFields();
        QCOMPARE(emptied, fieldNames);
    }

    void labelClicksEmptyFields_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<bool>("doubleClick");
        QTest::addColumn<QStringList>("emptied");
        const auto row = [](const char *name, const char *label, bool doubleClick,
                            const QStringList &emptied) {
            QTest::newRow(name) << QString(label) << doubleClick << emptied;
        };
        row("double X", "Label1", true, {"Text1", "Text2", "Text5", "Text6", "Text7", "Text8"});
        row("double Y", "Label2", true, {"Text3", "Text4", "Text13", "Text14", "Text9", "Text10"});
        row("double Amp", "Label13", true, {"Text1", "Text3"});
        row("double Freq", "Label14", true, {"Text2", "Text4"});
        row("double Pwr1", "Label15", true, {"Text5", "Text13"});
        row("double Pwr2", "Label16", true, {"Text6", "Text14"});
        row("double Wst", "Label6", true, {"Text8", "Text10"});
        // A double click is a click first: Rot's click empties its fields.
        row("double Rot", "Label5", true, {"Text7", "Text9"});
        row("click Rot", "Label5", false, {"Text7", "Text9"});
        const std::pair<const char *, const char *> others[] = {
            {"Wst", "Label6"},   {"X", "Label1"},     {"Y", "Label2"},    {"Amp", "Label13"},
            {"Freq", "Label14"}, {"Pwr1", "Label15"}, {"Pwr2", "Label16"}};
        for (const auto &[caption, label] : others)
            QTest::addRow("click %s", caption) << QString(label) << false << QStringList();
    }
    void labelClicksEmptyFields()
    {
        QFETCH(QString, label);
        QFETCH(bool, doubleClick);
        QFETCH(QStringList, emptied);
        Form1 &form = *window_;
        fillFields(form);
        QWidget *target = form.findChild<QLabel *>(label);
        QVERIFY(target);
        QStringList expected;
        for (const QString &name : fieldNames)
            expected << (emptied.contains(name) ? QString() : name);

        // Emptying again what is empty changes nothing.
        for (int i = 0; i < 2; ++i) {
            if (doubleClick)
                QTest::mouseDClick(target, Qt::LeftButton);
            else
                click(target);
            QCOMPARE(fieldTexts(form), expected);
            QCOMPARE(focusName(), QStringLiteral("Text1"));
            QCOMPARE(form.state().focusedField, std::int16_t(1));
        }
    }

    void labelClicksKeepFocus()
    {
        Form1 &form = *window_;
        click(form.Frame1->Text13);
        for (const char *name : {"Label13", "Label1", "Label2", "Label3", "Label4", "Label5", "Label6"}) {
            click(form.findChild<QLabel *>(name));
            QCOMPARE(focusName(), QStringLiteral("Text13"));
            QCOMPARE(form.state().focusedField, std::int16_t(13));
        }
        QTest::mouseDClick(form.Frame1->Label4, Qt::LeftButton);
        QCOMPARE(focusName(), QStringLiteral("Text13"));
        QCOMPARE(form.state().focusedField, std::int16_t(13));
    }

    // How "<" and ">" step each field; the arithmetic itself is stepped()'s.
    void nudgeByClicks_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("initial");
        // "<" and ">" are clicks, "<<" and ">>" double clicks.
        QTest::addColumn<QStringList>("actions");
        // The field's text after every change, in order.
        QTest::addColumn<QStringList>("texts");
        const auto row = [](const char *tag, const char *name, const char *initial,
                            const QStringList &actions, const QStringList &texts) {
            QTest::newRow(tag) << QString(name) << QString(initial) << actions << texts;
        };
        row("amp down five times", "Text1", "1", {"<", "<", "<", "<", "<"},
            {"0.9", "0.8", "0.7", "0.6", "0.5"});
        row("amp double down", "Text1", "1", {"<<"}, {"0.9", "0"});
        row("Y amp up", "Text3", "0.2", {">"}, {"0.3"});
        row("Y amp double below zero", "Text3", "0", {"<<"}, {"-0.1", "-1"});
        row("freq double up", "Text2", "3", {">>"}, {"4", "13"});
        row("freq Y", "Text4", "9", {">>", "<<"}, {"10", "19", "18", "9"});
        row("pwr1 X", "Text5", "-0.5", {">"}, {"0.5"});
        row("pwr2 X", "Text6", "2", {"<", "<", "<"}, {"1", "0", "-1"});
        row("rot X", "Text7", "25", {">"}, {"26"});
        row("wst X", "Text8", "-7", {"<"}, {"-8"});
        row("rot Y", "Text9", "0.5", {"<"}, {"-0.5"});
        row("empty wst", "Text10", "", {">"}, {"1"});
        row("pwr1 Y double down", "Text13", "5", {"<<"}, {"4", "-5"});
        row("pwr2 Y double up", "Text14", "5", {">>"}, {"6", "15"});
        row("beyond double", "Text1", "1e400", {"<", ">>"}, {});
        row("beyond double freq", "Text2", "-1e400", {">"}, {});
    }
    void nudgeByClicks()
    {
        QFETCH(QString, name);
        QFETCH(QString, initial);
        QFETCH(QStringList, actions);
        QFETCH(QStringList, texts);
        Form1 &form = *window_;
        fillFields(form);
        QLineEdit *target = field(form, name);
        QVERIFY(target);
        target->setText(initial);
        click(target);
        QCOMPARE(form.state().focusedField, std::int16_t(name.mid(4).toInt()));

        QStringList seen;
        connect(target, &QLineEdit::textChanged, this, [&seen](const QString &text) { seen << text; });
        for (const QString &action : actions) {
            QWidget *label = action.startsWith('<') ? form.Frame1->Label3 : form.Frame1->Label4;
            if (action.size() == 2)
                QTest::mouseDClick(label, Qt::LeftButton);
            else
                click(label);
        }

        QCOMPARE(seen, texts);
        QStringList expected = fieldNames;
        expected[fieldNames.indexOf(name)] = texts.isEmpty() ? initial : texts.last();
        QCOMPARE(fieldTexts(form), expected);
        QCOMPARE(focusName(), name);
        QCOMPARE(form.state().focusedField, std::int16_t(name.mid(4).toInt()));
    }

    void nudgeWithoutFocusedField()
    {
        Form1 &form = *window_;
        fillFields(form);
        click(form.Frame1->Text2);
        QCOMPARE(form.state().focusedField, std::int16_t(2));
        form.state().prefs.turns = 0.01f;
        click(form.Frame1->Command1);
        QCOMPARE(form.state().focusedField, std::int16_t(0));

        click(form.Frame1->Label3);
        click(form.Frame1->Label4);
        QTest::mouseDClick(form.Frame1->Label3, Qt::LeftButton);
        QTest::mouseDClick(form.Frame1->Label4, Qt::LeftButton);

        QCOMPARE(fieldTexts(form), fieldNames);
        QCOMPARE(form.state().focusedField, std::int16_t(0));
    }

    void stepped_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("step");
        // Null when the text stays as it is.
        QTest::addColumn<QString>("expected");
        QTest::newRow("tenth down") << "1" << -0.1 << "0.9";
        QTest::newRow("tenth up without long fraction") << "0.2" << 0.1 << "0.3";
        QTest::newRow("zero down") << "0" << -0.1 << "-0.1";
        QTest::newRow("nine tenths down") << "-0.1" << -0.9 << "-1";
        QTest::newRow("to zero") << "0.9" << -0.9 << "0";
        QTest::newRow("exact zero") << "0.1" << -0.1 << "0";
        QTest::newRow("leading zero") << "0.3" << -0.1 << "0.2";
        QTest::newRow("negative half") << "0.5" << -1.0 << "-0.5";
        QTest::newRow("empty amp") << "" << 0.1 << "0.1";
        QTest::newRow("empty other") << "" << 1.0 << "1";
        QTest::newRow("comma") << "1,5" << 1.0 << "2";
        QTest::newRow("slash") << "1/3" << 1.0 << "2";
        QTest::newRow("blank between") << "1 2" << 1.0 << "13";
        QTest::newRow("tab and blank") << "\t- 2" << 1.0 << "-1";
        QTest::newRow("letters") << "abc" << -1.0 << "-1";
        QTest::newRow("trailing letters") << "12abc" << 1.0 << "13";
        QTest::newRow("2.35 down") << "2.35" << -0.1 << "2.25";
        QTest::newRow("2.25 down") << "2.25" << -0.1 << "2.15";
        QTest::newRow("2.15 nine tenths down") << "2.15" << -0.9 << "1.25";
        QTest::newRow("nine up") << "4" << 9.0 << "13";
        QTest::newRow("fifteen digits") << "1.23456789012345678" << 1.0 << "2.23456789012346";
        QTest::newRow("exponent") << "2.5e3" << 1.0 << "2501";
        QTest::newRow("small exponent") << "1e-20" << 0.1 << "0.1";
        QTest::newRow("beyond double") << "1e400" << -0.1 << QString();
        QTest::newRow("beyond double negative") << "-1e400" << 1.0 << QString();
    }
    void stepped()
    {
        QFETCH(QString, text);
        QFETCH(double, step);
        QFETCH(QString, expected);
        const std::optional<std::string> result = nudge::stepped(text.toStdString(), step);
        QCOMPARE(result.has_value(), !expected.isNull());
        if (result)
            QCOMPARE(QString::fromStdString(*result), expected);
    }

private:
    WindowPerTest window_;
};

QTEST_MAIN(TestFormPanel)
#include "test_form_panel.moc"
