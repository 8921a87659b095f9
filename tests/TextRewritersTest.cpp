// The portable core of the installer: the rewriters' rules and the scan marks,
// on bytes alone. Built into the Wine suite and natively under the sanitizers.
#include "foundation/TextSearch.h"
#include "installer/CfgRewriter.h"
#include "installer/EditorList.h"
#include "installer/McKind.h"
#include "installer/ScanMarks.h"
#include <gtest/gtest.h>
#include <iterator>
#include <random>
#include <string>

namespace {
const std::string kHead = "[Configuration]\r\n" + std::string(1100, '#') + "\r\n";

std::string Buttons(int from, int to, const std::string& eol = "\r\n") {
    std::string lines;
    for (int n = from; n <= to; ++n)
        lines += std::to_string(n) + ". (B" + std::to_string(n - 2300) + ") Button? v" + std::to_string(n) + eol;
    return lines;
}

// Adds the options the scan finds missing; on success, checks that the removal
// gives back every byte and that adding again changes nothing.
EditRefusal AddAndUndo(const std::string& x, bool toolbar, bool editor) {
    const ScanMarks before = ReadScanMarks(x);
    std::string y;
    const CfgAddition added = AddToCfg(x, toolbar && !before.toolbar, editor && !before.editor, y);
    if (added.refusal != EditRefusal::None) return added.refusal;
    const ScanMarks after = ReadScanMarks(y);
    std::string z;
    RemoveFromCfg(y, after.toolbar && !before.toolbar, after.editor && !before.editor,
                  added.originalEditor.value_or("unused"), z);
    EXPECT_EQ(z, x);
    std::string again;
    EXPECT_EQ(AddToCfg(y, toolbar && !after.toolbar, editor && !after.editor, again).refusal, EditRefusal::None);
    EXPECT_EQ(again, y);
    return EditRefusal::None;
}

// Each file the removal could not give back is refused; the odd files it can are edited.
TEST(CfgRewriter, RefusesExactlyWhatRemovalCouldNotUndo) {
    const struct {
        const char* name;
        std::string body;
        bool toolbar, editor;
        EditRefusal refusal;
    } cases[] = {
        {"gap in the numbering", "2301. (B1) A? a\r\n2303. (B3) C? c\r\n", true, false, EditRefusal::ToolbarWouldJoin},
        {"gap of two", "2301. (B1) A? a\r\n2304. (B4) C? c\r\n", true, false, EditRefusal::None},
        {"button without a label", "2301. A? a\r\n", true, false, EditRefusal::LastButtonUnlabelled},
        {"label right at the mark", "2301. (B1)? a\r\n", true, false, EditRefusal::LastButtonUnlabelled},
        {"label only on the first button", "2301. (B1) A? a\r\n2302. B? b\r\n", true, false,
         EditRefusal::LastButtonUnlabelled},
        {"nothing after the mark", "2301. (B1) Button 1?\r\n2302. (B2) x? FUNC0\r\n", true, false,
         EditRefusal::ButtonWithoutValue},
        {"empty value after the blank", "2301. (B1) Button 1? \r\n2302. (B2) x? FUNC0\r\n", true, false,
         EditRefusal::None},
        {"buttons up to 2498", Buttons(2301, 2498), true, false, EditRefusal::ToolbarFull},
        {"buttons up to 2497", Buttons(2301, 2497), true, false, EditRefusal::None},
        {"carriage return moving onto a line feed", "2301. (B1) A? a\r\r\n2302. (B2) B? b\n", true, false,
         EditRefusal::ValueEndsInReturn},
        {"carriage return staying before its CR LF", "2301. (B1) A? a\r\r\n2302. (B2) B? b\r\n", true, false,
         EditRefusal::None},
        {"two editor lines naming different editors", "851. E? pfe32\r\n851. E? notepad\r\n", false, true,
         EditRefusal::EditorsDiffer},
        {"two editor lines naming the same", "851. E? pfe32\r\n851. F? pfe32\r\n", false, true, EditRefusal::None},
        {"editor naming the host's button", "851. E? gotoqtx*\r\n2301. (B1) A? a\r\n", true, true,
         EditRefusal::WouldHideOption},
        {"editor naming gotoqtx that held the button back", "851. E? gotoqtx\r\n2301. (B1) A? a\r\n", true, true,
         EditRefusal::WouldHideOption},
        {"button text naming the host's editor", "2301. (B1) A? a\r\n2302. (B2) B?QTX_V2\r\n2303. (B3) C? c\r\n", true,
         false, EditRefusal::WouldHideOption},
        {"editor with a zero byte", std::string("851. E? pf\0e\r\n", 14), false, true, EditRefusal::EditorHasZeroByte},
        {"a toolbar and an editor at the end without line feed", "851. E? pfe32\r\n2301. (B1) A? a\r\n2302. (B2) B? b",
         true, true, EditRefusal::None},
        {"a lone button at the end without line feed", "2301. (B1) A? a", true, false, EditRefusal::None},
        {"two toolbars", "2301. (B1) A? a\r\n2301. (B1) B? b\r\n", true, false, EditRefusal::None},
        {"numbers at the limit", "2147483647. (B9) x? y\r\n2301. (B1) A? a\r\n-2147483648. (B1) z? w\r\n", true, false,
         EditRefusal::None},
    };
    for (const auto& c : cases) EXPECT_EQ(AddAndUndo(kHead + c.body, c.toolbar, c.editor), c.refusal) << c.name;

    // An editor line that shrinks a file of the smallest size the scan takes below it.
    const std::string line = "851. E? " + std::string(40, 'e') + "\r\n";
    const std::string smallest = std::string(1024 - line.size() - 2, '#') + "\r\n" + line;
    EXPECT_EQ(AddAndUndo(smallest, false, true), EditRefusal::WouldBeTooSmall);

    // The lines an install edits are found as the file's first line too.
    for (const bool editor : {true, false}) {
        const std::string x = (editor ? "851. E? pfe32\r\n" : "2301. (B1) A? a\r\n") + kHead;
        std::string y;
        ASSERT_EQ(AddToCfg(x, !editor, editor, y).refusal, EditRefusal::None);
        const ScanMarks marks = ReadScanMarks(y);
        EXPECT_TRUE(editor ? marks.editor : marks.toolbar) << y.substr(0, 40);
    }
}

// The removal takes out buttons whose value names the host, moves the later values of
// their run up and leaves the run's last line ending at its end.
TEST(CfgRewriter, RemovalTakesOutTheHostsValuesOnly) {
    const struct {
        const char* name;
        std::string before, after;
    } cases[] = {
        {"named in the text, not the value", "2301. (B1) gotoqtx* help? a\r\n", "2301. (B1) gotoqtx* help? a\r\n"},
        {"two in one run", "2301. A? gotoqtx*\r\n2302. B? b\r\n2303. C? GOTOQTX*\r\n2304. D? d\r\n9. x? y\r\n",
         "2301. A? b\r\n2302. B? d\r\n9. x? y\r\n"},
        {"run ending the file", "2301. A? gotoqtx*\r\n2302. B? b", "2301. A? b"},
        {"the last button", "2301. A? a\r\n2302. B? gotoqtx*\r\n", "2301. A? a\r\n"},
        {"a value after a bare mark", "2301. A? gotoqtx*\r\n2302. B?\r\n", "2301. A? \r\n"},
        {"numbers at the limit", "2147483647. (B9) x? gotoqtx*\r\n-2147483648. (B1) y? z\r\n",
         "-2147483648. (B1) y? z\r\n"},
    };
    for (const auto& c : cases) {
        std::string out;
        RemoveFromCfg(kHead + c.before, true, false, "unused", out);
        EXPECT_EQ(out, kHead + c.after) << c.name;
    }
}

// The stored editor goes back where it reads back as itself; elsewhere pfe32 does.
TEST(CfgRewriter, RemovalRestoresAnEditorOnlyWhereItReadsBack) {
    const struct {
        std::string stored, eol, restored;
    } cases[] = {
        {" pfe32", "\r\n", " pfe32"}, {"", "\n", ""},         {"a?b", "\r\n", "pfe32"},
        {"a\nb", "\r\n", "pfe32"},    {"a\r", "\n", "pfe32"}, {"a\r", "\r\n", "a\r"},
    };
    for (const auto& c : cases) {
        std::string out;
        RemoveFromCfg(kHead + "851. E? QTX_V2" + c.eol, false, true, c.stored, out);
        EXPECT_EQ(out, kHead + "851. E?" + c.restored + c.eol) << c.stored;
    }
}

std::string List(const std::string& section) {
    return kHead + "[file edit]\r\n" + section + "[colors]\r\n2. \"red\"\r\n";
}

std::string Entries(int from, int to) {
    std::string lines;
    for (int n = from; n <= to; ++n) lines += std::to_string(n) + ". \"E" + std::to_string(n) + "\"\r\n";
    return lines;
}

// Lists whose removal could not give them back are refused, lists with nothing to
// add before are left alone, and every list written obeys the laws.
TEST(EditorListRewriter, AddsOnlyWhatRemovalUndoes) {
    const struct {
        const char* name;
        std::string list;
        bool written;
        EditRefusal refusal;
    } cases[] = {
        {"entries 2 to 18", List("1. \"17\"\r\n" + Entries(2, 18)), true, EditRefusal::None},
        {"entries 2 to 19", List("1. \"18\"\r\n" + Entries(2, 19)), false, EditRefusal::EditorListFull},
        {"20 entries", List("1. \"20\"\r\n" + Entries(2, 21)), false, EditRefusal::EditorListFull},
        {"entry at the limit", List("1. \"1\"\r\n2147483647. \"E\"\r\n"), false, EditRefusal::EditorListFull},
        {"count at the limit", List("1. \"2147483647\"\r\n2. \"E\"\r\n"), false, EditRefusal::UnusualCountLine},
        {"count with text after it", List("1. \"1\" editors\r\n2. \"E\"\r\n"), false, EditRefusal::UnusualCountLine},
        {"entry with two blanks", List("1. \"1\"\r\n2.  \"E\"\r\n"), false, EditRefusal::UnusualEntry},
        {"entry with a leading zero", List("1. \"1\"\r\n02. \"E\"\r\n"), false, EditRefusal::UnusualEntry},
        {"host named in lower case", List("1. \"1\"\r\n2. \"qtx_v2\"\r\n"), false, EditRefusal::None},
        {"count but no entries", List("1. \"0\"\r\n"), false, EditRefusal::None},
        {"no final line feed", kHead + "[file edit]\r\n1. \"1\"\r\n2. \"E\"", true, EditRefusal::None},
        {"two sections", List("1. \"1\"\r\n2. \"E\"\r\n") + "[file edit]\r\n1. \"1\"\r\n3. \"F\"\r\n", true,
         EditRefusal::None},
    };
    for (const auto& c : cases) {
        std::string y;
        const ListEdit added = AddToEditorList(c.list, y);
        EXPECT_EQ(added.write, c.written) << c.name;
        EXPECT_EQ(added.refusal, c.refusal) << c.name;
        if (!added.write) continue;
        std::string z;
        ASSERT_TRUE(RemoveFromEditorList(y, z).write) << c.name;
        EXPECT_EQ(z, c.list) << c.name;
        EXPECT_FALSE(AddToEditorList(y, z).write) << c.name;
    }
}

// Removal takes out every entry naming the host, also past the numbers addition
// stops at, so that a second removal finds nothing.
TEST(EditorListRewriter, RemovalLeavesNoHostEntry) {
    const std::string list = List("1. \"4\"\r\n2. \"QTX_V2\"\r\n19. \"A\"\r\n20. \"B\"\r\n21. \"Qtx_v2\"\r\n");
    std::string once, twice;
    ASSERT_TRUE(RemoveFromEditorList(list, once).write);
    EXPECT_EQ(once, List("1. \"2\"\r\n18. \"A\"\r\n19. \"B\"\r\n"));
    EXPECT_FALSE(RemoveFromEditorList(once, twice).write);
}

// The one-pass scan answers as the plain searches do, wherever the marks stand.
TEST(ScanMarks, AgreeWithPlainSearches) {
    const char* const pieces[] = {"QTX_V2",         "qtx_v2",  "QTX_v",   "GOTOQTX*",
                                  "gotoqtx*",       "GOTOQTX", "\n119. ", "\n119.",
                                  "119. ",          "[lathe",  "[Lathe",  "design",
                                  "Design",         "router",  "rout",    "",
                                  "2301. (B1) x? ", "_",       "*",       "filler text of a line ",
                                  "\r\n",           "\n"};
    std::mt19937 random(7);
    for (int round = 0; round < 3000; ++round) {
        LimitScanWidthForTests(round % 3 == 0 ? 32 : round % 3 == 1 ? 16 : 1);
        std::string text;
        const int count = std::uniform_int_distribution<int>(0, 40)(random);
        for (int i = 0; i < count; ++i) {
            const std::string piece = pieces[random() % std::size(pieces)];
            text += piece.empty() ? std::string(1, '\0') : piece;  // "" stands for a zero byte
        }
        const std::string beforeZero = text.substr(0, text.find('\0'));
        const int kind = beforeZero.find("\n119. ") != std::string::npos  ? kWire
                         : beforeZero.find("[lathe") != std::string::npos ? kLathe
                         : beforeZero.find("design") != std::string::npos ? kDesign
                         : beforeZero.find("router") != std::string::npos ? kRouter
                                                                          : kMill;
        // Read in pieces of any size, as a file is.
        ScanMarker marker;
        for (size_t at = 0; at < text.size();) {
            const size_t piece = std::uniform_int_distribution<size_t>(1, 40)(random);
            marker.Add(std::string_view(text).substr(at, piece));
            at += piece;
        }
        const ScanMarks marks = round % 2 ? ReadScanMarks(text) : marker.Marks();
        ASSERT_EQ(marks.editor, Upper(text).find("QTX_V2") != std::string::npos) << round;
        ASSERT_EQ(marks.toolbar, Upper(text).find("GOTOQTX*") != std::string::npos) << round;
        ASSERT_EQ(marks.kind, kind) << round;
    }
    LimitScanWidthForTests(32);
}

// The searches answer as std::string_view::find does, the empty text and the ends included.
TEST(TextSearch, FindsAsTheStandardFind) {
    const std::string text = "abcABCabc";
    for (const std::string sub : {"", "abc", "ABC", "c", "cab", "abcd", "abcABCabc"})
        for (size_t from = 0; from <= text.size() + 1; ++from) {
            EXPECT_EQ(Find(text, sub, from), text.find(sub, from)) << sub << " " << from;
            EXPECT_EQ(FindNoCase(text, sub, from), Lower(text).find(Lower(sub), from)) << sub << " " << from;
        }
}
}  // namespace
