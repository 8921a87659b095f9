// The language file on disk: the table's text and binary forms written, the text form read.
#include "environment/LanguageFile.h"
#include "environment/Lexicon.h"
#include "settings/QRVFile.h"
#include "settings/StorageSet.h"
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>

namespace {
const uint32_t kLanguageSection = 0x1003;

std::string Today() {
    char date[16] = {0};
    _strdate(date);
    return date;
}

// Replaces the file by the complete temporary one in one step; the temporary
// is removed when that cannot be done.
bool ReplaceWith(const StrPP& temporary, const StrPP& name) {
    if (::MoveFileExA(temporary.Text(), name.Text(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    ::DeleteFileA(temporary.Text());
    return false;
}
}  // namespace

bool Lexicon::Write(StrPP name, bool text) {
    fileName = name;
    // A translator's file is replaced only by a complete new one.
    const StrPP temporary = name + ".tmp";
    if (!text) {
        try {
            QRVFile file(temporary, "w+");
            Section* section = file.GetSection(0x102, kLanguageSection);
            if (!section) {
                file.Close();
                ::DeleteFileA(temporary.Text());
                return false;
            }
            section->SetGrowStep(16384);
            StorageSet set(0, new StorageValue);
            InOrder([&](const MessageRecord& r) {
                if (!WrittenToLanguageFile(r.number)) return;
                ValueList* fields = new ValueList;
                fields->Append(Value(static_cast<int>(r.number)));
                fields->Append(Value(r.english));
                fields->Append(Value(r.current));
                fields->Append(Value(r.context));
                set.Select(StorageValue(Value(fields)));
                section->WriteRecord(set);
            });
            file.Close();
        } catch (...) {
            ::DeleteFileA(temporary.Text());
            throw;
        }
        return ReplaceWith(temporary, name);
    }
    std::ofstream out(temporary.Text(), std::ios::binary | std::ios::trunc);
    if (!out) return false;
    const std::string bytes = Text(Today());
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    const bool written = static_cast<bool>(out);
    out.close();
    if (!written || out.fail()) {
        ::DeleteFileA(temporary.Text());
        return false;
    }
    return ReplaceWith(temporary, name);
}

int Lexicon::Read(StrPP name) {
    std::ifstream in(name.Text(), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return ReadText(bytes, name);
}
