#pragma once
// The catalogue of fixed texts the foundation shows, the fatal-error routine,
// the warning hook and the library's exception.
#include "foundation/Export.h"
#include "foundation/StrPP.h"

// One message: the unit the catalogue and the language table share.
class VELLANTS_API MessageRecord {
public:
    MessageRecord() = default;
    MessageRecord(const char* text, const char* context);
    MessageRecord(long number, const StrPP& english, const StrPP& current, const StrPP& context);

    StrPP GetText() const { return current; }
    // Ordered and equal by English text when both numbers are 0, else by number.
    bool operator<(const MessageRecord& other) const;
    bool operator==(const MessageRecord& other) const;

    long number = 0;
    StrPP english;
    StrPP current;
    StrPP context;
};

// The catalogue in its fixed order; index 0 is entry 1.
constexpr int kCatalogueSize = 42;
VELLANTS_API MessageRecord& CatalogueEntry(int index);
VELLANTS_API StrPP CatalogueText(int number);  // number 1..42

enum CatalogueNumber {
    kMsgNotEnoughDiskSpace = 1,
    kMsgCannotReplace = 3,
    kMsgNotQrvFile = 4,
    kMsgSectionLengthMismatch = 5,
    kMsgSectionDeleteOf = 6,
    kMsgSectionDeleteFailed = 7,
    kMsgUnableToOpenFile = 8,
    kMsgReadMismatch = 9,
    kMsgWriteMismatch = 10,
    kMsgWarning = 11,
    kMsgPathQuestionOpen = 15,
    kMsgPathQuestionClose = 16,
    kMsgUnableToCreatePath = 17,
    kMsgFatalAborting = 18,
    kMsgFile = 33,
    kMsgTolerance = 37,
    kMsgNoLanguage = 38,
};

// Process-wide switches; assertions start enabled, warnings silenced.
VELLANTS_API extern bool g_silenceAssertions;
VELLANTS_API extern bool g_silenceWarnings;

#ifdef VELLANTS_BUILD
// Routes FatalError's box text elsewhere (tests, not exported); the task-modal box is the default.
using FatalSink = void (*)(const char* boxText, const char* caption);
void SetFatalSink(FatalSink sink);
#endif

[[noreturn]] VELLANTS_API void FatalError(StrPP text);
VELLANTS_API void Warn(StrPP text);
// Breaks into an attached debugger unless assertions are silenced.
VELLANTS_API void LibraryAssert();

class VELLANTS_API QRVException {
public:
    QRVException(StrPP heading, int severity);
    void Append(const StrPP& more) { message += more; }
    StrPP Text() const { return message; }
    StrPP FullText() const;
    StrPP Title() const;
    [[noreturn]] void Throw() const { throw QRVException(*this); }

    int severity;
    StrPP message;
    StrPP heading;
};
