#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <sodium.h>

// The digests of a package, computed while it streams to disk so that it is
// never read a second time: SHA-256 (compared with packageSha256) and
// BLAKE2b-512 (what a pre-hashed minisign signature signs). Each is only
// computed when asked for.
class PackageDigest
{
public:
    PackageDigest(bool sha256, bool blake2b512);

    // Back to an empty stream, as for a download that starts over.
    void reset();
    void addData(const char *data, qint64 length);

    qint64 size() const { return m_size; }
    // The digests of everything added so far; empty when not computed.
    QByteArray sha256() const;
    QByteArray blake2b512() const;

private:
    bool m_useSha256;
    bool m_useBlake2b;
    qint64 m_size = 0;
    crypto_hash_sha256_state m_sha256;
    crypto_generichash_state m_blake2b;
};
