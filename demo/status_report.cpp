#include "demo/status_report.h"

#include "demo/link_argument.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

// A value stays on its line: line breaks inside an argument become blanks.
QByteArray line(const char *key, const QString &value)
{
    QString flat = value;
    flat.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    return QByteArray(key) + '=' + flat.toUtf8() + '\n';
}

} // namespace

StatusReport StatusReport::ofThisProcess(const QStringList &arguments)
{
    StatusReport report;
    report.processId = QCoreApplication::applicationPid();
    report.program = QCoreApplication::applicationFilePath();
    report.workingFolder = QDir::currentPath();
    report.arguments = arguments.mid(1);
    report.link = linkArgument(arguments);
    return report;
}

QString StatusReport::defaultPath()
{
    const QString fromEnvironment = qEnvironmentVariable("VELMAR_STATUS_FILE");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return QDir(folder).filePath(QStringLiteral("velmar-status.txt"));
}

QByteArray StatusReport::toText() const
{
    QByteArray text;
    text += line("pid", QString::number(processId));
    text += line("program", program);
    text += line("workingFolder", workingFolder);
    text += line("link", link);
    for (const QString &argument : arguments)
        text += line("argument", argument);
    return text;
}

bool StatusReport::writeTo(const QString &path, QString *error) const
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        *error = QStringLiteral("cannot create the folder of %1").arg(path);
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(toText()) < 0 || !file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}
