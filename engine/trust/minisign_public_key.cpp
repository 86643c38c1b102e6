#include "engine/trust/minisign_public_key.h"

#include <QStringList>

namespace {

const int algorithmSize = 2;
const int keyIdSize = 8;
const int keySize = 32;

} // namespace

MinisignPublicKey MinisignPublicKey::parse(const QString &text)
{
    MinisignPublicKey result;
    const QByteArray::FromBase64Result decoded = QByteArray::fromBase64Encoding(
        text.trimmed().toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || decoded.decoded.size() != algorithmSize + keyIdSize + keySize
        || !decoded.decoded.startsWith("Ed"))
        return result;
    result.keyId = decoded.decoded.mid(algorithmSize, keyIdSize);
    result.key = decoded.decoded.mid(algorithmSize + keyIdSize);
    return result;
}

bool MinisignPublicKey::parseList(const QString &text, QList<MinisignPublicKey> *keys)
{
    keys->clear();
    const QStringList parts = text.split(QLatin1Char(','));
    for (const QString &part : parts) {
        if (part.trimmed().isEmpty())
            continue;
        const MinisignPublicKey key = parse(part);
        if (!key.isValid())
            return false;
        keys->append(key);
    }
    return true;
}
