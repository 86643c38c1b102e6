#include "config/installer_config.h"

#include "config/bundle.h"
#include "config/install_location.h"
#include "config/single_name.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStringList>
#include <QTemporaryFile>
#include <QVariant>

namespace {

// Notepad before Windows 10 1903 saves UTF-8 with a byte-order mark, which
// the INI reader takes for part of the first key when no "[General]" line
// comes first: that key would be lost. Such a file is read from a copy
// without the mark; every other rule of the format stays the reader's own.
QString pathWithoutByteOrderMark(const QString &iniPath, QTemporaryFile *copy)
{
    static const QByteArray mark("\xEF\xBB\xBF");
    QFile file(iniPath);
    if (!file.open(QIODevice::ReadOnly) || file.peek(mark.size()) != mark)
        return iniPath;
    const QByteArray text = file.readAll().mid(mark.size());
    if (!copy->open() || copy->write(text) != text.size() || !copy->flush()) {
        qWarning().noquote() << "settings.ini: cannot set aside a copy without its byte-order mark:"
                             << copy->errorString();
        return iniPath;
    }
    copy->close();
    return copy->fileName();
}

} // namespace

InstallerConfig readInstallerConfig(const QString &iniPath, const QString &programFiles,
                                    bool perUserInstall)
{
    InstallerConfig config;
    config.perUserInstall = perUserInstall;

    QTemporaryFile withoutMark;
    QSettings settings(pathWithoutByteOrderMark(iniPath, &withoutMark), QSettings::IniFormat);
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
        { "packageSha256", &InstallerConfig::packageSha256 },
    };
    for (const auto &textKey : textKeys) {
        const QString key = QLatin1String(textKey.key);
        if (settings.contains(key))
            config.*textKey.field = settings.value(key).toString();
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
        const QVariant value = settings.value(QLatin1String(listKey.key));
        if (value.type() == QVariant::StringList)
            config.*listKey.field = value.toStringList().join(QLatin1Char(','));
        else if (value.isValid())
            config.*listKey.field = value.toString();
    }
    // A quoted value arrives whole: a packageUrl with a comma of its own (a
    // signed link's query, say) is one URL, not mirrors. It keeps its quotes,
    // which the mirror list reads that way.
    if (settings.value(QStringLiteral("packageUrl")).type() == QVariant::String
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
    config.bytesTotal = settings.value(QStringLiteral("bytesTotal")).toULongLong();

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
