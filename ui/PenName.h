#pragma once
// Pen names are bytes as the preference file holds them: an XML file gives UTF-8, a text file the 8-bit
// code page. Text that is valid UTF-8 is shown as such; anything else byte for byte as Latin-1.

#include <QString>

#include <string>

QString PenNameText(const std::string& bytes);
