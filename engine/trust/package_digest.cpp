#include "engine/trust/package_digest.h"

namespace {

// Enough to ride out a burst from the network; the download waits beyond it.
const qint64 maximumQueuedBytes = 16 * 1024 * 1024;
// What the hashing thread takes at a time.
const int blockBytes = 1024 * 1024;

} // namespace

PackageDigest::PackageDigest(bool sha256, bool blake2b512)
    : m_useSha256(sha256)
    , m_useBlake2b(blake2b512)
{
    // Safe to call again and from any thread; picks the fastest code paths.
    if (sodium_init() < 0)
        qFatal("libsodium could not be initialised");
    crypto_generichash_init(&m_blake2b, nullptr, 0, crypto_generichash_BYTES_MAX);
    if (m_useSha256 || m_useBlake2b)
        m_thread = std::thread(&PackageDigest::hashQueued, this);
}

PackageDigest::~PackageDigest()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void PackageDigest::hashQueued()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] {
            return m_stopping || m_queuedBytes >= blockBytes
                || (m_drainers > 0 && !m_queue.isEmpty());
        });
        if (m_stopping)
            return;
        const QByteArray data = m_queue.dequeue();
        m_hashing = true;
        lock.unlock();
        // The states are this thread's alone while it hashes.
        const auto *bytes = reinterpret_cast<const unsigned char *>(data.constData());
        const auto count = static_cast<unsigned long long>(data.size());
        if (m_useSha256)
            m_sha256.addData(data.constData(), data.size());
        if (m_useBlake2b)
            crypto_generichash_update(&m_blake2b, bytes, count);
        lock.lock();
        m_hashing = false;
        m_queuedBytes -= data.size();
        m_changed.notify_all();
    }
}

std::unique_lock<std::mutex> PackageDigest::drained() const
{
    std::unique_lock<std::mutex> lock(m_mutex);
    ++m_drainers;
    m_changed.notify_all();
    m_changed.wait(lock, [this] { return m_queue.isEmpty() && !m_hashing; });
    --m_drainers;
    return lock;
}

void PackageDigest::reset()
{
    const std::unique_lock<std::mutex> lock = drained();
    m_size = 0;
    m_sha256.reset();
    crypto_generichash_init(&m_blake2b, nullptr, 0, crypto_generichash_BYTES_MAX);
}

void PackageDigest::addData(const char *data, qint64 length)
{
    m_size += length;
    if (!m_thread.joinable() || length <= 0)
        return;
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [this] { return m_queuedBytes < maximumQueuedBytes; });
    // The thread has taken every block but the last; the last grows until full.
    if (!m_queue.isEmpty() && m_queue.last().size() < blockBytes)
        m_queue.last().append(data, static_cast<int>(length));
    else
        m_queue.enqueue(QByteArray(data, static_cast<int>(length)));
    const bool blockFull = m_queuedBytes < blockBytes && m_queuedBytes + length >= blockBytes;
    m_queuedBytes += length;
    lock.unlock();
    if (blockFull)
        m_changed.notify_all();
}

QByteArray PackageDigest::sha256() const
{
    if (!m_useSha256)
        return QByteArray();
    const std::unique_lock<std::mutex> lock = drained();
    // The stream can go on after it (a resumed download).
    return m_sha256.result();
}

QByteArray PackageDigest::blake2b512() const
{
    if (!m_useBlake2b)
        return QByteArray();
    const std::unique_lock<std::mutex> lock = drained();
    crypto_generichash_state state = m_blake2b;
    QByteArray digest(crypto_generichash_BYTES_MAX, Qt::Uninitialized);
    crypto_generichash_final(&state, reinterpret_cast<unsigned char *>(digest.data()),
                             digest.size());
    return digest;
}
