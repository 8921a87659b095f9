// Run by the program-folder tests from a folder of their choosing: writes both
// forms of ProgramFolder to the file named on its command line. With "shfolder"
// and a program name after it, it builds that program's folder layout instead and
// writes where the SHFolder.dll it loaded came from.
#include "environment/ConfigFiles.h"
#include "foundation/PathString.h"
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc < 2) return 1;
    FILE* out = std::fopen(argv[1], "wb");
    if (!out) return 1;
    if (argc == 4 && std::strcmp(argv[2], "shfolder") == 0) {
        ConfigFiles layout(argv[3]);
        char loaded[MAX_PATH + 1] = "none";
        if (HMODULE module = ::GetModuleHandleA("shfolder.dll")) ::GetModuleFileNameA(module, loaded, MAX_PATH);
        std::fprintf(out, "%s\n%s\n", loaded, static_cast<const char*>(layout.UserFolder()));
    } else {
        char buffer[kProgramFolderBuffer] = "untouched";
        ProgramFolder(buffer);
        std::fprintf(out, "%s\n%s\n", static_cast<const char*>(ProgramFolder()), buffer);
    }
    return std::fclose(out) == 0 ? 0 : 1;
}
