#include "settings/SectionReader.h"
#include "environment/Messages.h"
#include "settings/StorageSet.h"
#include "settings/Value.h"
#include <algorithm>
#include <climits>

namespace {
const uint32_t kReadAhead = 524288;

[[noreturn]] void RaiseDamaged() { QRVException(CatalogueText(kMsgWriteMismatch), 1).Throw(); }
}  // namespace

SectionReader::SectionReader(Storage& stream, uint32_t from, uint32_t end)
    : file(stream), bufferStart(from), dataEnd(end), fileEnd(stream.Length()) {}

bool SectionReader::Fill(uint32_t n) {
    const uint32_t at = Position();
    if (at > fileEnd || n > fileEnd - at) return false;
    const uint32_t unread = static_cast<uint32_t>(end - next);
    // No more than the stream holds: a small file is read into a small buffer.
    const uint32_t wanted = std::max(n, std::min(kReadAhead, fileEnd - at));
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

bool SectionReader::Begin(uint32_t& size) {
    // Every identifier reads as the framer's one prototype, a StorageValue.
    uint32_t typeId = 0;
    return !AtEnd() && Have(2 * kRecordWord) && Word(typeId) && Word(size);
}

bool SectionReader::Finish(uint32_t size) {
    uint32_t trailer = 0;
    if (!Word(trailer)) return false;
    if (trailer != size) RaiseDamaged();
    return Position() <= dataEnd;
}

bool SectionReader::Record(Value& body) {
    uint32_t size = 0;
    if (!Begin(size)) return false;
    // The read result is not looked at: a value that cannot begin leaves no trailer.
    body.Read(*this);
    return Finish(size);
}

bool SectionReader::KeyRecord(std::string_view& text, bool& isString) {
    uint32_t size = 0;
    if (!Begin(size)) return false;
    uint32_t tag = 0;
    if (Have(2 * kRecordWord)) std::memcpy(&tag, next, sizeof tag);
    isString = (tag & ~kValueFlag) == kString;
    if (isString) {
        // As a String value reads itself, without making one.
        uint32_t n = 0;
        Word(tag);
        Word(n);
        if (n > Remaining() || n > INT_MAX) RaiseDamaged();
        // The text and the trailing size in the buffer at once, so that reading the size
        // does not move the text.
        Have(n + kRecordWord);
        const char* read = Take(n);
        if (!read) return false;  // the file could not be read
        text = {read, WordScan::Length(read, n)};
    } else {
        otherKey.Read(*this);
        otherKey.TextInto(otherText);
        text = {otherText.Text(), static_cast<size_t>(otherText.Length())};
    }
    return Finish(size);
}
