#include "engine/trust/signed_claims.h"

#include <QList>

SignedClaims SignedClaims::fromTrustedComment(const QByteArray &comment)
{
    const char separator = comment.contains('\t') ? '\t' : ' ';
    SignedClaims claims;
    for (const QByteArray &field : comment.split(separator)) {
        const int colon = field.indexOf(':');
        if (colon <= 0)
            continue;
        const QByteArray name = field.left(colon);
        const QString value = QString::fromUtf8(field.mid(colon + 1)).trimmed();
        if (name == "file")
            claims.file = value;
        else if (name == "product")
            claims.product = value;
        else if (name == "version")
            claims.version = value;
    }
    return claims;
}

QString SignedClaims::mismatch(const SignedClaims &expected) const
{
    if (!file.isEmpty() && file != expected.file)
        return tr("The package's signature is for the file \"%1\", not for \"%2\": the server may "
                  "be sending another package under this name.")
            .arg(file, expected.file);
    if (!product.isEmpty() && product != expected.product)
        return tr("The package's signature is for the product \"%1\", not for \"%2\".")
            .arg(product, expected.product);
    if (!version.isEmpty() && version != expected.version)
        return tr("The package's signature is for version %1, not for version %2: the server may "
                  "be sending an older package.")
            .arg(version, expected.version);
    return QString();
}
