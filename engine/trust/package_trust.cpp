#include "engine/trust/package_trust.h"

#include "engine/trust/minisign_signature.h"
#include "engine/trust/package_digest.h"
#include "engine/trust/signature_verifier.h"

#include <QRegularExpression>

PackageTrust::PackageTrust(const QString &sha256Hex, const QString &publicKeys)
{
    const QString hex = sha256Hex.trimmed();
    if (!hex.isEmpty()) {
        static const QRegularExpression sha256Pattern(QStringLiteral("^[0-9A-Fa-f]{64}$"));
        if (sha256Pattern.match(hex).hasMatch())
            m_sha256 = QByteArray::fromHex(hex.toLatin1());
        else
            m_settingsProblem = tr("The package checksum in settings.ini (packageSha256) is not "
                                   "64 hexadecimal digits.");
    }
    if (!MinisignPublicKey::parseList(publicKeys, &m_keys)) {
        m_keys.clear();
        m_settingsProblem = tr("A public key in settings.ini (packagePublicKey) is not a minisign "
                               "public key.");
    } else if (m_keys.size() > maximumKeys) {
        m_keys.clear();
        m_settingsProblem = tr("settings.ini names more than %1 public keys (packagePublicKey).")
                                .arg(maximumKeys);
    }
}

QString PackageTrust::damagedMessage()
{
    return tr("The downloaded package is damaged: it is not the file the publisher released.");
}

QString PackageTrust::missingSignatureMessage()
{
    return tr("The package has no signature, so it cannot be trusted.");
}

QString PackageTrust::resultMessage(int result)
{
    switch (result) {
    case SignatureVerifier::Valid:
        return QString();
    case SignatureVerifier::Malformed:
        return tr("The package's signature is damaged or not a minisign signature.");
    case SignatureVerifier::UnknownKey:
        return tr("The package is signed with a key that this installer does not trust.");
    default:
        return tr("The package's signature does not match it: the package may have been "
                  "altered.");
    }
}

QString PackageTrust::signatureFileProblem(const QByteArray &signatureFile) const
{
    return resultMessage(
        SignatureVerifier(m_keys).precheck(MinisignSignature::parse(signatureFile)));
}

void PackageTrust::setExpectedClaims(const QString &product, const QString &version)
{
    m_expected.product = product;
    m_expected.version = version;
}

QString PackageTrust::check(const PackageDigest &digest, const QByteArray &signatureFile,
                            const QString &packagePath, const QString &fileName) const
{
    if (wantsSha256() && digest.sha256() != m_sha256)
        return damagedMessage();
    if (!wantsSignature())
        return QString();
    const MinisignSignature signature = MinisignSignature::parse(signatureFile);
    const QString problem = resultMessage(
        SignatureVerifier(m_keys).verify(signature, digest.blake2b512(), packagePath));
    if (!problem.isEmpty())
        return problem;
    // Only now is the trusted comment known to be the publisher's.
    SignedClaims expected = m_expected;
    expected.file = fileName;
    return SignedClaims::fromTrustedComment(signature.trustedComment).mismatch(expected);
}
