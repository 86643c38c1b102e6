#pragma once

#include "platform/machine_lock.h"

#include <QString>

// One installation per install folder on the whole machine: held by a run
// from its start to its end (and by the recovery of a killed run), so that
// two installers, of any user, never place into one folder at once. Every
// spelling of a folder (relative, with "..", through a link to a parent,
// in another letter case on Windows) takes the same lock. The lock is a
// name the system forgets when the process ends, however it ends: nothing
// is written into the install folder or anywhere else, and a folder the
// run created can be removed while the lock is held.
class InstallFolderLock
{
public:
    enum Result { Acquired, Busy, Failed };

    InstallFolderLock() = default;
    ~InstallFolderLock() { release(); }
    InstallFolderLock(const InstallFolderLock &) = delete;
    InstallFolderLock &operator=(const InstallFolderLock &) = delete;

    // Takes the lock on folder, which need not exist yet; Busy while
    // another holder has it. Releases a lock held before.
    Result acquire(const QString &folder);
    void release();

private:
    // The folder as every spelling of it resolves: absolute, clean, its
    // nearest existing ancestor resolved through links, case-folded on
    // Windows.
    static QString identityOf(const QString &folder);

    platform::MachineLock m_lock = platform::noMachineLock;
};
