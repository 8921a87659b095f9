#pragma once
// Frames the records of a settings section in memory and hands them on in large pieces
// (to the section of a file, or to memory): the bytes that a StorageSet writing
// StorageValues that hold copies would write, without a stream call for every word.
#include "foundation/WordScan.h"
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <utility>

class Value;

class SectionWriter {
public:
    // Takes the framed bytes, in order; false when it refused them.
    using Put = std::function<bool(const char* bytes, uint32_t count)>;
    explicit SectionWriter(Put put) : put(std::move(put)) {}
    SectionWriter(const SectionWriter&) = delete;
    SectionWriter& operator=(const SectionWriter&) = delete;

    // A record whose body is a String value holding the n bytes at text.
    bool Text(const char* text, uint32_t n);
    // A record whose body is the value.
    bool Record(const Value& body);
    // Hands what is framed on; false once a piece was refused.
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
    static const uint32_t kFirstRoom = 4096;
    Put put;
    std::unique_ptr<char[]> buffer;
    uint32_t capacity = 0;
    uint32_t used = 0;
    bool refused = false;
};
