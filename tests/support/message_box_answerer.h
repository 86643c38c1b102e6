#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

// Answers the application's modal dialogs as a person would: whenever a
// modal dialog is up, it notes its title and text and presses the button
// whose text (without the mnemonic "&") is the answer, or closes the box
// without a button when the answer is empty. Used to get past the message
// boxes that the pages show while a test drives them.
class MessageBoxAnswerer : public QObject
{
public:
    explicit MessageBoxAnswerer(const QString &answer, QObject *parent = nullptr);

    void setAnswer(const QString &answer) { m_answer = answer; }
    int count() const { return m_titles.size(); }
    const QStringList &titles() const { return m_titles; }
    const QStringList &texts() const { return m_texts; }

private:
    void answerModalDialog();

    QString m_answer;
    QStringList m_titles;
    QStringList m_texts;
    QTimer m_timer;
};
