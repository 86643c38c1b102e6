#pragma once

#include <QByteArray>
#include <QDataStream>
#include <QString>

// What a later process tells the primary about itself.
enum ConnectionKind : quint8 {
    // A start that may not run and ends once the primary knows of it.
    HandoverConnection = 1,
    // A permitted secondary announcing itself.
    SecondaryConnection = 2,
};

// The frame a later process sends to the primary over the local socket: an
// 8-byte header with the body's length, then the body (key, kind, instance
// number, checksum), all written by QDataStream at Qt 5.6 format, big-endian.
// Whatever follows the body on the connection is a message, not frame.
class ConnectionFrame
{
public:
    static constexpr int HeaderSize = 8;
    static constexpr int StreamVersion = QDataStream::Qt_5_6;
    // A real body is 55 bytes; anything announcing more than this is not a
    // frame of ours, and the primary will not hold that much for a stranger.
    static constexpr qint64 MaxBodyLength = 64 * 1024;

    QByteArray key;
    quint8 kind = 0;
    quint32 instance = 0;
    quint16 crc = 0;
    // The body held every field.
    bool complete = false;
    // crc matches the body bytes before the crc field.
    bool crcMatches = false;

    static QByteArray encodeHeader(qint64 bodyLength);
    static QByteArray encodeBody(const QString &key, quint8 kind, quint32 instance);
    // Header followed by body: exactly what goes on the wire.
    static QByteArray encode(const QString &key, quint8 kind, quint32 instance);

    // Reads the body length from the first HeaderSize bytes of header.
    static qint64 decodeHeader(const QByteArray &header);
    static bool isAcceptableBodyLength(qint64 bodyLength);
    static ConnectionFrame decodeBody(const QByteArray &body);

    // Whether this frame proves that its sender belongs to blockName.
    bool isValidFor(const QString &blockName) const;
};
