// libFuzzer target for what a publisher or a mirror hands the trust checks:
// the public keys of settings.ini, a ".minisig" file and the claims of its
// trusted comment. Whatever the bytes: a signature or key that is taken
// apart has the sizes minisign gives it and reads back the same when written
// again, a key list is accepted only when every key in it is one, claims
// never mismatch themselves, and the two signatures the publisher's key
// really made (seeds prehashed_signature and legacy_signature) verify while
// nothing else does: not a changed comment, not a changed signature, not a
// key made of the input's own bytes.
#include "engine/trust/minisign_public_key.h"
#include "engine/trust/minisign_signature.h"
#include "engine/trust/signature_verifier.h"
#include "engine/trust/signed_claims.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <QTemporaryDir>

#include <sodium.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

// The fixed package (an empty zip) and the publisher's key and signatures of it, made with
// "minisign -G -W", "minisign -S" and "minisign -S -l".
const QByteArray package = QByteArray("PK\5\6") + QByteArray(18, '\0');
const QString publisherKey
    = QStringLiteral("RWR1qbYkGihdoHQqW7Pa3W8wrYGsiExgIb87CKelnRWmgAjgHLbCeeqf");
const QByteArray goodSignatures[] = {
    "untrusted comment: signature from minisign secret key\n"
    "RUR1qbYkGihdoPCSxOyZPulqyY33BZOPVjbUdKYEGblsKGUnfE+HmG2bo6ZVfiK8AzSUlkLtOBZ8W6PauPgX//"
    "xc0wB808I"
    "nAQ0=\n"
    "trusted comment: timestamp:1765180800\tfile:package.zip\tproduct:Velmar\tversion:2.3.4.5\n"
    "mcn5niJY83s8W3IxVCXoAH/Jj6kjIhnkbuG20rVKQOl3tUe7AvWkgijvUBQRi0jYc7YhhuT6IRx3fa/+GTPIBQ==\n",
    "untrusted comment: signature from minisign secret key\n"
    "RWR1qbYkGihdoA9pitobN0Sh6t/vGqpuKtPG/bW5AxZwZHfd/+hl3uLsZP4+UpaaVYSXC3edCHLcl/"
    "Xx8L3XxqRjEYZSOMJ"
    "zTwM=\n"
    "trusted comment: timestamp:1765180800 file:package.zip\n"
    "PGlNs47LSV0sRCbzLXdOV8SLAZId+5j0jxuVVyCAxSpi8jYeVURNRk+WBR0BhJ7NNClkJZZ3PfXmO7dElrIQDA==\n",
};

bool sameSignature(const MinisignSignature &a, const MinisignSignature &b)
{
    return a.valid == b.valid && a.prehashed == b.prehashed && a.keyId == b.keyId
        && a.signature == b.signature && a.trustedComment == b.trustedComment
        && a.globalSignature == b.globalSignature;
}

void require(bool condition, const char *what)
{
    if (condition)
        return;
    std::fprintf(stderr, "fuzz_minisign: %s\n", what);
    std::abort();
}

void checkKeys(const QString &text)
{
    const MinisignPublicKey key = MinisignPublicKey::parse(text);
    if (key.isValid()) {
        const QString again = QString::fromLatin1(("Ed" + key.keyId + key.key).toBase64());
        const MinisignPublicKey reread = MinisignPublicKey::parse(again);
        require(reread.keyId == key.keyId && reread.key == key.key, "a key reads back otherwise");
    } else {
        require(key.keyId.isEmpty() && key.key.isEmpty(), "half a key");
    }

    QList<MinisignPublicKey> keys;
    if (MinisignPublicKey::parseList(text, &keys)) {
        require(keys.size() <= text.count(QLatin1Char(',')) + 1, "more keys than parts");
        for (const MinisignPublicKey &each : keys)
            require(each.isValid(), "an invalid key in an accepted list");
    }
}

void checkClaims(const QByteArray &comment)
{
    const SignedClaims claims = SignedClaims::fromTrustedComment(comment);
    require(claims.mismatch(claims).isEmpty(), "claims that do not match themselves");
    SignedClaims other;
    other.file = claims.file + QLatin1Char('x');
    other.product = claims.product + QLatin1Char('x');
    other.version = claims.version + QLatin1Char('x');
    const bool claimsAny
        = !claims.file.isEmpty() || !claims.product.isEmpty() || !claims.version.isEmpty();
    require(claims.mismatch(other).isEmpty() != claimsAny,
            "a claim that does not notice a different value");
}

void checkSignature(const QByteArray &data, const QString &packagePath)
{
    const MinisignSignature signature = MinisignSignature::parse(data);
    if (!signature.valid)
        return;
    require(data.size() <= MinisignSignature::maximumFileSize, "an oversized file accepted");
    require(signature.keyId.size() == 8 && signature.signature.size() == 64
                && signature.globalSignature.size() == 64,
            "a signature of the wrong sizes");
    require(!signature.trustedComment.contains('\n'), "a trusted comment of several lines");

    const QByteArray algorithm = signature.prehashed ? "ED" : "Ed";
    const QByteArray again = "untrusted comment: again\n"
        + (algorithm + signature.keyId + signature.signature).toBase64() + "\ntrusted comment: "
        + signature.trustedComment + '\n' + signature.globalSignature.toBase64() + '\n';
    const MinisignSignature reread = MinisignSignature::parse(again);
    require(sameSignature(reread, signature), "a signature reads back otherwise");
    checkClaims(signature.trustedComment);

    // The publisher's key, and a key made of the input's own bytes under
    // the id the signature names: libsodium sees arbitrary points too.
    MinisignPublicKey fuzzed;
    fuzzed.keyId = signature.keyId;
    fuzzed.key = signature.globalSignature.left(32);
    const SignatureVerifier verifier({ MinisignPublicKey::parse(publisherKey), fuzzed });
    require(verifier.precheck(signature) == SignatureVerifier::Valid, "the named key not found");
    QByteArray digest(crypto_generichash_BYTES_MAX, Qt::Uninitialized);
    crypto_generichash(reinterpret_cast<unsigned char *>(digest.data()), size_t(digest.size()),
                       reinterpret_cast<const unsigned char *>(package.constData()),
                       size_t(package.size()), nullptr, 0);
    bool genuine = false;
    for (const QByteArray &good : goodSignatures)
        genuine = genuine || sameSignature(signature, MinisignSignature::parse(good));
    const bool verified
        = verifier.verify(signature, digest, packagePath) == SignatureVerifier::Valid;
    require(verified == genuine,
            genuine ? "the publisher's own signature fails"
                    : "a signature the publisher never made verifies");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // A legacy signature signs the package file as a whole.
    static QTemporaryDir folder;
    static const QString packagePath = [] {
        const QString path = folder.path() + QStringLiteral("/package.zip");
        QFile file(path);
        require(file.open(QIODevice::WriteOnly) && file.write(package) == package.size(),
                "no package");
        return path;
    }();
    require(sodium_init() >= 0, "libsodium cannot start");

    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    checkSignature(bytes, packagePath);
    checkKeys(QString::fromUtf8(bytes));
    checkClaims(bytes);
    return 0;
}
