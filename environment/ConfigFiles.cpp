#include "environment/ConfigFiles.h"
#include "foundation/FileString.h"
#include "foundation/FileUtils.h"
#include "foundation/Owners.h"
#include "foundation/SECFileSystem.h"
#include "foundation/SystemLibrary.h"
#include <shellapi.h>
#include <cstring>
#include <memory>
#include <vector>

namespace {
const DWORD kWatchFilter = 0x53;  // file name, folder name, last write, creation
const int kAppDataFolder = 0x1A;

bool FolderExists(const CString& folder) { return ValidatePath(StrPP(folder), false, nullptr) != 0; }

const char* const kDevelopmentHelp = "c:\\files\\help systems\\qtx help";

bool Writable(const PathString& folder) {
    if (!FolderExists(folder)) return false;
    return CanCreateFileAt(folder + "temp.tmp");
}

// A folder inside the user's own profile belongs to that user alone.
bool InUsersProfile(const CString& folder) {
    char profile[MAX_PATH + 1] = {0};
    const DWORD length = ::GetEnvironmentVariableA("USERPROFILE", profile, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return false;
    CString root(profile);
    if (root[root.GetLength() - 1] != '\\') root += "\\";
    return folder.GetLength() > root.GetLength() && folder.Left(root.GetLength()).CompareNoCase(root) == 0;
}

// The program's own User folder serves only when it is the user's alone (a program
// installed into the user's profile) and a file can be made in it; a User folder
// beside a program that every user runs would give them all one settings folder.
bool OwnUserFolderServes(const PathString& folder) { return InUsersProfile(folder) && Writable(folder); }

CString AppDataFolder() {
    using GetFolderPath = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPSTR);
    static HMODULE shfolder = LoadSystemLibrary("SHFolder.dll");  // stays loaded for the process
    if (!shfolder) return CString();
    auto query =
        reinterpret_cast<GetFolderPath>(reinterpret_cast<void*>(::GetProcAddress(shfolder, "SHGetFolderPathA")));
    char path[MAX_PATH + 1] = {0};
    if (!query || FAILED(query(nullptr, kAppDataFolder, nullptr, 0, path))) return CString();
    return path;
}

// Creates a missing folder; true when it had to try.
bool CreateMissing(const CString& folder) {
    if (FolderExists(folder)) return false;
    ::CreateDirectoryA(folder, nullptr);
    return true;
}

CString Resolved(const PathString& folder, const CString& topic, std::initializer_list<const char*> extensions) {
    CString path = folder + topic;
    for (int at = path.Find("%20"); at >= 0; at = path.Find("%20", at + 1))
        path = path.Left(at) + " " + path.Mid(at + 3);
    for (const char* extension : extensions) {
        if (FileExists(StrPP(path + extension))) return path + extension;
    }
    return path;
}

}  // namespace

ConfigFiles::ConfigFiles(CString programName) { Build(programName, ProgramFolder()); }

ConfigFiles::ConfigFiles(CString programName, CString programFolder) { Build(programName, programFolder); }

ConfigFiles::~ConfigFiles() {
    for (const CString& name : unkept) ::DeleteFileA(name);
}

void ConfigFiles::Build(const CString& programName, const CString& programFolder) {
    {
        CurrentDirectoryGuard keep;
        const PathString own = PathString(programFolder) + "User";
        if (OwnUserFolderServes(own)) {
            userFolder = own;
        } else {
            const CString base = AppDataFolder();
            const PathString company =
                base.IsEmpty() ? PathString("Quillmere Designs") : PathString(base) + "Quillmere Designs";
            const bool madeCompany = CreateMissing(company);
            const PathString program = company + programName;
            const bool madeProgram = CreateMissing(program);
            if ((madeCompany || madeProgram) && FolderExists(own)) CopyFiles(own + "*.*", program);
            userFolder = program;
        }
    }
    stockFolder = userFolder + "Stock";
    machineFolder = userFolder + "Machine";
    macroFolder = userFolder + "Macro";
    toolLibraryFolder = userFolder + "Tool Library";
    controlsFolder = userFolder + "Controls";
    tempFolder = userFolder + "Temp";
    helpFolder = PathString(programFolder) + "QTX Help";
    helpMacroFolder = helpFolder;
    helpPageFolder = helpFolder;
    explorerFolder = userFolder + "QTXExplorer";
    infoFolder = helpFolder + "Info";
    printableDocsFolder = helpFolder + "Printable Docs";
    configurationFile = userFolder + (programName + ".cfg");
    workspaceFile = userFolder + "Default.wsp";
    associationsFile = userFolder + "Associations.xml";
    editorSettingsFile = userFolder + "edit.ini";
    explorerVariablesFile = explorerFolder + "variables.js";
    for (const PathString* folder :
         {&stockFolder, &machineFolder, &macroFolder, &toolLibraryFolder, &controlsFolder, &tempFolder})
        CreateMissing(*folder);
    Fill(helpPages, helpPageFolder, ".htm*");
}

bool ConfigFiles::Signalled(FolderWatch& watch, const CString& folder, bool& forced) {
    // Made once, on the first refresh; a folder that cannot be watched is refilled only when forced.
    if (!watch.started) {
        watch.started = true;
        watch.handle.Reset(::FindFirstChangeNotificationA(folder, TRUE, kWatchFilter));
        forced = true;
    }
    if (!watch.handle) return forced;
    bool changed = false;
    while (::WaitForSingleObject(watch.handle.Get(), 1) == WAIT_OBJECT_0) {
        changed = true;
        if (!::FindNextChangeNotification(watch.handle.Get())) break;
    }
    return changed || forced;
}

void ConfigFiles::Refresh(bool force) {
    bool forced = force;
    const bool userChanged = Signalled(userWatch, userFolder, forced);
    if (userChanged) {
        Fill(machineSettings, machineFolder, ".set_xml");
        Fill(macros, macroFolder, ".ndm_xml");
        Fill(toolLibraries, toolLibraryFolder, ".lib_xml");
        Fill(stocks, stockFolder, ".stk_xml");
        Fill(macroPages, macroFolder, ".htm*");
        Fill(helpMacros, helpMacroFolder, ".ndm_xml");
    }
    if (!Signalled(helpWatch, helpFolder, forced)) return;
    Fill(macroPages, macroFolder, ".htm*");
    Fill(helpMacros, helpMacroFolder, ".ndm_xml");
    Fill(helpPages, helpPageFolder, ".htm*");
    Fill(infoDocuments, infoFolder, ".*");
    Fill(printableDocuments, printableDocsFolder, ".*");
}

void ConfigFiles::Fill(CStringList& list, const CString& folder, const char* pattern) {
    ++refills;
    list.RemoveAll();
    if (folder.IsEmpty()) return;
    SECFileSystem files;
    std::unique_ptr<CStringList> found(
        files.GetFileList(SECFileSystem::AppendPaths(folder, CString("*") + pattern), FILE_ATTRIBUTE_NORMAL, true));
    CString extension(pattern);
    if (!extension.IsEmpty() && extension[extension.GetLength() - 1] == '*')
        extension = extension.Left(extension.GetLength() - 1);
    extension.MakeUpper();
    const CString prefix = SECFileSystem::AppendPaths(folder, "");
    std::vector<CString> names;
    for (const CString& file : *found) {
        const FileString parts(static_cast<const char*>(file));
        if (parts.baseName.Length() > 0 && parts.baseName[0] == '_') continue;
        CString name = file.Left(prefix.GetLength()).CompareNoCase(prefix) == 0 ? file.Mid(prefix.GetLength()) : file;
        CString upper(name);
        upper.MakeUpper();
        const int cut = extension == "." ? upper.ReverseFind('.') : upper.Find(extension);
        if (cut >= 0) name = name.Left(cut);
        names.push_back(name);
    }
    for (const CString& name : names) list.AddTail(name);
    if (list.GetCount() >= 2) SECFileSystem::Sort(list, true);
}

CString ConfigFiles::GetFilePath(ConfigFileKind kind, CString name) const {
    switch (kind) {
        case kStockFile: return stockFolder + (name + ".stk_xml");
        case kMachineFile: return machineFolder + (name + ".set_xml");
        case kToolLibraryFile: return toolLibraryFolder + (name + ".lib_xml");
        case kMacroFile: return macroFolder + (name + ".ndm_xml");
        default: return helpMacroFolder + (name + ".ndm_xml");
    }
}

// The fixed development folder serves only a page it holds: any user may make that
// folder, so its mere existence must not take the help away from the program's own.
CString ConfigFiles::GetHelpTopic(CString topic) const {
    const CString development = Resolved(kDevelopmentHelp, topic, {".html", ".htm"});
    return IsHelpPage(development) ? development : Resolved(helpFolder, topic, {".html", ".htm"});
}

CString ConfigFiles::GetHelpPageTopic(CString topic) const {
    const CString development = Resolved(kDevelopmentHelp, topic, {".html", ".htm"});
    return IsHelpPage(development) ? development : Resolved(helpPageFolder, topic, {".html", ".htm"});
}

bool ConfigFiles::IsHelpPage(const CString& path) {
    CString upper(path);
    upper.MakeUpper();
    const bool page = upper.Right(4) == ".HTM" || upper.Right(5) == ".HTML";
    const DWORD attributes = ::GetFileAttributesA(path);
    return page && attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

CString ConfigFiles::GetDocumentTopic(CString topic) const {
    return Resolved(printableDocsFolder, topic, {".html", ".htm", ".doc", ".txt"});
}

CString ConfigFiles::TempFileName(const char* prefix, bool keep) const {
    char name[MAX_PATH + 1] = {0};
    if (!::GetTempFileNameA(tempFolder, prefix, 0, name)) return CString();
    // The file Windows made is what keeps the name ours: a name whose file is gone could
    // be handed to another caller. A file not to be kept goes when the layout does.
    if (!keep) unkept.push_back(name);
    return name;
}

int ConfigFiles::CopyFiles(CString source, CString target) {
    while (target.GetLength() > 0 && target[target.GetLength() - 1] == '\\')
        target = target.Left(target.GetLength() - 1);
    // The shell wants each list ended by two zero bytes.
    std::vector<char> from(source.Str().begin(), source.Str().end());
    from.resize(from.size() + 2, '\0');
    std::vector<char> to(target.Str().begin(), target.Str().end());
    to.resize(to.size() + 2, '\0');
    SHFILEOPSTRUCTA operation = {};
    operation.wFunc = FO_COPY;
    operation.pFrom = from.data();
    operation.pTo = to.data();
    operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR | FOF_NOERRORUI;
    return ::SHFileOperationA(&operation);
}

CString ConfigFiles::ResolveFolder(CString base, CString relative, CString fallback) {
    if (FolderExists(base + relative)) return base + relative;
    if (FolderExists(relative)) return relative;
    if (StrPP(fallback) == StrPP("[Temp]")) {
        char temp[MAX_PATH + 1] = {0};
        ::GetTempPathA(MAX_PATH, temp);
        return temp;
    }
    if (FolderExists(fallback)) return fallback;
    return ".";
}
