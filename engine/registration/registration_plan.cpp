#include "engine/registration/registration_plan.h"

#include "config/installer_config.h"
#include "config/single_name.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString appPathsKey
    = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\");
const QString uninstallKey
    = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\");
const QString userClassesKey = QStringLiteral("Software\\Classes\\");

RegistryValue textValue(RegistryRoot root, const QString &key, const QString &name,
                        const QString &text)
{
    RegistryValue value;
    value.root = root;
    value.key = key;
    value.name = name;
    value.type = RegistryType::String;
    value.text = text;
    return value;
}

RegistryValue numberValue(RegistryRoot root, const QString &key, const QString &name,
                          RegistryType type, quint64 number)
{
    RegistryValue value;
    value.root = root;
    value.key = key;
    value.name = name;
    value.type = type;
    value.number = number;
    return value;
}

RegistryEntry entryWithUserCopy(const QVector<RegistryValue> &machineWide)
{
    RegistryEntry entry;
    entry.machineWide = machineWide;
    for (const RegistryValue &value : machineWide)
        entry.perUser.append(perUserEquivalent(value));
    return entry;
}

SingleName::System nameSystem(TargetSystem system)
{
    return system == TargetSystem::Windows ? SingleName::System::Windows : SingleName::System::Unix;
}

QString joined(const QString &folder, const QString &name)
{
    return QDir::cleanPath(QDir::fromNativeSeparators(folder) + QLatin1Char('/') + name);
}

QString nativePath(const QString &path, TargetSystem system)
{
    if (system == TargetSystem::Windows)
        return QString(path).replace(QLatin1Char('/'), QLatin1Char('\\'));
    return path;
}

const QString linkEnding = QStringLiteral(".lnk");

// A folder of the Start menu named after name. A product text such as "A/B"
// must not send a link into another folder, nor "CON" make it fail.
QString linkFolderName(const QString &name)
{
    return SingleName::madeValid(name, SingleName::System::Windows);
}

// The file name of a link that shows name, valid on Windows with its ending:
// cut to leave room for the ending (never half a character), then changed
// as little as the one rule for single names asks ("CON" becomes "CON_", so
// "CON_.lnk" names no device). fallback's link when nothing of name is left.
QString linkFileName(const QString &name, const QString &fallback)
{
    QString base = name;
    while (base.size() + linkEnding.size() > SingleName::maxLength) {
        base.chop(1);
        if (!base.isEmpty() && base.at(base.size() - 1).isHighSurrogate())
            base.chop(1);
    }
    base = linkFolderName(base);
    if (base.isEmpty())
        return fallback.isEmpty() ? QString() : linkFileName(fallback, QString());
    return base + linkEnding;
}

} // namespace

bool RegistryValue::operator==(const RegistryValue &other) const
{
    return root == other.root && key == other.key && name == other.name && type == other.type
        && text == other.text && number == other.number;
}

TargetSystem hostTargetSystem()
{
#ifdef Q_OS_WIN
    return TargetSystem::Windows;
#else
    return TargetSystem::Freedesktop;
#endif
}

QVector<RegistryValue> RegistrationPlan::registryValues() const
{
    return urlProtocol.registry.machineWide + applicationPath.registry.machineWide
        + uninstall.registry.machineWide;
}

RegistryValue perUserEquivalent(const RegistryValue &machineWide)
{
    RegistryValue value = machineWide;
    if (machineWide.root == RegistryRoot::ClassesRoot)
        value.key = userClassesKey + machineWide.key;
    value.root = RegistryRoot::CurrentUser;
    return value;
}

quint32 estimatedSizeKiB(quint64 bytes)
{
    const quint64 kib = bytes / 1024 + (bytes % 1024 != 0 ? 1 : 0);
    return kib > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<quint32>(kib);
}

bool isValidUrlScheme(const QString &scheme)
{
    if (scheme.isEmpty())
        return false;
    for (int i = 0; i < scheme.size(); ++i) {
        const ushort c = scheme.at(i).unicode();
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        const bool digit = c >= '0' && c <= '9';
        if (!letter && (i == 0 || !(digit || c == '+' || c == '-' || c == '.')))
            return false;
    }
    return true;
}

QString desktopEntryId(const QString &productName)
{
    QString id;
    for (const QChar c : productName) {
        const ushort code = c.unicode();
        if ((code >= 'a' && code <= 'z') || (code >= 'A' && code <= 'Z')
            || (code >= '0' && code <= '9') || code == '-' || code == '_')
            id += c;
        else
            id += QLatin1Char('_') + QString::number(code, 16).toUpper();
    }
    return id.isEmpty() ? QStringLiteral("product") : id;
}

QString quotedCommand(const QString &nativePath, TargetSystem system)
{
    if (system == TargetSystem::Windows)
        return QLatin1Char('"') + nativePath + QLatin1Char('"');
    // Shell quoting: inside double quotes only these four keep a meaning.
    QString quoted = QStringLiteral("\"");
    for (const QChar c : nativePath) {
        if (c == QLatin1Char('"') || c == QLatin1Char('\\') || c == QLatin1Char('$')
            || c == QLatin1Char('`'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    return quoted + QLatin1Char('"');
}

QString programOfCommand(const QString &command, TargetSystem system)
{
    const QString text = command.trimmed();
    if (!text.startsWith(QLatin1Char('"')))
        return text;
    QString program;
    for (int i = 1; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('"'))
            return program;
        // Only the shell's quoting knows escapes; a Windows path has none.
        if (system == TargetSystem::Freedesktop && c == QLatin1Char('\\') && i + 1 < text.size())
            program += text.at(++i);
        else
            program += c;
    }
    // An unterminated quote: not a command this installer wrote.
    return QString();
}

UrlProtocolRegistration urlProtocolRegistration(const QString &scheme, const QString &description,
                                                const QString &nativeExecutablePath,
                                                const QString &displayName)
{
    UrlProtocolRegistration protocol;
    protocol.scheme = scheme;
    protocol.description = description;
    protocol.nativeExecutablePath = nativeExecutablePath;
    protocol.displayName = displayName;
    protocol.handlerFileName = desktopEntryId(scheme) + QStringLiteral("-url-handler.desktop");
    if (!isValidUrlScheme(scheme))
        return protocol;

    // Both placeholders in one substitution, so the "%1" the command passes
    // on to the program stays literal.
    const QString command
        = QStringLiteral("\"%1\" \"%2\"").arg(nativeExecutablePath, QStringLiteral("%1"));
    const RegistryRoot root = RegistryRoot::ClassesRoot;
    protocol.registry = entryWithUserCopy({
        textValue(root, scheme, QString(), description),
        textValue(root, scheme, QStringLiteral("URL Protocol"), QString()),
        textValue(root, scheme + QStringLiteral("\\shell"), QString(), QStringLiteral("open")),
        textValue(root, scheme + QStringLiteral("\\shell\\open\\command"), QString(), command),
    });
    return protocol;
}

RegistrationPlan buildRegistrationPlan(const InstallerConfig &config, TargetSystem system)
{
    RegistrationPlan plan;
    plan.executablePath = joined(config.installDir, config.programName);
    if (system == TargetSystem::Freedesktop)
        plan.executablePath = QFileInfo(plan.executablePath).absoluteFilePath();
    plan.nativeExecutablePath = nativePath(plan.executablePath, system);
    const QString installFolder = system == TargetSystem::Freedesktop
        ? QFileInfo(config.installDir).absoluteFilePath()
        : config.installDir;
    const QString installPath = QDir::cleanPath(QDir::fromNativeSeparators(installFolder));
    plan.uninstallCommand = quotedCommand(
        nativePath(joined(installFolder, QStringLiteral("uninst.exe")), system), system);

    const QString displayName = config.displayName();
    const QString id = desktopEntryId(config.productName);

    // URL protocol.
    plan.urlProtocol = urlProtocolRegistration(config.protocol, config.protocolDescription,
                                               plan.nativeExecutablePath, displayName);
    if (plan.urlProtocol.registry.isEmpty())
        plan.problems
            << QStringLiteral("URL protocol \"%1\" is not a valid URL scheme").arg(config.protocol);

    // Application path: forward slashes, as the toolkit writes paths.
    plan.applicationPath.programName = config.programName;
    plan.applicationPath.executablePath = plan.executablePath;
    if (SingleName::isValid(config.programName, nameSystem(system))) {
        plan.applicationPath.registry = entryWithUserCopy(
            { textValue(RegistryRoot::LocalMachine, appPathsKey + config.programName, QString(),
                        plan.executablePath) });
    } else {
        plan.problems << QStringLiteral(
                             "program name \"%1\" is not a file name; no application path")
                             .arg(config.programName);
    }

    // Uninstall entry, in the order the list of installed programs shows it.
    plan.uninstall.recordFileName = id + QStringLiteral(".ini");
    if (SingleName::isValid(config.productName, nameSystem(system))) {
        const QString key = uninstallKey + config.productName;
        const RegistryRoot root = RegistryRoot::LocalMachine;
        plan.uninstall.registry = entryWithUserCopy({
            // Windows leaves an entry without a name out of the list.
            textValue(root, key, QStringLiteral("DisplayName"), displayName),
            textValue(root, key, QStringLiteral("UninstallString"), plan.uninstallCommand),
            textValue(root, key, QStringLiteral("DisplayIcon"), plan.uninstallCommand),
            textValue(root, key, QStringLiteral("DisplayVersion"), config.productVersion),
            textValue(root, key, QStringLiteral("HelpLink"), config.supportUrl),
            textValue(root, key, QStringLiteral("Publisher"), config.publisher),
            numberValue(root, key, QStringLiteral("EstimatedSize"), RegistryType::DWord,
                        estimatedSizeKiB(config.bytesTotal)),
            numberValue(root, key, QStringLiteral("NoRepair"), RegistryType::DWord, 1),
            numberValue(root, key, QStringLiteral("NoModify"), RegistryType::DWord, 1),
            // Where the next installer finds the product to upgrade it.
            textValue(root, key, QStringLiteral("InstallLocation"),
                      nativePath(installPath, system)),
        });
    } else {
        plan.problems << QStringLiteral("product name \"%1\" cannot name an uninstall entry")
                             .arg(config.productName);
    }

    // Shortcuts: the Start-menu link goes into the folder that is ensured.
    const auto shortcut
        = [&](ShortcutPlace place, const QString &subfolder, const QString &fileName) {
              Shortcut link;
              link.place = place;
              link.subfolder = subfolder;
              link.fileName = fileName;
              link.displayName = displayName;
              link.target = plan.executablePath;
              link.workingFolder = installPath;
              link.iconPath = plan.executablePath;
              link.description = config.productText;
              return link;
          };
    if (system == TargetSystem::Windows) {
        const QString link = linkFileName(displayName, config.productName);
        plan.shortcuts << shortcut(ShortcutPlace::StartMenu, linkFolderName(config.productName),
                                   link)
                       << shortcut(ShortcutPlace::Desktop, QString(), link);
        if (config.autoStart)
            plan.shortcuts << shortcut(ShortcutPlace::Startup, QString(),
                                       linkFileName(config.productName, QString()));
    } else {
        const QString entry = id + QStringLiteral(".desktop");
        plan.shortcuts << shortcut(ShortcutPlace::StartMenu, QString(), entry)
                       << shortcut(ShortcutPlace::Desktop, QString(), entry);
        if (config.autoStart)
            plan.shortcuts << shortcut(ShortcutPlace::Startup, QString(), entry);
    }

    // A per-user installation registers in the current user's keys from the
    // start: the machine-wide ones belong to an elevated installation.
    if (config.perUserInstall) {
        for (RegistryEntry *entry : { &plan.urlProtocol.registry, &plan.applicationPath.registry,
                                      &plan.uninstall.registry }) {
            entry->machineWide = entry->perUser;
            entry->perUser.clear();
        }
    }
    return plan;
}
