#include "support/xvfb_server.h"

#include <QStandardPaths>

XvfbServer::~XvfbServer()
{
    stop();
}

bool XvfbServer::start(const QString &screen, const QStringList &extraArguments)
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (program.isEmpty())
        return false;
    // -displayfd makes the server choose a free display and write its
    // number to stdout once it accepts connections.
    QStringList arguments { QStringLiteral("-displayfd"),
                            QStringLiteral("1"),
                            QStringLiteral("-screen"),
                            QStringLiteral("0"),
                            screen,
                            QStringLiteral("-nolisten"),
                            QStringLiteral("tcp") };
    arguments += extraArguments;
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.setStandardErrorFile(QProcess::nullDevice());
    m_process.start(program, arguments);
    if (!m_process.waitForStarted(10000))
        return false;
    QByteArray number;
    while (!number.endsWith('\n') && m_process.waitForReadyRead(30000))
        number += m_process.readAllStandardOutput();
    bool ok = false;
    number.trimmed().toInt(&ok);
    if (!ok) {
        stop();
        return false;
    }
    m_displayName = QLatin1Char(':') + QString::fromLatin1(number.trimmed());
    return true;
}

void XvfbServer::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(10000)) {
        m_process.kill();
        m_process.waitForFinished(10000);
    }
    m_displayName.clear();
}
