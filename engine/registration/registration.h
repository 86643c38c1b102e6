#pragma once

#include <QString>

#include <functional>

struct InstallerConfig;

// Makes an installed product known to the system once its files are in
// place: URL protocol, application path, uninstall entry, Start-menu and
// desktop shortcuts and, when the user asked for it, a Startup shortcut. On
// Linux the freedesktop equivalents stand in for the registry and shell
// links. Main thread only.

// Registers the product that config describes, installed in its
// installDir. Single failures do not stop the rest and do not fail the
// installation; each is logged. report, when given, receives one line per
// write and its result, for the installation log. Returns whether the user
// got a shortcut to start the product from (Start menu or desktop); without
// one, only its folder leads to it.
using RegistrationReport = std::function<void(const QString &line)>;
bool registerInstallation(const InstallerConfig &config, const RegistrationReport &report = {});

// Registers scheme:// links to start executablePath (native separators) and
// returns whether the registration was written, machine-wide or, when that
// is refused, for the current user.
bool registerUrlProtocol(const QString &scheme, const QString &description,
                         const QString &executablePath);

// Creates one shortcut file at linkPath that starts targetPath with arguments.
bool createShortcut(const QString &linkPath, const QString &targetPath, const QString &arguments);

// Creates a shortcut called name in the Startup folder (the folder is created
// when missing); the ending the system needs (".lnk", ".desktop") is added
// when name lacks it.
bool createStartupShortcut(const QString &targetPath, const QString &name,
                           const QString &arguments);

// The current user's Startup folder: the shell's on Windows, kept once
// found; $XDG_CONFIG_HOME/autostart on Linux.
QString startupFolder();
