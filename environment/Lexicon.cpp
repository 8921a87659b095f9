// The language file on disk: the table's text and binary forms written, the text form read.
#include "environment/LanguageFile.h"
#include "environment/Lexicon.h"
#include "foundation/TemporaryFile.h"
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
}  // namespace

bool Lexicon::Write(StrPP name, bool text) {
    fileName = name;
    // A translator's file is replaced only by a complete new one, written to a new
    // temporary that is deleted on every way out but the last.
    TemporaryFile temporary(name.Text());
    if (temporary.Error() != ERROR_SUCCESS) return false;
    if (!text) {
        {
            temporary.Close();
            QRVFile file(temporary.Path().c_str(), "r+");  // opens the new, empty file: never re-creates it
            Section* section = file.GetSection(0x102, kLanguageSection);
            if (!section) return false;
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
        }
        return temporary.PutInPlace() == ERROR_SUCCESS;
    }
    const std::string bytes = Text(Today());
    if (temporary.Write(bytes.data(), bytes.size()) != ERROR_SUCCESS) return false;
    return temporary.PutInPlace() == ERROR_SUCCESS;
}

int Lexicon::Read(StrPP name) {
    std::ifstream in(name.Text(), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return ReadText(bytes, name);
}
