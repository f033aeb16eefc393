// SPDX-License-Identifier: GPL-3.0-or-later
#include "datatable.h"
#include "dialogfilters.h"
#include "modaldialog.h"
#include "qtdialogs.h"
#include "testfiles.h"

#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

using MessageAction = std::function<void(QMessageBox *)>;

Q_DECLARE_METATYPE(FileDialogRequest::Mode)
Q_DECLARE_METATYPE(Dialogs::Buttons)
Q_DECLARE_METATYPE(Dialogs::Answer)
Q_DECLARE_METATYPE(MessageAction)

namespace {

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

FileDialogRequest pictureRequest(FileDialogRequest::Mode mode, const QString &fileName, bool confirmOverwrite)
{
    return {mode,
            QStringLiteral("Save picture"),
            QStringLiteral("Pictures (*.bmp)|*.bmp|Parameters (*.par)|*.par"),
            QStringLiteral("BMP"),
            fileName,
            confirmOverwrite,
            {}};
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

    // The file dialog's settings, and what it returns when cancelled or when
    // a name is typed.
    void fileDialog_data()
    {
        QTest::addColumn<FileDialogRequest::Mode>("mode");
        // Empty when the dialog is cancelled.
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected");
        // Whether the request asks before a file is replaced.
        QTest::addColumn<bool>("confirm");
        QTest::newRow("save, cancelled") << FileDialogRequest::Mode::Save << QString() << QString() << false;
        QTest::newRow("open, cancelled") << FileDialogRequest::Mode::Open << QString() << QString() << false;
        QTest::newRow("save, no extension") << FileDialogRequest::Mode::Save << "figure"
                                            << "figure.BMP" << false;
        QTest::newRow("save, own extension") << FileDialogRequest::Mode::Save << "figure.par"
                                             << "figure.par" << false;
        QTest::newRow("open, missing file") << FileDialogRequest::Mode::Open << "missing.Bmp"
                                            << "missing.Bmp" << false;
        QTest::newRow("save, asking before replacing") << FileDialogRequest::Mode::Save << "figure.png"
                                                       << "figure.png" << true;
    }
    void fileDialog()
    {
        QFETCH(FileDialogRequest::Mode, mode);
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        QFETCH(bool, confirm);
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
        const DialogResult<QString> result = dialogs.chooseFile(
            pictureRequest(mode, typed.isEmpty() ? QString() : dir.filePath(typed), confirm));
        QVERIFY(shown.seen);
        QCOMPARE(shown.title, QStringLiteral("Save picture"));
        QCOMPARE(shown.filters, (QStringList{"Pictures (*.bmp)", "Parameters (*.par)"}));
        QCOMPARE(shown.selectedFilter, QStringLiteral("Pictures (*.bmp)"));
        QCOMPARE(shown.acceptMode,
                 mode == FileDialogRequest::Mode::Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        QCOMPARE(shown.fileMode, QFileDialog::AnyFile);
        QCOMPARE(shown.confirmOverwrite, confirm);
        QCOMPARE(shown.suffix, QStringLiteral("BMP"));
        QCOMPARE(std::holds_alternative<Failure>(result), typed.isEmpty());
        if (typed.isEmpty()) {
            QCOMPARE(std::get<Failure>(result).number, 32755);
            QCOMPARE(std::get<Failure>(result).description, failures::describe(failures::Cancelled));
        } else {
            QCOMPARE(std::get<QString>(result), dir.filePath(expected));
        }
    }

    // The choices are boxes below the name, each with its label; the values
    // chosen come back by index.
    void fileDialogWithChoices_data()
    {
        QTest::addColumn<QList<int>>("chosen");
        QTest::newRow("first of each") << QList<int>{0, 0};
        QTest::newRow("second of each") << QList<int>{1, 1};
        QTest::newRow("mixed") << QList<int>{1, 0};
    }
    void fileDialogWithChoices()
    {
        QFETCH(QList<int>, chosen);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QStringList labels;
        whenModal<QFileDialog>([&](QFileDialog *dialog) {
            const QList<QComboBox *> boxes = dialog->findChildren<QComboBox *>();
            for (QLabel *label : dialog->findChildren<QLabel *>())
                if (label->buddy() && boxes.contains(qobject_cast<QComboBox *>(label->buddy()))) {
                    labels << label->text();
                    auto *box = static_cast<QComboBox *>(label->buddy());
                    box->setCurrentIndex(chosen.value(int(labels.size()) - 1));
                }
            static_cast<QDialog *>(dialog)->accept();
        });
        FileDialogRequest request =
            pictureRequest(FileDialogRequest::Mode::Save, dir.filePath("a.png"), false);
        request.choices = {{"Figure:", {"As on screen", "Fitted"}}, {"Pixels:", {"As drawn", "Smooth"}}};
        QtDialogs dialogs(nullptr, refuse);
        const auto result = dialogs.chooseFileWithChoices(request);
        QVERIFY(std::holds_alternative<ChosenFile>(result));
        QCOMPARE(labels, (QStringList{"Figure:", "Pixels:"}));
        QCOMPARE(std::get<ChosenFile>(result).path, dir.filePath("a.png"));
        QCOMPARE(std::get<ChosenFile>(result).choices, chosen);
    }

    void colorDialog_data() { oneColumnTable<bool>("accept", {{"accepted", true}, {"cancelled", false}}); }
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
