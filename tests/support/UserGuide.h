#pragma once
// The user guide (docs/guide.html) as its reader sees the text: one section by its id, from its heading to
// the next heading of a section, without tags, with the entities decoded and every run of blanks and line
// ends made one blank. The guide has a section "menu-<menu>" for every menu and "cli-<command>" for every
// command of nibwright-cli.

#include <QString>

QString UserGuideSection(const QString& id);
