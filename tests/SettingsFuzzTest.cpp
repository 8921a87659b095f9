#include "Sandbox.h"
#include "fuzz/SettingsFile.h"
#include "settings/ProgramConfiguration.h"
#include <gtest/gtest.h>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>

namespace {
// The store's sets, copied.
std::unique_ptr<Sets> Snapshot(ProgramConfiguration& store) {
    std::unique_ptr<Sets> sets(new Sets(store.SetCount(), 5));
    for (int i = 0; i < store.SetCount(); ++i) sets->Append(store.SetAt(i));
    return sets;
}

ValueList* ListOf(std::initializer_list<Value> values) {
    ValueList* list = new ValueList;
    for (const Value& v : values) list->Append(v);
    return list;
}

// A store with a value of every kind and sets and keys of every shape that a file can carry.
void FillOddStore(ProgramConfiguration& store) {
    const std::string zeros("\0a\0", 3);
    const struct {
        const char* key;
        Value value;
    } entries[] = {
        {"none", Value()},
        {"illegal", Value::Illegal()},
        {"false", Value(false)},
        {"int min", Value(INT_MIN)},
        {"int max", Value(INT_MAX)},
        {"nan", Value(0x00000001u, 0x7FF80000u)},
        {"negative zero", Value(-0.0)},
        {"largest", Value(DBL_MAX)},
        {"empty text", Value("")},
        {"long text", Value(StrPP('x', 70000))},
        {"zero bytes", Value(static_cast<const void*>(zeros.data()), 3u)},
        {"no bytes", Value(static_cast<const void*>(""), 0u)},
        {"empty list", Value(new ValueList)},
        {"nested", Value(ListOf({Value(1), Value(ListOf({Value("in"), Value(ListOf({}))})), Value(2.5)}))},
        {"\nConfig Set", Value("not the marker")},
        {" ", Value("space")},
        {"\xFF\x01", Value("high and low bytes")},
    };
    for (const char* set : {"default", "", "\nConfig Set\n", "Metric"}) {
        store.SelectSet(set, false);
        for (const auto& entry : entries) store.SetEntry(entry.key, entry.value);
        store.RemoveEntry("none");
    }
    store.SelectSet("empty set", false);
}

// What a store holds is saved in today's layout and loads back as it was: the same sets
// in the same order, the same keys, the same values of the same types.
TEST(SettingsFuzz, EveryStorableTableLoadsBackAsSaved) {
    TempFolder temp;
    const std::string path = temp / "odd.qrv";
    ProgramConfiguration store("a", "b");
    FillOddStore(store);
    ASSERT_TRUE(store.Save(path.c_str()));
    const std::unique_ptr<Sets> saved = Snapshot(store);
    // One section 0x1000 and nothing else, as saves have always written.
    const std::string bytes = ReadFileText(path);
    ASSERT_GE(bytes.size(), 16u);
    EXPECT_EQ(bytes.substr(0, 8), Word(kSectionMagic) + Word(kSettingsSection));
    EXPECT_EQ(bytes.substr(8, 4), Word(static_cast<uint32_t>(bytes.size() - 16)));
    EXPECT_EQ(Difference(*saved, *DecodeFile(bytes), false), "");
    ProgramConfiguration loaded("a", "b");
    ASSERT_TRUE(loaded.Load(path.c_str()));
    EXPECT_EQ(Difference(*saved, *Snapshot(loaded), false), "");
    EXPECT_EQ(loaded.SetCount(), 5);
}

// A key that a load would skip (empty) or take for a set header (the marker) is refused
// by the save: the file and the store stay as they were.
TEST(SettingsFuzz, KeysThatWouldReadBackOtherwiseAreRefused) {
    TempFolder temp;
    const std::string path = temp / "keys.qrv";
    for (const char* key : {"", "\nConfig Set\n"}) {
        ProgramConfiguration store("a", "b");
        store.SetEntry("kept", Value(1));
        ASSERT_TRUE(store.Save(path.c_str()));
        const std::string before = ReadFileText(path);
        store.SelectSet("Metric", false);
        store.SetEntry(key, Value(2));
        store.SetEntry("after", Value(3));
        EXPECT_THROW(store.Save(path.c_str()), QRVException) << key;
        EXPECT_EQ(ReadFileText(path), before);
        EXPECT_FALSE(PathExists(path + ".tmp"));
        Value found;
        EXPECT_TRUE(store.LookUp(key, "", found));
        EXPECT_EQ(found.Word(), 2);
    }
}

// Damaged settings files load or fail with the library's exception, never crash; a file
// that loads saves and loads again to the same sets, keys and values.
TEST(SettingsFuzz, AnyFileLoadsOrIsRefusedAndWhatLoadsSavesAsItLoaded) {
    TempFolder temp;
    const std::string good = temp / "good.qrv";
    {
        ProgramConfiguration store("a", "b");
        FillOddStore(store);
        store.SetEntry("long text", Value("short"));
        ASSERT_TRUE(store.Save(good.c_str()));
    }
    const std::string original = ReadFileText(good);
    uint32_t seed = 20261207;
    auto next = [&seed]() { return seed = seed * 1664525u + 1013904223u; };
    int loaded = 0, refused = 0;
    for (int round = 0; round < 300; ++round) {
        std::string bytes = original;
        switch (next() % 4) {
            case 0:
                for (int k = 0; k < 1 + static_cast<int>(next() % 4); ++k)
                    bytes[next() % bytes.size()] ^= char(1 << (next() % 8));
                break;
            case 1: bytes.resize(next() % bytes.size()); break;
            case 2: bytes.replace(next() % (bytes.size() - 4), 4, "\xF0\xFF\xFF\x7F"); break;
            default: bytes.insert(next() % bytes.size(), std::string(1 + next() % 9, char(next()))); break;
        }
        const std::string path = temp / ("m" + std::to_string(round) + ".qrv");
        WriteFileText(path, bytes);
        ProgramConfiguration store("a", "b");
        try {
            if (!store.Load(path.c_str())) {
                ++refused;
                continue;
            }
        } catch (const QRVException&) {
            ++refused;
            continue;
        }
        ++loaded;
        const std::string again = temp / ("s" + std::to_string(round) + ".qrv");
        ASSERT_TRUE(store.Save(again.c_str())) << round;
        ProgramConfiguration reloaded("a", "b");
        ASSERT_TRUE(reloaded.Load(again.c_str())) << round;
        EXPECT_EQ(Difference(*Snapshot(store), *Snapshot(reloaded), true), "") << round;
    }
    EXPECT_GT(loaded, 0);
    EXPECT_GT(refused, 0);
}
}  // namespace
