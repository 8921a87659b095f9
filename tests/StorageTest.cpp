#include "Sandbox.h"
#include "environment/Messages.h"
#include "foundation/PlannedFailure.h"
#include "settings/FileStorage.h"
#include <gtest/gtest.h>
#include <memory>

namespace {
std::unique_ptr<FileStorage> Open(const std::string& path, DWORD access = GENERIC_READ | GENERIC_WRITE,
                                  DWORD disposition = OPEN_ALWAYS) {
    return std::make_unique<FileStorage>(path.c_str(), FILE_ATTRIBUTE_NORMAL, access, disposition);
}

class Streams : public ::testing::Test {
protected:
    TempFolder temp;
};

// A read past the end reads nothing and says so; a read-only stream refuses writes; a file that
// cannot be opened is named in the failure.
TEST_F(Streams, ReadPastEndReadsNothing) {
    WriteFileText(temp / "f", "abcdef");
    auto s = Open(temp / "f", GENERIC_READ, OPEN_EXISTING);
    ASSERT_TRUE(s->Seek(4, 0));
    int word = 77;
    EXPECT_EQ(s->Read(word), 0);
    EXPECT_EQ(word, 77);
    EXPECT_EQ(s->Error(), kStorageEnd);
    EXPECT_EQ(s->Position(), 4u);
    EXPECT_TRUE(s->Seek(0, 0));
    EXPECT_EQ(s->Error(), kStorageOk);
    char two[2];
    EXPECT_TRUE(s->ReadBytes(two, 2));
    EXPECT_EQ(std::string(two, 2), "ab");
    EXPECT_EQ(s->Write(5), 0);
    EXPECT_EQ(s->SetLength(2), 0);
    EXPECT_FALSE(s->WriteFailed());  // refused as read-only, not failed by the system
    EXPECT_EQ(ReadFileText(temp / "f"), "abcdef");
    try {
        Open(temp / "missing.qrv", GENERIC_READ, OPEN_EXISTING);
        FAIL();
    } catch (const QRVException& failure) {
        EXPECT_EQ(std::string(failure.FullText()).find("Invalid file.\nFile: "), 0u);
        EXPECT_NE(std::string(failure.FullText()).find("missing.qrv"), std::string::npos);
    }
}

TEST_F(Streams, TypedWordsAreLittleEndian) {
    {
        auto s = Open(temp / "w.qrv");
        *s << 0x01020304 << 1.5 << 'z' << true << static_cast<unsigned long>(0xA0B0C0D0) << 7LL;
    }
    const std::string bytes = ReadFileText(temp / "w.qrv");
    EXPECT_EQ(bytes, std::string("\x04\x03\x02\x01\0\0\0\0\0\0\xF8\x3Fz\x01\xD0\xC0\xB0\xA0\x07\0\0\0\0\0\0\0", 26));
    auto s = Open(temp / "w.qrv", GENERIC_READ, OPEN_EXISTING);
    int i = 0;
    double d = 0;
    *s >> i >> d;
    EXPECT_EQ(i, 0x01020304);
    EXPECT_EQ(d, 1.5);
    EXPECT_EQ(s->Error(), kStorageOk);
}

TEST_F(Streams, WritesCrossingWindowsLandContiguously) {
    std::vector<char> pattern(200000);
    for (size_t i = 0; i < pattern.size(); ++i) pattern[i] = static_cast<char>(i * 7 + i / 256);
    {
        auto s = Open(temp / "big.qrv");
        ASSERT_TRUE(s->WriteBytes(pattern.data(), 65530));
        ASSERT_TRUE(s->WriteBytes(pattern.data() + 65530, 12));  // crosses the first 64 KiB boundary
        ASSERT_TRUE(s->WriteBytes(pattern.data() + 65542, static_cast<uint32_t>(pattern.size() - 65542)));
        EXPECT_EQ(s->Length(), pattern.size());
        ASSERT_TRUE(s->Seek(65000, 0));
        std::vector<char> back(100000);
        ASSERT_TRUE(s->ReadBytes(back.data(), 100000));
        EXPECT_TRUE(std::equal(back.begin(), back.end(), pattern.begin() + 65000));
    }
    const std::string onDisk = ReadFileText(temp / "big.qrv");
    EXPECT_EQ(onDisk, std::string(pattern.begin(), pattern.end()));
    // A window's worth or more goes to the file directly: bytes written into the window
    // before must not land over it later, nor the window show what it replaced.
    auto s = Open(temp / "big.qrv");
    char head[4];
    ASSERT_TRUE(s->ReadBytes(head, 4));
    ASSERT_TRUE(s->Seek(10, 0));
    ASSERT_TRUE(s->WriteBytes("pending", 7));
    const std::vector<char> fill(70000, 'z');
    ASSERT_TRUE(s->Seek(0, 0));
    ASSERT_TRUE(s->WriteBytes(fill.data(), static_cast<uint32_t>(fill.size())));
    ASSERT_TRUE(s->Seek(8, 0));
    ASSERT_TRUE(s->ReadBytes(head, 4));
    EXPECT_EQ(std::string(head, 4), "zzzz");
    s.reset();
    EXPECT_EQ(ReadFileText(temp / "big.qrv").substr(0, fill.size()), std::string(fill.begin(), fill.end()));
}

// Writes inside the file overwrite; a failed seek stays where it was; scattered writes in one window
// keep the bytes between them; a stream cut short copies into another whole.
TEST_F(Streams, OverwritesSeeksScatteredWritesAndCopies) {
    auto s = Open(temp / "s.qrv");
    ASSERT_TRUE(s->WriteBytes("0123456789", 10));
    ASSERT_TRUE(s->Seek(3, 0));
    ASSERT_TRUE(s->WriteBytes("ab", 2));
    EXPECT_EQ(s->Length(), 10u);
    EXPECT_FALSE(s->Seek(11, 2));
    EXPECT_EQ(s->Error(), kStorageBadSeek);
    EXPECT_EQ(s->Position(), 0u);
    EXPECT_FALSE(s->Seek(-1, 0));
    EXPECT_FALSE(s->Seek(0, 7));
    EXPECT_TRUE(s->Seek(2, 2));
    EXPECT_EQ(s->Position(), 8u);
    EXPECT_TRUE(s->Seek(20, 0));  // writable: may stand beyond the end
    ASSERT_TRUE(s->WriteBytes("x", 1));
    EXPECT_EQ(s->Length(), 21u);
    s.reset();
    const std::string bytes = ReadFileText(temp / "s.qrv");
    EXPECT_EQ(bytes.substr(0, 10), "012ab56789");
    EXPECT_EQ(bytes.back(), 'x');
    s = Open(temp / "p.qrv");
    ASSERT_TRUE(s->Seek(100, 0));
    ASSERT_TRUE(s->WriteBytes("late", 4));
    ASSERT_TRUE(s->Seek(10, 0));
    ASSERT_TRUE(s->WriteBytes("early", 5));  // not next to the first run
    ASSERT_TRUE(s->WriteBytes("!", 1));
    ASSERT_TRUE(s->Seek(8, 0));
    char back[100];
    ASSERT_TRUE(s->ReadBytes(back, 96));
    EXPECT_EQ(std::string(back, 10), std::string(2, '\0') + "early!" + std::string(2, '\0'));
    EXPECT_EQ(std::string(back + 92, 4), "late");
    EXPECT_TRUE(s->Flush());
    EXPECT_EQ(ReadFileText(temp / "p.qrv").substr(100), "late");
    auto a = Open(temp / "a.qrv");
    ASSERT_TRUE(a->WriteBytes("hello world", 11));
    ASSERT_TRUE(a->SetLength(5));
    EXPECT_EQ(a->Length(), 5u);
    auto b = Open(temp / "b.qrv");
    b->WriteBytes(">", 1);
    b->AppendFrom(*a);
    EXPECT_EQ(b->Error(), kStorageOk);
    a.reset();
    b.reset();
    EXPECT_EQ(ReadFileText(temp / "b.qrv"), ">hello");
}

// A write the file system refuses fails that write (or the flush that carries it) and
// every later one, so that no file is finished with a hole in it.
TEST_F(Streams, RefusedWritesAreSticky) {
    const std::vector<char> bytes(200000, 'b');
    for (int failing : {1, 2, 3}) {
        auto s = Open(temp / ("full" + std::to_string(failing) + ".qrv"));
        FailNthFileWriteForTests(failing);
        bool refused = false;
        for (int i = 0; i < 4 && !refused; ++i)
            refused = !s->WriteBytes(bytes.data(), static_cast<uint32_t>(bytes.size()));
        refused = !s->Flush() || refused;
        FailNthFileWriteForTests(0);
        EXPECT_TRUE(refused) << failing;
        EXPECT_TRUE(s->WriteFailed());
        EXPECT_EQ(s->Flush(), 0);
        EXPECT_EQ(s->WriteBytes("x", 1), 0);
        EXPECT_EQ(s->Error(), kStorageWriteFailed);
        EXPECT_EQ(s->SetLength(5), 0);
    }
    // A read that must first write back what is pending fails with that write.
    auto s = Open(temp / "pending.qrv");
    ASSERT_TRUE(s->WriteBytes(bytes.data(), static_cast<uint32_t>(bytes.size())));
    ASSERT_TRUE(s->Seek(0, 0) && s->WriteBytes("pending", 7) && s->Seek(0, 0));
    std::vector<char> back(bytes.size());
    FailNthFileWriteForTests(1);
    EXPECT_EQ(s->ReadBytes(back.data(), static_cast<uint32_t>(back.size())), 0);
    EXPECT_EQ(FailNthFileWriteForTests(0), 0);
}
}  // namespace
