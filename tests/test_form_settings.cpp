// SPDX-License-Identifier: GPL-3.0-or-later
#include "datatable.h"
#include "formfixture.h"
#include "imagecheck.h"

#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>

#include <cmath>

// The window's start-up from the settings file, its layout on resizing, the
// settings written back, and closing it by its close box.

using namespace formtest;
using namespace testfiles;

namespace {

// The default file of a fresh start, with the window's geometry of the
// test's own machine in lines 16 to 19, with the values of some lines
// replaced, as CR LF text.
QByteArray settingsText(const QMap<int, QByteArray> &values)
{
    QList<QByteArray> lines = fileLines(testData("settings/defaults.txt"));
    for (auto it = values.begin(); it != values.end(); ++it) {
        QByteArray &line = lines[it.key() - 1];
        line = it.value() + line.mid(line.indexOf(" '"));
    }
    return lines.join("\r\n") + "\r\n";
}

// Every value of the file differs from its default, in the form the program
// writes, so that a save after starting from it gives the same bytes.
const QMap<int, QByteArray> changedValues = {
    {1, "18"},      {2, "52"},    {3, "86"},    {4, "200"},   {5, "100"},   {6, "7"},    {7, "1"},
    {8, "8421504"}, {9, "255"},   {10, "0"},    {11, "1"},    {12, "12.5"}, {13, ".5"},  {14, "3"},
    {15, "7"},      {16, "7500"}, {17, "1200"}, {18, "6000"}, {19, "1500"}, {20, "500"}, {21, "0"},
    {22, "120"},    {23, ".75"},  {24, "2"},    {25, "0"},    {26, "1500"},
};

QColor windowTextOf(const QWidget *widget)
{
    return widget->palette().color(QPalette::WindowText);
}

} // namespace

class TestFormSettings : public QObject {
    Q_OBJECT

private slots:
    void startWithDefaults_data()
    {
        // In the second row a folder stands where the file should be, which
        // cannot be read.
        oneColumnTable<bool>("folderAtPath", {{"no file", false}, {"folder in its place", true}});
    }
    void startWithDefaults()
    {
        QFETCH(bool, folderAtPath);
        FormFixture fixture{FormFixture::NotStarted()};
        if (folderAtPath)
            QVERIFY(QDir().mkpath(fixture.settingsPath));
        Form1 &form = fixture.start();
        QVERIFY(form.isVisible());

        const Readings defaults = {
            {"foregroundColor", 16777215},
            {"backgroundColor", 0},
            {"backColor", 0},
            {"drawWidth", 1},
            {"drawMode", 13},
            {"drawStyle", 0},
            {"stepSize", 100},
            {"turns", 1},
            {"randomColors", 0},
            {"autoClean", 1},
            {"Check1", 1},
            {"Command3", 0},
            {"autoRedraw", 0},
            {"Check2", 0},
            {"Command16", 0},
            {"frameRightOffset", 0},
            {"drawLeftOffset", 50},
            {"drawTopOffset", 50},
            {"drawPartX", 1},
            {"drawPartY", 1},
            {"mouseDelay", 200},
            {"autoRunDelay", 0},
        };
        VERIFY_READINGS(form, defaults);
        const QImage canvas = shown(form);
        QCOMPARE(canvas.size(), form.size());
        VERIFY_FILLED(canvas, Qt::black);
        QCOMPARE(form.windowTitle(), QStringLiteral("Volutra 1.00"));

        // The window opens with its initial client area and the panel at its right.
        QCOMPARE(form.width(), px(8790));
        QCOMPARE(form.height(), px(6990));
        QCOMPARE(form.Frame1->x(), panelColumn(form));
        QCOMPARE(form.Frame1->y(), px(60));
        QVERIFY(form.Frame1->isVisible());

        QCOMPARE(QFileInfo(fixture.settingsPath).isDir(), folderAtPath);
        QVERIFY(!QFileInfo(fixture.settingsPath).isFile());
        QCOMPARE(fixture.dialogs.calls(), QStringList());
    }

    void startWithFile()
    {
        FormFixture fixture(settingsText(changedValues));
        Form1 &form = *fixture;

        const Readings changed = {
            {"foregroundColor", colors::rgb(18, 52, 86)},
            {"backgroundColor", colors::rgb(200, 100, 7)},
            {"randomColors", 1},
            {"Check1", 0},
            {"Command3", 1},
            {"autoClean", 0},
            {"Check2", 1},
            {"Command16", 1},
            {"autoRedraw", 1},
            {"stepSize", 12.5},
            {"turns", 0.5},
            {"drawWidth", 3},
            {"drawMode", 7},
            {"frameRightOffset", 500},
            {"drawLeftOffset", 0},
            {"drawTopOffset", 120},
            {"drawPartX", 0.75},
            {"drawPartY", 2},
            {"mouseDelay", 0},
            {"autoRunDelay", 1500},
        };
        VERIFY_READINGS(form, changed);
        VERIFY_FILLED(shown(form), QColor(200, 100, 7));

        // The panel's colours: grey background, red captions; the nudgers and
        // the rotation captions stay yellow.
        const QColor grey(128, 128, 128);
        QCOMPARE(form.Frame1->frameBackColor(), 8421504);
        QCOMPARE(form.Frame1->palette().color(QPalette::Window), grey);
        for (const QCheckBox *box : {form.Frame1->Check1, form.Frame1->Check2}) {
            QCOMPARE(box->palette().color(QPalette::Window), grey);
            QCOMPARE(windowTextOf(box), QColor(Qt::red));
        }
        QCOMPARE(form.Frame1->frameForeColor(), 255);
        for (const char *label : {"Label1", "Label2", "Label12", "Label13", "Label14", "Label15", "Label16"})
            QCOMPARE(windowTextOf(form.findChild<QWidget *>(label)), QColor(Qt::red));
        for (const char *label : {"Label3", "Label4", "Label5", "Label6"})
            QCOMPARE(windowTextOf(form.findChild<QWidget *>(label)), QColor(Qt::yellow));

        // The outer size in twips; on the offscreen platform there is no frame.
        QCOMPARE(form.frameGeometry().height(), px(7500));
        QCOMPARE(form.frameGeometry().width(), px(6000));
        QCOMPARE(form.windowHeight(), 7500.0);
        QCOMPARE(form.windowWidth(), 6000.0);
        QCOMPARE(form.frameGeometry().topLeft(), QPoint(px(1500), px(1200)));
        QCOMPARE(form.Frame1->x(), panelColumn(form, 500));

        QCOMPARE(fixture.dialogs.calls(), QStringList());
    }

    void settingLines_data()
    {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<Readings>("expected");
        const auto row = [](const char *tag, const QMap<int, QByteArray> &lines, const Readings &expected) {
            QTest::newRow(tag) << settingsText(lines) << expected;
        };
        row("AutoClean 0 unchecks", {{10, "0"}}, {{"Check1", 0}, {"Command3", 1}, {"autoClean", 0}});
        row("AutoClean 1 keeps checked", {{10, "1"}}, {{"Check1", 1}, {"Command3", 0}, {"autoClean", 1}});
        row("AutoClean 2 checked, holds 2", {{10, "2"}}, {{"Check1", 1}, {"Command3", 0}, {"autoClean", 2}});
        row("AutoClean comment only reads 0", {{10, ""}}, {{"Check1", 0}, {"Command3", 1}, {"autoClean", 0}});
        row("AutoRedraw 0", {{11, "0"}}, {{"Check2", 0}, {"Command16", 0}, {"autoRedraw", 0}});
        row("AutoRedraw 1", {{11, "1"}}, {{"Check2", 1}, {"Command16", 1}, {"autoRedraw", 1}});
        row("AutoRedraw 2", {{11, "2"}}, {{"Check2", 0}, {"Command16", 0}, {"autoRedraw", 1}});
        row("AutoRedraw -1", {{11, "-1"}}, {{"Check2", 0}, {"Command16", 0}, {"autoRedraw", 1}});
        row("pen taken", {{14, "4"}, {15, "16"}}, {{"drawWidth", 4}, {"drawMode", 16}});
        row("pen halves to even", {{14, "2.5"}, {15, "6.5"}}, {{"drawWidth", 2}, {"drawMode", 6}});
        row("pen out of range", {{14, "32767"}, {15, "17"}}, {{"drawWidth", 1}, {"drawMode", 13}});
        row("pen zero", {{14, "0"}, {15, "0"}}, {{"drawWidth", 1}, {"drawMode", 13}});
    }
    void settingLines()
    {
        QFETCH(QByteArray, settings);
        QFETCH(Readings, expected);
        FormFixture fixture(settings);
        VERIFY_READINGS(*fixture, expected);
    }

    void windowSizeLines_data()
    {
        QTest::addColumn<QByteArray>("height");
        QTest::addColumn<QByteArray>("width");
        // Fractions of the screen's height and width; below zero a size in twips.
        QTest::addColumn<double>("heightPart");
        QTest::addColumn<double>("widthPart");
        QTest::addColumn<double>("heightTwips");
        QTest::addColumn<double>("widthTwips");

        QTest::newRow("twips") << QByteArray("7500") << QByteArray("6000") << -1.0 << -1.0 << 7500.0
                               << 6000.0;
        QTest::newRow("fractions") << QByteArray(".5") << QByteArray(".75") << 0.5 << 0.75 << 0.0 << 0.0;
        QTest::newRow("0 and 0") << QByteArray("0") << QByteArray("0") << 1.0 << -1.0 << 0.0 << 0.0;
        QTest::newRow("twips, then 0")
            << QByteArray("4500") << QByteArray("0") << -1.0 << -1.0 << 4500.0 << 6900.0;
    }
    void windowSizeLines()
    {
        QFETCH(QByteArray, height);
        QFETCH(QByteArray, width);
        QFETCH(double, heightPart);
        QFETCH(double, widthPart);
        QFETCH(double, heightTwips);
        QFETCH(double, widthTwips);
        FormFixture fixture(settingsText({{16, height}, {17, "300"}, {18, width}, {19, "450"}}));
        Form1 &form = *fixture;

        const ScreenSize screen = form.screenSize();
        const double expectedHeight = heightPart >= 0 ? screen.height * heightPart : heightTwips;
        // Width 0 is the height plus 2400.
        double expectedWidth = widthPart >= 0 ? screen.width * widthPart : widthTwips;
        if (width == "0")
            expectedWidth = expectedHeight + 2400;
        QCOMPARE(form.frameGeometry().height(), px(expectedHeight));
        QCOMPARE(form.frameGeometry().width(), px(expectedWidth));
        QCOMPARE(form.frameGeometry().topLeft(), QPoint(px(450), px(300)));
        QCOMPARE(form.Frame1->x(), panelColumn(form));
    }

    void saveThenStartRestoresState()
    {
        const QByteArray original = settingsText(changedValues);
        FormFixture fixture(original);
        QVERIFY(!fixture->saveSettings());
        const QByteArray first = readBytes(fixture.settingsPath);
        const QList<QByteArray> firstLines = fileLines(first);
        QCOMPARE(firstLines.size(), 26);
        QCOMPARE(firstLines, fileLines(original));

        Form1 &form = fixture.start();
        QCOMPARE(form.state().foregroundColor, colors::rgb(18, 52, 86));
        QCOMPARE(form.Frame1->x(), panelColumn(form, 500));
        QVERIFY(!form.saveSettings());
        QCOMPARE(readBytes(fixture.settingsPath), first);

        // A fresh start's state comes back the same way.
        const QString freshPath = fixture.dir.filePath("fresh.txt");
        QVERIFY(!fixture.start(freshPath).saveSettings());
        const QByteArray fresh = readBytes(freshPath);
        QVERIFY(!fixture.start(freshPath).saveSettings());
        QCOMPARE(readBytes(freshPath), fresh);
        QCOMPARE(fixture.dialogs.calls(), QStringList());
    }

    void freshSaveWritesDefaultLines()
    {
        FormFixture fixture;
        Form1 &form = *fixture;
        QVERIFY(!form.saveSettings());
        const QByteArray written = readBytes(fixture.settingsPath);

        const double twips = form.surface().twipsPerPixel();
        const QRect outer = form.frameGeometry();
        const QByteArray expected = settingsText({{16, QByteArray::number(outer.height() * twips)},
                                                  {17, QByteArray::number(outer.y() * twips)},
                                                  {18, QByteArray::number(outer.width() * twips)},
                                                  {19, QByteArray::number(outer.x() * twips)}});
        QVERIFY(
            written.startsWith("255 ' foreground red\r\n255 ' foreground green\r\n255 ' foreground blue\r\n"
                               "0 ' background red\r\n"));
        QCOMPARE(QString::fromLatin1(written), QString::fromLatin1(expected));
        QCOMPARE(written.count("\r\n"), 26);
        QCOMPARE(written.count('\n'), 26);
        QCOMPARE(fixture.dialogs.calls(), QStringList());
    }

    void resizeMovesPanelNotDrawing()
    {
        FormFixture fixture;
        Form1 &form = *fixture;
        drawFigure(form);
        QCOMPARE(form.state().drawingActive, std::int16_t(0));
        const QImage before = shown(form);
        QVERIFY(imagecheck::countNot(before, Qt::black) > 100);

        const int wider = px(1000);
        const int oldPanel = form.Frame1->x();
        form.resize(form.width() + wider, form.height() + 10);
        QTRY_COMPARE(form.canvas->width(), before.width() + wider);
        QCOMPARE(form.windowWidth(), form.frameGeometry().width() * form.surface().twipsPerPixel());
        QCOMPARE(form.Frame1->x(), panelColumn(form));
        QVERIFY(std::abs(form.Frame1->x() - oldPanel - wider) <= 1);
        QCOMPARE(form.Frame1->y(), px(60));

        const QImage after = shown(form);
        QCOMPARE(after.size(), form.size());
        // The figure neither moves nor changes; the new part is background.
        COMPARE_IMAGES(after.copy(before.rect()), before);
        VERIFY_AREA(after, QRect(before.width(), 0, wider, after.height()), Qt::black);

        // Narrowing moves the panel back; the drawing still stays.
        form.resize(before.width() - wider, before.height());
        QTRY_COMPARE(form.canvas->width(), before.width() - wider);
        QCOMPARE(form.Frame1->x(), panelColumn(form));
        COMPARE_IMAGES(shown(form), before.copy(form.rect()));
    }

    void frameRightOffsetAfterEveryResize()
    {
        FormFixture fixture(settingsText({{20, "500"}}));
        Form1 &form = *fixture;
        FormFixture plainFixture;
        Form1 &plain = *plainFixture;
        plain.resize(form.size());
        QTRY_COMPARE(plain.size(), form.size());

        QCOMPARE(form.Frame1->x(), panelColumn(form, 500));
        QCOMPARE(plain.Frame1->x(), panelColumn(plain));
        QVERIFY(std::abs((plain.Frame1->x() - form.Frame1->x()) - 500 / form.surface().twipsPerPixel()) < 1);

        for (const int width : {700, 400, 120}) {
            form.resize(width, form.height());
            QTRY_COMPARE(form.width(), width);
            QCOMPARE(form.Frame1->x(), panelColumn(form, 500));
        }
        // A window narrower than the panel puts it partly outside.
        QVERIFY(form.Frame1->x() < 0);
    }

    void closeBoxEndsWithoutPrompt()
    {
        FormFixture fixture;
        Form1 &form = *fixture;
        QSignalSpy ending(&form, &Form1::programEnding);

        // Settings changed by "!" are discarded too.
        setTexts(form, {{"Text1", "!"}, {"Text2", "3"}});
        click(form.Frame1->Command2);
        QCOMPARE(form.state().prefs.turns, 3.0f);
        QVERIFY(!form.programEnded());

        QVERIFY(form.close());
        QVERIFY(form.programEnded());
        QCOMPARE(ending.count(), 1);
        QVERIFY(!form.isVisible());
        QCOMPARE(fixture.dialogs.calls(), QStringList());
        QVERIFY(!QFile::exists(fixture.settingsPath));
    }
};

QTEST_MAIN(TestFormSettings)
#include "test_form_settings.moc"
