#include "foundation/TemporaryFile.h"
#include "foundation/PlannedFailure.h"
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {
// Large files are written in pieces, each checked on its own.
const DWORD kWritePiece = 1024 * 1024;
// A name someone planted ahead of us is passed over; this many in a row is an attack.
const int kNameAttempts = 64;

std::atomic<unsigned> counter{0};

unsigned long long StartOf(HANDLE process) {
    FILETIME created, exited, kernel, user;
    if (!::GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
    return (static_cast<unsigned long long>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

// This process as temporaries name it: its id and its start, so that an id the
// system hands out again later does not pass for it.
struct ProcessMark {
    DWORD id;
    unsigned long long start;
};

const ProcessMark& Self() {
    static const ProcessMark self = {::GetCurrentProcessId(), StartOf(::GetCurrentProcess())};
    return self;
}

// Whether the process that made a temporary still runs. A process that cannot be
// asked (another user's) counts as running: its files are left alone.
bool Running(const ProcessMark& mark) {
    if (mark.id == Self().id && mark.start == Self().start) return true;
    ScopedHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, mark.id));
    if (!process) return ::GetLastError() != ERROR_INVALID_PARAMETER;
    if (StartOf(process.Get()) != mark.start) return false;
    DWORD code = 0;
    return !::GetExitCodeProcess(process.Get(), &code) || code == STILL_ACTIVE;
}

// "<pid>-<start>-<counter>" behind the marker; false for any other form.
bool ParseMark(const std::string& rest, ProcessMark& mark) {
    unsigned long id = 0;
    unsigned long long start = 0;
    unsigned number = 0;
    int used = 0;
    if (std::sscanf(rest.c_str(), "%lu-%llx-%u%n", &id, &start, &number, &used) != 3) return false;
    if (used != static_cast<int>(rest.size())) return false;
    mark = {static_cast<DWORD>(id), start};
    return true;
}

std::string Folder(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string Trimmed(std::string path) {
    while (path.size() > 3 && (path.back() == '\\' || path.back() == '/')) path.pop_back();
    return path;
}

bool WritePiece(HANDLE file, const char* data, DWORD size, DWORD& error) {
    DWORD written = 0;
    if (PlannedFailure() || !::WriteFile(file, data, size, &written, nullptr)) {
        error = ::GetLastError();
        return false;
    }
    if (written != size) {
        error = ERROR_DISK_FULL;
        return false;
    }
    return true;
}
}  // namespace

namespace {
// The name the file system gives the object that path opens, without its drive.
bool OpenedName(const std::string& path, std::wstring& name) {
    ScopedHandle object(::CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!object) return false;
    std::vector<char> buffer(sizeof(FILE_NAME_INFO) + 32768 * sizeof(WCHAR));
    auto* info = reinterpret_cast<FILE_NAME_INFO*>(buffer.data());
    if (!::GetFileInformationByHandleEx(object.Get(), FileNameInfo, info, static_cast<DWORD>(buffer.size())))
        return false;
    name.assign(info->FileName, info->FileNameLength / sizeof(WCHAR));
    return true;
}

std::wstring Wide(const char* text) {
    const int length = ::MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    std::wstring wide(length > 0 ? length : 1, L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], length);
    wide.resize(wide.size() - 1);
    return wide;
}
}  // namespace

bool IsLinkOrReparsePoint(const std::string& path) {
    if (path.empty()) return false;
    const std::string trimmed = Trimmed(path);
    const DWORD attributes = ::GetFileAttributesA(trimmed.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return true;
    // Some systems (Wine) show a link to a file as the file itself; the object it opens
    // then bears another name than the entry in its folder.
    const size_t slash = trimmed.find_last_of("\\/");
    WIN32_FIND_DATAA entry;
    if (slash == std::string::npos || !FindHandle(::FindFirstFileA(trimmed.c_str(), &entry))) return false;
    std::wstring folder, opened;
    if (!OpenedName(trimmed.substr(0, slash + 1), folder) || !OpenedName(trimmed, opened)) return false;
    if (folder.empty() || folder.back() != L'\\') folder += L'\\';
    return _wcsicmp((folder + Wide(entry.cFileName)).c_str(), opened.c_str()) != 0;
}

void ClearOrphanedTemporaries(const std::string& target) {
    const std::string prefix = target + kTemporaryMarker;
    const std::string folder = Folder(target);
    const std::string namePrefix = prefix.substr(folder.size());
    WIN32_FIND_DATAA found;
    FindHandle search(::FindFirstFileA((prefix + "*").c_str(), &found));
    if (!search) return;
    do {
        const std::string name = found.cFileName;
        ProcessMark mark;
        if (name.size() <= namePrefix.size() || _strnicmp(name.c_str(), namePrefix.c_str(), namePrefix.size()) != 0)
            continue;
        if (!ParseMark(name.substr(namePrefix.size()), mark) || Running(mark)) continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        if (!IsLinkOrReparsePoint(folder + name)) ::DeleteFileA((folder + name).c_str());
    } while (::FindNextFileA(search.Get(), &found));
}

std::string FreshTemporaryName(const std::string& target) {
    ClearOrphanedTemporaries(target);
    char mark[64];
    std::snprintf(mark, sizeof mark, "%lu-%llx-%u", static_cast<unsigned long>(Self().id), Self().start, ++counter);
    return target + kTemporaryMarker + mark;
}

TemporaryFile::TemporaryFile(const std::string& target) : target_(target) {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        path_ = FreshTemporaryName(target);
        // A new file only: a name already there, a planted link included, is passed over.
        file_.Reset(::CreateFileA(path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        error_ = file_ ? ERROR_SUCCESS : ::GetLastError();
        if (file_) return;
        if (error_ != ERROR_FILE_EXISTS && error_ != ERROR_ALREADY_EXISTS) break;
    }
    path_.clear();
}

TemporaryFile::~TemporaryFile() {
    if (placed_ || path_.empty()) return;
    file_.Reset();
    ::DeleteFileA(path_.c_str());
}

DWORD TemporaryFile::Write(const char* data, size_t size) {
    if (error_ != ERROR_SUCCESS) return error_;
    if (!file_) return ERROR_INVALID_HANDLE;
    DWORD error = ERROR_SUCCESS;
    for (size_t done = 0; done < size;) {
        const DWORD piece = static_cast<DWORD>(std::min<size_t>(kWritePiece, size - done));
        if (!WritePiece(file_.Get(), data + done, piece, error)) return error;
        done += piece;
    }
    return ERROR_SUCCESS;
}

void TemporaryFile::Close() { file_.Reset(); }

DWORD TemporaryFile::PutInPlace() {
    if (error_ != ERROR_SUCCESS) return error_;
    if (file_ && (PlannedFailure() || !::FlushFileBuffers(file_.Get()))) return ::GetLastError();
    file_.Reset();
    if (IsLinkOrReparsePoint(target_)) return kErrorLinkRefused;
    if (PlannedFailure() ||
        !::MoveFileExA(path_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return ::GetLastError();
    placed_ = true;
    return ERROR_SUCCESS;
}
