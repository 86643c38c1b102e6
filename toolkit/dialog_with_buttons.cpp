#include "toolkit/dialog_with_buttons.h"

#include "toolkit/title_bar.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QVBoxLayout>

DialogWithButtons::DialogWithButtons(const QString &title,
                                     QDialogButtonBox::StandardButtons buttons,
                                     QDialogButtonBox::StandardButton defaultButton,
                                     const ButtonTexts &buttonTexts, QWidget *parent,
                                     Qt::WindowFlags flags)
    : Dialog(parent, flags)
    , m_buttonTexts(buttonTexts)
{
    setWindowTitle(title);
    titleBar()->setTitle(title);

    auto *clientLayout = new QVBoxLayout(clientFrame());
    clientLayout->setContentsMargins(0, 0, 0, 0);
    clientLayout->setSpacing(0);

    m_buttonRow = new QHBoxLayout();
    m_buttonRow->setContentsMargins(0, 0, 0, 0);
    m_buttonRow->setSpacing(14);
    m_buttonRow->addStretch(1);
    clientLayout->addLayout(m_buttonRow);

    // Ascending from Save to Restore Defaults, then OK on its own so that it
    // always ends up rightmost.
    for (quint32 value = QDialogButtonBox::Save; value <= QDialogButtonBox::RestoreDefaults;
         value <<= 1) {
        const auto which = static_cast<QDialogButtonBox::StandardButton>(value);
        if (buttons.testFlag(which))
            createButton(which);
    }
    if (buttons.testFlag(QDialogButtonBox::Ok))
        createButton(QDialogButtonBox::Ok);

    if (QPushButton *defaultPush = button(defaultButton))
        defaultPush->setDefault(true);
}

QString DialogWithButtons::defaultText(QDialogButtonBox::StandardButton which)
{
    switch (which) {
    case QDialogButtonBox::Ok:
        return tr("OK");
    case QDialogButtonBox::Save:
        return tr("Save");
    case QDialogButtonBox::SaveAll:
        return tr("Save All");
    case QDialogButtonBox::Open:
        return tr("Open");
    case QDialogButtonBox::Yes:
        return tr("&Yes");
    case QDialogButtonBox::YesToAll:
        return tr("Yes to &All");
    case QDialogButtonBox::No:
        return tr("&No");
    case QDialogButtonBox::NoToAll:
        return tr("N&o to All");
    case QDialogButtonBox::Abort:
        return tr("Abort");
    case QDialogButtonBox::Retry:
        return tr("Retry");
    case QDialogButtonBox::Ignore:
        return tr("Ignore");
    case QDialogButtonBox::Close:
        return tr("Close");
    case QDialogButtonBox::Cancel:
        return tr("Cancel");
    case QDialogButtonBox::Discard:
        return tr("Discard");
    case QDialogButtonBox::Help:
        return tr("Help");
    case QDialogButtonBox::Apply:
        return tr("Apply");
    case QDialogButtonBox::Reset:
        return tr("Reset");
    case QDialogButtonBox::RestoreDefaults:
        return tr("Restore Defaults");
    default:
        return QString();
    }
}

void DialogWithButtons::createButton(QDialogButtonBox::StandardButton which)
{
    const QString custom = m_buttonTexts.value(which);
    const QString text = custom.isEmpty() ? defaultText(which) : custom;

    // A plain push button: unlike the system bar's, it takes focus and may be
    // the default, as a dialog button should.
    auto *push = new QPushButton(text, clientFrame());
    push->setObjectName(QStringLiteral("normal"));
    push->setFlat(true);
    m_buttons.insert(push, which);
    m_buttonRow->addWidget(push);
    connect(push, &QPushButton::clicked, this, &DialogWithButtons::onButtonClicked);
}

QPushButton *DialogWithButtons::button(QDialogButtonBox::StandardButton which) const
{
    for (auto it = m_buttons.cbegin(); it != m_buttons.cend(); ++it) {
        if (it.value() == which)
            return it.key();
    }
    return nullptr;
}

void DialogWithButtons::onButtonClicked()
{
    m_clickedButton
        = m_buttons.value(qobject_cast<QPushButton *>(sender()), QDialogButtonBox::NoButton);
    close();
}

void DialogWithButtons::clickIfPresent(QDialogButtonBox::StandardButton which)
{
    if (QPushButton *push = button(which))
        push->click();
}

void DialogWithButtons::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Y:
        clickIfPresent(QDialogButtonBox::Yes);
        break;
    case Qt::Key_N:
        clickIfPresent(QDialogButtonBox::No);
        break;
    case Qt::Key_O:
        clickIfPresent(QDialogButtonBox::NoToAll);
        break;
    default:
        break;
    }
    // Escape (closing without a button) and Enter (the default button) are
    // the dialog base's.
    Dialog::keyPressEvent(event);
}
