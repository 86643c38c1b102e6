#pragma once

#include "support/test_files.h"

#include <QByteArray>
#include <QFileDevice>
#include <QList>
#include <QString>

// Builds zip archives for tests, entry by entry, with QuaZip. Names are
// stored exactly as given, so tests can also make hostile archives (absolute
// paths, drive letters, ".." steps, links that lead outside).
//
//     ZipBuilder zip;
//     zip.addFile("Velmar.exe", programBytes, TestFiles::executable());
//     zip.addFolder("data/");
//     zip.addLink("current", "data");
//     QVERIFY(zip.write(dir.filePath("package.zip")));
class ZipBuilder
{
public:
    void addFile(const QString &name, const QByteArray &content,
                 QFileDevice::Permissions permissions = TestFiles::regular());
    // A folder entry; name should end with "/".
    void addFolder(const QString &name);
    // A symbolic link entry (Unix mode 120777) whose content is target.
    void addLink(const QString &name, const QString &target);

    // Writes the archive (deflated entries); false on any QuaZip error.
    bool write(const QString &zipPath) const;

    // Sum of the contents' sizes, as the archive's directory will state it.
    quint64 contentSize() const;

private:
    enum class Kind { File, Folder, Link };
    struct Entry
    {
        Kind kind;
        QString name;
        QByteArray content;
        QFileDevice::Permissions permissions;
    };
    QList<Entry> m_entries;
};
