#pragma once
// Sample Mastercam installations made by the tests: configuration files of each
// kind, editor lists, and the registry entries that point at them.
#include "Sandbox.h"
#include <string>
#include <vector>

// A configuration file over 1024 bytes with editor line 851 and buttons 2301..2300+buttons.
std::string SampleCfg(const std::string& productLine, const std::string& editor = " pfe32", int buttons = 5,
                      const std::string& eol = "\r\n");

// An editor list with a [file edit] section holding `editors` entries from number 2.
std::string SampleEditorList(int editors = 3, const std::string& eol = "\r\n");

extern const char* const kMillLine;
extern const char* const kLatheLine;
extern const char* const kWireLine;
extern const char* const kDesignLine;
extern const char* const kRouterLine;

// One Mastercam installation folder, registered under its version's key.
class SampleInstall {
public:
    SampleInstall(const TempFolder& root, int version);
    const std::string& Folder() const { return folder_; }
    std::string operator/(const std::string& name) const { return folder_ + "\\" + name; }
    std::string AddCfg(const std::string& name, const std::string& text);
    std::string AddEditorList(const std::string& text);

private:
    std::string folder_;
    int version_;
};

extern const char* const kQtx2camKeyName;
extern const char* const kRunKeyName;
extern const char* const kRunValueName;

// The add-on source folder beside the test program.
std::string AddonFolder();

// The companion's log beside it: number of "started"/"stopped" lines seen so far.
int CompanionLogCount(const char* word);
// Waits up to `seconds` for the count of `word` lines to reach `count`.
bool WaitForCompanionLog(const char* word, int count, int seconds = 20);

// The process ids of the companions that run.
std::vector<DWORD> RunningCompanions();

// Signals the shutdown event until every companion the log shows running has ended.
void StopAllCompanions();
