#pragma once

// What a Windows registration leaves behind outlives a test's temporary
// folders: tests that register a product remove its keys and links again
// with this, machine-wide and per user. Needs the engine and the Windows
// layer, which such tests link anyway.

#ifdef Q_OS_WIN

#include "config/installer_config.h"
#include "engine/registration/registration.h"
#include "platform/win32/registry.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QStringList>

inline void removeWindowsRegistration(const InstallerConfig &config)
{
    const QString windowsKeys = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\");
    const QStringList keys = { QStringLiteral("Software\\Classes\\") + config.protocol,
                               windowsKeys + QStringLiteral("App Paths\\") + config.programName,
                               windowsKeys + QStringLiteral("Uninstall\\") + config.productName };
    for (platform::RegistryRoot root :
         { platform::RegistryRoot::LocalMachine, platform::RegistryRoot::CurrentUser }) {
        for (const QString &key : keys)
            platform::deleteRegistryKey(root, key.toStdWString());
    }
    QDir(QDir(QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation))
             .filePath(config.productName))
        .removeRecursively();
    QFile::remove(QDir(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation))
                      .filePath(config.productText + QStringLiteral(".lnk")));
    QFile::remove(QDir(startupFolder()).filePath(config.productName + QStringLiteral(".lnk")));
}

#endif
