#include "engine/download/range_resume.h"

#include <QNetworkRequest>
#include <QRegularExpression>

void RangeResume::keep(qint64 bytes, const QByteArray &etag, const QByteArray &lastModified,
                       const QByteArray &contentEncoding)
{
    clear();
    const QByteArray encoding = contentEncoding.trimmed().toLower();
    if (!encoding.isEmpty() && encoding != "identity")
        return;
    m_bytes = bytes;
    // A weak ETag ("W/...") may not be used in If-Range.
    if (!etag.trimmed().startsWith("W/"))
        m_etag = etag.trimmed();
    m_lastModified = lastModified.trimmed();
}

void RangeResume::clear()
{
    m_bytes = 0;
    m_etag.clear();
    m_lastModified.clear();
}

QByteArray RangeResume::validator() const
{
    return m_etag.isEmpty() ? m_lastModified : m_etag;
}

void RangeResume::applyTo(QNetworkRequest &request) const
{
    if (!canResume())
        return;
    request.setRawHeader("Range", "bytes=" + QByteArray::number(m_bytes) + '-');
    request.setRawHeader("If-Range", validator());
    // Offsets count the file's own bytes, not those of a compressed form.
    request.setRawHeader("Accept-Encoding", "identity");
}

RangeResume::Decision RangeResume::decide(int status, const QByteArray &contentRange,
                                          const QByteArray &etag,
                                          const QByteArray &lastModified) const
{
    if (status == 200)
        return StartOver;
    if (status != 206 || !canResume())
        return Refetch;

    // "bytes <first>-<last>/<length or *>": the rest, from exactly our offset.
    static const QRegularExpression rangePattern(
        QStringLiteral("^bytes\\s+(\\d+)-(\\d+)/(\\d+|\\*)$"));
    const QRegularExpressionMatch match
        = rangePattern.match(QString::fromLatin1(contentRange.trimmed()));
    if (!match.hasMatch())
        return Refetch;
    // Numbers that do not fit, or a range that runs backwards, describe no
    // part of any file.
    bool firstOk = false;
    bool lastOk = false;
    const qint64 first = match.captured(1).toLongLong(&firstOk);
    const qint64 last = match.captured(2).toLongLong(&lastOk);
    if (!firstOk || !lastOk || first != m_bytes || last < first)
        return Refetch;
    if (match.captured(3) != QLatin1String("*")) {
        bool lengthOk = false;
        const qint64 length = match.captured(3).toLongLong(&lengthOk);
        if (!lengthOk || last != length - 1)
            return Refetch;
    }

    // A server that ignored If-Range gives itself away by a new validator.
    if (!m_etag.isEmpty() && etag.trimmed() != m_etag)
        return Refetch;
    if (m_etag.isEmpty() && !lastModified.isEmpty() && lastModified.trimmed() != m_lastModified)
        return Refetch;
    return Append;
}
