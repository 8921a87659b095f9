#pragma once
// The stream over a disk file: a sliding 64 KiB window of the file kept in memory and
// written back with checked writes.
#include "foundation/Export.h"
#include "foundation/Owners.h"
#include "foundation/StrPP.h"
#include "settings/Storage.h"
#include <windows.h>
#include <cstdint>
#include <memory>

class VELLANTS_API FileStorage : public Storage {
public:
    // access: GENERIC_READ/GENERIC_WRITE; disposition: CREATE_ALWAYS, OPEN_EXISTING, OPEN_ALWAYS.
    FileStorage(const char* name, DWORD flagsAndAttributes, DWORD access, DWORD disposition);
    // Writes back what is pending; a failure here is lost, so owners call Flush first.
    ~FileStorage() override;

    bool Status() const override { return opened; }
    int WriteBytes(const void* data, uint32_t count) override;
    int ReadBytes(void* data, uint32_t count) override;
    int Seek(int32_t offset, int origin) override;
    int SetLength(uint32_t newLength) override;
    uint32_t Length() override;

    // Writes the window's pending bytes and, when durable, has the system put the file
    // on disk. 0 when this or any earlier write to the file failed: once a write is
    // refused every later one is too, so that no file is finished with a hole in it.
    int Flush(bool durable = false);
    bool WriteFailed() const { return writeFailed; }

    const StrPP& Name() const { return name; }

protected:
    static constexpr uint32_t kWindow = 0x10000;
    static constexpr uint32_t kLargest = 0xFFFF0000u;

    bool foreignName = false;
    bool opened = false;

private:
    // Makes the window hold position (writing back the one it held); false on failure.
    bool MoveWindow(uint32_t at);
    // Fills the window from the file, once its pending bytes are written.
    bool LoadWindow();
    bool WriteBack();
    bool Refuse();
    // Adds [offset, offset + count) of the window to its pending run.
    void Pend(uint32_t offset, uint32_t count);
    // A request of a window or more goes between the caller's buffer and the file in one
    // call, once the window's pending bytes are written; the window is reloaded after it.
    bool WriteThrough(const unsigned char* data, uint32_t count);
    bool ReadThrough(unsigned char* data, uint32_t count);

    ScopedHandle file;
    StrPP name;
    std::unique_ptr<unsigned char[]> window;
    uint32_t windowStart = 0;
    bool windowLoaded = false;  // the window mirrors the file (plus its pending bytes)
    // The bytes written into the window and not yet to the file: [pendingBegin, pendingEnd).
    // While the window is not loaded they are the only bytes in it that mean anything.
    uint32_t pendingBegin = 0;
    uint32_t pendingEnd = 0;
    uint32_t onDisk = 0;  // the file's length as the file system has it
    bool writeFailed = false;
};
