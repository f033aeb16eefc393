#include "formfixture.h"
#include "imagecheck.h"
#include "settingslocation.h"

#include <QDir>
#include <QDropEvent>
#include <QMimeData>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

// What the window offers around its designed behaviour: opening a file by
// name or by dropping it, Enter and F1, the focus after a run, and tooltips.

using namespace formtest;
using namespace testfiles;
using imagecheck::countNot;
using imagecheck::filled;

namespace {

const QByteArray greenFigure =
    "300\r\n2.5\r\n\r\n1,5\r\nx\r\n6\r\n7\r\n8\r\n9\r\n10\r\n11\r\n12\r\n 255\r\n 65280\r\n";
const QStringList greenFields = {"300", "2.5", "", "1,5", "x", "6", "9", "10", "11", "12", "7", "8"};

QString loadError(int number)
{
    return QStringLiteral("File load error :  %1 %2").arg(number).arg(failures::describe(number));
}

// Drags `urls` over `target` and, when the window takes them, drops them
// there; true when the drag was taken.
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
    // The window opens the file once the drop is over.
    QCoreApplication::processEvents();
    return true;
}

} // namespace

class TestFormDesktop : public QObject {
    Q_OBJECT

private slots:
    // A name given on the command line, a file dropped on the canvas and one
    // dropped on a field all open as Load does, without its dialog.
    void openByName_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("name");
        // Empty for no message.
        QTest::addColumn<QString>("message");
        for (const char *how : {"named", "dropped", "dropped on a field"}) {
            const auto row = [how](const char *what, const char *name, const QString &message) {
                QTest::newRow(qPrintable(QString("%1, %2").arg(how, what))) << how << name << message;
            };
            row("parameters", "green.PAR", {});
            row("picture", "red.bmp", {});
            row("other extension", "notes.txt", "Wrong file extension: txt");
            row("corrupt picture", "bad.bmp", loadError(failures::InvalidPicture));
            if (QString(how) == "named") {
                row("missing file", "absent.par", loadError(failures::FileNotFound));
                row("missing folder", "missing/green.par", loadError(failures::PathNotFound));
            }
        }
    }
    void openByName()
    {
        QFETCH(QString, how);
        QFETCH(QString, name);
        QFETCH(QString, message);
        FormFixture fixture;
        Form1 &form = *fixture;
        const QDir dir(fixture.dir.path());
        QVERIFY(writeBytes(dir.filePath("green.PAR"), greenFigure));
        QVERIFY(writeBytes(dir.filePath("bad.bmp"), "BM but no picture"));
        QVERIFY(writeBytes(dir.filePath("notes.txt"), "text"));
        QImage picture = filled(QSize(40, 30), Qt::red);
        picture.setPixelColor(39, 29, Qt::blue);
        QVERIFY(picture.save(dir.filePath("red.bmp"), "BMP"));
        fillFields(form);
        if (!message.isEmpty())
            fixture.dialogs.queueMessage(Dialogs::Answer::Ok);
        const QString path = dir.filePath(name);

        if (how == "named")
            form.openFile(path);
        else
            QVERIFY(drop(how == "dropped" ? static_cast<QWidget *>(form.canvas) : field(form, "Text8"),
                         {QUrl::fromLocalFile(path)}));

        QCOMPARE(fixture.dialogs.calls(), message.isEmpty() ? QStringList() : QStringList{"message"});
        if (!message.isEmpty())
            QCOMPARE(fixture.dialogs.messages().first().text, message);
        QVERIFY(fixture.dialogs.exhausted());
        VERIFY_READINGS(form, {{"autoRedraw", 0}, {"Check2", 0}});
        if (name == "green.PAR") {
            QCOMPARE(fieldTexts(form), greenFields);
            VERIFY_READINGS(form, {{"foregroundColor", 255}, {"backgroundColor", 65280}});
            VERIFY_FILLED(shown(form), Qt::green);
            return;
        }
        QCOMPARE(fieldTexts(form), fieldNames);
        QImage expected = filled(form.size(), Qt::black);
        if (name == "red.bmp")
            QPainter(&expected).drawImage(0, 0, picture);
        COMPARE_IMAGES(shown(form), expected);
    }

    // Only a drag of one local file is taken.
    void dropRefused_data()
    {
        QTest::addColumn<QList<QUrl>>("urls");
        QTest::newRow("two files") << QList<QUrl>{QUrl::fromLocalFile("/tmp/a.par"),
                                                  QUrl::fromLocalFile("/tmp/b.par")};
        QTest::newRow("a web address") << QList<QUrl>{QUrl("https://example.org/a.par")};
        QTest::newRow("no file") << QList<QUrl>{};
    }
    void dropRefused()
    {
        QFETCH(QList<QUrl>, urls);
        FormFixture fixture;
        Form1 &form = *fixture;
        QVERIFY(!drop(form.canvas, urls));
        QVERIFY(fixture.dialogs.calls().isEmpty());
    }

    void enterPressesDraw_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("key");
        for (const QString &name : fieldNames)
            QTest::newRow(qPrintable(name + ", Return")) << name << int(Qt::Key_Return);
        QTest::newRow("Text1, keypad Enter") << "Text1" << int(Qt::Key_Enter);
        QTest::newRow("Text14, keypad Enter") << "Text14" << int(Qt::Key_Enter);
    }
    void enterPressesDraw()
    {
        QFETCH(QString, name);
        QFETCH(int, key);
        FormFixture fixture;
        Form1 &form = *fixture;
        QVERIFY(activate(form));
        setTexts(form, {{"Text1", "1500"}, {"Text2", "3"}, {"Text3", "1500"}, {"Text4", "2"}});
        QLineEdit *edit = field(form, name);
        edit->setFocus();
        QVERIFY(form.Frame1->Command1->isDefault());

        QTest::keyClick(edit, Qt::Key(key), key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);

        QVERIFY2(countNot(shown(form), Qt::black) > 100, "nothing was drawn");
        QCOMPARE(focusName(), name);
        QCOMPARE(form.Frame1->Command17->text(), QStringLiteral("Auto Run"));
    }

    void enterDuringRunDoesNotRestart()
    {
        FormFixture fixture;
        Form1 &form = *fixture;
        QVERIFY(activate(form));
        form.state().turns = 300;
        QSignalSpy draws(form.Frame1->Command1, &QPushButton::clicked);
        bool pressed = false;
        duringRun(form, 50, [&] {
            QTest::keyClick(field(form, "Text2"), Qt::Key_Return);
            pressed = true;
            click(form.Frame1->Command17);
        });
        click(form.Frame1->Command1);
        QVERIFY(pressed);
        QCOMPARE(draws.count(), 1);
        QCOMPARE(form.state().drawingActive, std::int16_t(0));
    }

    // Space on "Draw" draws, and a second Space draws again rather than
    // starting an automatic run; a focus the user moved during the run stays.
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
        setTexts(form, {{"Text1", "1500"}, {"Text2", "3"}, {"Text3", "1500"}, {"Text4", "2"}});
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
        QCOMPARE(fieldTexts(form).mid(0, 4), (QStringList{"1500", "3", "1500", "2"}));
        QVERIFY(form.Frame1->Command1->isEnabled());
    }

    void f1OpensHelp()
    {
        FormFixture fixture;
        Form1 &form = *fixture;
        QVERIFY(activate(form));
        field(form, "Text1")->setText("1500");

        QTest::keyClick(field(form, "Text5"), Qt::Key_F1);

        QCOMPARE(fixture.dialogs.calls(), QStringList{"openTextFile"});
        QCOMPARE(fixture.dialogs.openedFiles(), QStringList{helpFilePath()});
        QCOMPARE(field(form, "Text1")->text(), QStringLiteral("1500"));
    }

    void everyControlExplainsItself()
    {
        FormFixture fixture;
        const QList<QWidget *> controls = fixture->Frame1->findChildren<QWidget *>();
        int explained = 0;
        for (const QWidget *control : controls) {
            if (!qobject_cast<const QLineEdit *>(control) && !qobject_cast<const QAbstractButton *>(control))
                continue;
            QVERIFY2(!control->toolTip().isEmpty(), qPrintable(control->objectName()));
            ++explained;
        }
        QCOMPARE(explained, 12 + 2 + 9);
        const QString autoRedraw = fixture->Frame1->Check2->toolTip();
        QVERIFY(autoRedraw.contains("Save") && autoRedraw.contains("Print"));
        for (const QString &name : fieldNames)
            QVERIFY2(field(*fixture, name)->toolTip().contains("1,5"), qPrintable(name));
    }
};

QTEST_MAIN(TestFormDesktop)
#include "test_form_desktop.moc"
