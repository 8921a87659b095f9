#pragma once
#include "platform/afxwin.h"

// The library's application object; the work is done by VellantSetup.
class CVellantsApp : public CWinApp {
public:
    CVellantsApp();
    DECLARE_MESSAGE_MAP()
};
