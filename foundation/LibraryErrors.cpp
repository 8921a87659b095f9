#include "foundation/LibraryErrors.h"

const char* LibraryErrorText(DWORD error) {
    switch (error) {
        case kErrorLinkRefused:
            return "Refused: the name is a link or reparse point, so the change could reach another file.";
        case kErrorValueTooLong: return "Refused: the value is longer than the installer stores.";
        default: return nullptr;
    }
}
