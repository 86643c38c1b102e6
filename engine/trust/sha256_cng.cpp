#include "engine/trust/sha256.h"

#include <windows.h>

#include <bcrypt.h>

namespace {

constexpr ULONG digestSize = 32;

bool succeeded(NTSTATUS status)
{
    return status >= 0;
}

// One algorithm provider for the process; CNG's providers are thread-safe
// and meant to be shared.
BCRYPT_ALG_HANDLE provider()
{
    static const BCRYPT_ALG_HANDLE handle = [] {
        BCRYPT_ALG_HANDLE opened = nullptr;
        if (!succeeded(BCryptOpenAlgorithmProvider(&opened, BCRYPT_SHA256_ALGORITHM, nullptr, 0)))
            return BCRYPT_ALG_HANDLE(nullptr);
        return opened;
    }();
    return handle;
}

} // namespace

struct Sha256::State
{
    BCRYPT_HASH_HANDLE hash = nullptr;
    bool ok = false;

    void close()
    {
        if (hash)
            BCryptDestroyHash(hash);
        hash = nullptr;
    }
    ~State() { close(); }
};

Sha256::Sha256()
    : m_state(new State)
{
    reset();
}

Sha256::~Sha256() = default;

void Sha256::reset()
{
    m_state->close();
    // Without a hash object buffer, CNG allocates and frees its own.
    m_state->ok = provider()
        && succeeded(BCryptCreateHash(provider(), &m_state->hash, nullptr, 0, nullptr, 0, 0));
}

void Sha256::addData(const char *data, qint64 length)
{
    // BCryptHashData takes at most 4 GiB - 1 at a time.
    while (m_state->ok && length > 0) {
        const ULONG chunk = static_cast<ULONG>(qMin<qint64>(length, 0x40000000));
        m_state->ok = succeeded(BCryptHashData(
            m_state->hash, reinterpret_cast<PUCHAR>(const_cast<char *>(data)), chunk, 0));
        data += chunk;
        length -= chunk;
    }
}

QByteArray Sha256::result() const
{
    if (!m_state->ok)
        return QByteArray();
    // Finished on a duplicate, so that the stream can go on.
    BCRYPT_HASH_HANDLE copy = nullptr;
    if (!succeeded(BCryptDuplicateHash(m_state->hash, &copy, nullptr, 0, 0)))
        return QByteArray();
    QByteArray digest(digestSize, Qt::Uninitialized);
    const bool finished
        = succeeded(BCryptFinishHash(copy, reinterpret_cast<PUCHAR>(digest.data()), digestSize, 0));
    BCryptDestroyHash(copy);
    return finished ? digest : QByteArray();
}
