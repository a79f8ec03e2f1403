#include "platform/ide/project_file.h"

#include <array>

#include "platform/ide/ide.h"
#include "platform/ide/loader_text.h"

namespace arkstash::ide {

namespace {

// Keys the environment writes into every project file besides the ones read here. They make a
// file recognisable as a project even when the lines the loader needs are missing.
constexpr std::array kOtherProjectKeys = {
    "Startup",
    "IconForm",
    "HelpFile",
    "Title",
    "Command32",
    "ExeName",
    "Path32",
    "HelpContextID",
    "CompatibleMode",
    "MajorVer",
    "MinorVer",
    "RevisionVer",
    "AutoIncrementVer",
    "ServerSupportFiles",
    "CompilationType",
    "OptimizationType",
    "StartMode",
    "Unattended",
    "Retained",
    "ThreadPerObject",
    "MaxNumberOfThreads",
    "ThreadingModel",
    "DebugStartupOption",
    "CondComp",
    "ResFile",
};

struct ComponentKey {
    const char* key;
    int kind;
    bool named;  // "Name; path"
};

constexpr std::array kComponentKeys = {
    ComponentKey{"Module", vbext_ct_StdModule, true},
    ComponentKey{"Class", vbext_ct_ClassModule, true},
    ComponentKey{"Form", vbext_ct_VBForm, false},
    ComponentKey{"PropertyPage", vbext_ct_PropPage, false},
    ComponentKey{"UserControl", vbext_ct_UserControl, false},
    ComponentKey{"UserDocument", vbext_ct_DocObject, false},
    ComponentKey{"Designer", vbext_ct_ActiveXDesigner, false},
    ComponentKey{"ResFile32", vbext_ct_ResFile, false},
    ComponentKey{"RelatedDoc", vbext_ct_RelatedDocument, false},
};

struct TypeName {
    const char* text;
    int type;
};

constexpr std::array kProjectTypes = {
    TypeName{"Exe", vbext_pt_StandardExe},
    TypeName{"OleExe", vbext_pt_ActiveXExe},
    TypeName{"OleDll", vbext_pt_ActiveXDll},
    TypeName{"Control", vbext_pt_ActiveXControl},
};

std::optional<long> parseHex(std::string_view s) {
    s = trimBlanks(s);
    if (s.empty() || s.size() > 8) return std::nullopt;
    long v = 0;
    for (char c : s) {
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return std::nullopt;
        v = v * 16 + d;
    }
    return v;
}

std::vector<std::string_view> splitAt(std::string_view s, char sep) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (;;) {
        auto pos = s.find(sep, start);
        if (pos == std::string_view::npos) {
            parts.push_back(s.substr(start));
            return parts;
        }
        parts.push_back(s.substr(start, pos - start));
        start = pos + 1;
    }
}

// A path value; some tools put quotes around paths, the environment does so for ResFile32=.
std::string pathValue(std::string_view v) {
    return unquote(v);
}

class ProjectParser {
  public:
    explicit ProjectParser(ProjectFile& out) : out_(out) {}

    void line(std::size_t number, std::string_view key, std::string_view value) {
        number_ = number;
        if (equalsNoCase(key, "Type")) return type(value);
        if (equalsNoCase(key, "Name")) return setOnce(out_.name, unquote(value), "Name");
        if (equalsNoCase(key, "Description"))
            return setOnce(out_.description, unquote(value), "Description");
        if (equalsNoCase(key, "ExeName32"))
            return setOnce(out_.exeName32, unquote(value), "ExeName32");
        if (equalsNoCase(key, "Reference")) return reference(value);
        if (equalsNoCase(key, "Object")) return control(value);
        for (const auto& ck : kComponentKeys)
            if (equalsNoCase(key, ck.key)) return component(ck, value);
        for (const char* other : kOtherProjectKeys)
            if (equalsNoCase(key, other)) {
                ++out_.settings;
                return;
            }
    }

  private:
    void note(std::string message) { out_.notes.push_back({number_, std::move(message)}); }

    void setOnce(std::optional<std::string>& slot, std::string value, const char* key) {
        ++out_.settings;
        if (slot) {
            note(std::string("a second ") + key + "= line; the first one counts");
            return;
        }
        slot = std::move(value);
    }

    void type(std::string_view value) {
        ++out_.settings;
        std::string_view v = trimBlanks(value);
        for (const auto& t : kProjectTypes)
            if (equalsNoCase(v, t.text)) {
                if (out_.type)
                    note("a second Type= line; the first one counts");
                else
                    out_.type = t.type;
                return;
            }
        note("unknown project type \"" + std::string(v) + "\"");
    }

    void component(const ComponentKey& ck, std::string_view value) {
        ++out_.settings;
        ComponentLine c{.kind = ck.kind, .line = number_};
        auto semi = value.find(';');
        if (ck.named && semi != std::string_view::npos) {
            c.name = std::string(trimBlanks(value.substr(0, semi)));
            c.path = pathValue(value.substr(semi + 1));
        } else {
            c.path = pathValue(value);
        }
        if (c.path.empty()) {
            note(std::string(ck.key) + "= line names no file");
            return;
        }
        out_.components.push_back(std::move(c));
    }

    // "{GUID}#maj.min#lcid" and what follows it; `rest` receives the fields after the third.
    void library(ReferenceLine& r, std::string_view text, std::vector<std::string_view>& rest) {
        auto fields = splitAt(text, '#');
        r.guid = std::string(trimBlanks(fields[0]));
        if (r.guid.size() != 38 || r.guid.front() != '{' || r.guid.back() != '}')
            note("library identifier \"" + r.guid + "\" is not a braced GUID");
        if (fields.size() < 2) {
            note("the line ends before its version");
            return;
        }
        if (auto v = parseHexVersion(fields[1])) {
            r.major = v->first;
            r.minor = v->second;
        } else {
            note("version \"" + std::string(fields[1]) + "\" is not two hexadecimal numbers");
        }
        if (fields.size() < 3) {
            note("the line ends before its locale");
            return;
        }
        r.lcid = std::string(trimBlanks(fields[2]));
        rest.assign(fields.begin() + 3, fields.end());
    }

    void reference(std::string_view value) {
        ++out_.settings;
        ReferenceLine r{.line = number_};
        value = trimBlanks(value);
        if (startsWithNoCase(value, "*\\A")) {
            r.project = true;
            r.path = pathValue(value.substr(3));
            out_.references.push_back(std::move(r));
            return;
        }
        if (!startsWithNoCase(value, "*\\G")) {
            note("reference \"" + std::string(value.substr(0, 80)) + "\" is of no known form");
            return;
        }
        std::vector<std::string_view> rest;
        library(r, value.substr(3), rest);
        if (rest.size() == 1) {
            r.path = std::string(rest[0]);
            note("the reference has no description");
        } else if (rest.size() >= 2) {
            // The description is the last field; a "#" inside the path leaves more fields.
            std::string path;
            for (std::size_t i = 0; i + 1 < rest.size(); ++i) {
                if (i) path += '#';
                path += rest[i];
            }
            r.path = std::move(path);
            r.description = std::string(rest.back());
        } else if (!r.lcid.empty()) {
            note("the reference names no file");
        }
        out_.references.push_back(std::move(r));
    }

    void control(std::string_view value) {
        ++out_.settings;
        ReferenceLine r{.control = true, .line = number_};
        value = trimBlanks(value);
        if (startsWithNoCase(value, "*\\A")) {
            r.project = true;
            r.path = pathValue(value.substr(3));
            out_.references.push_back(std::move(r));
            return;
        }
        auto semi = value.find(';');
        std::string_view id = semi == std::string_view::npos ? value : value.substr(0, semi);
        std::vector<std::string_view> rest;
        library(r, id, rest);
        if (semi == std::string_view::npos)
            note("the control line names no file");
        else
            r.path = pathValue(value.substr(semi + 1));
        out_.references.push_back(std::move(r));
    }

    ProjectFile& out_;
    std::size_t number_ = 0;
};

}  // namespace

std::optional<std::pair<long, long>> parseHexVersion(std::string_view text) {
    auto dot = text.find('.');
    if (dot == std::string_view::npos) return std::nullopt;
    auto major = parseHex(text.substr(0, dot));
    auto minor = parseHex(text.substr(dot + 1));
    if (!major || !minor) return std::nullopt;
    return std::make_pair(*major, *minor);
}

ProjectFile parseProjectFile(std::string_view text) {
    ProjectFile out;
    ProjectParser parser(out);
    std::size_t number = 0;
    for (std::string_view raw : splitLines(text)) {
        ++number;
        std::string_view line = trimBlanks(raw);
        if (line.empty()) continue;
        if (line.front() == '[') break;
        auto eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        parser.line(number, trimBlanks(line.substr(0, eq)), line.substr(eq + 1));
    }
    return out;
}

bool looksLikeGroup(std::string_view text) {
    for (std::string_view raw : splitLines(text)) {
        std::string_view line = trimBlanks(raw);
        if (line.empty()) continue;
        return startsWithNoCase(line, "VBGROUP");
    }
    return false;
}

GroupFile parseGroupFile(std::string_view text) {
    GroupFile out;
    std::size_t number = 0;
    bool first = true;
    bool haveStartup = false;
    for (std::string_view raw : splitLines(text)) {
        ++number;
        std::string_view line = trimBlanks(raw);
        if (line.empty()) continue;
        if (first) {
            first = false;
            if (startsWithNoCase(line, "VBGROUP")) {
                out.header = true;
                out.version = std::string(trimBlanks(line.substr(7)));
                continue;
            }
        }
        auto eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        std::string_view key = trimBlanks(line.substr(0, eq));
        bool startup = equalsNoCase(key, "StartupProject");
        if (!startup && !equalsNoCase(key, "Project")) continue;
        std::string path = pathValue(line.substr(eq + 1));
        if (path.empty()) {
            out.notes.push_back({number, std::string(key) + "= line names no file"});
            continue;
        }
        if (startup && haveStartup) {
            out.notes.push_back({number, "a second StartupProject= line; the first one counts"});
            startup = false;
        }
        haveStartup = haveStartup || startup;
        out.projects.push_back({std::move(path), startup, number});
    }
    return out;
}

}  // namespace arkstash::ide
