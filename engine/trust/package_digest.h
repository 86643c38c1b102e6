#pragma once

#include <QByteArray>
#include <QQueue>
#include <QtGlobal>

#include "engine/trust/sha256.h"

#include <sodium.h>

#include <condition_variable>
#include <mutex>
#include <thread>

// The digests of a package, computed while it streams to disk so that it is
// never read a second time: SHA-256 (compared with packageSha256; the
// system's hash, see Sha256) and BLAKE2b-512 (what a pre-hashed minisign
// signature signs; libsodium). Each is only computed when asked for.
//
// Hashing runs on a thread of its own, so that it overlaps with receiving
// and writing instead of slowing the download down: addData() queues a copy
// of the data (waiting while more than a few megabytes are queued, so memory
// stays bounded) and the results wait for the queue to be hashed. Network
// reads are small; they are gathered into blocks of a megabyte, so that the
// thread wakes once per block, not once per read.
class PackageDigest
{
public:
    PackageDigest(bool sha256, bool blake2b512);
    ~PackageDigest();
    PackageDigest(const PackageDigest &) = delete;
    PackageDigest &operator=(const PackageDigest &) = delete;

    // Back to an empty stream, as for a download that starts over.
    void reset();
    void addData(const char *data, qint64 length);

    qint64 size() const { return m_size; }
    // The digests of everything added so far; empty when not computed.
    QByteArray sha256() const;
    QByteArray blake2b512() const;

private:
    void hashQueued();
    // Waits until everything queued has been hashed; returns with the lock.
    std::unique_lock<std::mutex> drained() const;

    const bool m_useSha256;
    const bool m_useBlake2b;
    qint64 m_size = 0;
    Sha256 m_sha256;
    crypto_generichash_state m_blake2b;

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    QQueue<QByteArray> m_queue;
    qint64 m_queuedBytes = 0;
    bool m_hashing = false;
    bool m_stopping = false;
    // Callers waiting for the results: the last, partial block is hashed too.
    mutable int m_drainers = 0;
    std::thread m_thread;
};
