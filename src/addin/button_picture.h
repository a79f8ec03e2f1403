// The picture on the add-in's button: a 17 x 17 bitmap of sixteen colours drawn here, its grey
// background mapped to the colour of the environment's menus, and encoded as the picture the
// clipboard carries to the button.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace arkstash::addin {

// Colours are &HBBGGRR values, as the environment reports its system colours.
using Rgb = std::uint32_t;

constexpr Rgb rgb(unsigned red, unsigned green, unsigned blue) {
    return (blue & 0xFF) << 16 | (green & 0xFF) << 8 | (red & 0xFF);
}

struct Bitmap {
    int width = 0;
    int height = 0;
    std::vector<Rgb> pixels;  // row by row, top first
    bool valid() const {
        return width > 0 && height > 0 &&
               pixels.size() == static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    }
};

// One colour of a bitmap replaced by another as it is loaded.
struct ColourMap {
    Rgb from = 0;
    Rgb to = 0;
};

inline constexpr int kButtonPictureSize = 17;
// The background of the button's picture, which takes the menus' colour.
inline constexpr Rgb kButtonBackground = rgb(189, 189, 189);

// The button's picture with `map` applied: an archive box with an arrow going into it.
Bitmap buttonBitmap(const ColourMap& map);

// The bitmap as PNG bytes (8-bit RGB, no interlace). Empty for a bitmap that is not valid().
std::string encodePng(const Bitmap& bitmap);

}  // namespace arkstash::addin
