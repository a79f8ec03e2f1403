// `arkstash list`: loads the projects, scans them as the window does and prints the file list
// (a table), the project tree (--tree) or both as JSON (--json).
#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>
#include <ostream>

#include "cli/cli.h"
#include "cli/session.h"
#include "cli/text_out.h"
#include "cli/user_store.h"

namespace arkstash::cli {

namespace {

struct ListOptions {
    std::vector<std::string> paths;
    bool tree = false;
    bool json = false;
};

const char* kGap = "  ";

std::string padded(const std::string& text, std::size_t width, ui::Alignment a) {
    std::size_t w = DisplayWidth(text);
    std::string fill(w < width ? width - w : 0, ' ');
    return a == ui::Alignment::Right ? fill + text : text + fill;
}

std::string rtrim(std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

// The window pads the first header to leave room for the check box; a terminal has none.
std::string headerText(const std::string& text) {
    std::size_t start = text.find_first_not_of(' ');
    return start == std::string::npos ? std::string() : text.substr(start);
}

void printTable(const ui::ListView& list, std::ostream& out) {
    const std::size_t n = list.columns.size();
    if (n == 0) return;
    std::vector<std::string> header(n);
    std::vector<std::vector<std::string>> cells(list.items.size(), std::vector<std::string>(n));
    std::vector<std::size_t> width(n, 0);
    for (std::size_t c = 0; c < n; ++c) {
        header[c] = TerminalSafe(headerText(list.columns[c].text));
        width[c] = DisplayWidth(header[c]);
    }
    for (std::size_t r = 0; r < list.items.size(); ++r)
        for (std::size_t c = 0; c < n; ++c) {
            cells[r][c] = TerminalSafe(list.items[r].cell(c));
            width[c] = std::max(width[c], DisplayWidth(cells[r][c]));
        }
    auto line = [&](const std::vector<std::string>& row) {
        std::string s;
        for (std::size_t c = 0; c < n; ++c) {
            if (c) s += kGap;
            s += padded(row[c], width[c], list.columns[c].alignment);
        }
        out << rtrim(std::move(s)) << '\n';
    };
    line(header);
    for (const auto& row : cells) line(row);
}

// The outline of the tree; the bold node (the start-up project) is marked with "*".
void printTree(const ui::TreeView& tree, std::ostream& out) {
    const auto& nodes = tree.nodes;
    std::vector<std::vector<std::size_t>> children(nodes.size());
    std::vector<std::size_t> roots;
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        auto p = nodes[i].parent;
        if (p && *p < nodes.size() && *p != i)
            children[*p].push_back(i);
        else
            roots.push_back(i);
    }
    // Depth first, without recursion; a node is printed once even if parents loop.
    std::vector<bool> printed(nodes.size(), false);
    std::vector<std::pair<std::size_t, std::size_t>> stack;  // node, depth
    for (auto it = roots.rbegin(); it != roots.rend(); ++it) stack.emplace_back(*it, 0);
    while (!stack.empty()) {
        auto [i, depth] = stack.back();
        stack.pop_back();
        if (printed[i]) continue;
        printed[i] = true;
        out << (nodes[i].bold ? "* " : "  ") << std::string(depth * 2, ' ')
            << TerminalSafe(nodes[i].text) << '\n';
        const auto& kids = children[i];
        for (auto it = kids.rbegin(); it != kids.rend(); ++it) stack.emplace_back(*it, depth + 1);
    }
}

// "#RRGGBB" of a direct colour (&HBBGGRR); null for the list's default and system colours.
std::string jsonColour(const std::optional<ui::Colour>& c) {
    if (!c || (*c & 0x80000000u)) return "null";
    char buf[16];
    std::snprintf(buf, sizeof buf, "\"#%02X%02X%02X\"", *c & 0xFF, (*c >> 8) & 0xFF,
                  (*c >> 16) & 0xFF);
    return buf;
}

void printJson(const form::MainForm& frm, std::ostream& out) {
    static const char* const rowFields[] = {"file", "lines", "type", "size", "date", "saved"};
    out << "{\n  \"rows\": [";
    const auto& items = frm.ListView1.items;
    for (std::size_t r = 0; r < items.size(); ++r) {
        const ui::ListItem& item = items[r];
        out << (r ? ",\n    {" : "\n    {");
        for (std::size_t c = 0; c < 6; ++c)
            out << JsonString(rowFields[c]) << ": " << JsonString(item.cell(c)) << ", ";
        out << "\"checked\": " << (item.checked ? "true" : "false")
            << ", \"color\": " << jsonColour(item.foreColor) << ", \"image\": " << item.smallIcon
            << "}";
    }
    out << (items.empty() ? "],\n" : "\n  ],\n");
    out << "  \"tree\": [";
    const auto& nodes = frm.tvMain.nodes;
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const ui::TreeNode& n = nodes[i];
        out << (i ? ",\n    {" : "\n    {");
        out << "\"key\": " << (n.key.empty() ? "null" : JsonString(n.key))
            << ", \"caption\": " << JsonString(n.text) << ", \"image\": " << n.image
            << ", \"parent\": "
            << (n.parent && *n.parent < nodes.size() ? std::to_string(*n.parent) : "null")
            << ", \"bold\": " << (n.bold ? "true" : "false")
            << ", \"expanded\": " << (n.expanded ? "true" : "false") << "}";
    }
    out << (nodes.empty() ? "]\n" : "\n  ]\n");
    out << "}\n";
}

int runList(const ListOptions& options, Io& io) {
    // The scan stores the window's settings as the desktop app's does: one store for both.
    UserStore store = openUserStore(io);
    Session session(store.options);
    ide::LoadReport report;
    try {
        report = session.load(options.paths);
    } catch (const std::exception& e) {
        io.err << "arkstash: " << TerminalSafe(e.what()) << '\n';
        return kExitUsage;
    }
    for (const auto& issue : report.issues)
        io.err << "arkstash: warning: " << TerminalSafe(issue.file) << ": "
               << TerminalSafe(issue.message) << '\n';
    try {
        session.open();
    } catch (const std::exception& e) {
        // The scan drops what fails on its own; anything that still escapes is reported.
        io.err << "arkstash: " << TerminalSafe(e.what()) << '\n';
        return kExitUsage;
    }
    const form::MainForm& frm = session.form();
    if (options.json)
        printJson(frm, io.out);
    else if (options.tree)
        printTree(frm.tvMain, io.out);
    else
        printTable(frm.ListView1, io.out);
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
                  "Print the file list and the project tree as one JSON object");
    return {sub, [&io, options] { return runList(*options, io); }};
}

}  // namespace arkstash::cli
