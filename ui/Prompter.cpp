#include "ui/Prompter.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QUrl>

namespace {

// The plain boxes belong to the window the user is working in, so they stay above it.
QWidget* OwnerWindow() {
    return QApplication::activeWindow();
}

void PlainBox(QMessageBox::Icon icon, const QString& text) {
    QMessageBox box(icon, QStringLiteral("Nibwright"), text, QMessageBox::Ok, OwnerWindow());
    box.setDefaultButton(QMessageBox::Ok);
    box.exec();
}

// The system dialog reads a pattern list separated by semicolons, and a trailing one is allowed ("*.dat;");
// Qt separates patterns by blanks and would look for names ending in ";". Each entry keeps its text, with
// its patterns listed the way Qt reads them.
QString QtFilter(const QString& entry) {
    const qsizetype open = entry.lastIndexOf(u'(');
    if (open < 0 || !entry.endsWith(u')'))
        return entry;
    const QString inside = entry.mid(open + 1, entry.size() - open - 2);
    const QStringList patterns =
        inside.split(QRegularExpression(QStringLiteral("[;\\s]+")), Qt::SkipEmptyParts);
    return entry.left(open + 1) + patterns.join(u' ') + u')';
}

} // namespace

void QtPrompter::Message(const QString& text) {
    PlainBox(QMessageBox::NoIcon, text);
}

void QtPrompter::Error(const QString& text) {
    PlainBox(QMessageBox::Critical, text);
}

int QtPrompter::Question(const QString& caption, const QString& text, unsigned flags) {
    // The message box flags as the system box reads them: the low nibble picks the buttons, the next one
    // the icon. Only the Yes/No question is asked here; any other button set shows one OK button.
    const bool yesNo = (flags & 0xF) == MB_YESNO;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (flags & 0xF0) {
    case 0x10:
        icon = QMessageBox::Critical;
        break;
    case 0x20:
        icon = QMessageBox::Question;
        break;
    case MB_ICONWARNING:
        icon = QMessageBox::Warning;
        break;
    case 0x40:
        icon = QMessageBox::Information;
        break;
    default:
        break;
    }
    // No owner window: the box stands on its own, like the system box called without one.
    QMessageBox box(icon, caption, text, yesNo ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok);
    box.setDefaultButton(yesNo ? QMessageBox::Yes : QMessageBox::Ok);
    if (yesNo)
        box.setEscapeButton(QMessageBox::No);
    const int answer = box.exec();
    if (!yesNo)
        return IDOK;
    return answer == QMessageBox::Yes ? IDYES : IDNO;
}

std::optional<QString> QtPrompter::OpenFile(QWidget* parent, const OpenFileOptions& options) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(options.MustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (!options.Filters.isEmpty()) {
        QStringList filters;
        for (const QString& entry : options.Filters)
            filters << QtFilter(entry);
        dialog.setNameFilters(filters);
    }
    if (!options.Directory.isEmpty())
        dialog.setDirectory(options.Directory);
    // Qt's dialog has no read-only check box, so HideReadOnly needs nothing. Hidden files are listed only
    // when the folder filter asks for them, which the platform's native dialog may not honour: the
    // dialog is Qt's own in that case.
    if (options.ShowHidden) {
        dialog.setOption(QFileDialog::DontUseNativeDialog, true);
        dialog.setFilter(dialog.filter() | QDir::Hidden | QDir::System);
    }
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty())
        return std::nullopt;
    return QDir::toNativeSeparators(chosen.first());
}

int QtPrompter::ShowModal(QDialog* dialog) {
    return dialog->exec();
}

void QtPrompter::OpenUrl(const QString& url) {
    QDesktopServices::openUrl(QUrl(url));
}
