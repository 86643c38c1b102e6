// Continuing a download that ended early, without a network: the request a
// resume makes and what each kind of answer leads to; and the mirror list a
// packageUrl names.
#include "engine/download/package_mirrors.h"
#include "engine/download/range_resume.h"

#include <QNetworkRequest>
#include <QtTest>

class TestRangeResume : public QObject
{
    Q_OBJECT

private slots:
    void requestAsksForTheRest_data();
    void requestAsksForTheRest();
    void decisions_data();
    void decisions();
    void mirrors_data();
    void mirrors();
    void localNames_data();
    void localNames();
};

void TestRangeResume::requestAsksForTheRest_data()
{
    QTest::addColumn<QByteArray>("etag");
    QTest::addColumn<QByteArray>("lastModified");
    QTest::addColumn<QByteArray>("encoding");
    QTest::addColumn<QByteArray>("ifRange"); // empty: no resume

    const QByteArray date = "Mon, 07 Dec 2026 10:00:00 GMT";
    QTest::newRow("etag") << QByteArray("\"v1\"") << date << QByteArray() << QByteArray("\"v1\"");
    QTest::newRow("last-modified") << QByteArray() << date << QByteArray() << date;
    QTest::newRow("weak etag falls back") << QByteArray("W/\"v1\"") << date << QByteArray() << date;
    QTest::newRow("no validator") << QByteArray() << QByteArray() << QByteArray() << QByteArray();
    QTest::newRow("weak etag only")
        << QByteArray("W/\"v1\"") << QByteArray() << QByteArray() << QByteArray();
    QTest::newRow("compressed body")
        << QByteArray("\"v1\"") << date << QByteArray("gzip") << QByteArray();
}

void TestRangeResume::requestAsksForTheRest()
{
    QFETCH(QByteArray, etag);
    QFETCH(QByteArray, lastModified);
    QFETCH(QByteArray, encoding);
    QFETCH(QByteArray, ifRange);

    RangeResume resume;
    resume.keep(600000, etag, lastModified, encoding);
    QNetworkRequest request;
    resume.applyTo(request);
    QCOMPARE(resume.canResume(), !ifRange.isEmpty());
    QCOMPARE(request.rawHeader("If-Range"), ifRange);
    QCOMPARE(request.rawHeader("Range"),
             ifRange.isEmpty() ? QByteArray() : QByteArray("bytes=600000-"));

    resume.clear();
    QNetworkRequest fresh;
    resume.applyTo(fresh);
    QVERIFY(fresh.rawHeaderList().isEmpty());
}

void TestRangeResume::decisions_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("contentRange");
    QTest::addColumn<QByteArray>("etag");
    QTest::addColumn<int>("decision");

    const QByteArray same = "\"v1\"";
    QTest::newRow("206 the rest") << 206 << QByteArray("bytes 1000-2999/3000") << same
                                  << int(RangeResume::Append);
    QTest::newRow("206 unknown length")
        << 206 << QByteArray("bytes 1000-2999/*") << same << int(RangeResume::Append);
    QTest::newRow("200 whole file")
        << 200 << QByteArray() << QByteArray("\"v2\"") << int(RangeResume::StartOver);
    QTest::newRow("416") << 416 << QByteArray("bytes */500") << same << int(RangeResume::Refetch);
    QTest::newRow("206 changed etag") << 206 << QByteArray("bytes 1000-2999/3000")
                                      << QByteArray("\"v2\"") << int(RangeResume::Refetch);
    QTest::newRow("206 without etag")
        << 206 << QByteArray("bytes 1000-2999/3000") << QByteArray() << int(RangeResume::Refetch);
    QTest::newRow("206 other start")
        << 206 << QByteArray("bytes 0-2999/3000") << same << int(RangeResume::Refetch);
    QTest::newRow("206 not to the end")
        << 206 << QByteArray("bytes 1000-1999/3000") << same << int(RangeResume::Refetch);
    QTest::newRow("206 no range") << 206 << QByteArray() << same << int(RangeResume::Refetch);
    // Numbers that describe no part of any file.
    QTest::newRow("206 backwards")
        << 206 << QByteArray("bytes 1000-85/*") << same << int(RangeResume::Refetch);
    QTest::newRow("206 last byte overflows")
        << 206 << QByteArray("bytes 1000-99999999999999999999/*") << same
        << int(RangeResume::Refetch);
}

void TestRangeResume::decisions()
{
    QFETCH(int, status);
    QFETCH(QByteArray, contentRange);
    QFETCH(QByteArray, etag);
    QFETCH(int, decision);

    RangeResume resume;
    resume.keep(1000, "\"v1\"", QByteArray(), QByteArray());
    QCOMPARE(int(resume.decide(status, contentRange, etag, QByteArray())), decision);
}

void TestRangeResume::mirrors_data()
{
    QTest::addColumn<QString>("packageUrl");
    QTest::addColumn<QStringList>("mirrors");

    QTest::newRow("one") << "https://a.test/p.zip" << QStringList { "https://a.test/p.zip" };
    QTest::newRow("two, spaced") << " https://a.test/p.zip , http://b.test/p.zip"
                                 << QStringList { "https://a.test/p.zip", "http://b.test/p.zip" };
    QTest::newRow("empty entries dropped")
        << "https://a.test/p.zip,,http://b.test/p.zip,"
        << QStringList { "https://a.test/p.zip", "http://b.test/p.zip" };
    QTest::newRow("none") << "" << QStringList();
    // settings.ini hands a quoted value over whole: one URL, commas and all.
    QTest::newRow("quoted, a comma of its own")
        << "\"https://a.test/p.zip?sig=a,b\"" << QStringList { "https://a.test/p.zip?sig=a,b" };
    QTest::newRow("quoted among mirrors")
        << "\"https://a.test/p.zip?sig=a,b\",http://b.test/p.zip"
        << QStringList { "https://a.test/p.zip?sig=a,b", "http://b.test/p.zip" };
}

void TestRangeResume::mirrors()
{
    QFETCH(QString, packageUrl);
    QFETCH(QStringList, mirrors);
    QCOMPARE(packageMirrors(packageUrl), mirrors);

    // The signature lies beside the package; a query stays a query.
    QCOMPARE(signatureUrl(QUrl(QStringLiteral("https://a.test/dl/p.zip"))).toString(),
             QStringLiteral("https://a.test/dl/p.zip.minisig"));
    QCOMPARE(signatureUrl(QUrl(QStringLiteral("https://a.test/p.zip?v=2"))).toString(),
             QStringLiteral("https://a.test/p.zip.minisig?v=2"));
}

void TestRangeResume::localNames_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("name");

    QTest::newRow("plain") << "https://a.test/dl/velmar.zip"
                           << "velmar.zip";
    // Signed, expiring links: the query and the fragment are no part of it.
    QTest::newRow("query and fragment") << "https://a.test/dl/velmar.zip?sig=a/b:c&exp=1#part"
                                        << "velmar.zip";
    QTest::newRow("percent-encoded") << "https://a.test/dl/Velmar%20Setup%202.zip"
                                     << "Velmar Setup 2.zip";
    QTest::newRow("encoded backslash") << "https://a.test/dl/a%5Cb.zip"
                                       << "a_b.zip";
    QTest::newRow("control character") << "https://a.test/dl/a%0Ab.zip"
                                       << "a_b.zip";
    QTest::newRow("nothing left") << "https://a.test/?name=p.zip"
                                  << "package.zip";
    QTest::newRow("overlong") << "https://a.test/" + QString(300, QLatin1Char('v'))
                              << "package.zip";
    QTest::newRow("the run's log") << "https://a.test/installer.log"
                                   << "package.zip";
}

void TestRangeResume::localNames()
{
    QFETCH(QString, url);
    QFETCH(QString, name);
    QCOMPARE(packageFileName(url), name);
}

QTEST_GUILESS_MAIN(TestRangeResume)
#include "tst_range_resume.moc"
