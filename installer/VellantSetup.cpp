#include "installer/VellantSetup.h"
#include "installer/PlannedMachine.h"
#include "installer/RunLock.h"

VellantSetup::VellantSetup(CWnd* parent)
    : TTDialog(kSetupDialogTemplate, parent), m_machine(std::make_unique<LiveMachine>(m_report)) {}

VellantSetup::~VellantSetup() = default;

void VellantSetup::SetPlanning(bool planning) {
    m_planning = planning;
    m_machine = planning ? std::unique_ptr<Machine>(std::make_unique<PlannedMachine>(m_report))
                         : std::unique_ptr<Machine>(std::make_unique<LiveMachine>(m_report));
}

Machine& VellantSetup::Io() { return *m_machine; }

void VellantSetup::OnOK() {}

void VellantSetup::OnCancel() {}

void VellantSetup::DoDataExchange(CDataExchange* dx) {
    DDX_Control(dx, kIdHelpLink, m_helpLink);
    DDX_Control(dx, kIdInfoButton, m_infoButton);
    DDX_Control(dx, kIdConfigList, m_configList);
    DDX_Control(dx, kIdSelectList, m_selectList);
    DDX_Control(dx, kIdToolbarList, m_toolbarList);
    DDX_Check(dx, kIdAllWire, m_allWire);
    DDX_Check(dx, kIdAllRouter, m_allRouter);
    DDX_Check(dx, kIdAllMill, m_allMill);
    DDX_Check(dx, kIdAllLathe, m_allLathe);
}

void VellantSetup::ScanConfigFiles() {
    m_configFiles.clear();
    m_unreadable.clear();
    m_unseen.clear();
    GetCFGFiles();
}

const char* KindLabel(int kind) {
    switch (kind) {
        case kMill: return "Mill";
        case kLathe: return "Lathe";
        case kWire: return "Wire";
        case kDesign: return "Design";
        case kDraft: return "Draft";
        default: return "Mastercam";
    }
}
