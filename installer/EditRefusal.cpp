#include "installer/EditRefusal.h"

const char* RefusalText(EditRefusal refusal) {
    switch (refusal) {
        case EditRefusal::None: return "no refusal";
        case EditRefusal::EditorsDiffer: return "refused: the file has editor lines (851) naming different editors";
        case EditRefusal::EditorHasZeroByte: return "refused: the editor line holds a zero byte";
        case EditRefusal::EditorNotKept: return "refused: the file's editor could not be stored in the registry";
        case EditRefusal::WouldBeTooSmall:
            return "refused: the edited file would be under 1024 bytes and no longer recognised";
        case EditRefusal::WouldHideOption:
            return "refused: the edit would take away the only mention of an option the file carries";
        case EditRefusal::ToolbarFull: return "refused: the toolbar buttons run to line 2498, no button is free";
        case EditRefusal::ButtonWithoutValue: return "refused: a toolbar line has nothing after its '?'";
        case EditRefusal::LastButtonUnlabelled:
            return "refused: the last toolbar line has no \"(Bn) \" label before its '?'";
        case EditRefusal::ToolbarWouldJoin:
            return "refused: the toolbar numbering has a gap of one that the new button would close";
        case EditRefusal::ValueEndsInReturn:
            return "refused: a toolbar value ending in a carriage return would move onto a line ending in a line "
                   "feed";
        case EditRefusal::EditorListFull: return "refused: an editor entry would be numbered 20 or more";
        case EditRefusal::UnusualCountLine: return "refused: the editor list's count line is not of the form 1. \"N\"";
        case EditRefusal::UnusualEntry:
            return "refused: an editor entry does not begin with its number, a full stop and a blank";
    }
    return "refused";
}
