#include "engine/trust/signature_verifier.h"

#include <QFile>

#include <sodium.h>

namespace {

const auto *bytes(const QByteArray &data)
{
    return reinterpret_cast<const unsigned char *>(data.constData());
}

bool verifyDetached(const QByteArray &signature, const unsigned char *message,
                    unsigned long long length, const QByteArray &key)
{
    return crypto_sign_verify_detached(bytes(signature), message, length, bytes(key)) == 0;
}

// A legacy signature covers the file itself. Mapped rather than read, so
// that a large package does not have to fit in memory.
bool verifyWholeFile(const QByteArray &signature, const QString &path, const QByteArray &key)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const qint64 size = file.size();
    if (size == 0) {
        static const unsigned char nothing = 0;
        return verifyDetached(signature, &nothing, 0, key);
    }
    const uchar *mapped = file.map(0, size);
    if (!mapped)
        return false;
    const bool good = verifyDetached(signature, mapped, static_cast<unsigned long long>(size), key);
    file.unmap(const_cast<uchar *>(mapped));
    return good;
}

} // namespace

SignatureVerifier::SignatureVerifier(const QList<MinisignPublicKey> &trustedKeys)
    : m_keys(trustedKeys)
{
    if (sodium_init() < 0)
        qFatal("libsodium could not be initialised");
}

const MinisignPublicKey *SignatureVerifier::keyFor(const MinisignSignature &signature) const
{
    for (const MinisignPublicKey &key : m_keys) {
        if (key.isValid() && key.keyId == signature.keyId)
            return &key;
    }
    return nullptr;
}

SignatureVerifier::Result SignatureVerifier::precheck(const MinisignSignature &signature) const
{
    if (!signature.valid)
        return Malformed;
    return keyFor(signature) ? Valid : UnknownKey;
}

SignatureVerifier::Result SignatureVerifier::verify(const MinisignSignature &signature,
                                                    const QByteArray &blake2b512,
                                                    const QString &packagePath) const
{
    const Result usable = precheck(signature);
    if (usable != Valid)
        return usable;
    const MinisignPublicKey *trusted = keyFor(signature);

    bool good = false;
    if (signature.prehashed) {
        good = blake2b512.size() == crypto_generichash_BYTES_MAX
            && verifyDetached(signature.signature, bytes(blake2b512),
                              static_cast<unsigned long long>(blake2b512.size()), trusted->key);
    } else {
        good = verifyWholeFile(signature.signature, packagePath, trusted->key);
    }
    if (!good)
        return Invalid;

    // The trusted comment is trusted only because this binds it to the
    // signature; a signature whose comment was edited is no signature.
    const QByteArray commentSigned = signature.signature + signature.trustedComment;
    if (!verifyDetached(signature.globalSignature, bytes(commentSigned),
                        static_cast<unsigned long long>(commentSigned.size()), trusted->key))
        return Invalid;
    return Valid;
}
