// The judgement of a package's listing before anything is written: entry
// names as the target file system would store them, collisions, entries
// below files and links, links resolved inside the tree, and sizes summed in
// blocks without overflow. The archives are written byte by byte.
#include "engine/unpack/archive_index.h"
#include "engine/unpack/entry_name.h"
#include "support/raw_zip.h"

#include <QDataStream>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(RawZip)

namespace {

QByteArray longName(int bytes, char fill = 'n')
{
    return QByteArray(bytes, fill);
}

// A listing of entries empty files, each with a comment of commentBytes
// bytes (holes in a sparse file: the listing's size costs no disk), whose
// end record states statedEntries, in Zip64 form when the classic one
// cannot hold it. Only the central directory is there: the listing is all
// the judgement reads. False when it cannot be written.
bool writeListing(const QString &path, int entries, quint16 commentBytes, quint64 statedEntries)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QByteArray record;
    QDataStream out(&record, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    for (int i = 0; i < entries; ++i) {
        const QByteArray name = QByteArray::number(i).rightJustified(8, 'e');
        record.clear();
        out.device()->seek(0);
        out << quint32(0x02014b50) << quint16(0x031e) << quint16(20) << quint16(0) << quint16(0)
            << quint32(0) << quint32(0) << quint32(0) << quint32(0) << quint16(name.size())
            << quint16(0) << commentBytes << quint16(0) << quint16(0) << quint32(0100644u << 16)
            << quint32(0);
        if (file.write(record + name) != record.size() + name.size()
            || !file.seek(file.pos() + commentBytes))
            return false;
    }
    const quint64 listing = quint64(file.pos());
    const bool zip64 = statedEntries > 0xffff;
    record.clear();
    out.device()->seek(0);
    if (zip64) {
        out << quint32(0x06064b50) << quint64(44) << quint16(45) << quint16(45) << quint32(0)
            << quint32(0) << statedEntries << statedEntries << listing << quint64(0)
            << quint32(0x07064b50) << quint32(0) << listing << quint32(1);
    }
    const quint16 classic = zip64 ? 0xffff : quint16(statedEntries);
    out << quint32(0x06054b50) << quint16(0) << quint16(0) << classic << classic << quint32(listing)
        << quint32(0) << quint16(0);
    return file.write(record) == record.size();
}

} // namespace

class TestArchiveIndex : public QObject
{
    Q_OBJECT

private slots:
    void judgesPackages_data();
    void judgesPackages();
    void decodesNamesByTheirFlag_data();
    void decodesNamesByTheirFlag();
    void countsBlocksWithoutOverflow_data();
    void countsBlocksWithoutOverflow();
    void findsRequiredTopLevelFiles();
    void boundsTheListing_data();
    void boundsTheListing();

private:
    ArchiveIndex indexOf(const RawZip &zip)
    {
        const QString path = m_folder.filePath(QStringLiteral("package.zip"));
        if (!zip.write(path))
            qFatal("cannot write the package");
        return ArchiveIndex::read(path);
    }

    QTemporaryDir m_folder;
};

void TestArchiveIndex::judgesPackages_data()
{
    QTest::addColumn<RawZip>("zip");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("reason");

    const auto one = [](const QByteArray &name) {
        RawZip zip;
        zip.add(name, "x");
        return zip;
    };
    QTest::newRow("plain names") << one("bin/tool") << true << QString();
    QTest::newRow("dot steps") << one("./bin/./tool") << true << QString();
    QTest::newRow("255-byte name") << one(longName(255)) << true << QString();
    QTest::newRow("256-byte name") << one(longName(256)) << false << "too long";
    QTest::newRow("300-byte name") << one("data/" + longName(300) + ".txt") << false << "too long";
    {
        RawZip zip;
        zip.addUtf8(QString(128, QChar(0xE9)), "x"); // 256 bytes of UTF-8
        // Windows counts a name in UTF-16 units (255 at most), Linux in bytes.
#ifdef Q_OS_WIN
        QTest::newRow("128 two-byte characters") << zip << true << QString();
#else
        QTest::newRow("128 two-byte characters") << zip << false << "too long";
#endif
    }
    {
        // 20 steps of 99 bytes: 2,000 bytes in all, every step legal.
        QByteArray deep;
        for (int i = 0; i < 20; ++i)
            deep += longName(99, char('a' + i)) + '/';
        QTest::newRow("2,000-byte deep path") << one(deep + "file") << true << QString();
    }
    {
        // 16 folders of 240 bytes and a name that brings the path to 4,096
        // bytes, every step legal; then one byte more.
        QByteArray path;
        for (int i = 0; i < 16; ++i)
            path += longName(240, char('a' + i)) + '/';
        path += longName(4096 - path.size(), 'z');
        QTest::newRow("4,096-byte name") << one(path) << true << QString();
        QTest::newRow("4,097-byte name") << one(path + "z") << false << "longer than 4096 bytes";
    }
    QTest::newRow("64 levels") << one(QByteArray("d/").repeated(63) + "f") << true << QString();
    QTest::newRow("65 levels") << one(QByteArray("d/").repeated(64) + "f") << false
                               << "more than 64 folders deep";
    {
        // What `bsdtar -a -cf pkg.zip -C product .` makes.
        RawZip zip;
        zip.addFolder("./");
        zip.add("./Velmar", "x");
        zip.addFolder("./data/");
        zip.add("./data/levels.dat", "x");
        QTest::newRow("./ as the top entry") << zip << true << QString();
    }
    {
        RawZip zip;
        zip.addLink("./", "..");
        QTest::newRow("./ as a link") << zip << false << "names no file";
    }
    QTest::newRow("lone dot") << one(".") << false << "names no file";
    {
        RawZip zip;
        zip.add("Velmar", "x");
        zip.add("data.bin", "BZh91AY&SY").method = 12;
        QTest::newRow("bzip2 entry") << zip << false << "method 12";
    }
    QTest::newRow("empty step") << one("a//b") << false << "empty folder name";
    QTest::newRow("parent step") << one("a/../../b") << false << "leads out";
    QTest::newRow("absolute") << one("/etc/passwd") << false << "absolute";
    QTest::newRow("drive") << one("C:evil") << false << "drive";
    QTest::newRow("control character") << one("a\nb") << false << "control";
    {
        RawZip zip;
        zip.add("bad-\xff\xfe", "x").flags = 0x0800;
        QTest::newRow("invalid UTF-8") << zip << false << "UTF-8";
    }
    {
        RawZip zip;
        zip.add("over\xc0\xaflong", "x").flags = 0x0800;
        QTest::newRow("overlong UTF-8 slash") << zip << false << "UTF-8";
    }
    {
        RawZip zip;
        zip.addLink("data/x", "../../../home/user/.bashrc");
        zip.add("data/x", "attacker's text");
        QTest::newRow("link then a file of the same name") << zip << false << "land on";
    }
    {
        RawZip zip;
        zip.addLink("data/x", "y");
        zip.add("data/y", "text");
        zip.add("data/x", "text");
        QTest::newRow("link inside then a file of the same name") << zip << false << "land on";
    }
    {
        // Cut at 256 bytes, both would be one path.
        RawZip zip;
        zip.addLink(longName(256, 't'), "..");
        zip.add(longName(256, 't') + "zzzz", "text");
        QTest::newRow("names that only differ beyond 256 bytes") << zip << false << "too long";
    }
    {
        RawZip zip;
        zip.add("same", "one");
        zip.add("./same", "two");
        QTest::newRow("one name written twice") << zip << false << "land on";
    }
    {
        RawZip zip;
        zip.addFolder("bin/");
        zip.addFolder("bin/");
        zip.add("bin/tool", "x");
        QTest::newRow("one folder listed twice") << zip << true << QString();
    }
    {
        RawZip zip;
        zip.add("Readme", "x");
        zip.add("README", "y");
#ifdef Q_OS_WIN
        QTest::newRow("names that differ in case") << zip << false << "land on";
#else
        QTest::newRow("names that differ in case") << zip << true << QString();
#endif
    }
    {
        RawZip zip;
        zip.addLink("up", ".");
        zip.add("up/x", "x");
        QTest::newRow("file below a link") << zip << false << "below a file or link";
    }
    {
        RawZip zip;
        zip.add("a", "x");
        zip.add("a/b", "x");
        QTest::newRow("file below a file") << zip << false << "below a file or link";
    }
    {
        RawZip zip;
        zip.add("lib/libv.so.1", "x");
        zip.addLink("lib/libv.so", "libv.so.1");
        zip.addLink("bin/libs", "../lib");
        zip.addLink("current", "bin/libs/libv.so");
        QTest::newRow("links inside, through links") << zip << true << QString();
    }
    {
        RawZip zip;
        zip.addLink("b", ".");
        zip.addLink("a", "b/..");
        QTest::newRow("link out through another link") << zip << false << "outside";
    }
    {
        RawZip zip;
        zip.addLink("a", "b");
        zip.addLink("b", "a");
        QTest::newRow("links in a circle") << zip << false << "circle";
    }
    {
        RawZip zip;
        zip.add("file", "x");
        zip.addLink("l", "file/x");
        QTest::newRow("link into a file") << zip << false << "nothing";
    }
    {
        RawZip zip;
        zip.add("fifo", "", 010644);
        QTest::newRow("special file") << zip << false << "neither";
    }
}

void TestArchiveIndex::judgesPackages()
{
    QFETCH(RawZip, zip);
    QFETCH(bool, valid);
    QFETCH(QString, reason);
    const ArchiveIndex index = indexOf(zip);
    QCOMPARE(index.isValid(), valid);
    if (!valid)
        QVERIFY2(index.problem().contains(reason), qPrintable(index.problem()));
}

void TestArchiveIndex::decodesNamesByTheirFlag_data()
{
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<bool>("utf8");
    QTest::addColumn<QString>("path");
    QTest::newRow("UTF-8 with the flag") << QByteArray("caf\xc3\xa9") << true << "caf\u00e9";
    QTest::newRow("same bytes as CP437") << QByteArray("caf\xc3\xa9") << false << "caf\u251c\u2310";
    QTest::newRow("CP437 u umlaut") << QByteArray("\x81"
                                                  "ber")
                                    << false << "\u00fcber";
}

void TestArchiveIndex::decodesNamesByTheirFlag()
{
    QFETCH(QByteArray, raw);
    QFETCH(bool, utf8);
    QFETCH(QString, path);
    RawZip zip;
    zip.add(raw, "x").flags = utf8 ? 0x0800 : 0;
    const ArchiveIndex index = indexOf(zip);
    QVERIFY2(index.isValid(), qPrintable(index.problem()));
    QCOMPARE(index.entries().first().path, path);
}

void TestArchiveIndex::countsBlocksWithoutOverflow_data()
{
    QTest::addColumn<QList<quint64>>("sizes");
    QTest::addColumn<quint64>("blockSize");
    QTest::addColumn<bool>("counted");
    QTest::addColumn<quint64>("blocks");
    // The files lie in one folder "d", which takes a block of its own.
    QTest::newRow("rounded up per file") << QList<quint64> { 1, 4096, 4097, 0 } << quint64(4096)
                                         << true << quint64(1 + 1 + 1 + 2 + 0);
    QTest::newRow("one huge file") << QList<quint64> { quint64(1) << 62 } << quint64(4096) << true
                                   << quint64(1) + (quint64(1) << 50);
    QTest::newRow("two files of 2^63 bytes")
        << QList<quint64> { quint64(1) << 63, quint64(1) << 63 } << quint64(4096) << true
        << quint64(1) + (quint64(1) << 52);
    QTest::newRow("two files of 2^63 bytes in 1-byte blocks")
        << QList<quint64> { quint64(1) << 63, quint64(1) << 63 } << quint64(1) << false
        << quint64(0);
    QTest::newRow("largest sizes") << QList<quint64> { ~quint64(0), ~quint64(0) } << quint64(512)
                                   << true << quint64(1) + 2 * ((~quint64(0) >> 9) + 1);
}

void TestArchiveIndex::countsBlocksWithoutOverflow()
{
    QFETCH(QList<quint64>, sizes);
    QFETCH(quint64, blockSize);
    QFETCH(bool, counted);
    QFETCH(quint64, blocks);
    RawZip zip;
    for (int i = 0; i < sizes.size(); ++i) {
        RawZip::Entry &entry = zip.add("d/f" + QByteArray::number(i), "");
        entry.statesOtherSize = true;
        entry.statedSize = sizes.at(i);
    }
    const ArchiveIndex index = indexOf(zip);
    QVERIFY2(index.isValid(), qPrintable(index.problem()));
    quint64 needed = 0;
    QCOMPARE(index.blocksNeeded(blockSize, &needed), counted);
    if (counted)
        QCOMPARE(needed, blocks);
    // The byte sum overflows as soon as two sizes reach 2^63.
    quint64 bytes = 0;
    QCOMPARE(index.fileBytes(&bytes), sizes.size() < 2 || sizes.first() < (quint64(1) << 63));
}

void TestArchiveIndex::findsRequiredTopLevelFiles()
{
    RawZip zip;
    zip.add("Velmar", "program");
    zip.add("bin/uninst.exe", "not at the top");
    zip.addLink("uninst.lnk", "Velmar");
    const ArchiveIndex index = indexOf(zip);
    QVERIFY(index.hasTopLevelFile(QStringLiteral("Velmar")));
    QVERIFY(!index.hasTopLevelFile(QStringLiteral("uninst.lnk")));
    QCOMPARE(index.missingTopLevelFile({ QStringLiteral("Velmar"), QStringLiteral("uninst.exe") }),
             QStringLiteral("uninst.exe"));
}

void TestArchiveIndex::boundsTheListing_data()
{
    QTest::addColumn<int>("entries");
    QTest::addColumn<int>("commentBytes");
    QTest::addColumn<quint64>("statedEntries");
    QTest::addColumn<bool>("refused");
    const quint64 most = ArchiveIndex::maxEntries;
    QTest::newRow("more entries stated than the limit") << 1 << 0 << most + 1 << true;
    QTest::newRow("as many as the limit") << 1 << 0 << most << false;
    // 46 bytes of header, 8 of name and the comment: one entry more than the
    // limit's bytes hold, and one entry fewer.
    const int entryBytes = 46 + 8 + 65535;
    const int over = int(ArchiveIndex::maxListingBytes / entryBytes) + 1;
    QTest::newRow("listing larger than the limit") << over << 65535 << quint64(over) << true;
    QTest::newRow("listing within the limit") << over - 1 << 65535 << quint64(over - 1) << false;
}

void TestArchiveIndex::boundsTheListing()
{
    QFETCH(int, entries);
    QFETCH(int, commentBytes);
    QFETCH(quint64, statedEntries);
    QFETCH(bool, refused);
    const QString path = m_folder.filePath(QStringLiteral("listing.zip"));
    QVERIFY(writeListing(path, entries, quint16(commentBytes), statedEntries));
    const ArchiveIndex index = ArchiveIndex::read(path);
    QFile::remove(path);
    // Within the limits, a listing whose count lies is refused for that.
    QCOMPARE(index.isValid(), !refused && statedEntries == quint64(entries));
    QVERIFY2(index.problem().contains(QStringLiteral("lists more than")) == refused,
             qPrintable(index.problem()));
}

QTEST_GUILESS_MAIN(TestArchiveIndex)
#include "tst_archive_index.moc"
