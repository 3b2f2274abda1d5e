#pragma once

// What the screen shows, compared pixel by pixel with what the tests draw themselves: another
// process's icons and fonts mean nothing here, their pixels do.
#include <windows.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace qeltor::driver {

// RGB pixels, rows from the top.
struct Picture {
    int width = 0;
    std::vector<DWORD> pixels;
    bool operator==(const Picture&) const = default;
    [[nodiscard]] int Height() const { return width == 0 ? 0 : static_cast<int>(pixels.size()) / width; }
    [[nodiscard]] DWORD At(int x, int y) const { return pixels[static_cast<size_t>((y * width) + x)]; }
};

// Whatever `paint` draws on a fresh `width` x `height` bitmap.
Picture Drawn(int width, int height, const std::function<void(HDC)>& paint);

Picture OnScreen(const RECT& rect);

// Which of the system's message icons ("hand", "asterisk", "exclamation", "question") the
// screen shows filling `rect`; empty for none.
std::wstring StockIconAt(const RECT& rect);

// A top-down 32-bit BMP, for ImageMagick to turn into a PNG.
bool SaveBmp(const std::filesystem::path& file, const Picture& picture);

}  // namespace qeltor::driver
