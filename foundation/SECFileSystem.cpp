#include "foundation/SECFileSystem.h"
#include "foundation/PlannedFailure.h"
#include "foundation/FileUtils.h"
#include "foundation/Owners.h"
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace {
const DWORD kBlock = 65536;

// Removable or missing drives fail quietly instead of asking the user.
class QuietErrors {
public:
    QuietErrors() : previous(::SetErrorMode(SEM_FAILCRITICALERRORS)) {}
    QuietErrors(const QuietErrors&) = delete;
    QuietErrors& operator=(const QuietErrors&) = delete;
    ~QuietErrors() { ::SetErrorMode(previous); }

private:
    UINT previous;
};

ScopedHandle OpenFile(const char* name, DWORD access, DWORD disposition) {
    return ScopedHandle(
        ::CreateFileA(name, access, FILE_SHARE_READ, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
}

int LastSeparator(const CString& path) { return std::max(path.ReverseFind('\\'), path.ReverseFind('/')); }

bool Matches(DWORD found, int filter) {
    if (filter == -1) return true;
    if (filter == 0 || filter == FILE_ATTRIBUTE_NORMAL)
        return (found & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | 0x08 | FILE_ATTRIBUTE_DIRECTORY |
                         FILE_ATTRIBUTE_DEVICE)) == 0;
    return (found & static_cast<DWORD>(filter)) != 0;
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// The position after the next separator at or after from (the length when there is none).
int AfterComponent(const CString& path, int from) {
    while (from < path.GetLength() && !IsSeparator(path[from])) ++from;
    return from < path.GetLength() ? from + 1 : from;
}

// How much of the path names its volume or share, which no folder creation can
// make: C:\, \\server\share\, \\?\C:\, \\?\UNC\server\share\ (and \\.\ like \\?\).
int RootLength(const CString& path) {
    const int length = path.GetLength();
    if (length >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        if (length >= 4 && (path[2] == '?' || path[2] == '.') && IsSeparator(path[3])) {
            if (path.Mid(4, 4).CompareNoCase("UNC\\") == 0 || path.Mid(4, 4).CompareNoCase("UNC/") == 0)
                return AfterComponent(path, AfterComponent(path, 8));
            return AfterComponent(path, 4);
        }
        return AfterComponent(path, AfterComponent(path, 2));
    }
    if (length >= 2 && path[1] == ':') return length > 2 && IsSeparator(path[2]) ? 3 : 2;
    return 0;
}
}  // namespace

SECFileSystem::~SECFileSystem() = default;

CString SECFileSystem::GetFileName(const CString& path) {
    const int at = LastSeparator(path);
    return at < 0 ? path : path.Mid(at + 1);
}

CString SECFileSystem::GetPath(const CString& path, bool includeDrive) {
    const int at = LastSeparator(path);
    CString folder = at < 0 ? CString() : path.Left(at + 1);
    if (!includeDrive) {
        const int colon = folder.Find(':');
        if (colon >= 0) folder = folder.Mid(colon + 1);
    }
    return folder;
}

CString SECFileSystem::GetExtension(const CString& path) {
    const CString name = GetFileName(path);
    const int dot = name.ReverseFind('.');
    if (dot < 0 || dot == name.GetLength() - 1) return CString();
    return name.Mid(dot + 1);
}

CString SECFileSystem::GetBaseName(const CString& path) {
    const CString name = GetFileName(path);
    const int dot = name.ReverseFind('.');
    return dot < 0 ? name : name.Left(dot);
}

CString SECFileSystem::GetRoot(const CString& path) {
    int at = path.Find(":\\");
    const int slashed = path.Find(":/");
    if (at < 0 || (slashed >= 0 && slashed < at)) at = slashed;
    if (at >= 0) return path.Left(at + 2);
    const int colon = path.Find(':');
    if (colon >= 0) return path.Left(colon + 1);
    if (path.Left(2) == "\\\\" || path.Left(2) == "//") {
        int end = path.GetLength();
        for (int i = 2; i < path.GetLength(); ++i) {
            if (path[i] == '\\' || path[i] == '/') {
                end = i + 1;
                break;
            }
        }
        return path.Left(end);
    }
    return CString();
}

CString SECFileSystem::AppendPaths(const CString& a, const CString& b) {
    if (!a.IsEmpty() && a[a.GetLength() - 1] != '\\' && a[a.GetLength() - 1] != '/') return a + "\\" + b;
    return a + b;
}

CString SECFileSystem::GetFullPath(const CString& path) const {
    std::vector<char> buffer(kMaxPath + 1, '\0');
    const DWORD n = ::GetFullPathNameA(path, kMaxPath, buffer.data(), nullptr);
    return n == 0 || n > DWORD(kMaxPath) ? path : CString(buffer.data());
}

bool SECFileSystem::FileExists(const CString& path) const {
    CFileStatus status;
    return GetStatus(path, status);
}

bool SECFileSystem::IsDirectory(const CString& path) const {
    const DWORD attributes = ::GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool SECFileSystem::GetStatus(const CString& path, CFileStatus& status) const {
    QuietErrors quiet;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (path.IsEmpty() || !::GetFileAttributesExA(path, GetFileExInfoStandard, &data)) return false;
    status.m_ctime = data.ftCreationTime;
    status.m_mtime = data.ftLastWriteTime;
    status.m_atime = data.ftLastAccessTime;
    status.m_size = (ULONGLONG(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    status.m_attribute = static_cast<BYTE>(data.dwFileAttributes);
    status.m_szFullName = GetFullPath(path);
    return true;
}

bool SECFileSystem::GetFindTime(const CString& path, FILETIME WIN32_FIND_DATAA::*field, FILETIME& when) const {
    WIN32_FIND_DATAA data;
    if (!FindHandle(::FindFirstFileA(path, &data)).Valid()) return false;
    when = data.*field;
    return true;
}

bool SECFileSystem::GetFileCreationTime(const CString& path, FILETIME& when) const {
    return GetFindTime(path, &WIN32_FIND_DATAA::ftCreationTime, when);
}

bool SECFileSystem::GetFileModifyTime(const CString& path, FILETIME& when) const {
    return GetFindTime(path, &WIN32_FIND_DATAA::ftLastWriteTime, when);
}

bool SECFileSystem::GetFileAccessTime(const CString& path, FILETIME& when) const {
    return GetFindTime(path, &WIN32_FIND_DATAA::ftLastAccessTime, when);
}

bool SECFileSystem::GetFileSize(const CString& path, ULONGLONG& size) const {
    CFileStatus status;
    if (!GetStatus(path, status)) return false;
    size = status.m_size;
    return true;
}

bool SECFileSystem::GetFileAttribute(const CString& path, BYTE& attribute) const {
    CFileStatus status;
    if (!GetStatus(path, status)) return false;
    attribute = status.m_attribute;
    return true;
}

CString SECFileSystem::GetCurrentDirectory() const {
    std::vector<char> buffer(kMaxPath + 1, '\0');
    const DWORD n = ::GetCurrentDirectoryA(kMaxPath, buffer.data());
    return n == 0 || n > DWORD(kMaxPath) ? CString() : CString(buffer.data());
}

bool SECFileSystem::ChangeDirectory(const CString& path) const { return ::SetCurrentDirectoryA(path) != 0; }

bool SECFileSystem::ChangeDrive(int drive) const {
    if (drive < 1 || drive >= 27) return false;
    const char root[] = {static_cast<char>('A' + drive - 1), ':', '\0'};
    QuietErrors quiet;
    return ::SetCurrentDirectoryA(root) != 0;
}

CStringList* SECFileSystem::GetDriveList() const {
    CStringList* drives = new CStringList(10);
    QuietErrors quiet;
    for (char letter = 'a'; letter <= 'z'; ++letter) {
        const char root[] = {letter, ':', '\\', '\0'};
        if (::GetDriveTypeA(root) > DRIVE_NO_ROOT_DIR) drives->AddTail(root);
    }
    return drives;
}

bool SECFileSystem::IsValidDrive(const CString& root) const {
    CString lower(root);
    lower.MakeLower();
    std::unique_ptr<CStringList> drives(GetDriveList());
    return std::find(drives->begin(), drives->end(), lower) != drives->end();
}

CString SECFileSystem::GetVolumeLabel(const CString& root) const {
    char label[256] = {0};
    QuietErrors quiet;
    if (!::GetVolumeInformationA(root, label, sizeof label - 1, nullptr, nullptr, nullptr, nullptr, 0))
        return CString();
    return label;
}

UINT SECFileSystem::GetDriveType(const CString& root) const { return ::GetDriveTypeA(root); }

ULONGLONG SECFileSystem::GetFreeSpace(const CString& root) const {
    DWORD sectors = 0, bytes = 0, free = 0, total = 0;
    QuietErrors quiet;
    if (!::GetDiskFreeSpaceA(root, &sectors, &bytes, &free, &total)) return ~0ull;
    return ULONGLONG(sectors) * bytes * free;
}

namespace {
bool DiskSpace(const CString& root, ULONGLONG& available, ULONGLONG& total) {
    QuietErrors quiet;
    ULARGE_INTEGER caller, all, free;
    if (!::GetDiskFreeSpaceExA(root, &caller, &all, &free)) return false;
    available = caller.QuadPart;
    total = all.QuadPart;
    return true;
}
}  // namespace

ULONGLONG SECFileSystem::GetFreeSpace64(const CString& path) const {
    ULONGLONG available = 0, total = 0;
    return DiskSpace(GetRoot(path), available, total) ? available : ~0ull;
}

ULONGLONG SECFileSystem::GetTotalSpace64(const CString& path) const {
    ULONGLONG available = 0, total = 0;
    return DiskSpace(GetRoot(path), available, total) ? total : ~0ull;
}

bool SECFileSystem::IsReadOnly(const CString& folder) const {
    return !CanCreateFileAt(AppendPaths(folder, "xxxxtest.999"));
}

bool SECFileSystem::RenameFile(const CString& from, const CString& to) const {
    if (!FileExists(from) || FileExists(to)) return false;
    return ::MoveFileA(from, to) != 0;
}

bool SECFileSystem::RenameDirectory(const CString& from, const CString& to) const {
    if (!IsDirectory(from) || IsDirectory(to)) return false;
    return ::MoveFileA(from, to) != 0;
}

bool SECFileSystem::DeleteFile(const CString& path) const { return ::DeleteFileA(path) != 0; }

bool SECFileSystem::DeleteFiles(const CString& pattern, int attributes) {
    std::unique_ptr<CStringList> files(GetFileList(pattern, attributes, false));
    bool all = true;
    for (const CString& file : *files) all = DeleteFile(file) && all;
    return all;
}

bool SECFileSystem::CopyFile(const CString& from, const CString& to) const {
    if (FileExists(to)) return false;
    ScopedHandle source = OpenFile(from, GENERIC_READ, OPEN_EXISTING);
    if (!source.Valid()) return false;
    ScopedHandle target = OpenFile(to, GENERIC_WRITE, CREATE_NEW);
    if (!target.Valid()) return false;
    std::vector<char> block(kBlock);
    DWORD read = 0;
    while (::ReadFile(source.Get(), block.data(), kBlock, &read, nullptr) && read > 0) {
        DWORD written = 0;
        if (PlannedFailure() || !::WriteFile(target.Get(), block.data(), read, &written, nullptr) || written != read) {
            // The copy was made here as a new file: a part of it is no copy.
            target.Reset();
            ::DeleteFileA(to);
            return false;
        }
    }
    return true;
}

bool SECFileSystem::CompareFiles(const CString& a, const CString& b) const {
    ScopedHandle first = OpenFile(a, GENERIC_READ, OPEN_EXISTING);
    ScopedHandle second = OpenFile(b, GENERIC_READ, OPEN_EXISTING);
    if (!first.Valid() || !second.Valid()) return false;
    LARGE_INTEGER sizeA, sizeB;
    if (!::GetFileSizeEx(first.Get(), &sizeA) || !::GetFileSizeEx(second.Get(), &sizeB) ||
        sizeA.QuadPart != sizeB.QuadPart)
        return false;
    std::vector<char> blockA(kBlock), blockB(kBlock);
    while (true) {
        DWORD readA = 0, readB = 0;
        if (!::ReadFile(first.Get(), blockA.data(), kBlock, &readA, nullptr) ||
            !::ReadFile(second.Get(), blockB.data(), kBlock, &readB, nullptr) || readA != readB)
            return false;
        if (readA == 0) return true;
        if (std::memcmp(blockA.data(), blockB.data(), readA) != 0) return false;
    }
}

bool SECFileSystem::MakeDirectory(const CString& path) const { return ::CreateDirectoryA(path, nullptr) != 0; }

bool SECFileSystem::MakePath(const CString& path) const {
    CString full(path);
    if (full.IsEmpty()) return false;
    if (!IsSeparator(full[full.GetLength() - 1])) full += '\\';
    for (int i = RootLength(full); i < full.GetLength(); ++i) {
        if (!IsSeparator(full[i])) continue;
        const CString level = full.Left(i);
        if (level.IsEmpty() || level[level.GetLength() - 1] == ':' || IsDirectory(level)) continue;
        if (!MakeDirectory(level)) return false;
    }
    return true;
}

bool SECFileSystem::DeleteDirectory(const CString& path, bool recursive) {
    if (recursive) {
        // The folder could not be removed after its files while sub-folders remain.
        std::unique_ptr<CStringList> folders(GetDirectoryList(path, true));
        if (!folders->IsEmpty()) return false;
        if (!DeleteFiles(AppendPaths(path, "*.*"), -1)) return false;
    }
    return ::RemoveDirectoryA(path) != 0;
}

CString SECFileSystem::GetNextFileName(const CString& pattern, int attributes) {
    while (true) {
        if (!pattern.IsEmpty()) {
            findHandle.Reset(::FindFirstFileA(pattern, &findData));
            if (!findHandle.Valid()) return CString();
        } else if (!findHandle.Valid() || !::FindNextFileA(findHandle.Get(), &findData)) {
            findHandle.Reset();
            return CString();
        }
        if (Matches(findData.dwFileAttributes, attributes)) return findData.cFileName;
        if (!pattern.IsEmpty()) return GetNextFileName("", attributes);
    }
}

CStringList* SECFileSystem::GetFileList(const CString& pattern, int attributes, bool recursive, CStringList* list) {
    if (!list) list = new CStringList(10);
    const CString folder = GetPath(pattern, true);
    {
        QuietErrors quiet;
        for (CString name = GetNextFileName(pattern, attributes); !name.IsEmpty();
             name = GetNextFileName("", attributes)) {
            if (name != "." && name != "..") list->AddTail(folder + name);
        }
        findHandle.Reset();
    }
    if (recursive) {
        std::unique_ptr<CStringList> folders(GetDirectoryList(folder, true));
        for (const CString& sub : *folders) GetFileList(AppendPaths(sub, GetFileName(pattern)), attributes, true, list);
    }
    return list;
}

CStringList* SECFileSystem::GetDirectoryList(const CString& folder, bool fullPaths) {
    CStringList* list = new CStringList(10);
    const CString base = folder.IsEmpty() ? CString() : AppendPaths(folder, "");
    for (CString name = GetNextFileName(AppendPaths(folder, "*.*"), FILE_ATTRIBUTE_DIRECTORY); !name.IsEmpty();
         name = GetNextFileName("", FILE_ATTRIBUTE_DIRECTORY)) {
        if (name == "." || name == "..") continue;
        CString full;
        full.Format("%s%s", static_cast<const char*>(base), static_cast<const char*>(name));
        if (IsDirectory(full)) list->AddTail(fullPaths ? full : name);
    }
    findHandle.Reset();
    return list;
}

void SECFileSystem::Sort(CStringList& list, bool caseSensitive) {
    std::vector<CString> items(list.begin(), list.end());
    for (size_t i = 0; i + 1 < items.size(); ++i) {
        for (size_t j = i + 1; j < items.size(); ++j) {
            const int order = caseSensitive ? std::strcmp(items[i], items[j]) : _stricmp(items[i], items[j]);
            if (order > 0) std::swap(items[i], items[j]);
        }
    }
    list.RemoveAll();
    for (const CString& item : items) list.AddTail(item);
}

void SECFileSystem::FillListBox(HWND listBox, const CStringList& list) {
    for (const CString& item : list)
        ::SendMessageA(listBox, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(static_cast<const char*>(item)));
}

void SECFileSystem::FillComboBox(HWND comboBox, const CStringList& list) {
    for (const CString& item : list)
        ::SendMessageA(comboBox, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(static_cast<const char*>(item)));
}
