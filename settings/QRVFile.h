#pragma once
// A file of numbered sections, each a growable byte area that can be written at a
// cursor, read, trimmed and deleted from; the sections behind it move as it grows.
#include "foundation/Export.h"
#include "environment/Messages.h"
#include "settings/FileStorage.h"
#include "settings/SectionScan.h"
#include <cstdint>

class QRVFile;
class StorageSet;

constexpr uint32_t kSectionFindEnd = 0x1;
constexpr uint32_t kSectionCreate = 0x100;

// Raised for a failure of a settings file that is not one of the storage layer's own.
constexpr const char* kUnknownFileError = "Unknown file error.  This file may have to be deleted.";

// Inside a catch block: raises the exception being handled again with "\n", the
// catalogue's "File" text, ": " and the file name added to its text; any exception
// but a QRVException becomes kUnknownFileError.
[[noreturn]] VELLANTS_API void RaiseForFile(const char* fileName);

class VELLANTS_API Section {
public:
    Section(QRVFile& file, uint32_t number);
    Section(const Section&) = delete;
    Section& operator=(const Section&) = delete;
    virtual ~Section() = default;

    virtual int Grow(uint32_t n = 0);
    virtual int Trim();
    virtual int MoveBytes(uint32_t from, uint32_t to, uint32_t count);
    virtual int ShiftUp(uint32_t n);
    virtual int ShiftDown(uint32_t n);
    virtual void AfterCreate() {}
    virtual int Append(Section& source);
    virtual int Append(Storage& source);
    // Appends (or, inside the data, inserts) count bytes at the cursor in one write.
    int Append(const void* bytes, uint32_t count);
    virtual int WriteRecord(StorageSet& set);
    virtual int CopyRestTo(Storage& target);
    virtual int ReadRecord(StorageSet& set);
    virtual int InsertGap(uint32_t m);
    virtual int DeleteBytes(uint32_t m);
    virtual int Open(Section*& head, bool create);
    virtual Section* Find(Section* head, uint32_t number);
    virtual void Unlink(Section*& head);
    virtual void Link(Section*& head);
    virtual void Rewind();
    virtual void SeekEnd();
    virtual int32_t FileError() const;
    virtual bool AtEnd() const { return cursor >= dataStart + used; }
    virtual void Empty();
    virtual void SetCursor(uint32_t offset);
    virtual void PassOn() {}

    int ReplaceRecord(StorageSet& set);
    int MakeRoom(uint32_t n);
    void SetGrowStep(uint32_t step) { growStep = step ? step : 256; }
    void SetNumber(uint32_t n) { number = n; }

    uint32_t DataStart() const { return dataStart; }
    uint32_t Capacity() const { return capacity; }
    uint32_t Used() const { return used; }
    uint32_t Cursor() const { return cursor; }
    uint32_t Number() const { return number; }
    QRVFile& File() const { return file; }
    Section* Next() const { return next; }
    Section* Previous() const { return previous; }

private:
    friend class QRVFile;
    // Writes m bytes at the cursor, inserting when the cursor is inside the data.
    template <class WriteBody>
    int WriteAtCursor(uint32_t m, WriteBody body);

    uint32_t dataStart = 0;
    uint32_t capacity = 0;
    uint32_t used = 0;
    uint32_t growStep = 256;
    uint32_t cursor = 0;
    Section* previous = nullptr;
    Section* next = nullptr;
    QRVFile& file;
    uint32_t number;
};

class VELLANTS_API QRVFile : public FileStorage {
public:
    // mode: "w" creates anew, "+" opens always with write access, else opens an existing file.
    QRVFile(const char* name, const char* mode);
    ~QRVFile() override;

    Section* GetSection(uint32_t flags, uint32_t number);
    Section* FirstSection() const { return sections; }
    // Trims every section, truncates the file after the last and writes back what is
    // pending (durable: and has the system put it on disk); raises "Not enough disk
    // space" when any write to the file failed. The destructor does the same but cannot
    // report a failure.
    void Close(bool durable = false);

private:
    void OpenAllSections();
    void CloseSections();

    Section* sections = nullptr;
    bool closed = false;
};
