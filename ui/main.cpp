// The program entry: the application titled "Nibwright", the five windows, the message loop. Command-line
// arguments are ignored.

#include "ui/Application.h"
#include "ui/Form_Tablet.h"
#include "ui/Prompter.h"
#include "ui/Resources.h"

int main(int argc, char** argv) {
    TNibApplication app(argc, argv);
    QApplication::setApplicationName("Nibwright");
    NibInitResources();
    QtPrompter prompter;
    app.SetPrompter(&prompter);
    CreateForms(prompter);
    TabletForm->show();
    const int result = app.exec();
    DestroyForms();
    return result;
}
