#include "support/minisign_tool.h"
#include "support/test_files.h"
#include "support/wine_host.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>
#include <QThread>

namespace {

// Runs minisign and tells whether it wrote output. Under Wine a Unix child's
// exit status does not come through, so the written file is the answer on
// both systems.
bool runMinisign(QStringList arguments, const QString &output)
{
    QFile::remove(output);
#ifdef Q_OS_WIN
    // Under Wine minisign runs beside the test, not as a child it can wait
    // for: its written file tells the end.
    if (!wine_host::startDetached(QStringLiteral("/usr/bin/minisign"), arguments))
        return false;
#else
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QStringLiteral("minisign"), arguments);
    process.closeWriteChannel();
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0)
        return false;
#endif
    QElapsedTimer waited;
    waited.start();
    while (QFileInfo(output).size() == 0 && waited.elapsed() < 10000)
        QThread::msleep(20);
#ifdef Q_OS_WIN
    QThread::msleep(100); // and give it the moment to finish the file
#endif
    return QFileInfo(output).size() > 0;
}

} // namespace

MinisignKeyPair MinisignKeyPair::generate(const QString &folder, const QString &name)
{
    MinisignKeyPair pair;
    const QString publicPath = QDir(folder).filePath(name + QStringLiteral(".pub"));
    const QString secretPath = QDir(folder).filePath(name + QStringLiteral(".key"));
    if (!runMinisign({ QStringLiteral("-G"), QStringLiteral("-f"), QStringLiteral("-W"),
                       QStringLiteral("-p"), publicPath, QStringLiteral("-s"), secretPath },
                     publicPath))
        return pair;
    // The second line of the public key file is the key itself.
    const QList<QByteArray> lines = TestFiles::readFile(publicPath).split('\n');
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
    return runMinisign(arguments,
                       signaturePath.isEmpty() ? file + QStringLiteral(".minisig") : signaturePath);
}
