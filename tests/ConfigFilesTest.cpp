#include "Sandbox.h"
#include "platform/Collections.h"
#include "environment/ConfigFiles.h"
#include <gtest/gtest.h>

namespace {
std::string AppData() {
    char path[MAX_PATH + 1] = {0};
    ::GetEnvironmentVariableA("APPDATA", path, MAX_PATH);
    return path;
}

// A host folder with its User folder, and a program name of this test alone.
class FolderLayout : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directories(host / "User"); }
    CString Folder() const { return (host.Path() + "\\").c_str(); }
    TempFolder host;
    const std::string program = "Prog" + std::to_string(::GetCurrentProcessId()) + std::to_string(::GetTickCount());
};

// A file of the probe's name is the user's: it is left as it was.
TEST_F(FolderLayout, WritableUserFolderIsUsed) {
    WriteFileText(host / "User\\temp.tmp", "kept");
    ConfigFiles layout(program.c_str(), Folder());
    EXPECT_EQ(ReadFileText(host / "User\\temp.tmp"), "kept");
    EXPECT_EQ(std::string(layout.UserFolder()), host / "User");
    EXPECT_FALSE(PathExists(AppData() + "\\Quillmere Designs\\" + program));
    for (const char* sub : {"Stock", "Machine", "Macro", "Tool Library", "Controls", "Temp"})
        EXPECT_TRUE(PathExists(host / ("User\\" + std::string(sub)))) << sub;
    EXPECT_EQ(std::string(layout.ConfigurationFile()), host / ("User\\" + program + ".cfg"));
    EXPECT_EQ(std::string(layout.ExplorerVariablesFile()), host / "User\\QTXExplorer\\variables.js");
    EXPECT_EQ(std::string(layout.HelpFolder()), host / "QTX Help");
    EXPECT_EQ(std::string(layout.GetFilePath(kStockFile, "Bar")), host / "User\\Stock\\Bar.stk_xml");
    EXPECT_FALSE(PathExists(host / "QTX Help"));
}

TEST_F(FolderLayout, UnwritableUserFolderMovesToApplicationData) {
    WriteFileText(host / "User\\settings.qrv", "copied once");
    std::filesystem::create_directories(host / "User\\temp.tmp");  // the write probe cannot be made
    const std::string target = AppData() + "\\Quillmere Designs\\" + program;
    EXPECT_EQ(std::string(ConfigFiles(program.c_str(), Folder()).UserFolder()), target);
    EXPECT_EQ(ReadFileText(target + "\\settings.qrv"), "copied once");
    WriteFileText(host / "User\\settings.qrv", "changed");
    EXPECT_EQ(std::string(ConfigFiles(program.c_str(), Folder()).UserFolder()), target);
    EXPECT_EQ(ReadFileText(target + "\\settings.qrv"), "copied once");
    std::error_code ignored;
    std::filesystem::remove_all(target, ignored);
}

// Name lists skip names that start with "_" and are sorted; topics resolve to existing pages; temporary
// names and folders resolve as asked.
TEST_F(FolderLayout, NameListsTopicsAndTempNames) {
    for (const char* file : {"Stock\\Bars\\Bar2.stk_xml", "Stock\\Bars\\_old.stk_xml", "Stock\\zeta.stk_xml",
                             "Stock\\Alpha.STK_XML", "Stock\\notes.txt"})
        WriteFileText(host / ("User\\" + std::string(file)), "x");
    WriteFileText(host / "QTX Help\\Help\\Mastercam Options.htm", "page");
    // Lists of two names are sorted too, by case: not in the order a folder lists them.
    for (const char* file :
         {"Printable Docs\\Guide.txt", "Printable Docs\\appendix.txt", "Info\\Zulu.pdf", "Info\\about.pdf"})
        WriteFileText(host / ("QTX Help\\" + std::string(file)), "document");
    ConfigFiles layout("Prog", Folder());
    EXPECT_EQ(Items(layout.Stocks()), (std::vector<std::string>{"Alpha", "Bars\\Bar2", "zeta"}));
    const int refills = layout.RefillCount();
    layout.Stocks();
    layout.Macros();
    EXPECT_EQ(layout.RefillCount(), refills);  // nothing changed: no rescan
    // A change below the user folder alone refills its lists, the macro pages among them.
    WriteFileText(host / "User\\Stock\\Beta.stk_xml", "x");
    WriteFileText(host / "User\\Macro\\Page.htm", "x");
    bool seen = false;
    for (int attempt = 0; attempt < 50 && !seen; ++attempt) {
        ::Sleep(20);
        seen = Items(layout.Stocks()).size() == 4 && Items(layout.MacroPages()) == std::vector<std::string>{"Page"};
    }
    EXPECT_TRUE(seen);
    EXPECT_GT(layout.RefillCount(), refills);
    EXPECT_EQ(std::string(layout.GetHelpTopic("Help\\Mastercam%20Options")),
              host / "QTX Help\\Help\\Mastercam Options.htm");
    EXPECT_EQ(std::string(layout.GetHelpTopic("Help\\Missing")), host / "QTX Help\\Help\\Missing");
    EXPECT_EQ(std::string(layout.GetDocumentTopic("Guide")), host / "QTX Help\\Printable Docs\\Guide.txt");
    EXPECT_EQ(Items(layout.InfoDocuments()), (std::vector<std::string>{"Zulu", "about"}));
    EXPECT_EQ(Items(layout.PrintableDocuments()), (std::vector<std::string>{"Guide", "appendix"}));
    EXPECT_EQ(Items(layout.HelpPages()), std::vector<std::string>{"Help\\Mastercam Options"});
    const CString kept = layout.TempFileName("qtx", true);
    EXPECT_TRUE(PathExists(kept.Str()));
    EXPECT_EQ(std::string(ConfigFiles::ResolveFolder(Folder(), "User", "x")), host / "User");
    char temp[MAX_PATH + 1] = {0};
    ::GetTempPathA(MAX_PATH, temp);
    EXPECT_STREQ(ConfigFiles::ResolveFolder("C:\\none\\", "none", "[Temp]"), temp);
    EXPECT_STREQ(ConfigFiles::ResolveFolder("C:\\none\\", "none", "C:\\also none"), ".");
}
}  // namespace
