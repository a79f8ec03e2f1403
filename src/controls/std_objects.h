// The two object-valued property types the controls store: a font and a picture. Both are
// plain values here; a host copies them into its own toolkit objects when it draws.
#pragma once

#include <string>

namespace arkstash::controls {

struct StdFont {
    std::string Name = "MS Sans Serif";
    double Size = 8.25;  // points
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool Strikethrough = false;

    friend bool operator==(const StdFont&, const StdFont&) = default;
};

// The font the main window's status bars and folder picker are stored with.
inline StdFont tahoma825() {
    return StdFont{.Name = "Tahoma", .Size = 8.25};
}

// An encoded image (PNG, BMP, ...) as the host can decode it; no bytes means no picture.
struct StdPicture {
    std::string data;

    bool empty() const { return data.empty(); }
    friend bool operator==(const StdPicture&, const StdPicture&) = default;
};

}  // namespace arkstash::controls
