#pragma once

#include <QString>

// Where products are installed by default, and for whom.
struct InstallLocation
{
    QString baseFolder; // the product's folder is made below it
    bool perUser = false; // registration in the current user's keys only

    bool operator==(const InstallLocation &other) const
    {
        return baseFolder == other.baseFolder && perUser == other.perUser;
    }
};

// Program Files when the invoking user can create a folder in it (an
// elevated start, or a system without UAC); otherwise the user's own
// programs folder, so that a normal start does not download the whole
// package only to be refused at the first folder it creates. Program Files
// also when the system names no per-user folder; the per-user folder when
// there is no Program Files.
InstallLocation chooseInstallLocation(const QString &programFiles, const QString &userPrograms,
                                      bool canCreateInProgramFiles);

// The choice above for this system and this process (a real probe on
// Windows; on Linux the data folder, which is always the user's own).
InstallLocation defaultInstallLocation();

// The folder below which this user installs without administrator rights:
// the user's own programs folder on Windows, the data folder on Linux.
QString ownInstallBase();
