#include "engine/download/package_mirrors.h"

#include "config/single_name.h"
#include "engine/install_log.h"

QStringList packageMirrors(const QString &packageUrl)
{
    QStringList mirrors;
    QString current;
    bool quoted = false;
    const auto endOfUrl = [&mirrors, &current] {
        const QString url = current.trimmed();
        if (!url.isEmpty())
            mirrors.append(url);
        current.clear();
    };
    // A raw double quote cannot be part of a URL (it is written %22).
    for (const QChar c : packageUrl) {
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (c == QLatin1Char(',') && !quoted)
            endOfUrl();
        else
            current += c;
    }
    endOfUrl();
    return mirrors;
}

QUrl signatureUrl(const QUrl &packageUrl)
{
    // On the path, not the whole text: a query stays a query.
    QUrl url = packageUrl;
    url.setPath(url.path(QUrl::FullyEncoded) + QStringLiteral(".minisig"), QUrl::TolerantMode);
    return url;
}

QString packageFileName(const QString &url)
{
    const QString name
        = SingleName::madeValid(QUrl::fromUserInput(url).fileName(QUrl::FullyDecoded));
    // The download's temporary file adds ".tmp"; the run folder holds the
    // run's log, which the package must not replace.
    if (name.isEmpty() || !SingleName::isValid(name + QStringLiteral(".tmp"))
        || name.compare(InstallLog::fileName(), Qt::CaseInsensitive) == 0)
        return QStringLiteral("package.zip");
    return name;
}
