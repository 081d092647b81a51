#pragma once
// nibwright-cli's commands as one table: each row names a command, the positional arguments it takes, its
// options and its handler. The parser (QCommandLineParser) and the usage text are both made from the table,
// so a new command is a new row in CliCommands() and a handler function.

#include <QHash>
#include <QString>
#include <QStringList>

#include <vector>

struct CliOption {
    const char* Name;        // "json" for --json
    const char* ValueName;   // "N" for an option that takes a value ("--steps N"); nullptr for a flag
    const char* Description; // one sentence for the usage text
};

// What a handler is given: the positional arguments after the command's name, in order, and the options
// that were set (each at most once), with their values.
struct CliArguments {
    QStringList Positional;
    QHash<QString, QString> Options;

    bool IsSet(const char* option) const { return Options.contains(QLatin1String(option)); }
    QString Value(const char* option) const { return Options.value(QLatin1String(option)); }
};

// Returns the exit status. A handler that returns ExitUsage has the usage text printed to standard error
// for it, so it need print nothing itself for wrong arguments.
using CliHandler = int (*)(const CliArguments& arguments);

struct CliCommand {
    const char* Name;
    // The positional arguments' names as the usage shows them; a last name ending in "..." takes one or more.
    std::vector<const char*> Arguments;
    std::vector<CliOption> Options;
    const char* Description;
    CliHandler Handler;
};

// Every command, in the order the usage lists them.
const std::vector<CliCommand>& CliCommands();

// The usage text, made from the table: every command's synopsis, description and options, then the
// program's own options and the exit status.
QString CliUsageText();

// Runs the command line given after the program's name and returns the exit status. Options may stand
// anywhere after the command's name; "--" ends them. Wrong arguments print the usage to standard error and
// return ExitUsage before any file is touched.
int RunCli(const QStringList& arguments);
