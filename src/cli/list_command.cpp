// `arkstash list`: loads the projects, scans them as the window does and prints the file list
// (a table), the project tree (--tree) or everything as JSON (--json).
#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <memory>
#include <ostream>

#include "cli/cli.h"
#include "cli/project_session.h"
#include "cli/text_out.h"
#include "cli/user_store.h"
#include "controls/list_columns.h"
#include "util/calendar.h"

namespace arkstash::cli {

namespace {

using Json = nlohmann::ordered_json;

struct ListOptions {
    std::vector<std::string> paths;
    std::string codePage;
    bool tree = false;
    bool json = false;
};

constexpr const char* kGap = "  ";
constexpr const char* kNoFiles = "No saved files found in project";

struct Table {
    std::vector<std::string> headers;
    std::vector<controls::Alignment> alignments;
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> notes;  // after a row's last cell; none for most rows
};

constexpr const char* kOutsideNote = "(outside the project folders)";

std::string padded(const std::string& text, std::size_t width, controls::Alignment alignment) {
    std::size_t w = DisplayWidth(text);
    std::string fill(w < width ? width - w : 0, ' ');
    return alignment == controls::Alignment::Right ? fill + text : text + fill;
}

void printTable(const Table& table, std::ostream& out) {
    const std::size_t n = table.headers.size();
    std::vector<std::size_t> width(n, 0);
    std::vector<std::vector<std::string>> lines;
    lines.push_back({});
    for (std::size_t c = 0; c < n; ++c) lines[0].push_back(TerminalSafe(table.headers[c]));
    for (const auto& row : table.rows) {
        lines.push_back({});
        for (std::size_t c = 0; c < n; ++c) lines.back().push_back(TerminalSafe(row[c]));
    }
    for (const auto& line : lines)
        for (std::size_t c = 0; c < n; ++c) width[c] = std::max(width[c], DisplayWidth(line[c]));
    for (std::size_t l = 0; l < lines.size(); ++l) {
        std::string text;
        for (std::size_t c = 0; c < n; ++c) {
            if (c) text += kGap;
            text += padded(lines[l][c], width[c], table.alignments[c]);
        }
        while (!text.empty() && text.back() == ' ') text.pop_back();
        if (l > 0 && l - 1 < table.notes.size() && !table.notes[l - 1].empty())
            text += kGap + table.notes[l - 1];
        out << text << '\n';
    }
}

Table fileTable(const std::vector<projectview::FileRow>& rows) {
    using controls::Alignment;
    if (rows.empty()) return {{"File"}, {Alignment::Left}, {{kNoFiles}}};
    Table table{{"File", "Lines", "Type", "Size", "Date", "Saved"},
                {Alignment::Left, Alignment::Right, Alignment::Left, Alignment::Right,
                 Alignment::Left, Alignment::Left},
                {}};
    for (const auto& row : rows) {
        table.rows.emplace_back();
        for (std::size_t c = 0; c < projectview::kFileColumnCount; ++c)
            table.rows.back().push_back(projectview::cellText(row, c));
        table.notes.push_back(row.outside ? kOutsideNote : "");
    }
    return table;
}

Table referenceTable(const std::vector<backup::ReferenceRow>& rows) {
    using controls::Alignment;
    Table table{{"Description", "Version", "File", "Guid"},
                {Alignment::Left, Alignment::Left, Alignment::Left, Alignment::Left},
                {}};
    for (const auto& row : rows) {
        table.rows.emplace_back();
        for (std::size_t c = 0; c < backup::kReferenceColumnCount; ++c)
            table.rows.back().push_back(backup::cellText(row, c));
    }
    return table;
}

// The outline of the tree; the bold node (the start-up project) is marked with "*".
void printTree(const projectview::ProjectTree& tree, std::ostream& out) {
    const auto& nodes = tree.nodes();
    std::vector<std::vector<std::size_t>> children(nodes.size());
    std::vector<std::size_t> roots;
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        if (nodes[i].parent && *nodes[i].parent < i)
            children[*nodes[i].parent].push_back(i);
        else
            roots.push_back(i);
    }
    std::vector<std::pair<std::size_t, std::size_t>> stack;  // node, depth
    for (auto it = roots.rbegin(); it != roots.rend(); ++it) stack.emplace_back(*it, 0);
    while (!stack.empty()) {
        auto [i, depth] = stack.back();
        stack.pop_back();
        out << (nodes[i].bold ? "* " : "  ") << std::string(depth * 2, ' ')
            << TerminalSafe(nodes[i].caption) << '\n';
        for (auto it = children[i].rbegin(); it != children[i].rend(); ++it)
            stack.emplace_back(*it, depth + 1);
    }
}

const char* kindName(projectview::FileKind kind) {
    switch (kind) {
        case projectview::FileKind::Group:
            return "group";
        case projectview::FileKind::Project:
            return "project";
        case projectview::FileKind::Binary:
            return "binary";
        case projectview::FileKind::Component:
            return "component";
        case projectview::FileKind::UserAdded:
            return "user_added";
    }
    return "component";
}

template <typename T>
Json orNull(const std::optional<T>& value) {
    return value ? Json(*value) : Json(nullptr);
}

// Text for JSON: bytes that are not UTF-8 become U+FFFD, so the output always parses.
std::string jsonText(const std::string& text) {
    return ValidUtf8(text);
}

// Every byte of the text as two hexadecimal digits.
std::string hexOf(const std::string& text) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : text) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

Json listingJson(const Listing& listing) {
    Json rows = Json::array();
    for (const auto& row : listing.rows) {
        rows.push_back({{"path", jsonText(row.path)},
                        {"kind", kindName(row.kind)},
                        {"type", row.typeText},
                        {"lines", orNull(row.lines)},
                        {"size", row.size},
                        {"created", util::iso8601(row.created)},
                        {"modified", util::iso8601(row.modified)},
                        {"saved", orNull(row.saved)},
                        {"checked", row.checked},
                        {"user_added", row.userAdded()},
                        {"project", row.project.empty() ? Json(nullptr) : Json(jsonText(row.project))},
                        {"outside", row.outside},
                        {"image", row.image}});
        // A name that is not UTF-8 (a file system that kept the Windows bytes) is given exactly
        // too, so a script can still find the file.
        if (jsonText(row.path) != row.path) rows.back()["path_hex"] = hexOf(row.path);
        for (const auto& encoding : listing.load.encodings)
            if (encoding.file == row.path) rows.back()["encoding"] = encoding.codePage;
    }
    Json tree = Json::array();
    for (const auto& node : listing.scan.tree.nodes())
        tree.push_back({{"key", node.key.empty() ? Json(nullptr) : Json(jsonText(node.key))},
                        {"caption", jsonText(node.caption)},
                        {"image", node.image},
                        {"parent", orNull(node.parent)},
                        {"bold", node.bold},
                        {"expanded", node.expanded}});
    Json references = Json::array();
    for (const auto& ref : listing.references)
        references.push_back(
            {{"description", jsonText(ref.description)},
             {"version", backup::cellText(ref, backup::kVersionColumn)},
             {"file", ref.file ? Json(jsonText(*ref.file)) : Json(nullptr)},
             {"guid", jsonText(ref.guid)},
             {"checked", ref.checked}});
    return Json{{"version", 1}, {"rows", rows}, {"tree", tree}, {"references", references}};
}

int runList(const ListOptions& options, Io& io) {
    UserStore store = openUserStore(io);
    if (!applyCodePage(options.codePage, store.loaderOptions, io)) return kExitUsage;
    ProjectSession session(store.files, *store.registry, store.loaderOptions);
    try {
        printLoadReport(session.load(options.paths), io, false);
    } catch (const std::exception& e) {
        io.err << "arkstash: " << TerminalSafe(e.what()) << '\n';
        return kExitUsage;
    }
    Listing listing = session.list([&](long errorNumber) {
        io.err << "arkstash: Could Not Load Type Library: " << errorNumber << '\n';
    });
    if (options.json) {
        io.out << listingJson(listing).dump(2) << '\n';
    } else if (options.tree) {
        printTree(listing.scan.tree, io.out);
    } else {
        printTable(fileTable(listing.rows), io.out);
        // References and components follow the files, after a blank line, when there are any.
        if (!listing.references.empty()) {
            io.out << '\n';
            printTable(referenceTable(listing.references), io.out);
        }
    }
    io.out.flush();
    return kExitOk;
}

}  // namespace

Command addListCommand(CLI::App& app, Io& io) {
    auto options = std::make_shared<ListOptions>();
    auto* sub = app.add_subcommand(
        "list", "List the files a backup of the projects would write, as the window shows them");
    sub->add_option("projects", options->paths, "Project (.vbp) or group (.vbg) files")
        ->required()
        ->type_name("PROJECT.vbp|GROUP.vbg");
    sub->add_flag("--tree", options->tree, "Print the project tree instead of the file list");
    sub->add_flag("--json", options->json,
                  "Print the file list, the project tree and the references as one JSON object");
    addCodePageOption(*sub, options->codePage);
    sub->footer(
        "Exit status: 0 listed (a file that cannot be read is named on stderr and listed as far as "
        "it can be); 2 bad usage or a project that cannot be loaded.");
    return {sub, [&io, options] { return runList(*options, io); }};
}

}  // namespace arkstash::cli
