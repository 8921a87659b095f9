// Dialog host: shows the setup window over whatever Mastercam installation the
// registry names, with an Apply button that commits the choice.
//   korvane-dialog [settings.qrv]
#include "environment/ConfigFiles.h"
#include "installer/VellantSetup.h"
#include "settings/ProgramConfiguration.h"
#include <windows.h>
#include <commctrl.h>

namespace {
const UINT kApply = 1001;

class HostSetup : public VellantSetup {
public:
    void OnApply() { Commit(); }
    void OnCancel() override { ::PostQuitMessage(0); }

protected:
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(HostSetup, VellantSetup)
ON_BN_CLICKED(kApply, OnApply)
END_MESSAGE_MAP()
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    ProgramConfiguration settings("Korvane Utilities", "Setup");
    if (commandLine && *commandLine) settings.Load(commandLine);
    ConfigFiles folders("Korvane Utilities");
    SetVellantConfig(&settings, &folders);

    HostSetup setup;
    if (!setup.Create(kSetupDialogTemplate)) return 1;
    MSG message;
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (CWnd::WalkPreTranslateTree(setup.m_hWnd, &message) || ::IsDialogMessageA(setup.m_hWnd, &message)) continue;
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
    return 0;
}
