#include "cli/CopyCommand.h"

#include "cli/ExitCodes.h"
#include "cli/Output.h"
#include "data/ConfigWorkflow.h"
#include "data/CurveTransfer.h"
#include "data/Data_fileClass.h"

#include <memory>
#include <set>

namespace {

int Refuse(const char* why) {
    PrintErrLine(QString::fromLatin1("nibwright-cli copy: ") + QString::fromLatin1(why));
    return ExitUsage;
}

bool PenIndex(const QString& text, size_t count, size_t& index) {
    int32_t value = 0;
    if (!StrToInt32(text.toStdString(), value) || value < 0 || static_cast<size_t>(value) >= count)
        return false;
    index = static_cast<size_t>(value);
    return true;
}

} // namespace

int CopyCommand(const CliArguments& arguments) {
    const QStringList& args = arguments.Positional;
    if (args.size() < 3)
        return Refuse("no target pen");
    const QString& file = args[0];
    std::unique_ptr<TFileHandler> handler;
    const OpenStatus opened = OpenConfig(file, handler, PrintErrLine);
    if (opened != OpenStatus::Loaded) {
        PrintErrLine(FailedOpenText(opened == OpenStatus::Missing ? opened : OpenStatus::Invalid, file));
        return opened == OpenStatus::Missing ? ExitNotFound : ExitInvalid;
    }
    APen pens = handler->GetPens();
    size_t source = 0;
    if (!PenIndex(args[1], pens.size(), source))
        return Refuse("unknown pen FROM");

    std::set<size_t> chosen;
    if (args.size() == 3 && args[2] == QLatin1String("same-name")) {
        for (size_t i = 0; i < pens.size(); ++i)
            if (i != source && pens[i].ButtonName == pens[source].ButtonName)
                chosen.insert(i);
    } else {
        for (qsizetype k = 2; k < args.size(); ++k) {
            size_t index = 0;
            if (!PenIndex(args[k], pens.size(), index))
                return Refuse("unknown pen TO");
            if (index == source)
                return Refuse("FROM is among the targets");
            chosen.insert(index);
        }
    }
    if (chosen.empty())
        return Refuse("no target pen");

    for (size_t index : chosen)
        CarryCurve(pens[source], pens[index]);
    // The window's write sequence: a dated backup of the file as read, then the pens, then the write.
    if (!WriteEditedPens(handler.get(), pens).Written) {
        PrintErrLine(QString::fromLatin1(ConfigText::ApplyFailed));
        return ExitWriteFailed;
    }
    return ExitOk;
}
