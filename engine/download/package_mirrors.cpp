#include "engine/download/package_mirrors.h"

QStringList packageMirrors(const QString &packageUrl)
{
    QStringList mirrors;
    const QStringList parts = packageUrl.split(QLatin1Char(','));
    for (const QString &part : parts) {
        const QString url = part.trimmed();
        if (!url.isEmpty())
            mirrors.append(url);
    }
    return mirrors;
}

QUrl signatureUrl(const QUrl &packageUrl)
{
    // On the path, not the whole text: a query stays a query.
    QUrl url = packageUrl;
    url.setPath(url.path(QUrl::FullyEncoded) + QStringLiteral(".minisig"), QUrl::TolerantMode);
    return url;
}
