// SPDX-License-Identifier: GPL-3.0-or-later
#include "formfixture.h"
#include "imagecheck.h"
#include "pdfrecipe.h"
#include "picturerecipe.h"
#include "pngrecipe.h"
#include "rendercommand.h"
#include "settingslocation.h"
#include "surfaceimages.h"

#include <QDir>
#include <QDropEvent>
#include <QMimeData>
#include <QPainter>
#include <QPdfWriter>
#include <QSignalSpy>
#include <QUrl>

// Around the designed window: opening a file by name or by dropping it,
// Enter and F1, the focus after a run, and tooltips.

using namespace formtest;
using namespace testfiles;
using imagecheck::countNot;
using imagecheck::filled;

namespace {

// Drags `urls` over `target` and drops them there if the window takes the
// drag; true when it did.
bool drop(QWidget *target, const QList<QUrl> &urls)
{
    QMimeData data;
    data.setUrls(urls);
    data.setText(urls.value(0).toString());
    const QPoint centre = target->rect().center();
    QDragEnterEvent enter(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent dropped(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &dropped);
    QCoreApplication::processEvents();
    return true;
}

// Opens `path` as the window is asked to from outside: "named" on the
// command line or "dropped" on the canvas.
bool openFromOutside(Form1 &form, const QString &how, const QString &path)
{
    if (how == "named") {
        form.openFile(path);
        return true;
    }
    return drop(form.canvas, {QUrl::fromLocalFile(path)});
}

// Writes the figure of the parameter file `parameters` as a picture at
// `path`: a PNG or SVG by the render command, a PDF by Qt with the PNG's
// recipe in its metadata.
bool writePicture(const QString &parameters, const QString &path)
{
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    const bool pdf = path.endsWith(".pdf");
    const QString rendered = pdf ? path + ".png" : path;
    if (rendercommand::run({parameters, "-o", rendered, "-s", "200x150"}, outStream, errStream) != 0) {
        qWarning() << err;
        return false;
    }
    if (!pdf)
        return true;
    const picturetext::Reading recipe = pngrecipe::read(rendered);
    if (!recipe.text)
        return false;
    QPdfWriter writer(path);
    writer.setDocumentXmpMetadata(pdfrecipe::xmpMetadata(QString::fromUtf8(*recipe.text)));
    QPainter(&writer).drawImage(0, 0, QImage(rendered));
    return true;
}

const QByteArray flower =
    QByteArray("0.6\r\n7\r\n") + QByteArray("\r\n").repeated(10) + " 65535\r\n 8388608\r\n";

// Writes the flower's parameter file into `folder`, and its figure as the
// picture `name` there.
bool writeFlowerPicture(const QDir &folder, const QString &name)
{
    return writeBytes(folder.filePath("flower.par"), flower) &&
           writePicture(folder.filePath("flower.par"), folder.filePath(name));
}

} // namespace

class TestFormDesktop : public QObject {
    Q_OBJECT

private slots:
    // A name from the command line, a file dropped on the canvas and one
    // dropped on a field all open as Load does, without its dialog.
    void openByName_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("error"); // 0 for none, -1 for the wrong extension
        for (const QString how : {"named", "dropped", "dropped on a field"}) {
            QTest::newRow(qPrintable(how + ", parameters")) << how << "green.PAR" << 0;
            QTest::newRow(qPrintable(how + ", picture")) << how << "red.bmp" << 0;
            QTest::newRow(qPrintable(how + ", text")) << how << "notes.txt" << -1;
            QTest::newRow(qPrintable(how + ", corrupt picture"))
                << how << "bad.bmp" << failures::InvalidPicture;
        }
        QTest::newRow("named, missing file") << "named"
                                             << "absent.par" << failures::FileNotFound;
        QTest::newRow("named, missing folder") << "named"
                                               << "missing/green.par" << failures::PathNotFound;
    }
    void openByName()
    {
        QFETCH(QString, how);
        QFETCH(QString, name);
        QFETCH(int, error);
        FormFixture fixture;
        Form1 &form = *fixture;
        const QDir dir(fixture.dir.path());
        QVERIFY(writeBytes(dir.filePath("green.PAR"), "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\n"
                                                      "11\r\n12\r\n 255\r\n 65280\r\n"));
        QVERIFY(writeBytes(dir.filePath("bad.bmp"), "BM but no picture"));
        QVERIFY(writeBytes(dir.filePath("notes.txt"), "text"));
        QVERIFY(filled(QSize(40, 30), Qt::red).save(dir.filePath("red.bmp"), "BMP"));
        fillFields(form);
        if (error)
            fixture.dialogs.queueMessage(Dialogs::Answer::Ok);
        const QString path = dir.filePath(name);

        if (how == "named")
            form.openFile(path);
        else
            QVERIFY(drop(how == "dropped" ? static_cast<QWidget *>(form.canvas) : field(form, "Text8"),
                         {QUrl::fromLocalFile(path)}));

        const QString message = error < 0 ? QStringLiteral("Wrong file extension: txt")
                                : error   ? fileError("load", error)
                                          : QString();
        VERIFY_ASKED(fixture.dialogs, message);
        VERIFY_READINGS(form, {{"autoRedraw", 0}, {"Check2", 0}});
        if (name == "green.PAR") {
            QCOMPARE(fieldTexts(form),
                     (QStringList{"1", "2", "3", "4", "5", "6", "9", "10", "11", "12", "7", "8"}));
            VERIFY_READINGS(form, {{"foregroundColor", 255}, {"backgroundColor", 65280}});
            // Opened from outside, the figure is drawn at once in the pen's red.
            const QImage drawn = shown(form);
            const int red = imagecheck::count(drawn, Qt::red);
            QVERIFY2(red > 0, "the figure was not drawn");
            QCOMPARE(red + imagecheck::count(drawn, Qt::green), drawn.width() * drawn.height());
            return;
        }
        QCOMPARE(fieldTexts(form), fieldNames);
        QImage expected = filled(form.size(), Qt::black);
        if (name == "red.bmp")
            QPainter(&expected).fillRect(0, 0, 40, 30, Qt::red);
        COMPARE_IMAGES(shown(form), expected);
    }

    // A picture of ours opened from outside sets the fields and colours as
    // loading the parameters of its recipe does, and draws the figure.
    void openFigurePicture_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("name");
        for (const QString how : {"named", "dropped"})
            for (const QString name : {"figure.png", "figure.svg", "figure.pdf", "upper.PNG"})
                QTest::newRow(qPrintable(how + ", " + name)) << how << name;
    }
    void openFigurePicture()
    {
        QFETCH(QString, how);
        QFETCH(QString, name);
        FormFixture fixture;
        Form1 &form = *fixture;
        const QDir dir(fixture.dir.path());
        QVERIFY(writeFlowerPicture(dir, name));
        QFile picture(dir.filePath(name));
        QVERIFY(picture.open(QIODevice::ReadOnly));
        const auto format = picturerecipe::formatOf(picture.peek(picturerecipe::startBytes), name);
        QVERIFY(format);
        const recipetext::Reading recipe = picturerecipe::read(*format, picture);
        QVERIFY(recipe.figure);
        QStringList expected;
        for (const QString &field : fieldNames)
            expected << QString::fromStdString(recipe.figure->recipe.typed.text[fileOrder.indexOf(field)]);
        fillFields(form);

        QVERIFY(openFromOutside(form, how, dir.filePath(name)));

        VERIFY_ASKED(fixture.dialogs, QString());
        QCOMPARE(fieldTexts(form), expected);
        VERIFY_READINGS(form, {{"foregroundColor", 65535}, {"backgroundColor", 8388608}});
        const QImage opened =
            surfaceimages::screenImage(form.surface()).convertToFormat(QImage::Format_RGB32);
        QVERIFY2(imagecheck::count(opened, Qt::yellow) > 200, "the figure was not drawn");
        // The figure is the one "Draw" draws from the fields.
        click(form.Frame1->Command1);
        COMPARE_IMAGES(surfaceimages::screenImage(form.surface()).convertToFormat(QImage::Format_RGB32),
                       opened);
    }

    // A picture without a recipe says so, and changes nothing.
    void pictureWithoutRecipe_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("error");
        const QString none = QStringLiteral("the picture carries no Volutra recipe");
        for (const QString how : {"named", "dropped"}) {
            QTest::newRow(qPrintable(how + ", PNG")) << how << "plain.png" << none;
            QTest::newRow(qPrintable(how + ", SVG")) << how << "plain.svg" << none;
            QTest::newRow(qPrintable(how + ", PDF")) << how << "plain.pdf" << none;
            QTest::newRow(qPrintable(how + ", text named .png")) << how << "notes.png"
                                                                 << "not a readable PNG picture (";
        }
    }
    void pictureWithoutRecipe()
    {
        QFETCH(QString, how);
        QFETCH(QString, name);
        QFETCH(QString, error);
        FormFixture fixture;
        Form1 &form = *fixture;
        const QDir dir(fixture.dir.path());
        QVERIFY(filled(QSize(20, 10), Qt::red).save(dir.filePath("plain.png")));
        QVERIFY(writeBytes(dir.filePath("plain.svg"), "<svg xmlns=\"http://www.w3.org/2000/svg\"/>"));
        QVERIFY(writeBytes(dir.filePath("notes.png"), "text"));
        {
            QPdfWriter writer(dir.filePath("plain.pdf"));
            QPainter(&writer).fillRect(0, 0, 10, 10, Qt::red);
        }
        fillFields(form);
        fixture.dialogs.queueMessage(Dialogs::Answer::Ok);

        QVERIFY(openFromOutside(form, how, dir.filePath(name)));

        QCOMPARE(fixture.dialogs.calls(), QStringList{"message"});
        const QString shownText = fixture.dialogs.messages().last().text;
        const QString prefix = "Cannot take the recipe of " + dir.filePath(name) + ": " + error;
        QVERIFY2(shownText.startsWith(prefix), qPrintable(shownText));
        QCOMPARE(fieldTexts(form), fieldNames);
        VERIFY_FILLED(shown(form), Qt::black);
    }

    // Load's own dialog still takes parameter files and bitmaps alone.
    void loadDialogRefusesPictures()
    {
        FormFixture fixture;
        Form1 &form = *fixture;
        const QString path = fixture.dir.filePath("figure.png");
        QVERIFY(writeFlowerPicture(QDir(fixture.dir.path()), "figure.png"));
        fillFields(form);
        fixture.dialogs.queueFile(path);
        fixture.dialogs.queueMessage(Dialogs::Answer::Ok);

        click(form.Frame1->Command5);

        VERIFY_ASKED(fixture.dialogs, "Wrong file extension: png", {"chooseFile"});
        QCOMPARE(fieldTexts(form), fieldNames);
    }

    // A file dropped during an automatic run stops it, then opens and draws.
    void dropDuringAutoRun()
    {
        FormFixture fixture;
        Form1 &form = *fixture;
        const QString path = fixture.dir.filePath("figure.png");
        QVERIFY(writeFlowerPicture(QDir(fixture.dir.path()), "figure.png"));
        bool dropped = false;
        duringRun(form, 50, [&] { dropped = drop(form.canvas, {QUrl::fromLocalFile(path)}); });
        // Should the drop not stop the run, the test ends it rather than hang.
        duringRun(form, 10000, [&] { click(form.Frame1->Command17); });

        click(form.Frame1->Command17);
        QTRY_COMPARE(form.state().drawingActive, std::int16_t(0));
        QCoreApplication::processEvents();

        QVERIFY(dropped);
        QCOMPARE(form.state().autoRunActive, std::int16_t(0));
        QCOMPARE(field(form, "Text1")->text(), QStringLiteral("0.6"));
        VERIFY_READINGS(form, {{"foregroundColor", 65535}, {"backgroundColor", 8388608}});
        QVERIFY(imagecheck::count(
                    surfaceimages::screenImage(form.surface()).convertToFormat(QImage::Format_RGB32),
                    Qt::yellow) > 200);
    }

    // Only a drag of one local file is taken.
    void dropRefused()
    {
        FormFixture fixture;
        const QUrl file = QUrl::fromLocalFile(fixture.dir.filePath("a.par"));
        for (const QList<QUrl> &urls : {QList<QUrl>{file, file}, {QUrl("https://example.org/a.par")}, {}})
            QVERIFY(!drop(fixture->canvas, urls));
        QVERIFY(fixture.dialogs.calls().isEmpty());
    }

    void enterPressesDraw_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("key");
        for (const QString &name : fieldNames)
            QTest::newRow(qPrintable(name + ", Return")) << name << int(Qt::Key_Return);
        QTest::newRow("Text14, keypad Enter") << "Text14" << int(Qt::Key_Enter);
    }
    void enterPressesDraw()
    {
        QFETCH(QString, name);
        QFETCH(int, key);
        FormFixture fixture;
        Form1 &form = *fixture;
        QVERIFY(activate(form));
        setTexts(form, {{"Text1", "1500"}, {"Text2", "3"}});
        field(form, name)->setFocus();
        QSignalSpy draws(form.Frame1->Command1, &QPushButton::clicked);
        // Enter during the run starts no second one.
        duringRun(form, 0, [&] { QTest::keyClick(field(form, name), Qt::Key_Return); });

        QTest::keyClick(field(form, name), Qt::Key(key),
                        key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);

        QCOMPARE(draws.count(), 1);
        QVERIFY2(countNot(shown(form), Qt::black) > 100, "nothing was drawn");
        QCOMPARE(focusName(), name);
    }

    // Space on "Draw" draws, and a second Space draws again rather than
    // starting an automatic run; a focus moved during the run stays.
    void focusAfterRun_data()
    {
        QTest::addColumn<QString>("focusDuringRun");
        QTest::addColumn<QString>("focusAfterRun");
        QTest::newRow("left alone") << QString() << "Command1";
        QTest::newRow("moved to a field") << "Text3"
                                          << "Text3";
    }
    void focusAfterRun()
    {
        QFETCH(QString, focusDuringRun);
        QFETCH(QString, focusAfterRun);
        FormFixture fixture;
        Form1 &form = *fixture;
        QVERIFY(activate(form));
        setTexts(form, {{"Text1", "1500"}, {"Text2", "3"}});
        form.Frame1->Command5->setFocus();
        QTest::keyClick(form.Frame1->Command5, Qt::Key_Tab);
        QCOMPARE(focusName(), QStringLiteral("Command1"));
        if (!focusDuringRun.isEmpty())
            duringRun(form, 0, [&] { field(form, focusDuringRun)->setFocus(); });

        QTest::keyClick(form.Frame1->Command1, Qt::Key_Space);

        QCOMPARE(focusName(), focusAfterRun);
        if (focusAfterRun == "Command1")
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QCOMPARE(form.state().autoRunActive, std::int16_t(0));
        QCOMPARE(fieldTexts(form).mid(0, 2), (QStringList{"1500", "3"}));
    }

    void f1OpensHelp()
    {
        FormFixture fixture;
        QVERIFY(activate(*fixture));
        field(*fixture, "Text1")->setText("1500");
        QTest::keyClick(field(*fixture, "Text5"), Qt::Key_F1);
        QCOMPARE(fixture.dialogs.openedFiles(), QStringList{helpFilePath()});
        QCOMPARE(field(*fixture, "Text1")->text(), QStringLiteral("1500"));
    }

    void everyControlExplainsItself()
    {
        FormFixture fixture;
        const QList<QWidget *> controls = fixture->Frame1->findChildren<QWidget *>();
        int explained = 0;
        for (const QWidget *control : controls) {
            if (qobject_cast<const QLineEdit *>(control) || qobject_cast<const QAbstractButton *>(control)) {
                QVERIFY2(!control->toolTip().isEmpty(), qPrintable(control->objectName()));
                ++explained;
            }
        }
        QCOMPARE(explained, 12 + 2 + 9);
        const QString autoRedraw = fixture->Frame1->Check2->toolTip();
        QVERIFY(autoRedraw.contains("Save") && autoRedraw.contains("Print"));
    }
};

QTEST_MAIN(TestFormDesktop)
#include "test_form_desktop.moc"
