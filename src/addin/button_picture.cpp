#include "addin/button_picture.h"

#include <zlib.h>

#include <array>
#include <string_view>

namespace arkstash::addin {

namespace {

// The sixteen colours the picture is drawn in, by the letter that stands for each below.
struct PaletteEntry {
    char letter;
    Rgb colour;
};
constexpr std::array<PaletteEntry, 16> kPalette = {{
    {'.', kButtonBackground},
    {'k', rgb(0, 0, 0)},
    {'w', rgb(255, 255, 255)},
    {'d', rgb(128, 128, 128)},
    {'r', rgb(128, 0, 0)},
    {'R', rgb(255, 0, 0)},
    {'g', rgb(0, 128, 0)},
    {'G', rgb(0, 255, 0)},
    {'o', rgb(128, 128, 0)},
    {'y', rgb(255, 255, 0)},
    {'n', rgb(0, 0, 128)},
    {'b', rgb(0, 0, 255)},
    {'p', rgb(128, 0, 128)},
    {'m', rgb(255, 0, 255)},
    {'t', rgb(0, 128, 128)},
    {'c', rgb(0, 255, 255)},
}};

// A green arrow going down into a yellow archive box with a zip running down its front.
constexpr std::array<std::string_view, kButtonPictureSize> kPicture = {{
    ".................",
    "......kkkkk......",
    "......kGGGk......",
    "......kGgGk......",
    "......kGgGk......",
    "...kkkkGgGkkkk...",
    "....kGGGgGGGk....",
    ".....kGGgGGk.....",
    "..kkkkkkGkkkkkk..",
    "..kyyyyywyyyyykd.",
    "..kyyyyykyyyyykd.",
    "..kooooowoooookd.",
    "..kyyyyykyyyyykd.",
    "..kyyyyywyyyyykd.",
    "..koooooooooookd.",
    "..kkkkkkkkkkkkkd.",
    "...ddddddddddddd.",
}};

Rgb colourOf(char letter) {
    for (const PaletteEntry& entry : kPalette)
        if (entry.letter == letter) return entry.colour;
    return kButtonBackground;
}

void putBigEndian(std::string& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>(value >> shift));
}

void putChunk(std::string& out, const char* type, const std::string& data) {
    putBigEndian(out, static_cast<std::uint32_t>(data.size()));
    std::string typed = std::string(type, 4) + data;
    out += typed;
    uLong crc = crc32(0L, Z_NULL, 0);
    crc = crc32(crc, reinterpret_cast<const Bytef*>(typed.data()), static_cast<uInt>(typed.size()));
    putBigEndian(out, static_cast<std::uint32_t>(crc));
}

}  // namespace

Bitmap buttonBitmap(const ColourMap& map) {
    Bitmap bitmap{kButtonPictureSize, kButtonPictureSize, {}};
    bitmap.pixels.reserve(kButtonPictureSize * kButtonPictureSize);
    for (std::string_view row : kPicture)
        for (char letter : row) {
            Rgb colour = colourOf(letter);
            bitmap.pixels.push_back(colour == map.from ? map.to : colour);
        }
    return bitmap;
}

std::string encodePng(const Bitmap& bitmap) {
    if (!bitmap.valid()) return {};
    // Each row starts with its filter byte (0: none), then red, green, blue per pixel.
    std::string raw;
    raw.reserve(static_cast<std::size_t>(bitmap.height) * (1 + 3 * bitmap.width));
    for (int y = 0; y < bitmap.height; ++y) {
        raw.push_back('\0');
        for (int x = 0; x < bitmap.width; ++x) {
            Rgb c = bitmap.pixels[static_cast<std::size_t>(y) * bitmap.width + x];
            raw.push_back(static_cast<char>(c & 0xFF));
            raw.push_back(static_cast<char>((c >> 8) & 0xFF));
            raw.push_back(static_cast<char>((c >> 16) & 0xFF));
        }
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::string packed(packedSize, '\0');
    if (compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize,
                  reinterpret_cast<const Bytef*>(raw.data()), static_cast<uLong>(raw.size()),
                  Z_BEST_COMPRESSION) != Z_OK)
        return {};
    packed.resize(packedSize);

    std::string header;
    putBigEndian(header, static_cast<std::uint32_t>(bitmap.width));
    putBigEndian(header, static_cast<std::uint32_t>(bitmap.height));
    header += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, no filter, no
                                                       // interlace
    std::string png("\x89PNG\r\n\x1a\n", 8);
    putChunk(png, "IHDR", header);
    putChunk(png, "IDAT", packed);
    putChunk(png, "IEND", {});
    return png;
}

}  // namespace arkstash::addin
