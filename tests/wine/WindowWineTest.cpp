// Runs the real QeltorService.exe under Wine and looks at its window from outside, as a person
// and another program see it: the frame, where each control sits, what the screen shows, the
// keyboard, a mouse click on the button and the close command.
// Usage: WindowWineTest <QeltorService.exe> <folder with the tool stand-ins> <screenshot .bmp>
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "Codes.h"
#include "InstallCase.h"
#include "Programs.h"
#include "Screen.h"
#include "Window.h"
#include "resources/ResourceIds.h"
#include "win32/Handles.h"

namespace fs = std::filesystem;
using namespace qeltor::wine_case;
using qeltor::driver::kStillRunning;
using qeltor::driver::OnScreen;
using qeltor::driver::Picture;
using qeltor::driver::WaitUntil;
using qeltor::driver::WindowText;

namespace {

fs::path g_screenshot;

const wchar_t kButtonText[] = L"Set Run as Service";
constexpr int kCommand1 = 101;
constexpr int kPicture1 = 102;
constexpr int kLabel1 = 103;
constexpr int kImage1 = 104;

std::wstring ClassOf(HWND window) {
    wchar_t name[256] = {};
    return {name, static_cast<size_t>(GetClassNameW(window, name, 256))};
}

using Box = std::array<LONG, 4>;  // left, top, width, height

// Where `window` sits in the client area of `container`.
Box PlacedIn(HWND window, HWND container) {
    RECT rect{};
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, container, reinterpret_cast<POINT*>(&rect), 2);
    return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

// What differs from the top-left pixel, cut to its bounding box.
Picture InkOf(const Picture& picture) {
    RECT box{picture.width, picture.Height(), 0, 0};
    for (int y = 0; y < picture.Height(); ++y) {
        for (int x = 0; x < picture.width; ++x) {
            if (picture.At(x, y) != picture.pixels.front()) {
                box = {std::min<LONG>(box.left, x), std::min<LONG>(box.top, y), std::max<LONG>(box.right, x + 1),
                       std::max<LONG>(box.bottom, y + 1)};
            }
        }
    }
    Picture ink{std::max<int>(box.right - box.left, 0), {}};
    for (int y = box.top; y < box.bottom; ++y) {
        for (int x = box.left; x < box.right; ++x) {
            ink.pixels.push_back(picture.At(x, y));
        }
    }
    return ink;
}

// The button's words drawn here in Arial of `weight`, 10.5 point at 96 dpi, in the colours that
// `shot` shows: its corner is the face, its darkest pixel the lettering.
Picture Lettering(const Picture& shot, int weight) {
    const auto brightness = [](DWORD pixel) { return (pixel & 0xFFU) + ((pixel >> 8U) & 0xFFU) + (pixel >> 16U); };
    const DWORD ink = *std::ranges::min_element(shot.pixels, {}, brightness);
    const auto colour = [](DWORD pixel) { return RGB(pixel >> 16U, (pixel >> 8U) & 0xFFU, pixel & 0xFFU); };
    LOGFONTW font{};
    font.lfHeight = -14;
    font.lfWeight = weight;
    lstrcpynW(font.lfFaceName, L"Arial", LF_FACESIZE);
    return InkOf(qeltor::driver::Drawn(shot.width, shot.Height(), [&](HDC dc) {
        RECT all{0, 0, shot.width, shot.Height()};
        HBRUSH face = CreateSolidBrush(colour(shot.pixels.front()));
        FillRect(dc, &all, face);
        DeleteObject(face);
        HFONT made = CreateFontIndirectW(&font);
        HGDIOBJ old = SelectObject(dc, made);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, colour(ink));
        DrawTextW(dc, kButtonText, -1, &all, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        DeleteObject(SelectObject(dc, old));
    }));
}

// The program's icon at `size` pixels where it is opaque: where it looks the same on black and on white.
struct Icon {
    int size = 0;
    std::vector<std::pair<int, DWORD>> opaque;  // index, colour
};

Icon ProgramIcon(int size) {
    const qeltor::win32::UniqueModule exe(
        LoadLibraryExW(kProgram.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    const qeltor::win32::UniqueIcon icon(
        static_cast<HICON>(LoadImageW(exe.get(), MAKEINTRESOURCEW(QELTOR_APP_ICON), IMAGE_ICON, size, size, 0)));
    const auto on = [&](int background) {
        return qeltor::driver::Drawn(size, size,
                                     [&](HDC dc) {
                                         const RECT all{0, 0, size, size};
                                         FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(background)));
                                         DrawIconEx(dc, 0, 0, icon.get(), size, size, 0, nullptr, DI_NORMAL);
                                     })
            .pixels;
    };
    const std::vector<DWORD> black = on(BLACK_BRUSH);
    const std::vector<DWORD> white = on(WHITE_BRUSH);
    Icon found{size, {}};
    for (size_t i = 0; i < black.size(); ++i) {
        if (black[i] == white[i]) {
            found.opaque.emplace_back(static_cast<int>(i), black[i]);
        }
    }
    return found;
}

// Whether `shot` shows `icon` anywhere; never when the icon is mostly see-through, as when it did not load.
bool Shows(const Picture& shot, const Icon& icon) {
    if (icon.opaque.size() * 2 < static_cast<size_t>(icon.size * icon.size)) {
        return false;
    }
    for (int top = 0; top + icon.size <= shot.Height(); ++top) {
        for (int left = 0; left + icon.size <= shot.width; ++left) {
            if (std::ranges::all_of(icon.opaque, [&](const auto& pixel) {
                    return shot.At(left + (pixel.first % icon.size), top + (pixel.first / icon.size)) == pixel.second;
                })) {
                return true;
            }
        }
    }
    return false;
}

BOOL CALLBACK CollectById(HWND child, LPARAM found) {
    (*reinterpret_cast<std::map<int, HWND>*>(found))[GetDlgCtrlID(child)] = child;
    return TRUE;
}

class WindowTest : public testing::Test {
protected:
    // A ready program folder and stored server path, and the program started and showing its window.
    void SetUp() override {
        HDC screen = GetDC(nullptr);
        const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
        ASSERT_EQ(dpi, 96) << "the expected sizes are pixels at 96 dpi; set the prefix's LogPixels to 96";

        ASSERT_NO_FATAL_FAILURE(StartAfresh());
        LayOut(Instsrv::Program, true, kMonitor);

        qeltor::driver::Started started = qeltor::driver::Start(kProgram);
        ASSERT_TRUE(started.process) << "cannot start it: error " << started.error;
        process_ = std::move(started.process);
        processId_ = started.id;
        ASSERT_TRUE(WaitUntil([&] { return (form_ = qeltor::driver::MainWindow(processId_)) != nullptr; }))
            << "no window showed";
        WaitForInputIdle(process_.get(), kPatienceMs);  // settled: activated, focused and painted
        EnumChildWindows(form_, &CollectById, reinterpret_cast<LPARAM>(&controls_));
    }

    void TearDown() override {
        if (process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
            TerminateProcess(process_.get(), 999);
            WaitForSingleObject(process_.get(), kPatienceMs);
        }
    }

    // The exit code once the program has ended by itself; nothing while it is still running.
    [[nodiscard]] std::optional<DWORD> ExitCode() const {
        DWORD code = 0;
        if (WaitForSingleObject(process_.get(), kPatienceMs) != WAIT_OBJECT_0 ||
            GetExitCodeProcess(process_.get(), &code) == FALSE) {
            return std::nullopt;
        }
        return code;
    }

    [[nodiscard]] HWND Focus() const {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(GetWindowThreadProcessId(form_, nullptr), &info);
        return info.hwndFocus;
    }

    qeltor::win32::UniqueHandle process_;
    DWORD processId_ = 0;
    HWND form_ = nullptr;
    std::map<int, HWND> controls_;
};

TEST_F(WindowTest, OpensCentredInAFixedFrameWithItsIcon) {
    EXPECT_EQ(ClassOf(form_), L"QeltorServiceForm");
    EXPECT_EQ(WindowText(form_), L"Set Monitoring Server as Service");
    constexpr DWORD kFrame = WS_CAPTION | WS_SYSMENU;
    constexpr DWORD kResizing = WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME;
    const auto style = static_cast<DWORD>(GetWindowLongW(form_, GWL_STYLE));
    EXPECT_EQ(style & kFrame, kFrame);
    EXPECT_EQ(style & kResizing, 0U);

    RECT client{};
    GetClientRect(form_, &client);
    EXPECT_EQ(client.right, 261);
    EXPECT_EQ(client.bottom, 124);
    RECT outer{};
    GetWindowRect(form_, &outer);
    EXPECT_NEAR(outer.left, (GetSystemMetrics(SM_CXSCREEN) - (outer.right - outer.left)) / 2.0, 1.0);
    EXPECT_NEAR(outer.top, (GetSystemMetrics(SM_CYSCREEN) - (outer.bottom - outer.top)) / 2.0, 1.0);

    // Wine answers WM_GETICON from another process with nothing, so the title bar is searched
    // for the program's small icon instead.
    const Icon icon = ProgramIcon(GetSystemMetrics(SM_CXSMICON));
    POINT clientTop{0, 0};
    ClientToScreen(form_, &clientTop);
    EXPECT_TRUE(WaitUntil([&] {
        return Shows(OnScreen({outer.left, outer.top, outer.right, clientTop.y}), icon);
    })) << "the title bar shows no program icon";
}

TEST_F(WindowTest, PlacesEachControlInItsContainer) {
    struct Expected {
        int id;
        const wchar_t* className;
        const wchar_t* text;
        int containerId;  // 0: the window itself
        Box box;
        DWORD styleMask;
        DWORD style;
        DWORD exStyle;
    };
    constexpr DWORD kTab = WS_VISIBLE | WS_TABSTOP;
    // The button is a plain push button, not the default one, so that Enter elsewhere does not press it.
    // The notice is laid out on the first showing (it is created at -24,3 377x25): the strip's outer
    // width, 40 twips down.
    const Expected all[] = {
        {kCommand1, L"Button", kButtonText, 0, {64, 24, 161, 33}, kTab | BS_TYPEMASK, kTab | BS_PUSHBUTTON, 0},
        {kPicture1, L"QeltorServiceStrip", L"", 0, {0, 99, 261, 25}, kTab, kTab, WS_EX_STATICEDGE},
        {kLabel1, L"Static", L"Copyright \u00a9 2026 Qeltor", kPicture1, {0, 3, 261, 25}, WS_VISIBLE, WS_VISIBLE, 0},
        {kImage1, L"Static", L"", 0, {8, 16, 48, 48}, WS_VISIBLE | SS_TYPEMASK, WS_VISIBLE | SS_ICON, 0},
    };
    ASSERT_EQ(controls_.size(), std::size(all));
    for (const Expected& expected : all) {
        SCOPED_TRACE("control " + std::to_string(expected.id));
        HWND control = controls_[expected.id];
        ASSERT_NE(control, nullptr);
        HWND container = expected.containerId == 0 ? form_ : controls_[expected.containerId];
        EXPECT_EQ(GetParent(control), container);
        EXPECT_EQ(ClassOf(control), expected.className);
        EXPECT_EQ(WindowText(control), expected.text);
        EXPECT_EQ(PlacedIn(control, container), expected.box);
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(control, GWL_STYLE)) & expected.styleMask, expected.style);
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(control, GWL_EXSTYLE)), expected.exStyle);
    }

    // The notice reaches past the strip's sunken edge, so the strip clips it.
    RECT inside{};
    GetClientRect(controls_[kPicture1], &inside);
    const auto [left, top, width, height] = PlacedIn(controls_[kLabel1], controls_[kPicture1]);
    EXPECT_GT(left + width, inside.right);
    EXPECT_GT(top + height, inside.bottom);
}

// Wine gives another process no font handle, and one would mean nothing here anyway, so the
// button's lettering on the screen is compared with the same words drawn here in its font.
TEST_F(WindowTest, ShowsBoldArialOnTheButtonAndTheProgramIcon) {
    RECT inner{};
    GetWindowRect(controls_[kCommand1], &inner);
    InflateRect(&inner, -3, -3);  // inside the button's edges
    Picture shot;
    ASSERT_TRUE(WaitUntil([&] {
        shot = OnScreen(inner);
        return !InkOf(shot).pixels.empty() && InkOf(shot) == Lettering(shot, FW_BOLD);
    })) << "the button's lettering is not Arial bold 14 px";
    EXPECT_NE(InkOf(shot), Lettering(shot, FW_NORMAL)) << "the weight must show in the pixels";

    RECT image{};
    GetWindowRect(controls_[kImage1], &image);
    const Icon icon = ProgramIcon(48);
    EXPECT_TRUE(WaitUntil([&] { return Shows(OnScreen(image), icon); }))
        << "the picture beside the button is not the program's icon at 48 px";

    RECT window{};
    GetWindowRect(form_, &window);
    EXPECT_TRUE(qeltor::driver::SaveBmp(g_screenshot, OnScreen(window)));
}

// The same window on a 144-dpi display: every measure follows from its twips at that DPI,
// rounded to the nearest pixel, while the picture keeps its own 48 pixels.
class WindowAt144DpiTest : public WindowTest {
protected:
    void SetUp() override {
        const DWORD dpi = 144;
        const LONG stored = RegSetKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", REG_DWORD, &dpi, sizeof dpi);
        ASSERT_EQ(stored, LONG{0}) << "cannot set the display's DPI";
        WindowTest::SetUp();
    }
    void TearDown() override {
        WindowTest::TearDown();
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels");
    }
    static constexpr wchar_t kDesktopKey[] = L"Control Panel\\Desktop";
};

TEST_F(WindowAt144DpiTest, ScalesEveryMeasureWithTheDpi) {
    RECT client{};
    GetClientRect(form_, &client);
    EXPECT_EQ(client.right, 392);  // 3915 twips: 391.5 pixels
    EXPECT_EQ(client.bottom, 186);
    EXPECT_EQ(PlacedIn(controls_[kCommand1], form_), (Box{96, 36, 242, 50}));
    EXPECT_EQ(PlacedIn(controls_[kPicture1], form_), (Box{0, 148, 392, 38}));
    EXPECT_EQ(PlacedIn(controls_[kLabel1], controls_[kPicture1]), (Box{0, 4, 392, 38}));
    EXPECT_EQ(PlacedIn(controls_[kImage1], form_), (Box{12, 24, 72, 72}));
}

TEST_F(WindowTest, StartsOnTheStripWhereEnterDoesNothingAndTabReachesTheButton) {
    HWND focus = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (focus = Focus()) != nullptr; })) << "nothing has the focus";
    EXPECT_EQ(focus, controls_[kPicture1]);

    // Keys go through the program's queue in order: once Tab has moved the focus, the Enter
    // before it has been dealt with.
    PostMessageW(focus, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    PostMessageW(focus, WM_KEYUP, VK_RETURN, static_cast<LPARAM>(0xC01C0001));
    PostMessageW(focus, WM_KEYDOWN, VK_TAB, 0x000F0001);
    PostMessageW(focus, WM_KEYUP, VK_TAB, static_cast<LPARAM>(0xC00F0001));
    EXPECT_TRUE(WaitUntil([&] { return Focus() == controls_[kCommand1]; }))
        << "Tab did not reach the button; the focus is on control " << GetDlgCtrlID(Focus());

    EXPECT_FALSE(qeltor::driver::AnswerBox(processId_, 0).has_value()) << "Enter showed a message";
    EXPECT_FALSE(CommandLineRecorded()) << "Enter started instsrv";
    EXPECT_EQ(WaitForSingleObject(process_.get(), 0), kStillRunning) << "Enter ended the program";
}

TEST_F(WindowTest, AClickOnTheButtonRegistersTheServiceAndEnds) {
    // A real click where the button shows on the screen, so nothing may cover it.
    RECT button{};
    GetWindowRect(controls_[kCommand1], &button);
    SetCursorPos((button.left + button.right) / 2, (button.top + button.bottom) / 2);
    mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
    mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);

    const auto box = qeltor::driver::AnswerBox(processId_);
    ASSERT_TRUE(box.has_value()) << "no message after the click";
    EXPECT_EQ(BoxText(*box, L"asterisk"), kSuccessMessage);
    EXPECT_EQ(ExitCode(), 0U) << "the window did not close itself after the message";

    ExpectServiceRegistered();
}

TEST_F(WindowTest, TheCloseCommandEndsWithoutRegistering) {
    PostMessageW(form_, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(ExitCode(), 0U) << "the program did not end, or not cleanly";
    ExpectNothingDone();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (!TakeArguments(argc, argv, 1, "WindowWineTest <QeltorService.exe> <stand-in folder> <screenshot .bmp>")) {
        return 2;
    }
    if (argc == 4) {
        g_screenshot = qeltor::driver::WindowsPath(argv[3]);
    }
    return RUN_ALL_TESTS();
}
