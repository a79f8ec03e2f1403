// A registry held in memory: for tests, and as the store of a run that must not touch the
// user's hives. Roots can be made read-only to act like HKEY_CLASSES_ROOT for an ordinary user.
#pragma once

#include <map>
#include <set>
#include <string>

#include "platform/registry/registry.h"

namespace arkstash::registry {

// Lower-cases ASCII letters, for the case-blind comparison of key paths and value names.
std::string foldCase(const std::string& s);
// Drops leading, trailing and doubled backslashes: "Software\\Arkstash\\" -> "Software\\Arkstash".
std::string normalizeKeyPath(const std::string& subKey);

class MemoryRegistry : public Registry {
  public:
    struct Key {
        std::string path;  // as first created, normalized
        std::map<std::string, std::pair<std::string, Value>>
            values;  // folded name -> (name, value)
    };

    std::optional<KeyHandle> openKey(Root root, const std::string& subKey, Access access) override;
    KeyHandle createKey(Root root, const std::string& subKey) override;
    std::optional<Value> queryValue(KeyHandle key, const std::string& name) override;
    void setValue(KeyHandle key, const std::string& name, const Value& value) override;
    void flushKey(KeyHandle key) override;
    void closeKey(KeyHandle key) override;

    std::set<Root> readOnlyRoots;
    int flushes = 0;
    std::size_t openHandles() const { return handles_.size(); }
    std::map<std::string, Key>& keys(Root root) { return roots_[root]; }

  private:
    struct Handle {
        Root root;
        std::string folded;
        Access access;
    };
    Handle& handle(KeyHandle h);
    std::map<Root, std::map<std::string, Key>> roots_;  // folded path -> key
    std::map<KeyHandle, Handle> handles_;
    KeyHandle next_ = 1;
};

}  // namespace arkstash::registry
