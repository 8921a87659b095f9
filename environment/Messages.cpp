#include "environment/Messages.h"

bool g_silenceAssertions = false;
bool g_silenceWarnings = true;

namespace {
struct CatalogueSource {
    const char* context;
    const char* text;
};

const CatalogueSource kCatalogue[kCatalogueSize] = {
    {"Internal file", "Not enough disk space"},
    {"Internal database", "Progress"},
    {"Internal database", "Cannot replace entity when at the end of the database!"},
    {"Internal database", "This is not a QRV file.  This file may be corrupted."},
    {"Internal database", "Section length bytes don't match.  This file may be corrupted."},
    {"Internal database", "Section delete of "},
    {"Internal database", " bytes failed consistency check.  This file may be corrupted."},
    {"Internal database", "Unable to open file:"},
    {"Internal database",
     "Internal Fatal Error in StorageSet.\nMismatch on number of bytes read.\nThis QRV file may be corrupt."},
    {"Internal database",
     "Internal Fatal Error in StorageSet.\nMismatch on number of bytes written.\nThis QRV file may be corrupt."},
    {"General program", "Warning"},
    {"General program", "Error!"},
    {"General program", "Fatal Error!"},
    {"General program", "Please wait until the current operation is complete before closing this program"},
    {"Path name validity check", "The path \""},
    {"Path name validity check", "\"\ndoes not exist.  Do you want to create it?"},
    {"Path name validity check", "Unable to create the path."},
    {"General program", "Fatal condition -- Program aborting"},
    {"IO dialog", "IO Status"},
    {"IO dialog", "File: "},
    {"IO dialog", "Import Status"},
    {"Export error", "Error!  This export style does not support"},
    {"Export error", "You are attempting to export a 3D arc to a 2D export style"},
    {"Export error", "3D Arcs"},
    {"Export error", "NURBS"},
    {"Export error", "You are attempting to export an entity that is only supported by Korvane Pro."},
    {"Filter options dialog", "This option can not be deleted"},
    {"Filter options dialog", "Are you sure you want to delete this option?"},
    {"Filter options dialog", "Option"},
    {"Filter options dialog", "Species"},
    {"Filter options dialog", "Parent"},
    {"Filter options dialog", "Child"},
    {"Filter options dialog", "File"},
    {"Filter options dialog", "Verify"},
    {"Filter options dialog", "Save As"},
    {"Filter options dialog", "Enter the option name:"},
    {"Tolerance", "\xB1"},
    {"Language load", "This file does not contain any language definition."},
    {"TOOL message", "Unable to initiate communications with Mastercam.  Do you want to initialize again?"},
    {"Batch error", "Fatal condition -- aborting batch"},
    {"Batch error", "\nReason: "},
    {"Batch error", "Unknown"},
};

// Built on first use so that other objects made at load time may already use it.
MessageRecord* Catalogue() {
    static MessageRecord records[kCatalogueSize] = {
#define ENTRY(i) MessageRecord(kCatalogue[i].text, kCatalogue[i].context)
        ENTRY(0),  ENTRY(1),  ENTRY(2),  ENTRY(3),  ENTRY(4),  ENTRY(5),  ENTRY(6),  ENTRY(7),  ENTRY(8),
        ENTRY(9),  ENTRY(10), ENTRY(11), ENTRY(12), ENTRY(13), ENTRY(14), ENTRY(15), ENTRY(16), ENTRY(17),
        ENTRY(18), ENTRY(19), ENTRY(20), ENTRY(21), ENTRY(22), ENTRY(23), ENTRY(24), ENTRY(25), ENTRY(26),
        ENTRY(27), ENTRY(28), ENTRY(29), ENTRY(30), ENTRY(31), ENTRY(32), ENTRY(33), ENTRY(34), ENTRY(35),
        ENTRY(36), ENTRY(37), ENTRY(38), ENTRY(39), ENTRY(40), ENTRY(41),
#undef ENTRY
    };
    return records;
}

// The catalogue exists from load to unload, like the library's other objects.
MessageRecord* const catalogueAtLoad = Catalogue();
}  // namespace

MessageRecord::MessageRecord(const char* text, const char* context) : english(text), current(text), context(context) {}

MessageRecord::MessageRecord(long number, const StrPP& english, const StrPP& current, const StrPP& context)
    : number(number), english(english), current(current), context(context) {}

bool MessageRecord::operator<(const MessageRecord& other) const {
    if (number == 0 && other.number == 0) return english < other.english;
    return number < other.number;
}

bool MessageRecord::operator==(const MessageRecord& other) const {
    if (number == 0 && other.number == 0) return english == other.english;
    return number == other.number;
}

MessageRecord& CatalogueEntry(int index) { return Catalogue()[index]; }

StrPP CatalogueText(int number) { return Catalogue()[number - 1].GetText(); }

QRVException::QRVException(StrPP heading, int severity) : severity(severity), heading(heading) {}

StrPP QRVException::FullText() const { return heading + "\n" + message; }

StrPP QRVException::Title() const {
    if (severity == 0) return CatalogueText(kMsgFatalAborting);
    if (severity == 1) return CatalogueText(kMsgWarning);
    return StrPP("");
}
