#include "platform/archive/libzip_engine.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <csignal>
#include <fstream>
#include <set>

#include "platform/archive/archive_check.h"
#include "platform/archive/archive_test_support.h"
#include "platform/error.h"
#include "support/temp_dir.h"

namespace arkstash::archive {
namespace {

using test::EventLog;
using test::readArchive;
using test::TempDir;

class LibzipEngineTest : public ::testing::Test {
  protected:
    TempDir dir;
    LibzipEngine engine;
    EventLog log;

    void SetUp() override { log.attach(engine); }

    std::string target() const { return dir / "out/Backup.zip"; }
    void zipTo(const std::string& archive, const std::vector<std::string>& files) {
        std::filesystem::create_directories(std::filesystem::path(archive).parent_path());
        engine.setFilesToProcess("");
        for (const auto& f : files) engine.AddFilesToProcess(f);
        engine.setZipFilename(archive);
        engine.Zip();
    }
};

TEST_F(LibzipEngineTest, EachLevelGivesItsMethodAndTheDataComesBackWhole) {
    std::string text = test::sourceText(2000);
    std::string binary = test::randomBytes(100000, 7);
    auto a = dir.write("p/Form1.frm", text);
    auto b = dir.write("p/Form1.frx", binary);
    for (int level : {0, 1, 6, 9}) {
        SCOPED_TRACE(level);
        engine.setCompressionLevel(level);
        std::string archive = dir / ("out/L" + std::to_string(level) + ".zip");
        zipTo(archive, {a, b});
        EXPECT_EQ(log.result, xerSuccess);
        auto entries = readArchive(archive);
        ASSERT_EQ(entries.size(), 2u);
        EXPECT_EQ(entries[0].name, "Form1.frm");
        EXPECT_EQ(entries[0].data, text);
        EXPECT_EQ(entries[1].data, binary);
        EXPECT_EQ(entries[0].method, level == 0 ? ZIP_CM_STORE : ZIP_CM_DEFLATE);
        EXPECT_EQ(entries[0].encryption, ZIP_EM_NONE);
        if (level > 0)
            EXPECT_LT(std::filesystem::file_size(archive), text.size() / 4 + binary.size() + 1000);
    }
}

TEST_F(LibzipEngineTest, NamesAreRelativeToTheDeepestFolderHoldingEveryFile) {
    auto vbp = dir.write("work/Sales/Sales.vbp", "Type=Exe\r\n");
    auto frm = dir.write("work/Sales/Forms/Main.frm", "VERSION 5.00\r\n");
    auto ocx = dir.write("work/Shared/Grid.ocx", "MZ");
    zipTo(target(), {vbp, frm, ocx});
    ASSERT_EQ(log.result, xerSuccess);
    auto entries = readArchive(target());
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].name, "Sales/Sales.vbp");
    EXPECT_EQ(entries[1].name, "Sales/Forms/Main.frm");
    EXPECT_EQ(entries[2].name, "Shared/Grid.ocx");

    // Files of one folder go in by their bare names.
    zipTo(target(), {frm});
    entries = readArchive(target());
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, "Main.frm");
}

// The general-purpose flag of the first central-directory record.
std::uint16_t firstCentralFlags(const std::string& archive) {
    std::ifstream f(archive, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(f)), {});
    auto pos = bytes.find(std::string("PK\x01\x02", 4));
    EXPECT_NE(pos, std::string::npos);
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[pos + 8]) |
                                      static_cast<unsigned char>(bytes[pos + 9]) << 8);
}

TEST_F(LibzipEngineTest, NonAsciiNamesAreStoredAsFlaggedUtf8) {
    auto utf8 = dir.write(
        "p/\xC3\x9C"
        "bersicht.frm",
        "x");
    zipTo(target(), {utf8});
    ASSERT_EQ(log.result, xerSuccess);
    EXPECT_EQ(readArchive(target())[0].name,
              "\xC3\x9C"
              "bersicht.frm");
    EXPECT_TRUE(firstCentralFlags(target()) & 0x0800);

    // A name from a Windows code page (not UTF-8 on disk) still ends up as readable UTF-8.
    auto latin = dir.write("q/Men\xFC.frm", "y");
    zipTo(target(), {latin});
    ASSERT_EQ(log.result, xerSuccess);
    auto entries = readArchive(target());
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, "Men\xC3\xBC.frm");
    EXPECT_EQ(entries[0].data, "y");
    EXPECT_TRUE(firstCentralFlags(target()) & 0x0800);
}

TEST_F(LibzipEngineTest, ModificationTimesAreKept) {
    auto a = dir.write("p/Module1.bas", "Attribute VB_Name = \"Module1\"\r\n");
    struct timeval times[2] = {{1591000000, 0}, {1592224496, 0}};  // mid-June 2020
    ASSERT_EQ(::utimes(a.c_str(), times), 0);
    zipTo(target(), {a});
    auto entries = readArchive(target());
    ASSERT_EQ(entries.size(), 1u);
    // Zip times have a two-second step.
    EXPECT_LE(std::abs(static_cast<long>(entries[0].mtime - 1592224496)), 2);
}

TEST_F(LibzipEngineTest, AFileListedTwiceIsStoredOnce) {
    auto a = dir.write("p/A.bas", "a");
    auto b = dir.write("p/B.bas", "b");
    std::string again = dir / "p/./sub/../A.bas";
    zipTo(target(), {a, b, a, again});
    EXPECT_EQ(log.result, xerSuccess);
    auto entries = readArchive(target());
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, "A.bas");
    EXPECT_EQ(entries[1].name, "B.bas");
    EXPECT_EQ(log.starting("pre ").size(), 2u);
}

TEST_F(LibzipEngineTest, MissingFileIsWarnedSkippedAndTheRestIsWritten) {
    auto a = dir.write("p/A.bas", "a");
    std::string missing = dir / "p/Gone.frm";
    auto b = dir.write("p/B.bas", "b");
    zipTo(target(), {a, missing, b});
    EXPECT_EQ(log.result, xerFilesSkipped);
    ASSERT_EQ(log.warnings, std::vector<std::int32_t>{xwrFileNotFound});
    EXPECT_EQ(log.warningTexts[0], "File not found: " + missing);
    EXPECT_EQ(log.starting("warning "), std::vector<std::string>{"warning " + missing + " 101"});
    auto entries = readArchive(target());
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1].name, "B.bas");
    EXPECT_EQ(engine.lastRun().entries, 2u);
    EXPECT_EQ(engine.lastRun().bytes, 2u);
    EXPECT_EQ(engine.lastRun().skipped, 1u);
    EXPECT_EQ(engine.GetErrorDescription(kResultCode, xerFilesSkipped),
              "The archive was written and verified, but files were left out: 1 of 3 files "
              "(see the warnings)");
}

TEST_F(LibzipEngineTest, RelativePathsAndFoldersAreNotFiles) {
    auto a = dir.write("p/A.bas", "a");
    std::filesystem::create_directories(dir / "p/Folder");
    zipTo(target(), {"Unknown", a, dir / "p/Folder"});
    EXPECT_EQ(log.result, xerFilesSkipped);
    EXPECT_EQ(log.warnings, (std::vector<std::int32_t>{xwrFileNotFound, xwrNotAFile}));
    EXPECT_EQ(readArchive(target()).size(), 1u);
}

TEST_F(LibzipEngineTest, AFileThatFailsWhileBeingReadIsLeftOutAndTheArchiveWrittenAgain) {
    // The kernel lists this file as a regular, readable one, but reading it fails (EIO).
    auto a = dir.write("p/A.bas", test::sourceText(50));
    zipTo(target(), {"/proc/self/mem", a});
    EXPECT_EQ(log.result, xerFilesSkipped);
    ASSERT_EQ(log.warnings, std::vector<std::int32_t>{xwrCannotReadFile});
    EXPECT_NE(log.warningTexts[0].find("/proc/self/mem ("), std::string::npos);
    auto entries = readArchive(target());
    ASSERT_EQ(entries.size(), 1u);
    // Without the failed file the common folder is the project's again.
    EXPECT_EQ(entries[0].name, "A.bas");
    EXPECT_EQ(test::folderNames(dir / "out"), std::vector<std::string>{"Backup.zip"});
}

TEST_F(LibzipEngineTest, NothingToDoLeavesThePreviousArchiveAlone) {
    std::filesystem::create_directories(dir / "out");
    dir.write("out/Backup.zip", "previous");
    zipTo(target(), {});
    EXPECT_EQ(log.result, xerNothingToDo);
    zipTo(target(), {dir / "p/missing.bas"});
    EXPECT_EQ(log.result, xerNothingToDo);
    EXPECT_EQ(log.completions, 2);
    EXPECT_EQ(engine.lastRun().entries, 0u);
    EXPECT_EQ(dir.read("out/Backup.zip"), "previous");
    EXPECT_EQ(test::folderNames(dir / "out"), std::vector<std::string>{"Backup.zip"});
}

TEST_F(LibzipEngineTest, NoArchiveNameIsAResultOfItsOwn) {
    engine.AddFilesToProcess(dir.write("p/A.bas", "a"));
    engine.Zip();
    EXPECT_EQ(log.result, xerNoArchiveName);
}

TEST_F(LibzipEngineTest, APasswordEncryptsEveryEntryWithAes256) {
    if (!LibzipEngine::aesSupported()) GTEST_SKIP() << "libzip without AES";
    auto a = dir.write("p/A.bas", test::sourceText(100));
    auto b = dir.write("p/B.frx", test::randomBytes(5000, 3));
    engine.setEncryptionPassword("s3cret w0rd");
    EXPECT_TRUE(engine.hasEncryptionPassword());
    zipTo(target(), {a, b});
    ASSERT_EQ(log.result, xerSuccess);
    auto entries = readArchive(target(), "s3cret w0rd");
    ASSERT_EQ(entries.size(), 2u);
    for (const auto& e : entries) EXPECT_EQ(e.encryption, ZIP_EM_AES_256) << e.name;
    EXPECT_EQ(entries[1].data, test::randomBytes(5000, 3));

    EXPECT_TRUE(CheckArchive(target(), "s3cret w0rd").ok());
    auto wrong = CheckArchive(target(), "s3cret w0rd!");
    EXPECT_FALSE(wrong.ok());
    EXPECT_EQ(wrong.problems().size(), 2u);
    auto none = CheckArchive(target(), "");
    ASSERT_FALSE(none.ok());
    EXPECT_NE(none.problems()[0].find("no password"), std::string::npos);

    // The password goes with the run that sets it: cleared, the next archive is open.
    engine.setEncryptionPassword("");
    EXPECT_FALSE(engine.hasEncryptionPassword());
    zipTo(target(), {a});
    EXPECT_EQ(readArchive(target())[0].encryption, ZIP_EM_NONE);
}

TEST_F(LibzipEngineTest, ProgressFollowsBytesOncePerWholePercent) {
    auto small = dir.write("p/Small.bas", "x");
    auto big = dir.write("p/Big.frx", test::randomBytes(3 * 1024 * 1024, 11));
    zipTo(target(), {small, big});
    ASSERT_EQ(log.result, xerSuccess);

    auto pre = log.starting("pre ");
    EXPECT_EQ(pre, (std::vector<std::string>{"pre " + small, "pre " + big}));

    // Per file: strictly rising whole percents from 0 to 100.
    for (const auto& f : {small, big}) {
        std::vector<int> seen;
        for (const auto& l : log.starting("file " + f + " "))
            seen.push_back(std::stoi(l.substr(l.rfind(' ') + 1)));
        ASSERT_FALSE(seen.empty());
        EXPECT_EQ(seen.front(), 0);
        EXPECT_EQ(seen.back(), 100);
        EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()) &&
                    std::adjacent_find(seen.begin(), seen.end()) == seen.end());
    }
    EXPECT_GT(log.starting("file " + big + " ").size(), 50u);

    // Overall: by bytes, so the one-byte file barely moves it.
    std::vector<int> global;
    int globalWhenSmallDone = -1;
    for (const auto& l : log.lines) {
        if (l.rfind("global ", 0) == 0) global.push_back(std::stoi(l.substr(7)));
        if (l == "file " + small + " 100")
            globalWhenSmallDone = global.empty() ? -1 : global.back();
    }
    EXPECT_EQ(globalWhenSmallDone, 0);
    ASSERT_FALSE(global.empty());
    EXPECT_EQ(global.back(), 100);
    EXPECT_TRUE(std::adjacent_find(global.begin(), global.end(),
                                   [](int x, int y) { return y <= x; }) == global.end());
    // Completion comes last.
    EXPECT_EQ(log.lines.back(), "done 0");
}

TEST_F(LibzipEngineTest, AMissingTargetFolderWritesNothing) {
    auto a = dir.write("p/A.bas", "a");
    engine.AddFilesToProcess(a);
    engine.setZipFilename(dir / "nowhere/Backup.zip");
    engine.Zip();
    EXPECT_EQ(log.result, xerCannotCreateArchive);
    EXPECT_NE(engine.GetErrorDescription(kResultCode, xerCannotCreateArchive)
                  .find("The archive could not be written: "),
              std::string::npos);
    EXPECT_FALSE(dir.exists("nowhere"));
}

TEST_F(LibzipEngineTest, AnArchiveNameThatIsNoFullPathIsRefused) {
    engine.AddFilesToProcess(dir.write("p/A.bas", "a"));
    engine.setZipFilename("D:\\Backup\\A.zip");
    engine.Zip();
    EXPECT_EQ(log.result, xerCannotCreateArchive);
    EXPECT_EQ(engine.GetErrorDescription(kResultCode, xerCannotCreateArchive),
              "The archive could not be written: not a full path: D:\\Backup\\A.zip. Any "
              "previous archive is unchanged.");
    EXPECT_FALSE(std::filesystem::exists("D:\\Backup\\A.zip"));
}

TEST_F(LibzipEngineTest, AnArchiveThatFailsItsCheckNeverReplacesTheOldOne) {
    std::filesystem::create_directories(dir / "out");
    dir.write("out/Backup.zip", "previous");
    auto a = dir.write("p/A.frx", test::randomBytes(20000, 5));
    engine.setCompressionLevel(0);
    std::string written;
    engine.afterWrite = [&](const std::string& tmp) {
        written = tmp;
        // Flip one byte in the middle of the stored data.
        std::fstream f(tmp, std::ios::in | std::ios::out | std::ios::binary);
        f.seekg(10000);
        char c;
        f.get(c);
        f.seekp(10000);
        f.put(static_cast<char>(c ^ 0x40));
    };
    zipTo(target(), {a});
    EXPECT_EQ(log.result, xerVerifyFailed);
    EXPECT_EQ(std::filesystem::path(written).parent_path(), dir.path() / "out");
    EXPECT_EQ(dir.read("out/Backup.zip"), "previous");
    EXPECT_EQ(test::folderNames(dir / "out"), std::vector<std::string>{"Backup.zip"});
    EXPECT_NE(engine.GetErrorDescription(kResultCode, xerVerifyFailed).find("A.frx: "),
              std::string::npos);
}

TEST_F(LibzipEngineTest, AFullDiskLeavesTheOldArchiveAndNoTemporaryFile) {
    std::filesystem::create_directories(dir / "out");
    dir.write("out/Backup.zip", "previous");
    auto a = dir.write("p/A.frx", test::randomBytes(2 * 1024 * 1024, 9));
    // A file-size limit makes writes past 256 KiB fail the way a full disk does.
    struct rlimit old;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 256 * 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    zipTo(target(), {a});
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(log.result, xerCannotCreateArchive);
    EXPECT_EQ(dir.read("out/Backup.zip"), "previous");
    EXPECT_EQ(test::folderNames(dir / "out"), std::vector<std::string>{"Backup.zip"});
}

TEST_F(LibzipEngineTest, ATargetThatCannotBeReplacedIsKeptAndTheTemporaryFileRemoved) {
    std::filesystem::create_directories(dir / "out/Backup.zip");  // a folder in the way
    zipTo(target(), {dir.write("p/A.bas", "a")});
    EXPECT_EQ(log.result, xerCannotReplace);
    EXPECT_TRUE(std::filesystem::is_directory(target()));
    EXPECT_EQ(test::folderNames(dir / "out"), std::vector<std::string>{"Backup.zip"});
}

TEST_F(LibzipEngineTest, TheNewArchiveKeepsTheOldOnesPermissions) {
    std::filesystem::create_directories(dir / "out");
    dir.write("out/Backup.zip", "previous");
    ::chmod(target().c_str(), 0640);
    zipTo(target(), {dir.write("p/A.bas", "a")});
    ASSERT_EQ(log.result, xerSuccess);
    struct stat st;
    ASSERT_EQ(::stat(target().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(LibzipEngineTest, AnAbortStopsTheRunAndKeepsTheOldArchive) {
    std::filesystem::create_directories(dir / "out");
    dir.write("out/Backup.zip", "previous");
    auto a = dir.write("p/A.frx", test::randomBytes(1024 * 1024, 2));
    engine.events.FileStatus = [&](const std::string&, std::int16_t percent) {
        if (percent >= 10) engine.requestAbort();
    };
    zipTo(target(), {a});
    EXPECT_EQ(log.result, xerUserAbort);
    EXPECT_EQ(dir.read("out/Backup.zip"), "previous");
    EXPECT_EQ(test::folderNames(dir / "out"), std::vector<std::string>{"Backup.zip"});
}

TEST_F(LibzipEngineTest, ZipCannotBeStartedFromInsideItsOwnRun) {
    auto a = dir.write("p/A.bas", "a");
    bool threw = false;
    engine.events.GlobalStatus = [&](std::int16_t) {
        try {
            engine.Zip();
        } catch (const PlatformError&) {
            threw = true;
        }
    };
    zipTo(target(), {a});
    EXPECT_TRUE(threw);
    EXPECT_EQ(log.completions, 1);
    EXPECT_EQ(log.result, xerSuccess);
}

TEST_F(LibzipEngineTest, HandlersThatThrowDoNotSpoilTheArchive) {
    auto a = dir.write("p/A.bas", test::sourceText(100));
    engine.events.FileStatus = [](const std::string&, std::int16_t) {
        throw std::runtime_error("view gone");
    };
    zipTo(target(), {a});
    EXPECT_EQ(log.result, xerSuccess);
    EXPECT_EQ(readArchive(target())[0].data, test::sourceText(100));
}

TEST_F(LibzipEngineTest, SettingsAndTheirLimits) {
    engine.AddFilesToProcess("/a");
    engine.setFilesToProcess("/b\r\n/c\n");
    EXPECT_EQ(engine.filesToProcess(), (std::vector<std::string>{"/b", "/c"}));
    engine.setFilesToProcess("");
    EXPECT_TRUE(engine.filesToProcess().empty());
    EXPECT_THROW(engine.setCompressionLevel(10), PlatformError);
    EXPECT_THROW(engine.setCompressionLevel(-1), PlatformError);
    EXPECT_EQ(engine.CompressionLevel(), 6);
    engine.setCompressionLevel(9);
    EXPECT_EQ(engine.CompressionLevel(), 9);
}

TEST_F(LibzipEngineTest, EveryCodeHasItsOwnText) {
    std::set<std::string> texts;
    for (std::int32_t code = xerSuccess; code <= xerUserAbort; ++code) {
        std::string t = engine.GetErrorDescription(kResultCode, code);
        EXPECT_EQ(t.find("Unknown"), std::string::npos) << code;
        texts.insert(t);
    }
    for (std::int32_t code : {xwrFileNotFound, xwrCannotReadFile, xwrDuplicateEntry, xwrNotAFile}) {
        std::string t = engine.GetErrorDescription(kWarningCode, code);
        EXPECT_EQ(t.find("Unknown"), std::string::npos) << code;
        texts.insert(t);
    }
    EXPECT_EQ(texts.size(), 13u);
    // Without a run behind them the texts are the plain ones.
    EXPECT_EQ(engine.GetErrorDescription(kWarningCode, xwrFileNotFound),
              LibzipEngine::describe(kWarningCode, xwrFileNotFound));
    EXPECT_EQ(LibzipEngine::describe(kResultCode, xerVerifyFailed),
              "The new archive failed its check. Any previous archive is unchanged.");
    EXPECT_EQ(engine.GetErrorDescription(kResultCode, 77), "Unknown result code 77");
    EXPECT_EQ(engine.GetErrorDescription(kWarningCode, 1), "Unknown warning code 1");
    // Result and warning codes are separate tables.
    EXPECT_EQ(engine.GetErrorDescription(kWarningCode, xerVerifyFailed), "Unknown warning code 4");
}

TEST_F(LibzipEngineTest, PlanShowsWhatARunWouldWriteWithoutWriting) {
    auto a = dir.write("p/src/A.bas", "abc");
    engine.AddFilesToProcess(a);
    engine.AddFilesToProcess(dir / "p/none.bas");
    engine.setZipFilename(target());
    ZipPlan p = engine.plan();
    ASSERT_EQ(p.files.size(), 1u);
    EXPECT_EQ(p.files[0].entryName, "A.bas");
    EXPECT_EQ(p.files[0].size, 3u);
    ASSERT_EQ(p.skipped.size(), 1u);
    EXPECT_EQ(p.skipped[0].warningCode, xwrFileNotFound);
    EXPECT_TRUE(log.lines.empty());
    EXPECT_FALSE(dir.exists("out"));
}

}  // namespace
}  // namespace arkstash::archive
