#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <regex>

#include "cli/text_out.h"
#include "platform/archive/archive_test_support.h"
#include "platform/os/text_codec.h"
#include "cli_run.h"

using namespace arkstash;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using test::linesOf;

namespace {

// A saved project: a form with its binary, a module, and a class whose name is not ASCII.
class ListCommandTest : public ::testing::Test {
  protected:
    test::TempDir dir, home;
    std::string vbp;

    test::CliResult run(std::vector<std::string> args) { return test::runCli(args, home); }

    void SetUp() override {
        vbp = dir.write("Sales/Sales.vbp",
                        "Type=Exe\r\nForm=frmMain.frm\r\nModule=modMain; modMain.bas\r\n"
                        "Class=Grüße; Grüße.cls\r\nName=\"Sales\"\r\n");
        dir.write("Sales/frmMain.frm",
                  "VERSION 5.00\r\nBegin VB.Form frmMain\r\nEnd\r\n"
                  "Attribute VB_Name = \"frmMain\"\r\nOption Explicit\r\n");
        dir.write("Sales/frmMain.frx", std::string(2048, '\0'));
        dir.write("Sales/modMain.bas", "Attribute VB_Name = \"modMain\"\r\nSub Main()\r\nEnd Sub\r\n");
        dir.write("Sales/Grüße.cls", "Attribute VB_Name = \"Grüße\"\r\nOption Explicit\r\n");
    }
};

TEST_F(ListCommandTest, TableListsTheRowsInScanOrderWithAlignedColumns) {
    auto r = run({"list", vbp});
    ASSERT_EQ(r.status, cli::kExitOk) << r.err;
    EXPECT_EQ(r.err, "");
    auto out = linesOf(r.out);
    ASSERT_EQ(out.size(), 6u) << r.out;
    EXPECT_THAT(out[0], ::testing::MatchesRegex("File +Lines  Type +Size  Date +Saved"));
    const char* types[] = {"Visual Basic Project", "Form Binary", "Form", "Module", "Class"};
    // Every Type cell starts under its header, counted in characters on the screen (the class's
    // path has more bytes than characters), and line counts end under "Lines".
    std::size_t typeColumn = cli::DisplayWidth(out[0].substr(0, out[0].find("Type")));
    std::size_t linesEnd = cli::DisplayWidth(out[0].substr(0, out[0].find("Lines") + 5));
    for (std::size_t i = 0; i < 5; ++i) {
        const std::string& line = out[i + 1];
        std::size_t at = line.find(std::string("  ") + types[i] + " ");
        ASSERT_NE(at, std::string::npos) << line;
        EXPECT_EQ(cli::DisplayWidth(line.substr(0, at + 2)), typeColumn) << line;
        std::string lead = line.substr(0, at);
        EXPECT_EQ(cli::DisplayWidth(lead.substr(0, lead.find_last_not_of(' ') + 1)), linesEnd);
    }
    EXPECT_THAT(out[2], HasSubstr("2,048"));
    EXPECT_NE(out[1].back(), ' ');
}

TEST_F(ListCommandTest, TreeIsAnIndentedOutlineWithTheStartUpProjectMarked) {
    auto r = run({"list", vbp, "--tree"});
    ASSERT_EQ(r.status, cli::kExitOk) << r.err;
    EXPECT_THAT(linesOf(r.out),
                ElementsAre("* Sales (Sales.vbp)", "    Forms", "      frmMain (frmMain.frm)",
                            "    Modules", "      modMain (modMain.bas)", "    Class Modules",
                            "      Grüße (Grüße.cls)"));
}

TEST_F(ListCommandTest, JsonIsTypedAndVersioned) {
    auto r = run({"list", "--json", vbp});
    ASSERT_EQ(r.status, cli::kExitOk) << r.err;
    auto doc = nlohmann::json::parse(r.out);
    EXPECT_EQ(doc["version"], 1);
    const auto& rows = doc["rows"];
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0]["path"], dir / "Sales/Sales.vbp");
    EXPECT_EQ(rows[0]["kind"], "project");
    EXPECT_TRUE(rows[0]["lines"].is_null());
    EXPECT_EQ(rows[0]["saved"], true);
    EXPECT_EQ(rows[0]["project"], "Sales");
    EXPECT_EQ(rows[1]["kind"], "binary");
    EXPECT_EQ(rows[1]["size"], 2048);
    EXPECT_TRUE(rows[1]["saved"].is_null());
    EXPECT_EQ(rows[3]["lines"], 2);
    EXPECT_EQ(rows[3]["checked"], true);
    EXPECT_EQ(rows[3]["user_added"], false);
    std::regex iso(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\+00:00)");
    EXPECT_TRUE(std::regex_match(rows[4]["modified"].get<std::string>(), iso)) << rows[4];
    EXPECT_EQ(rows[4]["path"], dir / "Sales/Grüße.cls");
    const auto& tree = doc["tree"];
    ASSERT_EQ(tree.size(), 7u);
    EXPECT_EQ(tree[0]["key"], "Sales");
    EXPECT_TRUE(tree[0]["parent"].is_null());
    EXPECT_EQ(tree[0]["bold"], true);
    EXPECT_TRUE(tree[2]["key"].is_null());  // components have no key
    EXPECT_EQ(tree[2]["parent"], 1);
}

TEST_F(ListCommandTest, AProjectThatCannotBeLoadedIsOneLineOnStderrAndStatusTwo) {
    dir.write("junk.vbp", std::string("\x7F" "ELF\x02\x01\x01\0\0\0", 10));
    for (const std::string& bad : {dir / "nothing.vbp", dir / "Sales", dir / "junk.vbp"}) {
        auto r = run({"list", bad});
        EXPECT_EQ(r.status, cli::kExitUsage) << bad;
        EXPECT_EQ(r.out, "") << bad;
        ASSERT_EQ(linesOf(r.err).size(), 1u) << r.err;
        EXPECT_THAT(r.err, HasSubstr(bad));
    }
    EXPECT_EQ(run({"list"}).status, cli::kExitUsage);
}

TEST_F(ListCommandTest, NamesWithQuotesAndControlCharactersStaySafe) {
    dir.write("Odd/Odd.vbp", "Type=Exe\r\nRelatedDoc=say \"hi\"\x1b[2J.txt\r\nName=\"Odd\"\r\n");
    std::string odd = dir.write("Odd/say \"hi\"\x1b[2J.txt", "hello");
    auto j = run({"list", "--json", dir / "Odd/Odd.vbp"});
    ASSERT_EQ(j.status, cli::kExitOk) << j.err;
    EXPECT_EQ(nlohmann::json::parse(j.out)["rows"][1]["path"], odd);
    auto t = run({"list", dir / "Odd/Odd.vbp"});
    EXPECT_EQ(t.out.find('\x1b'), std::string::npos);
    EXPECT_THAT(t.out, HasSubstr("say \"hi\"?[2J.txt"));
}

TEST_F(ListCommandTest, TheScanKeepsTheWindowsOptionsInTheUsersHive) {
    ASSERT_EQ(run({"list", vbp}).status, 0);
    std::string hive = home.read("user.reg"), ascii;
    for (std::size_t i = 2; i < hive.size(); i += 2) ascii += hive[i];  // UTF-16LE, ASCII here
    EXPECT_THAT(ascii, HasSubstr("\"CompFactor\"=\"Normal\""));
    EXPECT_THAT(ascii, HasSubstr("Sales.vbp\"=\"" + dir.str() + "/Sales/\""));
}

TEST(ListCommandExample, ListsTheExampleGroupWithItsReferences) {
    test::TempDir home;
    std::string root = std::string(ARKSTASH_SOURCE_DIR) + "/examples/StockControl/";
    auto r = test::runCli({"list", "--json", root + "StockControl.vbg"}, home);
    ASSERT_EQ(r.status, cli::kExitOk) << r.err;
    EXPECT_EQ(r.err, "");
    auto doc = nlohmann::json::parse(r.out);
    std::vector<std::string> files;
    for (const auto& row : doc["rows"]) files.push_back(row["path"].get<std::string>().substr(root.size()));
    EXPECT_THAT(files, ElementsAre("StockControl.vbg", "StockControl.vbp", "frmMDI.frm",
                                   "frmStock.frx", "frmStock.frm", "frmAbout.frx", "frmAbout.frm",
                                   "modMain.bas", "CStockItem.cls", "docStock.dox", "docStock.dob",
                                   "deStock.dsx", "deStock.dsr", "ReadMe.txt", "StockControl.res",
                                   "StockGrid/StockGrid.vbp", "StockGrid/ctlStockGrid.ctx",
                                   "StockGrid/ctlStockGrid.ctl", "StockGrid/ppgGridColumns.pgx",
                                   "StockGrid/ppgGridColumns.pag", "StockGrid/CGridColumn.cls"));
    // The found type library is ticked; the runtime's own library never shows.
    bool typeLibraryFound = false;
    for (const auto& ref : doc["references"]) {
        EXPECT_NE(ref["description"], "Visual Basic runtime objects and procedures");
        if (ref["description"] == "Stock Control Types") {
            typeLibraryFound = ref["checked"] == true;
            EXPECT_EQ(ref["file"], root + "Lib/StockTypes.tlb");
        }
    }
    EXPECT_TRUE(typeLibraryFound) << doc["references"];
}

}  // namespace

namespace {

// A group saved on a Chinese Windows: its text is GBK, its files have UTF-8 names here.
TEST(ListCodePages, AGroupInAnotherCodePageListsWithDefaultSettingsAndSaysHowItWasRead) {
    test::TempDir dir, home;
    auto gbk = [](const std::string& utf8) { return *os::encodeText(utf8, "936"); };
    std::string vbg = dir.write("组/组.vbg", gbk("VBGROUP 5.0\r\nStartupProject=销售\\销售.vbp\r\n"));
    dir.write("组/销售/销售.vbp", gbk("Type=Exe\r\nModule=模块; 模块.bas\r\nName=\"销售\"\r\n"));
    dir.write("组/销售/模块.bas", gbk("Attribute VB_Name = \"模块\"\r\n' 注释\r\n"));
    auto r = test::runCli({"list", "--json", vbg}, home);
    ASSERT_EQ(r.status, cli::kExitOk) << r.err;
    EXPECT_THAT(r.err, HasSubstr(vbg + ": read as code page 936"));
    auto rows = nlohmann::json::parse(r.out)["rows"];
    ASSERT_EQ(rows.size(), 3u) << rows;
    EXPECT_EQ(rows[0]["encoding"], "936");
    EXPECT_EQ(rows[2]["path"], dir / "组/销售/模块.bas");
    EXPECT_EQ(rows[2]["lines"], 1);

    auto unknown = test::runCli({"list", "--code-page", "12345", vbg}, home);
    EXPECT_EQ(unknown.status, cli::kExitUsage);
    EXPECT_THAT(unknown.err, HasSubstr("unknown code page 12345"));
}

TEST(ListCodePages, ANameThatIsNotUtf8OnDiskIsKeptExactlyInJson) {
    test::TempDir dir, home;
    std::string vbp = dir.write("P/P.vbp", "Type=Exe\r\nModule=m; Caf\xE9.bas\r\nName=\"P\"\r\n");
    dir.write("P/Caf\xE9.bas", "Attribute VB_Name = \"m\"\r\n");  // the Windows-1252 bytes
    auto r = test::runCli({"list", "--json", vbp}, home);
    ASSERT_EQ(r.status, cli::kExitOk) << r.err;
    auto rows = nlohmann::json::parse(r.out)["rows"];
    ASSERT_EQ(rows.size(), 2u) << rows;
    std::string hex = rows[1]["path_hex"];
    EXPECT_EQ(hex.substr(hex.size() - 16), "436166e92e626173");  // "Caf\xE9.bas"
}

TEST(ListCodePages, ANameKeptAsItsWindowsBytesIsArchivedUnderItsWindowsName) {
    test::TempDir dir, home;
    auto gbk = [](const std::string& utf8) { return *os::encodeText(utf8, "936"); };
    // Unpacked by a tool that kept the GBK bytes of the names.
    std::string vbp = dir.write("P/P.vbp", gbk("Type=Exe\r\nModule=模块; 子/模块.bas\r\nName=\"P\"\r\n"));
    dir.write("P/" + gbk("子") + "/" + gbk("模块") + ".bas", "Attribute VB_Name = \"m\"\r\n");
    // Every code page finds bytes as they are: only the user can say which one wrote them.
    auto r = test::runCli({"backup", vbp, "--yes", "--code-page", "936"}, home);
    ASSERT_EQ(r.status, cli::kExitOk) << r.err;
    EXPECT_THAT(test::readArchive(dir / "P/P.zip"),
                ::testing::Contains(::testing::Field(&test::Entry::name, "子/模块.bas")));
}

TEST(ListBinaries, AFormThatRefersToAMissingBinaryIsANoteAndTheBackupStaysComplete) {
    test::TempDir dir, home;
    std::string vbp = dir.write("P/P.vbp", "Type=Exe\r\nForm=frmA.frm\r\nName=\"P\"\r\n");
    dir.write("P/frmA.frm", "VERSION 5.00\r\nBegin VB.Form frmA\r\n   Picture = \"frmA.frx\":0000\r\n"
                            "End\r\nAttribute VB_Name = \"frmA\"\r\n");
    auto list = test::runCli({"list", vbp}, home);
    EXPECT_THAT(list.err, HasSubstr("note: " + dir / "P/frmA.frx"));
    auto backup = test::runCli({"backup", vbp, "--yes"}, home);
    EXPECT_EQ(backup.status, cli::kExitOk) << backup.err;
    EXPECT_THAT(backup.err, HasSubstr("warning: " + dir / "P/frmA.frx"));
}

}  // namespace

namespace {

TEST(ListSettings, ADamagedSettingsFileIsSetAsideAndSaidSo) {
    test::TempDir dir, home;
    std::string vbp = dir.write("P/P.vbp", "Type=Exe\r\nName=\"P\"\r\n");
    home.write("user.reg", std::string("garbage\0\1", 9));
    auto r = test::runCli({"list", vbp}, home);
    EXPECT_EQ(r.status, cli::kExitOk);
    EXPECT_THAT(r.err, HasSubstr("warning: The settings file"));
    EXPECT_THAT(r.err, HasSubstr("set aside"));
}

}  // namespace
