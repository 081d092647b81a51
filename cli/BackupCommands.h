#pragma once
// The commands of nibwright-cli that work on the Backup folder beside the program: listing the backups and
// putting one back over a preference file.

#include <QString>

// Prints the backups newest first, one tab-separated row each (name, date and time, format, pens, notes),
// or with `json` one JSON document. FILE must exist; the listing tells which backups fit its format.
int BackupsCommand(const QString& file, bool json);
