// Rewrites a configuration file's editor line (851) and toolbar lines (2301 on),
// and records a file's operations-manager options in the registry.
#include "foundation/LibraryErrors.h"
#include "installer/CfgRewriter.h"
#include "installer/Machine.h"
#include "installer/RegistryKey.h"
#include "installer/TextLines.h"
#include "installer/VellantSetup.h"

namespace {
const char* const kOriginalEditor = "Mastercam Original Editor";
const char* const kFallbackEditor = "pfe32";
// The shared value is read into a buffer of this size; a longer one does not fit.
const size_t kSharedEditorBuffer = 256;
}  // namespace

void VellantSetup::WhackMillCFG(CString source, CString destination, bool toolbarInstalled, bool toolbarWanted,
                                bool editorInstalled, bool editorWanted) {
    if (const DWORD error = Io().Read(source.Str(), m_readBuffer))
        return Io().RecordFailure(StepAction::WriteFile, destination.Str(), error);
    if (m_readBuffer.size() < kSmallestEditable) return;
    const CfgAddition added =
        AddToCfg(m_readBuffer, toolbarWanted && !toolbarInstalled, editorWanted && !editorInstalled, m_writeBuffer);
    EditRefusal refusal = added.refusal;
    // An editor too long to keep in the registry could not be put back: no edit.
    if (refusal == EditRefusal::None && added.originalEditor && added.originalEditor->size() + 1 > kLargestValueBytes)
        return Io().RecordFailure(StepAction::WriteFile, destination.Str(), kErrorValueTooLong);
    // The removal needs the file's editor back: without it kept, the file is not edited.
    if (refusal == EditRefusal::None && added.originalEditor) {
        const RegistryData editor = RegistryData::Text(*added.originalEditor);
        Io().SetValue(kQtx2camKey, kOriginalEditor, editor);
        Io().SetValue(kOriginalEditorsKey, Lower(destination.Str()), editor);
        // Read back as the removal reads it, from the file's own value.
        RegistryData stored;
        const bool kept = Io().ReadValue(kOriginalEditorsKey, Lower(destination.Str()), stored) &&
                          stored.type == REG_SZ &&
                          stored.bytes.substr(0, stored.bytes.find('\0')) == *added.originalEditor;
        if (!kept) refusal = EditRefusal::EditorNotKept;
    }
    if (refusal != EditRefusal::None)
        return Io().RecordFailure(StepAction::WriteFile, destination.Str(), RefusalError(refusal));
    Io().Write(StepAction::WriteFile, destination.Str(), m_writeBuffer);
}

void VellantSetup::DeWhackMillCFG(CString source, CString destination, bool toolbarInstalled, bool toolbarWanted,
                                  bool editorInstalled, bool editorWanted) {
    if (const DWORD error = Io().Read(source.Str(), m_readBuffer))
        return Io().RecordFailure(StepAction::WriteFile, destination.Str(), error);
    const bool dropEditor = editorInstalled && !editorWanted;
    RemoveFromCfg(m_readBuffer, toolbarInstalled && !toolbarWanted, dropEditor,
                  dropEditor ? OriginalEditorOf(destination.Str()) : std::string(), m_writeBuffer);
    Io().Write(StepAction::WriteFile, destination.Str(), m_writeBuffer);
}

std::string VellantSetup::OriginalEditorOf(const std::string& file) {
    RegistryData stored;
    if (Io().ReadValue(kOriginalEditorsKey, Lower(file), stored) && stored.type == REG_SZ)
        return stored.bytes.substr(0, stored.bytes.find('\0'));
    if (Io().ReadValue(kQtx2camKey, kOriginalEditor, stored) && stored.bytes.size() <= kSharedEditorBuffer)
        return stored.bytes.substr(0, stored.bytes.find('\0'));
    return kFallbackEditor;
}

void VellantSetup::MakeCFGEnabledForHook(PathString file, bool hook, bool button, bool toolDefs, bool disableToolpath) {
    const DWORD value = (hook ? 0x02 : 0) | (button ? 0x04 : 0) | (toolDefs ? 0x08 : 0) | (disableToolpath ? 0x10 : 0);
    Io().SetValue(kQtx2camKey, Lower(file.Str()), RegistryData::Dword(value));
}
