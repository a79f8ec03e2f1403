#include "platform/ide/source_file.h"

#include <vector>

#include "platform/ide/loader_text.h"

namespace arkstash::ide {

namespace {

bool isControlLine(std::string_view line) {
    if (!startsWithNoCase(line, "Object")) return false;
    std::string_view rest = trimBlanks(line.substr(6));
    return !rest.empty() && rest.front() == '=';
}

bool isEnd(std::string_view line, std::string_view word) {
    return equalsNoCase(line, word) || startsWithKeyword(line, word);
}

// The name in `Attribute VB_Name = "X"`; empty when the line is another attribute.
std::optional<std::string> nameAttribute(std::string_view line) {
    std::string_view rest = trimBlanks(line.substr(9));  // after "Attribute"
    if (!startsWithNoCase(rest, "VB_Name")) return std::nullopt;
    rest = trimBlanks(rest.substr(7));
    if (rest.empty() || rest.front() != '=') return std::nullopt;
    rest = trimBlanks(rest.substr(1));
    if (!rest.empty() && rest.front() == '"') {
        rest.remove_prefix(1);
        auto close = rest.find('"');
        if (close != std::string_view::npos) rest = rest.substr(0, close);
    }
    if (rest.empty()) return std::nullopt;
    return std::string(rest);
}

bool isBinaryName(std::string_view name) {
    if (name.size() < 5 || name[name.size() - 4] != '.') return false;
    std::string_view ext = name.substr(name.size() - 3);
    for (std::string_view known : {"frx", "ctx", "pgx", "dox"})
        if (equalsNoCase(ext, known)) return true;
    return false;
}

// Adds the binary file of a property line such as `Picture = "frmMain.frx":0442`.
void noteBinaryReference(std::string_view line, std::vector<std::string>& out) {
    auto eq = line.find('=');
    if (eq == std::string_view::npos) return;
    std::string_view value = trimBlanks(line.substr(eq + 1));
    if (value.size() < 3 || value.front() != '"') return;
    auto close = value.find('"', 1);
    if (close == std::string_view::npos || close + 1 >= value.size() || value[close + 1] != ':')
        return;
    std::string_view name = value.substr(1, close - 1);
    if (!isBinaryName(name)) return;
    for (const std::string& known : out)
        if (equalsNoCase(known, name)) return;
    out.emplace_back(name);
}

}  // namespace

SourceInfo readSourceText(std::string_view text) {
    SourceInfo info;
    std::vector<std::string_view> lines = splitLines(text);
    std::size_t i = 0;
    const std::size_t n = lines.size();

    if (i < n && startsWithKeyword(trimBlanks(lines[i]), "VERSION")) ++i;
    while (i < n && isControlLine(trimBlanks(lines[i]))) ++i;

    // Forms and their kin carry their design in "Begin VB.Form frmMain ... End"; classes in
    // "BEGIN ... END". Either may nest blocks and property groups to any depth.
    if (i < n && startsWithKeyword(trimBlanks(lines[i]), "Begin")) {
        std::string_view top = trimBlanks(trimBlanks(lines[i]).substr(5));
        std::string_view kind = top.substr(0, top.find_first_of(" \t"));
        info.mdiForm = equalsNoCase(kind, "VB.MDIForm");
        long depth = 0;
        bool closed = false;
        for (; i < n; ++i) {
            std::string_view t = trimBlanks(lines[i]);
            if (startsWithKeyword(t, "BeginProperty") || startsWithKeyword(t, "Begin"))
                ++depth;
            else if (isEnd(t, "EndProperty") || isEnd(t, "End"))
                --depth;
            else
                noteBinaryReference(t, info.binaryFiles);
            if (depth <= 0) {
                closed = true;
                ++i;
                break;
            }
        }
        if (!closed) info.unclosedDesignBlock = true;
    }

    for (; i < n; ++i) {
        std::string_view t = trimBlanks(lines[i]);
        if (startsWithKeyword(t, "Attribute")) {
            if (!info.vbName) info.vbName = nameAttribute(t);
            continue;
        }
        ++info.codeLines;
    }
    return info;
}

}  // namespace arkstash::ide
