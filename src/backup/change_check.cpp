#include "backup/change_check.h"

#include <algorithm>
#include <map>
#include <unordered_map>

#include "platform/error.h"
#include "util/strings.h"

namespace arkstash::backup {

namespace {

// Lines are counted in text up to this size; beyond it a file is only said to differ.
constexpr std::uint64_t kLargestCountedText = std::uint64_t{16} << 20;
// The exact count gives up past this many edits and counts lines present on one side only.
constexpr std::size_t kMostEdits = 4000;

using Lines = std::vector<std::uint32_t>;  // each line as a number, equal lines equal numbers

// Myers' greedy search for the shortest edit script's length, within `most` edits.
std::optional<std::size_t> editDistance(const Lines& a, const Lines& b, std::size_t most) {
    const long n = static_cast<long>(a.size()), m = static_cast<long>(b.size());
    const long limit = std::min<long>(n + m, static_cast<long>(most));
    std::vector<long> furthest(static_cast<std::size_t>(2 * limit + 3), 0);
    auto at = [&](long diagonal) -> long& {
        return furthest[static_cast<std::size_t>(diagonal + limit + 1)];
    };
    for (long d = 0; d <= limit; ++d) {
        for (long k = -d; k <= d; k += 2) {
            long x = (k == -d || (k != d && at(k - 1) < at(k + 1))) ? at(k + 1) : at(k - 1) + 1;
            long y = x - k;
            while (x < n && y < m &&
                   a[static_cast<std::size_t>(x)] == b[static_cast<std::size_t>(y)])
                ++x, ++y;
            at(k) = x;
            if (x >= n && y >= m) return static_cast<std::size_t>(d);
        }
    }
    return std::nullopt;
}

// Lines of one side without an equal line left to pair with on the other.
LineChanges unpairedLines(const Lines& a, const Lines& b) {
    std::unordered_map<std::uint32_t, long> balance;
    for (auto line : a) ++balance[line];
    for (auto line : b) --balance[line];
    LineChanges c;
    for (const auto& [line, count] : balance)
        (count > 0 ? c.removed : c.added) += static_cast<std::size_t>(count > 0 ? count : -count);
    return c;
}

std::optional<std::string> diskText(os::FileSystem& files, const archive::PlannedEntry& p) {
    if (p.size > kLargestCountedText) return std::nullopt;
    std::optional<std::string> text;
    attempt([&] { text = files.readFile(p.path, kLargestCountedText); });
    return text;
}

std::optional<std::string> archiveText(const archive::ArchiveReader& archive,
                                       const archive::ArchiveEntry& e) {
    std::optional<std::string> text;
    attempt([&] { text = archive.readAll(e, kLargestCountedText); });
    return text;
}

std::optional<LineChanges> linesBetween(const std::optional<std::string>& before,
                                        const std::optional<std::string>& after) {
    if (!before || !after) return std::nullopt;
    return countChangedLines(*before, *after);
}

}  // namespace

std::optional<LineChanges> countChangedLines(std::string_view before, std::string_view after) {
    if (before.find('\0') != std::string_view::npos || after.find('\0') != std::string_view::npos)
        return std::nullopt;
    std::unordered_map<std::string_view, std::uint32_t> numbers;
    auto numbered = [&](std::string_view text) {
        Lines lines;
        for (auto line : util::splitLines(text))
            lines.push_back(
                numbers.emplace(line, static_cast<std::uint32_t>(numbers.size())).first->second);
        return lines;
    };
    Lines a = numbered(before), b = numbered(after);
    // What both share at the start and the end costs the search nothing.
    auto head = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
    a.erase(a.begin(), head.first);
    b.erase(b.begin(), head.second);
    auto tail = std::mismatch(a.rbegin(), a.rend(), b.rbegin(), b.rend());
    a.erase(tail.first.base(), a.end());
    b.erase(tail.second.base(), b.end());
    auto edits = editDistance(a, b, kMostEdits);
    if (!edits) return unpairedLines(a, b);
    // Every edit adds or removes one line, and the additions outnumber the removals by the
    // difference in length.
    return LineChanges{(*edits + b.size() - a.size()) / 2, (*edits + a.size() - b.size()) / 2};
}

std::vector<FileChange> compareWithArchive(const archive::ArchiveReader& archive,
                                           const std::vector<archive::PlannedEntry>& planned,
                                           os::FileSystem& files, bool countLines) {
    std::map<std::string, const archive::ArchiveEntry*> stored;
    for (const auto& e : archive.entries())
        if (e.type == archive::EntryType::File) stored.emplace(e.name, &e);

    std::vector<FileChange> changes;
    for (const auto& p : planned) {
        auto it = stored.find(p.entryName);
        if (it == stored.end()) {
            changes.push_back({ChangeKind::Added, p.entryName,
                               countLines ? linesBetween("", diskText(files, p)) : std::nullopt});
            continue;
        }
        const archive::ArchiveEntry& e = *it->second;
        stored.erase(it);
        bool same = false;
        if (p.size == e.size)
            attempt([&] { same = archive::DigestFile(p.path).crc == archive.contentCrc(e); });
        if (same) continue;
        changes.push_back({ChangeKind::Modified, p.entryName,
                           countLines ? linesBetween(archiveText(archive, e), diskText(files, p))
                                      : std::nullopt});
    }
    for (const auto& [name, e] : stored)
        changes.push_back({ChangeKind::Removed, name,
                           countLines ? linesBetween(archiveText(archive, *e), "") : std::nullopt});
    std::sort(changes.begin(), changes.end(),
              [](const auto& a, const auto& b) { return a.name < b.name; });
    return changes;
}

}  // namespace arkstash::backup
