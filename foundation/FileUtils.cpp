#include "foundation/FileUtils.h"
#include "environment/Messages.h"
#include "foundation/AtomicFile.h"
#include "foundation/Owners.h"
#include <shlobj.h>
#include <cstdio>
#include <string>
#include <vector>

namespace {
bool browseNoInitialFolder = false;
FolderPickerHook folderPickerHook = nullptr;

int AskUser(HWND owner, const char* text, UINT style) { return ShowMessageBox(owner, text, nullptr, style); }

HANDLE OpenForReading(const char* name, DWORD share) {
    return ::CreateFileA(name, GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::string FullPathOf(const std::string& path) {
    const DWORD needed = ::GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return path;
    std::vector<char> buffer(needed + 1, '\0');
    ::GetFullPathNameA(path.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
    return buffer.data();
}

int CALLBACK BrowseCallback(HWND window, UINT message, LPARAM param, LPARAM) {
    if (message == BFFM_INITIALIZED && !browseNoInitialFolder) {
        char current[MAX_PATH + 1] = {0};
        if (::GetCurrentDirectoryA(MAX_PATH, current))
            ::SendMessageA(window, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(current));
    } else if (message == BFFM_SELCHANGED) {
        char path[MAX_PATH + 1] = {0};
        if (::SHGetPathFromIDListA(reinterpret_cast<LPCITEMIDLIST>(param), path))
            ::SendMessageA(window, BFFM_SETSTATUSTEXTA, 0, reinterpret_cast<LPARAM>(path));
    }
    return 0;
}
}  // namespace

bool FileExists(StrPP name) {
    WIN32_FIND_DATAA found;
    return FindHandle(::FindFirstFileA(name, &found)).Valid();
}

DWORD FileSize(StrPP name) {
    ScopedHandle file(OpenForReading(name, FILE_SHARE_READ));
    if (!file.Valid()) return 0;
    return ::GetFileSize(file.Get(), nullptr);
}

int ValidatePath(StrPP folder, bool offerCreate, HWND parent) {
    CurrentDirectoryGuard guard;
    int result = ::SetCurrentDirectoryA(folder) ? 1 : 0;
    if (!result && offerCreate) {
        ::MessageBeep(MB_ICONEXCLAMATION);
        const StrPP question = CatalogueText(kMsgPathQuestionOpen) + folder + CatalogueText(kMsgPathQuestionClose);
        const int answer = AskUser(parent, question, MB_YESNO | MB_ICONEXCLAMATION | MB_TASKMODAL);
        if (answer == IDYES || answer == IDOK) {
            result = ::CreateDirectoryA(folder, nullptr) ? 1 : 0;
            if (!result) {
                ::MessageBeep(MB_ICONEXCLAMATION);
                AskUser(parent, CatalogueText(kMsgUnableToCreatePath), MB_OK | MB_ICONEXCLAMATION | MB_TASKMODAL);
            }
        }
    }
    return result;
}

void FindFiles(StrPP folder, StrPP pattern, EList<FileString>& found, bool recurse) {
    CurrentDirectoryGuard guard;
    const FileString current(guard.Saved().c_str());
    folder.Trim(2, '\\');
    folder += '\\';

    WIN32_FIND_DATAA match;
    FindHandle search(::FindFirstFileA(folder + pattern, &match));
    if (!search) return;
    do {
        const std::string name(match.cFileName);
        if (name == "." || name == "..") continue;
        FileString file(folder + name.c_str());
        if (file.drive.Length() == 0) file.drive = current.drive;
        const std::string joined = std::string(file.drive) + file.directory.Text() + file.fileName.Text();
        found.Append(FileString(FullPathOf(joined).c_str()));
        if (recurse && (match.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            FindFiles(folder + name.c_str(), pattern, found, recurse);
    } while (::FindNextFileA(search.Get(), &match));
}

void SetFolderPickerHook(FolderPickerHook hook) { folderPickerHook = hook; }

StrPP BrowseForFolder(bool withEditBox, bool noInitialFolder) {
    if (folderPickerHook) return folderPickerHook(withEditBox, noInitialFolder);
    IMalloc* shellMalloc = nullptr;
    if (FAILED(::SHGetMalloc(&shellMalloc)) || !shellMalloc) return StrPP("");
    browseNoInitialFolder = noInitialFolder;
    BROWSEINFOA info = {};
    // File-system folders only, with a status line for the callback's path.
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT | (withEditBox ? BIF_EDITBOX : 0);
    info.lpfn = BrowseCallback;
    StrPP chosen("");
    if (LPITEMIDLIST items = ::SHBrowseForFolderA(&info)) {
        char path[MAX_PATH + 1] = {0};
        if (::SHGetPathFromIDListA(items, path)) chosen = path;
        shellMalloc->Free(items);
    }
    shellMalloc->Release();
    return chosen;
}

void ReadWholeFile(const char* name, char*& data, int& size) {
    data = nullptr;
    size = -1;
    ScopedHandle file(OpenForReading(name, FILE_SHARE_READ | FILE_SHARE_WRITE));
    if (!file.Valid()) return;
    LARGE_INTEGER length;
    if (!::GetFileSizeEx(file.Get(), &length) || length.QuadPart > 0x7FFFFFFE) return;
    size = static_cast<int>(length.QuadPart);
    if (size <= 0) return;
    char* block = new char[size + 1];
    DWORD read = 0;
    if (!::ReadFile(file.Get(), block, static_cast<DWORD>(size), &read, nullptr) || read == 0) {
        delete[] block;
        size = 0;
        return;
    }
    size = static_cast<int>(read);
    block[size] = '\0';
    data = block;
}

void ReadFileInto(const char* name, void* data, int& size) {
    ScopedHandle file(OpenForReading(name, FILE_SHARE_READ | FILE_SHARE_WRITE));
    DWORD read = 0;
    if (file.Valid() && size > 0) ::ReadFile(file.Get(), data, static_cast<DWORD>(size), &read, nullptr);
    size = static_cast<int>(read);
}

// The file is replaced whole or not at all: a failed write never leaves it cut short.
bool WriteWholeFile(const char* name, const void* data, int size) {
    const size_t bytes = size > 0 ? static_cast<size_t>(size) : 0;
    return ReplaceFileContents(name, static_cast<const char*>(data), bytes) == ERROR_SUCCESS;
}

int RunProgram(char* commandLine, bool wait) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWDEFAULT;
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return -1;
    ScopedHandle processHandle(process.hProcess);
    ScopedHandle threadHandle(process.hThread);
    if (!wait) return 0;
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    ::GetExitCodeProcess(process.hProcess, &code);
    return static_cast<int>(code);
}

bool FileTimeEquals(const char* name, FILETIME when) {
    ScopedHandle file(OpenForReading(name, FILE_SHARE_READ | FILE_SHARE_WRITE));
    if (!file.Valid()) return false;
    FILETIME written;
    if (!::GetFileTime(file.Get(), nullptr, nullptr, &written)) return false;
    return written.dwLowDateTime == when.dwLowDateTime && written.dwHighDateTime == when.dwHighDateTime;
}

bool CanCreateFileAt(const char* probePath) {
    const DWORD inTheWay = ::GetFileAttributesA(probePath);
    if (inTheWay != INVALID_FILE_ATTRIBUTES && (inTheWay & FILE_ATTRIBUTE_DIRECTORY)) return false;
    // The probe is a new file under a fresh name: a file or link already at probePath is never opened.
    return TemporaryFile(probePath).Error() == ERROR_SUCCESS;
}
