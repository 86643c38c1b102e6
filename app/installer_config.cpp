#include "app/installer_config.h"

#include "app/install_location.h"

#include <QCoreApplication>
#include <QDir>
#include <QSettings>

InstallerConfig readInstallerConfig(const QString &iniPath, const QString &programFiles,
                                    bool perUserInstall)
{
    InstallerConfig config;
    config.perUserInstall = perUserInstall;

    QSettings settings(iniPath, QSettings::IniFormat);
    settings.setIniCodec("UTF-8");

    // Only the top level ("[General]") is read; a key that is present with
    // an empty value empties the field on purpose.
    const struct
    {
        const char *key;
        QString InstallerConfig::*field;
    } textKeys[] = {
        { "productName", &InstallerConfig::productName },
        { "productText", &InstallerConfig::productText },
        { "productVersion", &InstallerConfig::productVersion },
        { "publisher", &InstallerConfig::publisher },
        { "protocol", &InstallerConfig::protocol },
        { "protocolDescription", &InstallerConfig::protocolDescription },
        { "programName", &InstallerConfig::programName },
        { "userProtocolUrl", &InstallerConfig::userProtocolUrl },
        { "supportUrl", &InstallerConfig::supportUrl },
        { "packageUrl", &InstallerConfig::packageUrl },
    };
    for (const auto &textKey : textKeys) {
        const QString key = QLatin1String(textKey.key);
        if (settings.contains(key))
            config.*textKey.field = settings.value(key).toString();
    }

    // No presence test: a missing or non-numeric value is simply 0.
    config.bytesTotal = settings.value(QStringLiteral("bytesTotal")).toULongLong();

    config.installDir = QDir(programFiles).absoluteFilePath(config.productName);
    return config;
}

InstallerConfig *installerConfig()
{
    // Function-local static: thread-safe creation, retried if it throws.
    static const InstallLocation location = defaultInstallLocation();
    static InstallerConfig config
        = readInstallerConfig(QDir(QCoreApplication::applicationDirPath())
                                  .absoluteFilePath(QStringLiteral("settings.ini")),
                              location.baseFolder, location.perUser);
    return &config;
}
