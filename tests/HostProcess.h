#pragma once
// A host program run as a child process of a test, against the test's registry.
#include "Sandbox.h"
#include <map>
#include <string>

struct HostRun {
    DWORD exitCode = 0;
    bool killed = false;  // terminated before it ended by itself
    std::string out;      // standard output, line endings as written
    std::string err;      // standard error
    std::string output;   // both: standard output, then standard error
};

// "<program> <arguments>" started in the test program's folder (program named there
// or by its full path), with the variables
// of `environment` set for it; several may run at once.
class HostProcess {
public:
    HostProcess(const RegistrySandbox& registry, const std::string& arguments,
                const std::map<std::string, std::string>& environment = {},
                const std::string& program = "korvane-setup.exe");
    HostProcess(const HostProcess&) = delete;
    HostProcess& operator=(const HostProcess&) = delete;
    // Waits for it to end, or terminates it after killAfterMs milliseconds.
    HostRun Wait(DWORD killAfterMs = 60000);

private:
    TempFolder scratch_;
    ScopedHandle process_;
    ScopedHandle thread_;
};

// Runs "korvane-setup <arguments>" and waits for it (see HostProcess::Wait).
HostRun RunHost(const RegistrySandbox& registry, const std::string& arguments, DWORD killAfterMs = 60000);
// The same for another program of the test program's folder.
HostRun RunProgram(const RegistrySandbox& registry, const std::string& program, const std::string& arguments,
                   DWORD killAfterMs = 60000);
