// Two processes saving one settings file while a third loads it, each spelling the
// file's path its own way: every save either happens or raises, every load finds one
// whole save, and the file ends as one whole save.
#include "Sandbox.h"
#include "settings/ProgramConfiguration.h"
#include <gtest/gtest.h>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace {
struct Tally {
    int attempted = 0, done = 0, silent = 0, raised = 0, incomplete = 0;
};

// Starts "settings-racer <arguments>" in `folder`.
ScopedHandle StartRacer(const std::string& arguments, const std::string& folder) {
    std::string command = "\"" + TestProgramFolder() + "settings-racer.exe\" " + arguments;
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                          &process))
        return ScopedHandle();
    ScopedHandle thread(process.hThread);
    return ScopedHandle(process.hProcess);
}

Tally ReadTally(const std::string& path) {
    Tally tally;
    std::istringstream(ReadFileText(path)) >> tally.attempted >> tally.done >> tally.silent >> tally.raised >>
        tally.incomplete;
    return tally;
}

TEST(SettingsRace, TwoSaversAndALoaderUnderThreeSpellings) {
    const char* counted = std::getenv("KORVANE_RACE_SAVES");
    const int saves = counted && *counted ? std::atoi(counted) : 150;
    TempFolder temp;
    const std::string backslashed = temp / "s.qrv";
    std::string slashed = backslashed;
    for (char& c : slashed)
        if (c == '\\') c = '/';
    ProgramConfiguration first("race", "race");
    first.SetEntry("Race.Entry.0", Value(0));
    ASSERT_EQ(first.Save(backslashed.c_str()), 1);

    std::vector<ScopedHandle> racers;
    racers.push_back(StartRacer("save \"" + backslashed + "\" " + std::to_string(saves) + " 1", temp.Path()));
    racers.push_back(StartRacer("save \"" + slashed + "\" " + std::to_string(saves) + " 2", temp.Path()));
    racers.push_back(StartRacer("load s.qrv " + std::to_string(saves), temp.Path()));
    for (const ScopedHandle& racer : racers) {
        ASSERT_TRUE(racer);
        ASSERT_EQ(::WaitForSingleObject(racer.Get(), 110000), WAIT_OBJECT_0);
    }
    Tally total;
    for (const char* id : {"1", "2", "loader"}) {
        const Tally tally = ReadTally(backslashed + "." + id + ".out");
        EXPECT_EQ(tally.attempted, saves) << id;
        EXPECT_EQ(tally.silent, 0) << id;
        EXPECT_EQ(tally.raised, 0) << id;
        EXPECT_EQ(tally.incomplete, 0) << id;
        total.attempted += tally.attempted;
        total.done += tally.done;
        total.silent += tally.silent;
        total.raised += tally.raised;
    }
    ProgramConfiguration last("race", "race");
    ASSERT_EQ(last.Load(backslashed.c_str()), 1);
    int value = -1, other = -1;
    ASSERT_TRUE(last.LookUpInt("Race.Entry.0", "", value));
    ASSERT_TRUE(last.LookUpInt("Race.Entry.199", "", other));
    EXPECT_EQ(value, other);
    EXPECT_EQ(value % 1000000, saves - 1);  // the last save of one of the savers
    // Nothing but the file and the tallies: no temporary is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp.Path()), {}), 4);
    std::printf(
        "settings race: %d operations attempted (%d saves), %d done, %d silent failures, %d raised, "
        "final file whole\n",
        total.attempted, 2 * saves, total.done, total.silent, total.raised);
}
}  // namespace
