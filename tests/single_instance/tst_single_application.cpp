// A primary in this very process: its record in the shared block and how it
// treats what later processes send to its local server.
#include "single_instance/connection_frame.h"
#include "single_instance/instance_block.h"
#include "single_instance/instance_key.h"
#include "single_instance/single_application.h"

#include <QLocalSocket>
#include <QSharedMemory>
#include <QSignalSpy>
#include <QtTest>

namespace {

// Our own process id keeps this test's key apart from any other run of it.
QString keyExtra()
{
    return QString::number(QCoreApplication::applicationPid());
}

QString key()
{
    return InstanceKey::forThisProcess(SingleApplication::UserScope, { keyExtra() });
}

QByteArray frame(const QString &sentKey, quint8 kind, quint32 instance)
{
    return ConnectionFrame::encode(sentKey, kind, instance);
}

} // namespace

class TestSingleApplication : public QObject
{
    Q_OBJECT

public:
    explicit TestSingleApplication(SingleApplication *app)
        : m_app(app)
    {
    }

private Q_SLOTS:
    void init()
    {
        m_started.reset(new QSignalSpy(m_app, &SingleApplication::instanceStarted));
        m_messages.reset(new QSignalSpy(m_app, &SingleApplication::receivedMessage));
    }

    void blockNamesThisProcessAsPrimary()
    {
        QSharedMemory memory(key());
        QVERIFY2(memory.attach(QSharedMemory::ReadOnly), qPrintable(memory.errorString()));
        QVERIFY(memory.lock());
        const InstanceBlock block(memory.data());
        QVERIFY(block.isConsistent());
        QVERIFY(block.hasPrimary());
        QCOMPARE(block.primaryProcessId(), qint64(QCoreApplication::applicationPid()));
        QCOMPARE(block.secondaryCount(), 0u);
        QVERIFY(memory.unlock());
    }

    void handoverFrameRaisesInstanceStartedOnce()
    {
        QLocalSocket client;
        QVERIFY(connectClient(client));
        client.write(frame(key(), HandoverConnection, 0));
        QTRY_COMPARE(m_started->count(), 1);
        client.disconnectFromServer();
        QCoreApplication::processEvents();
        QCOMPARE(m_started->count(), 1);
        QCOMPARE(m_messages->count(), 0);
    }

    void frameInPiecesCountsOnlyWhenComplete()
    {
        const QByteArray bytes = frame(key(), HandoverConnection, 0);
        QLocalSocket client;
        QVERIFY(connectClient(client));
        int from = 0;
        for (int to : { 5, 8, 30, 62 }) {
            client.write(bytes.mid(from, to - from));
            client.flush();
            from = to;
            settle();
            QCOMPARE(m_started->count(), 0);
        }
        client.write(bytes.right(1));
        QTRY_COMPARE(m_started->count(), 1);
    }

    void foreignOrDamagedFrameIsDroppedSilently_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QString otherKey = key();
        otherKey[3] = otherKey.at(3) == QLatin1Char('A') ? QLatin1Char('B') : QLatin1Char('A');
        QTest::newRow("other key") << frame(otherKey, HandoverConnection, 0);
        QByteArray badCrc = frame(key(), HandoverConnection, 0);
        badCrc[62] = char(badCrc.at(62) ^ 0x01);
        QTest::newRow("wrong crc") << badCrc;
        QTest::newRow("negative length") << (ConnectionFrame::encodeHeader(-55) + "trailing");
        QTest::newRow("over 64 KiB")
            << (ConnectionFrame::encodeHeader(64 * 1024 + 1) + QByteArray(4096, 'x'));
    }

    void foreignOrDamagedFrameIsDroppedSilently()
    {
        QFETCH(QByteArray, bytes);
        QLocalSocket client;
        QVERIFY(connectClient(client));
        client.write(bytes);
        // The primary hangs up on its own, without waiting for any body.
        QTRY_COMPARE(client.state(), QLocalSocket::UnconnectedState);
        settle();
        QCOMPARE(m_started->count(), 0);
        QCOMPARE(m_messages->count(), 0);
    }

    void otherKindsAreAcceptedWithoutStart_data()
    {
        QTest::addColumn<quint8>("kind");
        QTest::newRow("secondary without notification") << quint8(SecondaryConnection);
        QTest::newRow("unknown kind") << quint8(3);
    }

    void otherKindsAreAcceptedWithoutStart()
    {
        QFETCH(quint8, kind);
        QLocalSocket client;
        QVERIFY(connectClient(client));
        client.write(frame(key(), kind, 7) + "with the body");
        QTRY_COMPARE(m_messages->count(), 1);
        QCOMPARE(m_messages->at(0).at(0).value<quint32>(), 7u);
        QCOMPARE(m_messages->at(0).at(1).toByteArray(), QByteArray("with the body"));

        client.write("and later");
        QTRY_COMPARE(m_messages->count(), 2);
        QCOMPARE(m_messages->at(1).at(0).value<quint32>(), 7u);
        QCOMPARE(m_messages->at(1).at(1).toByteArray(), QByteArray("and later"));
        QCOMPARE(m_started->count(), 0);
    }

    void severalConnectionsAreKeptApart()
    {
        // Two senders interleave their pieces; each is read on its own.
        const QByteArray first = frame(key(), 3, 1) + "one";
        const QByteArray second = frame(key(), HandoverConnection, 2) + "two";
        QLocalSocket a;
        QLocalSocket b;
        QVERIFY(connectClient(a));
        QVERIFY(connectClient(b));
        a.write(first.left(20));
        b.write(second.left(40));
        a.flush();
        b.flush();
        settle();
        a.write(first.mid(20));
        b.write(second.mid(40));
        QTRY_COMPARE(m_messages->count(), 2);
        QCOMPARE(m_started->count(), 1);
        QMap<quint32, QByteArray> received;
        for (const QList<QVariant> &message : *m_messages)
            received.insert(message.at(0).value<quint32>(), message.at(1).toByteArray());
        QCOMPARE(received.value(1), QByteArray("one"));
        QCOMPARE(received.value(2), QByteArray("two"));
    }

private:
    bool connectClient(QLocalSocket &client)
    {
        client.connectToServer(key());
        return client.waitForConnected(5000);
    }

    // Lets the primary's side of the connection run for a moment.
    static void settle()
    {
        for (int i = 0; i < 10; ++i) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            QTest::qWait(10);
        }
    }

    SingleApplication *m_app;
    QScopedPointer<QSignalSpy> m_started;
    QScopedPointer<QSignalSpy> m_messages;
};

int main(int argc, char **argv)
{
    QCoreApplication::setApplicationVersion(QStringLiteral("1.0.0"));
    SingleApplication app(argc, argv, false, SingleApplication::UserScope, 1000, keyExtra());
    TestSingleApplication test(&app);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_single_application.moc"
