#include "wizard/result_page_layout.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

QPushButton *buildResultPage(QWidget *page, const QString &message, const char *messageName,
                             const QString &buttonText, const char *buttonName)
{
    // The flag's picture comes from the style sheets alone.
    auto *flag = new QFrame(page);
    flag->setObjectName(QStringLiteral("flag"));

    auto *label = new QLabel(message, page);
    label->setObjectName(QLatin1String(messageName));

    auto *button = new QPushButton(buttonText, page);
    button->setObjectName(QLatin1String(buttonName));
    button->setCursor(Qt::PointingHandCursor);

    auto *messageRow = new QHBoxLayout;
    messageRow->setContentsMargins(0, 0, 0, 0);
    messageRow->setSpacing(9);
    messageRow->addStretch(1);
    messageRow->addWidget(flag);
    messageRow->addWidget(label);
    messageRow->addStretch(1);

    auto *pageLayout = new QVBoxLayout(page);
    pageLayout->setContentsMargins(0, 0, 0, 37);
    pageLayout->setSpacing(96);
    pageLayout->addStretch(1);
    pageLayout->addLayout(messageRow);
    pageLayout->addWidget(button, 0, Qt::AlignHCenter);
    return button;
}
