#include "HostProcess.h"
#include "foundation/Owners.h"
#include <vector>

HostRun RunHost(const RegistrySandbox& registry, const std::string& arguments, DWORD killAfterMs) {
    TempFolder scratch;
    const std::string outputPath = scratch / "output.txt";
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HostRun run;
    {
        ScopedHandle output(::CreateFileA(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = startup.hStdError = output.Get();
        std::string command = "\"" + TestProgramFolder() + "korvane-setup.exe\" " + arguments;
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
    run.output = ReadFileText(outputPath);
    return run;
}
