// nibwright-cli: lists and changes the pens of a tablet driver's preference file from the command line,
// through the same handlers and the same write sequence as the window. The commands are the rows of
// CliCommands() (cli/Commands.cpp).

#include "cli/CommandLine.h"

#include <QCoreApplication>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv); // the arguments as the system gives them, any characters on Windows
    // The window's name, so that both programs keep their files in one per-user folder.
    QCoreApplication::setApplicationName(QStringLiteral("Nibwright"));
    return RunCli(QCoreApplication::arguments().mid(1));
}
