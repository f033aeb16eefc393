#include "dialogfilters.h"
#include "qtdialogs.h"
#include "scripteddialogs.h"
#include "testfiles.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

using MessageAction = std::function<void(QMessageBox *)>;

Q_DECLARE_METATYPE(FileDialogRequest::Mode)
Q_DECLARE_METATYPE(Dialogs::Buttons)
Q_DECLARE_METATYPE(Dialogs::Answer)
Q_DECLARE_METATYPE(MessageAction)

namespace {

// Hands the next modal dialog to `handle`, which must close it: exec() does
// not return before. A modal widget of another type is rejected so that the
// test fails instead of hanging.
template <typename W> void whenModal(std::function<void(W *)> handle)
{
    auto *timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, handle] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        timer->stop();
        timer->deleteLater();
        if (auto *widget = qobject_cast<W *>(modal))
            handle(widget);
        else if (auto *dialog = qobject_cast<QDialog *>(modal))
            dialog->reject();
        else
            modal->close();
    });
    timer->start();
}

bool refuse(const QUrl &)
{
    return false;
}

// The one viewer window open; none when there are several.
QPlainTextEdit *viewerWindow()
{
    QPlainTextEdit *found = nullptr;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *viewer = qobject_cast<QPlainTextEdit *>(widget)) {
            if (found)
                return nullptr;
            found = viewer;
        }
    }
    return found;
}

FileDialogRequest pictureRequest(FileDialogRequest::Mode mode, const QString &fileName = {})
{
    return {mode, QStringLiteral("Save picture"),
            QStringLiteral("Pictures (*.bmp)|*.bmp|Parameters (*.par)|*.par"), QStringLiteral("BMP"),
            fileName};
}

} // namespace

class TestDialogs : public QObject {
    Q_OBJECT
private slots:
    void cleanup()
    {
        while (QPlainTextEdit *viewer = viewerWindow())
            delete viewer;
    }

    void nameFilters_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("program's filter") << "Pictures (*.bmp)|*.bmp|Parameters (*.par)|*.par"
                                          << QStringList{"Pictures (*.bmp)", "Parameters (*.par)"};
        QTest::newRow("empty") << "" << QStringList{};
        QTest::newRow("trailing bar") << "Pictures (*.bmp)|*.bmp|" << QStringList{"Pictures (*.bmp)"};
        QTest::newRow("odd number of parts")
            << "Pictures (*.bmp)|*.bmp|Parameters (*.par)" << QStringList{"Pictures (*.bmp)"};
        QTest::newRow("description alone") << "Pictures (*.bmp)" << QStringList{};
        QTest::newRow("bar alone") << "|" << QStringList{};
        QTest::newRow("pair without pattern") << "Pictures (*.bmp)|*.bmp|All||Parameters (*.par)|*.par"
                                              << QStringList{"Pictures (*.bmp)", "Parameters (*.par)"};
        QTest::newRow("description without patterns") << "Pictures|*.bmp" << QStringList{"Pictures (*.bmp)"};
        QTest::newRow("pattern without description") << "|*.bmp" << QStringList{"*.bmp"};
        QTest::newRow("description names another pattern")
            << "Pictures (*.bmp)|*.dib" << QStringList{"Pictures (*.bmp) (*.dib)"};
        QTest::newRow("several patterns")
            << "Images (*.bmp;*.dib)|*.bmp;*.dib" << QStringList{"Images (*.bmp *.dib)"};
        QTest::newRow("blanks around parts")
            << " Pictures (*.bmp) | *.bmp " << QStringList{"Pictures (*.bmp)"};
    }
    void nameFilters()
    {
        QFETCH(QString, filter);
        QFETCH(QStringList, expected);
        QCOMPARE(dialogfilters::nameFilters(filter), expected);
    }

    void scriptedAnswersComeBackInOrder()
    {
        ScriptedDialogs dialogs;
        QVERIFY(dialogs.exhausted());
        dialogs.queueFile(QStringLiteral("/tmp/a.bmp"));
        dialogs.queueFile(failures::make(failures::PathNotFound));
        dialogs.queueColor(255);
        dialogs.queueColor(failures::make(failures::Cancelled));
        dialogs.queueMessage(Dialogs::Answer::No);
        dialogs.queueMessage(Dialogs::Answer::Ok);
        dialogs.queuePrinter([](QPrinter &printer) -> std::optional<Failure> {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(QStringLiteral("/tmp/out.pdf"));
            return std::nullopt;
        });
        dialogs.queuePrinter(failures::make(failures::PrinterError));

        const FileDialogRequest request = pictureRequest(FileDialogRequest::Mode::Save);
        QCOMPARE(std::get<QString>(dialogs.chooseFile(request)), QStringLiteral("/tmp/a.bmp"));
        QCOMPARE(std::get<Failure>(dialogs.chooseFile(request)).number, failures::PathNotFound);
        QCOMPARE(std::get<colors::Color>(dialogs.chooseColor(0, {})), 255);
        QCOMPARE(std::get<Failure>(dialogs.chooseColor(0, {})).number, failures::Cancelled);
        QCOMPARE(dialogs.message({}, Dialogs::Buttons::YesNoCancel), Dialogs::Answer::No);
        QCOMPARE(dialogs.message({}, Dialogs::Buttons::Ok), Dialogs::Answer::Ok);
        QPrinter printer;
        QCOMPARE(dialogs.choosePrinter(printer, 0, {}), std::nullopt);
        QCOMPARE(printer.outputFormat(), QPrinter::PdfFormat);
        QCOMPARE(printer.outputFileName(), QStringLiteral("/tmp/out.pdf"));
        // A printer answer left counts.
        QVERIFY(!dialogs.exhausted());
        const std::optional<Failure> failure = dialogs.choosePrinter(printer, 0, {});
        QVERIFY(failure);
        QCOMPARE(failure->number, failures::PrinterError);
        QVERIFY(dialogs.exhausted());
        QVERIFY(dialogs.unexpectedCalls().isEmpty());
    }

    void scriptedRecordsCalls()
    {
        ScriptedDialogs dialogs;
        dialogs.queueFile(QStringLiteral("x.par"));
        dialogs.queueColor(1);
        dialogs.queuePrinter();
        dialogs.queueMessage(Dialogs::Answer::Yes);

        dialogs.chooseFile(pictureRequest(FileDialogRequest::Mode::Open, QStringLiteral("start")));
        dialogs.chooseColor(65280, QStringLiteral("Select foreground color"));
        QPrinter printer;
        QCOMPARE(dialogs.choosePrinter(printer, 0x4000C, QStringLiteral("Select printer")), std::nullopt);
        dialogs.message(QStringLiteral("Do you wish to save settings?"), Dialogs::Buttons::YesNoCancel,
                        QStringLiteral("Save Volutra settings"));
        dialogs.openTextFile(QStringLiteral("/opt/volutra/readme.txt"));

        QCOMPARE(dialogs.calls(),
                 (QStringList{"chooseFile", "chooseColor", "choosePrinter", "message", "openTextFile"}));
        QCOMPARE(dialogs.fileRequests().size(), 1);
        const FileDialogRequest &request = dialogs.fileRequests().first();
        QCOMPARE(request.mode, FileDialogRequest::Mode::Open);
        QCOMPARE(request.title, QStringLiteral("Save picture"));
        QCOMPARE(request.filter, QStringLiteral("Pictures (*.bmp)|*.bmp|Parameters (*.par)|*.par"));
        QCOMPARE(request.defaultExtension, QStringLiteral("BMP"));
        QCOMPARE(request.fileName, QStringLiteral("start"));
        QCOMPARE(dialogs.colorCalls().size(), 1);
        QCOMPARE(dialogs.colorCalls().first().initial, 65280);
        QCOMPARE(dialogs.colorCalls().first().title, QStringLiteral("Select foreground color"));
        QCOMPARE(dialogs.printerCalls().size(), 1);
        QCOMPARE(dialogs.printerCalls().first().options, 0x4000C);
        QCOMPARE(dialogs.printerCalls().first().title, QStringLiteral("Select printer"));
        QCOMPARE(dialogs.messages().size(), 1);
        QCOMPARE(dialogs.messages().first().text, QStringLiteral("Do you wish to save settings?"));
        QCOMPARE(dialogs.messages().first().buttons, Dialogs::Buttons::YesNoCancel);
        QCOMPARE(dialogs.messages().first().caption, QStringLiteral("Save Volutra settings"));
        QCOMPARE(dialogs.openedFiles(), QStringList{"/opt/volutra/readme.txt"});
        QVERIFY(dialogs.exhausted());
        QVERIFY(dialogs.unexpectedCalls().isEmpty());
    }

    // Calls without a queued answer, and answers with a button the message
    // does not offer, are reported and answered as a cancel.
    void scriptedReportsUnexpectedCalls()
    {
        ScriptedDialogs dialogs;
        for (const char *call :
             {"unexpected chooseFile", "unexpected chooseColor", "unexpected choosePrinter",
              "unexpected message", "unexpected message", "does not offer", "does not offer"})
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(call));

        QCOMPARE(std::get<Failure>(dialogs.chooseFile(pictureRequest(FileDialogRequest::Mode::Save))).number,
                 failures::Cancelled);
        QCOMPARE(std::get<Failure>(dialogs.chooseColor(0, QStringLiteral("Select background color"))).number,
                 failures::Cancelled);
        QPrinter printer;
        QCOMPARE(dialogs.choosePrinter(printer, 0x4000C, QStringLiteral("Select printer"))->number,
                 failures::Cancelled);
        QCOMPARE(
            dialogs.message(QStringLiteral("Do you wish to save settings?"), Dialogs::Buttons::YesNoCancel),
            Dialogs::Answer::Cancel);
        QCOMPARE(dialogs.message(QStringLiteral("Print error"), Dialogs::Buttons::Ok), Dialogs::Answer::Ok);
        QVERIFY(dialogs.exhausted());

        dialogs.queueMessage(Dialogs::Answer::Yes);
        dialogs.queueMessage(Dialogs::Answer::Ok);
        QCOMPARE(dialogs.message(QStringLiteral("File save error"), Dialogs::Buttons::Ok),
                 Dialogs::Answer::Ok);
        QCOMPARE(dialogs.message(QStringLiteral("Save?"), Dialogs::Buttons::YesNoCancel),
                 Dialogs::Answer::Cancel);

        const QStringList unexpected = dialogs.unexpectedCalls();
        QCOMPARE(unexpected.size(), 7);
        QVERIFY(unexpected[0].contains("Save picture"));
        QVERIFY(unexpected[1].contains("Select background color"));
        QVERIFY(unexpected[2].contains("0x4000c"));
        QVERIFY(unexpected[3].contains("Do you wish to save settings?"));
        QVERIFY(unexpected[4].contains("Print error"));
        QVERIFY(unexpected[5].contains("File save error"));
        QVERIFY(unexpected[6].contains("Save?"));
    }

    // The file dialog's settings, and what it returns when cancelled or when
    // a name is typed.
    void fileDialog_data()
    {
        QTest::addColumn<FileDialogRequest::Mode>("mode");
        // Empty when the dialog is cancelled.
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected");
        QTest::newRow("save, cancelled") << FileDialogRequest::Mode::Save << QString() << QString();
        QTest::newRow("open, cancelled") << FileDialogRequest::Mode::Open << QString() << QString();
        QTest::newRow("save, no extension") << FileDialogRequest::Mode::Save << "figure"
                                            << "figure.BMP";
        QTest::newRow("save, own extension") << FileDialogRequest::Mode::Save << "figure.par"
                                             << "figure.par";
        QTest::newRow("open, missing file") << FileDialogRequest::Mode::Open << "missing.Bmp"
                                            << "missing.Bmp";
    }
    void fileDialog()
    {
        QFETCH(FileDialogRequest::Mode, mode);
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        struct {
            bool seen = false;
            QString title;
            QStringList filters;
            QString selectedFilter;
            QFileDialog::AcceptMode acceptMode = QFileDialog::AcceptOpen;
            QFileDialog::FileMode fileMode = QFileDialog::Directory;
            bool confirmOverwrite = true;
            QString suffix;
        } shown;
        whenModal<QFileDialog>([&shown, &typed](QFileDialog *dialog) {
            shown = {true,
                     dialog->windowTitle(),
                     dialog->nameFilters(),
                     dialog->selectedNameFilter(),
                     dialog->acceptMode(),
                     dialog->fileMode(),
                     !dialog->testOption(QFileDialog::DontConfirmOverwrite),
                     dialog->defaultSuffix()};
            if (typed.isEmpty())
                dialog->reject();
            else // QFileDialog hides its override of accept(), which checks the name.
                static_cast<QDialog *>(dialog)->accept();
        });
        QtDialogs dialogs(nullptr, refuse);
        const DialogResult<QString> result =
            dialogs.chooseFile(pictureRequest(mode, typed.isEmpty() ? QString() : dir.filePath(typed)));
        QVERIFY(shown.seen);
        QCOMPARE(shown.title, QStringLiteral("Save picture"));
        QCOMPARE(shown.filters, (QStringList{"Pictures (*.bmp)", "Parameters (*.par)"}));
        QCOMPARE(shown.selectedFilter, QStringLiteral("Pictures (*.bmp)"));
        QCOMPARE(shown.acceptMode,
                 mode == FileDialogRequest::Mode::Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        QCOMPARE(shown.fileMode, QFileDialog::AnyFile);
        QVERIFY(!shown.confirmOverwrite);
        QCOMPARE(shown.suffix, QStringLiteral("BMP"));
        QCOMPARE(std::holds_alternative<Failure>(result), typed.isEmpty());
        if (typed.isEmpty()) {
            QCOMPARE(std::get<Failure>(result).number, 32755);
            QCOMPARE(std::get<Failure>(result).description, failures::describe(failures::Cancelled));
        } else {
            QCOMPARE(std::get<QString>(result), dir.filePath(expected));
        }
    }

    void colorDialog_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::newRow("accepted") << true;
        QTest::newRow("cancelled") << false;
    }
    void colorDialog()
    {
        QFETCH(bool, accept);
        QColor initial;
        QString title;
        whenModal<QColorDialog>([&](QColorDialog *dialog) {
            initial = dialog->currentColor();
            title = dialog->windowTitle();
            dialog->setCurrentColor(QColor(1, 2, 3));
            if (accept)
                dialog->accept();
            else
                dialog->reject();
        });
        QtDialogs dialogs(nullptr, refuse);
        const DialogResult<colors::Color> result =
            dialogs.chooseColor(colors::rgb(10, 20, 30), QStringLiteral("Select background color"));
        QCOMPARE(initial, QColor(10, 20, 30));
        QCOMPARE(title, QStringLiteral("Select background color"));
        QCOMPARE(std::holds_alternative<colors::Color>(result), accept);
        if (accept)
            QCOMPARE(std::get<colors::Color>(result), 1 + 256 * 2 + 65536 * 3);
        else
            QCOMPARE(std::get<Failure>(result).number, failures::Cancelled);
    }

    void printDialogOptions_data()
    {
        QTest::addColumn<int>("options");
        QTest::addColumn<bool>("selection");
        QTest::addColumn<bool>("pageRange");
        QTest::addColumn<bool>("collate");
        QTest::newRow("program's options") << 0x4000C << false << false << false;
        QTest::newRow("none") << 0 << true << true << true;
        QTest::newRow("no selection") << Dialogs::NoSelection << false << true << true;
        QTest::newRow("no page numbers") << Dialogs::NoPageNumbers << true << false << true;
        QTest::newRow("printer copies") << Dialogs::PrinterCopies << true << true << false;
    }
    void printDialogOptions()
    {
        QFETCH(int, options);
        QFETCH(bool, selection);
        QFETCH(bool, pageRange);
        QFETCH(bool, collate);
        struct {
            bool seen = false;
            QString title;
            QAbstractPrintDialog::PrintDialogOptions options;
        } shown;
        whenModal<QPrintDialog>([&shown](QPrintDialog *dialog) {
            shown = {true, dialog->windowTitle(), dialog->options()};
            dialog->reject();
        });
        QtDialogs dialogs(nullptr, refuse);
        QPrinter printer;
        const std::optional<Failure> failure =
            dialogs.choosePrinter(printer, options, QStringLiteral("Select printer"));
        QVERIFY(shown.seen);
        QCOMPARE(shown.title, QStringLiteral("Select printer"));
        QCOMPARE(shown.options.testFlag(QAbstractPrintDialog::PrintSelection), selection);
        QCOMPARE(shown.options.testFlag(QAbstractPrintDialog::PrintPageRange), pageRange);
        QCOMPARE(shown.options.testFlag(QAbstractPrintDialog::PrintCollateCopies), collate);
        QVERIFY(failure);
        QCOMPARE(failure->number, failures::Cancelled);
    }

    void messageBox_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<Dialogs::Buttons>("buttons");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("shownText");
        QTest::addColumn<QString>("shownCaption");
        // Only "OK" for the messages; the save prompt's buttons are checked by messageAnswers().
        const auto okRow = [](const char *tag, const char *text, const char *shownText) {
            QTest::newRow(tag) << QString(text) << Dialogs::Buttons::Ok << QString() << QString(shownText)
                               << QStringLiteral("VOLUTRA");
        };
        QTest::newRow("save prompt") << "Do you wish to save settings?" << Dialogs::Buttons::YesNoCancel
                                     << "Save Volutra settings"
                                     << "Do you wish to save settings?"
                                     << "Save Volutra settings";
        okRow("error without caption", "Print error :  482 Printer error",
              "Print error :  482 Printer error");
        okRow("line break", "Could not save settings: \r\nDisk full", "Could not save settings: \nDisk full");
        okRow("markup stays text", "<b>x</b>", "<b>x</b>");
    }
    void messageBox()
    {
        QFETCH(QString, text);
        QFETCH(Dialogs::Buttons, buttons);
        QFETCH(QString, caption);
        QFETCH(QString, shownText);
        QFETCH(QString, shownCaption);
        const bool okOnly = buttons == Dialogs::Buttons::Ok;
        struct {
            bool seen = false;
            QString text;
            QString caption;
            Qt::TextFormat format = Qt::AutoText;
            QMessageBox::StandardButtons buttons;
            QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
            QMessageBox::StandardButton escapeButton = QMessageBox::NoButton;
        } shown;
        whenModal<QMessageBox>([&shown](QMessageBox *box) {
            shown = {true,
                     box->text(),
                     box->windowTitle(),
                     box->textFormat(),
                     box->standardButtons(),
                     box->standardButton(box->defaultButton()),
                     box->standardButton(box->escapeButton())};
            box->button(shown.defaultButton)->click();
        });
        QtDialogs dialogs(nullptr, refuse);
        const Dialogs::Answer answer = dialogs.message(text, buttons, caption);
        QVERIFY(shown.seen);
        QCOMPARE(shown.text, shownText);
        QCOMPARE(shown.caption, shownCaption);
        QCOMPARE(shown.format, Qt::PlainText);
        QCOMPARE(shown.buttons, okOnly ? QMessageBox::StandardButtons(QMessageBox::Ok)
                                       : QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QCOMPARE(shown.defaultButton, okOnly ? QMessageBox::Ok : QMessageBox::Yes);
        QCOMPARE(shown.escapeButton, okOnly ? QMessageBox::Ok : QMessageBox::Cancel);
        QCOMPARE(answer, okOnly ? Dialogs::Answer::Ok : Dialogs::Answer::Yes);
    }

    void messageAnswers_data()
    {
        QTest::addColumn<MessageAction>("act");
        QTest::addColumn<Dialogs::Answer>("expected");
        const auto clicking = [](QMessageBox::StandardButton button) {
            return MessageAction([button](QMessageBox *box) { box->button(button)->click(); });
        };
        const auto pressing = [](Qt::Key key) {
            return MessageAction([key](QMessageBox *box) { QTest::keyClick(box, key); });
        };
        QTest::newRow("yes") << clicking(QMessageBox::Yes) << Dialogs::Answer::Yes;
        QTest::newRow("no") << clicking(QMessageBox::No) << Dialogs::Answer::No;
        QTest::newRow("cancel") << clicking(QMessageBox::Cancel) << Dialogs::Answer::Cancel;
        QTest::newRow("escape") << pressing(Qt::Key_Escape) << Dialogs::Answer::Cancel;
        QTest::newRow("closed") << MessageAction([](QMessageBox *box) { box->close(); })
                                << Dialogs::Answer::Cancel;
        QTest::newRow("enter") << pressing(Qt::Key_Return) << Dialogs::Answer::Yes;
    }
    void messageAnswers()
    {
        QFETCH(MessageAction, act);
        QFETCH(Dialogs::Answer, expected);
        bool seen = false;
        whenModal<QMessageBox>([&seen, act](QMessageBox *box) {
            seen = true;
            act(box);
        });
        QtDialogs dialogs(nullptr, refuse);
        const Dialogs::Answer answer =
            dialogs.message(QStringLiteral("Do you wish to save settings?"), Dialogs::Buttons::YesNoCancel);
        QVERIFY(seen);
        QCOMPARE(answer, expected);
    }

    // The desktop's viewer, or else a viewer of the program's own.
    void openTextFile_data()
    {
        QTest::addColumn<bool>("desktop");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected");
        QTest::newRow("desktop viewer") << true << QByteArray("help") << QString();
        QTest::newRow("windows lines") << false << QByteArray("Volutra\r\nhelp text") << "Volutra\nhelp text";
        QTest::newRow("utf-8") << false << QByteArray("caf\xc3\xa9") << "caf\u00e9";
        QTest::newRow("latin-1") << false << QByteArray("caf\xe9") << "caf\u00e9";
        QTest::newRow("empty") << false << QByteArray() << "";
    }
    void openTextFile()
    {
        QFETCH(bool, desktop);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("readme.txt"));
        QVERIFY(testfiles::writeBytes(path, bytes));
        QList<QUrl> launched;
        QtDialogs dialogs(nullptr, [&launched, desktop](const QUrl &url) {
            launched << url;
            return desktop;
        });
        dialogs.openTextFile(path);
        QCOMPARE(launched, QList<QUrl>{QUrl::fromLocalFile(path)});
        if (desktop) {
            QCOMPARE(viewerWindow(), nullptr);
            return;
        }
        QPointer<QPlainTextEdit> viewer = viewerWindow();
        QVERIFY(viewer);
        QVERIFY(viewer->isVisible());
        QVERIFY(viewer->isReadOnly());
        QCOMPARE(viewer->windowTitle(), QStringLiteral("readme.txt"));
        QCOMPARE(viewer->windowModality(), Qt::NonModal);
        QCOMPARE(viewer->toPlainText(), expected);

        viewer->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(viewer.isNull());
    }

    void openTextFileMissing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing file") << "readme.txt" << failures::describe(failures::FileNotFound);
        QTest::newRow("missing folder") << "gone/readme.txt" << failures::describe(failures::PathNotFound);
        QTest::newRow("folder") << "" << failures::describe(failures::AccessError);
    }
    void openTextFileMissing()
    {
        QFETCH(QString, name);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = name.isEmpty() ? dir.path() : dir.filePath(name);
        int launches = 0;
        QtDialogs dialogs(nullptr, [&launches](const QUrl &) {
            ++launches;
            return true;
        });
        dialogs.openTextFile(path);
        QCOMPARE(launches, 0);
        QPlainTextEdit *viewer = viewerWindow();
        QVERIFY(viewer);
        QVERIFY(viewer->isReadOnly());
        QCOMPARE(viewer->toPlainText(), QStringLiteral("Could not open \"%1\": %2").arg(path, reason));
    }

    void viewerBelongsToParentWindow()
    {
        QWidget window;
        QtDialogs dialogs(&window, refuse);
        dialogs.openTextFile(QStringLiteral("/nonexistent-volutra/readme.txt"));
        const QList<QPlainTextEdit *> viewers = window.findChildren<QPlainTextEdit *>();
        QCOMPARE(viewers.size(), 1);
        QVERIFY(viewers.first()->isWindow());
        QVERIFY(viewers.first()->isVisible());
    }
};

QTEST_MAIN(TestDialogs)
#include "test_dialogs.moc"
