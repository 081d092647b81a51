#pragma once
// `nibwright-cli copy FILE FROM TO...`: puts the curve and thresholds of pen FROM on each pen TO, rescaled
// to each target's resolution.

#include "cli/CommandLine.h"

// TO is one or more pen indexes, or the single word "same-name" for every other pen with FROM's name. One
// dated backup and one write; exit 64 with nothing written for an unknown pen, no target, or FROM among the
// targets.
int CopyCommand(const CliArguments& arguments);
