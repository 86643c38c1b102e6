// Reading an HTTP answer from the bytes of its connection, without a
// network: how its body is framed, and the limits no server talks it out of.
#include "engine/download/http_response_reader.h"

#include <QtTest>

class TestHttpResponseReader : public QObject
{
    Q_OBJECT

private slots:
    void readsAnswers_data();
    void readsAnswers();
};

void TestHttpResponseReader::readsAnswers_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<bool>("closes"); // the connection ends after the answer
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("error"); // empty: the answer is complete

    const QByteArray ok = "HTTP/1.1 200 OK\r\n";
    const QByteArray chunked = ok + "Transfer-Encoding: chunked\r\n\r\n";
    QTest::newRow("length") << ok + "Content-Length: 5\r\n\r\nhello" << false << QByteArray("hello")
                            << "";
    QTest::newRow("until the end")
        << QByteArray("HTTP/1.0 200 OK\r\n\r\nhello") << true << QByteArray("hello") << "";
    QTest::newRow("chunks, extension, trailer")
        << chunked + "3;x=y\r\nhel\r\n002\r\nlo\r\n0\r\nX-Sum: 1\r\n\r\n"
        << false << QByteArray("hello") << "";
    QTest::newRow("interim answer first")
        << "HTTP/1.1 100 Continue\r\n\r\n" + ok + "Content-Length: 2\r\n\r\nhi" << false
        << QByteArray("hi") << "";
    QTest::newRow("more than announced") << ok + "Content-Length: 2\r\n\r\nhi!" << false
                                         << QByteArray("hi") << "more data than it announced";
    QTest::newRow("cut short") << ok + "Content-Length: 5\r\n\r\nhel" << true << QByteArray("hel")
                               << "closed before";
    QTest::newRow("chunks cut short")
        << chunked + "5\r\nhel" << true << QByteArray("hel") << "closed before";
    QTest::newRow("endless header line") << ok + "X-Flood: " + QByteArray(70000, 'a') << false
                                         << QByteArray() << "larger than 64 KiB";
    QTest::newRow("endless chunk-size line")
        << chunked + QByteArray(2000, '1') << false << QByteArray() << "malformed chunk";
    QTest::newRow("chunk size overflows") << chunked + "1ffffffffffffffff\r\n"
                                          << false << QByteArray() << "malformed chunk";
    QTest::newRow("compressed") << ok + "Content-Encoding: gzip\r\nContent-Length: 2\r\n\r\nhi"
                                << false << QByteArray() << "Content-Encoding: gzip";
    QTest::newRow("compressed transfer") << ok + "Transfer-Encoding: gzip, chunked\r\n\r\n"
                                         << false << QByteArray() << "Transfer-Encoding";
    // An error page's body is never taken, compressed or not.
    QTest::newRow("compressed error page") << QByteArray(
        "HTTP/1.1 404 Not Found\r\nContent-Encoding: gzip\r\nContent-Length: 0\r\n\r\n")
                                           << false << QByteArray() << "";
    QTest::newRow("two lengths") << ok + "Content-Length: 2\r\nContent-Length: 3\r\n\r\nhi" << false
                                 << QByteArray() << "unusable length";
    QTest::newRow("not HTTP") << QByteArray("SSH-2.0-OpenSSH_9.2\r\n") << false << QByteArray()
                              << "not HTTP";
}

void TestHttpResponseReader::readsAnswers()
{
    QFETCH(QByteArray, answer);
    QFETCH(bool, closes);
    QFETCH(QByteArray, body);
    QFETCH(QString, error);

    // All at once, and a byte at a time: a limit or a boundary may fall
    // anywhere in what the connection delivers.
    for (const int piece : { int(answer.size()), 1 }) {
        HttpResponseReader reader;
        QByteArray received;
        for (int offset = 0; offset < answer.size();) {
            const qint64 taken = reader.feed(answer.constData() + offset,
                                             qMin(piece, int(answer.size()) - offset), &received);
            if (taken < 0)
                break;
            offset += int(taken);
        }
        if (closes && reader.state() != HttpResponseReader::State::Failed)
            reader.closeReceived();
        QCOMPARE(received, body);
        QVERIFY2(reader.error().contains(error), qPrintable(reader.error()));
        QCOMPARE(reader.state(),
                 error.isEmpty() ? HttpResponseReader::State::Complete
                                 : HttpResponseReader::State::Failed);
    }
}

QTEST_GUILESS_MAIN(TestHttpResponseReader)
#include "tst_http_response_reader.moc"
