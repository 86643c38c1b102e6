// The connection frame on the wire and the primary's reading of it, driven
// byte by byte without sockets.
#include "byte_feed.h"
#include "single_instance/connection_frame.h"
#include "single_instance/frame_reader.h"

#include <QtTest>

namespace {

const QString Key = QStringLiteral("q0L+9yT1kX2mZ8sVb3Jc4Rn5Hd6Gf7Ae8Wu9Ip0Oa1S=");

// Big-endian bytes, built by hand so that the encoder is checked against the
// wire format rather than against itself.
QByteArray bigEndian(quint64 value, int size)
{
    QByteArray bytes;
    for (int i = size - 1; i >= 0; --i)
        bytes.append(char((value >> (8 * i)) & 0xff));
    return bytes;
}

QByteArray handBuiltBody(const QByteArray &key, quint8 kind, quint32 instance)
{
    QByteArray body = bigEndian(quint64(key.size()), 4) + key;
    body.append(char(kind));
    body.append(bigEndian(instance, 4));
    body.append(bigEndian(qChecksum(body.constData(), uint(body.size())), 2));
    return body;
}

QByteArray frame(const QByteArray &body)
{
    return bigEndian(quint64(body.size()), 8) + body;
}

} // namespace

class TestConnectionFrame : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void encodesTheWireFormat()
    {
        const QByteArray encoded = ConnectionFrame::encode(Key, HandoverConnection, 0x01020304);
        QCOMPARE(encoded.size(), 63);
        QCOMPARE(encoded.left(8), bigEndian(55, 8));
        QCOMPARE(encoded.mid(8), handBuiltBody(Key.toLatin1(), 1, 0x01020304));
    }

    void decodesWhatItEncodes()
    {
        const QByteArray body = ConnectionFrame::encodeBody(Key, SecondaryConnection, 7);
        const ConnectionFrame decoded = ConnectionFrame::decodeBody(body);
        QVERIFY(decoded.isValidFor(Key));
        QCOMPARE(decoded.kind, quint8(SecondaryConnection));
        QCOMPARE(decoded.instance, 7u);
        QCOMPARE(ConnectionFrame::decodeHeader(ConnectionFrame::encodeHeader(-5)), qint64(-5));
    }

    void rejectsForeignOrDamagedBodies()
    {
        const QByteArray good = handBuiltBody(Key.toLatin1(), 1, 0);
        QVERIFY(ConnectionFrame::decodeBody(good).isValidFor(Key));

        // Another installer's key.
        QString otherKey = Key;
        otherKey[0] = QLatin1Char('r');
        QVERIFY(
            !ConnectionFrame::decodeBody(handBuiltBody(otherKey.toLatin1(), 1, 0)).isValidFor(Key));

        // One bit of the checksum wrong.
        QByteArray badCrc = good;
        badCrc[badCrc.size() - 1] = char(badCrc.at(badCrc.size() - 1) ^ 1);
        QVERIFY(!ConnectionFrame::decodeBody(badCrc).isValidFor(Key));

        // Cut short anywhere: the fields are not all there.
        for (int size = 0; size < good.size(); ++size)
            QVERIFY2(!ConnectionFrame::decodeBody(good.left(size)).isValidFor(Key),
                     qPrintable(QString::number(size)));

        // A key length far beyond the body must fail cleanly, not allocate it.
        QByteArray hugeKey = good;
        hugeKey.replace(0, 4, bigEndian(0x7ffffff0, 4));
        QVERIFY(!ConnectionFrame::decodeBody(hugeKey).isValidFor(Key));
    }

    void keyCountsUpToItsFirstNul()
    {
        QByteArray padded = Key.toLatin1();
        padded.append('\0').append("tail");
        QVERIFY(ConnectionFrame::decodeBody(handBuiltBody(padded, 1, 0)).isValidFor(Key));
        // ...but a key that stops short of ours is not ours.
        QByteArray shortened = Key.toLatin1();
        shortened[10] = '\0';
        QVERIFY(!ConnectionFrame::decodeBody(handBuiltBody(shortened, 1, 0)).isValidFor(Key));
    }

    void bodyLengthLimits()
    {
        QVERIFY(!ConnectionFrame::isAcceptableBodyLength(-1));
        QVERIFY(!ConnectionFrame::isAcceptableBodyLength(std::numeric_limits<qint64>::min()));
        QVERIFY(ConnectionFrame::isAcceptableBodyLength(0));
        QVERIFY(ConnectionFrame::isAcceptableBodyLength(64 * 1024));
        QVERIFY(!ConnectionFrame::isAcceptableBodyLength(64 * 1024 + 1));
    }

    void readsAFrameThatArrivesInPieces()
    {
        const QByteArray bytes = frame(handBuiltBody(Key.toLatin1(), 1, 3));
        ByteFeed feed;
        PeerState state;
        for (int i = 0; i < bytes.size() - 1; ++i) {
            feed.append(bytes.mid(i, 1));
            const FrameReader::Outcome outcome = FrameReader::readStep(feed, state, Key);
            QVERIFY(!outcome.accepted && !outcome.close);
            QCOMPARE(state.stage, quint8(i < 7 ? PeerState::AwaitHeader : PeerState::AwaitBody));
        }
        QCOMPARE(state.bodyLength, qint64(55));
        feed.append(bytes.right(1));
        const FrameReader::Outcome outcome = FrameReader::readStep(feed, state, Key);
        QVERIFY(outcome.accepted);
        QCOMPARE(outcome.kind, quint8(1));
        QVERIFY(outcome.message.isEmpty());
        QCOMPARE(state.stage, quint8(PeerState::Established));
        QCOMPARE(state.peerInstance, 3u);
    }

    void deliversBytesAfterTheBodyAsMessages()
    {
        ByteFeed feed;
        PeerState state;
        feed.append(frame(handBuiltBody(Key.toLatin1(), 3, 9)) + "with the body");
        FrameReader::Outcome outcome = FrameReader::readStep(feed, state, Key);
        QVERIFY(outcome.accepted);
        QCOMPARE(outcome.kind, quint8(3));
        QCOMPARE(outcome.message, QByteArray("with the body"));

        feed.append("later");
        outcome = FrameReader::readStep(feed, state, Key);
        QVERIFY(!outcome.accepted && !outcome.close);
        QCOMPARE(outcome.message, QByteArray("later"));
        QCOMPARE(state.peerInstance, 9u);
    }

    void invalidBodyClosesAndLeavesTheRestUnread()
    {
        QByteArray body = handBuiltBody(Key.toLatin1(), 1, 0);
        body[body.size() - 1] = char(body.at(body.size() - 1) ^ 0x80);
        ByteFeed feed;
        PeerState state;
        feed.append(frame(body) + "rest");
        const FrameReader::Outcome outcome = FrameReader::readStep(feed, state, Key);
        QVERIFY(outcome.close);
        QVERIFY(!outcome.accepted);
        QVERIFY(outcome.message.isEmpty());
        QCOMPARE(state.peerInstance, 0u);
        // Whatever followed is left for the connection's closing to report.
        QCOMPARE(feed.bytesAvailable(), qint64(4));
    }

    void hostileHeaderClosesAtOnceAndKeepsNothing_data()
    {
        QTest::addColumn<qint64>("announced");
        QTest::newRow("negative") << qint64(-1);
        QTest::newRow("most negative") << std::numeric_limits<qint64>::min();
        QTest::newRow("just over 64 KiB") << qint64(64 * 1024 + 1);
        QTest::newRow("huge") << std::numeric_limits<qint64>::max();
    }

    void hostileHeaderClosesAtOnceAndKeepsNothing()
    {
        QFETCH(qint64, announced);
        ByteFeed feed;
        PeerState state;
        feed.append(bigEndian(quint64(announced), 8) + QByteArray(100, 'x'));
        const FrameReader::Outcome outcome = FrameReader::readStep(feed, state, Key);
        QVERIFY(outcome.close);
        QVERIFY(!outcome.accepted);
        QVERIFY(outcome.message.isEmpty());
        QCOMPARE(feed.bytesAvailable(), qint64(0));
    }

    void largestAcceptedHeaderWaitsForItsBody()
    {
        ByteFeed feed;
        PeerState state;
        feed.append(bigEndian(64 * 1024, 8) + QByteArray(1000, 'x'));
        const FrameReader::Outcome outcome = FrameReader::readStep(feed, state, Key);
        QVERIFY(!outcome.close);
        QCOMPARE(state.stage, quint8(PeerState::AwaitBody));
        QCOMPARE(feed.bytesAvailable(), qint64(1000));
    }
};

QTEST_GUILESS_MAIN(TestConnectionFrame)
#include "tst_connection_frame.moc"
