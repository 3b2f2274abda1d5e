#pragma once

#include "installer/Form.h"
#include "installer/InstallerPaths.h"
#include "platform/Platform.h"
#include "win32/Handles.h"
#include "window/Layout.h"

#include <windows.h>

namespace qeltor {

// The program's one window: the icon, the button that registers the service, and the strip
// with the maker's notice along the bottom. It is the Form the installer runs in.
class FormService final : public Form {
public:
    FormService(HINSTANCE instance, Platform& platform);
    ~FormService() override;
    FormService(const FormService&) = delete;
    FormService& operator=(const FormService&) = delete;
    FormService(FormService&&) = delete;
    FormService& operator=(FormService&&) = delete;

    enum class LoadResult { Shown, NoWindow, CheckFailed };

    // Creates the window hidden, runs the start-up checks and shows it. A window that cannot
    // be created is reported with the system's reason. After a failed check the program has
    // ended inside the checks on Windows.
    LoadResult Load();

    // Runs the window until it is closed; the program's exit code.
    int Run();

    void rtcMsgBox(const std::wstring& text, unsigned style) override;
    void Unload() override;
    [[noreturn]] void EndProgram(int exitCode) override;
    std::optional<std::uint32_t> WaitForProgram(StartedProgram& program, std::uint32_t timeoutMs) override;
    bool WaitForSignal(std::uintptr_t signal, std::uint32_t timeoutMs) override;
    void KeepAnsweringWhile(FunctionRef<void()> work) override;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    HWND CreateControl(DWORD exStyle, const wchar_t* windowClass, const wchar_t* text, DWORD style,
                       const layout::Rect& twips, HWND container, int id) const;
    void CreateControls();
    void LoadIcons();
    void LoadLargeIcon();
    void SetFonts();
    void ApplyDpi(int dpi);
    void MoveToDesign(HWND control, const layout::Rect& twips) const;
    void SizeAndCentre();
    void OnSize();

    bool Form_Load();
    void Form_Resize();
    void Command1_Click();

    [[nodiscard]] int Pixels(int twips) const { return layout::TwipsToPixels(twips, dpi_); }

    HINSTANCE instance_;
    Platform& platform_;
    InstallerPaths paths_;

    HWND hwnd_ = nullptr;
    HWND command1_ = nullptr;
    HWND picture1_ = nullptr;
    HWND label1_ = nullptr;
    HWND image1_ = nullptr;
    HWND focus_ = nullptr;  // where the focus goes back to when the window is activated again

    int dpi_ = layout::kDesignDpi;
    bool loaded_ = false;
    HWND boxOwner_ = nullptr;  // the window once it shows, until it is destroyed
    bool registering_ = false;
    bool closeRequested_ = false;  // while registering: closed once the registration is over
    win32::UniqueFont buttonFont_;
    win32::UniqueFont labelFont_;
    win32::UniqueIcon bigIcon_;
    win32::UniqueIcon smallIcon_;
    win32::UniqueIcon pictureIcon_;
};

}  // namespace qeltor
