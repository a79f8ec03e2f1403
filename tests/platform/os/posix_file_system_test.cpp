#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "platform/error.h"
#include "platform/os/file_system.h"
#include "support/unprivileged.h"
#include "support/temp_dir.h"

using namespace arkstash;
using namespace arkstash::os;
using arkstash::test::TempDir;

namespace {

// Runs `action` in a child process and answers its exit status (or -1 when it did not exit).
// The child may lower its own rights or limits without touching the test's process.
int inChild(const std::function<int()>& action) {
    pid_t pid = ::fork();
    if (pid == 0) ::_exit(action());
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Entries of a folder whose names start with `prefix` (temporary files of a replace).
int countStartingWith(const std::string& folder, const std::string& prefix) {
    int n = 0;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        if (e.path().filename().string().rfind(prefix, 0) == 0) ++n;
    return n;
}

void setTimes(const std::string& path, std::int64_t seconds) {
    struct timespec times[2] = {{static_cast<time_t>(seconds), 0},
                                {static_cast<time_t>(seconds), 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

class PosixFs : public ::testing::Test {
  protected:
    TempDir dir;
    PosixFileSystem fs;
};

}  // namespace

TEST_F(PosixFs, FindFirstMatchesFilesOnly) {
    std::string file = dir.write("Main.bas", "12345");
    auto info = fs.findFirst(file, false);
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->path, file);
    EXPECT_EQ(info->size, 5u);
    EXPECT_FALSE(info->hidden);
    EXPECT_FALSE(fs.findFirst(dir / "Other.bas", true).has_value());
    EXPECT_FALSE(fs.findFirst(dir / "main.bas", true).has_value());  // this file system has case
    std::filesystem::create_directory(dir / "Folder");
    EXPECT_FALSE(fs.findFirst(dir / "Folder", true).has_value());
    EXPECT_FALSE(fs.findFirst(dir.str(), true).has_value());
    EXPECT_FALSE(fs.findFirst("", true).has_value());
    EXPECT_THROW(fs.findFirst(std::string("a\0b", 3), true), PlatformError);
}

TEST_F(PosixFs, ALeadingDotIsNoHiddenAttribute) {
    std::string dotted = dir.write(".memo.aks", "x");
    auto info = fs.findFirst(dotted, false);
    ASSERT_TRUE(info.has_value());
    EXPECT_FALSE(info->hidden);
    EXPECT_EQ(fs.findFirst(dir / "*.aks", false)->path, dotted);
}

TEST_F(PosixFs, StatusOfTellsEveryKindOfEntry) {
    std::string file = dir.write("a.bas", "12345");
    std::string fifo = dir / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    std::filesystem::create_symlink("loop", dir / "loop");
    struct Case {
        std::string path;
        EntryType type;
        std::uint64_t size;
    };
    const Case cases[] = {
        {file, EntryType::File, 5},
        {dir.str(), EntryType::Folder, 0},
        {fifo, EntryType::Other, 0},
        {"/dev/null", EntryType::Other, 0},
        {dir / "none", EntryType::None, 0},
        {file + "/below", EntryType::None, 0},
        {dir / "no/such/dir", EntryType::None, 0},
    };
    for (const Case& c : cases) {
        EntryStatus st = fs.statusOf(c.path);
        EXPECT_EQ(st.type, c.type) << c.path;
        EXPECT_EQ(st.size, c.size) << c.path;
    }
    EXPECT_FALSE(fs.findFirst(fifo, true).has_value());
    // A loop or an over-long name is no "nothing there": the reason is said.
    for (const std::string& bad : {dir / "loop", dir / std::string(300, 'n')}) {
        EXPECT_THROW(fs.statusOf(bad), PlatformError) << bad;
        EXPECT_THROW(fs.findFirst(bad, true), PlatformError) << bad;
    }
}

TEST_F(PosixFs, RefusedLookUpsThrowTheirReasonInsteadOfFindingNothing) {
    std::string file = dir.write("locked/a.bas", "x");
    std::filesystem::permissions(
        dir.path(), std::filesystem::perms::owner_all | std::filesystem::perms::others_exec);
    std::filesystem::permissions(dir / "locked", std::filesystem::perms::owner_all);
    auto seen = test::runUnprivileged([&] {
        std::string out;
        for (auto look : {+[](FileSystem&f, const std::string&p) { f.statusOf(p); },
                          +[](FileSystem&f, const std::string&p) { f.findFirst(p, true); }}) {
            for (const std::string& p : {file, dir / "locked/*.bas"}) {
                try {
                    look(fs, p);
                    out += "none;";
                } catch (const PlatformError& e) {
                    out += std::string(e.what()).find("Permission denied") != std::string::npos
                               ? "denied;"
                               : e.what();
                }
            }
        }
        return out;
    });
    ASSERT_TRUE(seen.has_value());
    EXPECT_EQ(*seen, "denied;denied;denied;denied;");
}

TEST_F(PosixFs, WildcardsInTheLastPartFindTheFirstFittingFile) {
    std::filesystem::create_directory(dir / "a.bas");  // a folder that fits the pattern
    dir.write("b.bas", "b");
    dir.write("c.bas", "c");
    dir.write("c.cls", "c");
    auto first = fs.findFirst(dir / "*.bas", false);
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->path, dir / "b.bas");
    EXPECT_EQ(fs.findFirst(dir / "c.?l?", false)->path, dir / "c.cls");
    EXPECT_FALSE(fs.findFirst(dir / "*.frm", true).has_value());
    EXPECT_FALSE(fs.findFirst(dir / "none/*.bas", true).has_value());
    EXPECT_THROW(fs.findFirst(dir / "*/b.bas", true), PlatformError);
}

TEST_F(PosixFs, SizesBeyondFourGigabytesAreExact) {
    std::string big = dir / "big.bin";
    int fd = ::open(big.c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    const off_t size = (5LL << 30) + 7;  // sparse: takes no room on disk
    ASSERT_EQ(::ftruncate(fd, size), 0);
    ::close(fd);
    auto info = fs.findFirst(big, false);
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->size, static_cast<std::uint64_t>(size));
    EXPECT_THROW(fs.readFile(big, 1 << 20), PlatformError);  // refused by size, not read
}

TEST_F(PosixFs, TimesAreFileTimesOfTheRightInstant) {
    std::string file = dir.write("dated.txt", "x");
    // 3 February 2001 04:05:06 UTC.
    setTimes(file, 981173106);
    auto info = fs.findFirst(file, false);
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->lastWriteTime, kUnixEpochAsFileTime + 981173106ULL * 10000000ULL);
    // Before 1970 a file time is still a plain count from 1601.
    setTimes(file, -86400);
    EXPECT_EQ(fs.findFirst(file, false)->lastWriteTime, kUnixEpochAsFileTime - 864000000000ULL);
}

TEST_F(PosixFs, CreationTimeIsTheBirthTimeWhereKept) {
    std::string file = dir.write("born.txt", "x");
    // Moving the last write far away tells the two apart where the file system keeps a birth
    // time; where it does not, creation falls back to the last write.
    setTimes(file, 1893456000);  // 2030
    struct statx sx {};
    ASSERT_EQ(::statx(AT_FDCWD, file.c_str(), 0, STATX_BTIME, &sx), 0);
    auto info = fs.findFirst(file, false);
    ASSERT_TRUE(info.has_value());
    if (sx.stx_mask & STATX_BTIME) {
        EXPECT_EQ(info->creationTime, kUnixEpochAsFileTime +
                                          static_cast<FileTime>(sx.stx_btime.tv_sec) * 10000000ULL +
                                          sx.stx_btime.tv_nsec / 100);
        EXPECT_LT(info->creationTime, info->lastWriteTime);
    } else {
        EXPECT_EQ(info->creationTime, info->lastWriteTime);
    }
}

TEST_F(PosixFs, FoldersExistAndAreCreatedOneLevelAtATime) {
    EXPECT_TRUE(fs.folderExists(dir.str()));
    EXPECT_FALSE(fs.folderExists(dir.write("file", "x")));
    EXPECT_FALSE(fs.folderExists(dir / "none"));
    EXPECT_FALSE(fs.folderExists(""));
    fs.createFolder(dir / "Backups/");
    EXPECT_TRUE(fs.folderExists(dir / "Backups"));
    EXPECT_THROW(fs.createFolder(dir / "Backups"), PlatformError);  // already there
    EXPECT_THROW(fs.createFolder(dir / "Missing/Backups"), PlatformError);
    EXPECT_FALSE(fs.folderExists(dir / "Missing"));
    EXPECT_THROW(fs.createFolder(""), PlatformError);
}

TEST_F(PosixFs, ReadFileReadsExactlyAndRefusesWhatIsNoFile) {
    std::string bytes("a\0b\r\n\xff", 6);
    std::string file = dir.write("data.bin", bytes);
    EXPECT_EQ(fs.readFile(file, UINT64_MAX), bytes);
    EXPECT_EQ(fs.readFile(file, 6), bytes);
    EXPECT_THROW(fs.readFile(file, 5), PlatformError);
    EXPECT_THROW(fs.readFile(dir.str(), UINT64_MAX), PlatformError);
    EXPECT_THROW(fs.readFile(dir / "none", UINT64_MAX), PlatformError);
}

TEST_F(PosixFs, ReadFileOfAPipeOrDeviceFailsInsteadOfWaitingOrReadingForEver) {
    std::string fifo = dir / "pipe.vbp";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    for (const std::string& path : {fifo, std::string("/dev/zero")}) {
        try {
            fs.readFile(path, UINT64_MAX);
            ADD_FAILURE() << path << " was read";
        } catch (const PlatformError& e) {
            EXPECT_NE(std::string(e.what()).find("not a regular file"), std::string::npos);
        }
    }
}

TEST_F(PosixFs, ReplaceFileWritesNewAndReplacesOldKeepingPermissions) {
    std::string target = dir / "Project.aks";
    fs.replaceFile(target, "first");
    EXPECT_EQ(dir.read("Project.aks"), "first");
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    fs.replaceFile(target, std::string("second\0", 7));
    EXPECT_EQ(dir.read("Project.aks"), std::string("second\0", 7));
    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(countStartingWith(dir.str(), "Project.aks."), 0);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST_F(PosixFs, ReplaceFileIntoAVanishedFolderFailsAndLeavesNothing) {
    std::filesystem::create_directory(dir / "gone");
    std::filesystem::remove(dir / "gone");
    EXPECT_THROW(fs.replaceFile(dir / "gone/Project.aks", "x"), PlatformError);
    EXPECT_FALSE(std::filesystem::exists(dir / "gone"));
}

TEST_F(PosixFs, ReplaceFileOverAFolderFailsAndRemovesItsTemporary) {
    std::filesystem::create_directories(dir / "Project.aks/inside");
    EXPECT_THROW(fs.replaceFile(dir / "Project.aks", "x"), PlatformError);
    EXPECT_TRUE(std::filesystem::is_directory(dir / "Project.aks/inside"));
    EXPECT_EQ(countStartingWith(dir.str(), "Project.aks."), 0);
}

TEST_F(PosixFs, ReplaceFileInAReadOnlyFolderLeavesTheOldFileWhole) {
    std::string target = dir.write("ro/Project.aks", "old memo");
    std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_all |
                                                 std::filesystem::perms::group_exec |
                                                 std::filesystem::perms::others_exec);
    std::filesystem::permissions(
        dir / "ro", std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec |
                        std::filesystem::perms::others_read | std::filesystem::perms::others_exec);
    auto refused = test::runUnprivileged([&] {
        try {
            fs.replaceFile(target, "new memo");
        } catch (const PlatformError&) {
            return std::string("refused");
        }
        return std::string("written");
    });
    std::filesystem::permissions(dir / "ro", std::filesystem::perms::owner_all);
    EXPECT_EQ(refused, "refused");
    EXPECT_EQ(dir.read("ro/Project.aks"), "old memo");
    EXPECT_EQ(countStartingWith(dir / "ro", "Project.aks."), 0);
}

TEST_F(PosixFs, ReplaceFileThatFailsMidWriteLeavesTheOldFileAndNoTemporary) {
    std::string target = dir.write("Project.aks", "old memo");
    std::string content(64 * 1024, 'n');
    int status = inChild([&] {
        // The file size limit makes the write fail part way, as a full disk would.
        ::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit {
            4096, 4096
        };
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return 2;
        try {
            fs.replaceFile(target, content);
        } catch (const PlatformError&) {
            return 0;
        }
        return 1;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(dir.read("Project.aks"), "old memo");
    EXPECT_EQ(countStartingWith(dir.str(), "Project.aks."), 0);
}

TEST_F(PosixFs, RemoveRenameAndListFolder) {
    std::string a = dir.write("b.txt", "b");
    dir.write("a.txt", "a");
    std::filesystem::create_directory(dir / "sub");
    EXPECT_EQ(fs.listFolder(dir.str()), (std::vector<std::string>{"a.txt", "b.txt", "sub"}));
    fs.renameFile(a, dir / "a.txt");  // over an existing file, in one step
    EXPECT_EQ(dir.read("a.txt"), "b");
    EXPECT_THROW(fs.renameFile(dir / "none", dir / "x"), PlatformError);
    fs.removeFile(dir / "a.txt");
    EXPECT_THROW(fs.removeFile(dir / "a.txt"), PlatformError);
    EXPECT_EQ(fs.listFolder(dir.str()), (std::vector<std::string>{"sub"}));
    EXPECT_THROW(fs.listFolder(dir / "none"), PlatformError);
}
