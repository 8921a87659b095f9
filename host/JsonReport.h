#pragma once
// The console host's answers as JSON documents, for scripts. Texts are turned from
// the Windows code page into UTF-8.
#include "installer/VellantSetup.h"
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

std::string Utf8(const std::string& ansi);

nlohmann::ordered_json WhereJson(const PathString& mastercam9, const PathString& mastercam8);
// Each record: path, version, kind, and the six installed and wanted flags by name.
nlohmann::ordered_json RecordsJson(const std::vector<McConfigFile>& records);
// Each step: action, target, detail, result, and the Windows error with its text.
nlohmann::ordered_json StepsJson(const CommitReport& report);
// The files a plan edits, in the order of their first edit: path, whether it exists,
// and the unified diff of its change.
nlohmann::ordered_json PlannedFilesJson(const CommitReport& report);
