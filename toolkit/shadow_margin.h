#pragma once

class QFrame;
class QSize;
class QString;
class QVBoxLayout;
class QWidget;

// The translucent margin around a frameless window's body, in which the style
// sheet draws a drop shadow. Window and Dialog keep it the same way: the
// margin is the shadow width in the normal state and goes away, shadow and
// all, while the window is maximized.
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

private:
    void applyWidth();

    QFrame *m_frame = nullptr;
    QVBoxLayout *m_layout = nullptr;
    int m_width = 12;
};
