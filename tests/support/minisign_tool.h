#pragma once

#include <QString>

// Debian's minisign program, the reference signer: tests make their keys and
// signatures with it, never with the installer's own code.
struct MinisignKeyPair
{
    QString publicKeyLine; // the base64 line that goes into packagePublicKey
    QString secretKeyPath;

    // A new unencrypted key pair in folder, its files named after name.
    static MinisignKeyPair generate(const QString &folder, const QString &name);
    bool isValid() const { return !publicKeyLine.isEmpty(); }

    // Writes signaturePath (default: file + ".minisig"); prehashed is the
    // default form of minisign, legacy signs the whole file.
    bool sign(const QString &file, bool prehashed = true, const QString &signaturePath = QString(),
              const QString &trustedComment = QString()) const;
};
