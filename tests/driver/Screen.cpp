#include "Screen.h"

#include <fstream>
#include <utility>

namespace qeltor::driver {

Picture Drawn(int width, int height, const std::function<void(HDC)>& paint) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    HDC dc = ::CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    Picture picture{width, {}};
    if (bits != nullptr) {
        paint(dc);
        ::GdiFlush();
        const auto* first = static_cast<const DWORD*>(bits);
        picture.pixels.assign(first, first + static_cast<ptrdiff_t>(width) * height);
    }
    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
    for (DWORD& pixel : picture.pixels) {
        pixel &= 0xFFFFFFU;
    }
    return picture;
}

Picture OnScreen(const RECT& rect) {
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    return Drawn(width, height, [&](HDC dc) {
        HDC screen = ::GetDC(nullptr);
        ::BitBlt(dc, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
        ::ReleaseDC(nullptr, screen);
    });
}

std::wstring StockIconAt(const RECT& rect) {
    const Picture seen = OnScreen(rect);
    if (seen.pixels.empty()) {
        return {};
    }
    // Icons are drawn with transparency: the reference goes on the screen's own background.
    const DWORD background = seen.pixels.front();
    const std::pair<LPCWSTR, const wchar_t*> stock[] = {{IDI_HAND, L"hand"},
                                                        {IDI_ASTERISK, L"asterisk"},
                                                        {IDI_EXCLAMATION, L"exclamation"},
                                                        {IDI_QUESTION, L"question"}};
    for (const auto& candidate : stock) {
        const Picture drawn = Drawn(seen.width, seen.Height(), [&](HDC dc) {
            HBRUSH brush = ::CreateSolidBrush(RGB(GetBValue(background), GetGValue(background), GetRValue(background)));
            const RECT all{0, 0, seen.width, seen.Height()};
            ::FillRect(dc, &all, brush);
            ::DeleteObject(brush);
            ::DrawIconEx(dc, 0, 0, ::LoadIconW(nullptr, candidate.first), seen.width, seen.Height(), 0, nullptr,
                         DI_NORMAL);
        });
        if (drawn == seen) {
            return candidate.second;
        }
    }
    return {};
}

bool SaveBmp(const std::filesystem::path& file, const Picture& picture) {
    const DWORD bytes = static_cast<DWORD>(picture.pixels.size()) * DWORD{sizeof(DWORD)};
    const DWORD offset = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    const BITMAPFILEHEADER head{0x4D42, offset + bytes, 0, 0, offset};
    const BITMAPINFOHEADER info{sizeof info, picture.width, -picture.Height(), 1, 32, BI_RGB, bytes, 0, 0, 0, 0};
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&head), sizeof head);
    out.write(reinterpret_cast<const char*>(&info), sizeof info);
    out.write(reinterpret_cast<const char*>(picture.pixels.data()), static_cast<std::streamsize>(bytes));
    return out.good();
}

}  // namespace qeltor::driver
