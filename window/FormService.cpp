#include "window/FormService.h"

#include "installer/Messages.h"
#include "installer/ServiceRegistration.h"
#include "installer/StartupChecks.h"
#include "resources/ResourceIds.h"
#include "window/Dpi.h"
#include "window/MessagePump.h"

namespace qeltor {
namespace {

constexpr wchar_t kFormClass[] = L"QeltorServiceForm";
constexpr wchar_t kStripClass[] = L"QeltorServiceStrip";

// A fixed single frame with the system menu and the close button, nothing to resize with.
constexpr DWORD kFormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kFormExStyle = 0;

// Not IDOK: Enter on a control that is no button must not click it.
constexpr int kCommand1Id = 101;
constexpr int kPicture1Id = 102;
constexpr int kLabel1Id = 103;
constexpr int kImage1Id = 104;

constexpr int kButtonFontTwips = 210;  // 10.5 point
constexpr int kLabelFontTwips = 180;   // 9 point
constexpr int kLabelTopTwips = 40;
constexpr int kImageSize = 48;  // shown at its own size whatever the DPI

win32::UniqueFont MakeArial(int heightPixels, int weight) {
    LOGFONTW font{};
    font.lfHeight = -heightPixels;
    font.lfWeight = weight;
    font.lfCharSet = ANSI_CHARSET;
    font.lfPitchAndFamily = DEFAULT_PITCH | FF_SWISS;
    lstrcpynW(font.lfFaceName, L"Arial", LF_FACESIZE);
    return win32::UniqueFont(::CreateFontIndirectW(&font));
}

HICON LoadAppIcon(HINSTANCE instance, int size) {
    return static_cast<HICON>(
        ::LoadImageW(instance, MAKEINTRESOURCEW(resources::kAppIcon), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

void RegisterClasses(HINSTANCE instance, WNDPROC formProc) {
    WNDCLASSEXW form{};
    form.cbSize = sizeof(form);
    form.lpfnWndProc = formProc;
    form.hInstance = instance;
    form.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    form.hbrBackground = ::GetSysColorBrush(COLOR_BTNFACE);
    form.lpszClassName = kFormClass;
    ::RegisterClassExW(&form);

    // The strip draws nothing of its own: the dialog face, and the notice inside it.
    WNDCLASSEXW strip = form;
    strip.lpfnWndProc = ::DefWindowProcW;
    strip.lpszClassName = kStripClass;
    ::RegisterClassExW(&strip);
}

}  // namespace

FormService::FormService(HINSTANCE instance, Platform& platform) : instance_(instance), platform_(platform) {
    RegisterClasses(instance_, &FormService::WindowProc);
}

FormService::~FormService() {
    if (hwnd_ != nullptr) {
        ::DestroyWindow(hwnd_);
    }
}

FormService::LoadResult FormService::Load() {
    // Created empty and hidden: its size is set once the checks have passed, and that first
    // size is what lays out the strip.
    hwnd_ = ::CreateWindowExW(kFormExStyle, kFormClass, messages::Text(messages::Id::FormCaption).c_str(), kFormStyle,
                              0, 0, 0, 0, nullptr, nullptr, instance_, this);
    if (hwnd_ == nullptr) {
        const DWORD error = ::GetLastError();
        rtcMsgBox(messages::Render({messages::Id::WindowNotOpened, {platform_.ErrorText(error)}}), kMsgBoxCritical);
        return LoadResult::NoWindow;
    }
    dpi_ = dpi::Of(hwnd_);
    CreateControls();
    SetFonts();
    LoadIcons();

    if (!Form_Load()) {
        return LoadResult::CheckFailed;
    }
    loaded_ = true;
    SizeAndCentre();
    ::ShowWindow(hwnd_, SW_SHOWNORMAL);
    LoadLargeIcon();
    ::UpdateWindow(hwnd_);
    boxOwner_ = hwnd_;
    return LoadResult::Shown;
}

int FormService::Run() {
    return pump::Run(hwnd_);
}

void FormService::rtcMsgBox(const std::wstring& text, unsigned style) {
    ::MessageBoxW(boxOwner_, text.c_str(), messages::Text(messages::Id::BoxCaption).c_str(), style);
}

void FormService::Unload() {
    if (loaded_ && hwnd_ != nullptr) {
        ::DestroyWindow(hwnd_);
    }
}

void FormService::EndProgram(int exitCode) {
    ::ExitProcess(static_cast<UINT>(exitCode));
}

std::optional<std::uint32_t> FormService::WaitForProgram(StartedProgram& program, std::uint32_t timeoutMs) {
    return WaitForSignal(program.EndSignal(), timeoutMs) ? program.ExitCode() : std::nullopt;
}

bool FormService::WaitForSignal(std::uintptr_t signal, std::uint32_t timeoutMs) {
    return pump::WaitFor(reinterpret_cast<HANDLE>(signal), timeoutMs, hwnd_);  // NOLINT(performance-no-int-to-ptr)
}

void FormService::KeepAnsweringWhile(FunctionRef<void()> work) {
    pump::KeepAnsweringWhile(work, hwnd_);
}

HWND FormService::CreateControl(DWORD exStyle, const wchar_t* windowClass, const wchar_t* text, DWORD style,
                                const layout::Rect& twips, HWND container, int id) const {
    const layout::Rect pixels = layout::TwipsToPixels(twips, dpi_);
    return ::CreateWindowExW(exStyle, windowClass, text, WS_CHILD | WS_VISIBLE | style, pixels.left, pixels.top,
                             pixels.width, pixels.height, container, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                             instance_, nullptr);
}

void FormService::CreateControls() {
    // Created in this order; the keyboard order (Picture1, then Command1) is set below.
    command1_ = CreateControl(0, L"BUTTON", messages::Text(messages::Id::ButtonText).c_str(),
                              WS_TABSTOP | BS_PUSHBUTTON, layout::kCommand1, hwnd_, kCommand1Id);
    picture1_ = CreateControl(WS_EX_STATICEDGE, kStripClass, L"", WS_TABSTOP, layout::kPicture1, hwnd_, kPicture1Id);
    label1_ = CreateControl(0, L"STATIC", messages::Text(messages::Id::Notice).c_str(), SS_CENTER | SS_NOPREFIX,
                            layout::kLabel1, picture1_, kLabel1Id);
    image1_ = CreateControl(0, L"STATIC", L"", SS_ICON | SS_REALSIZEIMAGE, layout::kImage1, hwnd_, kImage1Id);
    // Tab follows the order of the children: the strip first, then the button.
    ::SetWindowPos(picture1_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    focus_ = picture1_;
}

// What the first showing needs: the caption's small icon and the picture.
void FormService::LoadIcons() {
    smallIcon_.reset(LoadAppIcon(instance_, ::GetSystemMetrics(SM_CXSMICON)));
    pictureIcon_.reset(LoadAppIcon(instance_, kImageSize));
    ::SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));
    ::SendMessageW(image1_, STM_SETICON, reinterpret_cast<WPARAM>(pictureIcon_.get()), 0);
    // SS_ICON fits the control to the icon; the picture keeps its own size inside the design area.
    MoveToDesign(image1_, layout::kImage1);
}

// The large icon appears only in the task switcher and taskbar, so it waits until the window shows.
void FormService::LoadLargeIcon() {
    bigIcon_.reset(LoadAppIcon(instance_, ::GetSystemMetrics(SM_CXICON)));
    ::SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.get()));
}

void FormService::SetFonts() {
    buttonFont_ = MakeArial(Pixels(kButtonFontTwips), FW_BOLD);
    labelFont_ = MakeArial(Pixels(kLabelFontTwips), FW_NORMAL);
    const BOOL redraw = ::IsWindowVisible(hwnd_);
    ::SendMessageW(command1_, WM_SETFONT, reinterpret_cast<WPARAM>(buttonFont_.get()), redraw);
    ::SendMessageW(label1_, WM_SETFONT, reinterpret_cast<WPARAM>(labelFont_.get()), redraw);
}

// Fonts and positions for a new DPI; the docked strip and the notice follow on the next resize.
void FormService::ApplyDpi(int dpi) {
    dpi_ = dpi;
    SetFonts();
    MoveToDesign(command1_, layout::kCommand1);
    MoveToDesign(picture1_, layout::kPicture1);
    MoveToDesign(label1_, layout::kLabel1);
    MoveToDesign(image1_, layout::kImage1);
}

void FormService::MoveToDesign(HWND control, const layout::Rect& twips) const {
    const layout::Rect pixels = layout::TwipsToPixels(twips, dpi_);
    ::MoveWindow(control, pixels.left, pixels.top, pixels.width, pixels.height, TRUE);
}

void FormService::SizeAndCentre() {
    const SIZE outer =
        dpi::OuterSize(Pixels(layout::kClientWidth), Pixels(layout::kClientHeight), kFormStyle, kFormExStyle, dpi_);
    const int left = (::GetSystemMetrics(SM_CXSCREEN) - outer.cx) / 2;
    const int top = (::GetSystemMetrics(SM_CYSCREEN) - outer.cy) / 2;
    ::SetWindowPos(hwnd_, nullptr, left, top, outer.cx, outer.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

// The strip is docked to the bottom; then the window's own resize handler runs.
void FormService::OnSize() {
    RECT client{};
    ::GetClientRect(hwnd_, &client);
    const layout::Rect strip =
        layout::DockedToBottom(layout::TwipsToPixels(layout::kPicture1, dpi_), client.right, client.bottom);
    ::MoveWindow(picture1_, strip.left, strip.top, strip.width, strip.height, TRUE);
    if (loaded_) {
        Form_Resize();
    }
}

bool FormService::Form_Load() {
    return RunStartupChecks(platform_, *this, paths_);
}

void FormService::Form_Resize() {
    RECT strip{};
    ::GetWindowRect(picture1_, &strip);
    RECT label{};
    ::GetWindowRect(label1_, &label);
    const layout::Rect placed = layout::LabelAfterResize({0, 0, label.right - label.left, label.bottom - label.top},
                                                         strip.right - strip.left, Pixels(kLabelTopTwips));
    ::MoveWindow(label1_, placed.left, placed.top, placed.width, placed.height, TRUE);
}

// One registration at a time: the button is disabled while one runs, and a click that was
// queued behind it finds it busy. After a failure the user can fix the cause and press again.
// The window keeps answering while instsrv.exe runs; a close asked for meanwhile waits until the
// registration is over, so that none is cut off half-way, and so does a logoff or shutdown.
void FormService::Command1_Click() {
    if (registering_) {
        return;
    }
    registering_ = true;
    ::EnableWindow(command1_, FALSE);
    ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
    // A logoff or shutdown would end the program between the writes, the wait and the copy.
    ::ShutdownBlockReasonCreate(hwnd_, messages::Text(messages::Id::BlockReason).c_str());
    const bool registered = RegisterStoredServer(platform_, *this, paths_);
    registering_ = false;
    if (hwnd_ == nullptr) {
        return;
    }
    ::ShutdownBlockReasonDestroy(hwnd_);
    if (closeRequested_) {
        ::DestroyWindow(hwnd_);
    } else if (!registered) {
        ::EnableWindow(command1_, TRUE);
        ::SetFocus(command1_);
    }
}

LRESULT CALLBACK FormService::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        auto* form = static_cast<FormService*>(create->lpCreateParams);
        form->hwnd_ = window;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* form = reinterpret_cast<FormService*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (form == nullptr) {
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    return form->HandleMessage(message, wParam, lParam);
}

LRESULT FormService::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND window = hwnd_;
    switch (message) {
        case WM_SIZE:
            OnSize();
            return 0;
        case WM_COMMAND:
            if (LOWORD(wParam) == kCommand1Id && HIWORD(wParam) == BN_CLICKED) {
                Command1_Click();
            }
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) {
                HWND focused = ::GetFocus();
                if (focused != nullptr && ::IsChild(hwnd_, focused) != FALSE) {
                    focus_ = focused;
                }
            }
            break;
        case WM_CLOSE:
            if (registering_) {
                closeRequested_ = true;
                return 0;
            }
            break;
        case WM_QUERYENDSESSION:
            if (registering_) {
                return FALSE;
            }
            break;
        case WM_SETCURSOR:
            if (registering_) {
                ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
                return TRUE;
            }
            break;
        case WM_SETFOCUS:
            if (focus_ != nullptr) {
                ::SetFocus(focus_);
            }
            return 0;
        case WM_DPICHANGED: {
            ApplyDpi(HIWORD(wParam));
            const auto* suggested = reinterpret_cast<const RECT*>(lParam);
            const SIZE outer = dpi::OuterSize(Pixels(layout::kClientWidth), Pixels(layout::kClientHeight), kFormStyle,
                                              kFormExStyle, dpi_);
            ::SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, outer.cx, outer.cy,
                           SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        case WM_DESTROY:
            boxOwner_ = nullptr;
            ::PostQuitMessage(0);
            return 0;
        case WM_NCDESTROY:
            ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
            hwnd_ = nullptr;
            break;
        default:
            break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace qeltor
