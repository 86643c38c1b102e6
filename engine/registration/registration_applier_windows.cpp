// The Windows side of the registration: registry values with their exact
// types (machine-wide first, the current user's keys when that is refused)
// and shell links.
#include "engine/registration/registration_applier.h"

#include "config/native_path.h"
#include "platform/system_error.h"
#include "platform/win32/registry.h"
#include "platform/win32/shell_links.h"

#include <QDebug>
#include <QStandardPaths>

#include <vector>

namespace {

platform::RegistryRoot platformRoot(RegistryRoot root)
{
    switch (root) {
    case RegistryRoot::ClassesRoot:
        return platform::RegistryRoot::ClassesRoot;
    case RegistryRoot::LocalMachine:
        return platform::RegistryRoot::LocalMachine;
    case RegistryRoot::CurrentUser:
        break;
    }
    return platform::RegistryRoot::CurrentUser;
}

platform::RegistryType platformType(RegistryType type)
{
    switch (type) {
    case RegistryType::DWord:
        return platform::RegistryType::DWord;
    case RegistryType::QWord:
        return platform::RegistryType::QWord;
    case RegistryType::String:
        break;
    }
    return platform::RegistryType::String;
}

std::vector<platform::RegistryValue> platformValues(const QVector<RegistryValue> &values)
{
    std::vector<platform::RegistryValue> converted;
    for (const RegistryValue &value : values) {
        platform::RegistryValue item;
        item.root = platformRoot(value.root);
        item.key = value.key.toStdWString();
        item.name = value.name.toStdWString();
        item.type = platformType(value.type);
        item.text = value.text.toStdWString();
        item.number = value.number;
        converted.push_back(item);
    }
    return converted;
}

bool applyRegistryEntry(const RegistryEntry &entry, const QString &what)
{
    if (entry.isEmpty())
        return false;
    std::vector<std::wstring> failures;
    const platform::RegistryScope scope = platform::writeRegistryEntry(
        platformValues(entry.machineWide), platformValues(entry.perUser), &failures);
    for (const std::wstring &failure : failures)
        qWarning().noquote() << "Registration: could not write" << QString::fromStdWString(failure);
    if (scope == platform::RegistryScope::PerUser)
        qDebug().noquote() << "Registration:" << what << "registered for the current user";
    else if (scope == platform::RegistryScope::None)
        qWarning().noquote() << "Registration:" << what << "not registered";
    return scope != platform::RegistryScope::None;
}

} // namespace

namespace RegistrationApplier {

bool applyUrlProtocol(const UrlProtocolRegistration &protocol)
{
    return applyRegistryEntry(protocol.registry, QStringLiteral("URL protocol ") + protocol.scheme);
}

bool applyApplicationPath(const ApplicationPathRegistration &applicationPath)
{
    return applyRegistryEntry(applicationPath.registry,
                              QStringLiteral("application path ") + applicationPath.programName);
}

bool applyUninstallEntry(const UninstallRegistration &uninstall)
{
    return applyRegistryEntry(uninstall.registry, QStringLiteral("uninstall entry"));
}

bool writeShortcut(const QString &linkPath, const Shortcut &shortcut)
{
    // The shell parses the target into an item list, which wants backslashes.
    platform::ShellLinkDetails details;
    details.workingFolder = toNativePath(shortcut.workingFolder);
    details.iconPath = toNativePath(shortcut.iconPath);
    details.description = shortcut.description.toStdWString();
    const bool ok = platform::createShellLink(toNativePath(linkPath), toNativePath(shortcut.target),
                                              shortcut.arguments.toStdWString(), details);
    if (!ok) {
        const QString reason = fromNativeText(platform::errorText(platform::lastError()));
        qWarning().noquote() << "Registration: could not save the shortcut" << linkPath << "-"
                             << reason;
    }
    return ok;
}

QString folderOf(ShortcutPlace place)
{
    switch (place) {
    case ShortcutPlace::StartMenu:
        return QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation);
    case ShortcutPlace::Desktop:
        return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    case ShortcutPlace::Startup:
        break;
    }
    return QString::fromStdWString(platform::startupFolder());
}

QString shortcutEnding()
{
    return QStringLiteral(".lnk");
}

} // namespace RegistrationApplier
