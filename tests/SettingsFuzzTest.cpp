#include "Sandbox.h"
#include "settings/ProgramConfiguration.h"
#include <gtest/gtest.h>
#include <cstdint>

namespace {
// Damaged settings files must load or fail with the library's exception, never crash.
TEST(SettingsFuzz, MutatedFilesFailCleanly) {
    TempFolder temp;
    const std::string good = temp / "good.qrv";
    {
        ProgramConfiguration store("a", "b");
        ValueList* list = new ValueList;
        list->Append(Value(1.5));
        list->Append(Value("inner"));
        const Value listed(list);
        store.SetEntry("list", listed);
        ValueList* nested = new ValueList;
        nested->Append(listed);
        store.SetEntry("nested", Value(nested));
        store.SetEntry("text", Value("some text"));
        store.SetEntry("bytes", Value(static_cast<const void*>("\x01\x02\x03"), 3u));
        store.SetEntry("int", Value(9));
        store.SelectSet("Metric", false);
        store.SetEntry("real", Value(2.5));
        ASSERT_TRUE(store.Save(good.c_str()));
    }
    const std::string original = ReadFileText(good);
    uint32_t seed = 20261206;
    auto next = [&seed]() { return seed = seed * 1664525u + 1013904223u; };
    int loaded = 0, refused = 0;
    for (int round = 0; round < 400; ++round) {
        std::string bytes = original;
        switch (next() % 4) {
            case 0:  // flip a few bytes
                for (int k = 0; k < 1 + static_cast<int>(next() % 4); ++k)
                    bytes[next() % bytes.size()] ^= char(1 << (next() % 8));
                break;
            case 1:  // truncate
                bytes.resize(next() % bytes.size());
                break;
            case 2:  // a large word somewhere
                bytes.replace(next() % (bytes.size() - 4), 4, "\xF0\xFF\xFF\x7F");
                break;
            default:  // insert noise
                bytes.insert(next() % bytes.size(), std::string(1 + next() % 9, char(next())));
                break;
        }
        const std::string path = temp / ("m" + std::to_string(round) + ".qrv");
        WriteFileText(path, bytes);
        ProgramConfiguration store("a", "b");
        try {
            ++(store.Load(path.c_str()) ? loaded : refused);
        } catch (const QRVException&) {
            ++refused;
        }
        int value = 0;
        store.LookUpInt("int", "", value);
    }
    EXPECT_EQ(loaded + refused, 400);
    EXPECT_GT(refused, 0);
}
}  // namespace
