#include "foundation/PathString.h"
#include <windows.h>
#include <cstring>

PathString operator+(const PathString& folder, const CString& name) {
    if (folder.IsEmpty()) return PathString();
    PathString joined(folder);
    if (joined[joined.GetLength() - 1] != '\\') joined += '\\';
    joined += name;
    return joined;
}

PathString operator+(const PathString& folder, const char* name) { return folder + CString(name); }

char* ProgramFolder(char* buffer) {
    char module[kProgramFolderBuffer] = {0};
    const DWORD length = ::GetModuleFileNameA(nullptr, module, kProgramFolderBuffer - 1);
    if (length == 0) return buffer;
    char* slash = std::strrchr(module, '\\');
    if (slash) slash[1] = '\0';
    std::strcpy(buffer, module);
    return buffer;
}
