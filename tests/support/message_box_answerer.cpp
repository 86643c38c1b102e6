#include "support/message_box_answerer.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>

MessageBoxAnswerer::MessageBoxAnswerer(const QString &answer, QObject *parent)
    : QObject(parent)
    , m_answer(answer)
{
    connect(&m_timer, &QTimer::timeout, this, &MessageBoxAnswerer::answerModalDialog);
    m_timer.start(20);
}

void MessageBoxAnswerer::answerModalDialog()
{
    auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
    if (!dialog || !dialog->isVisible())
        return;

    const auto *textLabel = dialog->findChild<QLabel *>(QStringLiteral("text_label"));
    m_titles << dialog->windowTitle();
    m_texts << (textLabel ? textLabel->text() : QString());

    if (!m_answer.isEmpty()) {
        const auto buttons = dialog->findChildren<QPushButton *>();
        for (QPushButton *button : buttons) {
            if (button->text().remove(QLatin1Char('&')) == m_answer) {
                button->click();
                return;
            }
        }
    }
    dialog->close();
}
