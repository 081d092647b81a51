// The table of nibwright-cli's commands. A new command is one more row here and its handler, kept with the
// other handlers of its group (PenCommands, BackupCommands).

#include "cli/BackupCommands.h"
#include "cli/CommandLine.h"
#include "cli/CopyCommand.h"
#include "cli/PenCommands.h"

const std::vector<CliCommand>& CliCommands() {
    static const std::vector<CliCommand> commands = {
        {"show",
         {"FILE"},
         {{"json", nullptr,
           "prints a JSON array instead, one object per pen with name, resolution, curve (the six numbers "
           "in file order), upperThreshold and lowerThreshold."}},
         "Lists every pen of the preference file FILE: its name, its pressure curve and its thresholds.",
         ShowCommand},
        {"set",
         {"FILE", "INDEX", "P1Y", "P1X", "P2Y", "P2X", "P3Y", "P3X", "UPPER", "LOWER"},
         {},
         "Gives pen INDEX (0 is the first pen in the file) a new pressure curve and new thresholds and "
         "writes FILE, after a dated backup in the Backup folder of this program. The curve's three points "
         "are given with each point's y before its x, as the file stores them; every value is limited to "
         "0 .. the pen's pressure resolution.",
         SetCommand},
        {"curve",
         {"FILE", "INDEX"},
         {{"steps", "N", "gives N + 1 rows instead of 11 (1 <= N <= 100000)."},
          {"json", nullptr, "prints one JSON document with name, resolution and points (force, output)."}},
         "Prints pen INDEX's pressure curve as the output at each of the forces Round(i * R / N), i = 0 .. "
         "N, "
         "R the pen's pressure resolution: one row FORCE OUTPUT each, in the pen's units, the output of the "
         "first point along the curve whose force is closest, rounded half to even.",
         CurveCommand},
        {"copy",
         {"FILE", "FROM", "TO..."},
         {},
         "Puts the pressure curve and thresholds of pen FROM on each pen TO, rescaled to each pen's "
         "resolution and limited to 0 .. that resolution, and writes FILE once after one dated backup. TO is "
         "one or more pen indexes, or same-name for every other pen with FROM's name. An unknown pen, no "
         "target, or FROM among the targets exits with 64 and writes nothing.",
         CopyCommand},
        {"detect",
         {"FILE"},
         {},
         "Prints the tablet service row that fits FILE and the service's name, or -1.",
         DetectCommand},
        {"backups",
         {"FILE"},
         {{"json", nullptr,
           "prints one JSON document with the folder and one object per backup, telling which fit FILE."}},
         "Lists the backups in that same Backup folder, newest first: name, date and time, format, number "
         "of pens, and whether the backup is the backup point or damaged.",
         BackupsCommand},
        {"restore",
         {"FILE", "BACKUP"},
         {},
         "Puts the backup BACKUP (a name as 'backups' lists it, or a path) back over FILE, after a dated "
         "backup of FILE, when both are of the same format and the backup holds usable pens. The tablet "
         "service is not restarted.",
         RestoreCommand},
    };
    return commands;
}
