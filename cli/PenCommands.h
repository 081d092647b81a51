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

// curve FILE INDEX [--steps N] [--json]: pen INDEX's curve read as the Pressure Test reads it, the output at
// N + 1 forces Round(i * R / N), i = 0 .. N (N 10 unless given, 1 .. 100000), each output rounded half to
// even; with --json one document {"name", "resolution", "points": [{"force", "output"}, ...]}.
int CurveCommand(const CliArguments& arguments);
