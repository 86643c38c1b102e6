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

void LogOpener::open(const QString &path, QObject *context,
                     const std::function<void()> &nothingOpened)
{
#ifndef Q_OS_WIN
    // QDesktopServices counts a started xdg-open as success, whatever xdg-open
    // finds afterwards; its exit status tells. In its generic mode it waits
    // for the program it starts, so only its end is waited for, never a time:
    // an xdg-open that ends with a failure hands the log to the text editor.
    const QString xdgOpen = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (!xdgOpen.isEmpty()) {
        // No parent: an xdg-open still waiting for its program when the
        // installer ends is left running, as a detached start would be.
        auto *process = new QProcess;
        process->setStandardInputFile(QProcess::nullDevice());
        process->setStandardOutputFile(QProcess::nullDevice());
        process->setStandardErrorFile(QProcess::nullDevice());
        const auto finished = QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished);
        QObject::connect(process, finished, process, &QObject::deleteLater);
        QObject::connect(process, finished, context,
                         [path, nothingOpened](int code, QProcess::ExitStatus status) {
                             if (status == QProcess::NormalExit && code == 0)
                                 return;
                             qWarning().noquote()
                                 << QStringLiteral("xdg-open opened nothing for %1 (status "
                                                   "%2) - trying the text editor")
                                        .arg(path)
                                        .arg(code);
                             if (!openWithTextEditor(path))
                                 nothingOpened();
                         });
        process->start(xdgOpen, { path });
        if (process->waitForStarted(queryMs))
            return;
        delete process;
    }
#else
    Q_UNUSED(context)
#endif
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        return;
    qWarning().noquote() << "No handler opened" << QDir::toNativeSeparators(path)
                         << "- trying the text editor";
    if (!openWithTextEditor(path))
        nothingOpened();
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
