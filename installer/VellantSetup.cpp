#include "installer/VellantSetup.h"

VellantSetup::VellantSetup(CWnd* parent) : CDialog(kSetupDialogTemplate, parent) {}

VellantSetup::~VellantSetup() = default;

void VellantSetup::OnOK() {}

void VellantSetup::OnCancel() {}

void VellantSetup::DoDataExchange(CDataExchange* dx) {
    DDX_Check(dx, 4009, m_allWire);
    DDX_Check(dx, 4042, m_allRouter);
    DDX_Check(dx, 4041, m_allMill);
    DDX_Check(dx, 4008, m_allLathe);
}

void VellantSetup::ScanConfigFiles() {
    m_configFiles.clear();
    GetCFGFiles();
}
