#include "form1.h"
#include "scripteddialogs.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(FileDialogRequest::Mode)

// Save and Load with bitmaps and parameter files, the two colour buttons and
// printing, all through scripted dialogs.

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

QLineEdit *field(Form1 &form, const char *name)
{
    return form.findChild<QLineEdit *>(name);
}

void click(Form1 &form, const char *button)
{
    QTest::mouseClick(form.findChild<QPushButton *>(button), Qt::LeftButton);
}

// Checks or unchecks "AutoRedraw" as the user does, by clicking it.
void setAutoRedrawBox(Form1 &form, bool checked)
{
    auto *box = form.findChild<QCheckBox *>("Check2");
    if (box->isChecked() != checked)
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
}

// Draws a fixed figure with "Draw".
void drawFigure(Form1 &form)
{
    field(form, "Text1")->setText("1500");
    field(form, "Text2")->setText("3");
    field(form, "Text3")->setText("1500");
    field(form, "Text4")->setText("2");
    click(form, "Command1");
}

// The canvas as the window shows it.
QImage shown(Form1 &form)
{
    return form.canvas->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Where two images first differ, or "none".
QString firstDifference(const QImage &actual, const QImage &expected)
{
    if (actual.size() != expected.size())
        return QStringLiteral("size %1x%2 instead of %3x%4")
            .arg(actual.width())
            .arg(actual.height())
            .arg(expected.width())
            .arg(expected.height());
    for (int y = 0; y < actual.height(); ++y)
        for (int x = 0; x < actual.width(); ++x)
            if (actual.pixelColor(x, y) != expected.pixelColor(x, y))
                return QStringLiteral("(%1, %2) is %3 instead of %4")
                    .arg(x)
                    .arg(y)
                    .arg(actual.pixelColor(x, y).name(), expected.pixelColor(x, y).name());
    return QStringLiteral("none");
}

QImage filled(QSize size, QColor color)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

int pixelsNot(const QImage &image, QColor color)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += image.pixelColor(x, y) != color;
    return count;
}

// The part of the canvas right of the panel's left edge, where the progress
// mark is drawn, and the part left of it, which holds the figure.
QRect panelArea(Form1 &form)
{
    return QRect(form.Frame1->x(), 0, form.width() - form.Frame1->x(), form.height());
}

QRect figureArea(Form1 &form)
{
    return QRect(0, 0, form.Frame1->x(), form.height());
}

QColor qColor(colors::Color color)
{
    return QColor::fromRgb(colors::toPixel(color));
}

QByteArray golden(const QString &name)
{
    return readBytes(qEnvironmentVariable("VOLUTRA_TEST_DATA") + "/" + name);
}

} // namespace

class TestFormFiles : public QObject
{
    Q_OBJECT

  private slots:
    void init();
    void fileDialogRequest_data();
    void fileDialogRequest();
    void saveBitmap_data();
    void saveBitmap();
    void saveBitmapWithoutAutoRedraw();
    void saveParameters_data();
    void saveParameters();
    void missingFolderIsSilent_data();
    void missingFolderIsSilent();
    void wrongExtension_data();
    void wrongExtension();
    void fileErrorMessages_data();
    void fileErrorMessages();
    void loadParameters();
    void loadThirteenLines();
    void loadCorruptBitmap();
    void loadBitmap();
    void loadRestoresAutoRedraw_data();
    void loadRestoresAutoRedraw();
    void commaInFieldSurvives();
    void backgroundButton();
    void foregroundButton();
    void colourCancel_data();
    void colourCancel();
    void colourFailure_data();
    void colourFailure();
    void print();
    void printCancel();
    void printFailure();
    void printNeedsAutoRedraw();

  private:
    QTemporaryDir dir_;
    QString settingsPath_;
};

void TestFormFiles::init()
{
    QVERIFY(dir_.isValid());
    // No settings file: every test starts from the defaults.
    settingsPath_ = dir_.filePath("voludef.txt");
    QVERIFY(!QFile::exists(settingsPath_));
}

void TestFormFiles::fileDialogRequest_data()
{
    QTest::addColumn<QByteArray>("button");
    QTest::addColumn<QString>("title");
    QTest::addColumn<FileDialogRequest::Mode>("mode");
    QTest::addColumn<bool>("cancelAsError");

    QTest::newRow("Save, cancel") << QByteArray("Command4") << "Save picture" << FileDialogRequest::Mode::Save
                                  << true;
    QTest::newRow("Save, empty name")
        << QByteArray("Command4") << "Save picture" << FileDialogRequest::Mode::Save << false;
    QTest::newRow("Load, cancel") << QByteArray("Command5") << "Load picture" << FileDialogRequest::Mode::Open
                                  << true;
    QTest::newRow("Load, empty name")
        << QByteArray("Command5") << "Load picture" << FileDialogRequest::Mode::Open << false;
}

void TestFormFiles::fileDialogRequest()
{
    QFETCH(QByteArray, button);
    QFETCH(QString, title);
    QFETCH(FileDialogRequest::Mode, mode);
    QFETCH(bool, cancelAsError);
    ScriptedDialogs dialogs;
    Form1 form({settingsPath_, &dialogs});
    drawFigure(form);
    if (cancelAsError)
        dialogs.queueFile(failures::make(failures::Cancelled));
    else
        dialogs.queueFile(QString());
    const QImage before = shown(form);
    QVERIFY2(pixelsNot(before.copy(panelArea(form)), Qt::black) > 0, "no progress mark below the panel");
    const QStringList files = QDir(dir_.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

    click(form, button.constData());

    QCOMPARE(dialogs.calls(), QStringList{"chooseFile"});
    const FileDialogRequest &request = dialogs.fileRequests().first();
    QCOMPARE(request.title, title);
    QCOMPARE(request.filter, QStringLiteral("Pictures (*.bmp)|*.bmp|Parameters (*.par)|*.par"));
    QCOMPARE(request.defaultExtension, QStringLiteral("BMP"));
    QCOMPARE(request.fileName, QString());
    QCOMPARE(request.mode, mode);

    // Nothing happened and nothing was shown but the cleared progress mark.
    QCOMPARE(field(form, "Text1")->text(), QStringLiteral("1500"));
    const QImage after = shown(form);
    QCOMPARE(firstDifference(after.copy(figureArea(form)), before.copy(figureArea(form))),
             QStringLiteral("none"));
    QCOMPARE(pixelsNot(after.copy(panelArea(form)), Qt::black), 0);
    QCOMPARE(QDir(dir_.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), files);
    QVERIFY(dialogs.unexpectedCalls().isEmpty());
}

void TestFormFiles::saveBitmap_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("lower case") << "figure.bmp";
    QTest::newRow("upper case") << "FIGURE.BMP";
    QTest::newRow("mixed case") << "Figure.Bmp";
}

void TestFormFiles::saveBitmap()
{
    QFETCH(QString, name);
    ScriptedDialogs dialogs;
    Form1 form({settingsPath_, &dialogs});
    setAutoRedrawBox(form, true);
    QVERIFY(form.surface().autoRedraw());
    drawFigure(form);
    QVERIFY2(pixelsNot(form.surface().image().copy(panelArea(form)), Qt::black) > 0,
             "no progress mark below the panel");
    const QString path = dir_.filePath(name);
    dialogs.queueFile(path);

    click(form, "Command4");

    QVERIFY(QFileInfo(path).isFile());
    QCOMPARE(readBytes(path).left(2), QByteArray("BM"));
    const QImage saved = QImage(path, "BMP").convertToFormat(QImage::Format_RGB32);
    QVERIFY(!saved.isNull());
    QVERIFY2(pixelsNot(saved, Qt::black) > 100, "the drawing is missing from the saved picture");
    // The picture is the whole client area as it is shown, the progress mark
    // below the panel having been cleared first.
    QCOMPARE(firstDifference(saved, form.surface().image()), QStringLiteral("none"));
    QCOMPARE(firstDifference(saved, shown(form)), QStringLiteral("none"));
    QCOMPARE(pixelsNot(saved.copy(panelArea(form)), Qt::black), 0);
    QCOMPARE(dialogs.calls(), QStringList{"chooseFile"});
    QVERIFY(QFile::remove(path));
    QVERIFY(dialogs.unexpectedCalls().isEmpty());
}

void TestFormFiles::saveBitmapWithoutAutoRedraw()
{
    ScriptedDialogs dialogs;
    Form1 form({settingsPath_, &dialogs});
    drawFigure(form);
    QVERIFY(pixelsNot(shown(form), Qt::black) > 100);
    const QString path = dir_.filePath("empty.bmp");
    dialogs.queueFile(path);

    click(form, "Command4");

    // The persistent image never received the drawing.
    const QImage saved = QImage(path, "BMP").convertToFormat(QImage::Format_RGB32);
    QCOMPARE(saved.size(), form.size());
    QCOMPARE(firstDifference(saved, filled(form.size(), Qt::black)), QStringLiteral("none"));
    QVERIFY(QFile::remove(path));
    QVERIFY(dialogs.unexpectedCalls().isEmpty());
}

void TestFormFiles::saveParameters_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("lower case") << "figure42.par";
    QTest::newRow("upper case") << "FIGURE42.PAR";
    QTest::newRow("mixed case") << "figure42.PaR";
}

void TestFormFiles::saveParameters()
{
    QFETCH(QString, name);
    ScriptedDialogs dialogs;
    Form1 form({settingsPath_, &dialogs});
    field(form, "Text1")->setText("120");
    const QString path = dir_.filePath(name);
    dialogs.queueFile(path);

    click(form, "Command4");

    QCOMPARE(readBytes(path), golden("parameters/figure42.par"));
    QCOMPARE(dialogs.calls(), QStringList{"chooseFile"});
    QCOMPARE(field(form, "Text1")->text(), QStringLiteral("120"));
    QVERIFY(QFile::remove(path));
    QVERIFY(dialogs.unexpectedCalls().isEmpty());
}

void TestFormFiles::missingFolderIsSilent_data()
{
    QTest::addColumn<QByteArray>("button");
    QTest::addColumn<QString>("name");
    QTest::newRow("Save bitmap") << QByteArray("Command4") << "picture.bmp";
    QTest::newRow("Save parameters") << QByteArray("Command4") << "figure.par";
    QTest::newRow("Load bitmap") << QByteArray("Command5") << "picture.bmp";
    QTest::newRow("Load parameters") << QByteArray("Command5") << "figure.par";
}

void TestFormFiles::missingFolderIsSilent()
{
    QFETCH(QByteArray, button);
    QFETCH(QString, name);
    ScriptedDialogs dialogs;
    Form1 form({settingsPath_, &dialogs});
    field(form, "Text2")->setText("4");
    dialogs.queueFile(dir_.filePath("missing/" + name));

    click(form, button.constData());

    QCOMPARE(dialogs.calls(), QStringList{"chooseFile"});
    QVERIFY(!QFileInfo::exists(dir_.filePath("missing")));
    QCOMPARE(field(form, "Text2")->text(), QStringLiteral("4"));
    QVERIFY(dialogs.unexpectedCalls().isEmpty());
}

void TestFormFiles::wrongExtension_data()
{
    QTest::addColumn<QByteArray>("button");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    QTest::newRow("Save jpeg") << QByteArray("Command4") << "picture.jpeg"
                               << "Wrong file extension: peg";
    QTest::newRow("Save JPG") << QByteArray("Command4") << "picture.JPG"
                              << "Wrong file extension: JPG";
    QTest::newRow("Save no extension") << QByteArray("Command4") << "picture"
                                       << "Wrong file extension: ure";
    QTest::newRow("Load jpeg") << QByteArray("Command5") << "picture.jpeg"
                               << "Wrong file extension: peg";
    QTest::newRow("Load bmpx") << QByteArray("Command5") << "picture.bmpx"
                               << "Wrong file extension: mpx";
}

void TestFormFiles::wrongExtension()
{
    QFETCH(QByteArray, button);
    QFETCH(QString, name);
    QFETCH(QString, message);
    ScriptedDialogs dialogs;
    Form1 form({settingsPath_, &dialogs});
    const QString path = dir_.filePath(name);
    // An existing file is neither read nor replaced.
    QVERIFY(writeBytes(path, "untouched"));
    dialogs.queueFile(path);
    dialogs.queueMessage(Dialogs::Answer::Ok);

    click(form, button.constData());

    QCOMPARE(dialogs.calls(), (QStringList{"chooseFile", "message"}));
    QCOMPARE(dialogs.messages().first().text, message);
    QCOMPARE(dialogs.messages().first().buttons, Dialogs::Buttons::Ok);
    QCOMPARE(dialogs.messages().first().caption, QString());
    QCOMPARE(readBytes(path), QByteArray("untouched"));
    QCOMPARE(form.surface().picture(), QImage());
    QVERIFY(QFile::remove(path));
    QVERIFY(dialogs.unexpectedCalls().isEmpty());
}

void TestFormFiles::fileErrorMessages_data()
{
    QTest::addColumn<QByteArray>("button");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<int>("error");
    // A folder stands where the file should be written, or no file is there.
    QTest::newRow("Save bitmap over a folder") << QByteArray("Command4") << "folder.bmp"
                                               << "File save error : " << failures::AccessError;
    QTest::newRow("Save parameters over a folder") << QByteArray("Command4") << "folder.par"
                                                   << "File save error : " << failures::AccessError;
    QTest::newRow("Load absent parameters") << QByteArray("Command5") << "absent.par"
                                            << "File load error : " << failures::FileNotFound;
    QTest::newRow("Load absent bitmap") << QByteArray("Command5") << "absent.bmp"
                                        << "File load error : " << failures::FileNotFound;
}

void TestFormFiles::fileErrorMessages()
{
    QFETCH(QByteArray, button);
    QFETCH(QString, name);
    QFETCH(QString, prefix);
    QFETCH(int, error);
    QVERIFY(QDir().mkpath(dir_.filePath("folder.bmp")));
    QVERIFY(QDir().mkpath(dir_.filePath("folder.par")));
    ScriptedDialogs dialogs;
    Form1 form({settingsPath_, &dialogs});
    field(form, "Text1")->setText("120");
    dialogs.queueFile(dir_.filePath(name));
    dialogs.queueMessage(Dialogs::Answer::Ok);

    click(form, button.constData());

    QCOMPARE(dialogs.calls(), (QStringList{"chooseFile", "message"}));
    QCOMPARE(dialogs.messages().first().text,
             prefix + " " + QString::number(error) + " " + failures::describe(error));
    QCOMPARE(dialogs.messages().first().buttons, Dialogs::Buttons::Ok);
    QCOMPARE(dialogs.messages().first().caption, QString());
    QCOMPARE(field(form, "Text1")->text(), QStringLiteral("120"));
    QVERIFY(QFileInfo(dir_.filePath("folder.bmp")).isDir());
    QVERIFY(QFileInfo(dir_.filePath("folder.par")).isDir());
    QVERIFY(dialogs.unexpectedCalls().isEmpty());
}

void TestFormFiles::loadParameters()
{
    const QString path = dir_.filePath("green.par");
    QVERIFY(writeBytes(
        path, "  300\r\n2.5\r\n\r\n\t1,5\r\nx\r\n6\r\n7\r\n8\r\n9\r\n10\r\n11\r\n12\r\n 255\r\n 65280\r\n"
              "extra\r\n"));
    ScriptedDialogs dialogs;
    Form1 form({settingsPath_, &dialogs});
    drawFigure(form);
    QVERIFY(pixelsNot(shown(form), Qt::black) > 100);
    dialogs.queueFile(path);

    click(form, "Command5");

    const QStringList expected = {"300", "2.5", "", "1,5", "x", "6", "9", "10", "11", "12", "7", "8"};
    for (int i = 0; i < 12; ++i)
        QCOMPARE(field(form, fieldNames[i])->text(), expected[i]);
    QCOMPARE(form.state().foregroundColor, 255);
    QCOMPARE(form.state().backgroundColor, 65280);
    QCOMPARE(form.surface().backColor(), 65280);
    // The canvas is cleared to the new background and nothing is drawn.
    QCOMPARE(firstDifference(shown(form), filled(form.size(), Qt::green)), QStringLiteral("none"));
    QCOMPARE(form.state().drawingActive, std::int16_t(0));
    QVERIFY(form.findChild<QPushButton *>("Command1")->isEnabled());
    QCOMPARE(dialogs.calls(), QStringList{"chooseFile"});
    QVERIFY(dialogs.unexpectedCalls().isEmpty());
}

void TestFormFiles::loadThirteenLines()
{
    const QString path = dir_.filePath("short.par");
    QVERIFY(writeBytes(path, "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\n11\r\n12\r\n 255\r\n"));
    ScriptedDialogs dialogs;
    Form1 form({settingsPath_, &dialogs});
    dialogs.queueFile(path);
    dialogs.queueMessage(Dialogs::Answer::Ok);

    click(form, "Command5");

    QCOMPARE(dialogs.calls(), (QStringList{"chooseFile", "message"}));
    QCOMPARE(dialogs.messages().first().text, "File load error :  62 " + failures::describe(62));
    QCOMPARE(dialogs.messages().first().buttons, Dialogs::Buttons::Ok);
    QCOMPARE(dialogs.messages().first().caption, QString());
    // What was read before the failure stays.
    const QStringList expected = {"1", "2", "3", "4", "5", "6", "9", "10", "11", "12", "7", "8"};
    for (int i = 0; i < 12; ++i)
        QCOMPARE(field(form, fieldNames[i])->text(), expected[i]);
    QCOMPARE(form.state().foregroundColor, 255);
    QCOMPARE(form.state().backgroundColor, 0);
    QCOMPARE(form.surface().backColor(), 0);
    QCOMPARE(firstDifference(shown(form), filled(form.size(), Qt::black)), QStringLiteral("none"));
    QVERIFY(dialogs.unexpectedCalls().isEmpty());
}

void TestFormFiles::loadCorruptBitmap()
{
    const QString path = dir_.filePath("text.bmp");
    QVERIFY(writeBytes(path, "This is no picture.\r\n"));
    ScriptedDialogs dialogs;
    Form1 form({settingsPath_, &dialogs});
    field(form, "Text1")->setText("5");
    dialogs.queueFile(path);
    dialogs.queueMessage(Dialogs::Answer::Ok);

    click(form, "Command5");

    QCOMPARE(dialogs.calls(), (QStringList{"chooseFile", "message"}));
    QCOMPARE(dialogs.messages().first().text, "File load error :  481 " + failures::describe(481));
    QCOMPARE(dialogs.messages().first().caption, QString());
    QCOMPARE(form.surface().picture(), QImage());
    QCOMPARE(field(form, "Text1")->text(), QStringLiteral("5"));
    QCOMPARE(firstDifference(shown(form), filled(form.size(), Qt::black)), QStringLiteral("none"));
    QVERIFY(dialogs.unexpectedCalls().isEmpty());
}

void TestFormFiles::loadBitmap()
{
    QImage picture = filled(QSize(40, 30), Qt::red);
    picture.setPixelColor(39, 29, Qt::blue);
    const QString path = dir_.filePath("red.bmp");
    QVERIFY(picture.save(path, "BMP"));
    ScriptedDialogs dialogs;
    Form1 form({settingsPath_, &dialogs});
    for (const char *name : fieldNames)
        field(form, name)->setText(name);
    dialogs.queueFile(path);

    click(form, "Command5");

    QCOMPARE(dialogs.calls(), QStringList{"chooseFile"});
    QCOMPARE(firstDifference(form.surface().picture().convertToFormat(QImage::Format_RGB32), picture),
             QStringLiteral("none"));
    for (const char *name : fieldNames)
        QCOMPARE(field(form, name)->text(), QString::fromLatin1(name));
    QImage expected = filled(form.size(), Qt::black);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            expected.setPixelColor(x, y, picture.pixelColor(x, y));
    QCOMPARE(firstDifference(shown(form), expected), QStringLiteral("none"));

    // The picture stays beneath what is drawn and what is cleared.
    drawFigure(form);
    const QImage drawn = shown(form);
    QVERIFY(pixelsNot(drawn, Qt::black) > 100 + 40 * 30);
    QCOMPARE(drawn.pixelColor(0, 0), QColor(Qt::red));
    QCOMPARE(drawn.pixelColor(drawn.width() - 1, drawn.height() - 1), QColor(Qt::black));
    QTest::mouseClick(form.findChild<QCheckBox *>("Check1"), Qt::LeftButton, {},
                      QPoint(8, form.findChild<QCheckBox *>("Check1")->height() / 2));
    QVERIFY(form.findChild<QPushButton *>("Command3")->isEnabled());
    click(form, "Command3");
    QCOMPARE(firstDifference(shown(form), expected), QStringLiteral("none"));
    QVERIFY(dialogs.unexpectedCalls().isEmpty());
}

void TestFormFiles::loadRestoresAutoRedraw_data()
{
    QTest::addColumn<bool>("checked");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<bool>("message");

    for (const bool checked : {false, true}) {
        const QByteArray state = checked ? "on, " : "off, ";
        QTest::newRow(state + "cancel") << checked << QString() << true << false;
        QTest::newRow(state + "empty name") << checked << QString() << false << false;
        QTest::newRow(state + "parameters") << checked << "good.par" << false << false;
        QTest::newRow(state + "bitmap") << checked << "good.bmp" << false << false;
        QTest::newRow(state + "short parameters") << checked << "short.par" << false << true;
        QTest::newRow(state + "corrupt bitmap") << checked << "bad.bmp" << false << true;
        QTest::newRow(state + "no such file") << checked << "absent.par" << false << true;
        QTest::newRow(state + "missing folder") << checked << "missing/good.bmp" << false << false;
        QTest::newRow(state + "wrong extension") << checked << "good.txt" << false << true;
    }
}

void TestFormFiles::loadRestoresAutoRedraw()
{
    QFETCH(bool, checked);
    QFETCH(QString, name);
    QFETCH(bool, cancel);
    QFETCH(bool, message);
    QVERIFY(writeBytes(dir_.filePath("good.par"), golden("parameters/figure42.par")));
    QVERIFY(writeBytes(dir_.filePath("short.par"), "1\r\n2\r\n"));
    QVERIFY(writeBytes(dir_.filePath("bad.bmp"), "BM but no picture"));
    QVERIFY(writeBytes(dir_.filePath("good.txt"), "text"));
    QVERIFY(filled(QSize(8, 8), Qt::blue).save(dir_.filePath("good.bmp"), "BMP"));

    ScriptedDialogs dialogs;
    Form1 form({settingsPath_, &dialogs});
    setAutoRedrawBox(form, checked);
    QCOMPARE(form.surface().autoRedraw(), checked);
    if (cancel)
        dialogs.queueFile(failures::make(failures::Cancelled));
    else
        dialogs.queueFile(name.isEmpty() ? QString() : dir_.filePath(name));
    if (message)
        dialogs.queueMessage(Dialogs::Answer::Ok);

    click(form, "Command5");

    QCOMPARE(form.surface().autoRedraw(), checked);
    QCOMPARE(form.findChild<QCheckBox *>("Check2")->isChecked(), checked);
    QCOMPARE(form.findChild<QPushButton *>("Command16")->isEnabled(), checked);
    QCOMPARE(dialogs.messages().size(), message ? 1 : 0);
    QVERIFY(dialogs.exhausted());
    QVERIFY(dialogs.unexpectedCalls().isEmpty());

    // What is drawn next reaches the persistent image exactly when the box
    // is checked.
    drawFigure(form);
    QCOMPARE(pixelsNot(form.surface().image(), form.surface().image().pixelColor(form.width() - 1, 0)) > 100,
             checked);
}

void TestFormFiles::commaInFieldSurvives()
{
    ScriptedDialogs dialogs;
    Form1 form({settingsPath_, &dialogs});
    field(form, "Text5")->setText("1,5");
    field(form, "Text6")->setText("2");
    field(form, "Text13")->setText("3");
    const QString path = dir_.filePath("comma.par");
    dialogs.queueFile(path);
    click(form, "Command4");
    QVERIFY(readBytes(path).contains("\r\n1,5\r\n2\r\n3\r\n"));

    for (const char *name : fieldNames)
        field(form, name)->setText("9");
    dialogs.queueFile(path);
    click(form, "Command5");

    const QStringList expected = {"", "", "", "", "1,5", "2", "", "", "", "", "3", ""};
    for (int i = 0; i < 12; ++i)
        QCOMPARE(field(form, fieldNames[i])->text(), expected[i]);
    QCOMPARE(form.state().foregroundColor, 16777215);
    QCOMPARE(form.state().backgroundColor, 0);
    QCOMPARE(dialogs.calls(), (QStringList{"chooseFile", "chooseFile"}));
    QVERIFY(dialogs.unexpectedCalls().isEmpty());
}

void TestFormFiles::backgroundButton()
{
    ScriptedDialogs dialogs;
    Form1 form({settingsPath_, &dialogs});
    drawFigure(form);
    const colors::Color picked = colors::rgb(0x12, 0x34, 0x56);
    dialogs.queueColor(picked);
    dialogs.queueColor(colors::rgb(1, 2, 3));

    click(form, "Command6");

    QCOMPARE(dialogs.colorCalls().size(), 1);
    QCOMPARE(dialogs.colorCalls()[0].initial, 0);
    QCOMPARE(dialogs.colorCalls()[0].title, QStringLiteral("Select background color"));
    QCOMPARE(form.state().backgroundColor, picked);
    QCOMPARE(form.surface().backColor(), picked);
    QCOMPARE(form.state().foregroundColor, 16777215);
    // The drawing is gone, persistent image included.
    QCOMPARE(firstDifference(shown(form), filled(form.size(), qColor(picked))), QStringLiteral("none"));
    QCOMPARE(firstDifference(form.surface().image(), filled(form.size(), qColor(picked))),
             QStringLiteral("none"));
    QCOMPARE(form.state().drawingActive, std::int16_t(0));

    // The dialog starts from the current colour.
    click(form, "Command6");
    QCOMPARE(dialogs.colorCalls()[1].initial, picked);
    QCOMPARE(form.surface().backColor(), colors::rgb(1, 2, 3));
    QCOMPARE(dialogs.calls(), (QStringList{"chooseColor", "chooseColor"}));
    QVERIFY(dialogs.unexpectedCalls().isEmpty());
}

void TestFormFiles::foregroundButton()
{
    ScriptedDialogs dialogs;
    Form1 form({settingsPath_, &dialogs});
    drawFigure(form);
    const QImage before = shown(form);
    dialogs.queueColor(255);

    click(form, "Command7");

    QCOMPARE(dialogs.colorCalls().size(), 1);
    QCOMPARE(dialogs.colorCalls()[0].initial, 16777215);
    QCOMPARE(dialogs.colorCalls()[0].title, QStringLiteral("Select foreground color"));
    QCOMPARE(form.state().foregroundColor, 255);
    QCOMPARE(form.state().backgroundColor, 0);
    QCOMPARE(form.surface().foreColor(), colors::white);
    QCOMPARE(firstDifference(shown(form), before), QStringLiteral("none"));

    const QString path = dir_.filePath("red.par");
    dialogs.queueFile(path);
    click(form, "Command4");
    const QList<QByteArray> lines = readBytes(path).split('\n');
    QCOMPARE(lines.size(), 15);
    QCOMPARE(lines[12], QByteArray(" 255\r"));
    QCOMPARE(lines[13], QByteArray(" 0\r"));

    // The next figure is traced in the new colour.
    drawFigure(form);
    const QImage after = shown(form);
    QVERIFY(pixelsNot(after, Qt::black) > 100);
    // Every pixel is either background or the new pen colour.
    QCOMPARE(pixelsNot(after, Qt::black) + pixelsNot(after, Qt::red), after.width() * after.height());
    QVERIFY(dialogs.unexpectedCalls().isEmpty());
}

void TestFormFiles::colourCancel_data()
{
    QTest::addColumn<QByteArray>("button");
    QTest::newRow("Background") << QByteArray("Command6");
    QTest::newRow("Foreground") << QByteArray("Command7");
}

void TestFormFiles::colourCancel()
{
    QFETCH(QByteArray, button);
    ScriptedDialogs dialogs;
    Form1 form({settingsPath_, &dialogs});
    drawFigure(form);
    const QImage before = shown(form);
    dialogs.queueColor(failures::make(failures::Cancelled));

    click(form, button.constData());

    QCOMPARE(dialogs.calls(), QStringList{"chooseColor"});
    QCOMPARE(form.state().foregroundColor, 16777215);
    QCOMPARE(form.state().backgroundColor, 0);
    QCOMPARE(form.surface().backColor(), 0);
    QCOMPARE(firstDifference(shown(form), before), QStringLiteral("none"));
    QVERIFY(dialogs.unexpectedCalls().isEmpty());
}

void TestFormFiles::colourFailure_data()
{
    QTest::addColumn<QByteArray>("button");
    QTest::addColumn<QString>("prefix");
    QTest::newRow("Background") << QByteArray("Command6") << "Error background color : ";
    QTest::newRow("Foreground") << QByteArray("Command7") << "Error forground color : ";
}

void TestFormFiles::colourFailure()
{
    QFETCH(QByteArray, button);
    QFETCH(QString, prefix);
    ScriptedDialogs dialogs;
    Form1 form({settingsPath_, &dialogs});
    drawFigure(form);
    const QImage before = shown(form);
    dialogs.queueColor(failures::make(failures::OutOfMemory));
    dialogs.queueMessage(Dialogs::Answer::Ok);

    click(form, button.constData());

    QCOMPARE(dialogs.calls(), (QStringList{"chooseColor", "message"}));
    QCOMPARE(dialogs.messages().first().text, prefix + failures::describe(failures::OutOfMemory));
    QCOMPARE(dialogs.messages().first().buttons, Dialogs::Buttons::Ok);
    QCOMPARE(dialogs.messages().first().caption, QString());
    QCOMPARE(form.state().foregroundColor, 16777215);
    QCOMPARE(form.state().backgroundColor, 0);
    QCOMPARE(firstDifference(shown(form), before), QStringLiteral("none"));
    QVERIFY(dialogs.unexpectedCalls().isEmpty());
}

void TestFormFiles::print()
{
    ScriptedDialogs dialogs;
    Form1 form({settingsPath_, &dialogs});
    setAutoRedrawBox(form, true);
    QVERIFY(form.findChild<QPushButton *>("Command16")->isEnabled());
    drawFigure(form);
    const QString pdf = dir_.filePath("print.pdf");
    bool panelShownDuringDialog = true;
    dialogs.queuePrinter([&](QPrinter &printer) -> std::optional<Failure> {
        panelShownDuringDialog = form.Frame1->isVisible();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return std::nullopt;
    });

    click(form, "Command16");

    QCOMPARE(dialogs.calls(), QStringList{"choosePrinter"});
    QCOMPARE(dialogs.printerCalls().first().options, 0x4000C);
    QCOMPARE(dialogs.printerCalls().first().title, QStringLiteral("Select printer"));
    QVERIFY(!panelShownDuringDialog);
    QVERIFY(form.Frame1->isVisible());
    QVERIFY(QFileInfo(pdf).size() > 0);
    // The progress mark was cleared from the printed image first.
    QCOMPARE(pixelsNot(form.surface().image().copy(panelArea(form)), Qt::black), 0);
    QVERIFY(pixelsNot(form.surface().image().copy(figureArea(form)), Qt::black) > 100);
    QCOMPARE(readBytes(pdf).left(5), QByteArray("%PDF-"));
    QVERIFY(dialogs.unexpectedCalls().isEmpty());
}

void TestFormFiles::printCancel()
{
    ScriptedDialogs dialogs;
    Form1 form({settingsPath_, &dialogs});
    setAutoRedrawBox(form, true);
    const QString pdf = dir_.filePath("cancelled.pdf");
    bool panelShownDuringDialog = true;
    dialogs.queuePrinter([&](QPrinter &printer) -> std::optional<Failure> {
        panelShownDuringDialog = form.Frame1->isVisible();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return failures::make(failures::Cancelled);
    });

    click(form, "Command16");

    QCOMPARE(dialogs.calls(), QStringList{"choosePrinter"});
    QVERIFY(!panelShownDuringDialog);
    QVERIFY(form.Frame1->isVisible());
    QVERIFY(!QFileInfo::exists(pdf));
    QVERIFY(dialogs.unexpectedCalls().isEmpty());
}

void TestFormFiles::printFailure()
{
    ScriptedDialogs dialogs;
    Form1 form({settingsPath_, &dialogs});
    setAutoRedrawBox(form, true);
    dialogs.queuePrinter(failures::make(failures::PrinterError));
    dialogs.queueMessage(Dialogs::Answer::Ok);

    click(form, "Command16");

    QCOMPARE(dialogs.calls(), (QStringList{"choosePrinter", "message"}));
    QCOMPARE(dialogs.messages().first().text, "Print error :  482 " + failures::describe(482));
    QCOMPARE(dialogs.messages().first().buttons, Dialogs::Buttons::Ok);
    QCOMPARE(dialogs.messages().first().caption, QString());
    QVERIFY(form.Frame1->isVisible());
    QVERIFY(dialogs.unexpectedCalls().isEmpty());
}

void TestFormFiles::printNeedsAutoRedraw()
{
    ScriptedDialogs dialogs;
    Form1 form({settingsPath_, &dialogs});
    QVERIFY(!form.findChild<QPushButton *>("Command16")->isEnabled());

    click(form, "Command16");

    QVERIFY(dialogs.calls().isEmpty());
    QVERIFY(form.Frame1->isVisible());
    QVERIFY(dialogs.unexpectedCalls().isEmpty());
}

QTEST_MAIN(TestFormFiles)
#include "test_form_files.moc"
