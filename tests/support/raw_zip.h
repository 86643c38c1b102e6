#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Writes zip archives byte by byte, for packages no well-behaved tool would
// make: names that are not valid UTF-8, any general-purpose flags, sizes in
// the central directory that differ from the data (up to 2^64 - 1, through
// the Zip64 field), links and folders by their Unix modes. Entries are
// stored (not compressed).
//
//     RawZip zip;
//     zip.add("data/x", "text");
//     zip.addLink("data/y", "x");
//     zip.last().statesOtherSize = true;
//     zip.last().statedSize = quint64(1) << 63;
//     QVERIFY(zip.write(path));
class RawZip
{
public:
    struct Entry
    {
        QByteArray name;
        QByteArray content;
        quint32 unixMode = 0100644;
        quint16 flags = 0;
        bool statesOtherSize = false; // the central directory states statedSize
        quint64 statedSize = 0;
        quint32 crcXor = 0; // spoils the stated CRC-32
        quint16 method = 0; // the stated compression method; content is written as given
    };

    Entry &add(const QByteArray &name, const QByteArray &content, quint32 unixMode = 0100644);
    Entry &addUtf8(const QString &name, const QByteArray &content);
    Entry &addFolder(const QByteArray &name);
    Entry &addLink(const QByteArray &name, const QByteArray &target);
    Entry &last() { return m_entries.last(); }

    bool write(const QString &path) const;

private:
    QList<Entry> m_entries;
};
