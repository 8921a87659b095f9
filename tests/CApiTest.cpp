// The C interface as hosts reach it: Vellants.dll loaded from beside the test program,
// its functions found by name, and the C hosts run as child processes.
#include "HostProcess.h"
#include "SampleMastercam.h"
#include "foundation/Owners.h"
#include "vellants/Vellants.h"
#include "vellants/Version.h"
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <algorithm>
#include <cstring>

namespace {
struct CApi {
    int(__cdecl* install)(unsigned int);
    int(__cdecl* remove)();
    int(__cdecl* plan)(int, unsigned int, char*, int);
    int(__cdecl* lastReport)(char*, int);
    const char*(__cdecl* version)();
};

template <typename Function>
void Find(HMODULE dll, const char* name, Function& function) {
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(dll, name)));
    ASSERT_NE(function, nullptr) << name;
}

// The document a sizing function writes: asked for its size, then written whole.
nlohmann::json Fetch(const std::function<int(char*, int)>& write) {
    const int size = write(nullptr, 0);
    EXPECT_GT(size, 1);
    std::string text(static_cast<size_t>(size), 'x');
    EXPECT_EQ(write(text.data(), size), size);
    EXPECT_EQ(text.back(), '\0');
    text.pop_back();
    return nlohmann::json::parse(text);
}

class CInterface : public ::testing::Test {
protected:
    void SetUp() override {
        dll = ::LoadLibraryA((TestProgramFolder() + "Vellants.dll").c_str());
        ASSERT_NE(dll, nullptr);
        Find(dll, "VellantsInstall", api.install);
        Find(dll, "VellantsRemove", api.remove);
        Find(dll, "VellantsPlan", api.plan);
        Find(dll, "VellantsLastReport", api.lastReport);
        Find(dll, "VellantsVersion", api.version);
    }
    void TearDown() override {
        StopAllCompanions();
        if (dll) ::FreeLibrary(dll);
    }
    nlohmann::json LastReport() {
        return Fetch([&](char* json, int size) { return api.lastReport(json, size); });
    }
    nlohmann::json Plan(int remove, unsigned int options) {
        return Fetch([&](char* json, int size) { return api.plan(remove, options, json, size); });
    }

    RegistrySandbox registry;
    TempFolder temp;
    HMODULE dll = nullptr;
    CApi api = {};
};

// A registered Mastercam 9 with a Mill, a Router and a Lathe file.
struct Sample {
    explicit Sample(const TempFolder& temp) : mcam(temp, 9) {
        for (const auto& [name, line] : {std::pair{"mill.cfg", kMillLine}, std::pair{"router.cfg", kRouterLine},
                                         std::pair{"lathe.cfg", kLatheLine}})
            originals[mcam.AddCfg(name, SampleCfg(line))] = SampleCfg(line);
    }
    bool AsFirst() const {
        for (const auto& [path, text] : originals)
            if (ReadFileText(path) != text) return false;
        return true;
    }
    SampleInstall mcam;
    std::map<std::string, std::string> originals;
};

TEST_F(CInterface, WithoutMastercamEveryCallSaysSo) {
    EXPECT_EQ(api.install(0), VELLANTS_NO_MASTERCAM);
    EXPECT_EQ(LastReport()["command"], "install");
    EXPECT_EQ(api.remove(), VELLANTS_NO_MASTERCAM);
    const nlohmann::json report = LastReport();
    EXPECT_EQ(report["command"], "remove");
    EXPECT_NE(report["error"].get<std::string>().find("no Mastercam"), std::string::npos);
    EXPECT_NE(Plan(0, 0)["error"].get<std::string>().find("no Mastercam"), std::string::npos);
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, kQtx2camKeyName));
}

TEST_F(CInterface, UnknownOptionBitsAndNegativeSizesAreRefused) {
    Sample sample(temp);
    char buffer[16];
    EXPECT_EQ(api.install(32), VELLANTS_BAD_ARGUMENT);
    EXPECT_EQ(api.install(VELLANTS_EDITOR | 0x100), VELLANTS_BAD_ARGUMENT);
    EXPECT_EQ(api.plan(0, 64, buffer, sizeof buffer), VELLANTS_BAD_ARGUMENT);
    EXPECT_EQ(api.plan(0, 0, buffer, -1), VELLANTS_BAD_ARGUMENT);
    EXPECT_EQ(api.lastReport(buffer, -1), VELLANTS_BAD_ARGUMENT);
    EXPECT_TRUE(sample.AsFirst());
}

TEST_F(CInterface, InstallAndRemoveReturnZeroAndReportEveryStep) {
    Sample sample(temp);
    EXPECT_EQ(LastReport()["command"], nullptr);
    ASSERT_EQ(api.install(VELLANTS_EDITOR), 0);
    for (const char* name : {"mill.cfg", "router.cfg"}) {
        EXPECT_NE(ReadFileText(sample.mcam / name).find("851. NC editor? QTX_V2"), std::string::npos) << name;
        EXPECT_EQ(ReadFileText(sample.mcam / name).find("gotoqtx"), std::string::npos) << name;
    }
    EXPECT_EQ(ReadFileText(sample.mcam / "lathe.cfg"), sample.originals[sample.mcam / "lathe.cfg"]);
    const nlohmann::json report = LastReport();
    EXPECT_EQ(report["version"], VELLANTS_VERSION);
    EXPECT_EQ(report["command"], "install");
    EXPECT_FALSE(report["failed"].get<bool>());
    EXPECT_FALSE(report["steps"].empty());
    for (const nlohmann::json& step : report["steps"]) EXPECT_FALSE(step["failed"].get<bool>()) << step.dump();

    EXPECT_EQ(api.remove(), 0);
    EXPECT_EQ(LastReport()["command"], "remove");
    EXPECT_TRUE(sample.AsFirst());
}

TEST_F(CInterface, FailedStepsAreCounted) {
    Sample sample(temp);
    {
        // Held open by another program that allows no sharing.
        ScopedHandle held(::CreateFileA((sample.mcam / "mill.cfg").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(held.Valid());
        const int failed = api.install(VELLANTS_EDITOR | VELLANTS_TOOLBAR);
        EXPECT_GT(failed, 0);
        int reported = 0;
        bool named = false;
        const nlohmann::json report = LastReport();
        for (const nlohmann::json& step : report["steps"]) {
            if (!step["failed"].get<bool>()) continue;
            ++reported;
            named = named || step["target"] == sample.mcam / "mill.cfg";
        }
        EXPECT_EQ(reported, failed);
        EXPECT_TRUE(named);
    }
    EXPECT_EQ(ReadFileText(sample.mcam / "mill.cfg"), sample.originals[sample.mcam / "mill.cfg"]);
    EXPECT_EQ(api.remove(), 0);
}

TEST_F(CInterface, PlanIsTheConsoleHostsDocumentAndChangesNothing) {
    Sample sample(temp);
    const auto before = FolderSnapshot(temp.Path());
    const int size = api.plan(0, 0, nullptr, 0);
    ASSERT_GT(size, 2);
    std::string text(static_cast<size_t>(size) + 1, 'x');
    EXPECT_EQ(api.plan(0, 0, text.data(), size - 1), size);
    EXPECT_EQ(text[0], '\0');
    EXPECT_EQ(text[1], 'x');
    EXPECT_EQ(api.plan(0, 0, text.data(), size), size);
    EXPECT_EQ(text[static_cast<size_t>(size) - 1], '\0');
    EXPECT_EQ(text[static_cast<size_t>(size)], 'x');
    text.resize(static_cast<size_t>(size) - 1);
    // The same document, but for the line endings of the console.
    HostRun host = RunHost(registry, "--json plan install");
    host.out.erase(std::remove(host.out.begin(), host.out.end(), '\r'), host.out.end());
    EXPECT_EQ(host.out, text + "\n");

    EXPECT_EQ(Plan(0, VELLANTS_ALL_OPTIONS), Plan(0, 0));
    EXPECT_EQ(Plan(1, 0)["command"], "plan remove");
    // One bit, one option: the editor alone is wanted.
    const nlohmann::json editorOnly = Plan(0, VELLANTS_EDITOR);
    for (const nlohmann::json& record : editorOnly["records"]) {
        if (record["kind"] != "Mill") continue;
        EXPECT_TRUE(record["wanted"]["editor"].get<bool>());
        EXPECT_FALSE(record["wanted"]["toolbar"].get<bool>());
        EXPECT_FALSE(record["wanted"]["hook"].get<bool>());
    }
    EXPECT_EQ(FolderSnapshot(temp.Path()), before);
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, kQtx2camKeyName));
}

TEST_F(CInterface, VersionIsTheVersionResourceOfEveryFile) {
    EXPECT_STREQ(api.version(), VELLANTS_VERSION);
    for (const char* file : {"Vellants.dll", "korvane-setup.exe"}) {
        const std::string path = TestProgramFolder() + file;
        DWORD handle = 0;
        std::vector<char> data(::GetFileVersionInfoSizeA(path.c_str(), &handle));
        ASSERT_FALSE(data.empty()) << file;
        ASSERT_TRUE(::GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(data.size()), data.data()));
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(::VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
        const std::string version = std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
                                    std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
                                    std::to_string(HIWORD(fixed->dwFileVersionLS));
        EXPECT_EQ(version, api.version()) << file;
    }
    const HostRun host = RunHost(registry, "--version");
    EXPECT_EQ(host.exitCode, 0u);
    EXPECT_NE(host.out.find(std::string("korvane-setup ") + api.version()), std::string::npos) << host.out;
}

// Each C host installs and removes through the C interface in a process of its own.
TEST_F(CInterface, HostsInstallAndRemove) {
    struct HostCase {
        const char* program;
        std::vector<std::pair<std::string, std::vector<std::string>>> runs;  // arguments, lines printed
    };
    std::vector<HostCase> hosts = {{"vellants-c-host.exe",
                                    {{"install 3", {"VellantsInstall: 0", "\"command\": \"install\""}},
                                     {"plan remove", {"VellantsPlan: written", "\"command\": \"plan remove\""}},
                                     {"remove", {"VellantsRemove: 0", "\"command\": \"remove\""}}}}};
    // The product is 32-bit: the vendor-ABI host is built for it alone.
    if (sizeof(void*) == 4)
        hosts.push_back(
            {"msvc-host.exe",
             {{"", {"VellantsInstall: 0", "VellantsRemove: 0", std::string("VellantsVersion: ") + VELLANTS_VERSION}}}});
    for (const HostCase& host : hosts) {
        const HostRun none = RunProgram(registry, host.program, "install");
        EXPECT_EQ(none.exitCode, 1u) << host.program;
        EXPECT_NE(none.out.find("VellantsInstall: -1"), std::string::npos) << host.program << "\n" << none.output;
    }
    Sample sample(temp);
    for (const HostCase& host : hosts) {
        for (const auto& [arguments, lines] : host.runs) {
            const HostRun run = RunProgram(registry, host.program, arguments);
            EXPECT_EQ(run.exitCode, 0u) << host.program << " " << arguments << "\n" << run.output;
            for (const std::string& line : lines)
                EXPECT_NE(run.out.find(line), std::string::npos) << host.program << " " << line << "\n" << run.out;
            if (arguments == "install 3") {
                EXPECT_NE(ReadFileText(sample.mcam / "mill.cfg").find("gotoqtx"), std::string::npos);
            }
        }
        EXPECT_TRUE(sample.AsFirst()) << host.program;
    }
}
}  // namespace
