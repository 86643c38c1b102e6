#pragma once

#include "toolkit/shadow_margin.h"

#include <QFrame>

class QVBoxLayout;
class TitleBar;

// The toolkit's top-level window: frameless, its body surrounded by a
// translucent margin in which the style sheet draws a drop shadow. The margin
// goes away while the window is maximized. On Windows the native message
// handling gives it a sizing border just inside the shadow; its frames move it.
class Window : public QFrame
{
    Q_OBJECT
    Q_PROPERTY(int shadowWidth READ shadowWidth WRITE setShadowWidth)

public:
    explicit Window(QWidget *parent = nullptr, bool hasTitleBar = false,
                    Qt::WindowFlags flags = Qt::WindowFlags());

    int shadowWidth() const { return m_shadow.width(); }
    // Takes effect at once in the normal state, at the next restore when
    // maximized.
    void setShadowWidth(int width);

    // The visible body; subclasses lay out their content in it.
    QFrame *background() const { return m_background; }
    // Null when the window was built without a title bar.
    TitleBar *titleBar() const { return m_titleBar; }

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool nativeEvent(const QByteArray &eventType, void *message, long *result) override;
    void changeEvent(QEvent *event) override;

private:
    QFrame *m_background = nullptr;
    TitleBar *m_titleBar = nullptr;
    ShadowMargin m_shadow;
    QVBoxLayout *m_layout = nullptr;
};
