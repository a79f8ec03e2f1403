#include "backup/side_file.h"

#include <cstdio>
#include <optional>
#include <string_view>
#include <vector>

#include "form/file_rows.h"
#include "form/helpers.h"
#include "form/side_file_path.h"
#include "platform/error.h"
#include "platform/os/text_codec.h"

namespace arkstash::backup {

namespace {

constexpr std::string_view kMemoStart = "[Memo]";
constexpr std::string_view kMemoEnd = "[End Memo]";
constexpr std::string_view kFileTag = "[File]";
constexpr std::string_view kLineEnd = "\r\n";

struct SideFileContent {
    std::string memo;
    std::vector<std::string> files;
};

// CR LF, a lone CR and a lone LF each end a line; a line end at the very end of the text does
// not start another (empty) line.
std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c != '\r' && c != '\n') continue;
        lines.push_back(text.substr(start, i - start));
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

SideFileContent parse(std::string_view text) {
    SideFileContent content;
    auto lines = splitLines(text);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string_view line = lines[i];
        if (line == kMemoStart) {
            // The memo's own lines, up to the end marker, or to the end of the file when the
            // marker is missing (a file cut short keeps what it has). Lines in here are never
            // taken for file entries.
            std::string block;
            bool first = true;
            for (++i; i < lines.size() && lines[i] != kMemoEnd; ++i) {
                if (!first) block += kLineEnd;
                block += lines[i];
                first = false;
            }
            content.memo += block;
        } else if (line.find(kFileTag) != std::string_view::npos) {
            // The path starts at the seventh character whatever comes before the tag; our own
            // lines always start with the tag.
            content.files.emplace_back(line.size() > kFileTag.size() ? line.substr(kFileTag.size())
                                                                     : std::string_view());
        }
    }
    return content;
}

std::string format(const std::string& memo, const std::vector<std::string>& files) {
    std::string out;
    if (!memo.empty()) {
        out += kMemoStart;
        out += kLineEnd;
        out += memo;
        out += kLineEnd;
        out += kMemoEnd;
        out += kLineEnd;
    }
    for (const auto& f : files) {
        out += kFileTag;
        out += f;
        out += kLineEnd;
    }
    return out;
}

// The decoded text of a side file; nothing when it is missing, unreadable or too large.
std::optional<std::string> readText(form::MainForm& frm, const std::string& filename) {
    std::optional<std::string> text;
    attempt([&] { text = os::decodeText(frm.platform.fs.readFile(filename, kSideFileReadLimit)); });
    return text;
}

void writeContent(form::MainForm& frm, const std::string& filename, const std::string& memo,
                  const std::vector<std::string>& files) {
    if (filename.empty()) return;
    std::string text = format(memo, files);
    // Windows-1252 keeps the files readable by older installations; a character outside it
    // switches the whole file to UTF-8 rather than losing the character.
    std::optional<std::string> narrow;
    attempt([&] { narrow = os::encodeText(text, "1252"); });
    const std::string& bytes = narrow ? *narrow : text;
    attempt([&] { frm.platform.fs.replaceFile(filename, bytes); });
}

// A user-added row for `path`, with its size and creation time; the row rule decides whether
// the file qualifies (it refuses hidden and missing files).
bool addUserRow(form::MainForm& frm, const std::string& path) {
    std::optional<os::FileInfo> info;
    attempt([&] { info = frm.platform.fs.findFirst(path, true); });
    if (!info) return false;
    return form::AddFileRow(
        frm, path, "---", form::kUserAddedType, form::FormatFileSize(info->size),
        form::FormatFileDate(info->creationTime), "---", form::images::kUserAdded, "Green");
}

}  // namespace

std::string SideFilePath(form::MainForm& frm) {
    return form::SideFilePath(frm);
}

std::string ShownSideFile(form::MainForm& frm) {
    return frm.memoSideFile.empty() ? form::SideFilePath(frm) : frm.memoSideFile;
}

void ReadAKS(form::MainForm& frm, const std::string& filename) {
    auto text = readText(frm, filename);
    if (!text) return;
    SideFileContent content = parse(*text);
    if (!content.memo.empty())
        attempt([&] { frm.txtMemo.setText(frm.txtMemo.Text() + content.memo); });
    for (const auto& path : content.files) addUserRow(frm, path);
    // Fitting once after all rows gives the same widths as fitting after each.
    if (!content.files.empty()) attempt([&] { form::AutoSizeColumns(frm.ListView1); });
}

void WriteAKS(form::MainForm& frm, const std::string& filename) {
    std::vector<std::string> files;
    for (const auto& row : frm.ListView1.items)
        if (form::IsUserAddedRow(row)) files.push_back(row.text);
    writeContent(frm, filename, frm.txtMemo.Text(), files);
}

void SaveMemo(form::MainForm& frm, const std::string& filename) {
    if (filename.empty()) return;
    std::vector<std::string> files;
    if (auto text = readText(frm, filename)) files = parse(*text).files;
    writeContent(frm, filename, frm.txtMemo.Text(), files);
}

std::string fncGetFileNametoOpen(form::MainForm& frm, const std::string& strDialogTitle,
                                 const std::string& strFilter,
                                 const std::string& strDefaultExtention) {
    std::string path;
    attempt([&] {
        path = frm.platform.dialogs.OpenFile(ui::FileOpenRequest{
            .title = strDialogTitle, .filter = strFilter, .defaultExtension = strDefaultExtention});
    });
    return form::NulTrim(path);
}

void AddFile(form::MainForm& frm) {
    std::string path = fncGetFileNametoOpen(frm, "Add file to project", "All Files|*.*", "*.*");
    // FileExists also finds hidden files; the row rule then refuses them, and the side file is
    // still rewritten, unchanged.
    if (path.empty() || form::FileExists(frm.platform.fs, path) != "True") return;
    addUserRow(frm, path);
    attempt([&] { form::AutoSizeColumns(frm.ListView1); });
    WriteAKS(frm, ShownSideFile(frm));
}

void txtMemo_KeyPress(form::MainForm& frm, int& keyAscii) {
    if (keyAscii == 0) return;
    WriteAKS(frm, ShownSideFile(frm));
}

void cmdAddDate_Click(form::MainForm& frm) {
    static const char* const days[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                       "Thursday", "Friday", "Saturday"};
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    os::DateTime t;
    if (!attempt([&] { t = frm.platform.clock.now(); })) return;
    if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31) return;
    // The weekday follows from the date; a clock's own weekday field is not trusted.
    int weekday = ((os::weekdayOf(t.year, t.month, t.day) % 7) + 7) % 7;
    char stamp[96];
    std::snprintf(stamp, sizeof stamp, "[%s, %s %d %04d - %02d:%02d:%02d]\r\n", days[weekday],
                  months[t.month - 1], t.day, t.year, t.hour, t.minute, t.second);
    attempt([&] { frm.txtMemo.setText(frm.txtMemo.Text() + stamp); });
}

void RemoveUserFile(form::MainForm& frm) {
    ui::ListView& list = frm.ListView1;
    ui::ListItem* row = list.selectedItem();
    // The tool's enabled state can be stale (a rescan, a sort); only a user-added row goes.
    if (!row || !form::IsUserAddedRow(*row)) return;
    if (!attempt([&] { list.removeItem(*list.selected); })) return;
    WriteAKS(frm, ShownSideFile(frm));
}

}  // namespace arkstash::backup
