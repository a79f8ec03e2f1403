// The text format regedit exports and imports (".reg"), as a pure transformation between the
// bytes of a file and the keys and values it holds. The file-backed hives are kept in it, so a
// hive can be looked at, edited or imported on Windows with regedit, and a Windows export of a
// key (HKEY_CLASSES_ROOT\TypeLib, say) can be dropped in as a read-only hive.
//
// Reading accepts what regedit writes (UTF-16LE with a byte-order mark, CRLF) and what people
// write by hand (UTF-8 or Windows-1252 without a mark, LF line ends, "REGEDIT4" files, comments,
// hex data continued over lines). It is strict about everything else: a hive that does not parse
// as a whole is reported as damaged rather than half read, because a half-read hive written back
// would silently drop the rest.
//
// Writing always produces UTF-16LE with a byte-order mark and CRLF line ends, as regedit itself
// exports: that is the one encoding in which every character of a path or a text round-trips,
// and regedit imports it on every Windows version.
#pragma once

#include <map>
#include <string>
#include <string_view>

#include "platform/registry/registry.h"

namespace arkstash::registry {

struct NamedValue {
    std::string name;  // as first written
    Value value;
    bool operator==(const NamedValue&) const = default;
};

struct HiveKey {
    // Full path with the root's long name first ("HKEY_CURRENT_USER\Software\Arkstash"); each
    // level keeps the spelling it was created with, so children always agree with their parents.
    std::string path;
    std::map<std::string, NamedValue> values;  // folded value name -> value
    bool operator==(const HiveKey&) const = default;
};

// Keys by folded full path. A key's parents, up to its root, are always present (as on
// Windows); a key without values is written only when no child brings it back.
using HiveKeys = std::map<std::string, HiveKey>;

struct RegParseResult {
    bool ok = false;
    std::string error;  // why the bytes are not a usable .reg file, with the line, when not ok
    HiveKeys keys;
};

// Parses a whole .reg file. Never throws on bad input: a file that is not entirely valid
// (wrong or missing header, binary data, a cut-off line, an unknown root) is answered !ok.
RegParseResult parseRegFile(std::string_view bytes);

// The keys as regedit export text: UTF-8, CRLF line ends, keys in tree order, "@" first.
std::string formatRegText(const HiveKeys& keys);
// The same text as file bytes: UTF-16LE with a byte-order mark.
std::string encodeRegFile(const HiveKeys& keys);

// The long name of a root ("HKEY_CURRENT_USER") from its long or short spelling, any case;
// empty when it names no root.
std::string canonicalRootName(std::string_view name);

// Answers the key at `fullPath` (root name first), creating it and its missing parents. Throws
// PlatformError when the root is unknown or a level holds a line break.
HiveKey& ensureKey(HiveKeys& keys, const std::string& fullPath);

}  // namespace arkstash::registry
