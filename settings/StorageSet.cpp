#include "settings/StorageSet.h"
#include "environment/Messages.h"
#include "settings/Storage.h"

void StorageValue::Assign(const Storable& other) {
    if (other.TypeId() == TypeId()) value = static_cast<const StorageValue&>(other).value;
}

StorageSet::StorageSet(int requested, Storable* defaultPrototype)
    : capacity(requested < kPlaces ? requested : kPlaces), lastIndex(defaultPrototype ? 0 : -1),
      current(defaultPrototype) {
    places[0] = defaultPrototype;
}

StorageSet::~StorageSet() {
    for (Storable* prototype : places) delete prototype;
}

int StorageSet::Register(Storable* prototype) {
    if (lastIndex >= capacity || lastIndex + 1 >= kPlaces) return 0;
    places[++lastIndex] = prototype;
    return 1;
}

Storable* StorageSet::Select(uint32_t typeId) {
    for (int i = 0; i <= lastIndex; ++i) {
        if (places[i] && places[i]->TypeId() == typeId) {
            current = places[i];
            return current;
        }
    }
    return nullptr;
}

Storable* StorageSet::Select(const Storable& object) {
    Storable* selected = Select(object.TypeId());
    if (selected) selected->Assign(object);
    return selected;
}

int StorageSet::WriteRecord(Storage& storage) {
    if (!current) return 0;
    const uint32_t start = storage.Position();
    const uint32_t size = current->StorageSize();
    // A refused write is the stream's failure (its error code says which), not the record's.
    if (!storage.Write(static_cast<unsigned>(current->TypeId())) || !storage.Write(static_cast<unsigned>(size)) ||
        !current->Write(storage) || !storage.Write(static_cast<unsigned>(size)))
        return 0;
    // The write path raises the text that speaks of bytes read, the read path the other: as designed.
    if (storage.Position() - start != size + kRecordOverhead) QRVException(CatalogueText(kMsgReadMismatch), 1).Throw();
    return 1;
}

int StorageSet::ReadRecord(Storage& storage) {
    uint32_t header[2] = {0, 0};  // type identifier, body size
    if (!storage.ReadBytes(header, sizeof header)) return 0;
    const uint32_t typeId = header[0];
    const uint32_t size = header[1];
    lastTypeRead = typeId;
    Storable* target = nullptr;
    if (current && current->TypeId() == typeId) {
        target = current;
    } else {
        for (int i = 1; i <= lastIndex && !target; ++i)
            if (places[i] && places[i]->TypeId() == typeId) target = places[i];
        if (!target && places[0]) {
            places[0]->UnknownType(typeId);
            target = places[0];
        }
    }
    if (!target) return SkipRecordBody(storage, size);
    target->BeforeRead(size);
    target->Read(storage);
    unsigned long trailer = 0;
    storage >> trailer;
    current = target;
    if (trailer != size && !storage.Error()) QRVException(CatalogueText(kMsgWriteMismatch), 1).Throw();
    return storage.Error() ? 0 : 1;
}

int StorageSet::SkipRecord(Storage& storage) {
    unsigned typeId = 0;
    unsigned long size = 0;
    storage >> typeId >> size;
    if (storage.Error()) return 0;
    return SkipRecordBody(storage, static_cast<uint32_t>(size));
}

int StorageSet::SkipRecordBody(Storage& storage, uint32_t size) {
    return storage.Seek(static_cast<int32_t>(size + kRecordWord), 1);  // the body and its trailing size
}

int StorageSet::StepBack(Storage& storage) {
    unsigned long size = 0;
    if (!storage.Seek(-static_cast<int32_t>(kRecordWord), 1) || !storage.Read(size)) return 0;
    return storage.Seek(-static_cast<int32_t>(size + kRecordOverhead), 1);
}

int StorageSet::StepBackAndRead(Storage& storage) { return StepBack(storage) && ReadRecord(storage); }
