#pragma once

#include <QString>

struct InstallerConfig;

// Whether folder holds an earlier installation of the configured product:
// the product's uninstall record (registry entry on Windows, uninstall
// record file on Linux) names folder's uninstaller. Installing over it is an
// upgrade; any other non-empty folder belongs to someone else.
bool holdsEarlierInstallation(const InstallerConfig &config, const QString &folder);

// Whether folder exists and holds at least one entry, hidden ones included.
bool isFolderWithEntries(const QString &folder);
