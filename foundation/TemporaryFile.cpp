#include "foundation/TemporaryFile.h"
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace {
// Large files are written in pieces, each checked on its own.
const DWORD kWritePiece = 1024 * 1024;
// A name someone planted ahead of us is passed over; this many in a row is an attack.
const int kNameAttempts = 64;

std::atomic<int> writesUntilFault{0};
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
    if (writesUntilFault.load() > 0 && --writesUntilFault == 0) {
        error = ERROR_DISK_FULL;
        return false;
    }
    DWORD written = 0;
    if (!::WriteFile(file, data, size, &written, nullptr)) {
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

const char* LibraryErrorText(DWORD error) {
    switch (error) {
        case kErrorLinkRefused:
            return "Refused: the name is a link or reparse point, so the change could reach another file.";
        case kErrorValueTooLong: return "Refused: the value is longer than the installer stores.";
        default: return nullptr;
    }
}

bool IsLinkOrReparsePoint(const std::string& path) {
    if (path.empty()) return false;
    const DWORD attributes = ::GetFileAttributesA(Trimmed(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
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
        if (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) continue;
        ::DeleteFileA((folder + name).c_str());
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
        if (file_) return;
        error_ = ::GetLastError();
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
    if (file_ && !::FlushFileBuffers(file_.Get())) return ::GetLastError();
    file_.Reset();
    if (IsLinkOrReparsePoint(target_)) return kErrorLinkRefused;
    if (!::MoveFileExA(path_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return ::GetLastError();
    placed_ = true;
    return ERROR_SUCCESS;
}

void FailNthFileWriteForTests(int n) { writesUntilFault = n; }
