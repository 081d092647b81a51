#include "ui/Application.h"

#include "ui/Form_About.h"
#include "ui/Form_ConfChoose.h"
#include "ui/Form_Edit.h"
#include "ui/Form_Info.h"
#include "ui/Form_Tablet.h"
#include "ui/Prompter.h"

#include <cstdio>
#include <exception>

TNibApplication::TNibApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TNibApplication::notify(QObject* receiver, QEvent* event) {
    QString failure;
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        failure = QString::fromLocal8Bit(e.what());
    } catch (...) {
        failure = QStringLiteral("Unknown error");
    }
    if (Prompter)
        Prompter->Error(failure);
    else
        std::fprintf(stderr, "Nibwright: %s\n", failure.toLocal8Bit().constData());
    return false;
}

void CreateForms(IPrompter& prompter) {
    TabletForm = new TTabletForm(prompter);
    FormChoose = new TFormChoose(prompter);
    AboutBox = new TAboutBox(prompter);
    FormInfo = new TFormInfo(prompter);
    FormEdit = new TFormEdit(prompter);
}

void DestroyForms() {
    delete FormEdit;
    FormEdit = nullptr;
    delete FormInfo;
    FormInfo = nullptr;
    delete AboutBox;
    AboutBox = nullptr;
    delete FormChoose;
    FormChoose = nullptr;
    // Last: its destruction writes the settings, which may show a message.
    delete TabletForm;
    TabletForm = nullptr;
}
