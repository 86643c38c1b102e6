// libFuzzer target for reading settings.ini, the publisher's file beside the
// program, which a user or a damaged download may have changed. Whatever the
// bytes: the reading ends with a record; the install folder is the product's
// own folder directly below the programs folder, or empty when the product's
// name cannot be one; a byte-order mark in front changes nothing; and the
// rule for single names turns any name into a valid one or into nothing.
#include "config/installer_config.h"
#include "config/single_name.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

const QString programFiles = QStringLiteral("/fuzz/Programs");

void require(bool condition, const char *what, const QString &detail = QString())
{
    if (condition)
        return;
    std::fprintf(stderr, "fuzz_settings: %s %s\n", what, qPrintable(detail));
    std::abort();
}

InstallerConfig readOnce(const QTemporaryDir &folder, const QByteArray &text)
{
    // A new name each time, so that nothing read before can stand in for
    // the new bytes.
    static quint64 serial = 0;
    const QString path = folder.path() + QStringLiteral("/settings-%1.ini").arg(++serial);
    {
        QFile file(path);
        require(file.open(QIODevice::WriteOnly) && file.write(text) == text.size(), "cannot write",
                path);
    }
    const InstallerConfig config = readInstallerConfig(path, programFiles);
    QFile::remove(path);
    return config;
}

bool sameRecord(const InstallerConfig &a, const InstallerConfig &b)
{
    return a.productName == b.productName && a.productText == b.productText
        && a.productVersion == b.productVersion && a.publisher == b.publisher
        && a.protocol == b.protocol && a.protocolDescription == b.protocolDescription
        && a.programName == b.programName && a.userProtocolUrl == b.userProtocolUrl
        && a.supportUrl == b.supportUrl && a.packageUrl == b.packageUrl
        && a.packageSha256 == b.packageSha256 && a.packagePublicKey == b.packagePublicKey
        && a.installDir == b.installDir && a.bytesTotal == b.bytesTotal;
}

void checkSingleName(const QString &name)
{
    for (const SingleName::System system :
         { SingleName::System::Windows, SingleName::System::Unix }) {
        const QString made = SingleName::madeValid(name, system);
        require(made.isEmpty() || SingleName::isValid(made, system),
                "made into an invalid name:", made);
        require(!SingleName::isValid(name, system) || made == name,
                "a valid name was changed:", name);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // The reading warns about unusable names; millions of warnings would
    // only slow the run down.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir folder;
    require(folder.isValid(), "no temporary folder");
    const QByteArray text(reinterpret_cast<const char *>(data), int(size));

    const InstallerConfig config = readOnce(folder, text);
    if (config.hasUsableProductName()) {
        const QFileInfo installDir(config.installDir);
        require(installDir.path() == programFiles && installDir.fileName() == config.productName,
                "an install folder that is not the product's own:", config.installDir);
    } else {
        require(config.installDir.isEmpty(),
                "an install folder without a usable name:", config.installDir);
    }

    static const QByteArray mark("\xEF\xBB\xBF");
    if (!text.startsWith(mark))
        require(sameRecord(config, readOnce(folder, mark + text)),
                "a byte-order mark changes what is read");

    checkSingleName(config.productName);
    checkSingleName(config.programName);
    return 0;
}
