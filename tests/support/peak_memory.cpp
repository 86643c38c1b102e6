#include "support/peak_memory.h"

#include <QFile>

namespace PeakMemory {

bool reset()
{
#ifdef Q_OS_LINUX
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
#else
    return false;
#endif
}

qint64 kibibytes()
{
#ifdef Q_OS_LINUX
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    // "VmHWM:     37120 kB"
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
#endif
    return -1;
}

} // namespace PeakMemory
