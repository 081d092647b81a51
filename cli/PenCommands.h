#pragma once
// The commands of nibwright-cli that read and write the pens of a preference file.

#include "cli/CommandLine.h"

// show FILE [--json]: every pen as the window's information dialog lists it, or as JSON.
int ShowCommand(const CliArguments& arguments);

// set FILE INDEX P1Y P1X P2Y P2X P3Y P3X UPPER LOWER: one pen's curve and thresholds, written as "Apply
// Changes" writes them.
int SetCommand(const CliArguments& arguments);

// detect FILE: the tablet service row that fits the file's path, or -1.
int DetectCommand(const CliArguments& arguments);
