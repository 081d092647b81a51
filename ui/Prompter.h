#pragma once
// Every message box, question, file dialog, modal showing of a dialog and shell "open" goes through one
// prompter handed to the windows. The real one uses QMessageBox, QFileDialog and exec(); the tests use a
// scripted one that answers from a script and records what was asked.

#include <QString>
#include <QStringList>

#include <optional>

class QDialog;
class QWidget;

// Results and flags of the system message box.
inline constexpr int IDOK = 1;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;
inline constexpr unsigned MB_YESNO = 0x4;
inline constexpr unsigned MB_ICONWARNING = 0x30;

// What the file-open dialog is asked to be.
struct OpenFileOptions {
    QStringList Filters;          // entries as shown, e.g. "Dat (*.dat)"
    bool HideReadOnly = true;     // no read-only check box
    bool ShowHidden = true;       // hidden files are listed
    bool MustExist = false;       // the chosen file need not exist
    QString Directory;            // the folder to start in
};

class IPrompter {
public:
    virtual ~IPrompter() = default;
    // A plain message: caption "Nibwright", the text, one OK button.
    virtual void Message(const QString& text) = 0;
    // A question box without owner window; returns IDYES or IDNO.
    virtual int Question(const QString& caption, const QString& text, unsigned flags) = 0;
    // The file-open dialog; the chosen path, or nothing when cancelled.
    virtual std::optional<QString> OpenFile(QWidget* parent, const OpenFileOptions& options) = 0;
    // Shows `dialog` modally and returns its result.
    virtual int ShowModal(QDialog* dialog) = 0;
    // The general error box for a failure that escaped an event handler (caption "Nibwright").
    virtual void Error(const QString& text) = 0;
    // Hands an address to the shell's "open" action; the outcome is not examined.
    virtual void OpenUrl(const QString& url) = 0;
};

// The real prompter, on Qt's dialogs.
class QtPrompter : public IPrompter {
public:
    void Message(const QString& text) override;
    int Question(const QString& caption, const QString& text, unsigned flags) override;
    std::optional<QString> OpenFile(QWidget* parent, const OpenFileOptions& options) override;
    int ShowModal(QDialog* dialog) override;
    void Error(const QString& text) override;
    void OpenUrl(const QString& url) override;
};
