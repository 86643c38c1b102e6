#pragma once

#include <QString>

// A throw-away self-signed certificate for 127.0.0.1 and localhost, made with
// the openssl command line tool for TLS tests.
struct TestCertificate
{
    QString certificatePath; // PEM
    QString keyPath; // PEM, RSA, unencrypted

    // Writes cert.pem and key.pem into folder; false if openssl fails.
    bool create(const QString &folder);
};
