// SPDX-License-Identifier: GPL-3.0-or-later
#include "qtdialogs.h"

#include "dialogfilters.h"

#include <QAbstractPrintDialog>
#include <QColorDialog>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QProgressDialog>
#include <QStringDecoder>

#include <cerrno>

namespace {

const QString programTitle = QStringLiteral("VOLUTRA");

// The file's text, or a message saying why it cannot be shown. The help text
// may predate UTF-8, so bytes that are not valid UTF-8 are read as Latin-1.
QString viewerText(const QString &path)
{
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        const Failure failure = failures::fromFile(file, path, errno);
        return QStringLiteral("Could not open \"%1\": %2")
            .arg(QDir::toNativeSeparators(path), failure.description);
    }
    const QByteArray bytes = file.readAll();
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

void showViewer(QWidget *parent, const QString &path)
{
    auto *viewer = new QPlainTextEdit(parent);
    viewer->setWindowFlag(Qt::Window);
    viewer->setAttribute(Qt::WA_DeleteOnClose);
    viewer->setWindowTitle(QFileInfo(path).fileName());
    viewer->setReadOnly(true);
    viewer->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    viewer->setPlainText(viewerText(path));
    viewer->resize(640, 480);
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
}

} // namespace

QtDialogs::QtDialogs(QWidget *parent, Launcher launcher)
    : parent_(parent), launcher_(launcher ? std::move(launcher) : Launcher(&QDesktopServices::openUrl))
{
}

DialogResult<QString> QtDialogs::chooseFile(const FileDialogRequest &request)
{
    const auto chosen = chooseFileWithChoices(request);
    if (const auto *failure = std::get_if<Failure>(&chosen))
        return *failure;
    return std::get<ChosenFile>(chosen).path;
}

DialogResult<ChosenFile> QtDialogs::chooseFileWithChoices(const FileDialogRequest &request)
{
    QFileDialog dialog(parent_);
    dialog.setWindowTitle(request.title);
    const QStringList filters = dialogfilters::nameFilters(request.filter);
    dialog.setNameFilters(filters);
    if (!filters.isEmpty())
        dialog.selectNameFilter(filters.first());
    const bool saving = request.mode == FileDialogRequest::Mode::Save;
    dialog.setAcceptMode(saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // Any name is taken, also for opening: a missing file is reported by the
    // caller when it opens it.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    dialog.setDefaultSuffix(request.defaultExtension);
    dialog.selectFile(request.fileName);
    QList<QComboBox *> boxes;
    if (!request.choices.isEmpty()) {
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        if (auto *grid = qobject_cast<QGridLayout *>(dialog.layout()))
            for (const DialogChoice &choice : request.choices) {
                auto *box = new QComboBox(&dialog);
                box->addItems(choice.values);
                auto *label = new QLabel(choice.label, &dialog);
                label->setBuddy(box);
                const int row = grid->rowCount();
                grid->addWidget(label, row, 0);
                grid->addWidget(box, row, 1);
                boxes << box;
            }
    }
    if (dialog.exec() != QDialog::Accepted)
        return failures::make(failures::Cancelled);
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.first().isEmpty())
        return failures::make(failures::Cancelled);
    ChosenFile file{chosen.first(), {}};
    for (int i = 0; i < request.choices.size(); ++i)
        file.choices << (i < boxes.size() ? std::max(0, boxes[i]->currentIndex()) : 0);
    return file;
}

DialogResult<colors::Color> QtDialogs::chooseColor(colors::Color initial, const QString &title)
{
    QColorDialog dialog(QColor::fromRgb(colors::toPixel(initial)), parent_);
    dialog.setWindowTitle(title);
    if (dialog.exec() != QDialog::Accepted)
        return failures::make(failures::Cancelled);
    return colors::fromPixel(dialog.selectedColor().rgb());
}

std::optional<Failure> QtDialogs::choosePrinter(QPrinter &printer, int options, const QString &title)
{
    QPrintDialog dialog(&printer, parent_);
    dialog.setWindowTitle(title);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, !(options & NoSelection));
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, !(options & NoPageNumbers));
    // Copies left to the printer: the copy count goes to the printer as it
    // is, without collating pages on our side.
    dialog.setOption(QAbstractPrintDialog::PrintCollateCopies, !(options & PrinterCopies));
    if (dialog.exec() != QDialog::Accepted)
        return failures::make(failures::Cancelled);
    return std::nullopt;
}

namespace {

class ProgressDialogReport : public ProgressReport {
public:
    ProgressDialogReport(QWidget *parent, const QString &label) : dialog_(label, "Cancel", 0, 1, parent)
    {
        dialog_.setWindowModality(Qt::WindowModal);
        dialog_.setMinimumDuration(500);
        dialog_.setAutoClose(false);
        dialog_.setAutoReset(false);
    }
    bool reached(int done, int total) override
    {
        dialog_.setMaximum(total);
        // A modal dialog handles the events, Cancel's click among them.
        dialog_.setValue(done);
        return !dialog_.wasCanceled();
    }

private:
    QProgressDialog dialog_;
};

} // namespace

std::unique_ptr<ProgressReport> QtDialogs::showProgress(const QString &label)
{
    return std::make_unique<ProgressDialogReport>(parent_, label);
}

Dialogs::Answer QtDialogs::message(const QString &text, Buttons buttons, const QString &caption)
{
    QMessageBox box(parent_);
    box.setWindowTitle(caption.isEmpty() ? programTitle : caption);
    box.setTextFormat(Qt::PlainText);
    box.setText(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    if (buttons == Buttons::Ok) {
        box.setStandardButtons(QMessageBox::Ok);
        box.setDefaultButton(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Ok);
        box.exec();
        return Answer::Ok;
    }
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    box.exec();
    switch (box.standardButton(box.clickedButton())) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    default: return Answer::Cancel;
    }
}

void QtDialogs::openTextFile(const QString &path)
{
    if (QFileInfo(path).isFile() && launcher_(QUrl::fromLocalFile(path)))
        return;
    showViewer(parent_, path);
}
