#include "engine/registration/registration.h"

#include "config/installer_config.h"
#include "engine/registration/registration_applier.h"
#include "engine/registration/registration_plan.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QThread>

namespace {

// The folder a shortcut goes into, created when needed; empty when that
// failed. The desktop is taken as it is: creating a desktop folder the user
// does not have would only leave clutter.
QString ensuredFolder(const Shortcut &shortcut)
{
    const QString base = RegistrationApplier::folderOf(shortcut.place);
    if (base.isEmpty()) {
        qWarning().noquote() << "Registration: the system names no folder for the shortcut"
                             << shortcut.fileName;
        return QString();
    }
    const QString folder
        = shortcut.subfolder.isEmpty() ? base : QDir(base).filePath(shortcut.subfolder);
    if (shortcut.place != ShortcutPlace::Desktop && !QDir().mkpath(folder)) {
        qWarning().noquote() << "Registration: could not create the shortcut folder" << folder;
        return QString();
    }
    return folder;
}

// Writes the shortcut; linkPath learns where it went, or was meant to go.
bool placeShortcut(const Shortcut &shortcut, QString *linkPath = nullptr)
{
    const QString folder = ensuredFolder(shortcut);
    const QString path = QDir(folder).filePath(shortcut.fileName);
    if (linkPath)
        *linkPath = folder.isEmpty() ? shortcut.fileName : QDir::toNativeSeparators(path);
    return !folder.isEmpty() && RegistrationApplier::writeShortcut(path, shortcut);
}

// The appliers tell why a write failed (the file, the key, the system's
// reason) through the message log. While one registration runs, what they
// tell on its thread also goes to its report, the installation's log.
class FailuresToReport
{
public:
    explicit FailuresToReport(const RegistrationReport &report)
    {
        if (!report)
            return;
        s_report = &report;
        s_thread = QThread::currentThread();
        s_previous = qInstallMessageHandler(forward);
    }
    ~FailuresToReport()
    {
        if (!s_report)
            return;
        qInstallMessageHandler(s_previous);
        s_report = nullptr;
    }
    FailuresToReport(const FailuresToReport &) = delete;
    FailuresToReport &operator=(const FailuresToReport &) = delete;

private:
    static void forward(QtMsgType type, const QMessageLogContext &context, const QString &text)
    {
        if (s_report && type == QtWarningMsg && QThread::currentThread() == s_thread
            && text.startsWith(QLatin1String("Registration:")))
            (*s_report)(text);
        if (s_previous)
            s_previous(type, context, text);
    }

    static inline const RegistrationReport *s_report = nullptr;
    static inline QThread *s_thread = nullptr;
    static inline QtMessageHandler s_previous = nullptr;
};

} // namespace

bool registerInstallation(const InstallerConfig &config, const RegistrationReport &report)
{
    const RegistrationPlan plan = buildRegistrationPlan(config);
    const FailuresToReport failures(report);
    const auto tell = [&report](const QString &what, bool written) {
        if (report)
            report(QStringLiteral("Registration: %1: %2")
                       .arg(what, written ? QStringLiteral("written") : QStringLiteral("failed")));
    };
    for (const QString &problem : plan.problems)
        qWarning().noquote() << "Registration: skipped:" << problem;

    // Every step is tried whatever the one before did: a missing protocol
    // must not cost the user the shortcuts.
    if (!plan.urlProtocol.registry.isEmpty())
        tell(QStringLiteral("URL protocol ") + plan.urlProtocol.scheme,
             RegistrationApplier::applyUrlProtocol(plan.urlProtocol));
    if (!plan.applicationPath.registry.isEmpty())
        tell(QStringLiteral("application path ") + plan.applicationPath.executablePath,
             RegistrationApplier::applyApplicationPath(plan.applicationPath));
    if (!plan.uninstall.registry.isEmpty())
        tell(QStringLiteral("uninstall entry ") + plan.uninstallCommand,
             RegistrationApplier::applyUninstallEntry(plan.uninstall));
    bool launcherWritten = false;
    for (const Shortcut &shortcut : plan.shortcuts) {
        QString linkPath;
        const bool written = placeShortcut(shortcut, &linkPath);
        tell(QStringLiteral("shortcut ") + linkPath, written);
        // The Startup link starts the product only with the computer.
        launcherWritten = launcherWritten || (written && shortcut.place != ShortcutPlace::Startup);
    }
    if (!launcherWritten)
        qWarning().noquote() << "Registration: no shortcut starts the product; it starts only "
                                "from its folder";
    return launcherWritten;
}

bool registerUrlProtocol(const QString &scheme, const QString &description,
                         const QString &executablePath)
{
    const UrlProtocolRegistration protocol
        = urlProtocolRegistration(scheme, description, QDir::toNativeSeparators(executablePath),
                                  description.isEmpty() ? scheme : description);
    if (protocol.registry.isEmpty()) {
        qWarning().noquote() << "Registration: URL protocol" << scheme
                             << "is not a valid URL scheme";
        return false;
    }
    return RegistrationApplier::applyUrlProtocol(protocol);
}

bool createShortcut(const QString &linkPath, const QString &targetPath, const QString &arguments)
{
    Shortcut shortcut;
    shortcut.fileName = QFileInfo(linkPath).fileName();
    shortcut.displayName = QFileInfo(linkPath).completeBaseName();
    shortcut.target = targetPath;
    shortcut.arguments = arguments;
    return RegistrationApplier::writeShortcut(linkPath, shortcut);
}

bool createStartupShortcut(const QString &targetPath, const QString &name, const QString &arguments)
{
    const QString ending = RegistrationApplier::shortcutEnding();
    Shortcut shortcut;
    shortcut.place = ShortcutPlace::Startup;
    // Windows ignores a link file without its ending; so does autostart.
    shortcut.fileName = name.endsWith(ending, Qt::CaseInsensitive) ? name : name + ending;
    shortcut.displayName = shortcut.fileName.left(shortcut.fileName.size() - ending.size());
    shortcut.target = targetPath;
    shortcut.arguments = arguments;
    return placeShortcut(shortcut);
}

QString startupFolder()
{
    return RegistrationApplier::folderOf(ShortcutPlace::Startup);
}
