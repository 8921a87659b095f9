#pragma once
// Frames the records of a settings section in memory and appends them to the section in
// large pieces: the bytes that a StorageSet writing StorageValues that hold copies would
// write, without a stream call for every word.
#include "foundation/WordScan.h"
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
    bool Word(uint32_t w) {
        std::memcpy(Room(4), &w, 4);
        return true;
    }
    bool Real(double d) {
        std::memcpy(Room(8), &d, 8);
        return true;
    }
    bool Bytes(const void* data, uint32_t n) {
        WordScan::Copy(Room(n), data, n);
        return true;
    }

private:
    // The next n bytes of the buffer, taken.
    char* Room(uint32_t n) {
        if (capacity - used < n) Reserve(n);
        char* at = buffer.get() + used;
        used += n;
        return at;
    }
    // Room for n more bytes.
    void Reserve(uint32_t n);
    // Hands the framed bytes on once there are enough of them.
    bool Done() { return used < kPiece || Flush(); }

    static const uint32_t kPiece = 1 << 20;
    Section& section;
    std::unique_ptr<char[]> buffer;
    uint32_t capacity = 0;
    uint32_t used = 0;
    bool refused = false;
};
