#include "engine/install_log.h"

#include <QDateTime>
#include <QMutexLocker>

namespace {

// Windows' own line ends: Notepad before Windows 10 1809 shows a log with
// bare line feeds as one long line.
#ifdef Q_OS_WIN
constexpr char lineEnd[] = "\r\n";
#else
constexpr char lineEnd[] = "\n";
#endif

QString &latest()
{
    static QString path;
    return path;
}

} // namespace

bool InstallLog::open(const QString &path)
{
    QMutexLocker locker(&m_mutex);
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return false;
    latest() = path;
    return true;
}

void InstallLog::write(const QString &line)
{
    QMutexLocker locker(&m_mutex);
    if (!m_file.isOpen())
        return;
    const QByteArray text
        = (QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs) + QLatin1Char(' ') + line)
              .toUtf8()
        + lineEnd;
    m_file.write(text);
}

bool InstallLog::copyTo(const QString &path)
{
    QMutexLocker locker(&m_mutex);
    if (!m_file.isOpen())
        return false;
    QFile::remove(path);
    return QFile::copy(m_file.fileName(), path);
}

void InstallLog::close()
{
    QMutexLocker locker(&m_mutex);
    m_file.close();
}

QString InstallLog::latestPath()
{
    return latest();
}
