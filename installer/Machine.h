#pragma once
// Everything the installer reads from and changes on the machine: files and
// folders, its registry values under HKEY_CURRENT_USER, and the companion
// program. Each change becomes one step of the report. The live machine does the
// work; a planned machine only records it and answers later reads from what it
// recorded, so that a plan runs the very code that a real Commit runs.
#include "installer/CommitReport.h"
#include <windows.h>
#include <string>

struct RegistryData {
    DWORD type = REG_NONE;
    std::string bytes;

    static RegistryData Dword(DWORD value);
    static RegistryData Text(const std::string& text);  // stored with its terminating zero
    bool operator==(const RegistryData& other) const { return type == other.type && bytes == other.bytes; }
};

class Machine {
public:
    explicit Machine(CommitReport& report) : report_(report) {}
    Machine(const Machine&) = delete;
    Machine& operator=(const Machine&) = delete;
    virtual ~Machine() = default;

    virtual bool Exists(const std::string& path) = 0;
    virtual DWORD Read(const std::string& path, std::string& data) = 0;
    // A value of the key; createKey makes the key when it is missing (live only).
    virtual bool ReadValue(const std::string& key, const std::string& name, RegistryData& data,
                           bool createKey = false) = 0;

    // Changes: each is recorded and reports whether its target is now as asked.
    bool Write(StepAction action, const std::string& path, const std::string& data);
    bool Copy(StepAction action, const std::string& from, const std::string& to);
    bool Delete(const std::string& path);
    bool CreateFolder(const std::string& path);
    bool RemoveFolder(const std::string& path);
    bool SetValue(const std::string& key, const std::string& name, const RegistryData& data);
    bool DeleteValue(const std::string& key, const std::string& name);
    bool Start(const std::string& commandLine);
    bool Signal(const std::string& eventName);
    // A step that could not even be tried, such as an edit whose source was unreadable.
    void RecordFailure(StepAction action, const std::string& target, DWORD error);

protected:
    struct Result {
        StepOutcome outcome;
        DWORD error;
    };
    virtual Result DoWrite(const std::string& path, const std::string& data) = 0;
    virtual Result DoDelete(const std::string& path) = 0;
    virtual Result DoCreateFolder(const std::string& path) = 0;
    virtual Result DoRemoveFolder(const std::string& path) = 0;
    virtual Result DoSetValue(const std::string& key, const std::string& name, const RegistryData& data) = 0;
    virtual Result DoDeleteValue(const std::string& key, const std::string& name) = 0;
    virtual Result DoStart(const std::string& commandLine) = 0;
    virtual Result DoSignal(const std::string& eventName) = 0;

private:
    bool Record(StepAction action, const std::string& target, const std::string& detail, Result result);

    CommitReport& report_;
};

class LiveMachine : public Machine {
public:
    using Machine::Machine;
    bool Exists(const std::string& path) override;
    DWORD Read(const std::string& path, std::string& data) override;
    bool ReadValue(const std::string& key, const std::string& name, RegistryData& data, bool createKey) override;

protected:
    Result DoWrite(const std::string& path, const std::string& data) override;
    Result DoDelete(const std::string& path) override;
    Result DoCreateFolder(const std::string& path) override;
    Result DoRemoveFolder(const std::string& path) override;
    Result DoSetValue(const std::string& key, const std::string& name, const RegistryData& data) override;
    Result DoDeleteValue(const std::string& key, const std::string& name) override;
    Result DoStart(const std::string& commandLine) override;
    Result DoSignal(const std::string& eventName) override;
};
