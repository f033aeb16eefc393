// SPDX-License-Identifier: GPL-3.0-or-later
#include "datatable.h"
#include "formfixture.h"
#include "imagecheck.h"
#include "modaldialog.h"
#include "qtdialogs.h"
#include "surfaceimages.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPainter>
#include <QPrinter>
#include <QTest>

// Save and Load with bitmaps and parameter files, the two colour buttons and
// printing, through scripted dialogs and, where the user's view of it
// matters, the program's real file dialog.

using namespace formtest;
using namespace testfiles;
using imagecheck::countNot;
using imagecheck::filled;

namespace {

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

// What the user saw of the real file dialog.
struct SeenFileDialog {
    bool seen = false;
    QString title;
    QStringList filters;
    QString selectedFilter;
    bool saving = false;
};

// Answers the window's file request through the program's real file dialog,
// shown for the window with the request as the window made it, in which the
// user types `path` into the name field and accepts, or cancels when `path`
// is empty. What the dialog showed goes into `seen`.
ScriptedDialogs::FileAnswer throughFileDialog(Form1 &form, SeenFileDialog &seen, const QString &path = {})
{
    return [&form, &seen, path](const FileDialogRequest &request) {
        whenModal<QFileDialog>([&seen, path](QFileDialog *dialog) {
            seen = {true, dialog->windowTitle(), dialog->nameFilters(), dialog->selectedNameFilter(),
                    dialog->acceptMode() == QFileDialog::AcceptSave};
            auto *nameField = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            if (path.isEmpty() || !nameField) {
                dialog->reject();
                return;
            }
            nameField->setText(path);
            // As the dialog's own accept does once it has checked the name.
            static_cast<QDialog *>(dialog)->done(QDialog::Accepted);
        });
        return QtDialogs(&form).chooseFile(request);
    };
}

} // namespace

class TestFormFiles : public QObject {
    Q_OBJECT

private slots:
    // Save and Load show the file dialog under their own title, offering
    // pictures first and parameter files second. Cancelling it, or an empty
    // name, does nothing but take the progress mark away.
    void fileDialogCancelled_data()
    {
        QTest::addColumn<bool>("save");
        QTest::addColumn<bool>("emptyName");
        QTest::newRow("Save, cancel") << true << false;
        QTest::newRow("Save, empty name") << true << true;
        QTest::newRow("Load, cancel") << false << false;
        QTest::newRow("Load, empty name") << false << true;
    }
    void fileDialogCancelled()
    {
        QFETCH(bool, save);
        QFETCH(bool, emptyName);
        FormFixture fixture;
        Form1 &form = *fixture;
        drawFigure(form);
        SeenFileDialog seen;
        if (emptyName)
            fixture.dialogs.queueFile(QString());
        else
            fixture.dialogs.queueFile(throughFileDialog(form, seen));
        const QImage before = shown(form);
        QVERIFY2(countNot(before, Qt::black, panelArea(form)) > 0, "no progress mark below the panel");
        const QStringList files = entries(fixture.dir.path());

        click(save ? form.Frame1->Command4 : form.Frame1->Command5);

        QCOMPARE(fixture.dialogs.calls(), QStringList{"chooseFile"});
        if (!emptyName) {
            QVERIFY(seen.seen);
            QCOMPARE(seen.title, save ? QStringLiteral("Save picture") : QStringLiteral("Load picture"));
            QCOMPARE(seen.filters, (QStringList{"Pictures (*.bmp)", "Parameters (*.par)"}));
            QCOMPARE(seen.selectedFilter, QStringLiteral("Pictures (*.bmp)"));
            QCOMPARE(seen.saving, save);
        }

        // Nothing happened and nothing was shown but the cleared progress mark.
        QCOMPARE(field(form, "Text1")->text(), QStringLiteral("1500"));
        const QImage after = shown(form);
        COMPARE_IMAGES(after.copy(figureArea(form)), before.copy(figureArea(form)));
        VERIFY_AREA(after, panelArea(form), Qt::black);
        QCOMPARE(entries(fixture.dir.path()), files);
    }

    // A name typed without an extension in Save's dialog is a bitmap's name.
    void saveTypedNameWithoutExtension()
    {
        FormFixture fixture;
        Form1 &form = *fixture;
        setChecked(form.Frame1->Check2, true);
        drawFigure(form);
        SeenFileDialog seen;
        fixture.dialogs.queueFile(throughFileDialog(form, seen, fixture.dir.filePath("figure")));

        click(form.Frame1->Command4);

        QVERIFY(seen.seen);
        QCOMPARE(entries(fixture.dir.path()), QStringList{"figure.BMP"});
        const QImage saved =
            QImage(fixture.dir.filePath("figure.BMP"), "BMP").convertToFormat(QImage::Format_RGB32);
        QVERIFY2(countNot(saved, Qt::black) > 100, "the drawing is missing from the saved picture");
        COMPARE_IMAGES(saved, surfaceimages::image(form.surface()));
        QCOMPARE(fixture.dialogs.calls(), QStringList{"chooseFile"});
    }

    // Parameters saved under a name typed in Save's dialog come back, fields
    // and colours, when that name is typed in Load's.
    void savedParametersLoadBack()
    {
        FormFixture fixture;
        Form1 &form = *fixture;
        fillFields(form);
        setTexts(form, {{"Text3", ""}, {"Text5", "1,5"}, {"Text8", "-0.25"}});
        const QStringList saved = fieldTexts(form);
        const colors::Color pen = colors::rgb(200, 10, 30);
        const colors::Color back = colors::rgb(5, 60, 7);
        fixture.dialogs.queueColor(pen);
        click(form.Frame1->Command7);
        fixture.dialogs.queueColor(back);
        click(form.Frame1->Command6);
        const QString path = fixture.dir.filePath("shape.par");
        SeenFileDialog seen;
        fixture.dialogs.queueFile(throughFileDialog(form, seen, path));
        click(form.Frame1->Command4);
        QVERIFY(seen.saving);
        QVERIFY(QFileInfo(path).isFile());

        // Everything changed before the load.
        for (const QString &name : fieldNames)
            field(form, name)->setText("9");
        fixture.dialogs.queueColor(colors::white);
        click(form.Frame1->Command6);
        fixture.dialogs.queueColor(colors::black);
        click(form.Frame1->Command7);
        seen = {};
        fixture.dialogs.queueFile(throughFileDialog(form, seen, path));

        click(form.Frame1->Command5);

        QVERIFY(seen.seen && !seen.saving);
        QCOMPARE(fieldTexts(form), saved);
        VERIFY_READINGS(form, {{"foregroundColor", pen}, {"backgroundColor", back}, {"backColor", back}});
        VERIFY_FILLED(shown(form), QColor::fromRgb(colors::toPixel(back)));
        QCOMPARE(fixture.dialogs.messages().size(), 0);
    }

    void saveBitmap_data()
    {
        oneColumnTable<QString>(
            "name",
            {{"lower case", "figure.bmp"}, {"upper case", "FIGURE.BMP"}, {"mixed case", "Figure.Bmp"}});
    }
    void saveBitmap()
    {
        QFETCH(QString, name);
        FormFixture fixture;
        Form1 &form = *fixture;
        setChecked(form.Frame1->Check2, true);
        QVERIFY(form.surface().autoRedraw());
        drawFigure(form);
        QVERIFY2(countNot(surfaceimages::image(form.surface()), Qt::black, panelArea(form)) > 0,
                 "no progress mark below the panel");
        const QString path = fixture.dir.filePath(name);
        fixture.dialogs.queueFile(path);

        click(form.Frame1->Command4);

        QCOMPARE(readBytes(path).left(2), QByteArray("BM"));
        const QImage saved = QImage(path, "BMP").convertToFormat(QImage::Format_RGB32);
        QVERIFY(!saved.isNull());
        QVERIFY2(countNot(saved, Qt::black) > 100, "the drawing is missing from the saved picture");
        // The picture is the whole client area as it is shown, the progress mark
        // below the panel having been cleared first.
        COMPARE_IMAGES(saved, surfaceimages::image(form.surface()));
        COMPARE_IMAGES(saved, shown(form));
        VERIFY_AREA(saved, panelArea(form), Qt::black);
        QCOMPARE(fixture.dialogs.calls(), QStringList{"chooseFile"});
    }

    void saveBitmapWithoutAutoRedraw()
    {
        FormFixture fixture;
        Form1 &form = *fixture;
        drawFigure(form);
        QVERIFY(countNot(shown(form), Qt::black) > 100);
        const QString path = fixture.dir.filePath("empty.bmp");
        fixture.dialogs.queueFile(path);

        click(form.Frame1->Command4);

        // The persistent image never received the drawing.
        COMPARE_IMAGES(QImage(path, "BMP").convertToFormat(QImage::Format_RGB32),
                       filled(form.size(), Qt::black));
    }

    void saveParameters_data()
    {
        oneColumnTable<QString>(
            "name",
            {{"lower case", "figure42.par"}, {"upper case", "FIGURE42.PAR"}, {"mixed case", "figure42.PaR"}});
    }
    void saveParameters()
    {
        QFETCH(QString, name);
        FormFixture fixture;
        Form1 &form = *fixture;
        field(form, "Text1")->setText("120");
        const QString path = fixture.dir.filePath(name);
        fixture.dialogs.queueFile(path);

        click(form.Frame1->Command4);

        QCOMPARE(readBytes(path), testData("parameters/figure42.par"));
        QCOMPARE(fixture.dialogs.calls(), QStringList{"chooseFile"});
        QCOMPARE(field(form, "Text1")->text(), QStringLiteral("120"));
    }

    // Save and Load that cannot work change nothing: a missing folder
    // silently, the rest with a message.
    void fileActionFails_data()
    {
        QTest::addColumn<bool>("save");
        QTest::addColumn<QString>("name");
        // What the file holds beforehand; null for no file.
        QTest::addColumn<QByteArray>("content");
        // Empty for no message.
        QTest::addColumn<QString>("message");
        const auto row = [](const char *tag, bool save, const char *name, const QByteArray &content,
                            const QString &message) {
            QTest::newRow(tag) << save << QString(name) << content << message;
        };
        row("Save bitmap into a missing folder", true, "missing/picture.bmp", {}, {});
        row("Save parameters into a missing folder", true, "missing/figure.par", {}, {});
        row("Load bitmap from a missing folder", false, "missing/picture.bmp", {}, {});
        row("Load parameters from a missing folder", false, "missing/figure.par", {}, {});
        // An existing file with a wrong extension is neither read nor replaced.
        row("Save jpeg", true, "picture.jpeg", "untouched", "Wrong file extension: peg");
        row("Save JPG", true, "picture.JPG", "untouched", "Wrong file extension: JPG");
        row("Save no extension", true, "picture", "untouched", "Wrong file extension: ure");
        row("Load jpeg", false, "picture.jpeg", "untouched", "Wrong file extension: peg");
        row("Load bmpx", false, "picture.bmpx", "untouched", "Wrong file extension: mpx");
        // A folder stands where the file should be written, or no file is there.
        row("Save bitmap over a folder", true, "folder.bmp", {}, fileError("save", failures::AccessError));
        row("Save parameters over a folder", true, "folder.par", {},
            fileError("save", failures::AccessError));
        row("Load absent parameters", false, "absent.par", {}, fileError("load", failures::FileNotFound));
        row("Load absent bitmap", false, "absent.bmp", {}, fileError("load", failures::FileNotFound));
        row("Load corrupt bitmap", false, "text.bmp", "This is no picture.\r\n", fileError("load", 481));
    }
    void fileActionFails()
    {
        QFETCH(bool, save);
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        FormFixture fixture;
        Form1 &form = *fixture;
        QVERIFY(QDir().mkpath(fixture.dir.filePath("folder.bmp")));
        QVERIFY(QDir().mkpath(fixture.dir.filePath("folder.par")));
        const QString path = fixture.dir.filePath(name);
        if (!content.isNull())
            QVERIFY(writeBytes(path, content));
        fillFields(form);
        fixture.dialogs.queueFile(path);
        if (!message.isEmpty())
            fixture.dialogs.queueMessage(Dialogs::Answer::Ok);

        click(save ? form.Frame1->Command4 : form.Frame1->Command5);

        VERIFY_ASKED(fixture.dialogs, message, {"chooseFile"});
        QCOMPARE(fieldTexts(form), fieldNames);
        QVERIFY(surfaceimages::picture(form.surface()).isNull());
        VERIFY_FILLED(shown(form), Qt::black);
        if (!content.isNull())
            QCOMPARE(readBytes(path), content);
        QVERIFY(QFileInfo(fixture.dir.filePath("folder.bmp")).isDir());
        QVERIFY(QFileInfo(fixture.dir.filePath("folder.par")).isDir());
        QVERIFY(!QFileInfo::exists(fixture.dir.filePath("missing")));
    }

    void loadParameters()
    {
        FormFixture fixture;
        Form1 &form = *fixture;
        const QString path = fixture.dir.filePath("green.par");
        QVERIFY(writeBytes(path, "  300\r\n2.5\r\n\r\n\t1,5\r\nx\r\n6\r\n7\r\n8\r\n9\r\n10\r\n11\r\n12\r\n"
                                 " 255\r\n 65280\r\nextra\r\n"));
        drawFigure(form);
        QVERIFY(countNot(shown(form), Qt::black) > 100);
        fixture.dialogs.queueFile(path);

        click(form.Frame1->Command5);

        QCOMPARE(fieldTexts(form),
                 (QStringList{"300", "2.5", "", "1,5", "x", "6", "9", "10", "11", "12", "7", "8"}));
        VERIFY_READINGS(form, {{"foregroundColor", 255}, {"backgroundColor", 65280}, {"backColor", 65280}});
        // The canvas is cleared to the new background and nothing is drawn.
        VERIFY_FILLED(shown(form), Qt::green);
        QCOMPARE(form.state().drawingActive, std::int16_t(0));
        QVERIFY(form.Frame1->Command1->isEnabled());
        QCOMPARE(fixture.dialogs.calls(), QStringList{"chooseFile"});
    }

    void loadThirteenLines()
    {
        FormFixture fixture;
        Form1 &form = *fixture;
        const QString path = fixture.dir.filePath("short.par");
        QVERIFY(writeBytes(path, "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\n11\r\n12\r\n 255\r\n"));
        fixture.dialogs.queueFile(path);
        fixture.dialogs.queueMessage(Dialogs::Answer::Ok);

        click(form.Frame1->Command5);

        VERIFY_ASKED(fixture.dialogs, fileError("load", 62), {"chooseFile"});
        // What was read before the failure stays.
        QCOMPARE(fieldTexts(form),
                 (QStringList{"1", "2", "3", "4", "5", "6", "9", "10", "11", "12", "7", "8"}));
        VERIFY_READINGS(form, {{"foregroundColor", 255}, {"backgroundColor", 0}, {"backColor", 0}});
        VERIFY_FILLED(shown(form), Qt::black);
    }

    void loadBitmap()
    {
        FormFixture fixture;
        Form1 &form = *fixture;
        QImage picture = filled(QSize(40, 30), Qt::red);
        picture.setPixelColor(39, 29, Qt::blue);
        const QString path = fixture.dir.filePath("red.bmp");
        QVERIFY(picture.save(path, "BMP"));
        fillFields(form);
        fixture.dialogs.queueFile(path);

        click(form.Frame1->Command5);

        QCOMPARE(fixture.dialogs.calls(), QStringList{"chooseFile"});
        COMPARE_IMAGES(surfaceimages::picture(form.surface()).convertToFormat(QImage::Format_RGB32), picture);
        QCOMPARE(fieldTexts(form), fieldNames);
        QImage expected = filled(form.size(), Qt::black);
        QPainter(&expected).drawImage(0, 0, picture);
        COMPARE_IMAGES(shown(form), expected);

        // The picture stays beneath what is drawn and what is cleared.
        drawFigure(form);
        const QImage drawn = shown(form);
        QVERIFY(countNot(drawn, Qt::black) > 100 + 40 * 30);
        QCOMPARE(drawn.pixelColor(0, 0), QColor(Qt::red));
        QCOMPARE(drawn.pixelColor(drawn.width() - 1, drawn.height() - 1), QColor(Qt::black));
        setChecked(form.Frame1->Check1, false);
        QVERIFY(form.Frame1->Command3->isEnabled());
        click(form.Frame1->Command3);
        COMPARE_IMAGES(shown(form), expected);
    }

    void loadRestoresAutoRedraw_data()
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
    void loadRestoresAutoRedraw()
    {
        QFETCH(bool, checked);
        QFETCH(QString, name);
        QFETCH(bool, cancel);
        QFETCH(bool, message);
        FormFixture fixture;
        Form1 &form = *fixture;
        const QDir dir(fixture.dir.path());
        QVERIFY(writeBytes(dir.filePath("good.par"), testData("parameters/figure42.par")));
        QVERIFY(writeBytes(dir.filePath("short.par"), "1\r\n2\r\n"));
        QVERIFY(writeBytes(dir.filePath("bad.bmp"), "BM but no picture"));
        QVERIFY(writeBytes(dir.filePath("good.txt"), "text"));
        QVERIFY(filled(QSize(8, 8), Qt::blue).save(dir.filePath("good.bmp"), "BMP"));

        setChecked(form.Frame1->Check2, checked);
        QCOMPARE(form.surface().autoRedraw(), checked);
        if (cancel)
            fixture.dialogs.queueFile(failures::make(failures::Cancelled));
        else
            fixture.dialogs.queueFile(name.isEmpty() ? QString() : dir.filePath(name));
        if (message)
            fixture.dialogs.queueMessage(Dialogs::Answer::Ok);

        click(form.Frame1->Command5);

        VERIFY_READINGS(form, {{"autoRedraw", checked}, {"Check2", checked}, {"Command16", checked}});
        QCOMPARE(fixture.dialogs.messages().size(), message ? 1 : 0);
        QVERIFY(fixture.dialogs.exhausted());

        // What is drawn next reaches the persistent image exactly when the box
        // is checked.
        drawFigure(form);
        const QImage image = surfaceimages::image(form.surface());
        QCOMPARE(countNot(image, image.pixelColor(form.width() - 1, 0)) > 100, checked);
    }

    void commaInFieldSurvives()
    {
        FormFixture fixture;
        Form1 &form = *fixture;
        setTexts(form, {{"Text5", "1,5"}, {"Text6", "2"}, {"Text13", "3"}});
        const QString path = fixture.dir.filePath("comma.par");
        fixture.dialogs.queueFile(path);
        click(form.Frame1->Command4);
        QVERIFY(readBytes(path).contains("\r\n1,5\r\n2\r\n3\r\n"));

        for (const QString &name : fieldNames)
            field(form, name)->setText("9");
        fixture.dialogs.queueFile(path);
        click(form.Frame1->Command5);

        QCOMPARE(fieldTexts(form), (QStringList{"", "", "", "", "1,5", "2", "", "", "", "", "3", ""}));
        VERIFY_READINGS(form, {{"foregroundColor", 16777215}, {"backgroundColor", 0}});
        QCOMPARE(fixture.dialogs.calls(), (QStringList{"chooseFile", "chooseFile"}));
    }

    void backgroundButton()
    {
        FormFixture fixture;
        Form1 &form = *fixture;
        drawFigure(form);
        const colors::Color picked = colors::rgb(0x12, 0x34, 0x56);
        fixture.dialogs.queueColor(picked);
        fixture.dialogs.queueColor(colors::rgb(1, 2, 3));

        click(form.Frame1->Command6);

        QCOMPARE(fixture.dialogs.colorCalls().size(), 1);
        QCOMPARE(fixture.dialogs.colorCalls()[0].initial, 0);
        QCOMPARE(fixture.dialogs.colorCalls()[0].title, QStringLiteral("Select background color"));
        VERIFY_READINGS(form,
                        {{"backgroundColor", picked}, {"backColor", picked}, {"foregroundColor", 16777215}});
        // The drawing is gone, persistent image included.
        VERIFY_FILLED(shown(form), QColor(0x12, 0x34, 0x56));
        VERIFY_FILLED(surfaceimages::image(form.surface()), QColor(0x12, 0x34, 0x56));
        QCOMPARE(form.state().drawingActive, std::int16_t(0));

        // The dialog starts from the current colour.
        click(form.Frame1->Command6);
        QCOMPARE(fixture.dialogs.colorCalls()[1].initial, picked);
        QCOMPARE(form.surface().backColor(), colors::rgb(1, 2, 3));
        QCOMPARE(fixture.dialogs.calls(), (QStringList{"chooseColor", "chooseColor"}));
    }

    void foregroundButton()
    {
        FormFixture fixture;
        Form1 &form = *fixture;
        drawFigure(form);
        const QImage before = shown(form);
        fixture.dialogs.queueColor(255);

        click(form.Frame1->Command7);

        QCOMPARE(fixture.dialogs.colorCalls().size(), 1);
        QCOMPARE(fixture.dialogs.colorCalls()[0].initial, 16777215);
        QCOMPARE(fixture.dialogs.colorCalls()[0].title, QStringLiteral("Select foreground color"));
        VERIFY_READINGS(form, {{"foregroundColor", 255}, {"backgroundColor", 0}});
        QCOMPARE(form.surface().foreColor(), colors::white);
        COMPARE_IMAGES(shown(form), before);

        const QString path = fixture.dir.filePath("red.par");
        fixture.dialogs.queueFile(path);
        click(form.Frame1->Command4);
        const QList<QByteArray> lines = readBytes(path).split('\n');
        QCOMPARE(lines.size(), 15);
        QCOMPARE(lines[12], QByteArray(" 255\r"));
        QCOMPARE(lines[13], QByteArray(" 0\r"));

        // The next figure is traced in the new colour: every pixel is either
        // background or the new pen colour.
        drawFigure(form);
        const QImage after = shown(form);
        QVERIFY(countNot(after, Qt::black) > 100);
        QCOMPARE(countNot(after, Qt::black) + countNot(after, Qt::red), after.width() * after.height());
    }

    void colourDialogFails_data()
    {
        QTest::addColumn<bool>("background");
        QTest::addColumn<int>("error");
        // Empty for no message.
        QTest::addColumn<QString>("message");
        const QString outOfMemory = failures::describe(failures::OutOfMemory);
        QTest::newRow("Background cancelled") << true << failures::Cancelled << QString();
        QTest::newRow("Foreground cancelled") << false << failures::Cancelled << QString();
        QTest::newRow("Background failed")
            << true << failures::OutOfMemory << "Error background color : " + outOfMemory;
        QTest::newRow("Foreground failed")
            << false << failures::OutOfMemory << "Error forground color : " + outOfMemory;
    }
    void colourDialogFails()
    {
        QFETCH(bool, background);
        QFETCH(int, error);
        QFETCH(QString, message);
        FormFixture fixture;
        Form1 &form = *fixture;
        drawFigure(form);
        const QImage before = shown(form);
        fixture.dialogs.queueColor(failures::make(error));
        if (!message.isEmpty())
            fixture.dialogs.queueMessage(Dialogs::Answer::Ok);

        click(background ? form.Frame1->Command6 : form.Frame1->Command7);

        VERIFY_ASKED(fixture.dialogs, message, {"chooseColor"});
        VERIFY_READINGS(form, {{"foregroundColor", 16777215}, {"backgroundColor", 0}, {"backColor", 0}});
        COMPARE_IMAGES(shown(form), before);
    }

    void print_data()
    {
        QTest::addColumn<int>("error");
        // Empty for no message.
        QTest::addColumn<QString>("message");
        QTest::newRow("printed") << 0 << QString();
        QTest::newRow("cancelled") << failures::Cancelled << QString();
        QTest::newRow("printer error")
            << failures::PrinterError << "Print error :  482 " + failures::describe(failures::PrinterError);
    }
    void print()
    {
        QFETCH(int, error);
        QFETCH(QString, message);
        FormFixture fixture;
        Form1 &form = *fixture;
        setChecked(form.Frame1->Check2, true);
        QVERIFY(form.Frame1->Command16->isEnabled());
        drawFigure(form);
        const QString pdf = fixture.dir.filePath("print.pdf");
        bool panelShownDuringDialog = true;
        fixture.dialogs.queuePrinter([&](QPrinter &printer) -> std::optional<Failure> {
            panelShownDuringDialog = form.Frame1->isVisible();
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            if (error)
                return failures::make(error);
            return std::nullopt;
        });
        if (!message.isEmpty())
            fixture.dialogs.queueMessage(Dialogs::Answer::Ok);

        click(form.Frame1->Command16);

        VERIFY_ASKED(fixture.dialogs, message, {"choosePrinter"});
        QCOMPARE(fixture.dialogs.printerCalls().first().options, 0x4000C);
        QCOMPARE(fixture.dialogs.printerCalls().first().title, QStringLiteral("Select printer"));
        QVERIFY(!panelShownDuringDialog);
        QVERIFY(form.Frame1->isVisible());
        if (error) {
            QVERIFY(!QFileInfo::exists(pdf));
        } else {
            QCOMPARE(readBytes(pdf).left(5), QByteArray("%PDF-"));
            // The progress mark was cleared from the printed image first.
            VERIFY_AREA(surfaceimages::image(form.surface()), panelArea(form), Qt::black);
            QVERIFY(countNot(surfaceimages::image(form.surface()), Qt::black, figureArea(form)) > 100);
        }
    }

    void printNeedsAutoRedraw()
    {
        FormFixture fixture;
        Form1 &form = *fixture;
        QVERIFY(!form.Frame1->Command16->isEnabled());

        click(form.Frame1->Command16);

        QCOMPARE(fixture.dialogs.calls(), QStringList());
        QVERIFY(form.Frame1->isVisible());
    }
};

QTEST_MAIN(TestFormFiles)
#include "test_form_files.moc"
