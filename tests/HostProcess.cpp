#include "HostProcess.h"
#include "foundation/Owners.h"
#include <vector>

HostRun RunHost(const RegistrySandbox& registry, const std::string& arguments, DWORD killAfterMs) {
    return RunProgram(registry, "korvane-setup.exe", arguments, killAfterMs);
}

HostRun RunProgram(const RegistrySandbox& registry, const std::string& program, const std::string& arguments,
                   DWORD killAfterMs) {
    TempFolder scratch;
    const std::string outPath = scratch / "out.txt";
    const std::string errPath = scratch / "err.txt";
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HostRun run;
    {
        ScopedHandle out(::CreateFileA(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
        ScopedHandle err(::CreateFileA(errPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = out.Get();
        startup.hStdError = err.Get();
        std::string command = "\"" + TestProgramFolder() + program + "\" " + arguments;
        std::vector<char> line(command.begin(), command.end());
        line.push_back('\0');
        ::SetEnvironmentVariableA("KORVANE_SETUP_REGISTRY", registry.Root().c_str());
        PROCESS_INFORMATION process = {};
        const BOOL started = ::CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                              TestProgramFolder().c_str(), &startup, &process);
        ::SetEnvironmentVariableA("KORVANE_SETUP_REGISTRY", nullptr);
        if (!started) {
            run.exitCode = ~0u;
            return run;
        }
        ScopedHandle processHandle(process.hProcess);
        ScopedHandle thread(process.hThread);
        if (::WaitForSingleObject(process.hProcess, killAfterMs) == WAIT_TIMEOUT) {
            ::TerminateProcess(process.hProcess, 9);
            ::WaitForSingleObject(process.hProcess, INFINITE);
            run.killed = true;
        }
        ::GetExitCodeProcess(process.hProcess, &run.exitCode);
    }
    run.out = ReadFileText(outPath);
    run.err = ReadFileText(errPath);
    run.output = run.out + run.err;
    return run;
}
