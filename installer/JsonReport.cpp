#include "installer/JsonReport.h"
#include "installer/OptionNames.h"
#include "installer/UnifiedDiff.h"
#include "vellants/Version.h"
#include <windows.h>

using json = nlohmann::ordered_json;

std::string Utf8(const std::string& ansi) {
    if (ansi.empty()) return ansi;
    const int wide = ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(wide), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), text.data(), wide);
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), wide, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), wide, utf8.data(), bytes, nullptr, nullptr);
    return utf8;
}

namespace {
json Flags(const bool* flags) {
    json named = json::object();
    for (int i = 0; i < kOptionCount; ++i) named[kOptionNames[i]] = flags[i];
    return named;
}

json Folder(const PathString& folder) { return folder.IsEmpty() ? json(nullptr) : json(Utf8(folder.Str())); }
}  // namespace

json WhereJson(const PathString& mastercam9, const PathString& mastercam8) {
    return {{"mastercam9", Folder(mastercam9)}, {"mastercam8", Folder(mastercam8)}};
}

json RecordsJson(const std::vector<McConfigFile>& records) {
    json list = json::array();
    for (const McConfigFile& record : records) {
        list.push_back({{"path", Utf8(record.path.Str())},
                        {"version", record.version},
                        {"kind", KindLabel(record.kind)},
                        {"kindCode", record.kind},
                        {"installed", Flags(record.installed)},
                        {"wanted", Flags(record.wanted)}});
    }
    return list;
}

json StepsJson(const CommitReport& report) {
    json list = json::array();
    for (const CommitStep& step : report.steps) {
        const bool failed = step.outcome == StepOutcome::Failed;
        list.push_back({{"action", ActionName(step.action)},
                        {"target", Utf8(step.target)},
                        {"detail", Utf8(step.detail)},
                        {"result", OutcomeName(step.outcome)},
                        {"error", step.error},
                        {"errorText", step.error ? Utf8(WindowsErrorText(step.error)) : std::string()},
                        {"failed", failed}});
    }
    return list;
}

json PlannedFilesJson(const CommitReport& report) {
    json list = json::array();
    for (const std::string& path : report.EditedFiles()) {
        const PlannedFile& file = report.files.at(path);
        list.push_back({{"path", Utf8(path)},
                        {"existed", file.existed},
                        {"diff", Utf8(UnifiedDiff(file.before, file.after, path, path + " (planned)"))}});
    }
    return list;
}

json Document(const char* command) {
    return {{"version", VELLANTS_VERSION}, {"command", command ? json(command) : json(nullptr)}};
}

json ChangeDocument(const VellantSetup& setup, const std::string& command, bool planned) {
    const CommitReport& report = setup.LastReport();
    json document = Document(((planned ? "plan " : "") + command).c_str());
    document["planned"] = planned;
    document["failed"] = report.Failed();
    document["records"] = RecordsJson(setup.Records());
    document["steps"] = StepsJson(report);
    if (planned) document["files"] = PlannedFilesJson(report);
    return document;
}

json ErrorDocument(const char* command, const std::string& error) {
    json document = Document(command);
    document["error"] = error;
    return document;
}

std::string DocumentText(const json& document) { return document.dump(2); }
