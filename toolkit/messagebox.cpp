#include "toolkit/messagebox.h"

#include <QBoxLayout>
#include <QFrame>
#include <QLabel>

Messagebox::Messagebox(const QString &title, const QString &text,
                       QDialogButtonBox::StandardButtons buttons,
                       QDialogButtonBox::StandardButton defaultButton,
                       const ButtonTexts &buttonTexts, int iconNumber, QWidget *parent)
    : DialogWithButtons(title, buttons, defaultButton, buttonTexts, parent,
                        Qt::MSWindowsFixedSizeDialogHint)
{
    auto *contentRow = new QHBoxLayout();
    contentRow->setContentsMargins(0, 0, 0, 0);
    contentRow->setSpacing(9);

    if (iconNumber != 0) {
        // The picture comes from the style sheet, by object name.
        auto *icon = new QFrame(clientFrame());
        icon->setObjectName(QStringLiteral("msg_icon") + QString::number(iconNumber));
        contentRow->addWidget(icon, 0, Qt::AlignLeft | Qt::AlignTop);
    }

    m_textLabel = new QLabel(clientFrame());
    m_textLabel->setObjectName(QStringLiteral("text_label"));
    m_textLabel->setWordWrap(true);
    // Messages carry names from packages and words from servers: shown as
    // they are, never as markup.
    m_textLabel->setTextFormat(Qt::PlainText);
    m_textLabel->setText(text);
    // Announced with the title when the box opens.
    setAccessibleDescription(text);
    m_textLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    contentRow->addWidget(m_textLabel, 1);

    auto *clientLayout = static_cast<QBoxLayout *>(clientFrame()->layout());
    clientLayout->insertLayout(0, contentRow, 1);

    adjustSize();
}

QDialogButtonBox::StandardButton
Messagebox::question(QWidget *parent, const QString &title, const QString &text,
                     QDialogButtonBox::StandardButtons buttons,
                     QDialogButtonBox::StandardButton defaultButton, const ButtonTexts &buttonTexts)
{
    // The dialog's own result code says nothing about which button it was.
    Messagebox box(title, text, buttons, defaultButton, buttonTexts, 2, parent);
    box.exec();
    // The keyboard goes on where it was. A desktop without a window manager
    // (and some that guard against focus stealing) leaves no window active
    // once the box has gone, and the keys would then reach nothing.
    if (parent)
        parent->window()->activateWindow();
    return box.clickedButton();
}
