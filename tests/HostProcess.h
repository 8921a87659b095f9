#pragma once
// The console host run as a child process of a test, against the test's registry.
#include "Sandbox.h"
#include <string>

struct HostRun {
    DWORD exitCode = 0;
    bool killed = false;  // terminated before it ended by itself
    std::string output;   // standard output and error, line endings as written
};

// Runs "korvane-setup <arguments>" from the test program's folder and waits for it
// to end, or terminates it after killAfterMs milliseconds.
HostRun RunHost(const RegistrySandbox& registry, const std::string& arguments, DWORD killAfterMs = 60000);
