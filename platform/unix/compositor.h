#pragma once

namespace platform {

// Whether a compositing manager runs on the X display (it owns the
// _NET_WM_CM_S<screen> selection of the default screen). Without one,
// translucent pixels of a window are drawn as they are, black where they are
// clear. The display named by $DISPLAY when displayName is null; false when
// there is no display.
bool compositingManagerRunning(const char *displayName = nullptr);

} // namespace platform
