#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// A minisign public key as the publisher writes it into settings.ini: the
// base64 line that "minisign -G" puts below the untrusted comment. It holds
// the algorithm ("Ed"), an 8-byte key id and the 32-byte Ed25519 key.
struct MinisignPublicKey
{
    QByteArray keyId;
    QByteArray key;

    bool isValid() const { return keyId.size() == 8 && key.size() == 32; }

    // An invalid key when text is not such a line.
    static MinisignPublicKey parse(const QString &text);
    // The comma-separated keys of packagePublicKey, in order; false when any
    // of them is not a key (a key that cannot be read must not be skipped
    // quietly: the publisher meant to require a signature).
    static bool parseList(const QString &text, QList<MinisignPublicKey> *keys);
};
