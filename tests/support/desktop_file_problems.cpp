#include "support/desktop_file_problems.h"

#include <QProcess>

QString desktopFileProblems(const QString &path)
{
    QProcess validator;
    validator.setProcessChannelMode(QProcess::MergedChannels);
    validator.start(QStringLiteral("desktop-file-validate"), { path });
    if (!validator.waitForFinished(60000))
        return QStringLiteral("desktop-file-validate did not finish");
    const QString output = QString::fromUtf8(validator.readAll());
    if (validator.exitCode() != 0 || output.contains(QLatin1String("error"), Qt::CaseInsensitive)
        || output.contains(QLatin1String("warning"), Qt::CaseInsensitive))
        return path + QStringLiteral(": ")
            + (output.isEmpty() ? QStringLiteral("exit code %1").arg(validator.exitCode())
                                : output);
    return QString();
}
