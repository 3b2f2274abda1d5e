#pragma once

#include <windows.h>

// DPI handling that works from Windows 7 on: the newer functions are looked up at run time.
namespace qeltor::dpi {

// Declares the process DPI-aware (per monitor where the system can), so that Windows does not
// stretch the window into a blur; the manifest is left as it is.
void DeclareAwareness();

// The DPI that `window` is shown at.
int Of(HWND window);

// The outer size of a window whose client area is `clientWidth` by `clientHeight` pixels.
SIZE OuterSize(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, int dpi);

}  // namespace qeltor::dpi
