#include "config/installer_config.h"

#include "config/bundle.h"
#include "config/ini_file.h"
#include "config/install_location.h"
#include "config/single_name.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>

InstallerConfig readInstallerConfig(const QString &iniPath, const QString &programFiles,
                                    bool perUserInstall)
{
    InstallerConfig config;
    config.perUserInstall = perUserInstall;

    const IniFile settings(iniPath);
    if (!settings.readable() && QFile::exists(iniPath))
        qWarning().noquote() << "settings.ini: cannot be read or is larger than"
                             << IniFile::maximumSize << "bytes; the defaults stand";
    for (const QString &key : settings.typedKeys())
        qWarning().noquote() << "settings.ini:" << key
                             << "holds a typed value, not text; it is read as empty";

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
        { "packageSha256", &InstallerConfig::packageSha256 },
    };
    for (const auto &textKey : textKeys) {
        const IniFile::Value value = settings.value(QLatin1String(textKey.key));
        // A list has no text form.
        if (value.present)
            config.*textKey.field = value.isList ? QString() : value.text;
    }

    // Keys whose values are lists by nature (mirrors, keys): written without
    // quotes, the INI format hands them over as a list, which means the same.
    const struct
    {
        const char *key;
        QString InstallerConfig::*field;
    } listKeys[] = {
        { "packageUrl", &InstallerConfig::packageUrl },
        { "packagePublicKey", &InstallerConfig::packagePublicKey },
    };
    for (const auto &listKey : listKeys) {
        const IniFile::Value value = settings.value(QLatin1String(listKey.key));
        if (value.isList)
            config.*listKey.field = value.items.join(QLatin1Char(','));
        else if (value.present)
            config.*listKey.field = value.text;
    }
    // A quoted value arrives whole: a packageUrl with a comma of its own (a
    // signed link's query, say) is one URL, not mirrors. It keeps its quotes,
    // which the mirror list reads that way.
    if (!settings.value(QStringLiteral("packageUrl")).isList
        && config.packageUrl.contains(QLatin1Char(',')))
        config.packageUrl = QLatin1Char('"') + config.packageUrl + QLatin1Char('"');

    // The product's name becomes one folder and the name of its uninstall
    // entry on Windows, where the product is at home, and on Linux. Another
    // product's name must not stand in for one that cannot: the window
    // refuses to install instead (hasUsableProductName).
    if (!config.hasUsableProductName())
        qWarning().noquote() << "settings.ini: productName" << config.productName
                             << "is not a single folder name; nothing can be installed";

    // No presence test: a missing or non-numeric value is simply 0.
    const IniFile::Value bytesTotal = settings.value(QStringLiteral("bytesTotal"));
    config.bytesTotal = bytesTotal.isList ? 0 : bytesTotal.text.toULongLong();

    if (config.hasUsableProductName())
        config.installDir = QDir(programFiles).absoluteFilePath(config.productName);
    return config;
}

bool InstallerConfig::hasUsableProductName() const
{
    return SingleName::isValidEverywhere(productName);
}

InstallerConfig *installerConfig()
{
    // Function-local static: thread-safe creation, retried if it throws.
    static const InstallLocation location = defaultInstallLocation();
    static InstallerConfig config = readInstallerConfig(
        Bundle::locate(QCoreApplication::applicationDirPath(), QStringLiteral("settings.ini")),
        location.baseFolder, location.perUser);
    return &config;
}
