#pragma once

#include <cstdint>

// What a frameless window does with one native window message, worked out
// from plain inputs so that the rules can be checked without the Windows
// messaging around them. The Windows adapter (frameless_native_event.cpp)
// gathers the inputs from the message and the widget and carries the
// decision out.

// Message codes and constants of the Windows messaging interface, spelled out
// here because this file must not depend on <windows.h>.
namespace FramelessWin {
constexpr unsigned int SetCursorMessage = 0x20; // WM_SETCURSOR
constexpr unsigned int NcHitTest = 0x84; // WM_NCHITTEST
constexpr unsigned int NcPaint = 0x85; // WM_NCPAINT
constexpr unsigned int NcActivate = 0x86; // WM_NCACTIVATE
constexpr unsigned int NcLButtonDown = 0xA1; // WM_NCLBUTTONDOWN
constexpr unsigned int NcLButtonDblClk = 0xA3; // WM_NCLBUTTONDBLCLK
constexpr unsigned int SysCommand = 0x112; // WM_SYSCOMMAND

constexpr unsigned int ScSize = 0xF000;
constexpr unsigned int ScMinimize = 0xF020;
constexpr unsigned int ScMaximize = 0xF030;
constexpr unsigned int ScClose = 0xF060;
constexpr unsigned int ScRestore = 0xF120;

constexpr int IdcSizeNwse = 32642;
constexpr int IdcSizeNesw = 32643;
constexpr int IdcSizeWe = 32644;
constexpr int IdcSizeNs = 32645;
} // namespace FramelessWin

// Hit codes the system understands (HTCLIENT, HTLEFT ... HTBOTTOMRIGHT).
enum FramelessHitCode : int {
    HitClient = 1,
    HitLeft = 10,
    HitRight = 11,
    HitTop = 12,
    HitTopLeft = 13,
    HitTopRight = 14,
    HitBottom = 15,
    HitBottomLeft = 16,
    HitBottomRight = 17,
};

// A window rectangle as the system reports it: right and bottom lie one past
// the last pixel.
struct FramelessRect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// The three-pixel sizing band just inside the shadow margin: which hit code
// the screen point (x, y) gets for a window with the given outer rectangle,
// the band lying borderOffset pixels inside the outer edge.
int framelessHitTest(const FramelessRect &window, int x, int y, int borderOffset);

// Everything the decision needs to know about one message and its window.
struct FramelessMessage
{
    unsigned int code = 0;
    std::uint64_t wParam = 0;
    std::int64_t lParam = 0;

    FramelessRect windowRect; // the widget's own outer rectangle
    int borderOffset = 0; // the shadow width, in physical pixels

    bool hasTopLevel = true; // the widget lies in a top-level window
    bool fullScreen = false; // the widget is full screen
    bool maximized = false; // the top-level window's state includes maximized
    bool resizable = false; // isWindowResizable() of the widget
    bool fixedSize = false; // fixed-size flag, or equal minimum and maximum size

    // Only for WM_SETCURSOR: whether the first parameter names the widget's
    // top-level window, and whether that window is visible and enabled.
    bool cursorWindowIsTopLevel = false;
    bool topLevelVisible = false;
    bool topLevelEnabled = false;
};

enum class FramelessAction {
    None,
    PostSysCommand, // post WM_SYSCOMMAND (sysCommand, sysCommandLParam) to the top-level window
    SetCursor, // load the standard cursor cursorId and make it current
    ShowMaximized,
    ShowNormal,
    ShowMinimized,
    Close,
};

struct FramelessDecision
{
    // Handled messages stop at the widget; others go on to the base widget
    // and the system's default processing. A SetCursor decision counts as
    // handled only if the cursor could be loaded.
    bool handled = false;
    bool setsResult = false; // false leaves the result as it was
    long result = 0;

    FramelessAction action = FramelessAction::None;
    unsigned int sysCommand = 0;
    std::int64_t sysCommandLParam = 0;
    int cursorId = 0;
};

FramelessDecision decideFramelessMessage(const FramelessMessage &message);
