#pragma once

#include "engine/trust/minisign_public_key.h"
#include "engine/trust/signed_claims.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QList>
#include <QString>

class PackageDigest;

// What the publisher asks of a downloaded package before anything of it is
// unpacked: its SHA-256 (packageSha256) and a minisign signature by one of
// up to three keys (packagePublicKey). Turns the settings and the checks'
// results into messages a user understands.
class PackageTrust
{
    Q_DECLARE_TR_FUNCTIONS(PackageTrust)

public:
    static constexpr int maximumKeys = 3;

    // Empty texts ask for nothing.
    PackageTrust(const QString &sha256Hex = QString(), const QString &publicKeys = QString());

    // Empty when the settings can be used; otherwise why not. Settings that
    // ask for a check but cannot be read must not install without it.
    QString settingsProblem() const { return m_settingsProblem; }
    bool wantsSha256() const { return !m_sha256.isEmpty(); }
    bool wantsSignature() const { return !m_keys.isEmpty(); }

    // Empty when signatureFile (a ".minisig" as downloaded) can be checked:
    // a minisign signature by one of the trusted keys. Lets a download leave
    // a mirror without a usable signature before fetching the package.
    QString signatureFileProblem(const QByteArray &signatureFile) const;

    // What a signature must be for, where its trusted comment says: the
    // product and version settings.ini names. The file is the one
    // downloaded, given to check().
    void setExpectedClaims(const QString &product, const QString &version);

    // Empty when the package passes every check asked for; otherwise the
    // message for the user. signatureFile is the ".minisig" as downloaded,
    // fileName the package's name in its URL.
    QString check(const PackageDigest &digest, const QByteArray &signatureFile,
                  const QString &packagePath, const QString &fileName) const;

    static QString damagedMessage();
    static QString missingSignatureMessage();

private:
    static QString resultMessage(int result);

    QByteArray m_sha256;
    QList<MinisignPublicKey> m_keys;
    SignedClaims m_expected;
    QString m_settingsProblem;
};
