#pragma once

#include <QString>

struct InstallerConfig;

// Whether folder holds an earlier installation of the configured product:
// the product's uninstall record (registry entry on Windows, uninstall
// record file on Linux) names folder's uninstaller. Installing over it is an
// upgrade; any other non-empty folder belongs to someone else.
bool holdsEarlierInstallation(const InstallerConfig &config, const QString &folder);

// The folder of an earlier installation of the configured product, for the
// start page to offer: the InstallLocation of the product's uninstall entry
// where this installer writes it (machine-wide, then the current user's keys
// it falls back on; only the user's for a per-user installation), or the
// folder of its UninstallString when an older installer wrote no location.
// Empty when there is no entry or it names no existing folder.
QString earlierInstallFolder(const InstallerConfig &config);

// Whether folder exists and holds at least one entry, hidden ones included.
bool isFolderWithEntries(const QString &folder);
