// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "dialogs.h"
#include "qtdialogs.h"

#include <QDebug>
#include <QList>
#include <QPrinter>
#include <QStringList>

#include <deque>
#include <functional>
#include <memory>
#include <utility>

// Dialogs for tests: answers are queued beforehand, in the order the code
// under test asks, and every call is recorded with its arguments. A call that
// finds no answer queued is recorded in unexpectedCalls() and answered as a
// cancel, so a test fails when it checks unexpectedCalls() or exhausted().
class ScriptedDialogs : public Dialogs {
public:
    struct ColorCall {
        colors::Color initial;
        QString title;
    };
    struct PrinterCall {
        int options;
        QString title;
    };
    struct MessageCall {
        QString text;
        Buttons buttons;
        QString caption;
    };
    // May answer through a real dialog shown with the request.
    using FileAnswer = std::function<DialogResult<QString>(const FileDialogRequest &)>;
    // May configure the printer, e.g. to print into a PDF file.
    using PrinterAnswer = std::function<std::optional<Failure>(QPrinter &)>;

    void queueFile(FileAnswer answer) { files_.push_back(std::move(answer)); }
    void queueFile(const QString &path)
    {
        files_.push_back([path](const FileDialogRequest &) -> DialogResult<QString> { return path; });
    }
    void queueFile(const Failure &failure)
    {
        files_.push_back([failure](const FileDialogRequest &) -> DialogResult<QString> { return failure; });
    }
    // The values chosen for the choices of the next file dialog that offers
    // them, by index; without, the first of each.
    void queueChoices(const QList<int> &choices) { choices_.push_back(choices); }
    void queueColor(colors::Color color) { colors_.push_back(color); }
    void queueColor(const Failure &failure) { colors_.push_back(failure); }
    void queuePrinter(PrinterAnswer answer) { printers_.push_back(std::move(answer)); }
    void queuePrinter(std::optional<Failure> result = std::nullopt)
    {
        printers_.push_back([result](QPrinter &) { return result; });
    }
    void queueMessage(Answer answer) { messages_.push_back(answer); }

    DialogResult<QString> chooseFile(const FileDialogRequest &request) override
    {
        calls_ << QStringLiteral("chooseFile");
        fileRequests_ << request;
        if (files_.empty()) {
            unexpected(QStringLiteral("chooseFile(\"%1\")").arg(request.title));
            return failures::make(failures::Cancelled);
        }
        return take(files_)(request);
    }

    // Answered from the file queue, with the queued choices.
    DialogResult<ChosenFile> chooseFileWithChoices(const FileDialogRequest &request) override
    {
        const auto path = chooseFile(request);
        if (const auto *failure = std::get_if<Failure>(&path))
            return *failure;
        ChosenFile file{std::get<QString>(path), QList<int>(request.choices.size(), 0)};
        if (!choices_.empty())
            file.choices = take(choices_);
        return file;
    }

    DialogResult<colors::Color> chooseColor(colors::Color initial, const QString &title) override
    {
        calls_ << QStringLiteral("chooseColor");
        colorCalls_ << ColorCall{initial, title};
        if (colors_.empty()) {
            unexpected(QStringLiteral("chooseColor(%1, \"%2\")").arg(initial).arg(title));
            return failures::make(failures::Cancelled);
        }
        return take(colors_);
    }

    std::optional<Failure> choosePrinter(QPrinter &printer, int options, const QString &title) override
    {
        calls_ << QStringLiteral("choosePrinter");
        printerCalls_ << PrinterCall{options, title};
        if (printers_.empty()) {
            unexpected(QStringLiteral("choosePrinter(0x%1, \"%2\")").arg(options, 0, 16).arg(title));
            return failures::make(failures::Cancelled);
        }
        return take(printers_)(printer);
    }

    Answer message(const QString &text, Buttons buttons, const QString &caption = {}) override
    {
        calls_ << QStringLiteral("message");
        messageCalls_ << MessageCall{text, buttons, caption};
        const bool okOnly = buttons == Buttons::Ok;
        const Answer fallback = okOnly ? Answer::Ok : Answer::Cancel;
        if (messages_.empty()) {
            unexpected(QStringLiteral("message(\"%1\")").arg(text));
            return fallback;
        }
        const Answer answer = take(messages_);
        if (okOnly != (answer == Answer::Ok)) {
            unexpected(QStringLiteral("message(\"%1\") answered with a button it does not offer").arg(text));
            return fallback;
        }
        return answer;
    }

    // Progress goes to a real progress dialog over `parent` once this is
    // called; before, nothing shows it.
    void useRealProgress(QWidget *parent) { real_ = std::make_unique<QtDialogs>(parent); }
    std::unique_ptr<ProgressReport> showProgress(const QString &label) override
    {
        calls_ << QStringLiteral("showProgress");
        return real_ ? real_->showProgress(label) : nullptr;
    }

    void openTextFile(const QString &path) override
    {
        calls_ << QStringLiteral("openTextFile");
        openedFiles_ << path;
    }

    // True when every queued answer has been used.
    bool exhausted() const
    {
        return files_.empty() && colors_.empty() && printers_.empty() && messages_.empty() &&
               choices_.empty();
    }
    QStringList unexpectedCalls() const { return unexpected_; }

    // The names of the calls made, in order ("chooseFile", "message", ...).
    const QStringList &calls() const { return calls_; }
    const QList<FileDialogRequest> &fileRequests() const { return fileRequests_; }
    const QList<ColorCall> &colorCalls() const { return colorCalls_; }
    const QList<PrinterCall> &printerCalls() const { return printerCalls_; }
    const QList<MessageCall> &messages() const { return messageCalls_; }
    const QStringList &openedFiles() const { return openedFiles_; }

private:
    template <typename T> static T take(std::deque<T> &queue)
    {
        T front = std::move(queue.front());
        queue.pop_front();
        return front;
    }

    void unexpected(const QString &call)
    {
        qWarning().noquote() << "ScriptedDialogs: unexpected" << call;
        unexpected_ << call;
    }

    std::unique_ptr<QtDialogs> real_;
    std::deque<FileAnswer> files_;
    std::deque<QList<int>> choices_;
    std::deque<DialogResult<colors::Color>> colors_;
    std::deque<PrinterAnswer> printers_;
    std::deque<Answer> messages_;

    QStringList calls_;
    QList<FileDialogRequest> fileRequests_;
    QList<ColorCall> colorCalls_;
    QList<PrinterCall> printerCalls_;
    QList<MessageCall> messageCalls_;
    QStringList openedFiles_;
    QStringList unexpected_;
};
