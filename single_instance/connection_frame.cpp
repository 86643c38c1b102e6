#include "single_instance/connection_frame.h"

#include <QIODevice>

QByteArray ConnectionFrame::encodeHeader(qint64 bodyLength)
{
    QByteArray header;
    QDataStream stream(&header, QIODevice::WriteOnly);
    stream.setVersion(StreamVersion);
    stream << bodyLength;
    return header;
}

QByteArray ConnectionFrame::encodeBody(const QString &key, quint8 kind, quint32 instance)
{
    QByteArray body;
    QDataStream stream(&body, QIODevice::WriteOnly);
    stream.setVersion(StreamVersion);
    stream << key.toLatin1() << kind << instance;
    stream << qChecksum(body.constData(), uint(body.size()));
    return body;
}

QByteArray ConnectionFrame::encode(const QString &key, quint8 kind, quint32 instance)
{
    const QByteArray body = encodeBody(key, kind, instance);
    return encodeHeader(body.size()) + body;
}

qint64 ConnectionFrame::decodeHeader(const QByteArray &header)
{
    QDataStream stream(header.left(HeaderSize));
    stream.setVersion(StreamVersion);
    qint64 bodyLength = 0;
    stream >> bodyLength;
    return bodyLength;
}

bool ConnectionFrame::isAcceptableBodyLength(qint64 bodyLength)
{
    return bodyLength >= 0 && bodyLength <= MaxBodyLength;
}

ConnectionFrame ConnectionFrame::decodeBody(const QByteArray &body)
{
    ConnectionFrame frame;
    QDataStream stream(body);
    stream.setVersion(StreamVersion);
    quint32 keyLength = 0;
    stream >> keyLength;
    // QDataStream would allocate up to a megabyte for whatever key length a
    // stranger writes before noticing that the bytes are not there.
    if (keyLength != 0xffffffffu && keyLength > quint32(qMax(0, body.size() - 4))) {
        stream.setStatus(QDataStream::ReadPastEnd);
    } else {
        stream.device()->seek(0);
        stream >> frame.key >> frame.kind >> frame.instance >> frame.crc;
    }
    frame.complete = stream.status() == QDataStream::Ok;
    // The checksum covers everything read except its own two bytes.
    frame.crcMatches
        = body.size() >= 2 && frame.crc == qChecksum(body.constData(), uint(body.size() - 2));
    return frame;
}

bool ConnectionFrame::isValidFor(const QString &blockName) const
{
    if (!complete || !crcMatches)
        return false;
    // The key counts up to its first NUL byte.
    const int length = int(qstrnlen(key.constData(), uint(key.size())));
    return QString::fromLatin1(key.constData(), length) == blockName;
}
