// Finds every configuration file of Mastercam 9 and 8, classifies it and reads
// which add-on options it carries.
#include "foundation/FileUtils.h"
#include "installer/Machine.h"
#include "installer/RegistryKey.h"
#include "installer/ScanMarks.h"
#include "installer/TextLines.h"
#include "installer/VellantSetup.h"
#include <cstring>

namespace {
void ListConfigFiles(const PathString& folder, EList<FileString>& found) {
    // An unregistered version has no folder; listing "\*.cfg" of the drive's root
    // would pick up files that belong to no Mastercam.
    if (!folder.IsEmpty()) FindFiles(StrPP(folder), "*.cfg", found, false);
}
}  // namespace

void VellantSetup::GetCFGFiles() {
    int eight = 8;
    int nine = 9;
    const PathString mcam8 = GetMCAMPath(&eight);
    const PathString mcam9 = GetMCAMPath(&nine);
    EList<FileString> files8(5, 20);
    EList<FileString> files9(5, 20);
    ListConfigFiles(mcam8, files8);
    ListConfigFiles(mcam9, files9);
    for (int i = 0; i <= files9.last; ++i) AddScannedFile(files9[i].fullPath.Text(), 9);
    for (int i = 0; i <= files8.last; ++i) AddScannedFile(files8[i].fullPath.Text(), 8);
}

void VellantSetup::AddScannedFile(const CString& path, int version) {
    McConfigFile record;
    record.path = path;
    record.version = version;
    const int hook = IsCFGEnabledForHook(path);
    // The value 1 is the older form: hook, button and tool definitions.
    const bool legacy = hook == 1;
    record.installed[kOpMgrHook] = legacy || (hook & 0x02);
    record.installed[kOpMgrButton] = legacy || (hook & 0x04);
    record.installed[kOpMgrToolDefs] = legacy || (hook & 0x08);
    record.installed[kOpMgrDisableToolpath] = !legacy && (hook & 0x10);

    // One pass over the file, as it is read, answers the two presence tests and the kind.
    ScanMarker marker;
    if (const DWORD error = Io().ReadPieces(path.Str(), [&](std::string_view piece) { marker.Add(piece); })) {
        m_unreadable.push_back({StepAction::ReadFile, path.Str(), std::string(), StepOutcome::Failed, error});
        m_unseen.push_back({path.Str(), version, hook, error});
        return;
    }
    if (marker.Size() < kSmallestEditable) return;
    const ScanMarks marks = marker.Marks();
    record.installed[kEditor] = marks.editor;
    record.installed[kToolbar] = marks.toolbar;
    record.kind = marks.kind;
    std::memcpy(record.wanted, record.installed, sizeof record.wanted);
    m_configFiles.push_back(record);
}

bool VellantSetup::IsCFGItemInstalled(CString text, PathString file) {
    // The whole file, zero bytes included: the rewriters copy every byte.
    std::string& data = m_readBuffer;
    return Io().Read(file.Str(), data) == ERROR_SUCCESS && data.size() >= kSmallestEditable &&
           ContainsNoCase(data, text.Str());
}

int VellantSetup::IsCFGEnabledForHook(PathString file) {
    // Read as into a four-byte buffer: a longer value does not fit and counts as none.
    RegistryData value;
    if (!Io().ReadValue(kQtx2camKey, Lower(file.Str()), value, true) || value.bytes.size() > sizeof(DWORD)) return 0;
    DWORD bits = 0;
    std::memcpy(&bits, value.bytes.data(), value.bytes.size());
    return static_cast<int>(bits);
}
