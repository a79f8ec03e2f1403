#include "window/settings_store.h"

#include <charconv>
#include <cmath>

#include "platform/registry/reg_helpers.h"
#include "util/strings.h"

namespace arkstash::window {

namespace {

using registry::Root;

// The whole number of a setting's text ("001" is 1, " 1.4 " is 1); none for anything else.
std::optional<long> wholeNumber(const std::string& text) {
    std::string t = util::trim(text);
    if (t.empty()) return std::nullopt;
    const char* begin = t.c_str() + (t[0] == '+' ? 1 : 0);
    const char* end = t.c_str() + t.size();
    double value = 0;
    auto [stop, error] = std::from_chars(begin, end, value, std::chars_format::fixed);
    if (error != std::errc() || stop != end || !std::isfinite(value)) return std::nullopt;
    return std::lround(std::nearbyint(value));
}

}  // namespace

std::optional<bool> SettingsStore::flag(const char* name, const char* defaultValue) const {
    auto n = wholeNumber(registry::RegRead(registry_, Root::CurrentUser, registry::kSettingsKey,
                                           name, defaultValue));
    if (!n) return std::nullopt;
    return *n == 1;
}

std::optional<bool> SettingsStore::autoRefresh() const {
    return flag("AutoRefresh", "1");
}

std::optional<bool> SettingsStore::addDate() const {
    return flag("AddDate", "0");
}

std::optional<bool> SettingsStore::includeReferences() const {
    return flag("AddRef", "1");
}

std::string SettingsStore::compression() const {
    return registry::RegRead(registry_, Root::CurrentUser, registry::kSettingsKey, "CompFactor",
                             "Normal");
}

std::string SettingsStore::backupFolder(const std::string& projectFile) const {
    return registry::RegRead(registry_, Root::CurrentUser, registry::kSettingsKey, projectFile, "");
}

void SettingsStore::storeAutoRefresh(bool on) {
    registry::RegWrite(registry_, Root::CurrentUser, registry::kSettingsKey, "AutoRefresh",
                       registry::REG_DWORD, on ? 1LL : 0LL);
}

void SettingsStore::storeAddDate(bool on) {
    registry::RegWrite(registry_, Root::CurrentUser, registry::kSettingsKey, "AddDate",
                       registry::REG_DWORD, on ? 1LL : 0LL);
}

void SettingsStore::storeIncludeReferences(bool on) {
    registry::RegWrite(registry_, Root::CurrentUser, registry::kSettingsKey, "AddRef",
                       registry::REG_DWORD, on ? 1LL : 0LL);
}

void SettingsStore::storeCompression(const std::string& text) {
    registry::RegWrite(registry_, Root::CurrentUser, registry::kSettingsKey, "CompFactor",
                       registry::REG_SZ, text);
}

void SettingsStore::storeBackupFolder(const std::string& projectFile, const std::string& folder) {
    registry::RegWrite(registry_, Root::CurrentUser, registry::kSettingsKey, projectFile,
                       registry::REG_SZ, folder);
}

AutomaticBackupOptions SettingsStore::automaticBackups() const {
    AutomaticBackupOptions options;
    auto number = [&](const char* name, int fallback, int highest) {
        auto n = wholeNumber(
            registry::RegRead(registry_, Root::CurrentUser, registry::kSettingsKey, name, ""));
        return n && *n >= 1 && *n <= highest ? static_cast<int>(*n) : fallback;
    };
    options.afterSaving = flag("AutoBackupAfterSave", "0").value_or(false);
    options.everyFewMinutes = flag("AutoBackupEvery", "0").value_or(false);
    options.minutes = number("AutoBackupMinutes", options.minutes, options.kMaxMinutes);
    options.onClosing = flag("AutoBackupOnClose", "0").value_or(false);
    options.keepDated = flag("KeepDated", "0").value_or(false);
    options.keepCount = number("KeepCount", options.keepCount, options.kMaxKept);
    return options;
}

void SettingsStore::storeAutomaticBackups(const AutomaticBackupOptions& options) {
    auto store = [&](const char* name, long long value) {
        registry::RegWrite(registry_, Root::CurrentUser, registry::kSettingsKey, name,
                           registry::REG_DWORD, value);
    };
    store("AutoBackupAfterSave", options.afterSaving);
    store("AutoBackupEvery", options.everyFewMinutes);
    store("AutoBackupMinutes", options.minutes);
    store("AutoBackupOnClose", options.onClosing);
    store("KeepDated", options.keepDated);
    store("KeepCount", options.keepCount);
}

ide::LoaderOptions SettingsStore::loaderOptions() const {
    ide::LoaderOptions options;
    auto read = [&](const std::string& name) {
        return registry::RegRead(registry_, Root::CurrentUser, kLoaderKey, name, "");
    };
    if (std::string codePage = read("CodePage"); !codePage.empty()) options.codePage = codePage;
    for (char letter = 'A'; letter <= 'Z'; ++letter)
        if (std::string folder = read(std::string("Drive ") + letter); !folder.empty())
            options.driveMappings[letter] = folder;
    options.classes = &registry_;
    return options;
}

}  // namespace arkstash::window
