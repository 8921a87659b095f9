#include "installer/CommitReport.h"
#include "foundation/LibraryErrors.h"
#include <algorithm>

bool CommitReport::Failed() const { return !Failures().empty(); }

bool CommitReport::Busy() const {
    return std::any_of(steps.begin(), steps.end(), [](const CommitStep& step) {
        return step.action == StepAction::Lock && step.outcome == StepOutcome::Failed && step.error == WAIT_TIMEOUT;
    });
}

std::vector<const CommitStep*> CommitReport::Failures() const {
    std::vector<const CommitStep*> failed;
    for (const CommitStep& step : steps)
        if (step.outcome == StepOutcome::Failed) failed.push_back(&step);
    return failed;
}

std::vector<std::string> CommitReport::EditedFiles() const {
    std::vector<std::string> edited;
    for (const CommitStep& step : steps) {
        const bool edit = step.action == StepAction::WriteFile && step.outcome == StepOutcome::Planned;
        if (edit && std::find(edited.begin(), edited.end(), step.target) == edited.end()) edited.push_back(step.target);
    }
    return edited;
}

const char* ActionName(StepAction action) {
    switch (action) {
        case StepAction::ReadFile: return "read file";
        case StepAction::WriteFile: return "write file";
        case StepAction::BackUp: return "back up";
        case StepAction::CopyFile: return "copy file";
        case StepAction::DeleteFile: return "delete file";
        case StepAction::CreateFolder: return "create folder";
        case StepAction::RemoveFolder: return "remove folder";
        case StepAction::SetValue: return "set value";
        case StepAction::DeleteValue: return "delete value";
        case StepAction::StartProgram: return "start program";
        case StepAction::SignalEvent: return "signal event";
        case StepAction::Lock: return "lock installation";
        case StepAction::Keep: return "keep";
    }
    return "?";
}

const char* OutcomeName(StepOutcome outcome) {
    switch (outcome) {
        case StepOutcome::Done: return "done";
        case StepOutcome::Unchanged: return "unchanged";
        case StepOutcome::Planned: return "planned";
        case StepOutcome::Failed: return "failed";
    }
    return "?";
}

std::string WindowsErrorText(DWORD error) {
    if (const char* own = LibraryErrorText(error)) return own;
    if ((error & 0xFFFF0000) == kRefusalErrorBase) return RefusalText(static_cast<EditRefusal>(error & 0xFFFF));
    char text[512] = {0};
    const DWORD length = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                          text, sizeof text - 1, nullptr);
    std::string message(text, length);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
        message.pop_back();
    return message.empty() ? "error " + std::to_string(error) : message;
}
