#include "HostProcess.h"
#include "foundation/Owners.h"
#include <vector>

namespace {
ScopedHandle InheritedFile(const std::string& path) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    return ScopedHandle(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
}
}  // namespace

HostProcess::HostProcess(const RegistrySandbox& registry, const std::string& arguments,
                         const std::map<std::string, std::string>& environment, const std::string& program) {
    const ScopedHandle out = InheritedFile(scratch_ / "out.txt");
    const ScopedHandle err = InheritedFile(scratch_ / "err.txt");
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out.Get();
    startup.hStdError = err.Get();
    const bool fullPath = program.find(':') != std::string::npos;
    std::string command = "\"" + (fullPath ? program : TestProgramFolder() + program) + "\" " + arguments;
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
    run.out = ReadFileText(scratch_ / "out.txt");
    run.err = ReadFileText(scratch_ / "err.txt");
    run.output = run.out + run.err;
    return run;
}

HostRun RunHost(const RegistrySandbox& registry, const std::string& arguments, DWORD killAfterMs) {
    return HostProcess(registry, arguments).Wait(killAfterMs);
}

HostRun RunProgram(const RegistrySandbox& registry, const std::string& program, const std::string& arguments,
                   DWORD killAfterMs) {
    return HostProcess(registry, arguments, {}, program).Wait(killAfterMs);
}
