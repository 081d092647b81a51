#pragma once
// A prompter for the window tests: answers questions, file dialogs and modal showings from a script and
// records everything it was asked, in order.

#include "ui/Prompter.h"

#include <QDialog>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <vector>

// The texts and flags of the main window's confirmation questions (Yes and No, a question icon).
inline constexpr const char* ApplyText =
    "Apply New Settings?\r\n\r\n(Please close all tablet-related applications)";
inline constexpr const char* RestoreText =
    "Restore and Apply Backup Point?\r\n\r\n(Please close all tablet-related aplications!)";
inline constexpr unsigned QuestionFlags = 0x34;

class ScriptedPrompter : public IPrompter {
public:
    struct Asked {
        QString Kind; // "message", "question", "open", "modal", "error", "url"
        QString Caption;
        QString Text; // message text, question text, dialog class name, url
        unsigned Flags = 0;
    };

    // Answers of the next questions, in order; when empty a question is answered IDNO.
    std::deque<int> Answers;
    // Answers of the next file dialogs; an empty optional cancels. When empty the dialog is cancelled.
    std::deque<std::optional<QString>> Files;
    // Handlers of the next modal showings. A handler may drive the dialog (it is shown, not exec'd,
    // while the handler runs) and returns the result. When empty the dialog is dismissed with 0 (Rejected).
    std::deque<std::function<int(QDialog*)>> Modals;

    // Runs while each question is open, before it is answered: what the world does while the person reads.
    std::function<void()> WhileAsking;

    std::vector<Asked> Log;
    OpenFileOptions LastOpenOptions;

    void Message(const QString& text) override { Log.push_back({"message", "Nibwright", text, 0}); }

    int Question(const QString& caption, const QString& text, unsigned flags) override {
        Log.push_back({"question", caption, text, flags});
        if (WhileAsking)
            WhileAsking();
        if (Answers.empty())
            return IDNO;
        const int a = Answers.front();
        Answers.pop_front();
        return a;
    }

    std::optional<QString> OpenFile(QWidget*, const OpenFileOptions& options) override {
        Log.push_back({"open", QString(), options.Filters.join(";;"), 0});
        LastOpenOptions = options;
        if (Files.empty())
            return std::nullopt;
        // Unpacked rather than copied whole: GCC 12 sees a copied optional<QString> as maybe uninitialised.
        const bool chosen = Files.front().has_value();
        const QString f = chosen ? *Files.front() : QString();
        Files.pop_front();
        if (!chosen)
            return std::nullopt;
        return f;
    }

    int ShowModal(QDialog* dialog) override {
        Log.push_back(
            {"modal", dialog->windowTitle(), QString::fromLatin1(dialog->metaObject()->className()), 0});
        if (Modals.empty())
            return 0;
        auto handler = Modals.front();
        Modals.pop_front();
        dialog->setResult(0);
        dialog->show();
        const int result = handler(dialog);
        dialog->hide();
        return result;
    }

    void Error(const QString& text) override { Log.push_back({"error", "Nibwright", text, 0}); }
    void OpenUrl(const QString& url) override { Log.push_back({"url", QString(), url, 0}); }

    // The entries of one kind, in order.
    std::vector<Asked> OfKind(const QString& kind) const {
        std::vector<Asked> out;
        for (const auto& a : Log)
            if (a.Kind == kind)
                out.push_back(a);
        return out;
    }
    // The texts of all plain messages, in order.
    QStringList Messages() const {
        QStringList out;
        for (const auto& a : Log)
            if (a.Kind == "message")
                out << a.Text;
        return out;
    }
};

// Checks one question the window asked: its caption, its text and the Yes/No flags with the question icon.
inline void ExpectQuestion(const ScriptedPrompter::Asked& q, const QString& caption, const QString& text) {
    EXPECT_EQ(q.Caption, caption);
    EXPECT_EQ(q.Text, text) << "the question captioned " << caption.toStdString();
    EXPECT_EQ(q.Flags, QuestionFlags) << "the question captioned " << caption.toStdString();
}
