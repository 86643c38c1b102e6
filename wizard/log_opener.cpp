#include "wizard/log_opener.h"

#include "config/native_path.h"
#include "platform/known_folders.h"

#include <QDebug>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QUrl>

namespace {

// How long the query for the default editor may take.
constexpr int queryMs = 5000;

#ifndef Q_OS_WIN
// The desktop id of the user's default application for plain text, as the
// freedesktop tools know it ("org.gnome.TextEditor.desktop").
QString defaultTextEditorId()
{
    QProcess query;
    query.start(
        QStringLiteral("xdg-mime"),
        { QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("text/plain") });
    if (!query.waitForFinished(queryMs) || query.exitStatus() != QProcess::NormalExit
        || query.exitCode() != 0)
        return QString();
    return QString::fromUtf8(query.readAllStandardOutput()).trimmed();
}

// The Exec line of the [Desktop Entry] group of a launcher file.
QString execLineOf(const QString &desktopFile)
{
    QFile file(desktopFile);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    bool inEntry = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('[')))
            inEntry = line == QLatin1String("[Desktop Entry]");
        else if (inEntry && line.startsWith(QLatin1String("Exec=")))
            return line.mid(5);
    }
    return QString();
}

// The command line that the launcher's Exec line starts for a file: the
// %f, %F, %u and %U field codes become path, the other field codes go, and
// path is appended when the line takes no file. Empty when the line names
// no program.
QStringList commandForFile(const QString &execLine, const QString &path)
{
    // The escapes of a desktop entry's string values, before the line is
    // split like a command line.
    QString line = execLine;
    line.replace(QLatin1String("\\s"), QLatin1String(" "));
    line.replace(QLatin1String("\\\\"), QLatin1String("\\"));
    QStringList command;
    bool tookFile = false;
    for (QString argument : QProcess::splitCommand(line)) {
        static const QStringList fileCodes { QStringLiteral("%f"), QStringLiteral("%F"),
                                             QStringLiteral("%u"), QStringLiteral("%U") };
        if (fileCodes.contains(argument)) {
            command << path;
            tookFile = true;
            continue;
        }
        // The other field codes (%i, %c, %k and the deprecated ones) go.
        if (argument.size() == 2 && argument.startsWith(QLatin1Char('%'))
            && argument != QLatin1String("%%"))
            continue;
        command << argument.replace(QLatin1String("%%"), QLatin1String("%"));
    }
    if (command.isEmpty())
        return command;
    if (!tookFile)
        command << path;
    return command;
}
#endif

} // namespace

bool LogOpener::open(const QString &path)
{
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        return true;
    qWarning().noquote() << "No handler opened" << QDir::toNativeSeparators(path)
                         << "- trying the text editor";
    return openWithTextEditor(path);
}

bool LogOpener::openWithTextEditor(const QString &path)
{
#ifdef Q_OS_WIN
    // Notepad comes with every Windows, in the system folder.
    const QString system = fromNativePath(platform::systemFolder());
    if (system.isEmpty())
        return false;
    return QProcess::startDetached(QDir(system).filePath(QStringLiteral("notepad.exe")),
                                   { QDir::toNativeSeparators(path) });
#else
    const QString id = defaultTextEditorId();
    const QString launcher = id.isEmpty()
        ? QString()
        : QStandardPaths::locate(QStandardPaths::ApplicationsLocation, id);
    const QStringList command
        = launcher.isEmpty() ? QStringList() : commandForFile(execLineOf(launcher), path);
    if (command.isEmpty()) {
        qWarning().noquote() << "No default text editor found for" << path;
        return false;
    }
    return QProcess::startDetached(command.first(), command.mid(1));
#endif
}
