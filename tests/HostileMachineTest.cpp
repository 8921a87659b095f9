// A hostile machine: links planted where the installer writes or deletes, the
// names of its temporaries taken ahead of it, inputs too large to hold, a DLL
// planted beside the host, help folders any user can make, and the log-on command.
#include "SampleMastercam.h"
#include "VellantSetupProbe.h"
#include "environment/ConfigFiles.h"
#include "environment/Lexicon.h"
#include "foundation/AtomicFile.h"
#include "foundation/FileUtils.h"
#include "installer/AddonFiles.h"
#include "installer/HostConfig.h"
#include "installer/Machine.h"
#include <gtest/gtest.h>
#include <cstdio>
#include <functional>

namespace {
// Wine's Unix name of a Windows path; empty on Windows.
std::string UnixPath(const std::string& path) {
    using Convert = char*(CDECL*)(LPCWSTR);
    static const auto convert = reinterpret_cast<Convert>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!convert) return std::string();
    const std::wstring wide(path.begin(), path.end());
    char* unixName = convert(wide.c_str());
    if (!unixName) return std::string();
    const std::string result(unixName);
    ::HeapFree(::GetProcessHeap(), 0, unixName);
    return result;
}

bool StartProgram(const std::string& command) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    // Wine hands out no handles of a Unix program it starts (and may leave the thread's
    // field unset): the caller waits for the effect instead.
    if (!process.hProcess) return true;
    ScopedHandle processHandle(process.hProcess);
    ScopedHandle thread(process.hThread);
    ::WaitForSingleObject(process.hProcess, 20000);
    return true;
}

bool Within(DWORD milliseconds, const std::function<bool()>& done) {
    for (DWORD waited = 0; !done(); waited += 20) {
        if (waited >= milliseconds) return false;
        ::Sleep(20);
    }
    return true;
}

// Plants a symbolic link as another local user would. Wine's CreateSymbolicLink
// makes nothing, so there the link is a Unix one made with ln (Wine shows a link to
// a folder as a reparse point and a link to a file as the file itself).
void PlantLink(const std::string& link, const std::string& target) {
    const std::string unixTarget = UnixPath(target);
    const bool folder = std::filesystem::is_directory(target);
    if (unixTarget.empty()) {
        ASSERT_TRUE(::CreateSymbolicLinkA(link.c_str(), target.c_str(),
                                          (folder ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0) | 0x2 /* unprivileged */));
    } else {
        ASSERT_TRUE(StartProgram("/bin/ln -s " + unixTarget + " " + UnixPath(link)));
    }
    ASSERT_TRUE(Within(10000, [&] { return IsLinkOrReparsePoint(link); })) << link;
}

std::string Steps(const CommitReport& report) {
    std::string text;
    for (const CommitStep& step : report.steps)
        text += std::string(ActionName(step.action)) + " " + step.target + ": " + OutcomeName(step.outcome) + "\n";
    return text;
}

const CommitStep* FailureWith(const CommitReport& report, DWORD error) {
    for (const CommitStep* step : report.Failures())
        if (step->error == error) return step;
    return nullptr;
}

class HostileMachine : public ::testing::Test {
protected:
    void TearDown() override { StopAllCompanions(); }
    void Install() {
        VellantSetup setup;
        setup.InstallAllMastercamOptions(true, true, true, false, false);
        report = setup.LastReport();
    }
    void Remove() {
        VellantSetup setup;
        setup.RemoveAllMastercamOptions();
        report = setup.LastReport();
    }
    RegistrySandbox registry;
    TempFolder temp;
    TempFolder elsewhere;  // another user's files, reached only through a link
    SampleInstall mcam9{temp, 9};
    const std::string mill = mcam9.AddCfg("mill.cfg", SampleCfg(kMillLine));
    const std::string list = mcam9.AddEditorList(SampleEditorList(3));
    CommitReport report;
};

// A link planted under a name the installer writes or deletes never carries the change
// to the file it points at. Where Windows (or Wine, for folders) shows the link, the
// step is refused and named; a link Wine shows as a plain file is replaced or removed
// by name, which leaves the other file as it was too.
TEST_F(HostileMachine, LinksPlantedWhereTheInstallerWritesOrDeletes) {
    struct Attack {
        const char* planted;  // below the Mastercam folder
        bool folder;          // the link leads to a folder of the other user's
        bool installFirst;    // planted after an install, then met by remove
        bool refused;         // a step meets it (the temporary's old name no step uses)
    };
    const Attack attacks[] = {
        {"mill.cfg.QTXNew", false, false, false},        // the temporary's name of earlier versions
        {"mill.cfg.QTXSave", false, false, true},        // the backup
        {"chooks\\GotoQTX.dll", false, true, true},      // an add-on that remove deletes
        {"chooks", true, true, true},                    // the add-ons' folder
        {"common\\editors\\QTX_V2", true, false, true},  // the folder the editor is copied into
    };
    for (const Attack& attack : attacks) {
        SCOPED_TRACE(attack.planted);
        const std::string planted = mcam9 / attack.planted;
        const std::string victim = elsewhere / (std::string(attack.folder ? "folder" : "file") + attack.planted[0]);
        if (attack.folder)
            for (const char* name : {"GotoQTX.dll", "QTXTrans.dll", "QTXGetOps.dll", "QTX_V2.exe"})
                WriteFileText(victim + "\\" + name, "the other user's " + std::string(name));
        else
            WriteFileText(victim, "the other user's file");
        const auto before = FolderSnapshot(elsewhere.Path());
        if (attack.installFirst) Install();
        std::error_code ignored;
        std::filesystem::remove_all(planted, ignored);
        std::filesystem::create_directories(std::filesystem::path(planted).parent_path());
        PlantLink(planted, victim);

        attack.installFirst ? Remove() : Install();
        EXPECT_EQ(FolderSnapshot(elsewhere.Path()), before);
        const CommitStep* refused = FailureWith(report, kErrorLinkRefused);
        EXPECT_EQ(refused != nullptr, attack.refused) << Steps(report);
        EXPECT_EQ(FailureWith(report, kErrorLinkRefused) != nullptr, attack.refused);
        bool named = false;  // the refused step names the link or a name below it
        for (const CommitStep* step : report.Failures())
            named |= _strnicmp(step->target.c_str(), planted.c_str(), planted.size()) == 0;
        EXPECT_EQ(named, attack.refused) << Steps(report);
        std::filesystem::remove(planted, ignored);
        Remove();
        std::filesystem::remove_all(elsewhere.Path(), ignored);
        std::filesystem::create_directories(elsewhere.Path());
    }
    EXPECT_NE(WindowsErrorText(kErrorLinkRefused).find("link"), std::string::npos);
}

// A second name (hard link) of the user's file elsewhere is not a link that leads a
// change astray: the file's own name gets the new content, the other name keeps the old.
TEST_F(HostileMachine, SecondNameOfAFileKeepsItsContent) {
    const std::string original = ReadFileText(mill);
    ASSERT_TRUE(::CreateHardLinkA((elsewhere / "second name.cfg").c_str(), mill.c_str(), nullptr));
    Install();
    EXPECT_FALSE(report.Failed()) << Steps(report);
    EXPECT_NE(ReadFileText(mill), original);
    EXPECT_EQ(ReadFileText(elsewhere / "second name.cfg"), original);
}

std::string WithCounter(const std::string& name, unsigned counter) {
    return name.substr(0, name.find_last_of('-') + 1) + std::to_string(counter);
}

unsigned CounterOf(const std::string& name) {
    return static_cast<unsigned>(std::stoul(name.substr(name.find_last_of('-') + 1)));
}

// The names a replacement would take next are planted as links first: it passes over
// them (a new file only), and neither the files they lead to nor the links change.
TEST_F(HostileMachine, TemporaryNamesTakenAheadArePassedOver) {
    const std::string target = temp / "user.txt";
    const std::string victim = elsewhere / "victim.txt";
    WriteFileText(target, "mine");
    WriteFileText(victim, "the other user's file");
    const std::string seen = FreshTemporaryName(target);
    std::vector<std::string> planted = {target + ".QTXNew"};
    for (unsigned next = CounterOf(seen) + 1; next <= CounterOf(seen) + 3; ++next)
        planted.push_back(WithCounter(seen, next));
    for (const std::string& link : planted) PlantLink(link, victim);

    EXPECT_EQ(ReplaceFileContents(target, "new content"), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(ReadFileText(target), "new content");
    EXPECT_EQ(ReadFileText(victim), "the other user's file");
    for (const std::string& link : planted) EXPECT_EQ(ReadFileText(link), "the other user's file") << link;

    // The language file and the write probe take their temporaries the same way.
    const std::string language = temp / "English.lng";
    const std::string base = FreshTemporaryName(language);
    PlantLink(language + ".tmp", victim);
    for (unsigned n = CounterOf(base) + 1; n <= CounterOf(base) + 3; ++n) PlantLink(WithCounter(base, n), victim);
    EXPECT_TRUE(TheLexicon().Write(language.c_str(), true));
    EXPECT_TRUE(TheLexicon().Write(language.c_str(), false));
    EXPECT_TRUE(CanCreateFileAt((temp / "probe.tmp").c_str()));
    EXPECT_EQ(ReadFileText(victim), "the other user's file");
}

ULONGLONG StartOf(HANDLE process) {
    FILETIME created, exited, kernel, user;
    ::GetProcessTimes(process, &created, &exited, &kernel, &user);
    return (ULONGLONG(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

std::string Mark(DWORD id, ULONGLONG start, unsigned counter) {
    char text[64];
    std::snprintf(text, sizeof text, "%lu-%llx-%u", static_cast<unsigned long>(id), start, counter);
    return text;
}

// Temporaries of processes that have ended are cleared by the next replacement of the
// same file; those of running processes, other names and links stay.
TEST_F(HostileMachine, OrphanedTemporariesOfEndedProcessesAreCleared) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION ended = {};
    std::string command = "\"" + TestProgramFolder() + "folderprobe.exe\"";
    ASSERT_TRUE(::CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &ended));
    ::WaitForSingleObject(ended.hProcess, INFINITE);
    const ULONGLONG endedStart = StartOf(ended.hProcess);
    ::CloseHandle(ended.hThread);
    ::CloseHandle(ended.hProcess);
    const DWORD self = ::GetCurrentProcessId();
    const ULONGLONG selfStart = StartOf(::GetCurrentProcess());

    const std::string target = temp / "user.txt";
    const std::string prefix = target + ".QTXNew-";
    struct Leftover {
        std::string name;
        bool cleared;
    };
    const Leftover leftovers[] = {
        {prefix + Mark(ended.dwProcessId, endedStart, 1), true},         // its process has ended
        {prefix + Mark(self, selfStart + 1, 1), true},                   // an earlier process of the same id
        {prefix + Mark(self, selfStart, 999999), false},                 // this process's own
        {prefix + "x" + Mark(ended.dwProcessId, endedStart, 1), false},  // not a temporary's name
        {temp / "other.txt.QTXNew-" + Mark(ended.dwProcessId, endedStart, 1), false},  // another file's
    };
    for (const Leftover& leftover : leftovers) WriteFileText(leftover.name, "left over");
    const std::string linked = prefix + Mark(ended.dwProcessId, endedStart, 2);
    WriteFileText(elsewhere / "kept.txt", "kept");
    PlantLink(linked, elsewhere / "kept.txt");

    EXPECT_EQ(ReplaceFileContents(target, "new"), static_cast<DWORD>(ERROR_SUCCESS));
    for (const Leftover& leftover : leftovers) EXPECT_EQ(PathExists(leftover.name), !leftover.cleared) << leftover.name;
    EXPECT_TRUE(IsLinkOrReparsePoint(linked));
    EXPECT_EQ(ReadFileText(elsewhere / "kept.txt"), "kept");
}

// Inputs too large to hold are refused with a step that names them, before any file of
// their Mastercam version is edited; an editor name too long for the registry leaves
// its configuration file as it was.
TEST_F(HostileMachine, OversizedInputsAreRefusedBeforeAnyEdit) {
    const std::string originalMill = ReadFileText(mill);
    const std::string blankLines(static_cast<size_t>(kLargestEditable) + 2, '\n');
    WriteFileText(list, blankLines);
    Install();
    const CommitStep* refused = FailureWith(report, ERROR_FILE_TOO_LARGE);
    ASSERT_NE(refused, nullptr);
    EXPECT_EQ(refused->target, list);
    EXPECT_EQ(report.steps.front().target, list);  // before any other step of version 9
    EXPECT_EQ(ReadFileText(mill), originalMill);
    EXPECT_FALSE(PathExists(mill + ".QTXSave"));
    EXPECT_EQ(ReadFileText(list).size(), blankLines.size());
    WriteFileText(list, SampleEditorList(3));

    // Whatever the installer stores in the registry or reads back from it is bounded alike.
    CommitReport steps;
    LiveMachine machine(steps);
    EXPECT_FALSE(machine.SetValue(kQtx2camKeyName, "long", RegistryData::Text(std::string(1025, 'x'))));
    EXPECT_EQ(steps.steps.back().error, kErrorValueTooLong);
    EXPECT_TRUE(machine.SetValue(kQtx2camKeyName, "long", RegistryData::Text(std::string(1024, 'x'))));
    RegistryData back;
    EXPECT_TRUE(machine.ReadValue(kQtx2camKeyName, "long", back, false));
    SetRegText(HKEY_CURRENT_USER, kQtx2camKeyName, "planted", std::string(8 << 10, 'x'));
    EXPECT_FALSE(machine.ReadValue(kQtx2camKeyName, "planted", back, false));

    struct Editor {
        size_t length;
        bool stored;
    };
    for (const Editor editor : {Editor{1025, false}, Editor{1024, true}}) {
        SCOPED_TRACE(editor.length);
        const std::string cfg = SampleCfg(kMillLine, std::string(editor.length, 'e'));
        WriteFileText(mill, cfg);
        Install();
        std::string stored;
        EXPECT_EQ(GetRegText(HKEY_CURRENT_USER, kQtx2camKeyName, "Mastercam Original Editor", stored), editor.stored);
        if (!editor.stored) {
            EXPECT_EQ(ReadFileText(mill), cfg);
            const CommitStep* tooLong = FailureWith(report, kErrorValueTooLong);
            ASSERT_NE(tooLong, nullptr);
            EXPECT_EQ(tooLong->target, mill);
            continue;
        }
        EXPECT_FALSE(report.Failed());
        Remove();
        EXPECT_EQ(ReadFileText(mill), cfg);  // the stored editor is read back whole
    }
    // Just at the limit, the size the rewriters hold in memory in the 32-bit build, it is edited.
    WriteFileText(list, SampleEditorList(3) + std::string(kLargestEditable - SampleEditorList(3).size(), '\n'));
    Install();
    EXPECT_FALSE(report.Failed()) << Steps(report);
    EXPECT_NE(ReadFileText(list).find("2. \"QTX_V2\""), std::string::npos);
}

// Help opens an existing .htm/.html page only. The fixed development folder, which any
// user may make, serves only a page it holds; a program planted under the page's bare
// name is never the target.
TEST_F(HostileMachine, HelpOpensOnlyAnExistingPage) {
    const char* const topic = "Help\\QTX_Add_ons\\OEM\\CNCSoftware\\MastercamOptions";
    const std::string development = "c:\\files\\help systems\\qtx help";
    const bool madeDevelopment = !PathExists("c:\\files");
    TempFolder host;
    std::filesystem::create_directories(host / "User");
    const std::string ownPage = host / "QTX Help\\" + topic + ".htm";
    const std::string plantedPage = development + "\\" + topic + ".html";
    WriteFileText(host / "QTX Help\\" + topic + ".exe", "planted program");
    std::filesystem::create_directories(development);
    ConfigFiles layout("Prog", (host.Path() + "\\").c_str());
    VellantSetup setup;
    VellantSetupProbe probe(setup);
    SetVellantConfig(nullptr, &layout);
    struct Case {
        bool ownPage, developmentPage;
        std::string opened;
    };
    for (const Case& c : {Case{false, false, ""}, Case{true, false, ownPage}, Case{true, true, plantedPage}}) {
        if (c.ownPage) WriteFileText(ownPage, "page");
        if (c.developmentPage) WriteFileText(plantedPage, "page");
        EXPECT_EQ(std::string(probe.HelpPage()), c.opened);
    }
    SetVellantConfig(nullptr, nullptr);
    std::error_code ignored;
    std::filesystem::remove_all(madeDevelopment ? std::string("c:\\files") : development, ignored);
}

// The companion's log-on command is quoted; a bare value an earlier version wrote is
// rewritten quoted by the next commit that keeps the hook.
TEST_F(HostileMachine, LogOnCommandIsQuoted) {
    const std::string companion = AddonFolder() + "\\qtx2cam.exe";
    SetRegText(HKEY_CURRENT_USER, kRunKeyName, kRunValueName, companion);
    Install();
    std::string run;
    ASSERT_TRUE(GetRegText(HKEY_CURRENT_USER, kRunKeyName, kRunValueName, run));
    EXPECT_EQ(run, "\"" + companion + "\"");
}

// A DLL named SHFolder.dll beside the host is never loaded, with Wine told to prefer
// such a DLL to its own; the layout still finds the per-user folder.
TEST(HostileLibraries, ShFolderPlantedBesideTheHostIsNotLoaded) {
    TempFolder host;
    ASSERT_TRUE(
        ::CopyFileA((TestProgramFolder() + "folderprobe.exe").c_str(), (host / "folderprobe.exe").c_str(), FALSE));
    ASSERT_TRUE(::CopyFileA((TestProgramFolder() + "Vellants.dll").c_str(), (host / "SHFolder.dll").c_str(), FALSE));
    const std::string program = "VtProbe" + std::to_string(::GetCurrentProcessId());
    char overrides[1024] = {0};
    ::GetEnvironmentVariableA("WINEDLLOVERRIDES", overrides, sizeof overrides - 1);
    ::SetEnvironmentVariableA("WINEDLLOVERRIDES", ("shfolder=n,b;" + std::string(overrides)).c_str());
    const bool ran =
        StartProgram("\"" + (host / "folderprobe.exe") + "\" \"" + (host / "out.txt") + "\" shfolder " + program);
    ::SetEnvironmentVariableA("WINEDLLOVERRIDES", overrides);
    ASSERT_TRUE(ran);
    ASSERT_TRUE(Within(20000, [&] { return ReadFileText(host / "out.txt").find('\n') != std::string::npos; }));
    const std::string out = ReadFileText(host / "out.txt");
    const std::string loaded = out.substr(0, out.find('\n'));
    EXPECT_NE(loaded, "none");
    EXPECT_NE(_strnicmp(loaded.c_str(), host.Path().c_str(), host.Path().size()), 0) << loaded;
    const std::string userFolder = out.substr(out.find('\n') + 1);
    std::error_code ignored;
    std::filesystem::remove_all(userFolder.substr(0, userFolder.find('\n')), ignored);
}

// A User folder beside a program that every user runs is not shared: each user gets a
// folder of their own, seeded from it; beside a program in the user's own profile it
// serves as it is. Temporary names stay reserved until the layout goes.
TEST(HostileLayout, UserFolderOfASharedProgramIsNotShared) {
    const std::string shared = "C:\\vt_shared_" + std::to_string(::GetCurrentProcessId());
    WriteFileText(shared + "\\User\\settings.qrv", "seed");
    const std::string program = "VtShared" + std::to_string(::GetCurrentProcessId());
    std::string userFolder, reserved;
    {
        ConfigFiles layout(program.c_str(), (shared + "\\").c_str());
        userFolder = layout.UserFolder().Str();
        EXPECT_NE(userFolder, shared + "\\User");
        EXPECT_EQ(ReadFileText(userFolder + "\\settings.qrv"), "seed");
        const CString first = layout.TempFileName("qtx", false);
        const CString second = layout.TempFileName("qtx", false);
        EXPECT_NE(std::string(first), std::string(second));
        EXPECT_TRUE(PathExists(first.Str()) && PathExists(second.Str()));
        reserved = first.Str();
    }
    EXPECT_FALSE(PathExists(reserved));
    std::error_code ignored;
    std::filesystem::remove_all(userFolder, ignored);
    std::filesystem::remove_all(shared, ignored);
}
}  // namespace
