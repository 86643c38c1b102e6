#include "support/raw_zip.h"
#include "support/test_files.h"

#include <QtEndian>

#include <zlib.h>

namespace {

void put16(QByteArray &out, quint32 value)
{
    char bytes[2];
    qToLittleEndian<quint16>(quint16(value), bytes);
    out.append(bytes, 2);
}

void put32(QByteArray &out, quint32 value)
{
    char bytes[4];
    qToLittleEndian<quint32>(value, bytes);
    out.append(bytes, 4);
}

void put64(QByteArray &out, quint64 value)
{
    char bytes[8];
    qToLittleEndian<quint64>(value, bytes);
    out.append(bytes, 8);
}

} // namespace

RawZip::Entry &RawZip::add(const QByteArray &name, const QByteArray &content, quint32 unixMode)
{
    Entry entry;
    entry.name = name;
    entry.content = content;
    entry.unixMode = unixMode;
    m_entries.append(entry);
    return m_entries.last();
}

RawZip::Entry &RawZip::addUtf8(const QString &name, const QByteArray &content)
{
    Entry &entry = add(name.toUtf8(), content);
    entry.flags = 0x0800;
    return entry;
}

RawZip::Entry &RawZip::addFolder(const QByteArray &name)
{
    return add(name, QByteArray(), 040755);
}

RawZip::Entry &RawZip::addLink(const QByteArray &name, const QByteArray &target)
{
    return add(name, target, 0120777);
}

bool RawZip::write(const QString &path) const
{
    QByteArray body;
    QByteArray directory;
    for (const Entry &entry : m_entries) {
        const quint32 crc
            = quint32(crc32(0, reinterpret_cast<const Bytef *>(entry.content.constData()),
                            uInt(entry.content.size())))
            ^ entry.crcXor;
        const quint32 offset = quint32(body.size());
        put32(body, 0x04034b50);
        put16(body, 20);
        put16(body, entry.flags);
        put16(body, entry.method);
        put32(body, 0); // time and date
        put32(body, crc);
        put32(body, quint32(entry.content.size()));
        put32(body, quint32(entry.content.size()));
        put16(body, quint32(entry.name.size()));
        put16(body, 0);
        body += entry.name;
        body += entry.content;

        const quint64 stated
            = entry.statesOtherSize ? entry.statedSize : quint64(entry.content.size());
        const bool zip64 = stated >= 0xFFFFFFFFull;
        QByteArray extra;
        if (zip64) {
            put16(extra, 0x0001);
            put16(extra, 16);
            put64(extra, stated); // uncompressed
            put64(extra, quint64(entry.content.size())); // compressed
        }
        put32(directory, 0x02014b50);
        put16(directory, (3 << 8) | 20); // made by Unix
        put16(directory, zip64 ? 45 : 20);
        put16(directory, entry.flags);
        put16(directory, entry.method);
        put32(directory, 0);
        put32(directory, crc);
        put32(directory, zip64 ? 0xFFFFFFFFu : quint32(entry.content.size()));
        put32(directory, zip64 ? 0xFFFFFFFFu : quint32(stated));
        put16(directory, quint32(entry.name.size()));
        put16(directory, quint32(extra.size()));
        put16(directory, 0); // comment
        put16(directory, 0); // disk
        put16(directory, 0); // internal attributes
        put32(directory, entry.unixMode << 16);
        put32(directory, offset);
        directory += entry.name;
        directory += extra;
    }
    QByteArray end;
    put32(end, 0x06054b50);
    put16(end, 0);
    put16(end, 0);
    put16(end, quint32(m_entries.size()));
    put16(end, quint32(m_entries.size()));
    put32(end, quint32(directory.size()));
    put32(end, quint32(body.size()));
    put16(end, 0);

    return TestFiles::writeFile(path, body + directory + end);
}
