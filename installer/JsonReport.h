#pragma once
// The installer's answers as JSON documents, for scripts and for the C interface:
// every document starts with the library's "version". Texts are turned from the
// Windows code page into UTF-8.
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

// A document: "version", then "command" (null when there is none).
nlohmann::ordered_json Document(const char* command);
// The document of an install or remove that ran, or of its plan ("plan install",
// "plan remove"): whether it failed, the records, every step, and for a plan the files.
nlohmann::ordered_json ChangeDocument(const VellantSetup& setup, const std::string& command, bool planned);
// The document of a command that could not run: what went wrong, in words.
nlohmann::ordered_json ErrorDocument(const char* command, const std::string& error);
// A document as text: two spaces of indent, without a final line ending.
std::string DocumentText(const nlohmann::ordered_json& document);
