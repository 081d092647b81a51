// The program entry: the application titled "Nibwright", the five windows, the message loop.
//
// The window takes no arguments of its own beyond "--version" and "--help", each on its own; Qt's options
// (such as "-platform offscreen") are taken by the application object. Anything else is refused with the
// usage on standard error and the exit status 64, before a window or a file is touched.

#include "system/BuildConfig.h"
#include "ui/Application.h"
#include "ui/Form_Tablet.h"
#include "ui/Prompter.h"
#include "ui/Resources.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr int ExitUsage = 64;

const char* const UsageText = "Usage:\n"
                              "  nibwright\n"
                              "      Opens the tablet driver's pen preference file in the window.\n"
                              "  nibwright --version\n"
                              "      Prints the version.\n"
                              "  nibwright --help\n"
                              "      Shows this text.\n"
                              "Qt's own options, such as -platform offscreen, are accepted as well.\n";

bool IsInformationOption(const char* arg) {
    return std::strcmp(arg, "--version") == 0 || std::strcmp(arg, "--help") == 0 ||
           std::strcmp(arg, "-h") == 0;
}

} // namespace

int main(int argc, char** argv) {
    // Answered before the application object exists, so that they need no display.
    for (int i = 1; i < argc; ++i) {
        if (!IsInformationOption(argv[i]))
            continue;
        if (argc != 2) {
            std::fputs(UsageText, stderr);
            return ExitUsage;
        }
        if (std::strcmp(argv[1], "--version") == 0)
            std::printf("nibwright %s\n", NibVersion);
        else
            std::fputs(UsageText, stdout);
        return 0;
    }

    TNibApplication app(argc, argv); // removes Qt's own options from argc and argv
    if (argc > 1) {
        std::fputs(UsageText, stderr);
        return ExitUsage;
    }
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
