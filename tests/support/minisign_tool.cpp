#include "support/minisign_tool.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStringList>

namespace {

bool runMinisign(const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QStringLiteral("minisign"), arguments);
    process.closeWriteChannel();
    return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit
        && process.exitCode() == 0;
}

} // namespace

MinisignKeyPair MinisignKeyPair::generate(const QString &folder, const QString &name)
{
    MinisignKeyPair pair;
    const QString publicPath = QDir(folder).filePath(name + QStringLiteral(".pub"));
    const QString secretPath = QDir(folder).filePath(name + QStringLiteral(".key"));
    if (!runMinisign({ QStringLiteral("-G"), QStringLiteral("-f"), QStringLiteral("-W"),
                       QStringLiteral("-p"), publicPath, QStringLiteral("-s"), secretPath }))
        return pair;
    QFile publicFile(publicPath);
    if (!publicFile.open(QIODevice::ReadOnly))
        return pair;
    // The second line of the public key file is the key itself.
    const QList<QByteArray> lines = publicFile.readAll().split('\n');
    pair.publicKeyLine = QString::fromLatin1(lines.value(1).trimmed());
    pair.secretKeyPath = secretPath;
    return pair;
}

bool MinisignKeyPair::sign(const QString &file, bool prehashed, const QString &signaturePath,
                           const QString &trustedComment) const
{
    QStringList arguments { QStringLiteral("-S"), QStringLiteral("-s"), secretKeyPath,
                            QStringLiteral("-m"), file };
    if (!prehashed)
        arguments << QStringLiteral("-l");
    if (!signaturePath.isEmpty())
        arguments << QStringLiteral("-x") << signaturePath;
    if (!trustedComment.isEmpty())
        arguments << QStringLiteral("-t") << trustedComment;
    return runMinisign(arguments);
}
