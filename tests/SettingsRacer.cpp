// Run by the settings race test, several at once on one settings file:
//   settings-racer save <file> <count> <id>   saves <count> times, each save whole
//   settings-racer load <file> <count>        loads <count> times, checking each
// and writes "<attempted> <done> <silent> <raised> <incomplete>" to <file>.<id>.out:
// silent counts saves that returned 0 and loads that found nothing, without raising.
#include "settings/ProgramConfiguration.h"
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {
const int kEntries = 200;

// A save of round n by saver id: every entry says so.
void Fill(ProgramConfiguration& store, int id, int round) {
    for (int i = 0; i < kEntries; ++i)
        store.SetEntry(("Race.Entry." + std::to_string(i)).c_str(), Value(id * 1000000 + round));
}

// Whether the store holds one whole save.
bool Whole(ProgramConfiguration& store) {
    int first = 0;
    if (!store.LookUpInt("Race.Entry.0", "", first)) return false;
    for (int i = 1; i < kEntries; ++i) {
        int value = 0;
        if (!store.LookUpInt(("Race.Entry." + std::to_string(i)).c_str(), "", value) || value != first) return false;
    }
    return true;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) return 2;
    const std::string mode = argv[1];
    const char* file = argv[2];
    const int count = std::atoi(argv[3]);
    const std::string id = argc > 4 ? argv[4] : "loader";
    int done = 0, silent = 0, raised = 0, incomplete = 0;
    for (int round = 0; round < count; ++round) {
        ProgramConfiguration store("race", "race");
        try {
            if (mode == "save") {
                Fill(store, std::atoi(id.c_str()), round);
                (store.Save(file) == 1 ? done : silent) += 1;
            } else if (store.Load(file) == 1) {
                ++done;
                incomplete += Whole(store) ? 0 : 1;
            } else {
                ++silent;
            }
        } catch (const QRVException&) {
            ++raised;
        }
    }
    FILE* out = std::fopen((std::string(file) + "." + id + ".out").c_str(), "wb");
    if (!out) return 1;
    std::fprintf(out, "%d %d %d %d %d\n", count, done, silent, raised, incomplete);
    return std::fclose(out) == 0 ? 0 : 1;
}
