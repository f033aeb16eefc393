#include "form1.h"
#include "scripteddialogs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <functional>

// The "Close" button: its hidden commands "?", "!" and "col", and the save
// prompt with its three answers.
namespace
{

const char *const fieldNames[] = {"Text1", "Text2", "Text3", "Text4",  "Text5",  "Text6",
                                  "Text7", "Text8", "Text9", "Text10", "Text13", "Text14"};

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

QList<QByteArray> fileLines(const QByteArray &bytes)
{
    QList<QByteArray> lines = bytes.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QByteArray &line : lines)
        line.chop(line.endsWith('\r') ? 1 : 0);
    return lines;
}

QByteArray goldenSettings(const QString &name)
{
    return readBytes(qEnvironmentVariable("VOLUTRA_TEST_DATA") + "/settings/" + name);
}

QLineEdit *field(Form1 &form, const char *name)
{
    return form.findChild<QLineEdit *>(name);
}

void pressClose(Form1 &form)
{
    QTest::mouseClick(form.findChild<QPushButton *>("Command2"), Qt::LeftButton);
}

// The first pixel of the shown canvas that is not `color`, or "none".
QString firstPixelNot(Form1 &form, QColor color)
{
    const QImage image = form.canvas->grab().toImage();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) != color)
                return QStringLiteral("(%1, %2) is %3").arg(x).arg(y).arg(image.pixelColor(x, y).name());
    return QStringLiteral("none");
}

int panelColumn(Form1 &form, int frameRightOffset)
{
    const float left = static_cast<float>(form.windowWidth() - 2300 - frameRightOffset);
    return static_cast<int>(std::lround(left / form.surface().twipsPerPixel()));
}

// A value of the window that "!" may set.
using Reading = std::function<double(Form1 &)>;

const QMap<QString, Reading> &readings()
{
    static const QMap<QString, Reading> map = {
        {"turns", [](Form1 &f) { return double(f.state().turns); }},
        {"drawWidth", [](Form1 &f) { return double(f.surface().drawWidth()); }},
        {"drawMode", [](Form1 &f) { return double(f.surface().drawMode()); }},
        {"stepSize", [](Form1 &f) { return f.state().stepSize; }},
        {"frameRightOffset", [](Form1 &f) { return double(f.state().frameRightOffset); }},
        {"mouseDelay", [](Form1 &f) { return double(f.state().mouseDelay); }},
        {"autoRunDelay", [](Form1 &f) { return double(f.state().autoRunDelay); }},
        {"randomColors", [](Form1 &f) { return double(f.state().randomColors); }},
        {"drawStyle", [](Form1 &f) { return double(f.surface().drawStyle()); }},
        {"drawLeftOffset", [](Form1 &f) { return double(f.state().drawLeftOffset); }},
        {"drawTopOffset", [](Form1 &f) { return double(f.state().drawTopOffset); }},
    };
    return map;
}

} // namespace

class TestFormClose : public QObject
{
    Q_OBJECT

  private slots:
    void init();
    void helpOpensReadme();
    void otherTextsPrompt_data();
    void otherTextsPrompt();
    void bangSetsSettings_data();
    void bangSetsSettings();
    void bangMovesPanelAndIsSaved();
    void colRebuildsColours_data();
    void colRebuildsColours();
    void colTakesAllComponents();
    void cancelLeavesEverything();
    void noEndsWithoutWriting_data();
    void noEndsWithoutWriting();
    void yesWritesAndEnds();
    void yesWithUnwritablePath_data();
    void yesWithUnwritablePath();

  private:
    QTemporaryDir dir_;
    QString path_;
};

void TestFormClose::init()
{
    QVERIFY(dir_.isValid());
    QString name = QStringLiteral("voludef-%1").arg(QTest::currentTestFunction());
    if (QTest::currentDataTag())
        name += QStringLiteral("-%1").arg(QString::fromLatin1(QTest::currentDataTag()).replace(' ', '_'));
    path_ = dir_.filePath(name.replace('"', '_') + ".txt");
    QFile::remove(path_);
}

void TestFormClose::helpOpensReadme()
{
    ScriptedDialogs dialogs;
    Form1 form({path_, &dialogs});
    for (const char *name : fieldNames)
        field(form, name)->setText(QStringLiteral("7"));
    field(form, "Text1")->setText("?");

    pressClose(form);

    QCOMPARE(field(form, "Text1")->text(), QString());
    for (const char *name : fieldNames)
        if (QByteArray(name) != "Text1")
            QCOMPARE(field(form, name)->text(), QStringLiteral("7"));
    QCOMPARE(dialogs.calls(), QStringList{"openTextFile"});
    QCOMPARE(dialogs.openedFiles().size(), 1);
    QVERIFY2(dialogs.openedFiles().first().endsWith("/readme.txt"),
             qPrintable(dialogs.openedFiles().first()));
    QVERIFY(!form.programEnded());
    QVERIFY(form.isVisible());
    QVERIFY(!QFile::exists(path_));
    QVERIFY(dialogs.unexpectedCalls().isEmpty());
}

void TestFormClose::otherTextsPrompt_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("blank before ?") << " ?";
    QTest::newRow("COL") << "COL";
    QTest::newRow("Col") << "Col";
    QTest::newRow("! with blank") << "! ";
    QTest::newRow("empty") << "";
    QTest::newRow("number") << "120";
}

void TestFormClose::otherTextsPrompt()
{
    QFETCH(QString, command);
    ScriptedDialogs dialogs;
    Form1 form({path_, &dialogs});
    field(form, "Text1")->setText(command);
    field(form, "Text2")->setText("2");
    dialogs.queueMessage(Dialogs::Answer::Cancel);

    pressClose(form);

    QCOMPARE(dialogs.calls(), QStringList{"message"});
    const auto &prompt = dialogs.messages().first();
    QCOMPARE(prompt.text, QStringLiteral("Do you wish to save settings?"));
    QCOMPARE(prompt.caption, QStringLiteral("Save Volutra settings"));
    QCOMPARE(prompt.buttons, Dialogs::Buttons::YesNoCancel);
    QCOMPARE(field(form, "Text1")->text(), command);
    QCOMPARE(field(form, "Text2")->text(), QStringLiteral("2"));
    QCOMPARE(form.state().turns, 1.0f);
    QVERIFY(!form.programEnded());
    QVERIFY(dialogs.unexpectedCalls().isEmpty());
}

void TestFormClose::bangSetsSettings_data()
{
    QTest::addColumn<QString>("fieldName");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("value");
    QTest::addColumn<double>("expected");

    QTest::newRow("Text4 17 refused") << "Text4"
                                      << "17"
                                      << "drawMode" << 13.0;
    QTest::newRow("Text4 16") << "Text4"
                              << "16"
                              << "drawMode" << 16.0;
    QTest::newRow("Text4 0 refused") << "Text4"
                                     << "0"
                                     << "drawMode" << 13.0;
    QTest::newRow("Text4 6.5 to even") << "Text4"
                                       << "6.5"
                                       << "drawMode" << 6.0;
    QTest::newRow("Text3 32767 refused") << "Text3"
                                         << "32767"
                                         << "drawWidth" << 1.0;
    QTest::newRow("Text3 5") << "Text3"
                             << "5"
                             << "drawWidth" << 5.0;
    QTest::newRow("Text3 -2 refused") << "Text3"
                                      << "-2"
                                      << "drawWidth" << 1.0;
    QTest::newRow("Text8 -3") << "Text8"
                              << "-3"
                              << "drawStyle" << 3.0;
    QTest::newRow("Text8 7 refused") << "Text8"
                                     << "7"
                                     << "drawStyle" << 0.0;
    QTest::newRow("Text8 2") << "Text8"
                             << "2"
                             << "drawStyle" << 2.0;
    QTest::newRow("Text13 -500") << "Text13"
                                 << "-500"
                                 << "mouseDelay" << 500.0;
    QTest::newRow("Text13 0") << "Text13"
                              << "0"
                              << "mouseDelay" << 0.0;
    QTest::newRow("Text2 2.5") << "Text2"
                               << "2.5"
                               << "turns" << 2.5;
    QTest::newRow("Text2 0 refused") << "Text2"
                                     << "0"
                                     << "turns" << 1.0;
    QTest::newRow("Text2 letters refused") << "Text2"
                                           << "abc"
                                           << "turns" << 1.0;
    QTest::newRow("Text5 50") << "Text5"
                              << "50"
                              << "stepSize" << 50.0;
    QTest::newRow("Text5 -50 refused") << "Text5"
                                       << "-50"
                                       << "stepSize" << 100.0;
    QTest::newRow("Text14 -1500") << "Text14"
                                  << "-1500"
                                  << "autoRunDelay" << 1500.0;
    QTest::newRow("Text14 2.5") << "Text14"
                                << "2.5"
                                << "autoRunDelay" << 2.0;
    QTest::newRow("Text7 1") << "Text7"
                             << "1"
                             << "randomColors" << 1.0;
    QTest::newRow("Text7 3.5") << "Text7"
                               << "3.5"
                               << "randomColors" << 4.0;
    QTest::newRow("Text9 -20") << "Text9"
                               << "-20"
                               << "drawLeftOffset" << -20.0;
    QTest::newRow("Text9 empty skipped") << "Text9"
                                         << ""
                                         << "drawLeftOffset" << 50.0;
    QTest::newRow("Text10 300") << "Text10"
                                << "300"
                                << "drawTopOffset" << 300.0;
    QTest::newRow("Text10 letters read 0") << "Text10"
                                           << "x"
                                           << "drawTopOffset" << 0.0;
    QTest::newRow("Text6 400") << "Text6"
                               << "400"
                               << "frameRightOffset" << 400.0;
    QTest::newRow("Text6 -250") << "Text6"
                                << "-250"
                                << "frameRightOffset" << -250.0;
}

void TestFormClose::bangSetsSettings()
{
    QFETCH(QString, fieldName);
    QFETCH(QString, text);
    QFETCH(QString, value);
    QFETCH(double, expected);
    ScriptedDialogs dialogs;
    Form1 form({path_, &dialogs});
    field(form, "Text1")->setText("!");
    field(form, qPrintable(fieldName))->setText(text);

    pressClose(form);

    QVERIFY(readings().contains(value));
    QCOMPARE(readings()[value](form), expected);
    for (const char *name : fieldNames)
        QVERIFY2(field(form, name)->text().isEmpty(), name);
    QVERIFY(dialogs.calls().isEmpty());
    QVERIFY(!form.programEnded());
    QVERIFY(!QFile::exists(path_));
    QVERIFY(dialogs.unexpectedCalls().isEmpty());
}

void TestFormClose::bangMovesPanelAndIsSaved()
{
    ScriptedDialogs dialogs;
    Form1 form({path_, &dialogs});
    const int usual = form.Frame1->x();
    QCOMPARE(usual, panelColumn(form, 0));
    for (const char *name : fieldNames)
        field(form, name)->setText("");
    field(form, "Text1")->setText("!");
    field(form, "Text6")->setText("400");

    pressClose(form);

    QCOMPARE(form.state().frameRightOffset, std::int16_t(400));
    QCOMPARE(form.Frame1->x(), panelColumn(form, 400));
    QVERIFY(std::abs(usual - form.Frame1->x() - 400 / form.surface().twipsPerPixel()) < 1);
    for (const char *name : fieldNames)
        QVERIFY2(field(form, name)->text().isEmpty(), name);

    // It stays there when the window is resized.
    form.resize(form.width() + 40, form.height());
    QTRY_COMPARE(form.Frame1->x(), panelColumn(form, 400));

    dialogs.queueMessage(Dialogs::Answer::Yes);
    pressClose(form);
    QVERIFY(form.programEnded());
    const QList<QByteArray> lines = fileLines(readBytes(path_));
    QCOMPARE(lines.size(), 26);
    QCOMPARE(lines[19], QByteArray("400 ' frame offset from right side of the program window"));
    QVERIFY(dialogs.unexpectedCalls().isEmpty());
}

void TestFormClose::colRebuildsColours_data()
{
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<int>("foreground");
    QTest::addColumn<int>("background");

    QTest::newRow("defaults") << QByteArray() << 16776960 << 0;
    // changed.txt stores the pen 18, 52, 86 and the background 200, 100, 0.
    QTest::newRow("stored components")
        << goldenSettings("changed.txt") << colors::rgb(0, 52, 86) << colors::rgb(200, 100, 0);
}

void TestFormClose::colRebuildsColours()
{
    QFETCH(QByteArray, settings);
    QFETCH(int, foreground);
    QFETCH(int, background);
    if (!settings.isEmpty())
        QVERIFY(writeBytes(path_, settings));
    ScriptedDialogs dialogs;
    Form1 form({path_, &dialogs});

    // Colours picked since start-up do not survive "col".
    dialogs.queueColor(colors::rgb(10, 20, 30));
    QTest::mouseClick(form.findChild<QPushButton *>("Command7"), Qt::LeftButton);
    dialogs.queueColor(colors::rgb(0, 255, 0));
    QTest::mouseClick(form.findChild<QPushButton *>("Command6"), Qt::LeftButton);
    QCOMPARE(form.state().foregroundColor, colors::rgb(10, 20, 30));
    QCOMPARE(firstPixelNot(form, Qt::green), QStringLiteral("none"));

    field(form, "Text1")->setText("col");
    field(form, "Text2")->setText("0");
    pressClose(form);

    QCOMPARE(form.state().foregroundColor, foreground);
    QCOMPARE(form.state().backgroundColor, background);
    QCOMPARE(form.surface().backColor(), background);
    const QColor back = QColor::fromRgb(colors::toPixel(background));
    QVERIFY2(firstPixelNot(form, back) == "none", qPrintable(firstPixelNot(form, back)));
    for (const char *name : fieldNames)
        QVERIFY2(field(form, name)->text().isEmpty(), name);
    QVERIFY(!form.programEnded());
    QCOMPARE(dialogs.calls(), (QStringList{"chooseColor", "chooseColor"}));
    QVERIFY(dialogs.unexpectedCalls().isEmpty());
}

void TestFormClose::colTakesAllComponents()
{
    ScriptedDialogs dialogs;
    Form1 form({path_, &dialogs});
    const QMap<QString, QString> texts = {
        {"Text1", "col"}, {"Text2", "1"},    {"Text5", "2"},  {"Text6", "300"}, {"Text3", "1"},
        {"Text4", "4"},   {"Text13", "5.5"}, {"Text14", "6"}, {"Text7", "9"},   {"Text8", "9"}};
    for (auto it = texts.begin(); it != texts.end(); ++it)
        field(form, qPrintable(it.key()))->setText(it.value());

    pressClose(form);

    // A component above 255 counts as 255; 5.5 rounds to the even 6.
    QCOMPARE(form.state().foregroundColor, colors::rgb(1, 2, 255));
    QCOMPARE(form.state().backgroundColor, colors::rgb(4, 6, 6));
    QCOMPARE(form.state().randomColors, std::int16_t(1));
    QCOMPARE(form.surface().drawStyle(), 0);
    QVERIFY(firstPixelNot(form, QColor(4, 6, 6)) == "none");
    for (const char *name : fieldNames)
        QVERIFY2(field(form, name)->text().isEmpty(), name);
    QVERIFY(dialogs.calls().isEmpty());
    QVERIFY(!QFile::exists(path_));
    QVERIFY(dialogs.unexpectedCalls().isEmpty());
}

void TestFormClose::cancelLeavesEverything()
{
    const QByteArray original = goldenSettings("changed.txt");
    QVERIFY(writeBytes(path_, original));
    ScriptedDialogs dialogs;
    Form1 form({path_, &dialogs});
    field(form, "Text1")->setText("bye");
    field(form, "Text5")->setText("3");
    const QPoint panel = form.Frame1->pos();
    dialogs.queueMessage(Dialogs::Answer::Cancel);

    pressClose(form);

    QCOMPARE(field(form, "Text1")->text(), QStringLiteral("bye"));
    QCOMPARE(field(form, "Text5")->text(), QStringLiteral("3"));
    QCOMPARE(form.Frame1->pos(), panel);
    QVERIFY(!form.programEnded());
    QVERIFY(form.isVisible());
    QCOMPARE(readBytes(path_), original);
    QCOMPARE(dialogs.calls(), QStringList{"message"});

    // The window goes on working: the next press asks again.
    dialogs.queueMessage(Dialogs::Answer::No);
    pressClose(form);
    QVERIFY(form.programEnded());
    QVERIFY(dialogs.unexpectedCalls().isEmpty());
}

void TestFormClose::noEndsWithoutWriting_data()
{
    QTest::addColumn<bool>("fileExists");
    QTest::newRow("file present") << true;
    QTest::newRow("no file") << false;
}

void TestFormClose::noEndsWithoutWriting()
{
    QFETCH(bool, fileExists);
    const QByteArray original = goldenSettings("changed.txt");
    if (fileExists)
        QVERIFY(writeBytes(path_, original));
    ScriptedDialogs dialogs;
    Form1 form({path_, &dialogs});
    QSignalSpy ending(&form, &Form1::programEnding);
    // A changed setting is not written either.
    field(form, "Text1")->setText("!");
    field(form, "Text2")->setText("4");
    pressClose(form);
    QCOMPARE(form.state().turns, 4.0f);

    dialogs.queueMessage(Dialogs::Answer::No);
    pressClose(form);

    QVERIFY(form.programEnded());
    QCOMPARE(ending.count(), 1);
    QVERIFY(!form.isVisible());
    QCOMPARE(QFile::exists(path_), fileExists);
    if (fileExists)
        QCOMPARE(readBytes(path_), original);
    // Nor is a new file begun beside it.
    QCOMPARE(QDir(dir_.path()).entryList(QDir::Files).filter(QFileInfo(path_).fileName()).size(),
             fileExists ? 1 : 0);
    QVERIFY(dialogs.unexpectedCalls().isEmpty());
}

void TestFormClose::yesWritesAndEnds()
{
    QVERIFY(writeBytes(path_, goldenSettings("changed.txt")));
    ScriptedDialogs dialogs;
    Form1 form({path_, &dialogs});
    field(form, "Text1")->setText("!");
    field(form, "Text2")->setText("3");
    field(form, "Text8")->setText("2");
    pressClose(form);

    dialogs.queueMessage(Dialogs::Answer::Yes);
    pressClose(form);

    QVERIFY(form.programEnded());
    const QByteArray written = readBytes(path_);
    QCOMPARE(written.count("\r\n"), 26);
    const QList<QByteArray> lines = fileLines(written);
    const QList<QByteArray> golden = fileLines(goldenSettings("changed.txt"));
    QCOMPARE(lines.size(), 26);
    // Only the turns changed; the line style is no setting.
    for (int i = 0; i < 26; ++i) {
        if (i == 12)
            QCOMPARE(lines[i], QByteArray("3 ' numbers of turns (default: 1)"));
        else if (i < 15 || i > 18)
            QCOMPARE(lines[i], golden[i]);
    }
    QCOMPARE(dialogs.calls(), QStringList{"message"});
    QVERIFY(dialogs.unexpectedCalls().isEmpty());
}

void TestFormClose::yesWithUnwritablePath_data()
{
    QTest::addColumn<bool>("folderAtPath");
    QTest::addColumn<int>("error");
    QTest::newRow("missing folder") << false << failures::PathNotFound;
    QTest::newRow("folder at the path") << true << failures::AccessError;
}

void TestFormClose::yesWithUnwritablePath()
{
    QFETCH(bool, folderAtPath);
    QFETCH(int, error);
    const QString path = folderAtPath ? path_ : dir_.filePath("missing/voludef.txt");
    const QString kept = path + "/kept.txt";
    if (folderAtPath) {
        QVERIFY(QDir().mkpath(path));
        QVERIFY(writeBytes(kept, "old"));
    }
    ScriptedDialogs dialogs;
    Form1 form({path, &dialogs});
    field(form, "Text1")->setText("quit");
    dialogs.queueMessage(Dialogs::Answer::Yes);
    dialogs.queueMessage(Dialogs::Answer::Ok);

    pressClose(form);

    QCOMPARE(dialogs.messages().size(), 2);
    const auto &failure = dialogs.messages()[1];
    const QString prefix = QStringLiteral("Could not save settings: \r\n");
    QCOMPARE(failure.text, prefix + failures::describe(error));
    QCOMPARE(failure.buttons, Dialogs::Buttons::Ok);
    QCOMPARE(failure.caption, QString());
    QVERIFY(!form.programEnded());
    QVERIFY(form.isVisible());
    if (folderAtPath) {
        QVERIFY(QFileInfo(path).isDir());
        QCOMPARE(readBytes(kept), QByteArray("old"));
        QCOMPARE(QDir(path).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList{"kept.txt"});
    } else {
        QVERIFY(!QFileInfo::exists(dir_.filePath("missing")));
    }
    QVERIFY(dialogs.exhausted());
    QVERIFY(dialogs.unexpectedCalls().isEmpty());
}

QTEST_MAIN(TestFormClose)
#include "test_form_close.moc"
