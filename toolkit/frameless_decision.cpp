#include "toolkit/frameless_decision.h"

namespace {

// The system packs a screen point into the low and high 16 bits of a message
// parameter, each a signed value (points left of or above the primary screen
// are negative).
int signedLow(std::int64_t value)
{
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(value & 0xFFFF));
}

int signedHigh(std::int64_t value)
{
    return static_cast<std::int16_t>(static_cast<std::uint16_t>((value >> 16) & 0xFFFF));
}

bool isSizingCode(std::uint64_t code)
{
    return code >= HitLeft && code <= HitBottomRight;
}

// A maximized or full-screen window has no sizing border of its own: there the
// system does its own hit-testing. Any maximized state counts, not only the
// plain one, because that is when the shadow margin is gone.
bool passesUsualGuard(const FramelessMessage &message)
{
    return message.hasTopLevel && !message.fullScreen && !message.maximized;
}

FramelessDecision handledWith(long result)
{
    FramelessDecision decision;
    decision.handled = true;
    decision.setsResult = true;
    decision.result = result;
    return decision;
}

FramelessDecision notHandled()
{
    return FramelessDecision();
}

// WMSZ_* direction of a sizing hit code.
unsigned int sizingDirection(int hitCode)
{
    switch (hitCode) {
    case HitLeft:
        return 1;
    case HitRight:
        return 2;
    case HitTop:
        return 3;
    case HitTopLeft:
        return 4;
    case HitTopRight:
        return 5;
    case HitBottom:
        return 6;
    case HitBottomLeft:
        return 7;
    case HitBottomRight:
        return 8;
    default:
        return 0;
    }
}

int sizingCursor(int hitCode)
{
    switch (hitCode) {
    case HitLeft:
    case HitRight:
        return FramelessWin::IdcSizeWe;
    case HitTop:
    case HitBottom:
        return FramelessWin::IdcSizeNs;
    case HitTopLeft:
    case HitBottomRight:
        return FramelessWin::IdcSizeNwse;
    default: // HitTopRight, HitBottomLeft
        return FramelessWin::IdcSizeNesw;
    }
}

FramelessDecision decideHitTest(const FramelessMessage &message)
{
    if (!passesUsualGuard(message))
        return notHandled();
    return handledWith(framelessHitTest(message.windowRect, signedLow(message.lParam),
                                        signedHigh(message.lParam), message.borderOffset));
}

FramelessDecision decideButtonDown(const FramelessMessage &message)
{
    FramelessDecision decision;
    if (!passesUsualGuard(message) || !message.resizable)
        return decision;
    // The press itself still goes on to the system; the sizing starts from
    // the posted command.
    if (isSizingCode(message.wParam)) {
        decision.action = FramelessAction::PostSysCommand;
        decision.sysCommand
            = FramelessWin::ScSize + sizingDirection(static_cast<int>(message.wParam));
        decision.sysCommandLParam = message.lParam;
    }
    return decision;
}

FramelessDecision decideSetCursor(const FramelessMessage &message)
{
    if (!passesUsualGuard(message) || !message.resizable)
        return notHandled();
    if (!message.cursorWindowIsTopLevel || !message.topLevelVisible || !message.topLevelEnabled) {
        FramelessDecision decision;
        decision.handled = true;
        return decision;
    }
    const int hitCode = static_cast<int>(message.lParam & 0xFFFF);
    if (!isSizingCode(static_cast<std::uint64_t>(hitCode)))
        return notHandled();
    FramelessDecision decision;
    decision.handled = true;
    decision.action = FramelessAction::SetCursor;
    decision.cursorId = sizingCursor(hitCode);
    return decision;
}

FramelessDecision decideDoubleClick(const FramelessMessage &message)
{
    const int x = signedLow(message.lParam);
    const int y = signedHigh(message.lParam);
    const FramelessRect &rect = message.windowRect;
    if (x <= rect.left + 68 || y <= rect.top || y >= rect.top + 48)
        return handledWith(0);
    // A fixed-size window never changes its size, whatever the border says:
    // its system bar has no maximize button and its frames ignore the
    // double-click too.
    if (message.fixedSize)
        return handledWith(0);
    FramelessDecision decision = handledWith(1);
    decision.action
        = message.maximized ? FramelessAction::ShowNormal : FramelessAction::ShowMaximized;
    return decision;
}

FramelessDecision decideSysCommand(const FramelessMessage &message)
{
    // The low four bits are used by the system internally (for example
    // 0xF032 when the maximize comes from a double-click on a caption).
    FramelessDecision decision = handledWith(0);
    switch (static_cast<unsigned int>(message.wParam & 0xFFF0)) {
    case FramelessWin::ScClose:
        decision.action = FramelessAction::Close;
        return decision;
    case FramelessWin::ScMaximize:
        decision.action = FramelessAction::ShowMaximized;
        return decision;
    case FramelessWin::ScMinimize:
        decision.action = FramelessAction::ShowMinimized;
        return decision;
    case FramelessWin::ScRestore:
        decision.action = FramelessAction::ShowNormal;
        return decision;
    default:
        return notHandled();
    }
}

} // namespace

int framelessHitTest(const FramelessRect &window, int x, int y, int borderOffset)
{
    const int l = window.left + borderOffset;
    const int t = window.top + borderOffset;
    const int r = window.right - borderOffset;
    const int b = window.bottom - borderOffset;

    const bool left = l < x && x < l + 4;
    const bool right = r - 4 < x && x < r;
    const bool top = t < y && y < t + 4;
    const bool bottom = b - 4 < y && y < b;

    if (left && top)
        return HitTopLeft;
    if (right && top)
        return HitTopRight;
    if (left && bottom)
        return HitBottomLeft;
    if (right && bottom)
        return HitBottomRight;
    if (left)
        return HitLeft;
    if (right)
        return HitRight;
    if (top)
        return HitTop;
    if (bottom)
        return HitBottom;
    return HitClient;
}

FramelessDecision decideFramelessMessage(const FramelessMessage &message)
{
    switch (message.code) {
    case FramelessWin::NcHitTest:
        return decideHitTest(message);
    case FramelessWin::NcLButtonDown:
        return decideButtonDown(message);
    case FramelessWin::SetCursorMessage:
        return decideSetCursor(message);
    case FramelessWin::NcPaint:
        return handledWith(0); // no non-client area is ever painted
    case FramelessWin::NcActivate:
        return handledWith(1); // and activation draws no frame either
    case FramelessWin::NcLButtonDblClk:
        return decideDoubleClick(message);
    case FramelessWin::SysCommand:
        return decideSysCommand(message);
    default:
        return notHandled();
    }
}
