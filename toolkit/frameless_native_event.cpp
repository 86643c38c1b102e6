#include "toolkit/frameless_native_event.h"

#include "toolkit/frameless_decision.h"

#include <QWidget>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace {

bool hasFixedSize(const QWidget *widget)
{
    return widget->windowFlags().testFlag(Qt::MSWindowsFixedSizeDialogHint)
        || widget->minimumSize() == widget->maximumSize();
}

} // namespace

bool isWindowResizable(const QWidget *widget)
{
    return widget->windowState() == Qt::WindowNoState && widget->isVisible()
        && !hasFixedSize(widget);
}

#ifdef Q_OS_WIN

namespace {

// The window's native handle as far as it already exists. Never winId():
// messages arrive while Windows is still inside CreateWindowEx for this very
// window, and asking for the id then makes Qt create a second native window
// in the middle of the first one's creation.
HWND existingHandle(const QWidget *widget)
{
    return widget ? reinterpret_cast<HWND>(widget->internalWinId()) : nullptr;
}

FramelessMessage gatherMessage(QWidget *widget, int borderOffset, const MSG *msg)
{
    FramelessMessage in;
    in.code = msg->message;
    in.wParam = static_cast<std::uint64_t>(msg->wParam);
    in.lParam = static_cast<std::int64_t>(msg->lParam);
    in.borderOffset = borderOffset;

    RECT rect;
    if (GetWindowRect(msg->hwnd, &rect))
        in.windowRect = { rect.left, rect.top, rect.right, rect.bottom };

    QWidget *topLevel = widget->window();
    in.hasTopLevel = topLevel != nullptr && existingHandle(topLevel) != nullptr;
    in.fullScreen = widget->isFullScreen();
    in.maximized = topLevel && topLevel->windowState().testFlag(Qt::WindowMaximized);
    in.resizable = isWindowResizable(widget);
    in.fixedSize = hasFixedSize(widget);

    if (in.hasTopLevel && msg->message == FramelessWin::SetCursorMessage) {
        const HWND topHwnd = existingHandle(topLevel);
        in.cursorWindowIsTopLevel = reinterpret_cast<HWND>(msg->wParam) == topHwnd;
        in.topLevelVisible = IsWindowVisible(topHwnd) != FALSE;
        in.topLevelEnabled = IsWindowEnabled(topHwnd) != FALSE;
    }
    return in;
}

// Carries out the action of a decision; false when it turned out impossible
// (a standard cursor that cannot be loaded), so the message goes on unhandled.
bool carryOut(QWidget *widget, const FramelessDecision &decision)
{
    switch (decision.action) {
    case FramelessAction::None:
        return true;
    case FramelessAction::PostSysCommand:
        PostMessageW(existingHandle(widget->window()), WM_SYSCOMMAND,
                     static_cast<WPARAM>(decision.sysCommand),
                     static_cast<LPARAM>(decision.sysCommandLParam));
        return true;
    case FramelessAction::SetCursor: {
        const HCURSOR cursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(decision.cursorId));
        if (!cursor)
            return false;
        SetCursor(cursor);
        return true;
    }
    case FramelessAction::ShowMaximized:
        widget->showMaximized();
        return true;
    case FramelessAction::ShowNormal:
        widget->showNormal();
        return true;
    case FramelessAction::ShowMinimized:
        widget->showMinimized();
        return true;
    case FramelessAction::Close:
        widget->close();
        return true;
    }
    return true;
}

} // namespace

bool handleFramelessNativeEvent(QWidget *widget, int borderOffset, void *message, long *result)
{
    const MSG *msg = static_cast<const MSG *>(message);
    // Until Qt has recorded the window's handle the window is still being
    // created; those messages belong to the system's default handling.
    if (!widget || !msg || !existingHandle(widget))
        return false;
    const FramelessDecision decision
        = decideFramelessMessage(gatherMessage(widget, borderOffset, msg));
    if (!carryOut(widget, decision))
        return false;
    if (decision.handled && decision.setsResult && result)
        *result = decision.result;
    return decision.handled;
}

#else

// X11 and the other platforms frame, size and move windows through their own
// window manager protocols; the frames' drag logic covers moving.
bool handleFramelessNativeEvent(QWidget *, int, void *, long *)
{
    return false;
}

#endif
