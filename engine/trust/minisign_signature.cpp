#include "engine/trust/minisign_signature.h"

#include <QList>

namespace {

const int algorithmSize = 2;
const int keyIdSize = 8;
const int signatureSize = 64;
const QByteArray untrustedPrefix = QByteArrayLiteral("untrusted comment: ");
const QByteArray trustedPrefix = QByteArrayLiteral("trusted comment: ");

QByteArray decodeBase64(const QByteArray &line)
{
    const QByteArray::FromBase64Result decoded
        = QByteArray::fromBase64Encoding(line.trimmed(), QByteArray::AbortOnBase64DecodingErrors);
    return decoded ? decoded.decoded : QByteArray();
}

} // namespace

MinisignSignature MinisignSignature::parse(const QByteArray &data)
{
    MinisignSignature result;
    if (data.size() > maximumFileSize)
        return result;
    QList<QByteArray> lines = data.split('\n');
    // Written on Windows, lines may end in CR LF; a last line break is usual.
    for (QByteArray &line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    if (lines.size() != 4 || !lines.at(0).startsWith(untrustedPrefix)
        || !lines.at(2).startsWith(trustedPrefix))
        return result;

    const QByteArray first = decodeBase64(lines.at(1));
    const QByteArray global = decodeBase64(lines.at(3));
    if (first.size() != algorithmSize + keyIdSize + signatureSize || global.size() != signatureSize)
        return result;
    const QByteArray algorithm = first.left(algorithmSize);
    if (algorithm != "Ed" && algorithm != "ED")
        return result;

    result.prehashed = algorithm == "ED";
    result.keyId = first.mid(algorithmSize, keyIdSize);
    result.signature = first.mid(algorithmSize + keyIdSize);
    result.trustedComment = lines.at(2).mid(trustedPrefix.size());
    result.globalSignature = global;
    result.valid = true;
    return result;
}
