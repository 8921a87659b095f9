#include "SampleMastercam.h"
#include "foundation/Owners.h"
#include <tlhelp32.h>
#include <sstream>

const char* const kMillLine = "10. Product? Mill";
const char* const kLatheLine = "10. Product? [lathe settings]";
const char* const kWireLine = "119. Wire settings? 1";
const char* const kDesignLine = "10. Product? design";
const char* const kRouterLine = "10. Product? router";
const char* const kQtx2camKeyName = "Software\\Quillmere Designs\\The Korvane Utilities\\QTX2CAM";
const char* const kRunKeyName = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const char* const kRunValueName = "Korvane Utilities QTX2CAM";

std::string SampleCfg(const std::string& productLine, const std::string& editor, int buttons, const std::string& eol) {
    std::ostringstream text;
    text << "[Configuration]" << eol << "1. Version? 9.10" << eol << productLine << eol;
    for (int i = 300; i < 330; ++i) text << i << ". Setting number " << i << "? " << i * 7 << eol;
    text << "851. NC editor?" << editor << eol;
    for (int k = 1; k <= buttons; ++k)
        text << 2300 + k << ". (B" << k << ") Button " << k << "? " << char('a' + (k - 1) % 26) << eol;
    text << "2400. Toolbar end? 0" << eol;
    return text.str();
}

std::string SampleEditorList(int editors, const std::string& eol) {
    std::ostringstream text;
    text << "[general]" << eol;
    for (int i = 0; i < 30; ++i) text << "(padding line " << i << " of the general section)" << eol;
    text << "[file edit]" << eol << "(editors Mastercam offers)" << eol << "1. \"" << editors << "\"" << eol;
    for (int i = 0; i < editors; ++i) text << i + 2 << ". \"EDIT" << char('A' + i) << "\" c:\\editors\\" << i << eol;
    text << "[colors]" << eol << "1. \"2\"" << eol << "2. \"red\"" << eol;
    return text.str();
}

SampleInstall::SampleInstall(const TempFolder& root, int version)
    : folder_(root / ("mcam" + std::to_string(version))), version_(version) {
    std::filesystem::create_directories(folder_ + "\\chooks");
    std::filesystem::create_directories(folder_ + "\\common\\icons");
    std::filesystem::create_directories(folder_ + "\\common\\editors");
    SetRegText(HKEY_LOCAL_MACHINE,
               version == 9 ? "SOFTWARE\\CNC Software, Inc.\\V9 Mill" : "SOFTWARE\\CNC Software, Inc.\\Mill8",
               "Directory", folder_);
}

std::string SampleInstall::AddCfg(const std::string& name, const std::string& text) {
    WriteFileText(*this / name, text);
    return *this / name;
}

std::string SampleInstall::AddEditorList(const std::string& text) {
    const std::string name = version_ == 8 ? "Mill8.txt" : "Mill9.txt";
    WriteFileText(*this / name, text);
    return *this / name;
}

std::string AddonFolder() { return TestProgramFolder() + "Vellants\\Mastercam"; }

int CompanionLogCount(const char* word) {
    std::istringstream log(ReadFileText(AddonFolder() + "\\qtx2cam.log"));
    std::string line;
    int count = 0;
    while (std::getline(log, line))
        if (line.rfind(word, 0) == 0) ++count;
    return count;
}

bool WaitForCompanionLog(const char* word, int count, int seconds) {
    for (int i = 0; i < seconds * 20; ++i) {
        if (CompanionLogCount(word) >= count) return true;
        ::Sleep(50);
    }
    return false;
}

std::vector<DWORD> RunningCompanions() {
    std::vector<DWORD> found;
    ScopedHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = snapshot && ::Process32First(snapshot.Get(), &entry); more;
         more = ::Process32Next(snapshot.Get(), &entry))
        if (_stricmp(entry.szExeFile, "qtx2cam.exe") == 0) found.push_back(entry.th32ProcessID);
    return found;
}

void StopAllCompanions() {
    // A companion that has not yet made its event misses a signal: ask until none runs.
    for (int attempt = 0; attempt < 100 && !RunningCompanions().empty(); ++attempt) {
        if (ScopedHandle event{::CreateEventA(nullptr, TRUE, FALSE, "QTX2CAM Shutdown")}) {
            ::SetEvent(event.Get());
            ::Sleep(100);
        }
    }
    for (DWORD id : RunningCompanions()) {
        ScopedHandle process(::OpenProcess(PROCESS_TERMINATE, FALSE, id));
        if (process) ::TerminateProcess(process.Get(), 1);
    }
}
