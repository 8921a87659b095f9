#pragma once
// Everything the installer reads from and changes on the machine: files and
// folders, its registry values under HKEY_CURRENT_USER, and the companion
// program. Each change becomes one step of the report. The live machine does the
// work; a planned machine only records it and answers later reads from what it
// recorded, so that a plan runs the very code that a real Commit runs.
#include "foundation/LibraryErrors.h"
#include "foundation/Owners.h"
#include "installer/CommitReport.h"
#include <windows.h>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

// The largest file the installer reads whole, edits or copies; a larger one is
// refused (ERROR_FILE_TOO_LARGE). Mastercam's files are kilobytes; an editor list
// of blank lines costs the rewriter about 30 bytes of memory per byte in the 32-bit
// build, where 64 MiB no longer fits.
constexpr ULONGLONG kLargestEditable = 16ull << 20;
// The largest registry value the installer stores or reads back: 1 KiB of text and
// its terminating zero. A longer one is refused (kErrorValueTooLong).
constexpr DWORD kLargestValueBytes = 1025;

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
    // The file in pieces of a few hundred kilobytes, in order, for a single pass.
    virtual DWORD ReadPieces(const std::string& path, const std::function<void(std::string_view)>& take) = 0;
    // A value of the key; createKey makes the key when it is missing (live only).
    virtual bool ReadValue(const std::string& key, const std::string& name, RegistryData& data,
                           bool createKey = false) = 0;
    // A program runs while some live process owns its mutex named `running`.
    virtual bool ProgramRunning(const std::string& running) = 0;

    // Changes: each is recorded and reports whether its target is now as asked.
    bool Write(StepAction action, const std::string& path, const std::string& data);
    bool Copy(StepAction action, const std::string& from, const std::string& to);
    // Copies a file to its backup: afterwards the backup holds what the file held.
    bool BackUp(const std::string& file, const std::string& backup);
    // After the edit that followed BackUp: the backup must not share anything with the file.
    virtual void SettleBackup(const std::string& backup) {}
    bool Delete(const std::string& path);
    bool CreateFolder(const std::string& path);
    bool RemoveFolder(const std::string& path);
    bool SetValue(const std::string& key, const std::string& name, const RegistryData& data);
    bool DeleteValue(const std::string& key, const std::string& name);
    // Clears the program's stop event, starts it and waits until it owns its mutex.
    bool Start(const std::string& commandLine, const std::string& stopEvent, const std::string& running);
    // Sets the program's stop event and waits until no process owns its mutex.
    bool Stop(const std::string& stopEvent, const std::string& running);
    // A step that could not even be tried, such as an edit whose source was unreadable.
    void RecordFailure(StepAction action, const std::string& target, DWORD error);
    // Below this folder every part of a changed path must be a plain folder or file:
    // a link or junction there (say "chooks") would lead a copy or deletion elsewhere.
    // The last part of any changed path is checked everywhere.
    void GuardBelow(const std::string& folder);

protected:
    struct Result {
        StepOutcome outcome;
        DWORD error;
    };
    virtual Result DoWrite(const std::string& path, const std::string& data) = 0;
    // A copy through Read and DoWrite.
    virtual Result DoBackUp(const std::string& file, const std::string& backup);
    virtual Result DoDelete(const std::string& path) = 0;
    virtual Result DoCreateFolder(const std::string& path) = 0;
    virtual Result DoRemoveFolder(const std::string& path) = 0;
    virtual Result DoSetValue(const std::string& key, const std::string& name, const RegistryData& data) = 0;
    virtual Result DoDeleteValue(const std::string& key, const std::string& name) = 0;
    virtual Result DoStart(const std::string& commandLine, const std::string& stopEvent,
                           const std::string& running) = 0;
    virtual Result DoStop(const std::string& stopEvent, const std::string& running) = 0;

    // Reused from copy to copy: a fresh block of megabytes costs a page fault per page.
    std::string buffer_;

private:
    bool Record(StepAction action, const std::string& target, const std::string& detail, Result result);
    // A change at path would go through a link or reparse point: it is refused.
    bool ThroughLink(const std::string& path) const;

    CommitReport& report_;
    std::vector<std::string> guarded_;
};

// The live machine makes a backup as a second name of the file (a hard link) where
// the file system allows it: the old content then needs no copy and no flush,
// since the edit replaces the file's name with a new file. An edit that does not
// happen leaves the two sharing; SettleBackup then gives the backup a copy of its own.
class LiveMachine : public Machine {
public:
    using Machine::Machine;
    bool Exists(const std::string& path) override;
    DWORD Read(const std::string& path, std::string& data) override;
    DWORD ReadPieces(const std::string& path, const std::function<void(std::string_view)>& take) override;
    bool ReadValue(const std::string& key, const std::string& name, RegistryData& data, bool createKey) override;
    bool ProgramRunning(const std::string& running) override;
    void SettleBackup(const std::string& backup) override;

protected:
    Result DoWrite(const std::string& path, const std::string& data) override;
    Result DoBackUp(const std::string& file, const std::string& backup) override;
    Result DoDelete(const std::string& path) override;
    Result DoCreateFolder(const std::string& path) override;
    Result DoRemoveFolder(const std::string& path) override;
    Result DoSetValue(const std::string& key, const std::string& name, const RegistryData& data) override;
    Result DoDeleteValue(const std::string& key, const std::string& name) override;
    Result DoStart(const std::string& commandLine, const std::string& stopEvent, const std::string& running) override;
    Result DoStop(const std::string& stopEvent, const std::string& running) override;

private:
    // Registry keys stay open for the machine's life: opening one costs more than the
    // value read from it.
    HKEY Key(const std::string& key, bool create);
    LSTATUS WithKey(const std::string& key, bool create, const std::function<LSTATUS(HKEY)>& use);

    std::map<std::string, RegistryKey> keys_;
    struct Shared {
        std::string backup;
        std::string file;
        std::string content;  // read for the backup, handed to the edit's read of it
    };
    std::vector<Shared>::iterator Forget(std::vector<Shared>::iterator link);
    std::vector<Shared> shared_;
};
