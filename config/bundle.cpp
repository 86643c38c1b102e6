#include "config/bundle.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QResource>
#include <QtEndian>

namespace {

const QString bundleRoot = QStringLiteral("/bundle");

// Where the bundle ends: before the Authenticode certificate table of a
// signed Windows program (which the signature appends at the very end), else
// at the end of the file.
qint64 bundleEnd(QFile &file)
{
    const qint64 size = file.size();
    if (!file.seek(0))
        return size;
    const QByteArray dos = file.read(64);
    if (dos.size() < 64 || !dos.startsWith("MZ"))
        return size;
    const quint32 peOffset = qFromLittleEndian<quint32>(dos.constData() + 0x3C);
    if (peOffset > size - 24 || !file.seek(peOffset))
        return size;
    const QByteArray headers = file.read(24 + 240);
    if (headers.size() < 24 + 2 || !headers.startsWith(QByteArray("PE\0\0", 4)))
        return size;
    // The optional header's data directories: the security entry is the
    // fifth, at 128 (PE32) or 144 (PE32+) bytes into the optional header.
    const quint16 magic = qFromLittleEndian<quint16>(headers.constData() + 24);
    const int entry = 24 + (magic == 0x20b ? 144 : 128);
    if (headers.size() < entry + 8)
        return size;
    const quint32 tableOffset = qFromLittleEndian<quint32>(headers.constData() + entry);
    const quint32 tableSize = qFromLittleEndian<quint32>(headers.constData() + entry + 4);
    if (tableOffset == 0 || tableSize == 0 || qint64(tableOffset) + tableSize != size)
        return size;
    return tableOffset;
}

} // namespace

QByteArray Bundle::read(const QString &programPath)
{
    QFile file(programPath);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    qint64 end = bundleEnd(file);
    // A signature is aligned to 8 bytes: up to 7 bytes of padding may stand
    // between the footer and the table.
    QByteArray footer;
    for (int padding = 0; padding < 8 && end - padding >= Bundle::footerSize; ++padding) {
        if (!file.seek(end - padding - Bundle::footerSize))
            return QByteArray();
        footer = file.read(Bundle::footerSize);
        if (footer.endsWith(Bundle::magic())) {
            end -= padding;
            break;
        }
        footer.clear();
    }
    if (footer.isEmpty())
        return QByteArray(); // no bundle: an installer shipped with files beside it

    const auto warn = [&programPath](const char *why) {
        qWarning().noquote() << "The bundle inside" << QDir::toNativeSeparators(programPath) << why
                             << "- it is not used";
        return QByteArray();
    };
    const quint64 payloadSize = qFromLittleEndian<quint64>(footer.constData());
    const quint32 formatVersion = qFromLittleEndian<quint32>(footer.constData() + 8);
    const QByteArray expected = footer.mid(16, 32);
    if (formatVersion != Bundle::version)
        return warn("has a format this installer does not know");
    const qint64 start = end - Bundle::footerSize - qint64(payloadSize);
    if (payloadSize == 0 || payloadSize > quint64(end) || start < 0 || !file.seek(start))
        return warn("is cut short");
    const QByteArray payload = file.read(qint64(payloadSize));
    if (payload.size() != qint64(payloadSize))
        return warn("is cut short");
    if (QCryptographicHash::hash(payload, QCryptographicHash::Sha256) != expected)
        return warn("is damaged");
    return payload;
}

namespace {

bool &registered()
{
    static bool done = false;
    return done;
}

} // namespace

bool Bundle::registerFrom(const QString &programPath)
{
    if (registered())
        return true;
    // Qt reads registered resource data in place: it lives as long as the
    // process.
    static QByteArray data;
    data = read(programPath);
    if (data.isEmpty())
        return false;
    if (!QResource::registerResource(reinterpret_cast<const uchar *>(data.constData()),
                                     bundleRoot)) {
        qWarning().noquote() << "The bundle inside" << QDir::toNativeSeparators(programPath)
                             << "is not a resource - it is not used";
        data.clear();
        return false;
    }
    registered() = true;
    return true;
}

bool Bundle::registerFromThisProgram()
{
    return registerFrom(QCoreApplication::applicationFilePath());
}

QString Bundle::bundled(const QString &relative)
{
    const QString path = QLatin1Char(':') + bundleRoot + QLatin1Char('/') + relative;
    return registered() && QFileInfo::exists(path) ? path : QString();
}

QString Bundle::locate(const QString &appDir, const QString &relative)
{
    const QString beside = QDir(appDir).absoluteFilePath(relative);
    if (QFileInfo::exists(beside))
        return beside;
    const QString inside = bundled(relative);
    return inside.isEmpty() ? beside : inside;
}
