#pragma once

#include <QString>
#include <QtGlobal>

// Safety checks on a downloaded package, made before and right after it is
// unpacked into the temporary folder and before anything reaches the install
// folder: a damaged or hostile archive must not write outside the folders the
// installer owns.

// What the archive's central directory says, read without unpacking.
struct PackageListing
{
    bool readable = false; // a zip archive with at least one entry
    bool safe = false; // no entry can land outside the folder it is unpacked into
    quint64 unpackedSize = 0; // sum of the entries' uncompressed sizes
};

PackageListing inspectPackage(const QString &zipPath);

// An entry name that stays below the unpack folder: relative, without a drive
// letter and without a ".." step (with "/" or "\" as the separator).
bool isSafeEntryName(const QString &name);

// True when every symbolic link below root (an unpacked package) points to an
// existing place inside root, both by its text and as the file system
// resolves it.
bool linksStayInside(const QString &root);
