#pragma once
// Framed records: each persistable object is written as its type identifier, its
// body size, its body and the body size again.
#include "foundation/Export.h"
#include "settings/Value.h"
#include <cstdint>

class Storage;

// A record: type identifier, body size S, the S bytes of the body, then S again.
constexpr uint32_t kRecordWord = 4;
constexpr uint32_t kRecordOverhead = 3 * kRecordWord;

class VELLANTS_API Storable {
public:
    virtual int Read(Storage& storage) = 0;
    virtual int Write(Storage& storage) const = 0;
    virtual ~Storable() = default;
    virtual uint32_t TypeId() const = 0;
    virtual uint32_t StorageSize() const = 0;
    virtual int BeforeRead(uint32_t) { return 0; }
    virtual int UnknownType(uint32_t) { return 0; }
    virtual void Assign(const Storable& other) = 0;
};

// A record whose body is one stored Value.
class VELLANTS_API StorageValue : public Storable {
public:
    static const uint32_t kTypeId = 21;
    StorageValue() = default;
    explicit StorageValue(const Value& v) : value(v) {}
    int Read(Storage& storage) override { return value.Read(storage); }
    int Write(Storage& storage) const override { return value.Write(storage); }
    uint32_t TypeId() const override { return kTypeId; }
    uint32_t StorageSize() const override { return value.StorageSize(); }
    void Assign(const Storable& other) override;

    Value value;
};

class VELLANTS_API StorageSet {
public:
    static const int kPlaces = 50;
    StorageSet(int capacity, Storable* defaultPrototype);
    StorageSet(const StorageSet&) = delete;
    StorageSet& operator=(const StorageSet&) = delete;
    ~StorageSet();

    int Register(Storable* prototype);
    Storable* Select(uint32_t typeId);
    Storable* Select(const Storable& object);
    Storable* Current() const { return current; }

    int WriteRecord(Storage& storage);
    // 0 when the stream reports an error before a record begins (at the end, say).
    int ReadRecord(Storage& storage);
    int SkipRecord(Storage& storage);
    int StepBack(Storage& storage);
    int StepBackAndRead(Storage& storage);

private:
    int SkipRecordBody(Storage& storage, uint32_t size);

    Storable* places[kPlaces] = {};
    int capacity;
    int lastIndex;
    uint32_t lastTypeRead = 0;
    Storable* current;
};
