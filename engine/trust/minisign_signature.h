#pragma once

#include <QByteArray>

// A detached minisign signature (a ".minisig" file) taken apart. Four lines:
//   untrusted comment: <text>
//   <base64 of algorithm, 8-byte key id, 64-byte Ed25519 signature>
//   trusted comment: <text>
//   <base64 of the 64-byte global signature of signature + trusted comment>
// The algorithm is "Ed" (the file itself is signed) or "ED" (its BLAKE2b-512
// digest is signed, the default of current minisign).
struct MinisignSignature
{
    bool valid = false;
    bool prehashed = false;
    QByteArray keyId;
    QByteArray signature;
    QByteArray trustedComment;
    QByteArray globalSignature;

    // Larger files are not signatures; they are not read any further.
    static constexpr int maximumFileSize = 8192;

    // valid is false when data is not a signature file of this form.
    static MinisignSignature parse(const QByteArray &data);
};
