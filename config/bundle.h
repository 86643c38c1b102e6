#pragma once

#include <QByteArray>
#include <QString>

// Settings, translations and the style resource that a publisher carries
// inside the program itself, so that the installer can ship as one file
// (scripts/make-installer.sh appends them). The bundle is a Qt binary
// resource placed after the program's own bytes and before an Authenticode
// signature, followed by a footer:
//
//     [program][resource][padding to 8 bytes][footer: size, version, SHA-256, "INSTBNDL"]
//
// Its files appear under ":/bundle/" (":/bundle/settings.ini",
// ":/bundle/resources/translations/...", ...). A file beside the program
// still wins over the bundled one, item by item (locate()). A bundle that is
// damaged or cut short is not used at all, with a warning.
class Bundle
{
public:
    // Registers the bundle that programPath carries, once per process; false
    // when it carries none or a damaged one.
    static bool registerFrom(const QString &programPath);
    // The same for the running program.
    static bool registerFromThisProgram();
    // The bundle's resource data that programPath carries, checked whole;
    // empty when it carries none or a damaged one (then with a warning).
    static QByteArray read(const QString &programPath);

    // The file at relative (e.g. "settings.ini") beside the program in
    // appDir when it exists there, else the bundled one when the bundle
    // holds it, else the path beside the program (which does not exist).
    static QString locate(const QString &appDir, const QString &relative);
    // The bundled file's path, or empty when the bundle has none.
    static QString bundled(const QString &relative);

    // The footer's last bytes; the rest of it is the payload's size (8 bytes,
    // little-endian), the format version (4) and a reserved word (4), then
    // the payload's SHA-256 (32).
    static QByteArray magic() { return QByteArrayLiteral("INSTBNDL"); }
    static constexpr int footerSize = 8 + 4 + 4 + 32 + 8;
    static constexpr quint32 version = 1;
};
