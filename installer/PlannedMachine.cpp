#include "installer/PlannedMachine.h"
#include "foundation/Owners.h"
#include <algorithm>
#include <cctype>

namespace {
// One spelling per file: Windows paths ignore case and repeated separators.
std::string Normalised(const std::string& path) {
    std::string result;
    result.reserve(path.size());
    for (size_t i = 0; i < path.size(); ++i) {
        const char c = path[i] == '/' ? '\\' : path[i];
        const bool uncStart = i < 2;
        if (c == '\\' && !result.empty() && result.back() == '\\' && !uncStart) continue;
        result += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    while (result.size() > 3 && result.back() == '\\') result.pop_back();
    return result;
}

std::string ParentOf(const std::string& normalised) {
    const size_t slash = normalised.rfind('\\');
    return slash == std::string::npos ? std::string() : normalised.substr(0, slash);
}
}  // namespace

bool PlannedMachine::Exists(const std::string& path) {
    const std::string key = Normalised(path);
    if (auto file = files_.find(key); file != files_.end()) return file->second.has_value();
    if (auto folder = folders_.find(key); folder != folders_.end()) return folder->second;
    return real_.Exists(path);
}

DWORD PlannedMachine::Read(const std::string& path, std::string& data) {
    if (auto file = files_.find(Normalised(path)); file != files_.end()) {
        if (!file->second) return ERROR_FILE_NOT_FOUND;
        data = *file->second;
        return ERROR_SUCCESS;
    }
    return real_.Read(path, data);
}

DWORD PlannedMachine::ReadPieces(const std::string& path, const std::function<void(std::string_view)>& take) {
    if (auto file = files_.find(Normalised(path)); file != files_.end()) {
        if (!file->second) return ERROR_FILE_NOT_FOUND;
        take(*file->second);
        return ERROR_SUCCESS;
    }
    return real_.ReadPieces(path, take);
}

bool PlannedMachine::ReadValue(const std::string& key, const std::string& name, RegistryData& data, bool) {
    if (auto value = values_.find(Normalised(key + "\\" + name)); value != values_.end()) {
        if (!value->second) return false;
        data = *value->second;
        return true;
    }
    return real_.ReadValue(key, name, data, false);
}

Machine::Result PlannedMachine::DoWrite(const std::string& path, const std::string& data) {
    const std::string key = Normalised(path);
    if (path.empty() || !Exists(ParentOf(key))) return {StepOutcome::Failed, ERROR_PATH_NOT_FOUND};
    if (!files_.count(key)) {
        // A folder or a read-only file in the way makes the replacement fail.
        const DWORD attributes = ::GetFileAttributesA(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES &&
            (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)))
            return {StepOutcome::Failed, ERROR_ACCESS_DENIED};
    }
    auto planned = report_.files.find(path);
    if (planned == report_.files.end()) {
        PlannedFile file;
        file.existed = real_.Read(path, file.before) == ERROR_SUCCESS;
        planned = report_.files.emplace(path, std::move(file)).first;
    }
    planned->second.after = data;
    files_[key] = data;
    return {StepOutcome::Planned, 0};
}

Machine::Result PlannedMachine::DoDelete(const std::string& path) {
    files_[Normalised(path)] = std::nullopt;
    return {StepOutcome::Planned, 0};
}

Machine::Result PlannedMachine::DoCreateFolder(const std::string& path) {
    const std::string key = Normalised(path);
    if (path.empty() || !Exists(ParentOf(key))) return {StepOutcome::Failed, ERROR_PATH_NOT_FOUND};
    folders_[key] = true;
    return {StepOutcome::Planned, 0};
}

Machine::Result PlannedMachine::DoRemoveFolder(const std::string& path) {
    const std::string key = Normalised(path);
    if (!FolderIsEmpty(key)) return {StepOutcome::Unchanged, ERROR_DIR_NOT_EMPTY};
    folders_[key] = false;
    return {StepOutcome::Planned, 0};
}

Machine::Result PlannedMachine::DoSetValue(const std::string& key, const std::string& name, const RegistryData& data) {
    // The run writes the value anyway; the plan tells whether that changes it.
    RegistryData current;
    if (ReadValue(key, name, current, false) && current == data) return {StepOutcome::Unchanged, 0};
    values_[Normalised(key + "\\" + name)] = data;
    return {StepOutcome::Planned, 0};
}

Machine::Result PlannedMachine::DoDeleteValue(const std::string& key, const std::string& name) {
    values_[Normalised(key + "\\" + name)] = std::nullopt;
    return {StepOutcome::Planned, 0};
}

bool PlannedMachine::ProgramRunning(const std::string& running) {
    const auto planned = programs_.find(running);
    return planned != programs_.end() ? planned->second : real_.ProgramRunning(running);
}

Machine::Result PlannedMachine::DoStart(const std::string&, const std::string&, const std::string& running) {
    programs_[running] = true;
    return {StepOutcome::Planned, 0};
}

Machine::Result PlannedMachine::DoStop(const std::string&, const std::string& running) {
    programs_[running] = false;
    return {StepOutcome::Planned, 0};
}

bool PlannedMachine::FolderIsEmpty(const std::string& folder) {
    WIN32_FIND_DATAA entry;
    FindHandle search(::FindFirstFileA((folder + "\\*").c_str(), &entry));
    if (search) {
        do {
            const std::string name = entry.cFileName;
            if (name == "." || name == "..") continue;
            if (Exists(folder + "\\" + name)) return false;
        } while (::FindNextFileA(search.Get(), &entry));
    }
    const auto inFolder = [&](const std::string& path) { return ParentOf(path) == folder; };
    for (const auto& [path, content] : files_)
        if (content && inFolder(path)) return false;
    for (const auto& [path, made] : folders_)
        if (made && inFolder(path)) return false;
    return true;
}
