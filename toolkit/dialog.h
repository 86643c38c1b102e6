#pragma once

#include "toolkit/shadow_margin.h"

#include <QDialog>

class QFrame;
class QVBoxLayout;
class TitleBar;

// A frameless modal dialog in the look of the toolkit's windows: a shadow
// margin, a title bar with a system bar, and an empty client frame below it
// for subclasses. Shares the windows' native message handling.
class Dialog : public QDialog
{
    Q_OBJECT
    Q_PROPERTY(int shadowWidth READ shadowWidth WRITE setShadowWidth)

public:
    explicit Dialog(QWidget *parent = nullptr, Qt::WindowFlags flags = Qt::WindowFlags());

    int shadowWidth() const { return m_shadow.width(); }
    // Takes effect at once in the normal state, at the next restore when
    // maximized.
    void setShadowWidth(int width);

    TitleBar *titleBar() const { return m_titleBar; }
    QFrame *clientFrame() const { return m_client; }

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool nativeEvent(const QByteArray &eventType, void *message, long *result) override;
    void changeEvent(QEvent *event) override;

private:
    TitleBar *m_titleBar = nullptr;
    QFrame *m_client = nullptr;
    ShadowMargin m_shadow;
    QVBoxLayout *m_layout = nullptr;
};
