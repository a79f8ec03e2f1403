#include <gtest/gtest.h>

#include "backup/backup_plan.h"
#include "backup/backup_target.h"

using namespace arkstash;

TEST(BackupTarget, ArchiveNamesFollowTheProjectFile) {
    os::DateTime t{2026, 12, 5, 7, 9, 56, 6};
    struct Case {
        const char* project;
        bool dated;
        const char* name;
    } cases[] = {
        {"D:\\Work\\Sales\\Sales.vbp", true, "Sales_12-05-2026_070956.zip"},
        {"D:\\Work\\Sales\\Sales.vbp", false, "Sales.zip"},
        {"/home/me/Grüße.vbp", false, "Grüße.zip"},
        {"", false, "project1.zip"},  // never saved
        {"a.b", false, "a.b.zip"},     // too short to have an extension to drop
    };
    for (const auto& c : cases)
        EXPECT_EQ(backup::archiveNameFor(c.project, c.dated ? std::optional(t) : std::nullopt),
                  c.name)
            << c.project;
}

TEST(BackupTarget, NineCharactersMayNotBeInANameAndLevelsMatchExactly) {
    for (char c : std::string("\\/:*?\"<>|")) EXPECT_TRUE(backup::hasForbiddenCharacter(std::string("a") + c));
    EXPECT_FALSE(backup::hasForbiddenCharacter("Sales v1.2 (final).zip"));
    EXPECT_EQ(std::string(backup::kForbiddenCharactersMessage),
              "Characters \\/:*?\"<>| are not allowed in filename");
    EXPECT_EQ(backup::compressionLevelOf("No Compression"), 0);
    EXPECT_EQ(backup::compressionLevelOf("Maximum"), 9);
    EXPECT_FALSE(backup::compressionLevelOf("maximum"));
}

TEST(BackupPlan, TickedRowsThenTickedReferencesWhenTheyAreWanted) {
    projectview::FileRow kept, unticked;
    kept.path = "/p/a.bas";
    unticked.path = "/p/b.bas";
    unticked.checked = false;
    backup::ReferenceRow found, unknown, untickedReference;
    found.file = "/lib/x.tlb";
    found.checked = unknown.checked = true;
    untickedReference.file = "/lib/y.tlb";
    auto files = backup::filesToBackUp({kept, unticked}, {found, unknown, untickedReference}, true);
    // "Unknown" goes to the engine as it is; the engine reports it as not found.
    EXPECT_EQ(files, (std::vector<std::string>{"/p/a.bas", "/lib/x.tlb", "Unknown"}));
    EXPECT_EQ(backup::filesToBackUp({kept}, {found}, false), std::vector<std::string>{"/p/a.bas"});
    EXPECT_EQ(backup::incompleteArchivePath("/b/Sales.zip"), "/b/Sales.incomplete.zip");
    EXPECT_EQ(backup::incompleteArchivePath("/b/Sales.ZIP"), "/b/Sales.incomplete.zip");
}
