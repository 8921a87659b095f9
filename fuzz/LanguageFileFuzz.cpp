// The language file's laws. Bytes read as a file: the read ends normally or with
// QRVException, keeps every entry, and writing the table then reading it back gives
// the same table. Bytes taken as a table built through Translate: reading what it
// writes gives the same table (the entries numbered 1 to 100, never written, aside).
#include "environment/LanguageFile.h"
#include "environment/Lexicon.h"
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {
const std::string kDate = "12/07/26";

[[noreturn]] void Violated(const char* law) {
    std::fprintf(stderr, "%s\n", law);
    std::abort();
}

// The table read back from its own file has its entries and nothing else.
void CheckRoundTrip(const Lexicon& table, int written) {
    const std::string text = table.Text(kDate);
    Lexicon back;
    int read = 0;
    try {
        read = back.ReadText(text, "written");
    } catch (const QRVException&) {
        if (written > 0) Violated("a written table was refused");
        return;
    }
    if (read != written || back.Count() != written) Violated("the read back table has other entries");
    if (back.Text(kDate) != text) Violated("the read back table writes other bytes");
}

int WrittenCount(const std::vector<MessageRecord>& entries) {
    return static_cast<int>(std::count_if(entries.begin(), entries.end(),
                                          [](const MessageRecord& r) { return WrittenToLanguageFile(r.number); }));
}

void ReadBytes(const std::string& bytes) {
    Lexicon table;
    int read = 0;
    try {
        read = table.ReadText(bytes, "fuzzed");
    } catch (const QRVException&) {
        return;
    }
    std::vector<MessageRecord> entries;
    int badLine = 0;
    if (!ParseLanguageFile(bytes, entries, badLine)) Violated("a refused file was read");
    if (read != static_cast<int>(entries.size()) || table.Count() != read) Violated("a read lost an entry");
    std::sort(entries.begin(), entries.end());
    std::string text = LanguageFileHeader(kDate);
    for (const MessageRecord& entry : entries) AppendLanguageEntry(text, entry);
    if (table.Text(kDate) != text) Violated("the table holds other entries than the file");
    CheckRoundTrip(table, WrittenCount(entries));
}

class Bytes {
public:
    Bytes(const uint8_t* data, size_t size) : at(data), end(data + size) {}
    bool More() const { return at < end; }
    uint8_t Byte() { return at < end ? *at++ : 0; }
    // Texts of any bytes but zero, escapes and line breaks most of all.
    std::string Text() {
        static const char kPicks[] = "\\nrt\r\n\t #:Context ";
        std::string text;
        for (int n = Byte() % 16; n > 0; --n) {
            const uint8_t b = Byte();
            text += b < 128 ? kPicks[b % (sizeof kPicks - 1)] : static_cast<char>(b % 255 + 1);
        }
        return text;
    }
    long Number() {
        switch (Byte() % 4) {
            case 0: return 0;
            case 1: return Byte() % 120;
            case 2: return -static_cast<long>(Byte());
            default: {
                int32_t n = 0;
                for (int i = 0; i < 4; ++i) n = static_cast<int32_t>(static_cast<uint32_t>(n) << 8 | Byte());
                return n;
            }
        }
    }

private:
    const uint8_t* at;
    const uint8_t* end;
};

void BuildTable(Bytes& in) {
    Lexicon table;
    std::string english = "same";
    while (in.More()) {
        const long number = in.Number();
        if (in.Byte() % 2) english = in.Text();  // else the English text of the one before
        const std::string current = in.Text(), context = in.Text();
        table.Translate(MessageRecord(number, english.c_str(), current.c_str(), context.c_str()));
    }
    int written = 0;
    const std::string text = table.Text(kDate);
    for (size_t at = text.find("\r\nContext: "); at != std::string::npos; at = text.find("\r\nContext: ", at + 1))
        ++written;
    CheckRoundTrip(table, written);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    if (data[0] % 2 == 0) {
        ReadBytes(std::string(reinterpret_cast<const char*>(data + 1), size - 1));
    } else {
        Bytes in(data + 1, size - 1);
        BuildTable(in);
    }
    return 0;
}
