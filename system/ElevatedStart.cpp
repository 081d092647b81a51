#include "system/ElevatedStart.h"

ElevatedStartFields MakeElevatedStartFields(const std::string& file, const std::string& parameters) {
    ElevatedStartFields f;
    // Returning only once the start is done matters: the caller goes on (reloading, showing messages)
    // straight away, and a failure must be reported to it rather than in a dialog of the shell's own.
    f.fMask = SeeMaskNoAsync | SeeMaskFlagNoUi;
    f.lpVerb = "runas";
    f.lpFile = file.c_str();
    f.lpParameters = parameters.c_str();
    f.nShow = SwShow;
    return f;
}
