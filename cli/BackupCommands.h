#pragma once
// The commands of nibwright-cli that work on the Backup folder (beside the program, or the per-user one):
// listing the backups and putting one back over a preference file.

#include "cli/CommandLine.h"

// backups FILE [--json]: the backups newest first, one tab-separated row each (name, date and time, format,
// pens, notes), or one JSON document. FILE must exist; the listing tells which backups fit its format.
int BackupsCommand(const CliArguments& arguments);

// restore FILE BACKUP: puts BACKUP back over FILE along the window's restore, without the question and
// without the service restart: the format and validity checks, a dated backup of FILE, the write. BACKUP is
// a name as `backups` lists it or, when it holds a path delimiter, the path of any backup file.
int RestoreCommand(const CliArguments& arguments);
