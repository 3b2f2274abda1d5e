#pragma once

// Geometry of the main window, kept in twips (1/1440 inch) as it is designed, and the rule
// that lays out the notice strip. Plain C++: the unit tests check it without Windows.
namespace qeltor::layout {

inline constexpr int kTwipsPerInch = 1440;
inline constexpr int kDesignDpi = 96;  // 15 twips a pixel

// `twips` in pixels at `dpi`, rounded to the nearest pixel (halves away from zero, as MulDiv does).
int TwipsToPixels(int twips, int dpi);

struct Rect {
    int left;
    int top;
    int width;
    int height;
    bool operator==(const Rect&) const = default;
};

Rect TwipsToPixels(const Rect& twips, int dpi);

// Where each piece sits when the window is created, in twips of its container.
inline constexpr int kClientWidth = 3915;
inline constexpr int kClientHeight = 1860;
inline constexpr Rect kCommand1{960, 360, 2415, 495};
inline constexpr Rect kPicture1{0, 1485, 3915, 375};
inline constexpr Rect kLabel1{-360, 45, 5655, 375};
inline constexpr Rect kImage1{120, 240, 720, 720};

// The strip follows the client area: full width, its own height, its bottom on the bottom.
Rect DockedToBottom(const Rect& strip, int clientWidth, int clientHeight);

// The resize rule: the notice takes the strip's outer width and sits at left 0, top 40 inside
// it; its height stays. Units are the caller's; `top40` is 40 twips in those units.
Rect LabelAfterResize(const Rect& label, int stripOuterWidth, int top40);

}  // namespace qeltor::layout
