#include "settings/SectionReader.h"
#include "environment/Messages.h"
#include "settings/StorageSet.h"
#include "settings/Value.h"
#include <algorithm>

namespace {
const uint32_t kReadAhead = 524288;
}  // namespace

SectionReader::SectionReader(Section& section)
    : file(section.File()), bufferStart(section.Cursor()), dataEnd(section.DataStart() + section.Used()),
      fileEnd(file.Length()) {}

bool SectionReader::Fill(uint32_t n) {
    const uint32_t at = Position();
    if (n > fileEnd - at) return false;
    const uint32_t unread = static_cast<uint32_t>(end - next);
    const uint32_t wanted = std::max(n, kReadAhead);
    if (capacity < wanted) {
        std::unique_ptr<char[]> larger(new char[wanted]);
        if (unread) std::memcpy(larger.get(), next, unread);
        buffer = std::move(larger);
        capacity = wanted;
    } else if (unread) {
        std::memmove(buffer.get(), next, unread);
    }
    const uint32_t more = std::min(capacity - unread, fileEnd - (at + unread));
    bufferStart = at;
    next = buffer.get();
    end = next + unread;
    if (!file.Seek(static_cast<int32_t>(at + unread), 0) || !file.ReadBytes(buffer.get() + unread, more)) return false;
    end += more;
    return true;
}

bool SectionReader::Record(Value& body) {
    if (AtEnd()) return false;
    uint32_t typeId = 0;
    uint32_t size = 0;
    if (!Have(2 * kRecordWord) || !Word(typeId) || !Word(size)) return false;
    // Every identifier reads as the framer's one prototype, a StorageValue. Its read
    // result is not looked at: a value that cannot begin leaves no trailer to read.
    body.Read(*this);
    uint32_t trailer = 0;
    if (!Word(trailer)) return false;
    if (trailer != size) QRVException(CatalogueText(kMsgWriteMismatch), 1).Throw();
    return Position() <= dataEnd;
}
