#pragma once
// What a Commit did, step by step, or what it would do when it was only planned.
#include "foundation/Export.h"
#include "installer/EditRefusal.h"
#include <windows.h>
#include <map>
#include <string>
#include <vector>

enum class StepAction {
    ReadFile,   // a configuration file the scan could not read, so it was left out
    WriteFile,  // a configuration file or editor list rewritten
    BackUp,     // a file copied to its ".QTXSave" backup
    CopyFile,   // an add-on file copied into Mastercam's folder
    DeleteFile,
    CreateFolder,
    RemoveFolder,  // removed only when empty
    SetValue,      // a registry value written (under HKEY_CURRENT_USER)
    DeleteValue,
    StartProgram,  // the companion started, once it runs
    SignalEvent,   // the companion asked to end, once it has
    Lock,          // the lock of a Mastercam installation, not had: nothing was changed
    Keep,          // an add-on file or value left for a file that could not be changed
};

enum class StepOutcome {
    Done,       // changed as asked
    Unchanged,  // already as asked: nothing to do
    Planned,    // would be done (plans only)
    Failed,     // not done: see the error
};

struct CommitStep {
    StepAction action;
    std::string target;  // file, folder, "key\value" of a registry value, program, event
    std::string detail;  // copy source, registry data, command line
    StepOutcome outcome;
    DWORD error;  // the Win32 error of a failed step, or of an outcome Windows reported
};

// A file's content before and after a plan: the plan's new content is exactly
// what the real run would write.
struct PlannedFile {
    bool existed = false;
    std::string before;
    std::string after;
};

struct VELLANTS_API CommitReport {
    bool planned = false;
    std::vector<CommitStep> steps;
    std::map<std::string, PlannedFile> files;  // plans only: every file written, by path

    bool Failed() const;
    // Another run held an installation's lock for the whole wait.
    bool Busy() const;
    std::vector<const CommitStep*> Failures() const;
    // Plans only: the configuration files and editor lists the run would edit, in the
    // order of their first edit.
    std::vector<std::string> EditedFiles() const;
};

VELLANTS_API const char* ActionName(StepAction action);
VELLANTS_API const char* OutcomeName(StepOutcome outcome);
// An edit the installer refused carries an error of its own: Windows's bit for
// errors defined by applications, and the reason.
constexpr DWORD kRefusalErrorBase = 0x20000000 | 0x00EE0000;
constexpr DWORD RefusalError(EditRefusal refusal) { return kRefusalErrorBase | static_cast<DWORD>(refusal); }
// The system's text for a Win32 error, without its line ending; for a refusal, its reason.
VELLANTS_API std::string WindowsErrorText(DWORD error);
