#include "engine/package_digest.h"

PackageDigest::PackageDigest(bool sha256, bool blake2b512)
    : m_useSha256(sha256)
    , m_useBlake2b(blake2b512)
{
    // Safe to call again and from any thread; picks the fastest code paths.
    if (sodium_init() < 0)
        qFatal("libsodium could not be initialised");
    reset();
}

void PackageDigest::reset()
{
    m_size = 0;
    crypto_hash_sha256_init(&m_sha256);
    crypto_generichash_init(&m_blake2b, nullptr, 0, crypto_generichash_BYTES_MAX);
}

void PackageDigest::addData(const char *data, qint64 length)
{
    const auto *bytes = reinterpret_cast<const unsigned char *>(data);
    const auto count = static_cast<unsigned long long>(length);
    if (m_useSha256)
        crypto_hash_sha256_update(&m_sha256, bytes, count);
    if (m_useBlake2b)
        crypto_generichash_update(&m_blake2b, bytes, count);
    m_size += length;
}

QByteArray PackageDigest::sha256() const
{
    if (!m_useSha256)
        return QByteArray();
    // Finished on a copy, so the stream can go on (a resumed download).
    crypto_hash_sha256_state state = m_sha256;
    QByteArray digest(crypto_hash_sha256_BYTES, Qt::Uninitialized);
    crypto_hash_sha256_final(&state, reinterpret_cast<unsigned char *>(digest.data()));
    return digest;
}

QByteArray PackageDigest::blake2b512() const
{
    if (!m_useBlake2b)
        return QByteArray();
    crypto_generichash_state state = m_blake2b;
    QByteArray digest(crypto_generichash_BYTES_MAX, Qt::Uninitialized);
    crypto_generichash_final(&state, reinterpret_cast<unsigned char *>(digest.data()),
                             digest.size());
    return digest;
}
