// The program entry: the application titled "Nibwright", the five windows, the message loop.
//
// The window answers "--version" and "--help" (or "-h") before the application object exists, so that they
// need no display. Qt's options (such as "-platform offscreen") are taken by the application object. Any
// other argument, such as the file that "Open with" or a file dropped on the program hands over, is
// ignored: the window starts as it always does and loads its own preference file. On Windows this is a
// program without a console, so a refusal there would end the run without a word.

#include "system/BuildConfig.h"
#include "ui/Application.h"
#include "ui/Form_Tablet.h"
#include "ui/Prompter.h"
#include "ui/Resources.h"

#include <cstdio>
#include <cstring>

namespace {

const char* const UsageText =
    "Usage:\n"
    "  nibwright\n"
    "      Opens the tablet driver's pen preference file in the window.\n"
    "  nibwright --version\n"
    "      Prints the version.\n"
    "  nibwright --help\n"
    "      Shows this text.\n"
    "Qt's own options, such as -platform offscreen, are accepted as well; any other\n"
    "argument is ignored.\n";

enum class Information { None, Version, Help };

// The first of the two information options among the arguments, wherever it stands.
Information InformationAsked(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0)
            return Information::Version;
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0)
            return Information::Help;
    }
    return Information::None;
}

} // namespace

int main(int argc, char** argv) {
    switch (InformationAsked(argc, argv)) {
    case Information::Version:
        std::printf("nibwright %s\n", NibVersion);
        return 0;
    case Information::Help:
        std::fputs(UsageText, stdout);
        return 0;
    case Information::None:
        break;
    }

    TNibApplication app(argc, argv); // takes Qt's own options; whatever is left is not looked at
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
