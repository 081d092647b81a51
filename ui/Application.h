#pragma once
// The application object and the five windows of the run.

#include <QApplication>

class IPrompter;

// Catches what escapes an event handler and shows it in the general error box (caption "Nibwright"); the
// program goes on.
class TNibApplication : public QApplication {
    Q_OBJECT
public:
    TNibApplication(int& argc, char** argv);

    // Where escaped failures are shown; not owned. Without one they go to the standard error stream.
    void SetPrompter(IPrompter* prompter) { Prompter = prompter; }

    bool notify(QObject* receiver, QEvent* event) override;

private:
    IPrompter* Prompter = nullptr;
};

// Creates the five windows in order (main window, chooser, About box, information window, pen editor) and
// sets their global pointers. The main window's creation reads the settings.
void CreateForms(IPrompter& prompter);
// Destroys the windows and clears the pointers; the main window's destruction writes the settings.
void DestroyForms();
