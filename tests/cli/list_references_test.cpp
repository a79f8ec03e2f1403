// `arkstash list` shows the projects' references and components after the files.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "cli/cli.h"
#include "cli/json_reader.h"
#include "support/pe_builder.h"
#include "support/temp_dir.h"

using namespace arkstash;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

const char* kGrid = "{5E9E78A0-531B-11CF-91F6-C2863C385E30}";

class ListReferences : public ::testing::Test {
  protected:
    test::TempDir dir, home;
    std::string vbp, tlb, ocx;

    void SetUp() override {
        tlb = dir.write("Sales/Lib/Shop.tlb", test::msftTypeLib(1, 0, 0));
        ocx = dir.write("System/GRID32.OCX", "MZ");
        // The control is found through the user's import of the type-library registrations.
        home.write("classes.reg",
                   "REGEDIT4\r\n\r\n"
                   "[HKEY_CLASSES_ROOT\\TypeLib\\" +
                       std::string(kGrid) +
                       "\\1.A]\r\n"
                       "@=\"Data Grid\"\r\n\r\n"
                       "[HKEY_CLASSES_ROOT\\TypeLib\\" +
                       std::string(kGrid) +
                       "\\1.A\\0\\win32]\r\n"
                       "@=\"" +
                       ocx + "\"\r\n");
        vbp = dir.write(
            "Sales/Sales.vbp",
            "Type=Exe\r\n"
            "Reference=*\\G{EA544A21-C82D-11D1-A3E4-00A0C90AEA82}#6.0#0#C:\\WINDOWS\\system32\\"
            "msvbvm60.dll\\3#Visual Basic runtime objects and procedures\r\n"
            "Reference=*\\G{11111111-2222-3333-4444-555555555555}#1.0#0#Lib\\Shop.tlb#Shop "
            "Types\r\n"
            "Reference=*\\G{22222222-2222-3333-4444-555555555555}#2.0#0#C:\\Gone\\gone.dll#Gone\r\n"
            "Object=" +
                std::string(kGrid) +
                "#1.a#0; GRID32.OCX\r\n"
                "Module=modMain; modMain.bas\r\n"
                "Name=\"Sales\"\r\n");
        dir.write("Sales/modMain.bas",
                  "Attribute VB_Name = \"modMain\"\r\nSub Main()\r\nEnd Sub\r\n");
    }

    std::string run(std::vector<std::string> args, int& status) {
        std::ostringstream out, err;
        std::istringstream in;
        cli::Io io{out,
                   err,
                   in,
                   false,
                   false,
                   [this](const std::string& name) -> std::optional<std::string> {
                       if (name == "ARKSTASH_HOME") return home.str();
                       return std::nullopt;
                   }};
        status = cli::run(args, io);
        return out.str();
    }
};

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream s(text);
    for (std::string l; std::getline(s, l);) out.push_back(l);
    return out;
}

}  // namespace

TEST_F(ListReferences, TableShowsThemAfterTheFilesAndABlankLine) {
    int status = -1;
    std::vector<std::string> out = lines(run({"list", vbp}, status));
    ASSERT_EQ(status, cli::kExitOk);
    ASSERT_EQ(out.size(), 3u + 1u + 4u);  // header, two files; blank; header, three libraries
    EXPECT_THAT(out[0], HasSubstr("File"));
    EXPECT_EQ(out[3], "");
    EXPECT_THAT(out[4], ::testing::MatchesRegex("Description +Version +File +Guid"));
    EXPECT_THAT(out[5], ::testing::MatchesRegex("Shop Types +1\\.0 +.*Lib/Shop\\.tlb +\\{1111.*"));
    EXPECT_THAT(out[6], ::testing::MatchesRegex("Gone +2\\.0 +Unknown +\\{2222.*"));
    EXPECT_THAT(out[7], ::testing::MatchesRegex("Data Grid +1\\.10 +.*GRID32\\.OCX +\\{5E9E.*"));
}

TEST_F(ListReferences, JsonHoldsThemWithTheirTicksAndColours) {
    int status = -1;
    test::Json doc = test::JsonReader::parse(run({"list", "--json", vbp}, status));
    ASSERT_EQ(status, cli::kExitOk);
    const test::Json& refs = doc["references"];
    ASSERT_EQ(refs.items.size(), 3u);
    EXPECT_THAT(refs[0].keys(),
                ElementsAre("description", "version", "file", "guid", "checked", "color"));
    EXPECT_EQ(refs[0]["description"].text, "Shop Types");
    EXPECT_EQ(refs[0]["version"].text, "1.0");
    EXPECT_EQ(refs[0]["file"].text, tlb);
    EXPECT_EQ(refs[0]["guid"].text, "{11111111-2222-3333-4444-555555555555}");
    EXPECT_TRUE(refs[0]["checked"].boolean);
    EXPECT_EQ(refs[0]["color"].text, "#000000");
    EXPECT_EQ(refs[1]["file"].text, "Unknown");
    EXPECT_FALSE(refs[1]["checked"].boolean);
    EXPECT_TRUE(refs[1]["color"].isNull());
    EXPECT_EQ(refs[2]["file"].text, ocx);  // resolved through the registrations
    EXPECT_EQ(refs[2]["version"].text, "1.10");
    EXPECT_TRUE(refs[2]["checked"].boolean);
}

TEST_F(ListReferences, NoReferencesLeaveTheTableAsItWasAndAnEmptyArray) {
    std::string plain = dir.write("P/P.vbp", "Type=Exe\r\nModule=M; M.bas\r\nName=\"P\"\r\n");
    dir.write("P/M.bas", "Attribute VB_Name = \"M\"\r\n");
    int status = -1;
    EXPECT_EQ(lines(run({"list", plain}, status)).size(), 3u);
    test::Json doc = test::JsonReader::parse(run({"list", "--json", plain}, status));
    EXPECT_TRUE(doc["references"].items.empty());
}
