#include "foundation/FileString.h"

void FileString::Set(const StrPP& path) {
    fullPath = path;
    const int slash = path.FindLast("\\");
    directory = path.Piece(0, slash + 1);
    fileName = path.Piece(slash + 1, path.Length());
    baseName = "";
    extension = "";
    const int dot = fileName.FindLast(".");
    if (dot != -1) {
        baseName = fileName.Piece(0, dot);
        extension = fileName.Piece(dot + 1, fileName.Length());
    } else {
        baseName = fileName;
    }
    if (directory.Length() >= 2 && directory[1] == ':') {
        drive = directory.Piece(0, 2);
        directory.Delete(0, 2);
    }
    folder = drive + directory;
}
