// The registry kept in .reg files, one per root, in one folder:
//   user.reg     HKEY_CURRENT_USER, read and written (the window's settings, the loader's options)
//   classes.reg  HKEY_CLASSES_ROOT, read only (an import of a Windows machine's type libraries)
// Other roots have no hive: their keys never exist and cannot be created.
//
// The desktop app and the command line may run at once and both write user.reg. Each process
// keeps the values it set since its last flush; a flush takes an exclusive lock on a lock file
// beside the hive, reads the file again, lays those values over what is on disk, replaces the
// file atomically and lets go of the lock. So no process loses another's values, and a reader
// never sees a half-written file. Keys read through a fresh openKey reflect the file as it is
// then (the file is read again whenever it changed on disk).
//
// A hive that does not parse (cut short, binary garbage, wrong header) never stops anything:
// its values read as missing, the file is renamed aside ("user.reg.damaged-20261205-070956") so
// nothing in it is lost, and the next flush starts a fresh file. A damaged classes.reg is only
// ignored: it is the user's import, not ours to move. A hive that cannot be read at all (no
// permission, a named pipe or a folder in its place) reads as empty and is never replaced.
//
// None of this is silent: the registry tells its warning handler once per hive and kind of
// trouble (damaged, unreadable, settings that cannot be saved), so the user hears why settings
// went missing or did not stick, while callers that ignore errors go on undisturbed.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "platform/registry/registry.h"

namespace arkstash::registry {

class HiveRegistry : public Registry {
  public:
    // Receives one line for the user, such as "The settings file '...' is damaged (line 3: ...);
    // it was set aside as '...' and settings start afresh."
    using WarningHandler = std::function<void(const std::string& message)>;

    // Files are read when first needed; a missing file is an empty hive.
    explicit HiveRegistry(std::string folder);
    ~HiveRegistry() override;
    HiveRegistry(const HiveRegistry&) = delete;
    HiveRegistry& operator=(const HiveRegistry&) = delete;

    std::optional<KeyHandle> openKey(Root root, const std::string& subKey, Access access) override;
    KeyHandle createKey(Root root, const std::string& subKey) override;
    std::optional<Value> queryValue(KeyHandle key, const std::string& name) override;
    void setValue(KeyHandle key, const std::string& name, const Value& value) override;
    // Writes every value set in this hive since the last flush (as Windows flushes the whole
    // hive of a key). Throws PlatformError when the file cannot be written; the values stay
    // pending and go with the next flush.
    void flushKey(KeyHandle key) override;
    void closeKey(KeyHandle key) override;

    // Where warnings go; none (the default) drops them. A handler that throws is not let
    // through to the registry's callers.
    void setWarningHandler(WarningHandler handler) { warn_ = std::move(handler); }

    const std::string& folder() const { return folder_; }
    // The file backing a root; empty when the root has no hive.
    std::string hiveFile(Root root) const;
    std::size_t openHandles() const { return handles_.size(); }

  private:
    struct Hive;
    struct Handle {
        Root root;
        std::string path;  // full path, root name first, as the caller spelled it
        Access access;
    };
    enum class Trouble { Damaged, Unreadable, NotSaved };
    Hive* hiveFor(Root root);
    Handle& handle(KeyHandle h);
    void warnOnce(const std::string& file, Trouble trouble, const std::string& message);

    std::string folder_;
    std::map<Root, std::unique_ptr<Hive>> hives_;
    std::map<KeyHandle, Handle> handles_;
    KeyHandle next_ = 1;
    WarningHandler warn_;
    std::set<std::pair<std::string, Trouble>> warned_;
};

using EnvironmentLookup = std::function<std::optional<std::string>(const std::string& name)>;

// The folder of the user's hives: $ARKSTASH_HOME when set, else "arkstash" in
// $XDG_CONFIG_HOME (when set to an absolute path), else in $HOME/.config. Empty variables count
// as unset. Throws PlatformError when none of them gives a folder.
std::string hiveFolder(const EnvironmentLookup& getenv);

// The user's registry in that folder.
std::unique_ptr<HiveRegistry> openUserRegistry(const EnvironmentLookup& getenv);

}  // namespace arkstash::registry
