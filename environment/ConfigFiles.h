#pragma once
// Where the host keeps its files: the per-user data folder and its sub-folders,
// the help folders, its settings files, and sorted lists of the user's documents.
#include "foundation/Export.h"
#include "foundation/Owners.h"
#include "foundation/PathString.h"
#include "platform/Collections.h"
#include <windows.h>
#include <vector>

enum ConfigFileKind { kStockFile, kMachineFile, kToolLibraryFile, kMacroFile, kHelpMacroFile };

class VELLANTS_API ConfigFiles {
public:
    explicit ConfigFiles(CString programName);
    // As above with the host program's folder given (ending in a backslash).
    ConfigFiles(CString programName, CString programFolder);
    ConfigFiles(const ConfigFiles&) = delete;
    ConfigFiles& operator=(const ConfigFiles&) = delete;
    virtual ~ConfigFiles();

    CString UserFolder() const { return userFolder; }
    CString StockFolder() const { return stockFolder; }
    CString MachineFolder() const { return machineFolder; }
    CString MacroFolder() const { return macroFolder; }
    CString ToolLibraryFolder() const { return toolLibraryFolder; }
    CString ControlsFolder() const { return controlsFolder; }
    CString TempFolder() const { return tempFolder; }
    CString HelpFolder() const { return helpFolder; }
    CString HelpMacroFolder() const { return helpMacroFolder; }
    CString HelpPageFolder() const { return helpPageFolder; }
    CString ExplorerFolder() const { return explorerFolder; }
    CString InfoFolder() const { return infoFolder; }
    CString PrintableDocsFolder() const { return printableDocsFolder; }
    CString ConfigurationFile() const { return configurationFile; }
    CString WorkspaceFile() const { return workspaceFile; }
    CString AssociationsFile() const { return associationsFile; }
    CString EditorSettingsFile() const { return editorSettingsFile; }
    CString ExplorerVariablesFile() const { return explorerVariablesFile; }

    const CStringList& MachineSettings() {
        Refresh(false);
        return machineSettings;
    }
    const CStringList& Macros() {
        Refresh(false);
        return macros;
    }
    const CStringList& ToolLibraries() {
        Refresh(false);
        return toolLibraries;
    }
    const CStringList& Stocks() {
        Refresh(false);
        return stocks;
    }
    const CStringList& HelpPages() {
        Refresh(false);
        return helpPages;
    }
    const CStringList& MacroPages() {
        Refresh(false);
        return macroPages;
    }
    const CStringList& HelpMacros() {
        Refresh(false);
        return helpMacros;
    }
    const CStringList& InfoDocuments() {
        Refresh(false);
        return infoDocuments;
    }
    const CStringList& PrintableDocuments() {
        Refresh(false);
        return printableDocuments;
    }

    void Refresh(bool force);
    // How many lists have been refilled so far; a refresh without changes adds none.
    int RefillCount() const { return refills; }

    CString GetFilePath(ConfigFileKind kind, CString name) const;
    CString GetHelpTopic(CString topic) const;
    CString GetHelpPageTopic(CString topic) const;
    CString GetDocumentTopic(CString topic) const;
    // A new, empty file of a unique name in the temporary folder. keep false: the file
    // is deleted when this layout is destroyed, not before (its name stays reserved).
    CString TempFileName(const char* prefix, bool keep) const;
    // An existing .htm or .html file: the only kind of help target that is opened.
    static bool IsHelpPage(const CString& path);

    static int CopyFiles(CString source, CString target);
    static CString ResolveFolder(CString base, CString relative, CString fallback);

private:
    // A change notification on a folder, made by the first refresh.
    struct FolderWatch {
        bool started = false;
        ChangeNotificationHandle handle;
    };
    void Build(const CString& programName, const CString& programFolder);
    void Fill(CStringList& list, const CString& folder, const char* pattern);
    static bool Signalled(FolderWatch& watch, const CString& folder, bool& forced);

    FolderWatch userWatch;
    FolderWatch helpWatch;
    PathString userFolder;
    PathString stockFolder;
    PathString machineFolder;
    PathString macroFolder;
    PathString toolLibraryFolder;
    PathString controlsFolder;
    PathString tempFolder;
    PathString helpFolder;
    PathString helpMacroFolder;
    PathString helpPageFolder;
    PathString explorerFolder;
    PathString infoFolder;
    PathString printableDocsFolder;
    PathString configurationFile;
    PathString workspaceFile;
    PathString associationsFile;
    PathString editorSettingsFile;
    PathString explorerVariablesFile;
    CStringList machineSettings;
    CStringList macros;
    CStringList toolLibraries;
    CStringList stocks;
    CStringList helpPages;
    CStringList macroPages;
    CStringList helpMacros;
    CStringList infoDocuments;
    CStringList printableDocuments;
    int refills = 0;
    mutable std::vector<CString> unkept;
};
