#include "installer/RegistryKey.h"
#include <vector>

const char* const kQtx2camKey = "Software\\Quillmere Designs\\The Korvane Utilities\\QTX2CAM";
const char* const kOriginalEditorsKey = "Software\\Quillmere Designs\\The Korvane Utilities\\QTX2CAM\\Original Editors";

bool ReadRegistryText(HKEY key, const char* name, DWORD bufferSize, std::string& text) {
    std::vector<char> buffer(bufferSize + 1, '\0');
    DWORD size = bufferSize;
    if (::RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.data()), &size) != ERROR_SUCCESS)
        return false;
    text = buffer.data();
    return true;
}
