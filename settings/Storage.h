#pragma once
// Random-access byte streams: typed little-endian words, raw blocks, whole-stream
// copies and a sticky error code.
#include "foundation/Export.h"
#include "foundation/StrPP.h"
#include <cstdint>
#include <cstring>
#include <memory>

enum StorageError : int32_t {
    kStorageOk = 0,
    kStorageUnsupported = 1,
    kStorageEnd = 2,
    kStorageBadSeek = 16,
    kStorageNoMemory = 32,
    kStorageWriteFailed = 64,  // the file system refused a write (disk full, I/O error)
};

// "\n", the catalogue's "File" text, ": " and the name: what a file's failure adds to its text.
VELLANTS_API StrPP FileTail(const char* fileName);

class VELLANTS_API Storage {
public:
    Storage() = default;
    Storage(const Storage&) = delete;
    Storage& operator=(const Storage&) = delete;
    virtual ~Storage() = default;

    virtual bool Status() const { return false; }
    virtual int WriteBytes(const void* data, uint32_t count);
    virtual int ReadBytes(void* data, uint32_t count);
    virtual Storage& AppendFrom(Storage& source);
    virtual Storage& CopyTo(Storage& target);
    virtual void ClearError() { error = kStorageOk; }
    virtual int Seek(int32_t offset, int origin);
    virtual int SetLength(uint32_t newLength);
    virtual uint32_t Length();

    // Typed words, written as they lie in memory (little-endian); widths 8,8,4,4,4,1,4,4,1.
    int Write(long long v) { return WriteBytes(&v, 8); }
    int Write(double v) { return WriteBytes(&v, 8); }
    int Write(float v) { return WriteBytes(&v, 4); }
    int Write(int v) { return WriteBytes(&v, 4); }
    int Write(unsigned v) { return WriteBytes(&v, 4); }
    int Write(char v) { return WriteBytes(&v, 1); }
    int Write(long v) { return WriteWord(static_cast<int32_t>(v)); }
    int Write(unsigned long v) { return WriteWord(static_cast<uint32_t>(v)); }
    int Write(bool v) {
        const unsigned char b = v;
        return WriteBytes(&b, 1);
    }
    int Read(long long& v) { return ReadInto(v); }
    int Read(double& v) { return ReadInto(v); }
    int Read(float& v) { return ReadInto(v); }
    int Read(int& v) { return ReadInto(v); }
    int Read(unsigned& v) { return ReadInto(v); }
    int Read(char& v) { return ReadInto(v); }
    int Read(long& v);
    int Read(unsigned long& v);
    int Read(bool& v);
    template <class T>
    Storage& operator<<(T v) {
        Write(v);
        return *this;
    }
    template <class T>
    Storage& operator>>(T& v) {
        Read(v);
        return *this;
    }

    uint32_t Position() const { return position; }
    // Bytes between the position and the end, as last known; bounds every count read.
    uint32_t Remaining() const { return length > position ? length - position : 0; }
    int32_t Error() const { return error; }
    bool ReadOnly() const { return readOnly; }

protected:
    // Most requests are single words: copies of a known size compile to plain moves.
    static void CopyBytes(void* to, const void* from, uint32_t count) {
        switch (count) {
            case 4: std::memcpy(to, from, 4); break;
            case 8: std::memcpy(to, from, 8); break;
            default: std::memcpy(to, from, count); break;
        }
    }
    template <class T>
    int WriteWord(T v) {
        return WriteBytes(&v, sizeof v);
    }
    template <class T>
    int ReadInto(T& v) {
        T read;
        if (!ReadBytes(&read, sizeof read)) return 0;
        v = read;
        return 1;
    }
    // Seek rules shared by every stream; `limit` is the largest target allowed.
    int SeekWithin(int32_t offset, int origin, uint32_t limit);

    int32_t error = kStorageOk;
    uint32_t position = 0;
    uint32_t length = 0;
    uint32_t reserved = 0;
    bool readOnly = false;
};
