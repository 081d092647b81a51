#pragma once
// Text taken from a preference file (pen names, lines of the pen listing) is bytes as the file holds them: an
// XML file gives UTF-8, a text file the 8-bit code page. Text that is valid UTF-8 is shown as such; anything
// else byte for byte in the system's ANSI code page on Windows, as Latin-1 elsewhere. The windows and
// nibwright-cli decode such text here alone, so that a name reads the same in every one of them.

#include <QString>

#include <string>

QString FileText(const std::string& bytes);
