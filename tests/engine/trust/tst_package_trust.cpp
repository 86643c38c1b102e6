// The checks a downloaded package must pass before it is unpacked, without
// any network: SHA-256 while streaming, minisign signatures as Debian's
// minisign tool writes them (both forms, several trusted keys), and the
// settings that ask for them.
#include "engine/trust/package_digest.h"
#include "engine/trust/package_trust.h"
#include "support/minisign_tool.h"
#include "support/test_files.h"

#include <QCryptographicHash>
#include <QTemporaryDir>
#include <QtTest>

namespace {

using TestFiles::readFile;
using TestFiles::writeFile;

// The digest of path as the download computes it: in uneven pieces.
std::unique_ptr<PackageDigest> streamed(const QString &path, bool sha256, bool blake2b)
{
    auto digest = std::make_unique<PackageDigest>(sha256, blake2b);
    const QByteArray data = readFile(path);
    for (int at = 0; at < data.size(); at += 1000)
        digest->addData(data.constData() + at, qMin(1000, data.size() - at));
    return digest;
}

} // namespace

class TestPackageTrust : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void sha256MatchesAnIndependentHash();
    void longStreamAskedMidway();
    void signatures_data();
    void signatures();
    void signedClaims_data();
    void signedClaims();
    void settingsProblems_data();
    void settingsProblems();

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
    MinisignKeyPair m_first;
    MinisignKeyPair m_second;
    MinisignKeyPair m_stranger;
};

void TestPackageTrust::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_first = MinisignKeyPair::generate(m_dir.path(), QStringLiteral("first"));
    m_second = MinisignKeyPair::generate(m_dir.path(), QStringLiteral("second"));
    m_stranger = MinisignKeyPair::generate(m_dir.path(), QStringLiteral("stranger"));
    QVERIFY(m_first.isValid() && m_second.isValid() && m_stranger.isValid());

    QByteArray package(300000, '\0');
    for (int i = 0; i < package.size(); ++i)
        package[i] = char((i * 7919) >> 3);
    QVERIFY(writeFile(path(QStringLiteral("package.zip")), package));
    QByteArray flipped = package;
    flipped[150000] = char(flipped[150000] ^ 0x01);
    QVERIFY(writeFile(path(QStringLiteral("flipped.zip")), flipped));

    const QString package_ = path(QStringLiteral("package.zip"));
    QVERIFY(m_first.sign(package_, true, path(QStringLiteral("first.minisig"))));
    QVERIFY(m_first.sign(package_, false, path(QStringLiteral("legacy.minisig"))));
    QVERIFY(m_second.sign(package_, true, path(QStringLiteral("second.minisig"))));
    QVERIFY(m_stranger.sign(package_, true, path(QStringLiteral("stranger.minisig"))));
    QVERIFY(m_first.sign(package_, true, path(QStringLiteral("comment.minisig")),
                         QStringLiteral("release 1.0")));
    // The trusted comment edited afterwards: the global signature must catch it.
    QByteArray edited = readFile(path(QStringLiteral("comment.minisig")));
    edited.replace("release 1.0", "release 6.6");
    QVERIFY(writeFile(path(QStringLiteral("edited.minisig")), edited));
    // Copied through Windows, lines end in CR LF.
    QVERIFY(writeFile(path(QStringLiteral("crlf.minisig")),
                      readFile(path(QStringLiteral("comment.minisig"))).replace("\n", "\r\n")));
    QByteArray truncated = readFile(path(QStringLiteral("first.minisig")));
    truncated.chop(30);
    QVERIFY(writeFile(path(QStringLiteral("truncated.minisig")), truncated));
    QByteArray garbled = readFile(path(QStringLiteral("first.minisig")));
    garbled[garbled.indexOf('\n') + 20] = '*';
    QVERIFY(writeFile(path(QStringLiteral("garbled.minisig")), garbled));
}

void TestPackageTrust::sha256MatchesAnIndependentHash()
{
    const QByteArray data = readFile(path(QStringLiteral("package.zip")));
    const auto streamedDigest = streamed(path(QStringLiteral("package.zip")), true, false);
    const PackageDigest &digest = *streamedDigest;
    QCOMPARE(digest.sha256(), QCryptographicHash::hash(data, QCryptographicHash::Sha256));
    QCOMPARE(digest.size(), qint64(data.size()));
    QVERIFY(digest.blake2b512().isEmpty());

    const QString hex = QString::fromLatin1(digest.sha256().toHex());
    const PackageTrust exact(hex);
    QVERIFY(exact.settingsProblem().isEmpty());
    QCOMPARE(exact.check(digest, QByteArray(), QString(), QString()), QString());
    // Capitals are the same digits.
    QCOMPARE(PackageTrust(hex.toUpper()).check(digest, QByteArray(), QString(), QString()),
             QString());
    const auto other = streamed(path(QStringLiteral("flipped.zip")), true, false);
    QCOMPARE(exact.check(*other, QByteArray(), QString(), QString()),
             PackageTrust::damagedMessage());
}

void TestPackageTrust::longStreamAskedMidway()
{
    // Longer than the blocks the hashing thread takes, in uneven pieces, with
    // the digest asked for midway, as a resumed download does.
    QByteArray data(3 * 1024 * 1024 + 12345, Qt::Uninitialized);
    for (int i = 0; i < data.size(); ++i)
        data[i] = char((i * 7919) >> 5);
    PackageDigest digest(true, false);
    for (int at = 0; at < data.size(); at += 4099) {
        digest.addData(data.constData() + at, qMin(4099, data.size() - at));
        if (at == 4099 * 400)
            QCOMPARE(digest.sha256(),
                     QCryptographicHash::hash(data.left(at + 4099), QCryptographicHash::Sha256));
    }
    QCOMPARE(digest.sha256(), QCryptographicHash::hash(data, QCryptographicHash::Sha256));
}

void TestPackageTrust::signatures_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("signature");
    QTest::addColumn<QString>("package");
    QTest::addColumn<QString>("problem"); // a word of the expected message; empty: accepted

    const QString first = m_first.publicKeyLine;
    const QString second = m_second.publicKeyLine;
    QTest::newRow("pre-hashed") << first << "first"
                                << "package"
                                << "";
    QTest::newRow("legacy") << first << "legacy"
                            << "package"
                            << "";
    QTest::newRow("trusted comment") << first << "comment"
                                     << "package"
                                     << "";
    QTest::newRow("rotated: second key of the list")
        << first + QStringLiteral(", ") + second << "second"
        << "package"
        << "";
    QTest::newRow("another key") << first + QLatin1Char(',') + second << "stranger"
                                 << "package"
                                 << "does not trust";
    QTest::newRow("flipped byte, pre-hashed") << first << "first"
                                              << "flipped"
                                              << "altered";
    QTest::newRow("flipped byte, legacy") << first << "legacy"
                                          << "flipped"
                                          << "altered";
    QTest::newRow("edited trusted comment") << first << "edited"
                                            << "package"
                                            << "altered";
    QTest::newRow("truncated") << first << "truncated"
                               << "package"
                               << "not a minisign";
    QTest::newRow("garbled") << first << "garbled"
                             << "package"
                             << "not a minisign";
    QTest::newRow("empty") << first << "none"
                           << "package"
                           << "not a minisign";
}

void TestPackageTrust::signatures()
{
    QFETCH(QString, keys);
    QFETCH(QString, signature);
    QFETCH(QString, package);
    QFETCH(QString, problem);

    const PackageTrust trust(QString(), keys);
    QVERIFY(trust.settingsProblem().isEmpty());
    QVERIFY(trust.wantsSignature());
    const QString packagePath = path(package + QStringLiteral(".zip"));
    const QByteArray signatureFile = readFile(path(signature + QStringLiteral(".minisig")));
    const QString message = trust.check(*streamed(packagePath, false, true), signatureFile,
                                        packagePath, QStringLiteral("package.zip"));
    if (problem.isEmpty()) {
        QCOMPARE(message, QString());
        QCOMPARE(trust.signatureFileProblem(signatureFile), QString());
    } else {
        QVERIFY2(message.contains(problem), qPrintable(message));
    }
}

void TestPackageTrust::signedClaims_data()
{
    QTest::addColumn<QString>("comment"); // the trusted comment it is signed with
    QTest::addColumn<QString>("fileName"); // the package's name in its URL
    QTest::addColumn<QString>("problem"); // a word of the expected message; empty: accepted

    const QString claims
        = QStringLiteral("timestamp:1\tfile:package.zip\tproduct:Velmar\tversion:2.0");
    QTest::newRow("all match") << claims << "package.zip"
                               << "";
    QTest::newRow("replayed under another name") << claims << "velmar-3.0.zip"
                                                 << "velmar-3.0.zip";
    QTest::newRow("another product")
        << QStringLiteral("file:package.zip\tproduct:Korvant") << "package.zip"
        << "Korvant";
    QTest::newRow("an older version")
        << QStringLiteral("file:package.zip\tversion:1.0") << "package.zip"
        << "older";
    QTest::newRow("fields separated by spaces")
        << QStringLiteral("file:package.zip product:Velmar version:1.0") << "package.zip"
        << "older";
    QTest::newRow("no fields: signatures made before them")
        << QStringLiteral("signed by hand") << "other.zip"
        << "";
}

void TestPackageTrust::signedClaims()
{
    QFETCH(QString, comment);
    QFETCH(QString, fileName);
    QFETCH(QString, problem);

    const QString packagePath = path(QStringLiteral("package.zip"));
    const QString signaturePath = path(QStringLiteral("claims.minisig"));
    QVERIFY(m_first.sign(packagePath, true, signaturePath, comment));
    PackageTrust trust(QString(), m_first.publicKeyLine);
    trust.setExpectedClaims(QStringLiteral("Velmar"), QStringLiteral("2.0"));
    const QString message = trust.check(*streamed(packagePath, false, true),
                                        readFile(signaturePath), packagePath, fileName);
    if (problem.isEmpty())
        QCOMPARE(message, QString());
    else
        QVERIFY2(message.contains(problem), qPrintable(message));
}

void TestPackageTrust::settingsProblems_data()
{
    QTest::addColumn<QString>("sha256");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("problem");

    const QString key = m_first.publicKeyLine;
    QTest::newRow("nothing asked") << ""
                                   << ""
                                   << "";
    QTest::newRow("three keys") << "" << QStringList { key, key, key }.join(QLatin1Char(',')) << "";
    QTest::newRow("short digest") << QString(63, QLatin1Char('a')) << ""
                                  << "packageSha256";
    QTest::newRow("not hex") << QString(64, QLatin1Char('g')) << ""
                             << "packageSha256";
    QTest::newRow("four keys") << "" << QStringList { key, key, key, key }.join(QLatin1Char(','))
                               << "more than 3";
    QTest::newRow("one bad key of two")
        << "" << key + QStringLiteral(",RWQnotakey") << "packagePublicKey";
    QTest::newRow("a secret key is not a public key")
        << "" << QString::fromLatin1(readFile(m_first.secretKeyPath).split('\n').value(1))
        << "packagePublicKey";
}

void TestPackageTrust::settingsProblems()
{
    QFETCH(QString, sha256);
    QFETCH(QString, keys);
    QFETCH(QString, problem);

    const PackageTrust trust(sha256, keys);
    if (problem.isEmpty())
        QCOMPARE(trust.settingsProblem(), QString());
    else
        QVERIFY2(trust.settingsProblem().contains(problem), qPrintable(trust.settingsProblem()));
}

QTEST_GUILESS_MAIN(TestPackageTrust)
#include "tst_package_trust.moc"
