#include "engine/registration/earlier_installation.h"

#include "config/installer_config.h"
#include "engine/registration/registration_plan.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_WIN
#include "platform/win32/registry.h"
#else
#include "engine/registration/uninstall_record.h"
#endif

namespace {

// The value called name of each of the product's uninstall entries that this
// installer writes, in the order it tries them: machine-wide (the user's
// keys for a per-user installation), then the user's keys it falls back on.
// Null for an entry that has no such value.
QStringList uninstallValues(const RegistrationPlan &plan, const QString &name)
{
    QStringList values;
#ifdef Q_OS_WIN
    const QVector<RegistryValue> *copies[]
        = { &plan.uninstall.registry.machineWide, &plan.uninstall.registry.perUser };
    for (const QVector<RegistryValue> *copy : copies) {
        if (copy->isEmpty())
            continue;
        const RegistryValue &first = copy->first();
        // Read as text through the registry itself: the toolkit's settings
        // would decode a value such as "@Variant(...)", which any program of
        // the user can write below the user's keys, believing its counts.
        platform::RegistryValue value;
        const platform::RegistryRoot root = first.root == RegistryRoot::CurrentUser
            ? platform::RegistryRoot::CurrentUser
            : platform::RegistryRoot::LocalMachine;
        const bool isText = platform::readRegistryValue(root, first.key.toStdWString(),
                                                        name.toStdWString(), &value)
            && value.type == platform::RegistryType::String;
        values << (isText ? QString::fromStdWString(value.text) : QString());
    }
#else
    UninstallRecord record;
    if (record.read(UninstallRecord::path(plan.uninstall.recordFileName)))
        values << record.value(name);
#endif
    return values;
}

// A folder an uninstall entry names, in the toolkit's form; empty when it is
// not a complete path of an existing folder below a root.
QString existingFolder(const QString &path)
{
    if (path.isEmpty())
        return QString();
    const QString folder = QDir::cleanPath(QDir::fromNativeSeparators(path));
    const QFileInfo info(folder);
    if (QDir::isRelativePath(folder) || info.isRoot() || !info.isDir())
        return QString();
    return folder;
}

} // namespace

bool holdsEarlierInstallation(const InstallerConfig &config, const QString &folder)
{
    InstallerConfig there = config;
    there.installDir = folder;
    const RegistrationPlan plan = buildRegistrationPlan(there);
    if (plan.uninstall.registry.isEmpty())
        return false;
    // Windows file names ignore case; Linux ones do not.
    const Qt::CaseSensitivity sensitivity
        = hostTargetSystem() == TargetSystem::Windows ? Qt::CaseInsensitive : Qt::CaseSensitive;
    for (const QString &command : uninstallValues(plan, QStringLiteral("UninstallString"))) {
        if (!command.isEmpty() && command.compare(plan.uninstallCommand, sensitivity) == 0)
            return true;
    }
    return false;
}

QString earlierInstallFolder(const InstallerConfig &config)
{
    const RegistrationPlan plan = buildRegistrationPlan(config);
    if (plan.uninstall.registry.isEmpty())
        return QString();
    const QStringList locations = uninstallValues(plan, QStringLiteral("InstallLocation"));
    const QStringList commands = uninstallValues(plan, QStringLiteral("UninstallString"));
    for (int i = 0; i < locations.size(); ++i) {
        // Entries written before InstallLocation was name the folder only
        // through the uninstaller inside it.
        QString folder = existingFolder(locations.at(i));
        if (folder.isEmpty()) {
            const QString uninstaller = QDir::fromNativeSeparators(
                programOfCommand(commands.value(i), hostTargetSystem()));
            const int slash = uninstaller.lastIndexOf(QLatin1Char('/'));
            if (slash > 0)
                folder = existingFolder(uninstaller.left(slash));
        }
        if (!folder.isEmpty())
            return folder;
    }
    return QString();
}

bool isFolderWithEntries(const QString &folder)
{
    const QFileInfo info(folder);
    return info.isDir()
        && !QDir(folder)
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)
                .isEmpty();
}
