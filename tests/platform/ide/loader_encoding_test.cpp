// Project and group files written on Windows machines of other languages: the loader reads each
// in the code page under which the files it names are found.
#include <gtest/gtest.h>

#include "platform/ide/loader.h"
#include "platform/ide/loader_support.h"
#include "platform/os/text_codec.h"

using namespace arkstash;
using namespace arkstash::ide;
using arkstash::test::crlf;
using arkstash::test::loadErrorOf;
using arkstash::test::mentions;

namespace {

// Text in a code page, made with the same converter the loader reads with.
std::string in(const std::string& codePage, const std::string& utf8) {
    auto bytes = os::encodeText(crlf(utf8), codePage);
    if (!bytes) throw std::runtime_error("no such text in code page " + codePage);
    return *bytes;
}

struct Script {
    const char* codePage;
    const char* folder;  // UTF-8 on disk
    const char* form;    // the form's title, UTF-8 on disk
    const char* words;   // a name, a description and a comment
};

// Chinese (GBK), Japanese (Shift-JIS, whose "表" holds a backslash byte) and Cyrillic.
const Script kScripts[] = {
    {"936", "\xE4\xB8\xAD\xE6\x96\x87", "\xE7\xAA\x97\xE4\xBD\x93", "\xE5\xBA\x93\xE5\xAD\x98"},
    {"932", "\xE8\xA1\xA8\xE7\xA4\xBA", "\xE8\xA1\xA8", "\xE5\x9C\xA8\xE5\xBA\xAB"},
    {"1251", "\xD0\xA1\xD0\xBA\xD0\xBB\xD0\xB0\xD0\xB4", "\xD0\xA4\xD0\xBE\xD1\x80\xD0\xBC\xD0\xB0",
     "\xD0\x97\xD0\xB0\xD0\xBF\xD0\xB0\xD1\x81"},
};

class Encodings : public test::LoaderTest {
  protected:
    LoadReport loadInto(MemoryVBE& into, const std::vector<std::string>& paths) {
        return ProjectLoader(*fs, options).load(into, paths);
    }

    // A project in `s`'s code page naming its form by a name of that script; on disk the
    // folder and the form have UTF-8 names. Answers the project file.
    std::string project(const Script& s, const std::string& at) {
        std::string form = std::string(s.form) + ".frm";
        dir.write(at + "/" + form,
                  in(s.codePage, "VERSION 5.00\nBegin VB.Form F\nEnd\nAttribute VB_Name = \"" +
                                     std::string(s.words) + "\"\n' " + s.words + "\nDim x\n"));
        return dir.write(at + "/App.vbp",
                         in(s.codePage, "Type=Exe\nForm=" + form + "\nName=\"" + s.words +
                                            "\"\nDescription=\"" + s.words + "\"\n"));
    }
};

}  // namespace

TEST_F(Encodings, EachScriptIsFoundUnderDefaultSettingsAndItsTextDecoded) {
    for (const Script& s : kScripts) {
        SCOPED_TRACE(s.codePage);
        MemoryVBE vbe;
        std::string vbp = project(s, s.folder);
        LoadReport report = loadInto(vbe, {vbp});
        EXPECT_TRUE(report.issues.empty()) << report.issues.front().message;
        ASSERT_EQ(report.encodings.size(), 1u);
        EXPECT_EQ(report.encodings[0].file, vbp);
        EXPECT_EQ(report.encodings[0].codePage, s.codePage);
        EXPECT_TRUE(report.encodings[0].detected);
        MemoryProject& p = vbe.project(1);
        EXPECT_EQ(p.data().Name, s.words);
        EXPECT_EQ(p.data().Description, s.words);
        ASSERT_EQ(p.components().size(), 1u);
        EXPECT_EQ(p.component(1).data().FileName, dir / s.folder + "/" + s.form + ".frm");
        EXPECT_EQ(p.component(1).data().Name, s.words);  // read in the project's code page
        EXPECT_EQ(p.component(1).data().CountOfLines, 2);
    }
}

TEST_F(Encodings, TheConfiguredCodePageComesFirstAndUtf8IsSaidSo) {
    std::string vbp = project(kScripts[0], "cn");
    options.codePage = "936";
    LoadReport report = load(vbp);
    ASSERT_EQ(report.encodings.size(), 1u);
    EXPECT_EQ(report.encodings[0].codePage, "936");
    EXPECT_FALSE(report.encodings[0].detected);

    std::string utf8 = write("u/App.vbp", "Type=Exe\nName=\"\xE4\xB8\xAD\"\n");
    std::string ascii = write("a/App.vbp", "Type=Exe\nName=\"A\"\n");
    MemoryVBE other;
    options.codePage = "1252";
    report = loadInto(other, {utf8, ascii});
    ASSERT_EQ(report.encodings.size(), 2u);
    EXPECT_EQ(report.encodings[0].codePage, "UTF-8");
    EXPECT_TRUE(report.encodings[0].detected);
    EXPECT_EQ(report.encodings[1].codePage, "1252");
    EXPECT_FALSE(report.encodings[1].detected);
}

TEST_F(Encodings, AGroupAndItsProjectsAreEachReadInTheirOwn) {
    std::string cn = project(kScripts[0], "\xE4\xB8\xAD\xE6\x96\x87");
    std::string ru = project(kScripts[2], "ru");
    std::string vbg = dir.write(
        "Suite.vbg", in("936", "VBGROUP 5.0\nStartupProject=" + std::string(kScripts[0].folder) +
                                   "\\App.vbp\nProject=ru\\App.vbp\n"));
    LoadReport report = load(vbg);
    EXPECT_TRUE(report.issues.empty()) << report.issues.front().message;
    ASSERT_EQ(vbe.projects().size(), 2u);
    EXPECT_EQ(vbe.project(2).data().Name, kScripts[2].words);
    std::vector<std::pair<std::string, std::string>> seen;
    for (const FileEncoding& e : report.encodings) seen.emplace_back(e.file, e.codePage);
    EXPECT_EQ(seen, (std::vector<std::pair<std::string, std::string>>{
                        {vbg, "936"}, {cn, "936"}, {ru, "1251"}}));
}

TEST_F(Encodings, NamesKeptAsCodePageBytesOnDiskResolveToThoseBytes) {
    // Shift-JIS "表.frm" left as its bytes by the copy; read as 1252, its backslash byte would
    // split the name in two.
    std::string raw = "\x95\x5C.frm";
    std::string form = dir.write("jp/" + raw, in("932", "Attribute VB_Name = \"F\"\nDim x\n"));
    std::string vbp =
        dir.write("jp/App.vbp", in("932", "Type=Exe\nForm=\xE8\xA1\xA8.frm\nName=\"J\"\n"));
    LoadReport report = load(vbp);
    EXPECT_TRUE(report.issues.empty()) << report.issues.front().message;
    EXPECT_EQ(report.encodings.at(0).codePage, "932");
    EXPECT_EQ(vbe.project(1).component(1).data().FileName, form);
    EXPECT_EQ(vbe.project(1).component(1).data().CountOfLines, 1);
}

TEST_F(Encodings, WhenNothingResolvesTheMessageNamesTheFileAndTheCodePagesTried) {
    std::string vbp = dir.write("App.vbp", in("936", "Type=Exe\nForm=\xE7\xAA\x97.frm\n"));
    LoadReport report = load(vbp);
    EXPECT_EQ(report.encodings.at(0).codePage, "1252");
    EXPECT_FALSE(report.encodings.at(0).detected);
    EXPECT_TRUE(mentions(
        report, "not found, read as code page 1252 or in any other (UTF-8, 1252, 932, 936"));

    std::string vbg = dir.write("Lost.vbg", in("936", "VBGROUP 5.0\nProject=\xE7\xAA\x97.vbp\n"));
    MemoryVBE other;
    std::string error = loadErrorOf([&] { loadInto(other, {vbg}); });
    EXPECT_NE(error.find(vbg), std::string::npos) << error;
    EXPECT_NE(error.find("tried in UTF-8, 1252, 932, 936"), std::string::npos) << error;
}
