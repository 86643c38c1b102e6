#pragma once

#include <QSslConfiguration>
#include <QString>

// While it lives, the process's default TLS configuration also trusts the
// certificate at certificatePath (a TestCertificate, usually), so that code
// using the default, as the download does, accepts the local test server.
// The configuration from before comes back when it goes, also when a check
// returns early.
//
//     ScopedCertificateTrust trust(certificate.certificatePath);
//     QVERIFY(trust.isValid());
class ScopedCertificateTrust
{
public:
    explicit ScopedCertificateTrust(const QString &certificatePath)
        : m_original(QSslConfiguration::defaultConfiguration())
    {
        QSslConfiguration trusting = m_original;
        m_valid = trusting.addCaCertificates(certificatePath);
        QSslConfiguration::setDefaultConfiguration(trusting);
    }
    ~ScopedCertificateTrust() { QSslConfiguration::setDefaultConfiguration(m_original); }
    ScopedCertificateTrust(const ScopedCertificateTrust &) = delete;
    ScopedCertificateTrust &operator=(const ScopedCertificateTrust &) = delete;

    // False when the certificate could not be read: nothing more is trusted.
    bool isValid() const { return m_valid; }

private:
    QSslConfiguration m_original;
    bool m_valid = false;
};
