// What each kind of component (the environment's `VBComponent.Type`) becomes in the project
// tree and the file list.
#pragma once

#include <string_view>
#include <vector>

namespace arkstash::projectview {

// A binary file the environment keeps beside a component's source.
struct Companion {
    std::string_view extension;  // takes the place of the source file's extension
    std::string_view typeText;
};

struct ComponentKind {
    int type;
    std::string_view folder;    // caption of its tree folder
    std::string_view typeText;  // the Type column of its row
    bool countsLines;           // resource files and related documents have no code
    std::vector<Companion> companions;
};

// The kind of a `Type` number; none for a number outside 1 to 11.
const ComponentKind* findComponentKind(int type);

}  // namespace arkstash::projectview
