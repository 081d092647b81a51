// The program's own start, for the start-up and memory measurements: the same steps as the program entry
// (the application, the resources, the prompter, the five windows, the main window shown, whose first
// showing loads the default preference file), then it quits once the window has been painted.
//
//   startup_probe ROOT
//
// ROOT stands for the machine: ROOT/AppData is the application-data folder (with the preference file in
// ROOT/AppData/WTablet), ROOT/app the program's folder (settings file and backups).

#include "bench/tools/ShowProbe.h"
#include "tests/support/Platform_fake.h"
#include "ui/Application.h"
#include "ui/Form_Tablet.h"
#include "ui/Prompter.h"
#include "ui/Resources.h"

#include <cstdio>
#include <cstdlib>

namespace {

// The real prompter, except that anything that would wait for an answer ends the run: on an ordinary
// start nothing is asked, so a box means the measurement is not of an ordinary start.
class NoBoxPrompter : public QtPrompter {
public:
    void Message(const QString& text) override { Fail("message", text); }
    int Question(const QString& caption, const QString& text, unsigned) override {
        Fail("question", caption + ": " + text);
        return IDNO;
    }
    void Error(const QString& text) override { Fail("error", text); }
    int ShowModal(QDialog*) override {
        Fail("modal dialog", QString());
        return 0;
    }

private:
    [[noreturn]] static void Fail(const char* kind, const QString& text) {
        std::fprintf(stderr, "startup_probe: unexpected %s during start-up: %s\n", kind, qPrintable(text));
        std::exit(3);
    }
};

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: startup_probe ROOT\n");
        return 64;
    }
    const std::string root = argv[1];
    FakePlatform platform;
    platform.Env["APPDATA"] = root + "/AppData";
    platform.Env["ProgramFiles"] = root + "/ProgramFiles";
    platform.ExePath = root + "/app/nibwright";
    SetPlatform(&platform);

    // The moments between the steps, for the breakdown of the start-up.
    const long long entered = ShowProbe::MonotonicNs();
    TNibApplication app(argc, argv);
    const long long application = ShowProbe::MonotonicNs();
    QApplication::setApplicationName("Nibwright");
    NibInitResources();
    NoBoxPrompter prompter;
    app.SetPrompter(&prompter);
    CreateForms(prompter);
    const long long forms = ShowProbe::MonotonicNs();
    new ShowProbe(TabletForm);
    TabletForm->show(); // the first showing loads the preference file
    const long long shown = ShowProbe::MonotonicNs();
    std::printf("main_ns=%lld\napp_ns=%lld\nforms_ns=%lld\nshow_ns=%lld\n", entered, application, forms,
                shown);
    const int result = app.exec();
    DestroyForms();
    SetPlatform(nullptr);
    return result;
}
