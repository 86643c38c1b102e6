#include "support/test_certificate.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>

bool TestCertificate::create(const QString &folder)
{
    const QDir dir(folder);
    certificatePath = dir.filePath(QStringLiteral("cert.pem"));
    keyPath = dir.filePath(QStringLiteral("key.pem"));
    // Under Wine there is no openssl to run: the Linux side that starts the
    // test made a fresh pair already and names its folder.
    const QString made = qEnvironmentVariable("INSTALLER_TEST_CERTIFICATE_DIR");
    if (!made.isEmpty()) {
        const QDir source(made);
        QFile::remove(certificatePath);
        QFile::remove(keyPath);
        return QFile::copy(source.filePath(QStringLiteral("cert.pem")), certificatePath)
            && QFile::copy(source.filePath(QStringLiteral("key.pem")), keyPath);
    }
    QProcess openssl;
    openssl.setProcessChannelMode(QProcess::MergedChannels);
    openssl.start(QStringLiteral("openssl"),
                  { QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                    QStringLiteral("rsa:2048"), QStringLiteral("-nodes"), QStringLiteral("-keyout"),
                    keyPath, QStringLiteral("-out"), certificatePath, QStringLiteral("-days"),
                    QStringLiteral("2"), QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1"),
                    QStringLiteral("-addext"),
                    QStringLiteral("subjectAltName=IP:127.0.0.1,DNS:localhost") });
    if (!openssl.waitForFinished(60000) || openssl.exitStatus() != QProcess::NormalExit
        || openssl.exitCode() != 0)
        return false;
    return QFileInfo::exists(certificatePath) && QFileInfo::exists(keyPath);
}
