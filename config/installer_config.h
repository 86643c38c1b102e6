#pragma once

#include <QString>

// Everything that names the product being installed comes from settings.ini
// beside the executable; the wizard also keeps its run-time choices here so
// that pages and engine share them without passing them along.
struct InstallerConfig
{
    QString productName = QStringLiteral("Velmar");
    QString productText;
    QString productVersion = QStringLiteral("1.0.0.0");
    QString publisher;
    QString protocol = QStringLiteral("korvantvelmar");
    QString protocolDescription;
    QString programName = QStringLiteral("Velmar.exe");
    QString userProtocolUrl;
    QString supportUrl;
    // One URL, or several (mirrors, tried in order) separated by commas; a
    // URL that holds a comma itself stands in double quotes.
    QString packageUrl;
    // 64 hex digits: the package's SHA-256, checked before it is unpacked.
    QString packageSha256;
    // Up to three minisign public keys, comma-separated; the package must
    // carry a signature (URL + ".minisig") by one of them.
    QString packagePublicKey;
    QString installDir;
    quint64 bytesTotal = 0;
    bool autoStart = false;
    bool installSucceeded = false;
    // Installing for the current user only (the default folder is the
    // user's own programs folder and registration uses the user's keys),
    // because the invoking user cannot create folders in Program Files.
    bool perUserInstall = false;

    // Whether productName can be the product's folder and uninstall entry;
    // without one, installDir stays empty and nothing is installed.
    bool hasUsableProductName() const;

    // What the product is called where a name is shown (window title,
    // shortcuts, the list of installed programs): its display text, or its
    // name when the publisher gave no text.
    QString displayName() const { return productText.isEmpty() ? productName : productText; }
};

// Fills a record from the INI file at iniPath (a missing file leaves the
// defaults) and computes the default install folder below programFiles.
// perUserInstall says that programFiles is the user's own programs folder.
InstallerConfig readInstallerConfig(const QString &iniPath, const QString &programFiles,
                                    bool perUserInstall = false);

// The one configuration record of the process, read from settings.ini in the
// application folder on first use. Needs the application object to exist.
InstallerConfig *installerConfig();
