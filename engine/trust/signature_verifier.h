#pragma once

#include "engine/trust/minisign_public_key.h"
#include "engine/trust/minisign_signature.h"

#include <QByteArray>
#include <QList>
#include <QString>

// Checks a minisign signature of a package with libsodium: the signature of
// the package (or of its BLAKE2b-512 digest, for the pre-hashed form) by the
// trusted key whose id it names, and the global signature that binds the
// trusted comment to it. Plain inputs, no network.
class SignatureVerifier
{
public:
    enum Result {
        Valid,
        Malformed, // not a minisign signature
        UnknownKey, // signed by a key that is not among the trusted ones
        Invalid, // does not match the package or its trusted comment
    };

    explicit SignatureVerifier(const QList<MinisignPublicKey> &trustedKeys);

    // Malformed or UnknownKey when the signature cannot be checked at all,
    // else Valid (which verify() has yet to confirm).
    Result precheck(const MinisignSignature &signature) const;

    // blake2b512 is the package's digest (for "ED" signatures); packagePath
    // is read only for a legacy "Ed" signature, which signs the whole file.
    Result verify(const MinisignSignature &signature, const QByteArray &blake2b512,
                  const QString &packagePath) const;

private:
    const MinisignPublicKey *keyFor(const MinisignSignature &signature) const;

    QList<MinisignPublicKey> m_keys;
};
