#include "engine/registration/earlier_installation.h"

#include "config/installer_config.h"
#include "engine/registration/registration_plan.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_WIN
#include <QSettings>
#else
#include "engine/registration/uninstall_record.h"
#endif

bool holdsEarlierInstallation(const InstallerConfig &config, const QString &folder)
{
    InstallerConfig there = config;
    there.installDir = folder;
    const RegistrationPlan plan = buildRegistrationPlan(there);
    if (plan.uninstall.registry.isEmpty())
        return false;
#ifdef Q_OS_WIN
    const QVector<RegistryValue> *copies[]
        = { &plan.uninstall.registry.machineWide, &plan.uninstall.registry.perUser };
    for (const QVector<RegistryValue> *values : copies) {
        for (const RegistryValue &value : *values) {
            if (value.name != QLatin1String("UninstallString"))
                continue;
            const QString root = value.root == RegistryRoot::CurrentUser
                ? QStringLiteral("HKEY_CURRENT_USER\\")
                : QStringLiteral("HKEY_LOCAL_MACHINE\\");
            const QSettings key(root + value.key, QSettings::NativeFormat);
            if (key.value(QStringLiteral("UninstallString"))
                    .toString()
                    .compare(value.text, Qt::CaseInsensitive)
                == 0)
                return true;
        }
    }
    return false;
#else
    UninstallRecord record;
    return record.read(UninstallRecord::path(plan.uninstall.recordFileName))
        && record.value(QStringLiteral("UninstallString")) == plan.uninstallCommand;
#endif
}

bool isFolderWithEntries(const QString &folder)
{
    const QFileInfo info(folder);
    return info.isDir()
        && !QDir(folder)
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)
                .isEmpty();
}
