#pragma once
// A recording platform for tests: its own environment, the real file system for existence and access tests,
// a chosen executable path, and a record of every elevated start (which can be made to fail).

#include "system/Platform.h"

#include <map>
#include <string>
#include <vector>

class FakePlatform : public IPlatform {
public:
    struct Start {
        std::string File;
        std::string Parameters;
    };

    std::string GetEnv(const std::string& name) override;
    bool FileExists(const std::string& path) override;
    std::string ExecutablePath() override { return ExePath; }
    bool FolderWritable(const std::string& path) override;
    void StartElevated(const std::string& file, const std::string& parameters) override;

    std::map<std::string, std::string> Env; // unset names read as ""
    std::string ExePath = "/nonexistent/nibwright";
    std::vector<Start> Starts;       // every elevated start attempted, in order
    std::vector<std::string> Probes; // every path given to FileExists, in order
    int FailStartsFrom = -1;         // the attempt with this 0-based number and later ones fail
    unsigned long FailCode = 1223;   // ERROR_CANCELLED: the user declined the consent prompt
};

// Installs a FakePlatform for the lifetime of the guard.
class ScopedFakePlatform {
public:
    ScopedFakePlatform() { SetPlatform(&Fake); }
    ~ScopedFakePlatform() { SetPlatform(nullptr); }
    ScopedFakePlatform(const ScopedFakePlatform&) = delete;
    ScopedFakePlatform& operator=(const ScopedFakePlatform&) = delete;
    FakePlatform Fake;
};
