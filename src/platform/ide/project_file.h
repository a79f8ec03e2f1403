// The project (.vbp) and group (.vbg) file formats as text: pure functions from the decoded
// text to what it says, with paths exactly as written. Finding the files is the loader's job.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace arkstash::ide {

// Something a file says that could not be taken as it stands; `line` counts from 1.
struct ParseNote {
    std::size_t line = 0;
    std::string message;
};

// A component line such as "Module=modMain; modMain.bas" or "Form=frmMain.frm".
struct ComponentLine {
    int kind = 0;      // ComponentType; a Form= line gives vbext_ct_VBForm until its file is read
    std::string name;  // the name before ";" of Module= and Class= lines; empty otherwise
    std::string path;  // as written
    std::size_t line = 0;
};

// A "Reference=" (type library or project) or "Object=" (control) line.
struct ReferenceLine {
    bool control = false;  // an Object= line
    bool project = false;  // "*\A...": another project, which has no library identifier
    std::string guid;      // as written, braces included
    long major = 0;        // the file writes versions in hexadecimal
    long minor = 0;
    std::string lcid;  // as written
    std::string path;  // as written; for controls usually a bare file name
    std::string description;
    std::size_t line = 0;
};

struct ProjectFile {
    std::optional<int> type;  // ProjectType; empty when the file has no Type= line
    std::optional<std::string> name;
    std::optional<std::string> description;
    std::optional<std::string> exeName32;
    std::vector<ComponentLine> components;
    std::vector<ReferenceLine> references;
    std::vector<ParseNote> notes;
    // How many lines were settings a project file holds; none means the text is no project.
    std::size_t settings = 0;
};

// Reads the settings up to the first "[section]" line: the sections after it belong to
// add-ins and may reuse any key.
ProjectFile parseProjectFile(std::string_view text);

struct GroupMember {
    std::string path;  // as written, relative to the group file
    bool startup = false;
    std::size_t line = 0;
};

struct GroupFile {
    bool header = false;  // the first line is "VBGROUP <version>"
    std::string version;
    std::vector<GroupMember> projects;  // in the order of the file, the start-up one included
    std::vector<ParseNote> notes;
};

GroupFile parseGroupFile(std::string_view text);

// True when the first line that is not blank starts with "VBGROUP".
bool looksLikeGroup(std::string_view text);

// "2.0" -> 2, 0; "1.a" -> 1, 10. Empty when either number is not hexadecimal or too long.
std::optional<std::pair<long, long>> parseHexVersion(std::string_view text);

}  // namespace arkstash::ide
