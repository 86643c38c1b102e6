#pragma once

#include <QString>
#include <QtGlobal>

class QDir;

// Small stateless wrappers around the system services the installer needs
// outside Qt. All of them are safe to call from any thread.

// The text after the last "/" of a path or URL (the whole text if it has
// none). A backslash is not a separator; a URL's query stays in the result.
QString fileNameFromPath(const QString &path);

// Id of the first running process whose executable file name (without
// folder) equals name, ignoring letter case; 0 if there is none.
qint64 findProcess(const QString &name);

// Ends the process and waits at most 200 ms for it. False for id 0 or when
// the process cannot be ended.
bool terminateProcess(qint64 processId);

// Free bytes on the volume holding dir; a folder that does not exist yet is
// measured at its nearest existing parent. 0 when the system cannot tell.
quint64 diskFreeSpace(const QDir &dir);

// Block size and the blocks an unprivileged user may still fill on the
// volume holding path, which must exist. False when the system cannot tell.
bool volumeBlocks(const QString &path, quint64 *blockSize, quint64 *freeBlocks);

// Whether the volume holding path has no room left: no free block, or no
// free file entry where the file system counts them.
bool volumeFull(const QString &path);

// The system's words for the calling thread's last error ("Permission
// denied", "Access is denied."), for the log: call it right after the call
// that failed, before anything else touches the system.
QString lastSystemError();

// Makes folder and its missing parents, outermost first, at any depth (the
// \\?\ form on Windows). False when folder is no folder afterwards;
// *reason then names the folder that could not be made and the system's
// reason.
bool makeFolders(const QString &folder, QString *reason);

// Renames the entry at from to to, within one volume: never over an entry
// at to, never by copying. False with *reason set to the system's words.
bool moveEntry(const QString &from, const QString &to, QString *reason);

// Removes the folder path if it is empty. False with *reason set to the
// system's words (a folder that is not empty included).
bool removeEmptyFolder(const QString &path, QString *reason);

// 32 lowercase hexadecimal digits from a fresh random UUID.
QString uniqueName();

// Deletes dir and everything in it, hidden entries included. Links inside the
// tree (symbolic links, junctions) are removed themselves; what they point to
// is never touched. Whatever cannot be deleted stays; the first such entry,
// with the system's reason, goes to *firstFailure when it is given and empty.
void removeDirectory(const QDir &dir, QString *firstFailure = nullptr);
