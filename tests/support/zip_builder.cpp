#include "support/zip_builder.h"

#include <QDateTime>

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipnewinfo.h>

namespace {

const quint32 unixLinkMode = 0120777;
const quint32 unixFolderMode = 040755;

} // namespace

void ZipBuilder::addFile(const QString &name, const QByteArray &content,
                         QFileDevice::Permissions permissions)
{
    m_entries.append({ Kind::File, name, content, permissions });
}

void ZipBuilder::addFolder(const QString &name)
{
    m_entries.append({ Kind::Folder, name, QByteArray(), {} });
}

void ZipBuilder::addLink(const QString &name, const QString &target)
{
    m_entries.append({ Kind::Link, name, target.toUtf8(), {} });
}

quint64 ZipBuilder::contentSize() const
{
    quint64 size = 0;
    for (const Entry &entry : m_entries)
        size += static_cast<quint64>(entry.content.size());
    return size;
}

bool ZipBuilder::write(const QString &zipPath) const
{
    QuaZip zip(zipPath);
    if (!zip.open(QuaZip::mdCreate))
        return false;
    const QDateTime stamp = QDateTime::currentDateTime();
    for (const Entry &entry : m_entries) {
        QuaZipNewInfo info(entry.name);
        info.dateTime = stamp;
        switch (entry.kind) {
        case Kind::File:
            info.setPermissions(entry.permissions);
            break;
        case Kind::Folder:
            info.externalAttr = (unixFolderMode << 16) | 0x10;
            break;
        case Kind::Link:
            info.externalAttr = unixLinkMode << 16;
            break;
        }
        QuaZipFile file(&zip);
        if (!file.open(QIODevice::WriteOnly, info))
            return false;
        if (!entry.content.isEmpty() && file.write(entry.content) != entry.content.size())
            return false;
        file.close();
        if (file.getZipError() != ZIP_OK)
            return false;
    }
    zip.close();
    return zip.getZipError() == ZIP_OK;
}
