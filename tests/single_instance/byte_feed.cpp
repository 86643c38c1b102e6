#include "byte_feed.h"

#include <cstring>

ByteFeed::ByteFeed()
{
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

void ByteFeed::append(const QByteArray &bytes)
{
    m_pending.append(bytes);
}

qint64 ByteFeed::bytesAvailable() const
{
    return m_pending.size() + QIODevice::bytesAvailable();
}

qint64 ByteFeed::readData(char *data, qint64 maxSize)
{
    const int count = int(qMin<qint64>(maxSize, m_pending.size()));
    if (count <= 0)
        return 0;
    std::memcpy(data, m_pending.constData(), size_t(count));
    m_pending.remove(0, count);
    return count;
}

qint64 ByteFeed::writeData(const char *, qint64)
{
    return -1;
}
