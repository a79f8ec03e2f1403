#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "cli/cli.h"
#include "cli/text_out.h"
#include "json_reader.h"
#include "support/temp_dir.h"

using namespace arkstash;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

struct Result {
    int status;
    std::string out, err;
};

Result run(std::vector<std::string> args) {
    std::ostringstream out, err;
    std::istringstream in;
    // Each run keeps its settings in a folder of its own, never the user's.
    test::TempDir home;
    cli::Io io{
        out, err, in, false, false, [&home](const std::string& name) -> std::optional<std::string> {
            if (name == "ARKSTASH_HOME") return home.str();
            return std::nullopt;
        }};
    int status = cli::run(args, io);
    return {status, out.str(), err.str()};
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream s(text);
    for (std::string l; std::getline(s, l);) out.push_back(l);
    return out;
}

// A saved project: a form with its binary, a module, and a class whose name is not ASCII.
class ListCommandTest : public ::testing::Test {
  protected:
    test::TempDir dir;
    std::string vbp;

    void SetUp() override {
        vbp = dir.write("Sales/Sales.vbp",
                        "Type=Exe\r\n"
                        "Form=frmMain.frm\r\n"
                        "Module=modMain; modMain.bas\r\n"
                        "Class=Grüße; Grüße.cls\r\n"
                        "Name=\"Sales\"\r\n");
        dir.write("Sales/frmMain.frm",
                  "VERSION 5.00\r\nBegin VB.Form frmMain\r\n   Caption = \"Main\"\r\nEnd\r\n"
                  "Attribute VB_Name = \"frmMain\"\r\nOption Explicit\r\n");
        dir.write("Sales/frmMain.frx", std::string(2048, '\0'));
        dir.write(
            "Sales/modMain.bas",
            "Attribute VB_Name = \"modMain\"\r\nOption Explicit\r\nSub Main()\r\nEnd Sub\r\n");
        dir.write("Sales/Grüße.cls",
                  "VERSION 1.0 CLASS\r\nBEGIN\r\n  MultiUse = -1\r\nEND\r\n"
                  "Attribute VB_Name = \"Grüße\"\r\nOption Explicit\r\n");
    }
};

TEST_F(ListCommandTest, TableListsTheRowsInScanOrderWithAlignedColumns) {
    Result r = run({"list", vbp});
    ASSERT_EQ(r.status, cli::kExitOk) << r.err;
    EXPECT_EQ(r.err, "");
    std::vector<std::string> out = lines(r.out);
    ASSERT_EQ(out.size(), 6u) << r.out;
    EXPECT_THAT(out[0], ::testing::MatchesRegex("File +Lines  Type +Size  Date +Saved"));
    const char* files[] = {"Sales.vbp", "frmMain.frx", "frmMain.frm", "modMain.bas", "Grüße.cls"};
    const char* types[] = {"Visual Basic Project", "Form Binary", "Form", "Module", "Class"};
    // Every row's Type cell starts in the header's Type column, counted in characters on the
    // screen (the class's path has more bytes than characters).
    std::size_t typeColumn = cli::DisplayWidth(out[0].substr(0, out[0].find("Type")));
    std::size_t linesEnd = cli::DisplayWidth(out[0].substr(0, out[0].find("Lines") + 5));
    for (std::size_t i = 0; i < 5; ++i) {
        const std::string& line = out[i + 1];
        std::string path = dir / ("Sales/" + std::string(files[i]));
        EXPECT_EQ(line.rfind(path, 0), 0u) << line;
        std::size_t at = line.find(std::string("  ") + types[i] + " ");
        ASSERT_NE(at, std::string::npos) << line;
        EXPECT_EQ(cli::DisplayWidth(line.substr(0, at + 2)), typeColumn) << line;
        // Line counts are right-aligned under their header.
        std::string lead = line.substr(0, at);
        std::size_t end = lead.find_last_not_of(' ') + 1;
        EXPECT_EQ(cli::DisplayWidth(lead.substr(0, end)), linesEnd) << line;
    }
    EXPECT_THAT(out[2], HasSubstr("2,048"));
    EXPECT_THAT(out[2], HasSubstr(" --- "));
    EXPECT_NE(out[1].back(), ' ');  // no trailing blanks
}

TEST_F(ListCommandTest, TreeIsAnIndentedOutlineWithTheStartUpProjectMarked) {
    Result r = run({"list", vbp, "--tree"});
    ASSERT_EQ(r.status, cli::kExitOk) << r.err;
    EXPECT_THAT(lines(r.out),
                ElementsAre("* Sales (Sales.vbp)", "    Forms", "      frmMain (frmMain.frm)",
                            "    Modules", "      modMain (modMain.bas)", "    Class Modules",
                            "      Grüße (Grüße.cls)"));
}

TEST_F(ListCommandTest, JsonHoldsRowsAndTreeAndParsesBack) {
    Result r = run({"list", "--json", vbp});
    ASSERT_EQ(r.status, cli::kExitOk) << r.err;
    test::Json doc = test::JsonReader::parse(r.out);
    EXPECT_THAT(doc.keys(), ElementsAre("rows", "tree"));
    const test::Json& rows = doc["rows"];
    ASSERT_EQ(rows.items.size(), 5u);
    for (const auto& row : rows.items)
        EXPECT_THAT(row.keys(), ElementsAre("file", "lines", "type", "size", "date", "saved",
                                            "checked", "color", "image"));
    EXPECT_EQ(rows[0]["file"].text, dir / "Sales/Sales.vbp");
    EXPECT_EQ(rows[0]["lines"].text, "---");
    EXPECT_EQ(rows[0]["type"].text, "Visual Basic Project");
    EXPECT_EQ(rows[0]["saved"].text, "True");
    EXPECT_TRUE(rows[0]["checked"].boolean);
    EXPECT_EQ(rows[0]["color"].text, "#000000");
    EXPECT_EQ(rows[0]["image"].number, 12);
    EXPECT_EQ(rows[1]["size"].text, "2,048");
    EXPECT_EQ(rows[1]["saved"].text, " --- ");
    EXPECT_EQ(rows[2]["image"].number, 5);
    EXPECT_EQ(rows[4]["file"].text, dir / "Sales/Grüße.cls");
    EXPECT_EQ(rows[4]["date"].text.size(), 11u);  // "dd Mmm yyyy"

    const test::Json& tree = doc["tree"];
    ASSERT_EQ(tree.items.size(), 7u);
    EXPECT_EQ(tree[0]["key"].text, "Sales");
    EXPECT_EQ(tree[0]["caption"].text, "Sales (Sales.vbp)");
    EXPECT_TRUE(tree[0]["parent"].isNull());
    EXPECT_TRUE(tree[0]["bold"].boolean);
    EXPECT_TRUE(tree[0]["expanded"].boolean);
    EXPECT_EQ(tree[1]["key"].text, "SalesForms");
    EXPECT_EQ(tree[1]["parent"].number, 0);
    EXPECT_EQ(tree[1]["image"].number, 16);
    EXPECT_FALSE(tree[1]["expanded"].boolean);
    EXPECT_TRUE(tree[2]["key"].isNull());  // components have no key
    EXPECT_EQ(tree[2]["parent"].number, 1);
    EXPECT_EQ(tree[2]["image"].number, 5);
}

TEST_F(ListCommandTest, MissingOrUnloadableProjectIsOneLineOnStderrAndStatusTwo) {
    dir.write("junk.vbp", std::string("\x7F"
                                      "ELF\x02\x01\x01\0\0\0",
                                      10));
    for (const std::string& bad : {dir / "nothing.vbp", dir / "Sales", dir / "junk.vbp"}) {
        Result r = run({"list", bad});
        EXPECT_EQ(r.status, cli::kExitUsage) << bad;
        EXPECT_EQ(r.out, "") << bad;
        ASSERT_EQ(lines(r.err).size(), 1u) << r.err;
        EXPECT_EQ(r.err.rfind("arkstash: ", 0), 0u) << r.err;
        EXPECT_THAT(r.err, HasSubstr(bad));
    }
    Result none = run({"list"});
    EXPECT_EQ(none.status, cli::kExitUsage);
    EXPECT_EQ(none.out, "");
}

TEST_F(ListCommandTest, NothingSavedPrintsTheMessageRow) {
    // A hidden project file is read but never listed; its only form was never saved.
    std::string hidden =
        dir.write("Empty/.Empty.vbp", "Type=Exe\r\nForm=Form1.frm\r\nName=\"E\"\r\n");
    Result r = run({"list", hidden});
    ASSERT_EQ(r.status, cli::kExitOk) << r.err;
    EXPECT_THAT(lines(r.out), ElementsAre("File", "No saved files found in project"));
    EXPECT_THAT(r.err, HasSubstr("Form1.frm"));  // the missing form is reported

    Result j = run({"list", "--json", hidden});
    test::Json doc = test::JsonReader::parse(j.out);
    ASSERT_EQ(doc["rows"].items.size(), 1u);
    const test::Json& row = doc["rows"][0];
    EXPECT_EQ(row["file"].text, "No saved files found in project");
    EXPECT_EQ(row["type"].text, "");
    EXPECT_FALSE(row["checked"].boolean);
    EXPECT_TRUE(row["color"].isNull());
}

TEST_F(ListCommandTest, NamesWithQuotesAndControlCharactersStaySafe) {
    dir.write("Odd/Odd.vbp", "Type=Exe\r\nRelatedDoc=say \"hi\"\x1b[2J.txt\r\nName=\"Odd\"\r\n");
    std::string odd = dir.write("Odd/say \"hi\"\x1b[2J.txt", "hello");
    Result j = run({"list", "--json", dir / "Odd/Odd.vbp"});
    ASSERT_EQ(j.status, cli::kExitOk) << j.err;
    test::Json doc = test::JsonReader::parse(j.out);
    ASSERT_EQ(doc["rows"].items.size(), 2u) << j.out;
    EXPECT_EQ(doc["rows"][1]["file"].text, odd);

    Result t = run({"list", dir / "Odd/Odd.vbp"});
    EXPECT_EQ(t.out.find('\x1b'), std::string::npos);
    EXPECT_THAT(t.out, HasSubstr("say \"hi\"?[2J.txt"));
}

}  // namespace

namespace {

// The example group shipped with the sources: two projects, every kind of binary companion.
TEST(ListCommandExample, ListsTheExampleGroupAsTheWindowWould) {
    std::string root = std::string(ARKSTASH_SOURCE_DIR) + "/examples/StockControl/";
    Result r = run({"list", "--json", root + "StockControl.vbg"});
    ASSERT_EQ(r.status, cli::kExitOk) << r.err;
    EXPECT_EQ(r.err, "");
    test::Json doc = test::JsonReader::parse(r.out);
    std::vector<std::string> files;
    for (const auto& row : doc["rows"].items) {
        std::string f = row["file"].text;
        files.push_back(f.rfind(root, 0) == 0 ? f.substr(root.size()) : f);
    }
    EXPECT_THAT(files, ElementsAre("StockControl.vbg", "StockControl.vbp", "frmMDI.frm",
                                   "frmStock.frx", "frmStock.frm", "frmAbout.frx", "frmAbout.frm",
                                   "modMain.bas", "CStockItem.cls", "docStock.dox", "docStock.dob",
                                   "deStock.dsx", "deStock.dsr", "ReadMe.txt", "StockControl.res",
                                   "StockGrid/StockGrid.vbp", "StockGrid/ctlStockGrid.ctx",
                                   "StockGrid/ctlStockGrid.ctl", "StockGrid/ppgGridColumns.pgx",
                                   "StockGrid/ppgGridColumns.pag", "StockGrid/CGridColumn.cls"));
    // The control project shows its own picture on its node, its file and its companions.
    const test::Json& rows = doc["rows"];
    EXPECT_EQ(rows[1]["image"].number, 12);
    EXPECT_EQ(rows[15]["image"].number, 15);
    EXPECT_EQ(rows[16]["image"].number, 15);
    EXPECT_EQ(rows[0]["image"].number, 19);

    Result t = run({"list", "--tree", root + "StockControl.vbg"});
    std::vector<std::string> tree = lines(t.out);
    ASSERT_GE(tree.size(), 2u);
    EXPECT_EQ(tree[0], "* StockControl (StockControl.vbp)");
    EXPECT_NE(std::find(tree.begin(), tree.end(), "  StockGrid (StockGrid.vbp)"), tree.end());
    EXPECT_NE(std::find(tree.begin(), tree.end(), "    Related Documents"), tree.end());
}

}  // namespace

TEST(ListCommandStore, TheScanStoresTheWindowsSettingsInTheUsersHive) {
    test::TempDir dir, home;
    std::string vbp = dir.write("P/P.vbp", "Type=Exe\r\nModule=M; M.bas\r\nName=\"P\"\r\n");
    dir.write("P/M.bas", "Attribute VB_Name = \"M\"\r\nSub Main()\r\nEnd Sub\r\n");
    std::ostringstream out, err;
    std::istringstream in;
    cli::Io io{
        out, err, in, false, false, [&home](const std::string& name) -> std::optional<std::string> {
            if (name == "ARKSTASH_HOME") return home.str();
            return std::nullopt;
        }};
    ASSERT_EQ(cli::run({"list", vbp}, io), 0) << err.str();
    // The same store the desktop app reads: the project's backup folder is kept under its path.
    std::string hive = home.read("user.reg");
    ASSERT_FALSE(hive.empty());
    std::string ascii;
    for (std::size_t i = 2; i < hive.size(); i += 2) ascii += hive[i];  // UTF-16LE, ASCII here
    EXPECT_THAT(ascii, HasSubstr("[HKEY_CURRENT_USER\\Software\\Arkstash]"));
    EXPECT_THAT(ascii, HasSubstr("\"CompFactor\"=\"Normal\""));
    EXPECT_THAT(ascii, HasSubstr("P.vbp\"="));
}

TEST(ListCommandStore, WithoutAHomeFolderItWarnsAndStillLists) {
    test::TempDir dir;
    std::string vbp = dir.write("P/P.vbp", "Type=Exe\r\nModule=M; M.bas\r\nName=\"P\"\r\n");
    dir.write("P/M.bas", "Attribute VB_Name = \"M\"\r\nSub Main()\r\nEnd Sub\r\n");
    std::ostringstream out, err;
    std::istringstream in;
    cli::Io io{
        out,   err,
        in,    false,
        false, [](const std::string&) -> std::optional<std::string> { return std::nullopt; }};
    EXPECT_EQ(cli::run({"list", vbp}, io), 0);
    EXPECT_THAT(err.str(), HasSubstr("settings are not kept"));
    EXPECT_THAT(out.str(), HasSubstr("M.bas"));
}
