#pragma once
// Frames the records of a settings section in memory and appends them to the section in
// large pieces: the bytes that a StorageSet writing StorageValues that hold copies would
// write, without a stream call for every word.
#include "settings/QRVFile.h"
#include <cstdint>
#include <cstring>
#include <memory>

class Value;

class SectionWriter {
public:
    // Appends at the section's cursor.
    explicit SectionWriter(Section& section) : section(section) {}
    SectionWriter(const SectionWriter&) = delete;
    SectionWriter& operator=(const SectionWriter&) = delete;

    // A record whose body is a String value holding the n bytes at text.
    bool Text(const char* text, uint32_t n);
    // A record whose body is the value.
    bool Record(const Value& body);
    // Hands what is framed to the section; false once the section refused a piece.
    bool Flush();

    // What a value writes through.
    bool Word(uint32_t w) { return Put(&w, 4); }
    bool Real(double d) { return Put(&d, 8); }
    bool Bytes(const void* data, uint32_t n) { return Put(data, n); }

private:
    bool Put(const void* data, uint32_t n) {
        if (capacity - used < n) Reserve(n);
        std::memcpy(buffer.get() + used, data, n);
        used += n;
        return true;
    }
    // Room for n more bytes.
    void Reserve(uint32_t n);
    // Raises when a record's bytes are not its size and the framing words.
    void Check(uint32_t start, uint32_t size) const;
    // Hands the framed bytes on once there are enough of them.
    bool Done() { return used < kPiece || Flush(); }

    static const uint32_t kPiece = 1 << 20;
    Section& section;
    std::unique_ptr<char[]> buffer;
    uint32_t capacity = 0;
    uint32_t used = 0;
    bool refused = false;
};
