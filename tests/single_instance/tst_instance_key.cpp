// The instance key: which installers count as the same one.
#include "single_instance/instance_key.h"

#include <QCryptographicHash>
#include <QtTest>

#ifndef Q_OS_WIN
#include <unistd.h>
#endif

namespace {

InstanceKey::Inputs inputs(const QString &path, const QString &version)
{
    InstanceKey::Inputs in;
    in.applicationName = QStringLiteral("installer");
    in.version = version;
    in.executablePath = path;
    return in;
}

const SingleApplication::InstanceOptions Installer = SingleApplication::UserScope;

} // namespace

class TestInstanceKey : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void hasTheShapeOfAServerName()
    {
        // Digests whose Base64 holds a "/" are common; check a good number.
        bool sawUnderscore = false;
        for (int i = 0; i < 200; ++i) {
            const QString key = InstanceKey::compute(
                inputs(QStringLiteral("/opt/setup%1/installer").arg(i), "1.0.0"), Installer);
            QCOMPARE(key.size(), 44);
            QVERIFY(key.endsWith(QLatin1Char('=')));
            QVERIFY(!key.contains(QLatin1Char('/')));
            sawUnderscore = sawUnderscore || key.contains(QLatin1Char('_'));
        }
        QVERIFY(sawUnderscore);
    }

    void eachUserHasAKeyOfTheirOwn_data()
    {
        QTest::addColumn<QString>("mine");
        QTest::addColumn<QString>("theirs");
        const QString sid = QStringLiteral("S-1-5-21-1004336348-1177238915-682003330-100");
        QTest::newRow("this account, another") << InstanceKey::userIdentity() << "4242";
        QTest::newRow("two Windows accounts") << InstanceKey::sessionIdentity(sid + "1", 1)
                                              << InstanceKey::sessionIdentity(sid + "2", 1);
        QTest::newRow("one account, two sessions") << InstanceKey::sessionIdentity(sid + "1", 1)
                                                   << InstanceKey::sessionIdentity(sid + "1", 2);
        QTest::newRow("digits moved to the session")
            << InstanceKey::sessionIdentity(sid + "1", 1) << InstanceKey::sessionIdentity(sid, 11);
    }

    void eachUserHasAKeyOfTheirOwn()
    {
        QFETCH(QString, mine);
        QFETCH(QString, theirs);
        InstanceKey::Inputs in = inputs(QStringLiteral("/opt/setup/installer"), "1.0.0");
        in.userName = mine;
        const QString myKey = InstanceKey::compute(in, Installer);
        const QString myUnscopedKey = InstanceKey::compute(in, {});
        in.userName = theirs;
        QVERIFY(InstanceKey::compute(in, Installer) != myKey);
        // Without UserScope the user does not count.
        QCOMPARE(InstanceKey::compute(in, {}), myUnscopedKey);
    }

    void thisProcessIsKnownByItsUserId()
    {
#ifndef Q_OS_WIN
        QCOMPARE(InstanceKey::userIdentity(), QString::number(::getuid()));
#endif
    }

    void hashesItsInputsInOrder()
    {
        InstanceKey::Inputs in = inputs(QStringLiteral("/Opt/Setup/Installer"), "1.0.0");
        in.organizationName = QStringLiteral("Org");
        in.organizationDomain = QStringLiteral("org.example");
        in.extras = QStringList { QStringLiteral("a"), QStringLiteral("b") };
        const QByteArray fed = "SingleApplication"
                               "installer"
                               "Org"
                               "org.example"
                               "ab"
                               "1.0.0"
                               "/opt/setup/installer";
        const QString expected
            = QString::fromLatin1(
                  QCryptographicHash::hash(fed, QCryptographicHash::Sha256).toBase64())
                  .replace(QLatin1Char('/'), QLatin1Char('_'));
        QCOMPARE(InstanceKey::compute(in, Installer), expected);
    }

    void dependsOnFolderAndVersionButNotOnCase()
    {
        const QString key
            = InstanceKey::compute(inputs("/home/u/Downloads/installer", "1.0.0"), Installer);
        QCOMPARE(InstanceKey::compute(inputs("/HOME/u/downloads/INSTALLER", "1.0.0"), Installer),
                 key);
        QVERIFY(InstanceKey::compute(inputs("/home/u/Desktop/installer", "1.0.0"), Installer)
                != key);
        QVERIFY(InstanceKey::compute(inputs("/home/u/Downloads/installer", "1.0.1"), Installer)
                != key);
    }

    void optionsLeaveOutWhatTheyName()
    {
        const auto withoutVersion = Installer | SingleApplication::KeyWithoutVersion;
        QCOMPARE(InstanceKey::compute(inputs("/a/installer", "1"), withoutVersion),
                 InstanceKey::compute(inputs("/a/installer", "2"), withoutVersion));
        const auto withoutPath = Installer | SingleApplication::KeyWithoutPath;
        QCOMPARE(InstanceKey::compute(inputs("/a/installer", "1"), withoutPath),
                 InstanceKey::compute(inputs("/b/installer", "1"), withoutPath));

        InstanceKey::Inputs withExtra = inputs("/a/installer", "1");
        withExtra.extras << QStringLiteral("data");
        QVERIFY(InstanceKey::compute(withExtra, Installer)
                != InstanceKey::compute(inputs("/a/installer", "1"), Installer));
    }
};

QTEST_GUILESS_MAIN(TestInstanceKey)
#include "tst_instance_key.moc"
