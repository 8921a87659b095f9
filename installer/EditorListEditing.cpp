// Adds the host's editor to Mastercam's editor list as entry 2, and takes it out.
#include "installer/EditorList.h"
#include "installer/Machine.h"
#include "installer/VellantSetup.h"

namespace {
void Apply(Machine& io, const ListEdit& edit, const std::string& destination, const std::string& out) {
    if (edit.refusal != EditRefusal::None)
        return io.RecordFailure(StepAction::WriteFile, destination, RefusalError(edit.refusal));
    if (edit.write) io.Write(StepAction::WriteFile, destination, out);
}
}  // namespace

void VellantSetup::WhackMillTXT(CString source, CString destination) {
    if (const DWORD error = Io().Read(source.Str(), m_readBuffer))
        return Io().RecordFailure(StepAction::WriteFile, destination.Str(), error);
    Apply(Io(), AddToEditorList(m_readBuffer, m_writeBuffer), destination.Str(), m_writeBuffer);
}

void VellantSetup::DeWhackMillTXT(CString source, CString destination) {
    if (const DWORD error = Io().Read(source.Str(), m_readBuffer))
        return Io().RecordFailure(StepAction::WriteFile, destination.Str(), error);
    Apply(Io(), RemoveFromEditorList(m_readBuffer, m_writeBuffer), destination.Str(), m_writeBuffer);
}
