// Draws the program's icon, a yellow folder with a grey gear wheel in front of its lower right
// part, at 48, 32, 24 and 16 pixels, and writes it into the given folder as
//   Icon48.bin .. Icon16.bin  RT_ICON data (BITMAPINFOHEADER, 24-bit colours, AND mask),
//   IconGroup.bin             the RT_GROUP_ICON directory naming them by resource id,
//   QeltorService.ico         the same images as an icon file, for viewing.
// It runs on the build machine, so it needs nothing but the standard library.
#include "ResourceIds.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <numbers>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Colour {
    double r;
    double g;
    double b;
};

struct Point {
    double x;
    double y;
};

Colour Mix(Colour from, Colour to, double t) {
    t = std::clamp(t, 0.0, 1.0);
    return {from.r + (to.r - from.r) * t, from.g + (to.g - from.g) * t, from.b + (to.b - from.b) * t};
}

constexpr Colour kFolderOutline{0.60, 0.40, 0.05};
constexpr Colour kBackTop{0.93, 0.70, 0.20};
constexpr Colour kBackBottom{0.84, 0.58, 0.12};
constexpr Colour kFrontTop{1.00, 0.88, 0.45};
constexpr Colour kFrontBottom{0.98, 0.75, 0.20};
constexpr Colour kFrontHighlight{1.00, 0.96, 0.76};
constexpr Colour kGearOutline{0.27, 0.27, 0.29};
constexpr Colour kGearLight{0.84, 0.84, 0.85};
constexpr Colour kGearDark{0.52, 0.52, 0.54};
// A 1-bit mask cannot blend, so edge pixels are blended with the dialog face colour the
// icon is mostly shown on; below half coverage they stay transparent.
constexpr Colour kFace{240.0 / 255, 240.0 / 255, 240.0 / 255};

// Signed distances in pixels, negative inside.
double Box(Point p, double left, double top, double right, double bottom, double radius) {
    const double qx = std::abs(p.x - (left + right) / 2) - ((right - left) / 2 - radius);
    const double qy = std::abs(p.y - (top + bottom) / 2) - ((bottom - top) / 2 - radius);
    return std::hypot(std::max(qx, 0.0), std::max(qy, 0.0)) + std::min(std::max(qx, qy), 0.0) - radius;
}

// Symmetric trapezoid around the y axis: half width `bottom` at y = -half, `top` at y = +half.
double Trapezoid(Point p, double bottom, double top, double half) {
    const double x = std::abs(p.x);
    const double cax = x - std::min(x, p.y < 0 ? bottom : top);
    const double cay = std::abs(p.y) - half;
    const double k2x = top - bottom;
    const double k2y = 2 * half;
    const double t = std::clamp(((top - x) * k2x + (half - p.y) * k2y) / (k2x * k2x + k2y * k2y), 0.0, 1.0);
    const double cbx = x - top + k2x * t;
    const double cby = p.y - half + k2y * t;
    const double sign = (cbx < 0 && cay < 0) ? -1.0 : 1.0;
    return sign * std::sqrt(std::min(cax * cax + cay * cay, cbx * cbx + cby * cby));
}

// The drawing at one size, in pixels; the folder's edges sit on pixel boundaries.
struct Layout {
    double left, right, bottom, backTop, tabTop, tabRight, frontTop, corner;
    Point gear;
    double outer, root, hole, tipHalf, rootHalf, gearLine;
};

Layout LayoutFor(int size) {
    const double k = size / 48.0;
    auto snap = [k](double v) { return std::round(v * k); };
    Layout l{};
    l.left = snap(2);
    l.right = snap(45);
    l.bottom = snap(40);
    l.backTop = snap(9);
    l.tabTop = snap(5);
    l.tabRight = snap(18);
    l.frontTop = snap(16);
    l.corner = std::max(0.5, 1.5 * k);
    l.gear = {33.0 * k, 33.0 * k};
    l.outer = 14.0 * k;
    l.root = 10.5 * k;
    l.hole = 4.0 * k;
    l.tipHalf = 2.6 * k;
    l.rootHalf = 3.6 * k;
    l.gearLine = 1.0;
    if (size <= 16) {
        // Scaled down, the teeth and the hole melt into the outline: keep them a pixel wide
        // and thin the outline so the grey shows.
        l.gear = {11.0, 11.0};
        l.outer = 5.0;
        l.root = 3.6;
        l.hole = 1.5;
        l.tipHalf = 0.9;
        l.rootHalf = 1.2;
        l.gearLine = 0.6;
    }
    return l;
}

double BackPanel(Point p, const Layout& l) {
    const double body = Box(p, l.left, l.backTop, l.right, l.bottom, l.corner);
    // The tab reaches well into the body so that only the body outlines their seam.
    const double tab = Box(p, l.left, l.tabTop, l.tabRight, l.backTop + 3, l.corner);
    return std::min(body, tab);
}

double FrontPanel(Point p, const Layout& l) {
    return Box(p, l.left, l.frontTop, l.right, l.bottom, l.corner);
}

double Gear(Point p, const Layout& l) {
    const double dx = p.x - l.gear.x;
    const double dy = p.y - l.gear.y;
    const double r = std::hypot(dx, dy);
    constexpr int kTeeth = 8;
    const double step = 2 * std::numbers::pi / kTeeth;
    // Angle from the nearest tooth's axis; a tooth points straight up.
    const double angle = std::atan2(dx, -dy);
    const double a = angle - step * std::round(angle / step);
    // Teeth start half a pixel inside the rim, so that no seam shows between them.
    const double mid = (l.root - 0.5 + l.outer) / 2;
    const double tooth = Trapezoid({r * std::sin(a), r * std::cos(a) - mid}, l.rootHalf, l.tipHalf, l.outer - mid);
    return std::max(std::min(r - l.root, tooth), l.hole - r);
}

// The colour at one point, if the drawing covers it; layers are painted back to front.
bool Sample(Point p, const Layout& l, Colour& out) {
    constexpr double kLine = 1.0;
    bool hit = false;
    const double height = l.bottom - l.tabTop;
    if (const double d = BackPanel(p, l); d < 0) {
        out = d > -kLine ? kFolderOutline : Mix(kBackTop, kBackBottom, (p.y - l.tabTop) / height);
        hit = true;
    }
    if (const double d = FrontPanel(p, l); d < 0) {
        if (d > -kLine) {
            out = kFolderOutline;
        } else if (p.y < l.frontTop + 2 * kLine && l.bottom - l.frontTop > 8) {
            out = kFrontHighlight;
        } else {
            out = Mix(kFrontTop, kFrontBottom, (p.y - l.frontTop) / (l.bottom - l.frontTop));
        }
        hit = true;
    }
    if (const double d = Gear(p, l); d < 0) {
        const double light = ((p.x - l.gear.x) + (p.y - l.gear.y)) / (4 * l.outer) + 0.5;
        out = d > -l.gearLine ? kGearOutline : Mix(kGearLight, kGearDark, light);
        hit = true;
    }
    return hit;
}

struct Image {
    int size = 0;
    int id = 0;
    std::vector<Colour> colour;  // top row first
    std::vector<bool> opaque;
};

Image Draw(int size, int id) {
    constexpr int kGrid = 16;  // kGrid x kGrid samples per pixel
    const Layout layout = LayoutFor(size);
    Image image{size, id, {}, {}};
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            Colour sum{0, 0, 0};
            int covered = 0;
            for (int sy = 0; sy < kGrid; ++sy) {
                for (int sx = 0; sx < kGrid; ++sx) {
                    const Point p{x + (sx + 0.5) / kGrid, y + (sy + 0.5) / kGrid};
                    Colour c{};
                    if (Sample(p, layout, c)) {
                        sum = {sum.r + c.r, sum.g + c.g, sum.b + c.b};
                        ++covered;
                    }
                }
            }
            const double coverage = static_cast<double>(covered) / (kGrid * kGrid);
            const double n = kGrid * kGrid;
            image.opaque.push_back(coverage >= 0.5);
            image.colour.push_back({sum.r / n + kFace.r * (1 - coverage), sum.g / n + kFace.g * (1 - coverage),
                                    sum.b / n + kFace.b * (1 - coverage)});
        }
    }
    return image;
}

void Put16(Bytes& out, unsigned value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFFU));
    out.push_back(static_cast<std::uint8_t>((value >> 8U) & 0xFFU));
}

void Put32(Bytes& out, unsigned value) {
    Put16(out, value & 0xFFFFU);
    Put16(out, value >> 16U);
}

std::uint8_t Channel(double v) {
    return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255));
}

// BITMAPINFOHEADER, then the colour rows and the mask rows, bottom row first, each row padded
// to four bytes. Transparent pixels are black so that the mask alone decides them.
Bytes IconData(const Image& image) {
    const auto size = static_cast<unsigned>(image.size);
    const unsigned colourRow = (size * 3 + 3) / 4 * 4;
    const unsigned maskRow = (size + 31) / 32 * 4;
    Bytes out;
    Put32(out, 40);
    Put32(out, size);
    Put32(out, size * 2);  // colour and mask together
    Put16(out, 1);
    Put16(out, 24);
    Put32(out, 0);  // BI_RGB
    Put32(out, (colourRow + maskRow) * size);
    for (int i = 0; i < 4; ++i) {
        Put32(out, 0);  // resolution and palette: unused
    }
    const auto width = static_cast<std::size_t>(image.size);
    for (std::size_t y = width; y-- > 0;) {
        Bytes row(colourRow, 0);
        for (std::size_t x = 0; x < width; ++x) {
            if (image.opaque[y * width + x]) {
                const Colour& c = image.colour[y * width + x];
                row[x * 3] = Channel(c.b);
                row[x * 3 + 1] = Channel(c.g);
                row[x * 3 + 2] = Channel(c.r);
            }
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    for (std::size_t y = width; y-- > 0;) {
        Bytes row(maskRow, 0);
        for (std::size_t x = 0; x < width; ++x) {
            if (!image.opaque[y * width + x]) {
                row[x / 8] |= static_cast<std::uint8_t>(0x80U >> (x % 8));
            }
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

// The fields both directories share: width, height, colour count, reserved, planes, bits.
void PutEntryStart(Bytes& out, const Image& image) {
    out.push_back(static_cast<std::uint8_t>(image.size));
    out.push_back(static_cast<std::uint8_t>(image.size));
    out.push_back(0);
    out.push_back(0);
    Put16(out, 1);
    Put16(out, 24);
}

void PutDirectoryStart(Bytes& out, std::size_t count) {
    Put16(out, 0);
    Put16(out, 1);  // icons, not cursors
    Put16(out, static_cast<unsigned>(count));
}

// RT_GROUP_ICON: the .ico directory with a resource id in place of each file offset.
Bytes GroupData(const std::vector<Image>& images, const std::vector<Bytes>& data) {
    Bytes out;
    PutDirectoryStart(out, images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        PutEntryStart(out, images[i]);
        Put32(out, static_cast<unsigned>(data[i].size()));
        Put16(out, static_cast<unsigned>(images[i].id));
    }
    return out;
}

Bytes IcoFile(const std::vector<Image>& images, const std::vector<Bytes>& data) {
    Bytes out;
    PutDirectoryStart(out, images.size());
    auto offset = static_cast<unsigned>(6 + 16 * images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        PutEntryStart(out, images[i]);
        Put32(out, static_cast<unsigned>(data[i].size()));
        Put32(out, offset);
        offset += static_cast<unsigned>(data[i].size());
    }
    for (const Bytes& d : data) {
        out.insert(out.end(), d.begin(), d.end());
    }
    return out;
}

bool Write(const std::string& path, const Bytes& bytes) {
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) {
        std::cerr << "DrawIcon: cannot write " << path << '\n';
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: DrawIcon <output directory>\n";
        return 2;
    }
    const std::string dir = std::string(argv[1]) + "/";
    constexpr std::array<std::array<int, 2>, 4> kImages{{{48, qeltor::resources::kIconImage48},
                                                         {32, qeltor::resources::kIconImage32},
                                                         {24, qeltor::resources::kIconImage24},
                                                         {16, qeltor::resources::kIconImage16}}};
    std::vector<Image> images;
    std::vector<Bytes> data;
    bool ok = true;
    for (const auto& [size, id] : kImages) {
        images.push_back(Draw(size, id));
        data.push_back(IconData(images.back()));
        ok = Write(dir + "Icon" + std::to_string(size) + ".bin", data.back()) && ok;
    }
    ok = Write(dir + "IconGroup.bin", GroupData(images, data)) && ok;
    ok = Write(dir + "QeltorService.ico", IcoFile(images, data)) && ok;
    return ok ? 0 : 1;
}
