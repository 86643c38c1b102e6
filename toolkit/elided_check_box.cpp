#include "toolkit/elided_check_box.h"

#include <QStyleOptionButton>
#include <QStylePainter>

ElidedCheckBox::ElidedCheckBox(const QString &text, QWidget *parent)
    : QCheckBox(text, parent)
{
}

bool ElidedCheckBox::isElided() const
{
    return shownText() != text();
}

QSize ElidedCheckBox::minimumSizeHint() const
{
    // Room for the box and an ellipsis; the layout may give less than the
    // text's width without clipping it.
    QSize hint = QCheckBox::minimumSizeHint();
    QStyleOptionButton option;
    initStyleOption(&option);
    const QRect contents = style()->subElementRect(QStyle::SE_CheckBoxContents, &option, this);
    hint.setWidth(qMin(hint.width(),
                       contents.left() + fontMetrics().horizontalAdvance(QString(QChar(0x2026)))));
    return hint;
}

void ElidedCheckBox::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text = shownText();
    painter.drawControl(QStyle::CE_CheckBox, option);
}

void ElidedCheckBox::resizeEvent(QResizeEvent *event)
{
    QCheckBox::resizeEvent(event);
    updateToolTip();
}

QString ElidedCheckBox::shownText() const
{
    QStyleOptionButton option;
    initStyleOption(&option);
    const QRect contents = style()->subElementRect(QStyle::SE_CheckBoxContents, &option, this);
    return fontMetrics().elidedText(text(), Qt::ElideRight, contents.width());
}

void ElidedCheckBox::updateToolTip()
{
    setToolTip(isElided() ? text() : QString());
}
