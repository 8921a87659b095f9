#include "HostProcess.h"
#include "foundation/Owners.h"
#include <vector>

HostProcess::HostProcess(const RegistrySandbox& registry, const std::string& arguments,
                         const std::map<std::string, std::string>& environment) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    ScopedHandle output(::CreateFileA((scratch_ / "output.txt").c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = output.Get();
    std::string command = "\"" + TestProgramFolder() + "korvane-setup.exe\" " + arguments;
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    std::map<std::string, std::string> variables = environment;
    variables["KORVANE_SETUP_REGISTRY"] = registry.Root();
    for (const auto& [name, value] : variables) ::SetEnvironmentVariableA(name.c_str(), value.c_str());
    PROCESS_INFORMATION process = {};
    if (::CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, TestProgramFolder().c_str(),
                         &startup, &process)) {
        process_.Reset(process.hProcess);
        thread_.Reset(process.hThread);
    }
    for (const auto& variable : variables) ::SetEnvironmentVariableA(variable.first.c_str(), nullptr);
}

HostRun HostProcess::Wait(DWORD killAfterMs) {
    HostRun run;
    if (!process_) {
        run.exitCode = ~0u;
        return run;
    }
    if (::WaitForSingleObject(process_.Get(), killAfterMs) == WAIT_TIMEOUT) {
        ::TerminateProcess(process_.Get(), 9);
        ::WaitForSingleObject(process_.Get(), INFINITE);
        run.killed = true;
    }
    ::GetExitCodeProcess(process_.Get(), &run.exitCode);
    run.output = ReadFileText(scratch_ / "output.txt");
    return run;
}

HostRun RunHost(const RegistrySandbox& registry, const std::string& arguments, DWORD killAfterMs) {
    return HostProcess(registry, arguments).Wait(killAfterMs);
}
