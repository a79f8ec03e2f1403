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
#include "platform/archive/compression.h"
#include "support/temp_dir.h"

namespace arkstash::archive {
namespace {

using test::readArchive;
using test::RecordingObserver;
using test::TempDir;

class LibzipEngineTest : public ::testing::Test {
  protected:
    TempDir dir;
    LibzipEngine engine;
    RecordingObserver log;
    ArchiveRequest request;

    std::string target() const { return dir / "out/Backup.zip"; }
    ArchiveResult zipTo(const std::string& archive, const std::vector<std::string>& files) {
        std::filesystem::create_directories(std::filesystem::path(archive).parent_path());
        request.files = files;
        request.target = archive;
        return engine.write(request, log);
    }
    std::vector<std::string> outFolder() const { return test::folderNames(dir / "out"); }
};

TEST_F(LibzipEngineTest, EachLevelGivesItsMethodAndTheDataComesBackWhole) {
    std::string text = test::sourceText(2000);
    std::string binary = test::randomBytes(100000, 7);
    auto a = dir.write("p/Form1.frm", text);
    auto b = dir.write("p/Form1.frx", binary);
    for (int level : {0, 1, 6, 9}) {
        SCOPED_TRACE(level);
        request.level = level;
        std::string archive = dir / ("out/L" + std::to_string(level) + ".zip");
        ArchiveResult r = zipTo(archive, {a, b});
        EXPECT_EQ(r.outcome, Outcome::Complete);
        EXPECT_EQ(r.writtenTo, archive);
        EXPECT_EQ(r.entries, 2u);
        EXPECT_EQ(r.bytes, text.size() + binary.size());
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

TEST_F(LibzipEngineTest, TheArchiveIsTheSameWhateverTheNumberOfThreads) {
    // Small files read whole, and one big enough to be deflated in pieces on several threads.
    std::vector<std::string> files;
    for (int i = 0; i < 12; ++i)
        files.push_back(dir.write("p/M" + std::to_string(i) + ".bas", test::sourceText(300 * i)));
    std::string big = test::sourceText(CompressionPipeline::kWholeLimit / 50) +
                      test::randomBytes(3 * CompressionPipeline::kChunk / 2, 4);
    files.push_back(dir.write("p/Big.res", big));
    request.replaceExisting = true;
    for (int level : {0, 6}) {
        SCOPED_TRACE(level);
        request.level = level;
        std::vector<std::string> archives;
        for (unsigned jobs : {1u, 4u}) {
            request.jobs = jobs;
            archives.push_back(dir / ("out/J" + std::to_string(jobs) + ".zip"));
            ASSERT_EQ(zipTo(archives.back(), files).outcome, Outcome::Complete);
        }
        EXPECT_TRUE(dir.read("out/J1.zip") == dir.read("out/J4.zip"));
        auto entries = readArchive(archives[1]);
        ASSERT_EQ(entries.size(), files.size());
        EXPECT_TRUE(entries.back().data == big);
        EXPECT_EQ(entries[5].data, test::sourceText(1500));
    }
}

TEST_F(LibzipEngineTest, NamesAreRelativeToTheDeepestFolderHoldingEveryFile) {
    auto vbp = dir.write("work/Sales/Sales.vbp", "Type=Exe\r\n");
    auto frm = dir.write("work/Sales/Forms/Main.frm", "VERSION 5.00\r\n");
    auto ocx = dir.write("work/Shared/Grid.ocx", "MZ");
    ASSERT_EQ(zipTo(target(), {vbp, frm, ocx}).outcome, Outcome::Complete);
    auto entries = readArchive(target());
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].name, "Sales/Sales.vbp");
    EXPECT_EQ(entries[1].name, "Sales/Forms/Main.frm");
    EXPECT_EQ(entries[2].name, "Shared/Grid.ocx");

    // Files of one folder go in by their bare names.
    request.replaceExisting = true;
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
    // UTF-8 on disk as it is; a name from a Windows code page still ends up as readable UTF-8.
    const std::pair<std::string, std::string> cases[] = {
        {"p/\xC3\x9C"
         "bersicht.frm",
         "\xC3\x9C"
         "bersicht.frm"},
        {"q/Men\xFC.frm", "Men\xC3\xBC.frm"},
    };
    request.replaceExisting = true;
    for (const auto& [onDisk, entryName] : cases) {
        ASSERT_EQ(zipTo(target(), {dir.write(onDisk, "x")}).outcome, Outcome::Complete);
        auto entries = readArchive(target());
        ASSERT_EQ(entries.size(), 1u);
        EXPECT_EQ(entries[0].name, entryName);
        EXPECT_EQ(entries[0].data, "x");
        EXPECT_TRUE(firstCentralFlags(target()) & 0x0800);
    }
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
    EXPECT_EQ(zipTo(target(), {a, b, a, again}).outcome, Outcome::Complete);
    auto entries = readArchive(target());
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, "A.bas");
    EXPECT_EQ(entries[1].name, "B.bas");
    EXPECT_EQ(log.starting("pre ").size(), 2u);
}

TEST_F(LibzipEngineTest, FilesThatCannotBeArchivedAreReportedAndTheRestWritten) {
    auto a = dir.write("p/A.bas", "a");
    std::string missing = dir / "p/Gone.frm";
    std::filesystem::create_directories(dir / "p/Folder");
    auto b = dir.write("p/B.bas", "b");
    ArchiveResult r = zipTo(target(), {a, missing, "Unknown", dir / "p/Folder", b});
    EXPECT_EQ(r.outcome, Outcome::Incomplete);
    const std::vector<FileProblemKind> kinds{FileProblemKind::NotFound, FileProblemKind::NotFound,
                                             FileProblemKind::NotAFile};
    EXPECT_EQ(log.kinds(), kinds);
    ASSERT_EQ(r.problems.size(), 3u);
    EXPECT_EQ(r.problems[0].path, missing);
    EXPECT_EQ(describe(r.problems[0]), "File not found: " + missing);
    auto entries = readArchive(target());
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1].name, "B.bas");
    EXPECT_EQ(r.entries, 2u);
    EXPECT_EQ(r.bytes, 2u);
}

TEST_F(LibzipEngineTest, RequestsThatCannotBeWrittenLeaveThePreviousArchiveAlone) {
    std::filesystem::create_directories(dir / "out");
    dir.write("out/Backup.zip", "previous");
    auto a = dir.write("p/A.bas", "a");
    struct Case {
        std::vector<std::string> files;
        std::string target;
        int level;
        Outcome outcome;
    } cases[] = {
        {{}, target(), 6, Outcome::NothingToDo},
        {{dir / "p/missing.bas"}, target(), 6, Outcome::NothingToDo},
        {{a}, "", 6, Outcome::NoArchiveName},
        {{a}, "D:\\Backup\\A.zip", 6, Outcome::CannotCreate},
        {{a}, dir / "nowhere/Backup.zip", 6, Outcome::CannotCreate},
        {{a}, target(), 10, Outcome::CannotCreate},
        {{a}, target(), -1, Outcome::CannotCreate},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target + " level " + std::to_string(c.level));
        request.level = c.level;
        request.files = c.files;
        request.target = c.target;
        ArchiveResult r = engine.write(request, log);
        EXPECT_EQ(r.outcome, c.outcome);
        EXPECT_TRUE(r.writtenTo.empty());
        EXPECT_EQ(r.entries, 0u);
    }
    EXPECT_EQ(dir.read("out/Backup.zip"), "previous");
    EXPECT_EQ(outFolder(), std::vector<std::string>{"Backup.zip"});
    EXPECT_FALSE(dir.exists("nowhere"));
    EXPECT_FALSE(std::filesystem::exists("D:\\Backup\\A.zip"));
}

TEST_F(LibzipEngineTest, APasswordEncryptsEveryEntryWithAes256) {
    if (!LibzipEngine::aesSupported()) GTEST_SKIP() << "libzip without AES";
    auto a = dir.write("p/A.bas", test::sourceText(100));
    auto b = dir.write("p/B.frx", test::randomBytes(5000, 3));
    request.password = "s3cret w0rd";
    ASSERT_EQ(zipTo(target(), {a, b}).outcome, Outcome::Complete);
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
}

TEST_F(LibzipEngineTest, ProgressFollowsBytesOncePerWholePercent) {
    auto small = dir.write("p/Small.bas", "x");
    auto big = dir.write("p/Big.frx", test::randomBytes(3 * 1024 * 1024, 11));
    ASSERT_EQ(zipTo(target(), {small, big}).outcome, Outcome::Complete);

    EXPECT_EQ(log.starting("pre "), (std::vector<std::string>{"pre " + small, "pre " + big}));
    auto percents = [&](const std::string& prefix) {
        std::vector<int> seen;
        for (const auto& l : log.starting(prefix))
            seen.push_back(std::stoi(l.substr(l.rfind(' ') + 1)));
        return seen;
    };
    // Per file, overall and for the check: strictly rising whole percents up to 100.
    for (const std::string& prefix : {"file " + small + " ", "file " + big + " ",
                                      std::string("overall "), std::string("check ")}) {
        SCOPED_TRACE(prefix);
        auto seen = percents(prefix);
        ASSERT_FALSE(seen.empty());
        EXPECT_EQ(seen.back(), 100);
        EXPECT_TRUE(std::adjacent_find(seen.begin(), seen.end(),
                                       [](int x, int y) { return y <= x; }) == seen.end());
    }
    EXPECT_EQ(percents("file " + small + " ").front(), 0);
    EXPECT_GT(percents("file " + big + " ").size(), 50u);

    // Overall goes by bytes, so the one-byte file barely moves it.
    int overallWhenSmallDone = -1;
    for (const auto& l : log.lines) {
        if (l.rfind("overall ", 0) == 0) overallWhenSmallDone = std::stoi(l.substr(8));
        if (l == "file " + small + " 100") break;
    }
    EXPECT_EQ(overallWhenSmallDone, 0);
    // The check comes after the writing.
    EXPECT_EQ(log.lines.back(), "check 100");
}

// The temporary archive beside the target, while the run is checking it.
std::string temporaryIn(const std::filesystem::path& folder) {
    for (const auto& e : std::filesystem::directory_iterator(folder))
        if (e.path().extension() == ".tmp") return e.path().string();
    return {};
}

TEST_F(LibzipEngineTest, AnArchiveThatFailsItsCheckNeverReplacesTheOldOne) {
    std::filesystem::create_directories(dir / "out");
    dir.write("out/Backup.zip", "previous");
    auto a = dir.write("p/A.frx", test::randomBytes(20000, 5));
    request.level = 0;
    request.replaceExisting = true;
    // The check starts once the temporary archive is complete: flip a byte of its stored data.
    struct Damaging : RecordingObserver {
        std::string folder;
        void checking(int percent) override {
            if (percent != 0) return;
            std::fstream f(temporaryIn(folder), std::ios::in | std::ios::out | std::ios::binary);
            f.seekg(10000);
            char c;
            f.get(c);
            f.seekp(10000);
            f.put(static_cast<char>(c ^ 0x40));
        }
    } damaging;
    damaging.folder = dir / "out";
    request.files = {a};
    request.target = target();
    ArchiveResult r = engine.write(request, damaging);
    EXPECT_EQ(r.outcome, Outcome::VerifyFailed);
    EXPECT_NE(r.detail.find("A.frx: "), std::string::npos) << r.detail;
    EXPECT_EQ(dir.read("out/Backup.zip"), "previous");
    EXPECT_EQ(outFolder(), std::vector<std::string>{"Backup.zip"});
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
    request.replaceExisting = true;
    ArchiveResult r = zipTo(target(), {a});
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(r.outcome, Outcome::CannotCreate);
    EXPECT_EQ(dir.read("out/Backup.zip"), "previous");
    EXPECT_EQ(outFolder(), std::vector<std::string>{"Backup.zip"});
}

TEST_F(LibzipEngineTest, ATargetThatCannotBeReplacedIsKeptAndTheTemporaryFileRemoved) {
    std::filesystem::create_directories(dir / "out/Backup.zip");  // a folder in the way
    request.replaceExisting = true;
    EXPECT_EQ(zipTo(target(), {dir.write("p/A.bas", "a")}).outcome, Outcome::CannotReplace);
    EXPECT_TRUE(std::filesystem::is_directory(target()));
    EXPECT_EQ(outFolder(), std::vector<std::string>{"Backup.zip"});
}

TEST_F(LibzipEngineTest, TheNewArchiveKeepsTheOldOnesPermissions) {
    std::filesystem::create_directories(dir / "out");
    dir.write("out/Backup.zip", "previous");
    ::chmod(target().c_str(), 0640);
    request.replaceExisting = true;
    ASSERT_EQ(zipTo(target(), {dir.write("p/A.bas", "a")}).outcome, Outcome::Complete);
    struct stat st;
    ASSERT_EQ(::stat(target().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(LibzipEngineTest, ACancelStopsTheRunAndKeepsTheOldArchive) {
    std::filesystem::create_directories(dir / "out");
    dir.write("out/Backup.zip", "previous");
    auto a = dir.write("p/A.frx", test::randomBytes(1024 * 1024, 2));
    struct Cancelling : RecordingObserver {
        ArchiveEngine* engine = nullptr;
        void fileProgress(const std::string&, int percent) override {
            if (percent >= 10) engine->cancel();
        }
    } cancelling;
    cancelling.engine = &engine;
    request.files = {a};
    request.target = target();
    request.replaceExisting = true;
    EXPECT_EQ(engine.write(request, cancelling).outcome, Outcome::Cancelled);
    EXPECT_EQ(dir.read("out/Backup.zip"), "previous");
    EXPECT_EQ(outFolder(), std::vector<std::string>{"Backup.zip"});
}

TEST_F(LibzipEngineTest, ObserversThatThrowOrStartAnotherRunDoNotSpoilTheArchive) {
    auto a = dir.write("p/A.bas", test::sourceText(100));
    struct Meddling : RecordingObserver {
        ArchiveEngine* engine = nullptr;
        ArchiveRequest request;
        std::vector<Outcome> nested;
        void fileProgress(const std::string&, int) override {
            throw std::runtime_error("view gone");
        }
        void overallProgress(int) override {
            ArchiveObserver quiet;
            nested.push_back(engine->write(request, quiet).outcome);
        }
    } meddling;
    meddling.engine = &engine;
    meddling.request = {.files = {a}, .target = dir / "out/Other.zip"};
    request.files = {a};
    request.target = target();
    std::filesystem::create_directories(dir / "out");
    EXPECT_EQ(engine.write(request, meddling).outcome, Outcome::Complete);
    EXPECT_EQ(readArchive(target())[0].data, test::sourceText(100));
    ASSERT_FALSE(meddling.nested.empty());
    for (Outcome o : meddling.nested) EXPECT_EQ(o, Outcome::TargetBusy);
    EXPECT_FALSE(dir.exists("out/Other.zip"));
}

TEST_F(LibzipEngineTest, EveryOutcomeHasItsOwnText) {
    std::set<std::string> texts;
    for (int o = static_cast<int>(Outcome::Complete); o <= static_cast<int>(Outcome::Cancelled);
         ++o)
        texts.insert(describe(static_cast<Outcome>(o)));
    EXPECT_EQ(texts.size(), static_cast<std::size_t>(Outcome::Cancelled) + 1);
    for (const auto& t : texts) EXPECT_EQ(t.find("Unknown"), std::string::npos) << t;
}

TEST_F(LibzipEngineTest, PlanShowsWhatARunWouldWriteWithoutWriting) {
    auto a = dir.write("p/src/A.bas", "abc");
    ArchivePlan p = engine.plan({.files = {a, dir / "p/none.bas"}, .target = target()});
    EXPECT_EQ(p.folder, dir / "p/src/");
    ASSERT_EQ(p.entries.size(), 1u);
    EXPECT_EQ(p.entries[0].entryName, "A.bas");
    EXPECT_EQ(p.entries[0].size, 3u);
    EXPECT_EQ(p.totalBytes, 3u);
    ASSERT_EQ(p.problems.size(), 1u);
    EXPECT_EQ(p.problems[0].kind, FileProblemKind::NotFound);
    EXPECT_FALSE(dir.exists("out"));
}

}  // namespace
}  // namespace arkstash::archive
