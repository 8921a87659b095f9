#pragma once
// File status, enumeration, copying and folder services behind CString paths.
// Both backslash and slash separate path parts here.
#include "foundation/Export.h"
#include "foundation/Owners.h"
#include "platform/Collections.h"
#include <windows.h>
#undef GetFreeSpace  // an old 16-bit macro that would rename the member

// A file's status as the file system reports it.
struct CFileStatus {
    FILETIME m_ctime = {};
    FILETIME m_mtime = {};
    FILETIME m_atime = {};
    ULONGLONG m_size = 0;
    BYTE m_attribute = 0;
    CString m_szFullName;
};

class VELLANTS_API SECFileSystem : public CObject {
public:
    static const int kMaxPath = 1024;
    SECFileSystem() = default;
    SECFileSystem(const SECFileSystem&) = delete;
    SECFileSystem& operator=(const SECFileSystem&) = delete;
    ~SECFileSystem() override;

    static CString GetFileName(const CString& path);
    static CString GetPath(const CString& path, bool includeDrive = true);
    static CString GetExtension(const CString& path);
    static CString GetBaseName(const CString& path);
    static CString GetRoot(const CString& path);
    static CString AppendPaths(const CString& a, const CString& b);
    CString GetFullPath(const CString& path) const;

    bool FileExists(const CString& path) const;
    bool IsDirectory(const CString& path) const;
    bool GetStatus(const CString& path, CFileStatus& status) const;
    bool GetFileCreationTime(const CString& path, FILETIME& when) const;
    bool GetFileModifyTime(const CString& path, FILETIME& when) const;
    bool GetFileAccessTime(const CString& path, FILETIME& when) const;
    bool GetFileSize(const CString& path, ULONGLONG& size) const;
    bool GetFileAttribute(const CString& path, BYTE& attribute) const;
    CString GetCurrentDirectory() const;
    bool ChangeDirectory(const CString& path) const;
    bool ChangeDrive(int drive) const;
    CStringList* GetDriveList() const;
    bool IsValidDrive(const CString& root) const;
    CString GetVolumeLabel(const CString& root) const;
    UINT GetDriveType(const CString& root) const;
    // Bytes in the free clusters of the volume; all ones when the query fails.
    ULONGLONG GetFreeSpace(const CString& root) const;
    ULONGLONG GetFreeSpace64(const CString& path) const;
    ULONGLONG GetTotalSpace64(const CString& path) const;
    bool IsReadOnly(const CString& folder) const;

    bool RenameFile(const CString& from, const CString& to) const;
    bool RenameDirectory(const CString& from, const CString& to) const;
    bool DeleteFile(const CString& path) const;
    bool DeleteFiles(const CString& pattern, int attributes = 0);
    bool CopyFile(const CString& from, const CString& to) const;
    bool CompareFiles(const CString& a, const CString& b) const;
    bool MakeDirectory(const CString& path) const;
    // Makes every missing folder below the path's volume or share (C:\, \\server\share\,
    // \\?\C:\, \\?\UNC\server\share\).
    bool MakePath(const CString& path) const;
    // Recursive: the folder's own files go first; a folder that holds sub-folders
    // is refused before anything is deleted.
    bool DeleteDirectory(const CString& path, bool recursive);

    // attributes: -1 everything, 0 or 128 normal files only, else any shared bit.
    CString GetNextFileName(const CString& pattern, int attributes);
    CStringList* GetFileList(const CString& pattern, int attributes, bool recursive, CStringList* list = nullptr);
    CStringList* GetDirectoryList(const CString& folder, bool fullPaths);
    static void Sort(CStringList& list, bool caseSensitive);
    static void FillListBox(HWND listBox, const CStringList& list);
    static void FillComboBox(HWND comboBox, const CStringList& list);

private:
    bool GetFindTime(const CString& path, FILETIME WIN32_FIND_DATAA::*field, FILETIME& when) const;

    WIN32_FIND_DATAA findData = {};
    FindHandle findHandle;
};
