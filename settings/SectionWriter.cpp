#include "settings/SectionWriter.h"
#include "environment/Messages.h"
#include "settings/StorageSet.h"
#include "settings/Value.h"
#include <algorithm>
#include <new>

bool SectionWriter::Text(const char* text, uint32_t n) {
    const uint32_t size = n + 2 * kRecordWord;  // what a String value stores: type, length, text
    const uint32_t head[] = {StorageValue::kTypeId, size, kString | kValueFlag, n};
    char* at = Room(size + kRecordOverhead);
    std::memcpy(at, head, sizeof head);
    WordScan::Copy(at + sizeof head, text, n);
    std::memcpy(at + sizeof head + n, &size, kRecordWord);
    return Done();
}

bool SectionWriter::Record(const Value& body) {
    const uint32_t size = body.StorageSize();
    if (capacity - used < size + kRecordOverhead) Reserve(size + kRecordOverhead);
    const uint32_t start = used;
    Word(StorageValue::kTypeId);
    Word(size);
    body.WriteAsCopy(*this);
    Word(size);
    // As the framer, which raises the text that speaks of bytes read on its write path.
    if (used - start != size + kRecordOverhead) QRVException(CatalogueText(kMsgReadMismatch), 1).Throw();
    return Done();
}

bool SectionWriter::Flush() {
    if (used > 0 && !refused) refused = !put(buffer.get(), used);
    used = 0;
    return !refused;
}

void SectionWriter::Reserve(uint32_t n) {
    // The buffer grows as the records come, to a piece and a half; a small store keeps a small one.
    const uint64_t wanted = std::max({uint64_t(used) + n, uint64_t(kFirstRoom), uint64_t(capacity) * 2});
    if (wanted > UINT32_MAX) throw std::bad_alloc();
    std::unique_ptr<char[]> larger(new char[wanted]);
    if (used) std::memcpy(larger.get(), buffer.get(), used);
    buffer = std::move(larger);
    capacity = static_cast<uint32_t>(wanted);
}
