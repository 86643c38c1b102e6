// The one-file installer: scripts/make-installer.sh puts settings, translations
// and style inside a program, and the program finds them again; damaged or
// cut bundles are not used, files beside the program win, and an
// Authenticode signature made after bundling holds and keeps the bundle
// readable.
#include "config/bundle.h"
#include "config/installer_config.h"
#include "support/script_run.h"
#include "support/test_files.h"
#include "support/test_paths.h"

#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using TestFiles::readFile;
using TestFiles::writeFile;

class TestBundle : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void damagedBundleIsNotUsed_data();
    void damagedBundleIsNotUsed();
    void signatureHoldsAndKeepsTheBundle();
    void carriedFilesStandInForMissingOnes();

private:
    // Runs the publisher's command on the fake program at program; false
    // (with the command's words in the log) when it failed.
    bool makeInstaller(const QString &program, const QString &output,
                       const QStringList &options = {});

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_publisher; // the publisher's folder: settings.ini and resources/
};

void TestBundle::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_publisher = m_dir->filePath(QStringLiteral("publisher"));
    QVERIFY(writeFile(m_publisher + QStringLiteral("/settings.ini"),
                      "productName=Orbel\nproductText=Orbel carried\n"));
    QVERIFY(writeFile(m_publisher + QStringLiteral("/resources/translations/installer.de.qm"),
                      QByteArray(3000, 'q')));
}

bool TestBundle::makeInstaller(const QString &program, const QString &output,
                               const QStringList &options)
{
    // The command takes the build's program from BUILD_DIR (WINDOWS_BUILD_DIR).
    const QString build = m_dir->filePath(QStringLiteral("build"));
    QFile::remove(build + QStringLiteral("/installer/installer"));
    QFile::remove(build + QStringLiteral("/windows/installer/installer.exe"));
    const bool windows = program.endsWith(QLatin1String(".exe"));
    const QString built = build
        + (windows ? QStringLiteral("/windows/installer/installer.exe")
                   : QStringLiteral("/installer/installer"));
    QDir().mkpath(QFileInfo(built).path());
    if (!QFile::copy(program, built))
        return false;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("BUILD_DIR"), build);
    const ScriptRun run = ScriptRun::run(
        TestPaths::sourceDir() + QStringLiteral("/scripts/make-installer.sh"),
        options + (windows ? QStringList { QStringLiteral("--windows") } : QStringList())
            + QStringList { m_publisher, output },
        environment);
    if (run.exitCode != 0)
        qWarning().noquote() << "make-installer.sh:" << run.standardError;
    return run.exitCode == 0;
}

void TestBundle::damagedBundleIsNotUsed_data()
{
    QTest::addColumn<QString>("damage");
    QTest::addColumn<bool>("warned");
    QTest::newRow("intact") << "" << false;
    QTest::newRow("a byte flipped") << "flip" << true;
    QTest::newRow("cut in the middle") << "cut" << true;
    QTest::newRow("footer cut off") << "tail" << false;
}

void TestBundle::damagedBundleIsNotUsed()
{
    QFETCH(QString, damage);
    QFETCH(bool, warned);
    const QString program = m_dir->filePath(QStringLiteral("program"));
    QVERIFY(writeFile(program, QByteArray(5000, 'p')));
    const QString output = m_dir->filePath(QStringLiteral("one-file"));
    QVERIFY(makeInstaller(program, output));
    QByteArray bytes = readFile(output);
    const int middle = 5000 + (bytes.size() - 5000) / 2;
    if (damage == QLatin1String("flip"))
        bytes[middle] = char(bytes.at(middle) ^ 0x20);
    else if (damage == QLatin1String("cut"))
        bytes.remove(middle, 100);
    else if (damage == QLatin1String("tail"))
        bytes.chop(30);
    QVERIFY(writeFile(output, bytes));

    if (warned)
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("not used")));
    const QByteArray payload = Bundle::read(output);
    QCOMPARE(payload.isEmpty(), !damage.isEmpty());
    // Nothing of the program itself is taken for the bundle.
    QCOMPARE(Bundle::read(program), QByteArray());
}

void TestBundle::signatureHoldsAndKeepsTheBundle()
{
    const QString mingw = QStandardPaths::findExecutable(QStringLiteral("x86_64-w64-mingw32-gcc"));
    if (mingw.isEmpty() || QStandardPaths::findExecutable(QStringLiteral("osslsigncode")).isEmpty())
        QSKIP("needs mingw-w64 and osslsigncode (scripts/bootstrap.sh installs them)");
    // A small Windows program, a test CA and a code-signing certificate of it.
    const QString work = m_dir->path();
    const ScriptRun made = ScriptRun::run(QStringLiteral("sh"),
                                          { QStringLiteral("-ec"), QStringLiteral(R"(
printf 'int main(void) { return 0; }\n' > tiny.c
"$0" -o tiny.exe tiny.c
printf 'secret\n' > pass
openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 2 -subj '/CN=Test CA' \
    -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign 2>/dev/null
openssl req -newkey rsa:2048 -nodes -keyout code.key -out code.csr -subj '/CN=Orbel Publisher' 2>/dev/null
printf 'extendedKeyUsage=codeSigning\nkeyUsage=critical,digitalSignature\n' > code.ext
openssl x509 -req -in code.csr -CA ca.pem -CAkey ca.key -CAcreateserial -out code.pem -days 2 \
    -extfile code.ext 2>/dev/null
openssl pkcs12 -export -inkey code.key -in code.pem -certfile ca.pem -out code.p12 -passout file:pass
)"),
                                            mingw },
                                          QProcessEnvironment::systemEnvironment(), work);
    QVERIFY2(made.exitCode == 0, qPrintable(made.standardError));

    const QString output = m_dir->filePath(QStringLiteral("installer.exe"));
    QVERIFY(
        makeInstaller(m_dir->filePath(QStringLiteral("tiny.exe")), output,
                      { QStringLiteral("--sign"), m_dir->filePath(QStringLiteral("code.p12")),
                        QStringLiteral("--pass-file"), m_dir->filePath(QStringLiteral("pass")) }));
    const auto verify = [&] {
        return ScriptRun::run(QStringLiteral("osslsigncode"),
                              { QStringLiteral("verify"), QStringLiteral("-CAfile"),
                                m_dir->filePath(QStringLiteral("ca.pem")), QStringLiteral("-in"),
                                output })
            .exitCode;
    };
    QCOMPARE(verify(), 0);
    QVERIFY(!Bundle::read(output).isEmpty());

    // A byte flipped after signing: the signature no longer holds.
    QByteArray bytes = readFile(output);
    const int index = bytes.indexOf("Orbel carried");
    QVERIFY(index > 0);
    bytes[index] = 'X';
    QVERIFY(writeFile(output, bytes));
    QVERIFY(verify() != 0);
}

void TestBundle::carriedFilesStandInForMissingOnes()
{
    const QString program = m_dir->filePath(QStringLiteral("program"));
    QVERIFY(writeFile(program, "the program"));
    const QString output = m_dir->filePath(QStringLiteral("alone/installer"));
    QVERIFY(QDir().mkpath(QFileInfo(output).path()));
    QVERIFY(makeInstaller(program, output));
    QVERIFY(Bundle::registerFrom(output));

    // Alone, the program reads the carried settings; a file beside it wins.
    const QString alone = QFileInfo(output).path();
    const QString settings = Bundle::locate(alone, QStringLiteral("settings.ini"));
    QCOMPARE(settings, QStringLiteral(":/bundle/settings.ini"));
    QCOMPARE(readInstallerConfig(settings, QStringLiteral("/p")).productText,
             QStringLiteral("Orbel carried"));
    QVERIFY(writeFile(alone + QStringLiteral("/settings.ini"), "productText=Beside\n"));
    QCOMPARE(Bundle::locate(alone, QStringLiteral("settings.ini")),
             alone + QStringLiteral("/settings.ini"));
    QCOMPARE(readFile(Bundle::bundled(QStringLiteral("resources/translations/installer.de.qm"))),
             QByteArray(3000, 'q'));
}

QTEST_GUILESS_MAIN(TestBundle)
#include "tst_bundle.moc"
