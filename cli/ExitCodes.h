#pragma once
// The exit status of nibwright-cli; the README lists them.

enum ExitCode {
    ExitOk = 0,
    ExitWriteFailed = 1, // the file could not be written
    ExitInvalid = 2,     // the file lacks the necessary values
    ExitNotFound = 3,    // the file was not found
    ExitNoBackup = 4,    // the backup is missing or does not read as a preference file
    ExitFormats = 5,     // the backup and the file are of different formats (XML and text)
    ExitUsage = 64       // wrong arguments
};
