#include "platform/registry/memory_registry.h"

#include "platform/error.h"

namespace arkstash::registry {

Value Value::dword(std::uint32_t v) {
    std::string d(4, '\0');
    for (int i = 0; i < 4; ++i)
        d[static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
    return {REG_DWORD, d};
}

std::string foldCase(const std::string& s) {
    std::string out = s;
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::string normalizeKeyPath(const std::string& subKey) {
    std::string out;
    for (char c : subKey) {
        if (c == '\\' && (out.empty() || out.back() == '\\')) continue;
        out += c;
    }
    while (!out.empty() && out.back() == '\\') out.pop_back();
    return out;
}

MemoryRegistry::Handle& MemoryRegistry::handle(KeyHandle h) {
    auto it = handles_.find(h);
    if (it == handles_.end()) throw PlatformError("Invalid registry key handle");
    return it->second;
}

std::optional<KeyHandle> MemoryRegistry::openKey(Root root, const std::string& subKey,
                                                 Access access) {
    std::string path = normalizeKeyPath(subKey);
    std::string folded = foldCase(path);
    auto& keys = roots_[root];
    if (!path.empty() && !keys.count(folded)) return std::nullopt;
    if (access == Access::Full && readOnlyRoots.count(root)) return std::nullopt;
    KeyHandle h = next_++;
    handles_[h] = Handle{root, folded, access};
    return h;
}

KeyHandle MemoryRegistry::createKey(Root root, const std::string& subKey) {
    if (readOnlyRoots.count(root)) throw PlatformError("Access is denied");
    std::string path = normalizeKeyPath(subKey);
    auto& keys = roots_[root];
    // Parents come into being with the key, as on Windows.
    std::string prefix;
    for (std::size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '\\') {
            prefix = path.substr(0, i);
            if (!prefix.empty() && !keys.count(foldCase(prefix)))
                keys[foldCase(prefix)].path = prefix;
        }
    }
    KeyHandle h = next_++;
    handles_[h] = Handle{root, foldCase(path), Access::Full};
    return h;
}

std::optional<Value> MemoryRegistry::queryValue(KeyHandle key, const std::string& name) {
    Handle& h = handle(key);
    auto& keys = roots_[h.root];
    auto k = keys.find(h.folded);
    if (k == keys.end()) return std::nullopt;
    auto v = k->second.values.find(foldCase(name));
    if (v == k->second.values.end()) return std::nullopt;
    return v->second.second;
}

void MemoryRegistry::setValue(KeyHandle key, const std::string& name, const Value& value) {
    Handle& h = handle(key);
    if (h.access != Access::Full || readOnlyRoots.count(h.root))
        throw PlatformError("Access is denied");
    Key& k = roots_[h.root][h.folded];
    k.values[foldCase(name)] = {name, value};
}

void MemoryRegistry::flushKey(KeyHandle key) {
    handle(key);
    ++flushes;
}

void MemoryRegistry::closeKey(KeyHandle key) {
    handles_.erase(key);
}

}  // namespace arkstash::registry
