#include "engine/earlier_installation.h"

#include "app/installer_config.h"
#include "engine/registration_plan.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_WIN
#include <QSettings>
#else
#include "platform/unix/desktop_entry.h"
#include "platform/unix/freedesktop.h"
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
    QFile record(QString::fromStdString(platform::xdgDataHome())
                 + QStringLiteral("/installer/uninstall/") + plan.uninstall.recordFileName);
    if (!record.open(QIODevice::ReadOnly))
        return false;
    const QByteArray wanted = "UninstallString="
        + QByteArray::fromStdString(platform::escapeDesktopString(
            plan.uninstallCommand.toUtf8().toStdString()));
    return record.readAll().split('\n').contains(wanted);
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
