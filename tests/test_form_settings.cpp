#include "form1.h"
#include "scripteddialogs.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

// The window's start-up from the settings file, its layout on resizing, the
// settings written back, and closing it by its close box.
namespace
{

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The 26 lines of a file, without their CR LF endings.
QList<QByteArray> fileLines(const QByteArray &bytes)
{
    QList<QByteArray> lines = bytes.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QByteArray &line : lines)
        line.chop(line.endsWith('\r') ? 1 : 0);
    return lines;
}

// The default file of a fresh start, with the window's geometry of the
// test's own machine in lines 16 to 19.
QList<QByteArray> defaultLines()
{
    QFile file(qEnvironmentVariable("VOLUTRA_TEST_DATA") + "/settings/defaults.txt");
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return fileLines(file.readAll());
}

// The default lines with the values of some lines replaced, as CR LF text.
QByteArray settingsText(const QMap<int, QByteArray> &values)
{
    QList<QByteArray> lines = defaultLines();
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

// The first pixel of `image` that is not `color`, or "none".
QString firstPixelNot(const QImage &image, QColor color)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) != color)
                return QStringLiteral("(%1, %2) is %3").arg(x).arg(y).arg(image.pixelColor(x, y).name());
    return QStringLiteral("none");
}

int nonBlackPixels(const QImage &image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += image.pixelColor(x, y) != Qt::black;
    return count;
}

// The pixel column at which the panel stands for a window of the given width.
int panelColumn(Form1 &form, double windowTwips, int frameRightOffset)
{
    const float left = static_cast<float>(windowTwips - 2300 - frameRightOffset);
    return static_cast<int>(std::lround(left / form.surface().twipsPerPixel()));
}

int pixels(Form1 &form, double twips)
{
    return static_cast<int>(std::lround(twips / form.surface().twipsPerPixel()));
}

// The canvas as the window shows it.
QImage shown(Form1 &form)
{
    return form.canvas->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

} // namespace

class TestFormSettings : public QObject
{
    Q_OBJECT

  private slots:
    void init();
    void startWithoutFile();
    void startWithFile();
    void autoCleanLine_data();
    void autoCleanLine();
    void autoRedrawLine_data();
    void autoRedrawLine();
    void penLines_data();
    void penLines();
    void windowSizeLines_data();
    void windowSizeLines();
    void unreadableFileKeepsDefaults();
    void saveThenStartRestoresState();
    void freshSaveWritesDefaultLines();
    void resizeMovesPanelNotDrawing();
    void frameRightOffsetAfterEveryResize();
    void closeBoxEndsWithoutPrompt();

  private:
    QTemporaryDir dir_;
    QString path_;
};

void TestFormSettings::init()
{
    QVERIFY(dir_.isValid());
    // Every test, and every row, starts without a file of its own.
    QString name = QStringLiteral("voludef-%1").arg(QTest::currentTestFunction());
    if (QTest::currentDataTag())
        name += QStringLiteral("-%1").arg(QString::fromLatin1(QTest::currentDataTag()).replace(' ', '_'));
    path_ = dir_.filePath(name + ".txt");
    QFile::remove(path_);
}

void TestFormSettings::startWithoutFile()
{
    ScriptedDialogs dialogs;
    Form1 form({path_, &dialogs});
    QVERIFY(form.isVisible());

    QCOMPARE(form.state().foregroundColor, 16777215);
    QCOMPARE(form.state().backgroundColor, 0);
    QCOMPARE(form.surface().backColor(), 0);
    const QImage canvas = shown(form);
    QCOMPARE(canvas.size(), form.size());
    QVERIFY2(firstPixelNot(canvas, Qt::black) == "none", qPrintable(firstPixelNot(canvas, Qt::black)));

    QCOMPARE(form.surface().drawWidth(), 1);
    QCOMPARE(form.surface().drawMode(), 13);
    QCOMPARE(form.state().stepSize, 100.0);
    QCOMPARE(form.state().turns, 1.0f);
    QCOMPARE(form.state().randomColors, std::int16_t(0));
    QCOMPARE(form.state().autoClean, 1.0);
    QCOMPARE(form.state().frameRightOffset, std::int16_t(0));
    QCOMPARE(form.state().mouseDelay, 200);
    QCOMPARE(form.state().autoRunDelay, 0);

    QVERIFY(form.findChild<QCheckBox *>("Check1")->isChecked());
    QVERIFY(!form.findChild<QPushButton *>("Command3")->isEnabled());
    QVERIFY(!form.findChild<QCheckBox *>("Check2")->isChecked());
    QVERIFY(!form.findChild<QPushButton *>("Command16")->isEnabled());
    QVERIFY(!form.surface().autoRedraw());
    QCOMPARE(form.windowTitle(), QStringLiteral("Volutra 1.00"));

    // The window opens with its initial client area and the panel at its right.
    QCOMPARE(form.width(), pixels(form, 8790));
    QCOMPARE(form.height(), pixels(form, 6990));
    QCOMPARE(form.Frame1->x(), panelColumn(form, form.windowWidth(), 0));
    QCOMPARE(form.Frame1->y(), pixels(form, 60));
    QVERIFY(form.Frame1->isVisible());

    QVERIFY(!QFile::exists(path_));
    QVERIFY(dialogs.calls().isEmpty());
    QVERIFY(dialogs.unexpectedCalls().isEmpty());
}

void TestFormSettings::startWithFile()
{
    QVERIFY(writeBytes(path_, settingsText(changedValues)));
    ScriptedDialogs dialogs;
    Form1 form({path_, &dialogs});

    QCOMPARE(form.state().foregroundColor, colors::rgb(18, 52, 86));
    QCOMPARE(form.state().backgroundColor, colors::rgb(200, 100, 7));
    const QImage canvas = shown(form);
    const QColor back(200, 100, 7);
    QVERIFY2(firstPixelNot(canvas, back) == "none", qPrintable(firstPixelNot(canvas, back)));
    QCOMPARE(form.state().randomColors, std::int16_t(1));

    // The panel's colours: grey background, red captions; the nudgers and
    // the rotation captions stay yellow.
    const QColor grey(128, 128, 128);
    QCOMPARE(form.Frame1->frameBackColor(), 8421504);
    QCOMPARE(form.Frame1->palette().color(QPalette::Window), grey);
    for (const char *box : {"Check1", "Check2"}) {
        QCOMPARE(form.findChild<QCheckBox *>(box)->palette().color(QPalette::Window), grey);
        QCOMPARE(windowTextOf(form.findChild<QCheckBox *>(box)), QColor(Qt::red));
    }
    QCOMPARE(form.Frame1->frameForeColor(), 255);
    for (const char *label : {"Label1", "Label2", "Label12", "Label13", "Label14", "Label15", "Label16"})
        QCOMPARE(windowTextOf(form.findChild<QWidget *>(label)), QColor(Qt::red));
    for (const char *label : {"Label3", "Label4", "Label5", "Label6"})
        QCOMPARE(windowTextOf(form.findChild<QWidget *>(label)), QColor(Qt::yellow));

    QVERIFY(!form.findChild<QCheckBox *>("Check1")->isChecked());
    QVERIFY(form.findChild<QPushButton *>("Command3")->isEnabled());
    QCOMPARE(form.state().autoClean, 0.0);
    QVERIFY(form.findChild<QCheckBox *>("Check2")->isChecked());
    QVERIFY(form.findChild<QPushButton *>("Command16")->isEnabled());
    QVERIFY(form.surface().autoRedraw());

    QCOMPARE(form.state().stepSize, 12.5);
    QCOMPARE(form.state().turns, 0.5f);
    QCOMPARE(form.surface().drawWidth(), 3);
    QCOMPARE(form.surface().drawMode(), 7);

    // The outer size in twips; on the offscreen platform there is no frame.
    QCOMPARE(form.frameGeometry().height(), pixels(form, 7500));
    QCOMPARE(form.frameGeometry().width(), pixels(form, 6000));
    QCOMPARE(form.windowHeight(), 7500.0);
    QCOMPARE(form.windowWidth(), 6000.0);
    QCOMPARE(form.frameGeometry().topLeft(), QPoint(pixels(form, 1500), pixels(form, 1200)));

    QCOMPARE(form.state().frameRightOffset, std::int16_t(500));
    QCOMPARE(form.Frame1->x(), panelColumn(form, 6000, 500));
    QCOMPARE(form.state().drawLeftOffset, 0);
    QCOMPARE(form.state().drawTopOffset, 120);
    QCOMPARE(form.state().drawPartX, 0.75f);
    QCOMPARE(form.state().drawPartY, 2.0f);
    QCOMPARE(form.state().mouseDelay, 0);
    QCOMPARE(form.state().autoRunDelay, 1500);

    QVERIFY(dialogs.calls().isEmpty());
    QVERIFY(dialogs.unexpectedCalls().isEmpty());
}

void TestFormSettings::autoCleanLine_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<bool>("checked");
    QTest::addColumn<double>("autoClean");

    QTest::newRow("0 unchecks") << QByteArray("0") << false << 0.0;
    QTest::newRow("1 keeps checked") << QByteArray("1") << true << 1.0;
    QTest::newRow("2 checked, holds 2") << QByteArray("2") << true << 2.0;
    QTest::newRow("comment only reads 0") << QByteArray("") << false << 0.0;
}

void TestFormSettings::autoCleanLine()
{
    QFETCH(QByteArray, value);
    QFETCH(bool, checked);
    QFETCH(double, autoClean);
    QVERIFY(writeBytes(path_, settingsText({{10, value}})));
    ScriptedDialogs dialogs;
    Form1 form({path_, &dialogs});

    QCOMPARE(form.findChild<QCheckBox *>("Check1")->isChecked(), checked);
    QCOMPARE(form.findChild<QPushButton *>("Command3")->isEnabled(), !checked);
    QCOMPARE(form.state().autoClean, autoClean);
    QVERIFY(dialogs.unexpectedCalls().isEmpty());
}

void TestFormSettings::autoRedrawLine_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<bool>("checked");
    QTest::addColumn<bool>("surfaceAutoRedraw");

    QTest::newRow("0") << QByteArray("0") << false << false;
    QTest::newRow("1") << QByteArray("1") << true << true;
    QTest::newRow("2") << QByteArray("2") << false << true;
    QTest::newRow("-1") << QByteArray("-1") << false << true;
}

void TestFormSettings::autoRedrawLine()
{
    QFETCH(QByteArray, value);
    QFETCH(bool, checked);
    QFETCH(bool, surfaceAutoRedraw);
    QVERIFY(writeBytes(path_, settingsText({{11, value}})));
    ScriptedDialogs dialogs;
    Form1 form({path_, &dialogs});

    QCOMPARE(form.findChild<QCheckBox *>("Check2")->isChecked(), checked);
    QCOMPARE(form.findChild<QPushButton *>("Command16")->isEnabled(), checked);
    QCOMPARE(form.surface().autoRedraw(), surfaceAutoRedraw);
    QVERIFY(dialogs.unexpectedCalls().isEmpty());
}

void TestFormSettings::penLines_data()
{
    QTest::addColumn<QByteArray>("penSize");
    QTest::addColumn<QByteArray>("drawMode");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("mode");

    QTest::newRow("taken") << QByteArray("4") << QByteArray("16") << 4 << 16;
    QTest::newRow("halves to even") << QByteArray("2.5") << QByteArray("6.5") << 2 << 6;
    QTest::newRow("out of range") << QByteArray("32767") << QByteArray("17") << 1 << 13;
    QTest::newRow("zero") << QByteArray("0") << QByteArray("0") << 1 << 13;
}

void TestFormSettings::penLines()
{
    QFETCH(QByteArray, penSize);
    QFETCH(QByteArray, drawMode);
    QFETCH(int, width);
    QFETCH(int, mode);
    QVERIFY(writeBytes(path_, settingsText({{14, penSize}, {15, drawMode}})));
    ScriptedDialogs dialogs;
    Form1 form({path_, &dialogs});

    QCOMPARE(form.surface().drawWidth(), width);
    QCOMPARE(form.surface().drawMode(), mode);
    QVERIFY(dialogs.unexpectedCalls().isEmpty());
}

void TestFormSettings::windowSizeLines_data()
{
    QTest::addColumn<QByteArray>("height");
    QTest::addColumn<QByteArray>("width");
    // Fractions of the screen's height and width; below zero a size in twips.
    QTest::addColumn<double>("heightPart");
    QTest::addColumn<double>("widthPart");
    QTest::addColumn<double>("heightTwips");
    QTest::addColumn<double>("widthTwips");

    QTest::newRow("twips") << QByteArray("7500") << QByteArray("6000") << -1.0 << -1.0 << 7500.0 << 6000.0;
    QTest::newRow("fractions") << QByteArray(".5") << QByteArray(".75") << 0.5 << 0.75 << 0.0 << 0.0;
    QTest::newRow("0 and 0") << QByteArray("0") << QByteArray("0") << 1.0 << -1.0 << 0.0 << 0.0;
    QTest::newRow("twips, then 0") << QByteArray("4500") << QByteArray("0") << -1.0 << -1.0 << 4500.0
                                   << 6900.0;
}

void TestFormSettings::windowSizeLines()
{
    QFETCH(QByteArray, height);
    QFETCH(QByteArray, width);
    QFETCH(double, heightPart);
    QFETCH(double, widthPart);
    QFETCH(double, heightTwips);
    QFETCH(double, widthTwips);
    QVERIFY(writeBytes(path_, settingsText({{16, height}, {17, "300"}, {18, width}, {19, "450"}})));
    ScriptedDialogs dialogs;
    Form1 form({path_, &dialogs});

    const ScreenSize screen = form.screenSize();
    const double expectedHeight = heightPart >= 0 ? screen.height * heightPart : heightTwips;
    // Width 0 is the height plus 2400.
    double expectedWidth = widthPart >= 0 ? screen.width * widthPart : widthTwips;
    if (width == "0")
        expectedWidth = expectedHeight + 2400;
    QCOMPARE(form.frameGeometry().height(), pixels(form, expectedHeight));
    QCOMPARE(form.frameGeometry().width(), pixels(form, expectedWidth));
    QCOMPARE(form.frameGeometry().topLeft(), QPoint(pixels(form, 450), pixels(form, 300)));
    QCOMPARE(form.Frame1->x(), panelColumn(form, form.windowWidth(), 0));
    QVERIFY(dialogs.unexpectedCalls().isEmpty());
}

void TestFormSettings::unreadableFileKeepsDefaults()
{
    // A folder where the file should be cannot be read: every default stands.
    QVERIFY(QDir().mkpath(path_));
    ScriptedDialogs dialogs;
    Form1 form({path_, &dialogs});

    QCOMPARE(form.state().foregroundColor, 16777215);
    QCOMPARE(form.surface().drawMode(), 13);
    QVERIFY(form.findChild<QCheckBox *>("Check1")->isChecked());
    QCOMPARE(form.width(), pixels(form, 8790));
    QVERIFY(dialogs.calls().isEmpty());
    QVERIFY(dialogs.unexpectedCalls().isEmpty());
}

void TestFormSettings::saveThenStartRestoresState()
{
    const QByteArray original = settingsText(changedValues);
    QVERIFY(writeBytes(path_, original));
    {
        ScriptedDialogs dialogs;
        Form1 form({path_, &dialogs});
        QVERIFY(!form.saveSettings());
        QVERIFY(dialogs.calls().isEmpty());
    }
    const QByteArray first = readBytes(path_);
    const QList<QByteArray> firstLines = fileLines(first);
    const QList<QByteArray> originalLines = fileLines(original);
    QCOMPARE(firstLines.size(), 26);
    for (int i = 0; i < 26; ++i)
        QCOMPARE(firstLines[i], originalLines[i]);

    ScriptedDialogs dialogs;
    Form1 form({path_, &dialogs});
    QCOMPARE(form.state().foregroundColor, colors::rgb(18, 52, 86));
    QCOMPARE(form.Frame1->x(), panelColumn(form, 6000, 500));
    QVERIFY(!form.saveSettings());
    QCOMPARE(readBytes(path_), first);

    // A fresh start's state comes back the same way.
    const QString freshPath = dir_.filePath("fresh.txt");
    QByteArray fresh;
    {
        ScriptedDialogs freshDialogs;
        Form1 freshForm({freshPath, &freshDialogs});
        QVERIFY(!freshForm.saveSettings());
        fresh = readBytes(freshPath);
    }
    Form1 again({freshPath, &dialogs});
    QVERIFY(!again.saveSettings());
    QCOMPARE(readBytes(freshPath), fresh);
    QVERIFY(dialogs.calls().isEmpty());
    QVERIFY(dialogs.unexpectedCalls().isEmpty());
}

void TestFormSettings::freshSaveWritesDefaultLines()
{
    ScriptedDialogs dialogs;
    Form1 form({path_, &dialogs});
    QVERIFY(!form.saveSettings());
    const QByteArray written = readBytes(path_);

    const double twips = form.surface().twipsPerPixel();
    const QRect outer = form.frameGeometry();
    const QByteArray expected = settingsText({{16, QByteArray::number(outer.height() * twips)},
                                              {17, QByteArray::number(outer.y() * twips)},
                                              {18, QByteArray::number(outer.width() * twips)},
                                              {19, QByteArray::number(outer.x() * twips)}});
    QVERIFY(written.startsWith("255 ' foreground red\r\n255 ' foreground green\r\n255 ' foreground blue\r\n"
                               "0 ' background red\r\n"));
    QCOMPARE(QString::fromLatin1(written), QString::fromLatin1(expected));
    QCOMPARE(written.count("\r\n"), 26);
    QCOMPARE(written.count('\n'), 26);
    QVERIFY(dialogs.calls().isEmpty());
    QVERIFY(dialogs.unexpectedCalls().isEmpty());
}

void TestFormSettings::resizeMovesPanelNotDrawing()
{
    ScriptedDialogs dialogs;
    Form1 form({path_, &dialogs});
    form.Frame1->Text1->setText("1500");
    form.Frame1->Text2->setText("3");
    form.Frame1->Text3->setText("1500");
    form.Frame1->Text4->setText("2");
    QTest::mouseClick(form.findChild<QPushButton *>("Command1"), Qt::LeftButton);
    QCOMPARE(form.state().drawingActive, std::int16_t(0));
    const QImage before = shown(form);
    QVERIFY(nonBlackPixels(before) > 100);

    const double twips = form.surface().twipsPerPixel();
    const int wider = pixels(form, 1000);
    const int oldPanel = form.Frame1->x();
    form.resize(form.width() + wider, form.height() + 10);
    QTRY_COMPARE(form.canvas->width(), before.width() + wider);
    QCOMPARE(form.windowWidth(), form.frameGeometry().width() * twips);
    QCOMPARE(form.Frame1->x(), panelColumn(form, form.windowWidth(), 0));
    QVERIFY(std::abs(form.Frame1->x() - oldPanel - wider) <= 1);
    QCOMPARE(form.Frame1->y(), pixels(form, 60));

    const QImage after = shown(form);
    QCOMPARE(after.size(), form.size());
    const QImage kept = after.copy(before.rect());
    QVERIFY2(kept == before, "the figure moved or changed when the window was resized");
    const QImage added = after.copy(before.width(), 0, wider, after.height());
    QVERIFY2(firstPixelNot(added, Qt::black) == "none", qPrintable(firstPixelNot(added, Qt::black)));

    // Narrowing moves the panel back; the drawing still stays.
    form.resize(before.width() - wider, before.height());
    QTRY_COMPARE(form.canvas->width(), before.width() - wider);
    QCOMPARE(form.Frame1->x(), panelColumn(form, form.windowWidth(), 0));
    QVERIFY(shown(form) == before.copy(form.rect()));
    QVERIFY(dialogs.unexpectedCalls().isEmpty());
}

void TestFormSettings::frameRightOffsetAfterEveryResize()
{
    QVERIFY(writeBytes(path_, settingsText({{20, "500"}})));
    ScriptedDialogs dialogs;
    Form1 form({path_, &dialogs});
    const QString plainPath = dir_.filePath("plain.txt");
    Form1 plain({plainPath, &dialogs});
    plain.resize(form.size());
    QTRY_COMPARE(plain.size(), form.size());

    QCOMPARE(form.Frame1->x(), panelColumn(form, form.windowWidth(), 500));
    QCOMPARE(plain.Frame1->x(), panelColumn(plain, plain.windowWidth(), 0));
    QVERIFY(std::abs((plain.Frame1->x() - form.Frame1->x()) - 500 / form.surface().twipsPerPixel()) < 1);

    for (const int width : {700, 400, 120}) {
        form.resize(width, form.height());
        QTRY_COMPARE(form.width(), width);
        QCOMPARE(form.Frame1->x(), panelColumn(form, form.windowWidth(), 500));
    }
    // A window narrower than the panel puts it partly outside.
    QVERIFY(form.Frame1->x() < 0);
    QVERIFY(dialogs.unexpectedCalls().isEmpty());
}

void TestFormSettings::closeBoxEndsWithoutPrompt()
{
    ScriptedDialogs dialogs;
    Form1 form({path_, &dialogs});
    QSignalSpy ending(&form, &Form1::programEnding);

    // Settings changed by "!" are discarded too.
    form.Frame1->Text1->setText("!");
    form.Frame1->Text2->setText("3");
    QTest::mouseClick(form.findChild<QPushButton *>("Command2"), Qt::LeftButton);
    QCOMPARE(form.state().turns, 3.0f);
    QVERIFY(!form.programEnded());

    QVERIFY(form.close());
    QVERIFY(form.programEnded());
    QCOMPARE(ending.count(), 1);
    QVERIFY(!form.isVisible());
    QVERIFY(dialogs.calls().isEmpty());
    QVERIFY(!QFile::exists(path_));
    QVERIFY(dialogs.unexpectedCalls().isEmpty());
}

QTEST_MAIN(TestFormSettings)
#include "test_form_settings.moc"
