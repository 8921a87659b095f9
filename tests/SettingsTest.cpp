#include "Sandbox.h"
#include "settings/ProgramConfiguration.h"
#include "settings/QRVFile.h"
#include "foundation/PlannedFailure.h"
#include "settings/FileStorage.h"
#include "settings/StorageSet.h"
#include <gtest/gtest.h>

namespace {
std::vector<std::string> RecordTexts(const std::string& path) {
    std::vector<std::string> texts;
    QRVFile file(path.c_str(), "r");
    Section* section = file.GetSection(0, kSettingsSection);
    if (!section) return texts;
    StorageSet set(0, new StorageValue);
    while (section->ReadRecord(set)) texts.push_back(static_cast<StorageValue*>(set.Current())->value.Text().Text());
    return texts;
}

// A Bool whose word is 2 can only come from a file.
Value BoolWordTwo(const TempFolder& temp) {
    const uint32_t words[] = {kBool, 2};
    WriteFileText(temp / "two.qrv", std::string(reinterpret_cast<const char*>(words), sizeof words));
    FileStorage in((temp / "two.qrv").c_str(), FILE_ATTRIBUTE_NORMAL, GENERIC_READ, OPEN_EXISTING);
    Value two;
    two.Read(in);
    return two;
}

// A list is looked up by its first element; an empty one gives the placeholder.
TEST(Settings, TypedLookUps) {
    struct Row {
        const char* key;
        Value stored;
        int integer;
        double real;
        const char* text;
    };
    TempFolder temp;
    ValueList* seven = new ValueList;
    seven->Append(Value(7));
    const Row rows[] = {
        {"none", Value(), 2147483647, 1.7976931348623157e308, "No Value"},
        {"illegal", Value::Illegal(), -2147483647, -1.7976931348623157e308, "Illegal Value"},
        {"twelve", Value("12.5"), 12, 12.5, "12.5"},
        {"real", Value(-2.75), -2, -2.75, "-2.75"},
        {"yes", Value(true), 1, 1.0, "True"},
        {"int", Value(7), 7, 7.0, "7"},
        {"two", BoolWordTwo(temp), 0, 0.0, "False"},
        {"list", Value(seven), 7, 7.0, "7"},
        {"empty", Value(new ValueList), 2147483647, 1.7976931348623157e308, "No Value"},
    };
    ProgramConfiguration store("Korvane", "Utilities");
    for (const Row& row : rows) store.SetEntry(row.key, row.stored);
    for (const Row& row : rows) {
        int i = -1;
        double d = -1;
        StrPP text;
        EXPECT_EQ(
            store.LookUpInt(row.key, "", i) + store.LookUpReal(row.key, "", d) + store.LookUpText(row.key, "", text),
            3);
        EXPECT_EQ(i, row.integer) << row.key;
        EXPECT_EQ(d, row.real) << row.key;
        EXPECT_STREQ(text, row.text) << row.key;
    }
    int i = -1;
    StrPP text;
    EXPECT_EQ(store.LookUpInt("missing", "", i) + store.LookUpText("missing", "", text), 0);
    EXPECT_EQ(i, 0);
    EXPECT_STREQ(text, "0");
}

TEST(Settings, SaveWritesSetsInOrder) {
    TempFolder temp;
    const std::string path = temp / "settings.qrv";
    ProgramConfiguration store("a", "b");
    store.SetEntry("Program.Path.Temp", Value("C:\\temp"));
    store.SetEntry("Program.Toggle.InchUnits", Value(1));
    store.SelectSet("Metric", false);
    store.SetEntry("Program.Toggle.InchUnits", Value(0));
    ASSERT_EQ(store.Save(path.c_str()), 1);
    const std::vector<std::string> texts = RecordTexts(path);
    ASSERT_EQ(texts.size(), 10u);
    EXPECT_EQ(texts[0], "\nConfig Set\n");
    EXPECT_EQ(texts[1], "default");
    EXPECT_EQ(texts[6], "\nConfig Set\n");
    EXPECT_EQ(texts[7], "Metric");
    EXPECT_EQ(texts[8], "Program.Toggle.InchUnits");
    EXPECT_EQ(texts[9], "0");

    ProgramConfiguration loaded("a", "b");
    ASSERT_EQ(loaded.Load(path.c_str()), 1);
    EXPECT_EQ(loaded.SetCount(), 2);
    StrPP text;
    EXPECT_EQ(loaded.LookUpText("Program.Path.Temp", "", text), 1);
    EXPECT_STREQ(text, "C:\\temp");
    int inch = -1;
    loaded.SelectSet("Metric", false);
    loaded.LookUpInt("Program.Toggle.InchUnits", "", inch);
    EXPECT_EQ(inch, 0);
    EXPECT_EQ(store.LookUpInt("Program.Toggle.InchUnits", path.c_str(), inch), 1);
    EXPECT_EQ(inch, 1);  // another file is looked up in its default set
}

// Records as a settings section holds them, written one by one.
void WriteRecords(const std::string& path, const std::vector<Value>& records) {
    QRVFile file(path.c_str(), "w+");
    Section* section = file.GetSection(kSectionCreate, kSettingsSection);
    StorageSet set(0, new StorageValue);
    for (const Value& record : records) {
        set.Select(StorageValue(record));
        ASSERT_TRUE(section->WriteRecord(set));
    }
}

// A file that cannot be loaded leaves the store as it was; odd records are read over.
TEST(Settings, LoadFailuresAndOddRecords) {
    TempFolder temp;
    ProgramConfiguration store("a", "b");
    store.SetEntry("kept", Value(1));
    EXPECT_EQ(store.Load((temp / "missing.qrv").c_str()), 0);
    {
        QRVFile other((temp / "other.qrv").c_str(), "w+");
        other.GetSection(kSectionCreate, 5);
    }
    EXPECT_EQ(store.Load((temp / "other.qrv").c_str()), 0);
    WriteFileText(temp / "bad.qrv", "garbage!");
    EXPECT_THROW(store.Load((temp / "bad.qrv").c_str()), QRVException);
    int kept = 0;
    EXPECT_EQ(store.LookUpInt("kept", "", kept), 1);

    // An empty key's pair is skipped; a key that ends the section has no value to set.
    const std::string path = temp / "odd.qrv";
    WriteRecords(path, {Value("\nConfig Set\n"), Value("default"), Value(""), Value(3), Value("real"), Value(4),
                        Value("dangling")});
    ProgramConfiguration loaded("a", "b");
    ASSERT_EQ(loaded.Load(path.c_str()), 1);
    Value v;
    EXPECT_EQ(loaded.LookUp("", "", v), 0);
    EXPECT_EQ(loaded.LookUp("real", "", v), 1);
    EXPECT_EQ(v.Word(), 4);
    EXPECT_EQ(loaded.LookUp("dangling", "", v), 0);
    EXPECT_EQ(loaded.SetCount(), 1);
}

// Long texts (beyond the 32767 that once cut them) and entries whose
// records lie across the pieces that a load reads ahead, at every offset, survive the
// store and its file whole.
TEST(Settings, LargeValuesRoundTrip) {
    TempFolder temp;
    const std::string path = temp / "large.qrv";
    const std::string longKey(40000, 'k');
    const std::string longText = std::string(70000, 'v') + "end";
    ProgramConfiguration store("a", "b");
    store.SetEntry(longKey.c_str(), Value(longText.c_str()));
    for (int i = 0; i < 40000; ++i) {
        const std::string key = std::string(1 + i % 151, 'k') + std::to_string(i);
        if (i % 2)
            store.SetEntry(key.c_str(), Value(std::string(i % 97, 'v').c_str()));
        else
            store.SetEntry(key.c_str(), Value(i));
    }
    ASSERT_EQ(store.Save(path.c_str()), 1);
    ProgramConfiguration loaded("a", "b");
    ASSERT_EQ(loaded.Load(path.c_str()), 1);
    int same = 0;
    store.CurrentSet().PostOrder([&](ConfigEntry& entry) {
        Value v;
        same += loaded.LookUp(entry.key.Text(), "", v) == 1 && (v == entry.value).IsTrue();
        return true;
    });
    EXPECT_EQ(same, 40001);
    StrPP text;
    ASSERT_EQ(loaded.LookUpText(longKey.c_str(), "", text), 1);
    EXPECT_EQ(text.Length(), static_cast<int>(longText.size()));
    EXPECT_EQ(std::string(text), longText);
}

// Save is all or nothing: whichever write fails (the temporary cannot be made, or the
// disk fills up at any point), the save raises, the previous file stays byte for byte
// and no temporary is left behind.
TEST(Settings, FailedSaveLeavesThePreviousFile) {
    TempFolder temp;
    const std::string path = temp / "keep.qrv";
    ProgramConfiguration store("a", "b");
    for (int i = 0; i < 20000; ++i) store.SetEntry(("Program.Entry." + std::to_string(i)).c_str(), Value(i));
    ASSERT_TRUE(store.Save(path.c_str()));
    const std::string before = ReadFileText(path);
    store.SetEntry("second", Value("a text that makes the new file longer"));
    const auto onlyTheFile = [&] { return std::distance(std::filesystem::directory_iterator(temp.Path()), {}) == 1; };

    EXPECT_THROW(store.Save((temp / "no such folder\\keep.qrv").c_str()), QRVException);
    EXPECT_TRUE(onlyTheFile());

    int failing = 1;
    for (;; ++failing) {
        FailNthFileWriteForTests(failing);
        bool saved = false;
        bool raised = false;
        try {
            saved = store.Save(path.c_str()) == 1;
        } catch (const QRVException& failure) {
            raised = true;
            // A write names the temporary it went to; the move that would replace the file names the file.
            const bool inTemporary = std::string(failure.Text()).find("keep.qrv.QTXNew-") != std::string::npos;
            EXPECT_STREQ(failure.heading, inTemporary ? "Not enough disk space" : "Unable to open file:");
            EXPECT_NE(std::string(failure.Text()).find("keep.qrv"), std::string::npos);
        }
        const int left = FailNthFileWriteForTests(0);
        EXPECT_TRUE(onlyTheFile()) << failing;
        if (saved) {  // the save needed fewer writes than this
            EXPECT_GT(left, 0) << "the failure of write " << failing << " was swallowed";
            break;
        }
        EXPECT_TRUE(raised) << "write " << failing;
        ASSERT_EQ(ReadFileText(path), before) << "write " << failing;
        ASSERT_LT(failing, 10000);
    }
    EXPECT_GT(failing, 10);
    ProgramConfiguration loaded("a", "b");
    ASSERT_TRUE(loaded.Load(path.c_str()));
    Value v;
    EXPECT_EQ(loaded.LookUp("second", "", v), 1);
}

// A lock name held by an object that is not a mutex is no lock: load and save raise
// and the file stays as it was.
TEST(Settings, SquattedLockNameRaises) {
    TempFolder temp;
    const std::string path = temp / "squat.qrv";
    ProgramConfiguration store("a", "b");
    store.SetEntry("kept", Value(1));
    ASSERT_EQ(store.Save(path.c_str()), 1);
    const std::string before = ReadFileText(path);
    ScopedHandle squatter(::CreateEventA(nullptr, TRUE, FALSE, ProgramConfiguration::MutexName(path.c_str())));
    ASSERT_TRUE(squatter);
    store.SetEntry("lost", Value(2));
    EXPECT_THROW(store.Save(path.c_str()), QRVException);
    EXPECT_THROW(store.Load(path.c_str()), QRVException);
    EXPECT_EQ(ReadFileText(path), before);
}

// Sets start empty or as a copy of the first; a set's tree keeps every key through removals and copies.
TEST(Settings, SetsAndEntries) {
    ProgramConfiguration store("a", "b");
    store.SetEntry("k1", Value(1));
    store.SetEntry("k2", Value(2));
    store.SelectSet("copy", true);
    Value v;
    EXPECT_EQ(store.LookUp("k2", "", v), 1);
    store.SetEntry("k3", Value(3));
    store.RemoveEntry("k1");
    EXPECT_EQ(store.LookUp("k1", "", v), 0);
    store.CopyCurrentToFirst();
    store.SelectSet("default", false);
    EXPECT_EQ(store.LookUp("k1", "", v), 0);
    EXPECT_EQ(store.LookUp("k3", "", v), 1);
    store.SelectSet("fresh", false);
    EXPECT_EQ(store.LookUp("k3", "", v), 0);
    store.SelectSet("default", false);
    store.SetEntry("Program.A", Value(1));
    store.SetEntry("Program.B", Value(2));
    store.SetEntry("Other.Program.C", Value(3));
    EList<ConfigEntry*> found(2, 2);
    store.CollectEntries("Program.", found);
    EXPECT_EQ(found.Count(), 2);
    // One lock per file, however its path is spelled.
    EXPECT_STREQ(ProgramConfiguration::MutexName("C:\\Korvane\\settings.qrv"), "Global\\c__korvane_settings.qrv");
    EXPECT_STREQ(ProgramConfiguration::MutexName("c:/KORVANE//Settings.QRV"), "Global\\c__korvane_settings.qrv");

    ConfigSet set("s");
    for (int i = 0; i < 2000; ++i) set.Set(("key" + std::to_string((i * 7919) % 2000)).c_str(), Value(i));
    for (int i = 0; i < 2000; i += 3) EXPECT_TRUE(set.Remove(("key" + std::to_string(i)).c_str()));
    EXPECT_EQ(set.Find("key3"), nullptr);
    EXPECT_NE(set.Find("key4"), nullptr);
    const ConfigSet copy(set);
    int visited = 0;
    copy.PostOrder([&](ConfigEntry&) { return ++visited > 0; });
    EXPECT_EQ(visited, 2000 - 667);
}
}  // namespace
