#pragma once
// The host's settings store and folder layout, handed over once and kept for
// the life of the process; never freed here.
#include "foundation/Export.h"

class ProgramConfiguration;
class ConfigFiles;

VELLANTS_API void SetVellantConfig(ProgramConfiguration* settings, ConfigFiles* folders);
ProgramConfiguration* HostSettings();
ConfigFiles* HostFolders();
