#include "toolkit/title_bar.h"

#include <QHBoxLayout>
#include <QLabel>

TitleBar::TitleBar(QWidget *parent)
    : Frame(parent, true, 12)
    , m_layout(new QHBoxLayout(this))
    , m_title(new QLabel(this))
{
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(6);

    // The picture of the icon comes from the style sheet.
    auto *icon = new QFrame(this);
    icon->setObjectName(QStringLiteral("icon"));
    m_layout->addWidget(icon);

    m_title->setObjectName(QStringLiteral("text"));
    m_title->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Minimum);
    m_title->setAlignment(Qt::AlignVCenter);
    m_layout->addWidget(m_title);

    m_layout->addStretch(1);
}

void TitleBar::setTitle(const QString &title)
{
    m_title->setText(title);
}

QString TitleBar::title() const
{
    return m_title->text();
}

void TitleBar::insertWidget(int index, QWidget *widget, int stretch, Qt::Alignment alignment)
{
    if (index < 0)
        m_layout->addWidget(widget, stretch, alignment);
    else
        m_layout->insertWidget(index, widget, stretch, alignment);
}

void TitleBar::insertSpacing(int index, int size)
{
    m_layout->insertSpacing(index, size);
}
