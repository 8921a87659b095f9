#include "installer/Machine.h"
#include "foundation/AtomicFile.h"
#include "foundation/FileUtils.h"
#include "foundation/Owners.h"
#include "foundation/TextSearch.h"
#include <algorithm>
#include <vector>

RegistryData RegistryData::Dword(DWORD value) {
    return {REG_DWORD, std::string(reinterpret_cast<const char*>(&value), sizeof value)};
}

RegistryData RegistryData::Text(const std::string& text) { return {REG_SZ, text + '\0'}; }

bool Machine::Record(StepAction action, const std::string& target, const std::string& detail, Result result) {
    report_.steps.push_back({action, target, detail, result.outcome, result.error});
    return result.outcome != StepOutcome::Failed;
}

void Machine::RecordFailure(StepAction action, const std::string& target, DWORD error) {
    Record(action, target, std::string(), {StepOutcome::Failed, error});
}

void Machine::GuardBelow(const std::string& folder) {
    const std::string root = Lower(folder);
    if (!root.empty() && std::find(guarded_.begin(), guarded_.end(), root) == guarded_.end()) guarded_.push_back(root);
}

bool Machine::ThroughLink(const std::string& path) const {
    if (IsLinkOrReparsePoint(path)) return true;
    const std::string lower = Lower(path);
    for (std::string root : guarded_) {
        while (!root.empty() && root.back() == '\\') root.pop_back();
        if (lower.compare(0, root.size(), root) != 0 || lower.size() <= root.size() || lower[root.size()] != '\\')
            continue;
        for (size_t at = lower.find('\\', root.size() + 1); at != std::string::npos; at = lower.find('\\', at + 1))
            if (path[at - 1] != '\\' && IsLinkOrReparsePoint(path.substr(0, at))) return true;
    }
    return false;
}

bool Machine::Write(StepAction action, const std::string& path, const std::string& data) {
    if (ThroughLink(path)) return Record(action, path, std::string(), {StepOutcome::Failed, kErrorLinkRefused});
    return Record(action, path, std::string(), DoWrite(path, data));
}

bool Machine::Copy(StepAction action, const std::string& from, const std::string& to) {
    if (ThroughLink(to)) return Record(action, to, from, {StepOutcome::Failed, kErrorLinkRefused});
    const DWORD error = Read(from, buffer_);
    if (error != ERROR_SUCCESS) return Record(action, to, from, {StepOutcome::Failed, error});
    return Record(action, to, from, DoWrite(to, buffer_));
}

bool Machine::BackUp(const std::string& file, const std::string& backup) {
    if (ThroughLink(file) || ThroughLink(backup))
        return Record(StepAction::BackUp, backup, file, {StepOutcome::Failed, kErrorLinkRefused});
    return Record(StepAction::BackUp, backup, file, DoBackUp(file, backup));
}

Machine::Result Machine::DoBackUp(const std::string& file, const std::string& backup) {
    const DWORD error = Read(file, buffer_);
    if (error != ERROR_SUCCESS) return {StepOutcome::Failed, error};
    return DoWrite(backup, buffer_);
}

bool Machine::Delete(const std::string& path) {
    if (!Exists(path)) return Record(StepAction::DeleteFile, path, std::string(), {StepOutcome::Unchanged, 0});
    if (ThroughLink(path))
        return Record(StepAction::DeleteFile, path, std::string(), {StepOutcome::Failed, kErrorLinkRefused});
    return Record(StepAction::DeleteFile, path, std::string(), DoDelete(path));
}

bool Machine::CreateFolder(const std::string& path) {
    if (ThroughLink(path))
        return Record(StepAction::CreateFolder, path, std::string(), {StepOutcome::Failed, kErrorLinkRefused});
    if (Exists(path)) return Record(StepAction::CreateFolder, path, std::string(), {StepOutcome::Unchanged, 0});
    return Record(StepAction::CreateFolder, path, std::string(), DoCreateFolder(path));
}

bool Machine::RemoveFolder(const std::string& path) {
    if (!Exists(path)) return Record(StepAction::RemoveFolder, path, std::string(), {StepOutcome::Unchanged, 0});
    if (ThroughLink(path))
        return Record(StepAction::RemoveFolder, path, std::string(), {StepOutcome::Failed, kErrorLinkRefused});
    return Record(StepAction::RemoveFolder, path, std::string(), DoRemoveFolder(path));
}

bool Machine::SetValue(const std::string& key, const std::string& name, const RegistryData& data) {
    const std::string target = key + "\\" + name;
    if (data.bytes.size() > kLargestValueBytes)
        return Record(StepAction::SetValue, target, std::string(), {StepOutcome::Failed, kErrorValueTooLong});
    const std::string shown = data.type == REG_DWORD
                                  ? std::to_string(*reinterpret_cast<const DWORD*>(data.bytes.data()))
                                  : data.bytes.substr(0, data.bytes.find('\0'));
    return Record(StepAction::SetValue, target, shown, DoSetValue(key, name, data));
}

bool Machine::DeleteValue(const std::string& key, const std::string& name) {
    const std::string target = key + "\\" + name;
    RegistryData current;
    if (!ReadValue(key, name, current))
        return Record(StepAction::DeleteValue, target, std::string(), {StepOutcome::Unchanged, 0});
    return Record(StepAction::DeleteValue, target, std::string(), DoDeleteValue(key, name));
}

bool Machine::Start(const std::string& commandLine, const std::string& stopEvent, const std::string& running) {
    return Record(StepAction::StartProgram, commandLine, std::string(), DoStart(commandLine, stopEvent, running));
}

bool Machine::Stop(const std::string& stopEvent, const std::string& running) {
    return Record(StepAction::SignalEvent, stopEvent, std::string(), DoStop(stopEvent, running));
}

bool LiveMachine::Exists(const std::string& path) {
    return !path.empty() && ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

DWORD LiveMachine::Read(const std::string& path, std::string& data) {
    if (path.empty()) return ERROR_PATH_NOT_FOUND;
    for (Shared& link : shared_) {
        if (link.backup != path || link.content.empty()) continue;
        data.swap(link.content);
        link.content.clear();
        return ERROR_SUCCESS;
    }
    return ReadWholeFileBytes(path, data, kLargestEditable);
}

DWORD LiveMachine::ReadPieces(const std::string& path, const std::function<void(std::string_view)>& take) {
    const DWORD kPiece = 256 * 1024;
    ScopedHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return ::GetLastError();
    buffer_.resize(kPiece);
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(file.Get(), &buffer_[0], kPiece, &read, nullptr)) return ::GetLastError();
        if (read > 0) take(std::string_view(buffer_.data(), read));
        if (read < kPiece) return ERROR_SUCCESS;
    }
}

namespace {
bool AlreadyThere(DWORD error) { return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS; }

// Gives the file a second name, the backup's, in one step; false where the file
// system has no second names or something is in the way.
bool LinkAsBackup(const std::string& file, const std::string& backup) {
    if (::CreateHardLinkA(backup.c_str(), file.c_str(), nullptr)) return true;
    if (!AlreadyThere(::GetLastError())) return false;
    // An earlier backup is replaced by renaming a new name over it.
    const std::string temporary = FreshTemporaryName(backup);
    if (!::CreateHardLinkA(temporary.c_str(), file.c_str(), nullptr)) return false;
    if (!::MoveFileExA(temporary.c_str(), backup.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ::DeleteFileA(temporary.c_str());
        return false;
    }
    // Renaming onto another name of the same file does nothing and leaves the temporary name.
    if (::GetFileAttributesA(temporary.c_str()) != INVALID_FILE_ATTRIBUTES) ::DeleteFileA(temporary.c_str());
    return true;
}
}  // namespace

Machine::Result LiveMachine::DoBackUp(const std::string& file, const std::string& backup) {
    // The file is read first: one that cannot be read gets no backup, as a copy would
    // fail on it too, and the edit that follows takes this content instead of a read.
    if (const DWORD error = ReadWholeFileBytes(file, buffer_, kLargestEditable)) return {StepOutcome::Failed, error};
    if (!LinkAsBackup(file, backup)) return DoWrite(backup, buffer_);
    shared_.push_back({backup, file, std::string()});
    shared_.back().content.swap(buffer_);
    return {StepOutcome::Done, 0};
}

void LiveMachine::SettleBackup(const std::string& backup) {
    for (auto link = shared_.begin(); link != shared_.end(); ++link) {
        if (link->backup != backup) continue;
        DWORD error = Read(backup, buffer_);
        if (error == ERROR_SUCCESS) error = ReplaceFileContents(backup, buffer_);
        if (error != ERROR_SUCCESS) RecordFailure(StepAction::BackUp, backup, error);
        Forget(link);
        return;
    }
}

std::vector<LiveMachine::Shared>::iterator LiveMachine::Forget(std::vector<Shared>::iterator link) {
    // The content's block goes back to the copy buffer instead of to the heap.
    if (link->content.capacity() > buffer_.capacity()) buffer_.swap(link->content);
    return shared_.erase(link);
}

HKEY LiveMachine::Key(const std::string& key, bool create) {
    const std::string name = Lower(key);
    if (auto open = keys_.find(name); open != keys_.end()) return open->second.Get();
    RegistryKey handle;
    const REGSAM access = KEY_QUERY_VALUE | KEY_SET_VALUE;
    const LSTATUS status = create ? ::RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, access, nullptr,
                                                      handle.Out(), nullptr)
                                  : ::RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, access, handle.Out());
    if (status != ERROR_SUCCESS) return nullptr;
    return keys_.emplace(name, std::move(handle)).first->second.Get();
}

LSTATUS LiveMachine::WithKey(const std::string& key, bool create, const std::function<LSTATUS(HKEY)>& use) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        HKEY handle = Key(key, create);
        if (!handle) return ERROR_FILE_NOT_FOUND;
        const LSTATUS status = use(handle);
        // Deleted by someone else since it was opened: open it afresh once.
        if (status != ERROR_KEY_DELETED) return status;
        keys_.erase(Lower(key));
    }
    return ERROR_KEY_DELETED;
}

bool LiveMachine::ReadValue(const std::string& key, const std::string& name, RegistryData& data, bool createKey) {
    return WithKey(key, createKey, [&](HKEY handle) {
               // Most values fit a small buffer, which takes one call instead of two.
               DWORD type = REG_NONE;
               BYTE small[256];
               DWORD size = sizeof small;
               LSTATUS status = ::RegQueryValueExA(handle, name.c_str(), nullptr, &type, small, &size);
               if (status == ERROR_SUCCESS) {
                   data.type = type;
                   data.bytes.assign(reinterpret_cast<const char*>(small), size);
                   return status;
               }
               if (status != ERROR_MORE_DATA || size > kLargestValueBytes) return status;
               std::vector<char> bytes(size + 1, '\0');
               status = ::RegQueryValueExA(handle, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(bytes.data()),
                                           &size);
               if (status == ERROR_SUCCESS) {
                   data.type = type;
                   data.bytes.assign(bytes.data(), size);
               }
               return status;
           }) == ERROR_SUCCESS;
}

Machine::Result LiveMachine::DoWrite(const std::string& path, const std::string& data) {
    if (path.empty()) return {StepOutcome::Failed, ERROR_PATH_NOT_FOUND};
    const DWORD error = ReplaceFileContents(path, data);
    // A new file under the name: a backup made as a second name no longer shares it.
    for (auto link = shared_.begin(); error == ERROR_SUCCESS && link != shared_.end();) {
        link = link->file == path || link->backup == path ? Forget(link) : link + 1;
    }
    return {error == ERROR_SUCCESS ? StepOutcome::Done : StepOutcome::Failed, error};
}

Machine::Result LiveMachine::DoDelete(const std::string& path) {
    if (::DeleteFileA(path.c_str())) return {StepOutcome::Done, 0};
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return {StepOutcome::Unchanged, 0};
    return {StepOutcome::Failed, error};
}

Machine::Result LiveMachine::DoCreateFolder(const std::string& path) {
    if (::CreateDirectoryA(path.c_str(), nullptr)) return {StepOutcome::Done, 0};
    const DWORD error = ::GetLastError();
    return {error == ERROR_ALREADY_EXISTS ? StepOutcome::Unchanged : StepOutcome::Failed, error};
}

Machine::Result LiveMachine::DoRemoveFolder(const std::string& path) {
    if (::RemoveDirectoryA(path.c_str())) return {StepOutcome::Done, 0};
    const DWORD error = ::GetLastError();
    // A folder that still holds other files is kept on purpose.
    if (error == ERROR_DIR_NOT_EMPTY || error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        return {StepOutcome::Unchanged, error};
    return {StepOutcome::Failed, error};
}

Machine::Result LiveMachine::DoSetValue(const std::string& key, const std::string& name, const RegistryData& data) {
    const LSTATUS status = WithKey(key, true, [&](HKEY handle) {
        return ::RegSetValueExA(handle, name.c_str(), 0, data.type, reinterpret_cast<const BYTE*>(data.bytes.data()),
                                static_cast<DWORD>(data.bytes.size()));
    });
    return {status == ERROR_SUCCESS ? StepOutcome::Done : StepOutcome::Failed, static_cast<DWORD>(status)};
}

Machine::Result LiveMachine::DoDeleteValue(const std::string& key, const std::string& name) {
    const LSTATUS status = WithKey(key, false, [&](HKEY handle) { return ::RegDeleteValueA(handle, name.c_str()); });
    if (status == ERROR_FILE_NOT_FOUND) return {StepOutcome::Unchanged, 0};
    return {status == ERROR_SUCCESS ? StepOutcome::Done : StepOutcome::Failed, static_cast<DWORD>(status)};
}

namespace {
// How long a program is given to come up, or to end once asked to.
const DWORD kProgramWait = 10000;
const DWORD kProgramPoll = 20;

// The stop event is manual-reset: a stop asked before the program waits on it is
// not lost. Null when the name belongs to an object of another kind.
ScopedHandle StopEvent(const std::string& name) {
    return ScopedHandle(::CreateEventA(nullptr, TRUE, FALSE, name.c_str()));
}

// Whether another live process owns the mutex; `error` tells a name held by another
// kind of object (ERROR_INVALID_HANDLE) from a mutex nobody has made.
bool OwnedElsewhere(const std::string& name, DWORD& error) {
    error = ERROR_SUCCESS;
    ScopedHandle mutex(::OpenMutexA(SYNCHRONIZE, FALSE, name.c_str()));
    if (!mutex) {
        error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND) error = ERROR_SUCCESS;
        return false;
    }
    const DWORD waited = ::WaitForSingleObject(mutex.Get(), 0);
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) ::ReleaseMutex(mutex.Get());
    return waited == WAIT_TIMEOUT;
}
}  // namespace

bool LiveMachine::ProgramRunning(const std::string& running) {
    DWORD error = ERROR_SUCCESS;
    return OwnedElsewhere(running, error);
}

Machine::Result LiveMachine::DoStart(const std::string& commandLine, const std::string& stopEvent,
                                     const std::string& running) {
    const ScopedHandle stop = StopEvent(stopEvent);
    if (!stop) return {StepOutcome::Failed, ::GetLastError()};
    // A stop asked of an earlier program is not meant for this one.
    if (!::ResetEvent(stop.Get())) return {StepOutcome::Failed, ::GetLastError()};
    // A program that could not tell it runs is not started.
    DWORD squatted = ERROR_SUCCESS;
    if (OwnedElsewhere(running, squatted)) return {StepOutcome::Unchanged, 0};
    if (squatted != ERROR_SUCCESS) return {StepOutcome::Failed, squatted};
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started))
        return {StepOutcome::Failed, ::GetLastError()};
    const ScopedHandle process(started.hProcess);
    const ScopedHandle thread(started.hThread);
    // Until it owns its mutex a stop could find no program to stop.
    for (DWORD waited = 0; waited < kProgramWait; waited += kProgramPoll) {
        DWORD error = ERROR_SUCCESS;
        if (OwnedElsewhere(running, error)) return {StepOutcome::Done, 0};
        if (error != ERROR_SUCCESS) return {StepOutcome::Failed, error};
        if (::WaitForSingleObject(process.Get(), kProgramPoll) == WAIT_OBJECT_0) {
            // Ended at once: another copy may have been running already.
            if (OwnedElsewhere(running, error)) return {StepOutcome::Done, 0};
            return {StepOutcome::Failed, error != ERROR_SUCCESS ? error : ERROR_PROCESS_ABORTED};
        }
    }
    return {StepOutcome::Failed, WAIT_TIMEOUT};
}

Machine::Result LiveMachine::DoStop(const std::string& stopEvent, const std::string& running) {
    const ScopedHandle stop = StopEvent(stopEvent);
    if (!stop) return {StepOutcome::Failed, ::GetLastError()};
    if (!::SetEvent(stop.Get())) return {StepOutcome::Failed, ::GetLastError()};
    ScopedHandle mutex(::OpenMutexA(SYNCHRONIZE, FALSE, running.c_str()));
    if (!mutex) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND) return {StepOutcome::Done, 0};  // none runs
        return {StepOutcome::Failed, error};
    }
    // The program lets go of its mutex as it ends (or the system does, should it die).
    const DWORD waited = ::WaitForSingleObject(mutex.Get(), kProgramWait);
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {
        ::ReleaseMutex(mutex.Get());
        return {StepOutcome::Done, 0};
    }
    return {StepOutcome::Failed, waited == WAIT_TIMEOUT ? WAIT_TIMEOUT : ::GetLastError()};
}
