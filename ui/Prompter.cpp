#include "ui/Prompter.h"

void QtPrompter::Message(const QString&) {}
int QtPrompter::Question(const QString&, const QString&, unsigned) {
    return IDNO;
}
std::optional<QString> QtPrompter::OpenFile(QWidget*, const OpenFileOptions&) {
    return std::nullopt;
}
int QtPrompter::ShowModal(QDialog*) {
    return 0;
}
void QtPrompter::Error(const QString&) {}
void QtPrompter::OpenUrl(const QString&) {}
