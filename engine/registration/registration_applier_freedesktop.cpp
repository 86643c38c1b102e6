// The freedesktop side of the registration: desktop entries stand for shell
// links, a scheme handler and mimeapps.list for the URL protocol, a link in
// ~/.local/bin for the application path, and an INI record with the values of
// the uninstall entry, $XDG_DATA_HOME/installer/uninstall/<product id>.ini
// (group [Uninstall], values escaped as in desktop entries).
#include "engine/registration/registration_applier.h"
#include "engine/registration/uninstall_record.h"

#include "platform/unix/desktop_entry.h"
#include "platform/unix/freedesktop.h"
#include "platform/unix/mime_apps.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace {

std::string utf8(const QString &text)
{
    return text.toUtf8().toStdString();
}

QString fromUtf8(const std::string &text)
{
    return QString::fromUtf8(text.data(), static_cast<int>(text.size()));
}

bool warnUnless(bool ok, const QString &what, const std::string &error)
{
    if (!ok)
        qWarning().noquote() << "Registration: could not" << what << "-" << fromUtf8(error);
    return ok;
}

bool writeDesktopEntry(const QString &path, const platform::DesktopEntry &entry, unsigned mode,
                       const QString &what)
{
    std::string error;
    const bool ok = platform::writeFileAtomically(utf8(path), platform::desktopEntryText(entry),
                                                  mode, &error);
    return warnUnless(ok, QStringLiteral("write the %1 %2").arg(what, path), error);
}

QString applicationsFolder()
{
    const std::string data = platform::xdgDataHome();
    return data.empty() ? QString() : fromUtf8(data) + QStringLiteral("/applications");
}

} // namespace

namespace RegistrationApplier {

bool applyUrlProtocol(const UrlProtocolRegistration &protocol)
{
    if (protocol.registry.isEmpty())
        return false;
    const QString folder = applicationsFolder();
    std::string error;
    if (!warnUnless(!folder.isEmpty() && platform::makeFolders(utf8(folder), &error),
                    QStringLiteral("create the applications folder %1").arg(folder), error))
        return false;

    platform::DesktopEntry entry;
    entry.name = utf8(protocol.displayName.isEmpty() ? protocol.scheme : protocol.displayName);
    entry.comment = utf8(protocol.description);
    entry.command = { utf8(protocol.nativeExecutablePath) };
    entry.fieldCodes = "%u";
    entry.mimeTypes = { "x-scheme-handler/" + utf8(protocol.scheme) };
    entry.noDisplay = true;
    if (!writeDesktopEntry(folder + QLatin1Char('/') + protocol.handlerFileName, entry, 0644,
                           QStringLiteral("URL protocol handler")))
        return false;

    const std::string config = platform::xdgConfigHome();
    const std::string mimeapps = config + "/mimeapps.list";
    std::string text;
    const bool ok = !config.empty() && platform::makeFolders(config, &error)
        && platform::readTextFile(mimeapps, &text, &error)
        && platform::writeFileAtomically(
            mimeapps,
            platform::withDefaultApplication(text, entry.mimeTypes.front(),
                                             utf8(protocol.handlerFileName)),
            0644, &error);
    return warnUnless(
        ok,
        QStringLiteral("make %1 the default handler of %2: in %3")
            .arg(protocol.handlerFileName, fromUtf8(entry.mimeTypes.front()), fromUtf8(mimeapps)),
        error);
}

bool applyApplicationPath(const ApplicationPathRegistration &applicationPath)
{
    if (applicationPath.registry.isEmpty())
        return false;
    const std::string bin = platform::userBinFolder();
    const std::string link = bin + '/' + utf8(applicationPath.programName);
    std::string error;
    const bool ok
        = !bin.empty() && platform::linkProgram(link, utf8(applicationPath.executablePath), &error);
    return warnUnless(ok, QStringLiteral("link the application path %1").arg(fromUtf8(link)),
                      error);
}

bool applyUninstallEntry(const UninstallRegistration &uninstall)
{
    if (uninstall.registry.isEmpty())
        return false;
    const QString path = UninstallRecord::path(uninstall.recordFileName);
    const std::string text = UninstallRecord::text(uninstall.registry.machineWide).toStdString();
    std::string error;
    const bool ok = !path.isEmpty() && platform::makeFolders(utf8(QFileInfo(path).path()), &error)
        && platform::writeFileAtomically(utf8(path), text, 0644, &error);
    return warnUnless(ok, QStringLiteral("write the uninstall record %1").arg(path), error);
}

bool writeShortcut(const QString &linkPath, const Shortcut &shortcut)
{
    platform::DesktopEntry entry;
    entry.name = utf8(shortcut.displayName.isEmpty() ? QFileInfo(shortcut.target).completeBaseName()
                                                     : shortcut.displayName);
    entry.command = { utf8(shortcut.target) };
    for (const QString &argument : QProcess::splitCommand(shortcut.arguments))
        entry.command.push_back(utf8(argument));
    entry.comment = utf8(shortcut.description);
    entry.workingFolder = utf8(shortcut.workingFolder);
    entry.icon = utf8(shortcut.iconPath);
    // Executable, because desktops only trust launchers that are.
    return writeDesktopEntry(linkPath, entry, 0755, QStringLiteral("shortcut"));
}

QString folderOf(ShortcutPlace place)
{
    switch (place) {
    case ShortcutPlace::StartMenu:
        return applicationsFolder();
    case ShortcutPlace::Desktop: {
        // Follows user-dirs.dirs in $XDG_CONFIG_HOME, ~/Desktop by default. A
        // desktop set to the home folder means the user has none.
        const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
        return QDir(desktop) == QDir::home() ? QString() : desktop;
    }
    case ShortcutPlace::Startup:
        break;
    }
    return fromUtf8(platform::autostartFolder());
}

QString shortcutEnding()
{
    return QStringLiteral(".desktop");
}

} // namespace RegistrationApplier
