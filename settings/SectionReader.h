#pragma once
// Reads the records of a settings section through a read-ahead buffer over the stream,
// so that records and their values decode from memory rather than word by word through
// the stream. The rules are those of StorageSet reading StorageValues from the file:
// every bound is the end of the stream, as a stream read's is, and a record must end
// inside the section's data.
#include "foundation/WordScan.h"
#include "settings/Storage.h"
#include "settings/Value.h"
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>

class SectionReader {
public:
    // Reads the stream from offset `from`; the section's data ends at `dataEnd`.
    SectionReader(Storage& stream, uint32_t from, uint32_t dataEnd);
    SectionReader(const SectionReader&) = delete;
    SectionReader& operator=(const SectionReader&) = delete;

    bool AtEnd() const { return Position() >= dataEnd; }
    // One record whose body is read into `body`; false when no whole record can be read
    // here. A damaged body or a trailing size that differs from the leading one raises.
    bool Record(Value& body);
    // The same for a record read as a key, which stands for its text: a String's text
    // straight from the buffer, any other value's text form. Valid until the next read;
    // `isString` tells which it was.
    bool KeyRecord(std::string_view& text, bool& isString);

    // What a value reads through.
    bool Word(uint32_t& w) {
        if (!Have(4)) return false;
        std::memcpy(&w, next, 4);
        next += 4;
        return true;
    }
    bool Real(double& d) {
        if (!Have(8)) return false;
        std::memcpy(&d, next, 8);
        next += 8;
        return true;
    }
    bool Bytes(void* into, uint32_t n) {
        const char* from = Take(n);
        if (from) WordScan::Copy(into, from, n);
        return from != nullptr;
    }
    // n bytes, valid until the next read; null when the file holds fewer.
    const char* Take(uint32_t n) {
        if (!Have(n)) return nullptr;
        const char* from = next;
        next += n;
        return from;
    }
    uint32_t Remaining() const { return fileEnd - Position(); }

private:
    uint32_t Position() const { return bufferStart + static_cast<uint32_t>(next - buffer.get()); }
    bool Have(uint32_t n) { return static_cast<uint32_t>(end - next) >= n || Fill(n); }
    // The type identifier and body size that begin a record.
    bool Begin(uint32_t& size);
    // The size that ends a record; the record must end inside the section's data.
    bool Finish(uint32_t size);
    // Keeps what is unread and reads on from the file until at least n bytes are there.
    bool Fill(uint32_t n);

    Storage& file;
    std::unique_ptr<char[]> buffer;
    uint32_t capacity = 0;
    uint32_t bufferStart;  // the file offset of buffer[0]
    const char* next = nullptr;
    const char* end = nullptr;
    uint32_t dataEnd;
    uint32_t fileEnd;
    // A key that is not a String, and its text form.
    Value otherKey;
    StrPP otherText;
};
