#include "settings/QRVFile.h"
#include "environment/Messages.h"
#include "settings/StorageSet.h"
#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

namespace {
const uint32_t kMoveChunk = 0x10000;
const uint32_t kBulkChunk = 524288;
// From one section's length field over its data and trailer to the next section's number.
const uint32_t kToNextNumber = kSectionTrailer + kSectionWord;

[[noreturn]] void Raise(CatalogueNumber text) { QRVException(CatalogueText(text), 1).Throw(); }

DWORD DispositionOf(const char* mode) {
    if (std::strchr(mode, 'w')) return CREATE_ALWAYS;
    if (std::strchr(mode, '+')) return OPEN_ALWAYS;
    return OPEN_EXISTING;
}

DWORD AccessOf(const char* mode) {
    if (std::strchr(mode, '+') || std::strchr(mode, 'w')) return GENERIC_READ | GENERIC_WRITE;
    return GENERIC_READ;
}

// Puts the file position back on every way out.
class PositionGuard {
public:
    explicit PositionGuard(Storage& s) : storage(s), saved(s.Position()) {}
    PositionGuard(const PositionGuard&) = delete;
    PositionGuard& operator=(const PositionGuard&) = delete;
    ~PositionGuard() { storage.Seek(static_cast<int32_t>(saved), 0); }

private:
    Storage& storage;
    uint32_t saved;
};
}  // namespace

Section::Section(QRVFile& owner, uint32_t sectionNumber) : file(owner), number(sectionNumber) {}

int32_t Section::FileError() const { return file.Error(); }

int Section::Grow(uint32_t n) {
    if (file.ReadOnly()) return 0;
    const uint32_t a = n ? n : growStep;
    if (next && !next->ShiftUp(a)) return 0;
    const uint32_t newCapacity = capacity + a;
    file.Seek(static_cast<int32_t>(dataStart + newCapacity), 0);
    if (!file.Write(static_cast<unsigned long>(newCapacity))) return 0;
    file.Seek(static_cast<int32_t>(dataStart - kSectionWord), 0);
    if (!file.Write(static_cast<unsigned long>(newCapacity))) return 0;
    file.Seek(static_cast<int32_t>(dataStart + used), 0);
    cursor = dataStart + used;
    capacity = newCapacity;
    return 1;
}

int Section::Trim() {
    if (file.ReadOnly()) return 0;
    if (capacity == used) {
        cursor = dataStart + used;
        return 1;
    }
    PositionGuard keep(file);
    if (next && !next->ShiftDown(capacity - used)) return 0;
    file.Seek(static_cast<int32_t>(dataStart + used), 0);
    if (!file.Write(static_cast<unsigned long>(used))) return 0;
    file.Seek(static_cast<int32_t>(dataStart - kSectionWord), 0);
    if (!file.Write(static_cast<unsigned long>(used))) return 0;
    capacity = used;
    if (!next && !file.SetLength(dataStart + used + kSectionTrailer)) return 0;
    cursor = dataStart + used;
    return 1;
}

int Section::MoveBytes(uint32_t from, uint32_t to, uint32_t count) {
    if (file.ReadOnly()) return 0;
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[kMoveChunk]);
    if (!buffer) return 0;
    PositionGuard keep(file);
    uint32_t done = 0;
    while (done < count) {
        const uint32_t chunk = std::min(kMoveChunk, count - done);
        // Moving up copies from the end backwards so that no byte is overwritten unread.
        const uint32_t offset = to > from ? count - done - chunk : done;
        if (!file.Seek(static_cast<int32_t>(from + offset), 0) || !file.ReadBytes(buffer.get(), chunk)) return 0;
        if (!file.Seek(static_cast<int32_t>(to + offset), 0) || !file.WriteBytes(buffer.get(), chunk)) return 0;
        done += chunk;
    }
    return 1;
}

int Section::ShiftUp(uint32_t n) {
    if (next && !next->ShiftUp(n)) return 0;
    const uint32_t block = dataStart - kSectionHeader;
    if (!MoveBytes(block, block + n, capacity + kSectionOverhead)) return 0;
    dataStart += n;
    cursor += n;
    return 1;
}

int Section::ShiftDown(uint32_t n) {
    const uint32_t block = dataStart - kSectionHeader;
    if (!MoveBytes(block, block - n, capacity + kSectionOverhead)) return 0;
    dataStart -= n;
    cursor -= n;
    if (next) return next->ShiftDown(n);
    // The last section ends the file: after its trailer, whatever its slack.
    return file.SetLength(dataStart + capacity + kSectionTrailer);
}

template <class WriteBody>
int Section::WriteAtCursor(uint32_t m, WriteBody body) {
    if (file.ReadOnly()) return 0;
    if (cursor < dataStart + used) {
        if (!InsertGap(m)) return 0;
    } else if (capacity - used < m) {
        // Appending grows by a quarter of the capacity too, so that a long run of
        // records moves the sections behind (and the length fields) only now and then.
        const uint32_t at = cursor;
        if (!Grow(std::max({growStep, m, capacity / 4}))) return 0;
        cursor = at;
    }
    file.Seek(static_cast<int32_t>(cursor), 0);
    if (!body()) return 0;
    cursor = file.Position();
    used = std::max(used, cursor - dataStart);
    return 1;
}

int Section::Append(Section& source) {
    source.Rewind();
    const uint32_t total = source.used;
    return WriteAtCursor(total, [&]() {
        std::unique_ptr<char[]> buffer(new (std::nothrow) char[kMoveChunk]);
        if (!buffer) return 0;
        uint32_t done = 0;
        while (done < total) {
            const uint32_t chunk = std::min(kMoveChunk, total - done);
            const uint32_t writeAt = file.Position();
            if (!source.file.Seek(static_cast<int32_t>(source.dataStart + done), 0) ||
                !source.file.ReadBytes(buffer.get(), chunk))
                return 0;
            if (!file.Seek(static_cast<int32_t>(writeAt), 0) || !file.WriteBytes(buffer.get(), chunk)) return 0;
            done += chunk;
        }
        return 1;
    });
}

int Section::Append(Storage& source) {
    const uint32_t total = source.Length();
    return WriteAtCursor(total, [&]() {
        file.AppendFrom(source);
        return file.Error() ? 0 : 1;
    });
}

int Section::Append(const void* bytes, uint32_t count) {
    return WriteAtCursor(count, [&]() { return file.WriteBytes(bytes, count); });
}

int Section::WriteRecord(StorageSet& set) {
    if (!set.Current()) return 0;
    return WriteAtCursor(set.Current()->StorageSize() + kRecordOverhead, [&]() { return set.WriteRecord(file); });
}

int Section::CopyRestTo(Storage& target) {
    if (AtEnd()) return 0;
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[kBulkChunk]);
    if (!buffer) return 0;
    file.Seek(static_cast<int32_t>(cursor), 0);
    uint32_t remaining = dataStart + used - cursor;
    while (remaining > 0) {
        const uint32_t chunk = std::min(kBulkChunk, remaining);
        if (!file.ReadBytes(buffer.get(), chunk) || !target.WriteBytes(buffer.get(), chunk)) return 0;
        remaining -= chunk;
    }
    cursor = file.Position();
    return 1;
}

int Section::ReadRecord(StorageSet& set) {
    if (AtEnd()) return 0;
    file.Seek(static_cast<int32_t>(cursor), 0);
    const int read = set.ReadRecord(file);
    // A record must move forward and stay inside the section's data.
    if (!read || file.Position() <= cursor || file.Position() > dataStart + used) return 0;
    cursor = file.Position();
    return read;
}

int Section::InsertGap(uint32_t m) {
    if (file.ReadOnly()) return 0;
    const uint32_t at = cursor;
    const uint32_t free = capacity - used;
    if (free < m && !Grow(free + m)) return 0;
    cursor = at;
    const uint32_t tail = dataStart + used - cursor;
    if (tail > 0 && !MoveBytes(cursor, cursor + m, tail)) return 0;
    used += m;
    file.Seek(static_cast<int32_t>(cursor), 0);
    return 1;
}

int Section::DeleteBytes(uint32_t m) {
    if (file.ReadOnly()) return 0;
    const uint32_t r = dataStart + used - cursor;
    if (m > r) {
        QRVException(CatalogueText(kMsgSectionDeleteOf) + StrPP(static_cast<unsigned long>(m)) +
                         CatalogueText(kMsgSectionDeleteFailed),
                     1)
            .Throw();
    }
    if (r - m > 0 && !MoveBytes(cursor + m, cursor, r - m)) return 0;
    used -= m;
    file.Seek(static_cast<int32_t>(cursor), 0);
    return 1;
}

int Section::ReplaceRecord(StorageSet& set) {
    if (!set.Current()) return 0;
    const uint32_t size = set.Current()->StorageSize() + kRecordOverhead;
    if (cursor >= dataStart + used) Raise(kMsgCannotReplace);
    const uint32_t at = cursor;
    file.Seek(static_cast<int32_t>(at), 0);
    unsigned typeId = 0;
    unsigned long oldBody = 0;
    file >> typeId >> oldBody;
    if (file.Error()) return 0;
    const uint32_t oldSize = static_cast<uint32_t>(oldBody) + kRecordOverhead;
    if (oldSize > size) {
        if (!DeleteBytes(oldSize - size)) return 0;
    } else if (size > oldSize) {
        if (!InsertGap(size - oldSize)) return 0;
    }
    file.Seek(static_cast<int32_t>(at), 0);
    if (!set.WriteRecord(file)) return 0;
    cursor = file.Position();
    used = std::max(used, cursor - dataStart);
    return 1;
}

int Section::MakeRoom(uint32_t n) { return capacity - used >= n ? 1 : Grow(std::max(growStep, n)); }

Section* Section::Find(Section* head, uint32_t wanted) {
    for (Section* s = head; s; s = s->next)
        if (s->number == wanted) return s;
    return nullptr;
}

void Section::Unlink(Section*& head) {
    if (previous)
        previous->next = next;
    else if (head == this)
        head = next;
    if (next) next->previous = previous;
    previous = next = nullptr;
}

void Section::Link(Section*& head) {
    Section* before = nullptr;
    Section* after = head;
    while (after && after->dataStart < dataStart) {
        before = after;
        after = after->next;
    }
    previous = before;
    next = after;
    if (before)
        before->next = this;
    else
        head = this;
    if (after) after->previous = this;
}

int Section::Open(Section*& head, bool create) {
    PositionGuard keep(file);
    // A number that is already open is handed out by the file, never opened twice.
    if (Find(head, number)) return 0;
    file.Seek(0, 0);
    unsigned long magic = 0;
    if (file.Read(magic) && magic != kSectionMagic) Raise(kMsgNotQrvFile);
    unsigned long found = 0;
    unsigned long length = 0;
    while (file.Read(found) && found != number) {
        if (!file.Read(length) || length > file.Remaining() ||
            !file.Seek(static_cast<int32_t>(length + kToNextNumber), 1))
            break;
    }
    if (!file.Error() && found == number) {
        unsigned long trailer = 0;
        if (!file.Read(length)) return 0;
        if (length > file.Remaining()) Raise(kMsgSectionLengthMismatch);
        dataStart = file.Position();
        capacity = used = static_cast<uint32_t>(length);
        if (!file.Seek(static_cast<int32_t>(length), 1) || !file.Read(trailer) || trailer != length)
            Raise(kMsgSectionLengthMismatch);
        Link(head);
        cursor = dataStart;
        return 1;
    }
    if (file.ReadOnly() || !create || file.Error() != kStorageEnd) return 0;
    file.Seek(0, 2);
    file << static_cast<unsigned>(kSectionMagic) << static_cast<long>(number) << static_cast<unsigned long>(0);
    dataStart = file.Position();
    file << static_cast<unsigned long>(0);
    file.Seek(static_cast<int32_t>(dataStart), 0);
    capacity = used = 0;
    if (!Grow(growStep)) return 0;
    AfterCreate();
    Link(head);
    cursor = dataStart;
    return 1;
}

void Section::Rewind() {
    cursor = dataStart;
    file.Seek(static_cast<int32_t>(cursor), 0);
}

void Section::SeekEnd() {
    cursor = dataStart + used;
    file.Seek(static_cast<int32_t>(cursor), 0);
}

void Section::Empty() {
    used = 0;
    Rewind();
}

void Section::SetCursor(uint32_t offset) {
    cursor = offset;
    file.Seek(static_cast<int32_t>(cursor), 0);
}

void RaiseForFile(const char* fileName) {
    QRVException named(kUnknownFileError, 1);
    try {
        throw;
    } catch (const QRVException& failure) {
        named = failure;
    } catch (...) {}
    named.Append(FileTail(fileName));
    named.Throw();
}

QRVFile::QRVFile(const char* name, const char* mode) try
    : FileStorage(name, FILE_ATTRIBUTE_NORMAL, AccessOf(mode), DispositionOf(mode)) {
    try {
        OpenAllSections();
    } catch (...) {
        CloseSections();
        throw;
    }
} catch (...) {
    RaiseForFile(name);
}

QRVFile::~QRVFile() {
    try {
        Close();
    } catch (...) {
        // A destructor cannot report; Close() called by the owner can.
    }
}

void QRVFile::OpenAllSections() {
    // The scan finds them in file order: each goes at the end of the list.
    Section* last = nullptr;
    ScanSections(*this, [&](const SectionPlace& place) {
        Section* section = new Section(*this, place.number);
        section->dataStart = section->cursor = place.dataStart;
        section->capacity = section->used = place.length;
        section->previous = last;
        (last ? last->next : sections) = section;
        last = section;
    });
}

Section* QRVFile::GetSection(uint32_t flags, uint32_t number) {
    try {
        if (Section* open = sections ? sections->Find(sections, number) : nullptr) {
            if (flags & kSectionFindEnd) open->SeekEnd();
            return open;
        }
        std::unique_ptr<Section> section(new Section(*this, number));
        if (!section->Open(sections, (flags & kSectionCreate) != 0)) return nullptr;
        return section.release();
    } catch (...) {
        RaiseForFile(Name());
    }
}

void QRVFile::CloseSections() {
    while (sections) {
        Section* s = sections;
        s->Unlink(sections);
        delete s;
    }
}

void QRVFile::Close(bool durable) {
    if (closed) return;
    closed = true;
    try {
        if (!ReadOnly()) {
            Section* last = sections;
            while (last && last->Next()) last = last->Next();
            bool trimmed = true;
            for (Section* s = last; s; s = s->Previous()) trimmed = s->Trim() && trimmed;
            if (last) trimmed = SetLength(last->DataStart() + last->Used() + kSectionTrailer) && trimmed;
            if (!Flush(durable) || !trimmed) Raise(kMsgNotEnoughDiskSpace);
        }
    } catch (...) {
        CloseSections();
        RaiseForFile(Name());
    }
    CloseSections();
}
