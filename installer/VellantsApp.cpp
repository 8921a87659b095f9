#include "installer/VellantsApp.h"
#include "installer/HostConfig.h"

namespace {
ProgramConfiguration* hostSettings = nullptr;
ConfigFiles* hostFolders = nullptr;
}  // namespace

CVellantsApp::CVellantsApp() : CWinApp(nullptr) {}

BEGIN_MESSAGE_MAP(CVellantsApp, CWinApp)
END_MESSAGE_MAP()

CVellantsApp theVellantsApp;

void SetVellantConfig(ProgramConfiguration* settings, ConfigFiles* folders) {
    hostSettings = settings;
    hostFolders = folders;
}

ProgramConfiguration* HostSettings() { return hostSettings; }
ConfigFiles* HostFolders() { return hostFolders; }
