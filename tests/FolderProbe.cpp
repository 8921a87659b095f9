// Run by the program-folder tests from a folder of their choosing: writes both
// forms of ProgramFolder to the file named on its command line.
#include "foundation/PathString.h"
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc < 2) return 1;
    char buffer[kProgramFolderBuffer] = "untouched";
    ProgramFolder(buffer);
    FILE* out = std::fopen(argv[1], "wb");
    if (!out) return 1;
    std::fprintf(out, "%s\n%s\n", static_cast<const char*>(ProgramFolder()), buffer);
    return std::fclose(out) == 0 ? 0 : 1;
}
