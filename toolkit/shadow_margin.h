#pragma once

class QFrame;
class QRegion;
class QSize;
class QString;
class QVBoxLayout;
class QWidget;

// The translucent margin around a frameless window's body, in which the style
// sheet draws a drop shadow. Window and Dialog keep it the same way: the
// margin is the shadow width in the normal state and goes away, shadow and
// all, while the window is maximized. On a desktop that does not blend
// translucent pixels the margin would show black; there the window is cut to
// its body instead, keeping its geometry.
class ShadowMargin
{
public:
    // Creates the shadow frame as the window's first child, so it starts at
    // the bottom of the stacking order. It is placed in no layout.
    ShadowMargin(QWidget *window, const QString &objectName);

    QFrame *frame() const { return m_frame; }

    // The window's own layout, whose margins make the shadow margin; gets
    // the current width at once.
    void attach(QVBoxLayout *layout);

    int width() const { return m_width; }
    // A maximized window only stores the width until it is restored.
    void setWidth(int width, bool maximized);

    void followResize(const QSize &windowSize);
    void followWindowState(bool maximized);

    // Whether the desktop blends translucent pixels; without that the
    // window is masked to its body.
    void setDesktopComposited(bool composited);
    // True except on an X11 desktop without a compositing manager. Asks the
    // display each time: a window shown later sees a compositor started since.
    static bool desktopComposited();

    // The body inside a margin of the given width, its corners rounded as
    // the style sheets round the body's.
    static QRegion bodyRegion(const QSize &windowSize, int margin);

private:
    void applyWidth();
    void updateMask();

    QWidget *m_window = nullptr;
    QFrame *m_frame = nullptr;
    QVBoxLayout *m_layout = nullptr;
    int m_width = 12;
    bool m_maximized = false;
    bool m_composited = true;
};
