#include "foundation/PathString.h"
#include <windows.h>
#include <cstring>
#include <vector>

PathString operator+(const PathString& folder, const CString& name) {
    if (folder.IsEmpty()) return PathString();
    PathString joined(folder);
    if (joined[joined.GetLength() - 1] != '\\') joined += '\\';
    joined += name;
    return joined;
}

PathString operator+(const PathString& folder, const char* name) { return folder + CString(name); }

PathString ProgramFolder() {
    // Windows cuts a module path that does not fit the buffer, and the last
    // backslash of a cut path belongs to another folder: ask until it fits.
    std::vector<char> module(MAX_PATH + 1, '\0');
    while (true) {
        const DWORD length = ::GetModuleFileNameA(nullptr, module.data(), static_cast<DWORD>(module.size()));
        if (length == 0) return PathString();
        if (length < module.size() - 1) break;
        if (module.size() > 32768) return PathString();
        module.assign(module.size() * 2, '\0');
    }
    char* slash = std::strrchr(module.data(), '\\');
    if (slash) slash[1] = '\0';
    return PathString(module.data());
}

char* ProgramFolder(char* buffer) {
    const PathString folder = ProgramFolder();
    if (folder.IsEmpty() || folder.GetLength() >= kProgramFolderBuffer) return buffer;
    std::memcpy(buffer, static_cast<const char*>(folder), folder.GetLength() + 1);
    return buffer;
}
