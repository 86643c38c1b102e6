// DownloadTask against a local HTTP(S) server: retries, results, the files it
// leaves, TLS verification, redirects, the system proxy and the failures a
// real network brings (short bodies, stalls, a full disk).
#include "engine/download/download_task.h"
#include "engine/install_error.h"
#include "engine/trust/package_trust.h"
#include "support/http_test_proxy.h"
#include "support/http_test_server.h"
#include "support/minisign_tool.h"
#include "support/peak_memory.h"
#include "support/scoped_certificate_trust.h"
#include "support/test_certificate.h"
#include "support/test_files.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <zlib.h>
#ifndef Q_OS_WIN
#include <sys/resource.h>
#endif

namespace {

QByteArray randomBytes(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(size);
    for (char &byte : bytes)
        byte = static_cast<char>(generator.generate() & 0xff);
    return bytes;
}

// A gzip stream that inflates to the given mebibytes of zeros, made in a
// moment: each mebibyte is flushed on its own, so every one after the first
// compresses to the same bytes, which are repeated. About 1 KiB per MiB.
QByteArray gzipBomb(int mebibytes)
{
    const QByteArray zeros(1024 * 1024, '\0');
    z_stream stream {};
    deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY);
    const auto compress = [&stream](const QByteArray &in, int flush) {
        QByteArray out(int(deflateBound(&stream, uLong(in.size()))) + 64, '\0');
        stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(in.constData()));
        stream.avail_in = uInt(in.size());
        stream.next_out = reinterpret_cast<Bytef *>(out.data());
        stream.avail_out = uInt(out.size());
        deflate(&stream, flush);
        out.chop(int(stream.avail_out));
        return out;
    };
    QByteArray bomb = compress(zeros, Z_FULL_FLUSH);
    const QByteArray repeated = compress(zeros, Z_FULL_FLUSH);
    for (int i = 1; i < mebibytes; ++i)
        bomb += repeated;
    // The stream's own trailer counts two mebibytes; the real one all.
    bomb += compress(QByteArray(), Z_FINISH);
    deflateEnd(&stream);
    bomb.chop(8);
    const uLong one
        = crc32(0, reinterpret_cast<const Bytef *>(zeros.constData()), uInt(zeros.size()));
    uLong crc = crc32(0, nullptr, 0);
    for (int i = 0; i < mebibytes; ++i)
        crc = crc32_combine(crc, one, zeros.size());
    for (const quint32 value : { quint32(crc), quint32(qint64(mebibytes) * zeros.size()) }) {
        for (int shift = 0; shift < 32; shift += 8)
            bomb += char((value >> shift) & 0xff);
    }
    return bomb;
}

using TestFiles::readFile;
using TestFiles::writeFile;

// Runs one download to its end and keeps everything it said.
struct Run
{
    QList<QPair<int, QString>> results;
    QList<QPair<qint64, qint64>> progress;
    QStringList log;

    int error() const { return results.isEmpty() ? -1 : results.first().first; }
    QString message() const { return results.isEmpty() ? QString() : results.first().second; }
};

Run download(const QString &url, const QString &filePath,
             const std::function<void(DownloadTask &)> &prepare = {})
{
    Run run;
    DownloadTask task(url, filePath);
    QObject::connect(&task, &DownloadTask::done, [&run](int error, const QString &message) {
        run.results.append({ error, message });
    });
    QObject::connect(&task, &DownloadTask::progress, [&run](qint64 received, qint64 total) {
        run.progress.append({ received, total });
    });
    QObject::connect(&task, &DownloadTask::logMessage,
                     [&run](const QString &line) { run.log.append(line); });
    if (prepare)
        prepare(task);
    task.start();
    QElapsedTimer waited;
    waited.start();
    while (run.results.isEmpty() && waited.elapsed() < 60000)
        QTest::qWait(10);
    // A second done would arrive right behind the first one.
    QTest::qWait(50);
    return run;
}

} // namespace

class TestDownloadTask : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void downloadsIntoPlace();
    void reportsUnknownLength_data();
    void reportsUnknownLength();
    void retriesAfterFailures();
    void reportsTheThirdFailure();
    void leavesNoTemporaryFileAfterFailure();
    void keepsTemporaryFileAfterCancel();
    void ignoresStartWhileInFlight();
    void replacesExistingFile();
    void refusesUnopenableLocalFile();
    void neverWritesThroughPlantedLink();
    void verifiesServerCertificate();
    void followsRedirects();
    void refusesRedirectFromHttpsToHttp();
    void stopsEndlessRedirects();
    void treatsNonSuccessAnswerAsFailure();
    void treatsShortBodyAsFailure();
    void treatsStallAsFailure();
    void timeLimitEndsTheRunningAttempt();
    void reportsWriteFailure();
    void usesSystemProxy();
    void installsCheckedPackageOverHttps();
    void refusesUntrustedPackages_data();
    void refusesUntrustedPackages();
    void refusesUnusableChecksInSettings();
    void resumesWhereTheConnectionDropped_data();
    void resumesWhereTheConnectionDropped();
    void fallsBackToTheNextMirror();
    void namesAFullDisk();
    void refusesCompressedAnswersInBoundedMemory_data();
    void refusesCompressedAnswersInBoundedMemory();
    void leavesAMirrorWhoseHeaderNeverEnds();
    void endsTricklingAttempts_data();
    void endsTricklingAttempts();
    void movesToTheNextMirrorAfterAMismatch();

private:
    QByteArray signedPackage(const QString &name, const QByteArray &body,
                             const MinisignKeyPair &key);
    QString trustedKeys() const;

    QString packagePath() const { return m_dir->filePath(QStringLiteral("package.zip")); }
    QString temporaryPath() const { return packagePath() + QStringLiteral(".tmp"); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<HttpTestServer> m_server;
    QTemporaryDir m_keysDir;
    MinisignKeyPair m_oldKey;
    MinisignKeyPair m_newKey;
    MinisignKeyPair m_strangerKey;
};

void TestDownloadTask::init()
{
    // Only the proxy test asks for a proxy; nothing else may leave loopback.
    for (const char *name : { "http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY", "no_proxy",
                              "NO_PROXY", "all_proxy", "ALL_PROXY" })
        qunsetenv(name);
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_server = std::make_unique<HttpTestServer>();
    QVERIFY(m_server->listen());
}

void TestDownloadTask::cleanup()
{
    m_server.reset();
    m_dir.reset();
}

void TestDownloadTask::downloadsIntoPlace()
{
    const QByteArray body = randomBytes(3 * 1024 * 1024 + 17);
    m_server->serveData(QStringLiteral("/package.zip"), body);

    const Run run
        = download(m_server->url(QStringLiteral("/package.zip")).toString(), packagePath());
    QCOMPARE(run.results.size(), 1);
    QCOMPARE(run.error(), int(NoError));
    QVERIFY(run.message().isEmpty());
    QVERIFY(readFile(packagePath()) == body);
    QVERIFY(!QFileInfo::exists(temporaryPath()));
    QVERIFY(!run.progress.isEmpty());
    QCOMPARE(run.progress.last().first, qint64(body.size()));
    QCOMPARE(run.progress.last().second, qint64(body.size()));
    QCOMPARE(m_server->requestCount(QStringLiteral("/package.zip")), 1);
}

void TestDownloadTask::reportsUnknownLength_data()
{
    QTest::addColumn<bool>("chunked");
    QTest::newRow("closed connection") << false;
    QTest::newRow("chunked") << true;
}

void TestDownloadTask::reportsUnknownLength()
{
    QFETCH(bool, chunked);
    HttpTestServer::Response response;
    response.body = randomBytes(2 * 1024 * 1024);
    response.sendLength = false;
    response.chunked = chunked;
    m_server->setResponse(QStringLiteral("/package.zip"), response);

    const Run run
        = download(m_server->url(QStringLiteral("/package.zip")).toString(), packagePath());
    QVERIFY2(run.error() == NoError, qPrintable(run.message()));
    QVERIFY(readFile(packagePath()) == response.body);
    QVERIFY(!run.progress.isEmpty());
    for (const auto &step : run.progress)
        QCOMPARE(step.second, qint64(-1));
}

void TestDownloadTask::retriesAfterFailures()
{
    HttpTestServer::Response response;
    response.body = randomBytes(100000);
    response.failFirst = 2;
    m_server->setResponse(QStringLiteral("/package.zip"), response);

    const Run run
        = download(m_server->url(QStringLiteral("/package.zip")).toString(), packagePath());
    QCOMPARE(run.results.size(), 1);
    QCOMPARE(run.error(), int(NoError));
    QCOMPARE(m_server->requestCount(QStringLiteral("/package.zip")), 3);
    QVERIFY(readFile(packagePath()) == response.body);
}

void TestDownloadTask::reportsTheThirdFailure()
{
    HttpTestServer::Response response;
    response.body = "never served";
    response.failFirst = 10;
    response.failStatus = 503;
    m_server->setResponse(QStringLiteral("/package.zip"), response);

    const Run run
        = download(m_server->url(QStringLiteral("/package.zip")).toString(), packagePath());
    QCOMPARE(run.results.size(), 1);
    QCOMPARE(run.error(), int(DownloadFailed));
    // The network library's own words for the answer.
    QVERIFY2(run.message().contains(QLatin1String("Service Unavailable")),
             qPrintable(run.message()));
    QCOMPARE(m_server->requestCount(QStringLiteral("/package.zip")), 3);
    QVERIFY(!QFileInfo::exists(packagePath()));
}

void TestDownloadTask::leavesNoTemporaryFileAfterFailure()
{
    // Connections that drop after part of the body: every attempt wrote to
    // the temporary file before it failed.
    HttpTestServer::Response response;
    response.body = randomBytes(1024 * 1024);
    response.sendLength = false;
    response.failFirst = 1;
    response.failStatus = 0;
    m_server->setResponse(QStringLiteral("/package.zip"), response);
    HttpTestServer::Response cut;
    cut.body = randomBytes(1024 * 1024);
    cut.cutAfter = 300000;
    m_server->setResponse(QStringLiteral("/cut.zip"), cut);

    const Run first
        = download(m_server->url(QStringLiteral("/package.zip")).toString(), packagePath());
    QCOMPARE(first.error(), int(NoError));
    QVERIFY(!QFileInfo::exists(temporaryPath()));

    const QString cutPath = m_dir->filePath(QStringLiteral("cut.zip"));
    const Run second = download(m_server->url(QStringLiteral("/cut.zip")).toString(), cutPath);
    QCOMPARE(second.error(), int(DownloadFailed));
    QVERIFY(!QFileInfo::exists(cutPath + QStringLiteral(".tmp")));
    QVERIFY(!QFileInfo::exists(cutPath));
}

void TestDownloadTask::keepsTemporaryFileAfterCancel()
{
    HttpTestServer::Response response;
    response.body = randomBytes(1024 * 1024);
    response.stallAfter = 200000;
    m_server->setResponse(QStringLiteral("/package.zip"), response);

    DownloadTask task(m_server->url(QStringLiteral("/package.zip")).toString(), packagePath());
    QSignalSpy done(&task, &DownloadTask::done);
    task.start();
    // Qt reports progress at most every 100 ms; the file tells at once.
    QTRY_COMPARE_WITH_TIMEOUT(QFileInfo(temporaryPath()).size(), qint64(200000), 20000);
    task.cancel();
    QTest::qWait(100);
    QCOMPARE(done.count(), 0);
    QCOMPARE(QFileInfo(temporaryPath()).size(), qint64(200000));
    QVERIFY(!QFileInfo::exists(packagePath()));
}

void TestDownloadTask::ignoresStartWhileInFlight()
{
    HttpTestServer::Response response;
    response.body = randomBytes(100000);
    response.stallAfter = 1000;
    m_server->setResponse(QStringLiteral("/package.zip"), response);

    DownloadTask task(m_server->url(QStringLiteral("/package.zip")).toString(), packagePath());
    QSignalSpy done(&task, &DownloadTask::done);
    task.start();
    QTRY_COMPARE_WITH_TIMEOUT(QFileInfo(temporaryPath()).size(), qint64(1000), 20000);
    task.start();
    QTest::qWait(200);
    QCOMPARE(m_server->requestCount(QStringLiteral("/package.zip")), 1);
    QCOMPARE(done.count(), 0);
    task.cancel();
}

void TestDownloadTask::replacesExistingFile()
{
    QVERIFY(writeFile(packagePath(), QByteArray(5000, 'o')));
    const QByteArray body = randomBytes(1000);
    m_server->serveData(QStringLiteral("/package.zip"), body);
    const Run run
        = download(m_server->url(QStringLiteral("/package.zip")).toString(), packagePath());
    QCOMPARE(run.error(), int(NoError));
    QVERIFY(readFile(packagePath()) == body);
}

void TestDownloadTask::refusesUnopenableLocalFile()
{
    m_server->serveData(QStringLiteral("/package.zip"), "body");
    const QString path = m_dir->filePath(QStringLiteral("missing/folder/package.zip"));
    const Run run = download(m_server->url(QStringLiteral("/package.zip")).toString(), path);
    QCOMPARE(run.results.size(), 1);
    QCOMPARE(run.error(), int(LocalFileFailed));
    QCOMPARE(run.message(), QStringLiteral("Can't open the local file."));
    QCOMPARE(m_server->requestCount(QStringLiteral("/package.zip")), 0);
}

void TestDownloadTask::neverWritesThroughPlantedLink()
{
    // Someone else's link at the temporary name must not turn the download
    // into a write to the file it points at.
    const QString victim = m_dir->filePath(QStringLiteral("victim.txt"));
    QVERIFY(writeFile(victim, "precious"));
    QVERIFY(QFile::link(victim, temporaryPath()));
    const QByteArray body = randomBytes(4000);
    m_server->serveData(QStringLiteral("/package.zip"), body);
    const Run run
        = download(m_server->url(QStringLiteral("/package.zip")).toString(), packagePath());
    QCOMPARE(run.error(), int(NoError));
    QCOMPARE(readFile(victim), QByteArray("precious"));
    QVERIFY(readFile(packagePath()) == body);
    QVERIFY(!QFileInfo(packagePath()).isSymLink());
}

void TestDownloadTask::verifiesServerCertificate()
{
    TestCertificate certificate;
    QVERIFY(certificate.create(m_dir->path()));
    HttpTestServer tls;
    QVERIFY(tls.listenTls(certificate.certificatePath, certificate.keyPath));
    const QByteArray body = randomBytes(200000);
    tls.serveData(QStringLiteral("/package.zip"), body);
    // The scheme in capitals is HTTPS all the same.
    const QString url
        = tls.url(QStringLiteral("/package.zip")).toString().replace(0, 5, QStringLiteral("HTTPS"));

    const Run untrusted = download(url, packagePath());
    QCOMPARE(untrusted.error(), int(DownloadFailed));
    QVERIFY(!QFileInfo::exists(packagePath()));
    QVERIFY(!QFileInfo::exists(temporaryPath()));

    ScopedCertificateTrust trust(certificate.certificatePath);
    QVERIFY(trust.isValid());
    const Run trusted = download(url, packagePath());
    QCOMPARE(trusted.error(), int(NoError));
    QVERIFY(readFile(packagePath()) == body);
}

void TestDownloadTask::followsRedirects()
{
    const QByteArray body = randomBytes(5000);
    m_server->serveData(QStringLiteral("/new/package.zip"), body);
    m_server->redirect(QStringLiteral("/package.zip"), "/moved", 301);
    m_server->redirect(QStringLiteral("/moved"),
                       m_server->url(QStringLiteral("/new/package.zip")).toEncoded(), 307);

    const Run run
        = download(m_server->url(QStringLiteral("/package.zip")).toString(), packagePath());
    QCOMPARE(run.error(), int(NoError));
    QVERIFY(readFile(packagePath()) == body);
    QCOMPARE(m_server->requestCount(QStringLiteral("/new/package.zip")), 1);
}

void TestDownloadTask::refusesRedirectFromHttpsToHttp()
{
    TestCertificate certificate;
    QVERIFY(certificate.create(m_dir->path()));
    HttpTestServer tls;
    QVERIFY(tls.listenTls(certificate.certificatePath, certificate.keyPath));
    m_server->serveData(QStringLiteral("/package.zip"), "plain text package");
    tls.redirect(QStringLiteral("/package.zip"),
                 m_server->url(QStringLiteral("/package.zip")).toEncoded());

    ScopedCertificateTrust trust(certificate.certificatePath);
    QVERIFY(trust.isValid());
    const Run run = download(tls.url(QStringLiteral("/package.zip")).toString(), packagePath());

    QCOMPARE(run.error(), int(DownloadFailed));
    QCOMPARE(tls.requestCount(QStringLiteral("/package.zip")), 3);
    QCOMPARE(m_server->requestCount(QStringLiteral("/package.zip")), 0);
    QVERIFY(!QFileInfo::exists(packagePath()));
}

void TestDownloadTask::stopsEndlessRedirects()
{
    m_server->redirect(QStringLiteral("/loop"), "/loop");
    const Run run = download(m_server->url(QStringLiteral("/loop")).toString(), packagePath());
    QCOMPARE(run.results.size(), 1);
    QCOMPARE(run.error(), int(DownloadFailed));
    // A handful per attempt, three attempts.
    const int requests = m_server->requestCount(QStringLiteral("/loop"));
    QVERIFY2(requests >= 3 && requests <= 3 * 11, qPrintable(QString::number(requests)));
    QVERIFY(!QFileInfo::exists(packagePath()));
}

void TestDownloadTask::treatsNonSuccessAnswerAsFailure()
{
    // A redirect without a target, which Qt hands over as a finished answer.
    HttpTestServer::Response response;
    response.status = 300;
    response.body = "<html>choose</html>";
    m_server->setResponse(QStringLiteral("/package.zip"), response);

    const Run run
        = download(m_server->url(QStringLiteral("/package.zip")).toString(), packagePath());
    QCOMPARE(run.results.size(), 1);
    QCOMPARE(run.error(), int(DownloadFailed));
    QVERIFY2(run.message().contains(QLatin1String("300")), qPrintable(run.message()));
    QCOMPARE(m_server->requestCount(QStringLiteral("/package.zip")), 3);
    QVERIFY(!QFileInfo::exists(packagePath()));
    QVERIFY(!QFileInfo::exists(temporaryPath()));

    m_server->serveData(QStringLiteral("/other.zip"), "x");
    const Run missing
        = download(m_server->url(QStringLiteral("/nothing.zip")).toString(), packagePath());
    QCOMPARE(missing.error(), int(DownloadFailed));
    QVERIFY(!QFileInfo::exists(packagePath()));
}

void TestDownloadTask::treatsShortBodyAsFailure()
{
    HttpTestServer::Response response;
    response.body = randomBytes(500000);
    response.cutAfter = 123456;
    m_server->setResponse(QStringLiteral("/package.zip"), response);

    const Run run
        = download(m_server->url(QStringLiteral("/package.zip")).toString(), packagePath());
    QCOMPARE(run.results.size(), 1);
    QCOMPARE(run.error(), int(DownloadFailed));
    QCOMPARE(m_server->requestCount(QStringLiteral("/package.zip")), 3);
    QVERIFY(!QFileInfo::exists(packagePath()));
    QVERIFY(!QFileInfo::exists(temporaryPath()));
}

void TestDownloadTask::treatsStallAsFailure()
{
    HttpTestServer::Response response;
    response.body = randomBytes(100000);
    response.stallAfter = 5000;
    m_server->setResponse(QStringLiteral("/package.zip"), response);

    const Run run = download(m_server->url(QStringLiteral("/package.zip")).toString(),
                             packagePath(), [](DownloadTask &task) { task.setStallTimeout(300); });
    QCOMPARE(run.results.size(), 1);
    QCOMPARE(run.error(), int(DownloadFailed));
    QVERIFY2(run.message().contains(QLatin1String("stalled")), qPrintable(run.message()));
    QCOMPARE(m_server->requestCount(QStringLiteral("/package.zip")), 3);
    QVERIFY(!QFileInfo::exists(temporaryPath()));
}

void TestDownloadTask::timeLimitEndsTheRunningAttempt()
{
    // The first attempt stalls with the stall check far away; only the
    // overall limit can end it, and the next attempt then succeeds.
    HttpTestServer::Response stalling;
    stalling.body = randomBytes(100000);
    stalling.stallAfter = 1000;
    m_server->setResponse(QStringLiteral("/package.zip"), stalling);
    const QByteArray body = randomBytes(3000);

    DownloadTask task(m_server->url(QStringLiteral("/package.zip")).toString(), packagePath());
    QSignalSpy done(&task, &DownloadTask::done);
    task.start();
    QTRY_COMPARE_WITH_TIMEOUT(m_server->requestCount(QStringLiteral("/package.zip")), 1, 20000);
    m_server->serveData(QStringLiteral("/package.zip"), body);
    task.setTimeLimit(100);
    QTRY_COMPARE_WITH_TIMEOUT(done.count(), 1, 20000);
    QCOMPARE(done.first().at(0).toInt(), int(NoError));
    QCOMPARE(m_server->requestCount(QStringLiteral("/package.zip")), 2);
    QVERIFY(readFile(packagePath()) == body);
}

void TestDownloadTask::reportsWriteFailure()
{
#ifdef Q_OS_WIN
    QSKIP("a full disk is staged with a Unix file size limit");
#else
    // A file size limit makes every write past 64 KiB fail, as a full disk
    // would (SIGXFSZ ignored, so the write just fails).
    const QByteArray body = randomBytes(1024 * 1024);
    m_server->serveData(QStringLiteral("/package.zip"), body);
    rlimit original;
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &original), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = original;
    limited.rlim_cur = 64 * 1024;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const Run run
        = download(m_server->url(QStringLiteral("/package.zip")).toString(), packagePath());
    setrlimit(RLIMIT_FSIZE, &original);
    std::signal(SIGXFSZ, previousHandler);

    QCOMPARE(run.results.size(), 1);
    QCOMPARE(run.error(), int(LocalFileFailed));
    QVERIFY2(run.message().contains(QLatin1String("package.zip.tmp")), qPrintable(run.message()));
    QVERIFY(!QFileInfo::exists(temporaryPath()));
    QVERIFY(!QFileInfo::exists(packagePath()));
#endif
}

void TestDownloadTask::usesSystemProxy()
{
#ifdef Q_OS_WIN
    QSKIP("Windows takes its proxy from the system settings, not from http_proxy");
#else
    HttpTestProxy proxy;
    QVERIFY(proxy.listen());
    const QByteArray body = randomBytes(300000);
    m_server->serveData(QStringLiteral("/package.zip"), body);
    qputenv("http_proxy", "http://127.0.0.1:" + QByteArray::number(proxy.port()));
    // By name: the proxy, not the system, finds the server.
    const QString url = QStringLiteral("http://localhost:%1/package.zip").arg(m_server->port());
    const Run run = download(url, packagePath());
    qunsetenv("http_proxy");

    QCOMPARE(run.error(), int(NoError));
    QVERIFY(readFile(packagePath()) == body);
    QCOMPARE(proxy.requestLines().size(), 1);
    QVERIFY(proxy.requestLines().first().startsWith("GET http://localhost:"));
    QCOMPARE(m_server->requestCount(QStringLiteral("/package.zip")), 1);
#endif
}

void TestDownloadTask::initTestCase()
{
    QVERIFY(m_keysDir.isValid());
    m_oldKey = MinisignKeyPair::generate(m_keysDir.path(), QStringLiteral("old"));
    m_newKey = MinisignKeyPair::generate(m_keysDir.path(), QStringLiteral("new"));
    m_strangerKey = MinisignKeyPair::generate(m_keysDir.path(), QStringLiteral("stranger"));
    QVERIFY(m_oldKey.isValid() && m_newKey.isValid() && m_strangerKey.isValid());
}

// Writes body into the test folder as name and signs it with key.
QByteArray TestDownloadTask::signedPackage(const QString &name, const QByteArray &body,
                                           const MinisignKeyPair &key)
{
    // Signed under the name it is served as: the signature names its file.
    const QString path = m_dir->filePath(QStringLiteral("served/") + name);
    if (!writeFile(path, body) || !key.sign(path))
        return QByteArray();
    return readFile(path + QStringLiteral(".minisig"));
}

QString TestDownloadTask::trustedKeys() const
{
    // Rotation: the package is signed by the second key of the list.
    return m_oldKey.publicKeyLine + QStringLiteral(",") + m_newKey.publicKeyLine;
}

void TestDownloadTask::installsCheckedPackageOverHttps()
{
    HttpTestServer server;
    TestCertificate certificate;
    QVERIFY(certificate.create(m_dir->path()));
    QVERIFY(server.listenTls(certificate.certificatePath, certificate.keyPath));
    const QByteArray body = randomBytes(1024 * 1024 + 3);
    const QByteArray signature = signedPackage(QStringLiteral("package.zip"), body, m_newKey);
    QVERIFY(!signature.isEmpty());
    server.serveData(QStringLiteral("/dl/package.zip"), body);
    server.serveData(QStringLiteral("/dl/package.zip.minisig"), signature);
    const QString sha256
        = QString::fromLatin1(QCryptographicHash::hash(body, QCryptographicHash::Sha256).toHex());

    ScopedCertificateTrust trust(certificate.certificatePath);
    QVERIFY(trust.isValid());
    const Run run
        = download(server.url(QStringLiteral("/dl/package.zip")).toString(), packagePath(),
                   [&](DownloadTask &task) { task.setPackageChecks(sha256, trustedKeys()); });

    QCOMPARE(run.results.size(), 1);
    QVERIFY2(run.error() == NoError, qPrintable(run.message()));
    QVERIFY(readFile(packagePath()) == body);
    QCOMPARE(server.requestCount(QStringLiteral("/dl/package.zip")), 1);
    QCOMPARE(server.requestCount(QStringLiteral("/dl/package.zip.minisig")), 1);
    QVERIFY2(run.log.last().contains(QLatin1String("checks passed")), qPrintable(run.log.last()));
}

void TestDownloadTask::refusesUntrustedPackages_data()
{
    QTest::addColumn<QString>("damage");
    QTest::addColumn<bool>("withSha256");
    QTest::addColumn<QString>("message");

    QTest::newRow("flipped byte, hash") << "flip" << true << PackageTrust::damagedMessage();
    QTest::newRow("flipped byte, signature only") << "flip" << false << "altered";
    QTest::newRow("signature by another key") << "stranger" << false << "does not trust";
    QTest::newRow("truncated signature") << "truncate" << false << "not a minisign";
    QTest::newRow("garbled signature") << "garble" << false << "not a minisign";
    QTest::newRow("missing signature")
        << "missing" << true << PackageTrust::missingSignatureMessage();
}

void TestDownloadTask::refusesUntrustedPackages()
{
    QFETCH(QString, damage);
    QFETCH(bool, withSha256);
    QFETCH(QString, message);

    const QByteArray body = randomBytes(400000);
    QByteArray signature
        = signedPackage(QStringLiteral("package.zip"), body,
                        damage == QLatin1String("stranger") ? m_strangerKey : m_newKey);
    QVERIFY(!signature.isEmpty());
    QByteArray served = body;
    if (damage == QLatin1String("flip"))
        served[200000] = char(served[200000] ^ 0x20); // same length, one bit
    if (damage == QLatin1String("truncate"))
        signature.chop(40);
    if (damage == QLatin1String("garble"))
        signature[signature.indexOf('\n') + 10] = '!';
    m_server->serveData(QStringLiteral("/package.zip"), served);
    if (damage != QLatin1String("missing"))
        m_server->serveData(QStringLiteral("/package.zip.minisig"), signature);
    const QString sha256 = withSha256
        ? QString::fromLatin1(QCryptographicHash::hash(body, QCryptographicHash::Sha256).toHex())
        : QString();

    const Run run
        = download(m_server->url(QStringLiteral("/package.zip")).toString(), packagePath(),
                   [&](DownloadTask &task) { task.setPackageChecks(sha256, trustedKeys()); });
    QCOMPARE(run.results.size(), 1);
    QCOMPARE(run.error(), int(DownloadFailed));
    QVERIFY2(run.message().contains(message), qPrintable(run.message()));
    // Nothing is left that could be unpacked.
    QVERIFY(!QFileInfo::exists(packagePath()));
    QVERIFY(!QFileInfo::exists(temporaryPath()));
    // The signature comes first; a package whose signature is unusable is
    // not fetched at all. A failed check is not retried: the same server
    // would send the same files again.
    QCOMPARE(m_server->requestCount(QStringLiteral("/package.zip.minisig")), 1);
    QCOMPARE(m_server->requestCount(QStringLiteral("/package.zip")),
             damage == QLatin1String("flip") ? 1 : 0);
}

void TestDownloadTask::refusesUnusableChecksInSettings()
{
    m_server->serveData(QStringLiteral("/package.zip"), "body");
    const Run run = download(
        m_server->url(QStringLiteral("/package.zip")).toString(), packagePath(),
        [](DownloadTask &task) { task.setPackageChecks(QStringLiteral("12ab"), QString()); });
    QCOMPARE(run.results.size(), 1);
    QCOMPARE(run.error(), int(DownloadFailed));
    QVERIFY2(run.message().contains(QLatin1String("packageSha256")), qPrintable(run.message()));
    QCOMPARE(m_server->requestCount(QStringLiteral("/package.zip")), 0);
}

void TestDownloadTask::resumesWhereTheConnectionDropped_data()
{
    QTest::addColumn<bool>("acceptRanges");
    QTest::addColumn<bool>("changingEtag");
    QTest::addColumn<bool>("honourIfRange");
    QTest::addColumn<int>("requests");
    QTest::addColumn<bool>("resumed");

    QTest::newRow("server honours Range") << true << false << true << 2 << true;
    QTest::newRow("server ignores Range") << false << false << true << 2 << false;
    QTest::newRow("validator changed") << true << true << true << 2 << false;
    QTest::newRow("validator changed, If-Range ignored") << true << true << false << 3 << false;
}

void TestDownloadTask::resumesWhereTheConnectionDropped()
{
    QFETCH(bool, acceptRanges);
    QFETCH(bool, changingEtag);
    QFETCH(bool, honourIfRange);
    QFETCH(int, requests);
    QFETCH(bool, resumed);

    const qint64 size = 2 * 1024 * 1024;
    const qint64 cut = size * 6 / 10;
    HttpTestServer::Response response;
    response.body = randomBytes(int(size));
    response.cutAfter = cut;
    response.cutRequests = 1;
    response.acceptRanges = acceptRanges;
    response.etag = "\"v1\"";
    response.changingEtag = changingEtag;
    response.honourIfRange = honourIfRange;
    m_server->setResponse(QStringLiteral("/package.zip"), response);
    // The hash must cover the whole file, whichever way it was put together.
    const QString sha256 = QString::fromLatin1(
        QCryptographicHash::hash(response.body, QCryptographicHash::Sha256).toHex());

    const Run run
        = download(m_server->url(QStringLiteral("/package.zip")).toString(), packagePath(),
                   [&](DownloadTask &task) { task.setPackageChecks(sha256, QString()); });
    QVERIFY2(run.error() == NoError, qPrintable(run.message()));
    QVERIFY(readFile(packagePath()) == response.body);
    const QList<QByteArray> heads = m_server->requestHeads(QStringLiteral("/package.zip"));
    QCOMPARE(heads.size(), requests);
    const QByteArray etag = changingEtag ? "\"v1-1\"" : "\"v1\"";
    QVERIFY2(heads.at(1).contains("Range: bytes=" + QByteArray::number(cut) + "-\r\n"),
             heads.at(1).constData());
    QVERIFY2(heads.at(1).contains("If-Range: " + etag), heads.at(1).constData());
    const qint64 served = m_server->bytesServed(QStringLiteral("/package.zip"));
    QCOMPARE(served < size * 3 / 2, resumed);
    QCOMPARE(run.progress.last(), qMakePair(size, size));
    if (resumed) {
        // The bar continues from where it was and never goes back.
        for (int i = 1; i < run.progress.size(); ++i)
            QVERIFY(run.progress.at(i).first >= run.progress.at(i - 1).first);
    }
}

void TestDownloadTask::fallsBackToTheNextMirror()
{
    // A port that nobody listens on any more refuses connections.
    quint16 deadPort = 0;
    {
        HttpTestServer gone;
        QVERIFY(gone.listen());
        deadPort = gone.port();
    }
    const QByteArray body = randomBytes(300000);
    const QByteArray signature = signedPackage(QStringLiteral("package.zip"), body, m_newKey);
    m_server->serveData(QStringLiteral("/package.zip"), body);
    m_server->serveData(QStringLiteral("/package.zip.minisig"), signature);
    const QString urls = QStringLiteral("http://127.0.0.1:%1/package.zip, %2")
                             .arg(deadPort)
                             .arg(m_server->url(QStringLiteral("/package.zip")).toString());

    const Run run = download(urls, packagePath(), [&](DownloadTask &task) {
        task.setPackageChecks(QString(), trustedKeys());
    });
    QVERIFY2(run.error() == NoError, qPrintable(run.message()));
    QVERIFY(readFile(packagePath()) == body);
    QCOMPARE(run.log.filter(QStringLiteral("from mirror 1 of 2")).size(), 3);
    QCOMPARE(m_server->requestCount(QStringLiteral("/package.zip")), 1);
    QVERIFY2(run.log.last().contains(QLatin1String("mirror 2 of 2")), qPrintable(run.log.last()));
}

void TestDownloadTask::namesAFullDisk()
{
    // A real full disk: a small memory file system, which needs root.
    const QString small = m_dir->filePath(QStringLiteral("small"));
    QVERIFY(QDir().mkpath(small));
    if (QProcess::execute(QStringLiteral("mount"),
                          { QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                            QStringLiteral("size=256k"), QStringLiteral("tmpfs"), small })
        != 0)
        QSKIP("cannot mount a small file system here (needs root)");
    struct Unmount
    {
        QString path;
        ~Unmount() { QProcess::execute(QStringLiteral("umount"), { path }); }
    } unmount { small };

    m_server->serveData(QStringLiteral("/package.zip"), randomBytes(1024 * 1024));
    const QString path = small + QStringLiteral("/package.zip");
    const Run run = download(m_server->url(QStringLiteral("/package.zip")).toString(), path);
    QCOMPARE(run.results.size(), 1);
    // The same code as a full disk while unpacking.
    QCOMPARE(run.error(), int(DiskFull));
    QVERIFY2(run.message().contains(QLatin1String("disk is full")), qPrintable(run.message()));
    QVERIFY(!QFileInfo::exists(path + QStringLiteral(".tmp")));
    QVERIFY(!QFileInfo::exists(path));
}

void TestDownloadTask::refusesCompressedAnswersInBoundedMemory_data()
{
    QTest::addColumn<QString>("bombPath");
    QTest::newRow("package") << "/package.zip";
    QTest::newRow("signature") << "/package.zip.minisig";
}

void TestDownloadTask::refusesCompressedAnswersInBoundedMemory()
{
    QFETCH(QString, bombPath);
    const QByteArray body = randomBytes(100000);
    m_server->serveData(QStringLiteral("/package.zip"), body);
    m_server->serveData(QStringLiteral("/package.zip.minisig"),
                        signedPackage(QStringLiteral("package.zip"), body, m_newKey));
    // About 4 MiB that inflate to 4 GiB.
    HttpTestServer::Response bomb;
    bomb.body = gzipBomb(4096);
    bomb.headers = { { "Content-Encoding", "gzip" } };
    m_server->setResponse(bombPath, bomb);

    PeakMemory::reset();
    const Run run
        = download(m_server->url(QStringLiteral("/package.zip")).toString(), packagePath(),
                   [&](DownloadTask &task) { task.setPackageChecks(QString(), trustedKeys()); });
    const qint64 peak = PeakMemory::kibibytes();
    QCOMPARE(run.error(), int(DownloadFailed));
    QVERIFY2(run.message().contains(QLatin1String("Content-Encoding: gzip")),
             qPrintable(run.message()));
    QVERIFY(!QFileInfo::exists(packagePath()));
    for (const QString &path : { QStringLiteral("/package.zip"), bombPath }) {
        for (const QByteArray &head : m_server->requestHeads(path))
            QVERIFY2(head.contains("\r\nAccept-Encoding: identity\r\n"), head.constData());
    }
    if (peak >= 0)
        qInfo("peak resident memory during the download: %lld KiB", peak);
    QVERIFY2(peak < 60 * 1024, qPrintable(QStringLiteral("%1 KiB").arg(peak)));
}

void TestDownloadTask::leavesAMirrorWhoseHeaderNeverEnds()
{
    HttpTestServer hostile;
    QVERIFY(hostile.listen());
    HttpTestServer::Response endless;
    endless.headerFlood = qint64(1) << 40;
    hostile.setResponse(QStringLiteral("/package.zip"), endless);
    const QByteArray body = randomBytes(300000);
    m_server->serveData(QStringLiteral("/package.zip"), body);
    const QString urls = hostile.url(QStringLiteral("/package.zip")).toString() + QLatin1Char(',')
        + m_server->url(QStringLiteral("/package.zip")).toString();

    PeakMemory::reset();
    const Run run = download(urls, packagePath());
    const qint64 peak = PeakMemory::kibibytes();
    QVERIFY2(run.error() == NoError,
             qPrintable(run.message() + QLatin1Char('\n') + run.log.join('\n')));
    QVERIFY(readFile(packagePath()) == body);
    QCOMPARE(hostile.requestCount(QStringLiteral("/package.zip")), 3);
    QCOMPARE(run.log.filter(QStringLiteral("header larger than 64 KiB")).size(), 3);
    // Whatever the servers do, the log says how long it may take.
    QVERIFY2(run.log.first().contains(QLatin1String("at most 7200 s in all")),
             qPrintable(run.log.first()));
    if (peak >= 0)
        qInfo("peak resident memory during the download: %lld KiB", peak);
    QVERIFY2(peak < 60 * 1024, qPrintable(QStringLiteral("%1 KiB").arg(peak)));
}

void TestDownloadTask::endsTricklingAttempts_data()
{
    QTest::addColumn<int>("bytesPerSecond");
    QTest::addColumn<int>("timeLimit");
    QTest::addColumn<QString>("message");
    // Less than 1 KiB within the stall window (one second here)...
    QTest::newRow("a byte now and then") << 50 << 600000 << "stalled";
    // ...or more, where only the attempt's own limit ends it.
    QTest::newRow("steady trickle") << 8000 << 1500 << "time allowed";
}

void TestDownloadTask::endsTricklingAttempts()
{
    QFETCH(int, bytesPerSecond);
    QFETCH(int, timeLimit);
    QFETCH(QString, message);
    HttpTestServer::Response trickle;
    trickle.body = randomBytes(4 * 1024 * 1024);
    trickle.bytesPerSecond = bytesPerSecond;
    m_server->setResponse(QStringLiteral("/package.zip"), trickle);

    const Run run = download(m_server->url(QStringLiteral("/package.zip")).toString(),
                             packagePath(), [&](DownloadTask &task) {
                                 task.setStallTimeout(1000);
                                 task.setTimeLimit(timeLimit);
                             });
    QVERIFY2(run.results.size() == 1, qPrintable(run.log.join(QLatin1Char('\n'))));
    QCOMPARE(run.error(), int(DownloadFailed));
    QVERIFY2(run.message().contains(message), qPrintable(run.message()));
    // Every attempt ended: each one asked anew.
    QCOMPARE(m_server->requestCount(QStringLiteral("/package.zip")), 3);
}

void TestDownloadTask::movesToTheNextMirrorAfterAMismatch()
{
    const QByteArray body = randomBytes(200000);
    QByteArray stale = body;
    stale[100] = char(stale[100] ^ 1);
    m_server->serveData(QStringLiteral("/stale/package.zip"), stale);
    m_server->serveData(QStringLiteral("/fresh/package.zip"), body);
    const QString sha256
        = QString::fromLatin1(QCryptographicHash::hash(body, QCryptographicHash::Sha256).toHex());
    const QString urls = m_server->url(QStringLiteral("/stale/package.zip")).toString()
        + QLatin1Char(',') + m_server->url(QStringLiteral("/fresh/package.zip")).toString();

    const Run run = download(urls, packagePath(),
                             [&](DownloadTask &task) { task.setPackageChecks(sha256, QString()); });
    QVERIFY2(run.error() == NoError, qPrintable(run.message()));
    QVERIFY(readFile(packagePath()) == body);
    // Asking the same mirror again would only bring the same file.
    QCOMPARE(m_server->requestCount(QStringLiteral("/stale/package.zip")), 1);
    QCOMPARE(m_server->requestCount(QStringLiteral("/fresh/package.zip")), 1);
}

QTEST_GUILESS_MAIN(TestDownloadTask)
#include "tst_download_task.moc"
