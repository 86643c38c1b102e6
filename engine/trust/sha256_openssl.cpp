#include "engine/trust/sha256.h"

#include <openssl/evp.h>

struct Sha256::State
{
    EVP_MD_CTX *context = EVP_MD_CTX_new();
    bool ok = false;

    ~State() { EVP_MD_CTX_free(context); }
};

Sha256::Sha256()
    : m_state(new State)
{
    reset();
}

Sha256::~Sha256() = default;

void Sha256::reset()
{
    m_state->ok
        = m_state->context && EVP_DigestInit_ex(m_state->context, EVP_sha256(), nullptr) == 1;
}

void Sha256::addData(const char *data, qint64 length)
{
    if (m_state->ok && length > 0)
        m_state->ok = EVP_DigestUpdate(m_state->context, data, static_cast<size_t>(length)) == 1;
}

QByteArray Sha256::result() const
{
    if (!m_state->ok)
        return QByteArray();
    // Finished on a copy, so that the stream can go on.
    State copy;
    unsigned int size = 0;
    QByteArray digest(EVP_MAX_MD_SIZE, Qt::Uninitialized);
    if (!copy.context || EVP_MD_CTX_copy_ex(copy.context, m_state->context) != 1
        || EVP_DigestFinal_ex(copy.context, reinterpret_cast<unsigned char *>(digest.data()), &size)
            != 1)
        return QByteArray();
    digest.resize(static_cast<int>(size));
    return digest;
}
