#pragma once

#include <QByteArray>

#include <memory>

// SHA-256 from the system's own tuned code, which uses the processor's SHA
// instructions where it has them: OpenSSL's libcrypto on Linux (the library
// Qt's TLS loads anyway), CNG (BCrypt) on Windows. At more than a gigabyte a
// second, checking a package costs no more than receiving it.
class Sha256
{
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256 &) = delete;
    Sha256 &operator=(const Sha256 &) = delete;

    // Starts over with an empty stream.
    void reset();
    void addData(const char *data, qint64 length);
    // The digest of everything added so far; the stream can go on after it.
    // Empty when the system's hash failed.
    QByteArray result() const;

private:
    struct State;
    std::unique_ptr<State> m_state;
};
