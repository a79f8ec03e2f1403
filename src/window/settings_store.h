// The options the window keeps between runs, under HKEY_CURRENT_USER\Software\Arkstash\:
//   "AutoRefresh" number, default 1: rescan when a project is added to the environment
//   "AddDate"     number, default 0: date and time in the archive name
//   "CompFactor"  text, default "Normal": the compression list's text
//   "AddRef"      number, default 1: back up the referenced libraries and controls too
//   one text value per project, named by the project file's path: its backup folder
//   "AutoBackupAfterSave", "AutoBackupEvery", "AutoBackupOnClose", "KeepDated" numbers,
//   default 0, and "AutoBackupMinutes", "KeepCount" numbers, default 10: automatic backups
// and the project loader's options under ...\Software\Arkstash\Loader (see LoaderOptionsFrom).
// The desktop app and the command line share them.
#pragma once

#include <optional>
#include <string>

#include "platform/ide/loader.h"
#include "platform/registry/registry.h"

namespace arkstash::window {

// Values under HKEY_CURRENT_USER that configure the project loader:
//   "CodePage"  text, the code page of project files that are not UTF-8 ("1252", "936"...; a
//               number value works too); default "1252"
//   "Drive A" .. "Drive Z"  text, the folder a Windows drive letter stands for, e.g.
//               "Drive C" = "/home/me/.wine/drive_c"; letters without a value are not mapped
inline constexpr const char* kLoaderKey = "Software\\Arkstash\\Loader";

// When the window backs up on its own, and how many of its dated archives it keeps.
struct AutomaticBackupOptions {
    bool afterSaving = false;      // a few seconds after the project's files were written
    bool everyFewMinutes = false;  // every `minutes` while the project is open
    int minutes = 10;
    bool onClosing = false;  // when the window or the environment closes
    bool keepDated = false;  // only the newest `keepCount` dated archives stay
    int keepCount = 10;
    // What the lists offer; a stored number outside them still counts when it is positive.
    static constexpr int kMaxMinutes = 24 * 60;
    static constexpr int kMaxKept = 9999;
    bool operator==(const AutomaticBackupOptions&) const = default;
};

class SettingsStore {
  public:
    explicit SettingsStore(registry::Registry& registry) : registry_(registry) {}

    // Each read answers none when the stored value is not a number (a value someone stored as
    // text in place of a number); a missing value reads as its default.
    std::optional<bool> autoRefresh() const;
    std::optional<bool> addDate() const;
    std::optional<bool> includeReferences() const;
    std::string compression() const;
    // The folder stored for a project ("" when none). A project never saved has an empty path
    // and shares the key's unnamed value with every such project.
    std::string backupFolder(const std::string& projectFile) const;

    // Writes never throw: a setting that cannot be stored is dropped (the hive reports it).
    void storeAutoRefresh(bool on);
    void storeAddDate(bool on);
    void storeIncludeReferences(bool on);
    void storeCompression(const std::string& text);
    void storeBackupFolder(const std::string& projectFile, const std::string& folder);
    // A value that is not a number reads as its default; a count out of range as well.
    AutomaticBackupOptions automaticBackups() const;
    void storeAutomaticBackups(const AutomaticBackupOptions& options);

    ide::LoaderOptions loaderOptions() const;

  private:
    std::optional<bool> flag(const char* name, const char* defaultValue) const;
    registry::Registry& registry_;
};

}  // namespace arkstash::window
