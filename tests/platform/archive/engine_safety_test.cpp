// What the engine does when files, folders and other runs do not behave: files that cannot be
// read or are no files, files that change while read, two runs on one archive, an archive that
// appears meanwhile, temporaries of a run that died, folders that cannot take an archive.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <mutex>

#include "platform/archive/archive_test_support.h"
#include "platform/archive/compression.h"
#include "platform/archive/libzip_engine.h"
#include "platform/archive/target_folder.h"
#include "support/temp_dir.h"

namespace arkstash::archive {
namespace {

using test::readArchive;
using test::RecordingObserver;

// The system's files, with one path made to misbehave.
class FaultyFiles : public SourceFiles {
  public:
    std::string path;
    // Called on each open of `path` (counting from 1); may change the file or fail the open.
    std::function<std::optional<FileProblem>(int opens)> onOpen;
    // Called on each read of `path`; a negative answer fails that read with that errno.
    std::function<int()> onRead;

    OpenedFile open(const std::string& p) const override {
        if (p == path && onOpen) {
            std::lock_guard lock(mutex_);
            if (auto problem = onOpen(++opens_)) return {UniqueFd(), {}, problem};
        }
        OpenedFile f = SourceFiles::open(p);
        if (f.fd) {
            // Descriptors are reused: only the ones open on `path` now count.
            std::lock_guard lock(mutex_);
            std::erase(fds_, f.fd.get());
            if (p == path) fds_.push_back(f.fd.get());
        }
        return f;
    }
    std::int64_t read(int fd, std::uint64_t offset, char* into, std::size_t size) const override {
        if (onRead) {
            std::lock_guard lock(mutex_);
            if (std::find(fds_.begin(), fds_.end(), fd) != fds_.end())
                if (int rc = onRead(); rc < 0) return rc;
        }
        return SourceFiles::read(fd, offset, into, size);
    }

  private:
    mutable std::mutex mutex_;
    mutable int opens_ = 0;
    mutable std::vector<int> fds_;
};

class EngineSafetyTest : public ::testing::Test {
  protected:
    test::TempDir dir;
    FaultyFiles files;
    LibzipEngine engine{files};
    RecordingObserver log;
    ArchiveRequest request;

    void SetUp() override { std::filesystem::create_directories(dir / "out"); }
    std::string target() const { return dir / "out/P.zip"; }
    ArchiveResult write(const std::vector<std::string>& list) {
        request.files = list;
        request.target = target();
        return engine.write(request, log);
    }
    std::vector<std::string> outFolder() const { return test::folderNames(dir / "out"); }
};

// Bigger than what is read whole, so it goes in pieces.
std::string pieceworkText() {
    return test::sourceText(CompressionPipeline::kWholeLimit / 60 + 1000);
}

TEST_F(EngineSafetyTest, OnlyRegularFilesAreReadAndNothingWaitsForAWriter) {
    std::string fifo = dir / "p/pipe.bas";
    std::filesystem::create_directories(dir / "p");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    auto a = dir.write("p/A.bas", "a");
    const std::vector<std::pair<std::string, std::string>> refused{
        {fifo, "a FIFO"},
        {"/dev/null", "a device"},
        {"/proc/self/environ", "kernel"},
        {dir / "p", "a folder"},
    };
    std::vector<std::string> list{a};
    for (const auto& [path, what] : refused) list.push_back(path);
    ArchiveResult r = write(list);
    EXPECT_EQ(r.outcome, Outcome::Incomplete);
    ASSERT_EQ(r.problems.size(), refused.size());
    for (std::size_t i = 0; i < refused.size(); ++i) {
        EXPECT_EQ(r.problems[i].path, refused[i].first);
        EXPECT_EQ(r.problems[i].kind, FileProblemKind::NotAFile);
        EXPECT_NE(r.problems[i].reason.find(refused[i].second), std::string::npos)
            << r.problems[i].reason;
    }
    ASSERT_EQ(readArchive(target()).size(), 1u);
}

TEST_F(EngineSafetyTest, AFileThatBecomesAFifoAfterItWasPlannedIsNotAFileAndDoesNotHang) {
    auto a = dir.write("p/A.bas", test::sourceText(10));
    auto b = dir.write("p/B.bas", "b");
    files.path = a;
    files.onOpen = [&](int opens) -> std::optional<FileProblem> {
        if (opens == 2) {
            std::filesystem::remove(a);
            ::mkfifo(a.c_str(), 0644);
        }
        return std::nullopt;
    };
    ArchiveResult r = write({a, b});
    EXPECT_EQ(r.outcome, Outcome::Incomplete);
    EXPECT_EQ(log.kinds(), std::vector<FileProblemKind>{FileProblemKind::NotAFile});
    auto entries = readArchive(target());
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, "B.bas");
    EXPECT_EQ(outFolder(), std::vector<std::string>{"P.zip"});
}

TEST_F(EngineSafetyTest, AReadThatFailsLeavesTheFileOutWithTheSystemsReason) {
    for (bool big : {false, true}) {
        SCOPED_TRACE(big ? "in pieces" : "whole");
        auto a = dir.write("p/A.bas", big ? pieceworkText() : test::sourceText(50));
        auto b = dir.write("q/B.bas", "b");
        files.path = a;
        files.onRead = [] { return -EIO; };
        request.replaceExisting = true;
        ArchiveResult r = write({a, b});
        EXPECT_EQ(r.outcome, Outcome::Incomplete);
        ASSERT_EQ(r.problems.size(), 1u);
        EXPECT_EQ(r.problems[0].kind, FileProblemKind::CannotRead);
        EXPECT_EQ(describe(r.problems[0]), "Cannot read " + a + ": Input/output error");
        auto entries = readArchive(target());
        ASSERT_EQ(entries.size(), 1u);
        // Without the failed file the common folder lies deeper.
        EXPECT_EQ(entries[0].name, "B.bas");
        EXPECT_EQ(outFolder(), std::vector<std::string>{"P.zip"});
    }
}

TEST_F(EngineSafetyTest, PermissionDeniedIsNotNotFound) {
    auto a = dir.write("p/A.bas", "a");
    files.path = a;
    files.onOpen = [&](int) -> std::optional<FileProblem> {
        return FileProblem{a, FileProblemKind::CannotRead, "Permission denied"};
    };
    EXPECT_EQ(write({a, dir.write("p/B.bas", "b")}).outcome, Outcome::Incomplete);
    ASSERT_EQ(log.problems.size(), 1u);
    EXPECT_EQ(describe(log.problems[0]), "Cannot read " + a + ": Permission denied");
}

TEST_F(EngineSafetyTest, AFileThatChangesWhileReadIsReadOnceMoreThenLeftOut) {
    struct Case {
        bool big;
        int changes;  // reads during which the file grows
        Outcome outcome;
    } cases[] = {
        {false, 1, Outcome::Complete},
        {false, 99, Outcome::Incomplete},
        {true, 1, Outcome::Complete},
        {true, 99, Outcome::Incomplete},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.big ? "in pieces" : "whole") + ", changes " +
                     std::to_string(c.changes));
        std::string text = c.big ? pieceworkText() : test::sourceText(100);
        auto a = dir.write("p/A.bas", text);
        auto b = dir.write("p/B.bas", "b");
        files.path = a;
        int changes = 0;
        files.onRead = [&] {
            // A line appended while the file is being read.
            if (changes < c.changes) {
                std::ofstream(a, std::ios::app) << "' edited\r\n";
                text += "' edited\r\n";
                ++changes;
            }
            return 0;
        };
        request.replaceExisting = true;
        ArchiveResult r = write({a, b});
        EXPECT_EQ(r.outcome, c.outcome);
        auto entries = readArchive(target());
        if (c.outcome == Outcome::Complete) {
            ASSERT_EQ(entries.size(), 2u);
            // What the second read saw, whole and consistent.
            EXPECT_TRUE(entries[0].data == text);
        } else {
            ASSERT_EQ(r.problems.size(), 1u);
            EXPECT_EQ(r.problems[0].kind, FileProblemKind::ChangedWhileRead);
            EXPECT_EQ(describe(r.problems[0]),
                      a + " changed while being read and is not in the archive");
            ASSERT_EQ(entries.size(), 1u);
            EXPECT_EQ(entries[0].name, "B.bas");
        }
        files.onRead = nullptr;
    }
}

TEST_F(EngineSafetyTest, AnIncompleteRunNeverReplacesTheLastCompleteArchive) {
    dir.write("out/P.zip", "last complete");
    request.incompleteTarget = dir / "out/P.incomplete.zip";
    request.replaceExisting = true;
    auto a = dir.write("p/A.bas", "a");
    ArchiveResult r = write({a, dir / "p/Gone.bas"});
    EXPECT_EQ(r.outcome, Outcome::Incomplete);
    EXPECT_EQ(r.writtenTo, request.incompleteTarget);
    EXPECT_EQ(dir.read("out/P.zip"), "last complete");
    EXPECT_EQ(readArchive(request.incompleteTarget).size(), 1u);

    // The next complete run replaces the archive and removes the stale incomplete one.
    r = write({a});
    EXPECT_EQ(r.outcome, Outcome::Complete);
    EXPECT_EQ(r.writtenTo, target());
    EXPECT_EQ(outFolder(), std::vector<std::string>{"P.zip"});
}

TEST_F(EngineSafetyTest, ASecondRunOnTheSameArchiveEndsAtOnceAsBusy) {
    auto a = dir.write("p/A.bas", test::sourceText(100));
    struct StartsAnother : RecordingObserver {
        ArchiveRequest request;
        std::vector<ArchiveResult> others;
        void overallProgress(int) override {
            LibzipEngine second;
            ArchiveObserver quiet;
            if (others.empty()) others.push_back(second.write(request, quiet));
        }
    } observer;
    request = {.files = {a}, .target = target()};
    observer.request = request;
    EXPECT_EQ(engine.write(request, observer).outcome, Outcome::Complete);
    ASSERT_EQ(observer.others.size(), 1u);
    EXPECT_EQ(observer.others[0].outcome, Outcome::TargetBusy);
    EXPECT_EQ(outFolder(), std::vector<std::string>{"P.zip"});
}

TEST_F(EngineSafetyTest, AnArchiveThatAppearsMeanwhileIsReplacedOnlyWhenTheObserverAgrees) {
    auto a = dir.write("p/A.bas", "a");
    for (bool agree : {false, true}) {
        SCOPED_TRACE(agree);
        std::filesystem::remove(target());
        struct Racing : RecordingObserver {
            std::string target;
            void checking(int percent) override {
                if (percent == 0) std::ofstream(target) << "other run";
            }
        } racing;
        racing.target = target();
        racing.answerReplace = agree;
        request = {.files = {a}, .target = target()};
        ArchiveResult r = engine.write(request, racing);
        EXPECT_EQ(racing.replaceQuestions, std::vector<std::string>{target()});
        EXPECT_EQ(r.outcome, agree ? Outcome::Complete : Outcome::TargetTaken);
        EXPECT_EQ(dir.read("out/P.zip") == "other run", !agree);
        EXPECT_EQ(outFolder(), std::vector<std::string>{"P.zip"});
    }
}

TEST_F(EngineSafetyTest, TheLinkFallbackNeverReplacesEither) {
    auto from = dir.write("out/new", "new");
    int err = 0;
    dir.write("out/taken", "kept");
    EXPECT_EQ(linkWithoutReplacing(from, dir / "out/taken", err), Placement::Taken);
    EXPECT_EQ(dir.read("out/taken"), "kept");
    EXPECT_EQ(linkWithoutReplacing(from, dir / "out/free", err), Placement::Placed);
    EXPECT_EQ(dir.read("out/free"), "new");
    EXPECT_FALSE(dir.exists("out/new"));
}

TEST_F(EngineSafetyTest, StaleTemporariesOfThisArchiveGoUnlessALiveProcessHoldsThem) {
    const std::string stem = dir / ("out/.arkstash-" + targetKey(target()) + "-");
    auto stale = dir.write("out/.arkstash-" + targetKey(target()) + "-00000000000000aa.tmp", "x");
    auto held = dir.write("out/.arkstash-" + targetKey(target()) + "-00000000000000bb.tmp", "y");
    auto otherArchive =
        dir.write("out/.arkstash-" + targetKey(dir / "out/Q.zip") + "-00000000000000cc.tmp", "z");
    UniqueFd holder(::open(held.c_str(), O_RDONLY));
    ASSERT_EQ(::flock(holder.get(), LOCK_EX), 0);
    EXPECT_EQ(write({dir.write("p/A.bas", "a")}).outcome, Outcome::Complete);
    EXPECT_FALSE(std::filesystem::exists(stale));
    EXPECT_TRUE(std::filesystem::exists(held));
    EXPECT_TRUE(std::filesystem::exists(otherArchive));
    EXPECT_EQ(stem.size() - (dir / "out/").size(), 27u);  // short whatever the archive's name
}

TEST_F(EngineSafetyTest, AFolderThatCannotTakeTheArchiveFailsAtOnceNamingItAndWhy) {
    auto a = dir.write("p/A.bas", "a");
    auto file = dir.write("out/file", "x");
    std::filesystem::create_symlink(dir / "out/loop", dir / "out/loop");
    const std::string longName(251, 'n');
    struct Case {
        std::string target;
        Outcome outcome;
        std::string detail;
    } cases[] = {
        {file + "/P.zip", Outcome::CannotCreate, file + ": Not a directory"},
        {dir / "out/loop/P.zip", Outcome::CannotCreate,
         dir / "out/loop: Too many levels of symbolic links"},
        {dir / "none/P.zip", Outcome::CannotCreate, dir / "none: No such file or directory"},
        // The longest name the folder takes leaves room for the temporary file's.
        {dir / ("out/" + longName + ".zip"), Outcome::Complete, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target);
        request = {.files = {a}, .target = c.target};
        ArchiveResult r = engine.write(request, log);
        EXPECT_EQ(r.outcome, c.outcome);
        EXPECT_EQ(r.detail, c.detail);
    }
}

}  // namespace
}  // namespace arkstash::archive
