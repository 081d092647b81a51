#include "cli/CommandLine.h"

#include "cli/ExitCodes.h"
#include "cli/Output.h"
#include "system/BuildConfig.h"

#include <QCommandLineParser>

#include <exception>

namespace {

constexpr qsizetype UsageWidth = 104;
const QString Indent = QStringLiteral("      ");

const char* const ProgramOptionsText = "  nibwright-cli --help\n"
                                       "      Shows this text.\n"
                                       "  nibwright-cli --version\n"
                                       "      Prints the version.\n";

const char* const ClosingText =
    "\n"
    "Options may stand before, between or after the arguments; \"--\" ends the options, so that a FILE\n"
    "whose name begins with \"-\" can be given. --help and --version stand alone.\n"
    "\n"
    "Exit status: 0 done; 1 the file could not be written; 2 the file lacks the necessary values;\n"
    "3 the file was not found; 4 the backup is missing or does not read as a preference file;\n"
    "5 the backup and the file are of different formats; 64 wrong arguments.\n";

// The words of `text` in lines of at most UsageWidth characters, each line indented.
QString Wrapped(const QString& text) {
    QString result;
    QString line;
    for (const QString& word : text.split(u' ', Qt::SkipEmptyParts)) {
        if (!line.isEmpty() && Indent.size() + line.size() + 1 + word.size() > UsageWidth) {
            result += Indent + line + u'\n';
            line.clear();
        }
        line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + word;
    }
    if (!line.isEmpty())
        result += Indent + line + u'\n';
    return result;
}

QString OptionSynopsis(const CliOption& option) {
    QString text = QStringLiteral("--") + QLatin1String(option.Name);
    if (option.ValueName)
        text += u' ' + QLatin1String(option.ValueName);
    return text;
}

QString CommandSynopsis(const CliCommand& command) {
    QString text = QStringLiteral("nibwright-cli ") + QLatin1String(command.Name);
    for (const char* argument : command.Arguments)
        text += u' ' + QLatin1String(argument);
    for (const CliOption& option : command.Options)
        text += QStringLiteral(" [") + OptionSynopsis(option) + u']';
    return text;
}

const CliCommand* FindCommand(const QString& name) {
    for (const CliCommand& command : CliCommands())
        if (name == QLatin1String(command.Name))
            return &command;
    return nullptr;
}

bool TakesMore(const CliCommand& command) {
    return !command.Arguments.empty() &&
           QLatin1String(command.Arguments.back()).endsWith(QLatin1String("..."));
}

// A number below zero ("-7") is a value, never an option, but the parser would take it for the short
// options 7. Such arguments get a leading U+0001 that the parser passes through; so does any argument that
// already begins with one, so that Unescaped() gives back exactly what was given.
const QChar EscapeMark(0x0001);

QString Escaped(const QString& argument) {
    const bool negativeNumber = argument.size() > 1 && argument[0] == u'-' && argument[1].isDigit();
    return negativeNumber || argument.startsWith(EscapeMark) ? EscapeMark + argument : argument;
}

QString Unescaped(const QString& argument) {
    return argument.startsWith(EscapeMark) ? argument.mid(1) : argument;
}

// Parses the arguments after the command's name against its row of the table; false for anything the row
// does not allow: an unknown option, an option given twice, a value missing or not wanted, too few or too
// many positional arguments.
bool ParseCommand(const CliCommand& command, const QStringList& given, CliArguments& parsed) {
    QCommandLineParser parser;
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    for (const CliOption& option : command.Options) {
        QCommandLineOption declared(QLatin1String(option.Name));
        if (option.ValueName)
            declared.setValueName(QLatin1String(option.ValueName));
        parser.addOption(declared);
    }
    QStringList arguments{QLatin1String(command.Name)}; // stands where the parser expects the program
    for (const QString& argument : given)
        arguments << Escaped(argument);
    if (!parser.parse(arguments))
        return false;
    const QStringList found = parser.optionNames();
    for (const QString& name : found) {
        if (found.count(name) > 1)
            return false;
        parsed.Options.insert(name, Unescaped(parser.value(name)));
    }
    for (const QString& argument : parser.positionalArguments())
        parsed.Positional << Unescaped(argument);
    const auto wanted = qsizetype(command.Arguments.size());
    return TakesMore(command) ? parsed.Positional.size() >= wanted : parsed.Positional.size() == wanted;
}

int Usage() {
    const QByteArray text = CliUsageText().toLocal8Bit();
    std::fwrite(text.constData(), 1, size_t(text.size()), stderr);
    return ExitUsage;
}

} // namespace

QString CliUsageText() {
    QString text = QStringLiteral("Usage:\n");
    for (const CliCommand& command : CliCommands()) {
        text += QStringLiteral("  ") + CommandSynopsis(command) + u'\n';
        text += Wrapped(QLatin1String(command.Description));
        for (const CliOption& option : command.Options)
            text +=
                Wrapped(OptionSynopsis(option) + QStringLiteral(": ") + QLatin1String(option.Description));
    }
    return text + QLatin1String(ProgramOptionsText) + QLatin1String(ClosingText);
}

int RunCli(const QStringList& arguments) {
    if (arguments.isEmpty() || arguments == QStringList{QStringLiteral("--help")} ||
        arguments == QStringList{QStringLiteral("-h")}) {
        PrintOut(CliUsageText().toLocal8Bit());
        return ExitOk;
    }
    if (arguments == QStringList{QStringLiteral("--version")}) {
        PrintOut(QByteArray("nibwright-cli ") + NibVersion + '\n');
        return ExitOk;
    }
    const CliCommand* command = FindCommand(arguments.first());
    CliArguments parsed;
    if (!command || !ParseCommand(*command, arguments.mid(1), parsed))
        return Usage();
    try {
        const int status = command->Handler(parsed);
        return status == ExitUsage ? Usage() : status;
    } catch (const std::exception& e) {
        PrintErrLine(QStringLiteral("nibwright-cli: ") + QString::fromLocal8Bit(e.what()));
        return ExitWriteFailed;
    }
}
