// The setup window: the configuration-file list, the scope buttons and the six
// option check boxes that show and change the wanted flags of the records.
#include "environment/ConfigFiles.h"
#include "foundation/FileUtils.h"
#include "installer/Machine.h"
#include "installer/TextLines.h"
#include "installer/VellantSetup.h"
#include <shellapi.h>
#include <cstdio>

namespace {
const char* const kHelpTopic = "Help\\QTX_Add_ons\\OEM\\CNCSoftware\\MastercamOptions";
}  // namespace

const UINT VellantSetup::kOptionBoxes[kOptionCount] = {
    kIdOpMgr, kIdOpMgrButton, kIdOpMgrToolDefs, kIdOpMgrDisableToolpath, kIdToolbar, kIdEditor};

BEGIN_MESSAGE_MAP(VellantSetup, TTDialog)
ON_BN_CLICKED(kIdToolbar, OnAttachToolbar)
ON_CBN_SELCHANGE(kIdSelectList, OnSelchangeVellantSelect)
ON_CBN_SELENDOK(kIdConfigList, OnSelendokMcConfigFile)
ON_BN_CLICKED(kIdOpMgr, OnAttachOpMgr)
ON_BN_CLICKED(kIdEditor, OnAttachEditor)
ON_BN_CLICKED(kIdAllMill, OnAllMill)
ON_BN_CLICKED(kIdAllRouter, OnAllRouter)
ON_BN_CLICKED(kIdAllLathe, OnAllLathe)
ON_BN_CLICKED(kIdAllWire, OnAllWire)
ON_BN_CLICKED(kIdSingleConfig, OnSingleConfig)
ON_BN_CLICKED(kIdOpMgrButton, OnAttachOpMgrButton)
ON_BN_CLICKED(kIdOpMgrToolDefs, OnAttachOpMgrToolDefs)
ON_BN_CLICKED(kIdOpMgrDisableToolpath, OnAttachOpMgrDisableToolpath)
ON_BN_CLICKED(kIdAddFolder, OnAddMastercamDirectory)
ON_BN_CLICKED(kIdInfoButton, OnInfoIcon)
END_MESSAGE_MAP()

CString VellantSetup::ListLine(const McConfigFile& record) {
    CString label;
    if (record.version != 0)
        label.Format("%s%d", KindLabel(record.kind), static_cast<int>(record.version));
    else
        label = KindLabel(record.kind);
    const CString name =
        record.version != 0 ? CString(FileString(static_cast<const char*>(record.path)).fileName.Text()) : record.path;
    CString line;
    line.Format("%s -- %s", static_cast<const char*>(label), static_cast<const char*>(name));
    return line;
}

void VellantSetup::BuildMastercamList() {
    m_configList.ResetContent();
    for (const McConfigFile& record : m_configFiles) m_configList.AddString(ListLine(record));
}

CString VellantSetup::HelpPage() const {
    // A host that never handed over its folder layout has no help page to offer.
    ConfigFiles* folders = HostFolders();
    const CString page = folders ? folders->GetHelpTopic(kHelpTopic) : CString();
    // Only an existing page is ever opened: the shell would start a program for a bare path.
    return ConfigFiles::IsHelpPage(page) ? page : CString();
}

BOOL VellantSetup::OnInitDialog() {
    TTDialog::OnInitDialog();
    m_selectList.SetCurSel(0);
    if (IsOldWindowsNT()) ::EnableWindow(DlgItem(kIdOpMgr), FALSE);
    m_infoButton.SetBitmaps(RGB(255, 0, 0), kSetupBitmap, kSetupBitmap, kSetupBitmap, 0);
    m_helpLink.SetURL(HelpPage());
    GetCFGFiles();
    for (const McConfigFile& record : m_configFiles) m_configList.AddString(ListLine(record));
    int mills = 0, routers = 0, lathes = 0, wires = 0;
    for (const McConfigFile& record : m_configFiles) {
        mills += record.kind == kMill;
        routers += record.kind == kRouter;
        lathes += record.kind == kLathe;
        wires += record.kind == kWire;
    }
    ::EnableWindow(DlgItem(kIdAllMill), mills > 0);
    ::EnableWindow(DlgItem(kIdAllRouter), routers > 0);
    ::EnableWindow(DlgItem(kIdAllLathe), lathes > 0);
    ::EnableWindow(DlgItem(kIdAllWire), wires > 0);
    if (mills > 0) OnAllMill();
    return TRUE;
}

void VellantSetup::EnableOptionBoxes(BOOL enable) {
    for (UINT box : kOptionBoxes) ::EnableWindow(DlgItem(box), enable);
}

void VellantSetup::OnScopeButton() {
    EnableOptionBoxes(TRUE);
    m_configList.SetCurSel(-1);
    UpdateData(TRUE);
    SetAttachChecks();
}

void VellantSetup::OnAllMill() { OnScopeButton(); }
void VellantSetup::OnAllRouter() { OnScopeButton(); }
void VellantSetup::OnAllLathe() { OnScopeButton(); }
void VellantSetup::OnAllWire() { OnScopeButton(); }

void VellantSetup::SetAttachChecks() {
    int inScope = 0;
    int carrying[kOptionCount] = {};
    for (const McConfigFile& record : m_configFiles) {
        const bool scoped =
            (record.kind == kMill && m_allMill == TRUE) || (record.kind == kRouter && m_allRouter == TRUE) ||
            (record.kind == kLathe && m_allLathe == TRUE) || (record.kind == kWire && m_allWire == TRUE);
        if (!scoped) continue;
        ++inScope;
        for (int i = 0; i < kOptionCount; ++i) carrying[i] += record.wanted[i];
    }
    BOOL* const flags[kOptionCount] = {&m_opMgrHook, &m_opMgrButton, &m_opMgrToolDefs, &m_opMgrDisableToolpath,
                                       &m_toolbar,   &m_editor};
    for (int i = 0; i < kOptionCount; ++i) {
        *flags[i] = carrying[i] == 0 ? BST_UNCHECKED : carrying[i] == inScope ? BST_CHECKED : BST_INDETERMINATE;
        ::SendMessageA(DlgItem(kOptionBoxes[i]), BM_SETCHECK, static_cast<WPARAM>(*flags[i]), 0);
    }
}

void VellantSetup::OnSingleConfig() {
    for (UINT box : kOptionBoxes) {
        ::EnableWindow(DlgItem(box), FALSE);
        ::SendMessageA(DlgItem(box), BM_SETCHECK, BST_UNCHECKED, 0);
    }
}

void VellantSetup::OnSelendokMcConfigFile() {
    ::SendMessageA(DlgItem(kIdSingleConfig), BM_SETCHECK, BST_CHECKED, 0);
    EnableOptionBoxes(TRUE);
    UpdateData(TRUE);
    m_allWire = m_allRouter = m_allMill = m_allLathe = FALSE;
    UpdateData(FALSE);
    m_toolbarList.ResetContent();
    const int selected = m_configList.GetCurSel();
    if (selected < 0 || selected >= static_cast<int>(m_configFiles.size())) return;
    McConfigFile& record = m_configFiles[selected];

    std::string data;
    if (Io().Read(record.path.Str(), data) == ERROR_SUCCESS) {
        const std::vector<LineView> lines = SplitLines(data);
        size_t i = 0;
        while (i < lines.size() && !StartsWithNoCase(lines[i].text, "2301. ")) ++i;
        for (; i < lines.size(); ++i) {
            const int64_t number = LineNumber(lines[i].text);
            if (number == 0 || number >= 2498) break;
            const std::string_view line = lines[i].text;
            const size_t mark = line.find('?');
            const std::string value(mark == std::string_view::npos ? std::string_view()
                                                                   : line.substr(std::min(mark + 2, line.size())));
            const std::string entry = "(B" + std::to_string(number - 2300) + "): " + value;
            m_toolbarList.AddString(entry.c_str());
        }
    }
    ShowRecordOptions(record);
}

void VellantSetup::ShowRecordOptions(const McConfigFile& record) {
    BOOL* const flags[kOptionCount] = {&m_opMgrHook, &m_opMgrButton, &m_opMgrToolDefs, &m_opMgrDisableToolpath,
                                       &m_toolbar,   &m_editor};
    for (int i = 0; i < kOptionCount; ++i) {
        *flags[i] = record.wanted[i] ? BST_CHECKED : BST_UNCHECKED;
        ::SendMessageA(DlgItem(kOptionBoxes[i]), BM_SETCHECK, static_cast<WPARAM>(*flags[i]), 0);
    }
}

CString VellantSetup::ChosenPath() {
    const int selected = m_hWnd ? m_configList.GetCurSel() : -1;
    return selected >= 0 && selected < static_cast<int>(m_configFiles.size()) ? m_configFiles[selected].path
                                                                              : CString();
}

void VellantSetup::ShowRecords(const CString& chosen) {
    BuildMastercamList();
    for (size_t i = 0; i < m_configFiles.size() && !chosen.IsEmpty(); ++i) {
        if (_stricmp(m_configFiles[i].path, chosen) != 0) continue;
        m_configList.SetCurSel(static_cast<int>(i));
        ShowRecordOptions(m_configFiles[i]);
        return;
    }
    // The scope's boxes, or, when the chosen file is gone, the waiting state of single-file mode.
    if (chosen.IsEmpty())
        SetAttachChecks();
    else
        OnSingleConfig();
}

void VellantSetup::ToggleOption(int option, BOOL& flag, UINT checkBox) {
    flag = flag == BST_UNCHECKED ? BST_CHECKED : BST_UNCHECKED;
    const int selected = m_configList.GetCurSel();
    if (selected >= 0 && selected < static_cast<int>(m_configFiles.size()))
        m_configFiles[selected].wanted[option] = flag == BST_CHECKED;
    ::SendMessageA(DlgItem(checkBox), BM_SETCHECK, static_cast<WPARAM>(flag), 0);
}

void VellantSetup::OnAttachOpMgr() { ToggleOption(kOpMgrHook, m_opMgrHook, kIdOpMgr); }
void VellantSetup::OnAttachOpMgrButton() { ToggleOption(kOpMgrButton, m_opMgrButton, kIdOpMgrButton); }
void VellantSetup::OnAttachOpMgrToolDefs() { ToggleOption(kOpMgrToolDefs, m_opMgrToolDefs, kIdOpMgrToolDefs); }
void VellantSetup::OnAttachOpMgrDisableToolpath() {
    ToggleOption(kOpMgrDisableToolpath, m_opMgrDisableToolpath, kIdOpMgrDisableToolpath);
}
void VellantSetup::OnAttachToolbar() { ToggleOption(kToolbar, m_toolbar, kIdToolbar); }
void VellantSetup::OnAttachEditor() { ToggleOption(kEditor, m_editor, kIdEditor); }

void VellantSetup::OnSelchangeVellantSelect() { ::ShowWindow(DlgItem(kIdSelectNote), SW_HIDE); }

void VellantSetup::OnInfoIcon() {
    const CString page = HelpPage();
    if (page.IsEmpty()) {
        ::MessageBeep(MB_ICONEXCLAMATION);
        return;
    }
    ::ShellExecuteA(m_hWnd, "open", page, nullptr, nullptr, SW_SHOWNORMAL);
}

void VellantSetup::OnAddMastercamDirectory() {
    const StrPP folder = BrowseForFolder(false, true);
    if (!ValidatePath(folder, false, m_hWnd)) return;
    EList<FileString> files(5, 20);
    FindFiles(folder, "*.cfg", files, false);
    for (int i = 0; i <= files.last; ++i) AddScannedFile(files[i].fullPath.Text(), 0);
    if (!m_hWnd) return;
    BuildMastercamList();
    m_configList.SetCurSel(m_configList.GetCount() - 1);
    CheckRadioButton(kIdAllMill, kIdLastScope, kIdLastScope);
    OnSelendokMcConfigFile();
}
