#pragma once
// A host program run as a child process of a test, against the test's registry.
#include "Sandbox.h"
#include <string>

struct HostRun {
    DWORD exitCode = 0;
    bool killed = false;  // terminated before it ended by itself
    std::string out;      // standard output, line endings as written
    std::string err;      // standard error
    std::string output;   // both: standard output, then standard error
};

// Runs "korvane-setup <arguments>" from the test program's folder and waits for it
// to end, or terminates it after killAfterMs milliseconds.
HostRun RunHost(const RegistrySandbox& registry, const std::string& arguments, DWORD killAfterMs = 60000);
// The same for another program of the test program's folder.
HostRun RunProgram(const RegistrySandbox& registry, const std::string& program, const std::string& arguments,
                   DWORD killAfterMs = 60000);
