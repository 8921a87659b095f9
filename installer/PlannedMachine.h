#pragma once
// A machine that changes nothing: it records each change as planned, keeps the
// new content of every file and value it would write, and answers later reads
// from them, falling back to the real machine for everything it has not touched.
#include "installer/Machine.h"
#include <map>
#include <optional>
#include <set>

class PlannedMachine : public Machine {
public:
    explicit PlannedMachine(CommitReport& report) : Machine(report), report_(report), real_(scratch_) {}
    bool Exists(const std::string& path) override;
    DWORD Read(const std::string& path, std::string& data) override;
    DWORD ReadPieces(const std::string& path, const std::function<void(std::string_view)>& take) override;
    bool ReadValue(const std::string& key, const std::string& name, RegistryData& data, bool createKey) override;
    bool ProgramRunning(const std::string& running) override;

protected:
    Result DoWrite(const std::string& path, const std::string& data) override;
    Result DoDelete(const std::string& path) override;
    Result DoCreateFolder(const std::string& path) override;
    Result DoRemoveFolder(const std::string& path) override;
    Result DoSetValue(const std::string& key, const std::string& name, const RegistryData& data) override;
    Result DoDeleteValue(const std::string& key, const std::string& name) override;
    Result DoStart(const std::string& commandLine, const std::string& stopEvent, const std::string& running) override;
    Result DoStop(const std::string& stopEvent, const std::string& running) override;

private:
    bool FolderIsEmpty(const std::string& folder);

    CommitReport& report_;
    CommitReport scratch_;  // the real machine is only read, so it records nothing
    LiveMachine real_;
    // By normalised path: the planned content, or nothing for a planned deletion.
    std::map<std::string, std::optional<std::string>> files_;
    std::map<std::string, bool> folders_;  // true made, false removed
    std::map<std::string, std::optional<RegistryData>> values_;
    std::map<std::string, bool> programs_;  // by mutex: true started, false stopped
};
