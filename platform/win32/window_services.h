#pragma once

// Thin Win32 operations on one HWND, each with the exact flags the widget relies on.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace nimbrel::win32 {

constexpr int kCoordinateLimit = 32627;

int WindowLeft(HWND window);  // parent-client relative for a non-popup child
int WindowTop(HWND window);
int WindowWidth(HWND window);
int WindowHeight(HWND window);
void SetWindowLeft(HWND window, int left);  // clamped, size kept, repainted
void SetWindowTop(HWND window, int top);

// The caption or control text, in the ANSI code page.
std::string WindowText(HWND window);

DWORD GetExStyle(HWND window);
DWORD SetExStyle(HWND window, DWORD exStyle);
// WS_EX_LAYERED alone, then the alpha (outside 0..255 or absent: 255); NT family only, and
// never through a missing SetLayeredWindowAttributes.
int ApplyTransparency(HWND window, std::optional<int> alpha);

// SetWindowPos into or out of the topmost band, no move, size or activation.
void SetTopmostBand(HWND window, bool on);

HWND FindDesktopHost();
HWND SetWindowParent(HWND child, HWND parent);
// WM_NCLBUTTONDOWN/HTCAPTION to the window itself; returns when the move loop ends.
void BeginWindowDrag(HWND window);
SIZE ScreenSize();
// Whether the rectangle overlaps a monitor that exists; edges beyond the coordinate range
// are held at its end.
bool OverlapsAMonitor(int left, int top, int width, int height);

}  // namespace nimbrel::win32
