#pragma once

#include <QByteArray>
#include <QIODevice>

// A sequential device that hands out the bytes appended to it, standing in
// for a local socket whose peer sends them piece by piece.
class ByteFeed : public QIODevice
{
public:
    ByteFeed();

    void append(const QByteArray &bytes);
    // Bytes appended but not yet read.
    qint64 pending() const { return m_pending.size(); }

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override;

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *data, qint64 maxSize) override;

private:
    QByteArray m_pending;
};
