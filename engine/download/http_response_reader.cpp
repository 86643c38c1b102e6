#include "engine/download/http_response_reader.h"

#include <cstring>

namespace {

// The trimmed, lower-case items of a comma-separated header value.
QList<QByteArray> listItems(const QByteArray &value)
{
    QList<QByteArray> items;
    const QList<QByteArray> parts = value.split(',');
    for (const QByteArray &part : parts) {
        const QByteArray item = part.trimmed().toLower();
        if (!item.isEmpty())
            items.append(item);
    }
    return items;
}

bool isDecimal(const QByteArray &text)
{
    if (text.isEmpty())
        return false;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

// A line without its "\r\n" or "\n".
QByteArray withoutLineEnd(QByteArray line)
{
    line.chop(1);
    if (line.endsWith('\r'))
        line.chop(1);
    return line;
}

} // namespace

qint64 HttpResponseReader::feed(const char *data, qint64 size, QByteArray *body)
{
    switch (m_state) {
    case State::Head:
        return readHead(data, size);
    case State::Body:
        return readBody(data, size, body);
    case State::Complete:
        return size == 0 ? 0 : fail(tr("The server sent more data than it announced."));
    case State::Failed:
        break;
    }
    return -1;
}

bool HttpResponseReader::closeReceived()
{
    if (m_state == State::Body && m_body == Body::UntilClose)
        m_state = State::Complete;
    if (m_state == State::Complete)
        return true;
    if (m_state != State::Failed)
        fail(tr("The connection closed before the server's answer was complete."));
    return false;
}

QByteArray HttpResponseReader::header(const QByteArray &name) const
{
    QByteArray value;
    const QByteArray wanted = name.toLower();
    for (const auto &header : m_headers) {
        if (header.first != wanted)
            continue;
        if (!value.isEmpty())
            value += ", ";
        value += header.second;
    }
    return value;
}

qint64 HttpResponseReader::collectLine(const char *data, qint64 size, qint64 *budget, bool *ended)
{
    const char *newline = static_cast<const char *>(std::memchr(data, '\n', size_t(size)));
    const qint64 length = newline ? newline - data + 1 : size;
    if (length > *budget)
        return -1;
    *budget -= length;
    m_line.append(data, int(length));
    *ended = newline != nullptr;
    return length;
}

qint64 HttpResponseReader::readHead(const char *data, qint64 size)
{
    qint64 taken = 0;
    while (taken < size && m_state == State::Head) {
        bool ended = false;
        const qint64 length = collectLine(data + taken, size - taken, &m_headBudget, &ended);
        if (length < 0)
            return fail(
                tr("The server's answer has a header larger than %1 KiB.").arg(headLimit / 1024));
        taken += length;
        if (!ended)
            break;
        const QByteArray line = withoutLineEnd(m_line);
        m_line.clear();
        if (line.isEmpty() && m_statusSeen) {
            if (!endOfHead())
                return -1;
        } else if (!takeHeadLine(line)) {
            return -1;
        }
    }
    return taken;
}

bool HttpResponseReader::takeHeadLine(const QByteArray &line)
{
    if (!m_statusSeen) {
        // "HTTP/1.1 200 OK"; the reason phrase may be missing.
        const QList<QByteArray> parts = line.split(' ');
        if (!line.startsWith("HTTP/1.") || parts.size() < 2 || parts.at(1).size() != 3
            || !isDecimal(parts.at(1))) {
            fail(tr("The server's answer is not HTTP."));
            return false;
        }
        m_statusSeen = true;
        m_status = parts.at(1).toInt();
        m_reason = line.mid(parts.at(0).size() + 5).trimmed();
        return true;
    }
    if ((line.startsWith(' ') || line.startsWith('\t')) && !m_headers.isEmpty()) {
        // An old-style continuation of the previous header line.
        m_headers.last().second += ' ' + line.trimmed();
        return true;
    }
    const int colon = line.indexOf(':');
    if (colon > 0)
        m_headers.append({ line.left(colon).trimmed().toLower(), line.mid(colon + 1).trimmed() });
    return true;
}

bool HttpResponseReader::endOfHead()
{
    if (m_status >= 100 && m_status <= 199 && m_status != 101) {
        // An interim answer ("100 Continue"): the real one follows, within
        // the same head budget.
        m_statusSeen = false;
        m_headers.clear();
        return true;
    }
    if (m_status == 101) {
        fail(tr("The server's answer is not HTTP."));
        return false;
    }

    const bool success = m_status >= 200 && m_status <= 299;
    const QList<QByteArray> transfer = listItems(header("transfer-encoding"));
    for (const QByteArray &coding : transfer) {
        if (coding != "chunked" && coding != "identity" && success) {
            fail(tr("The server sent the file compressed (Transfer-Encoding: %1), which is "
                    "refused: the installer asks for the file as it is.")
                     .arg(QString::fromLatin1(header("transfer-encoding"))));
            return false;
        }
    }
    for (const QByteArray &coding : listItems(header("content-encoding"))) {
        if (coding != "identity" && success) {
            fail(tr("The server sent the file compressed (Content-Encoding: %1), which is "
                    "refused: the installer asks for the file as it is.")
                     .arg(QString::fromLatin1(header("content-encoding"))));
            return false;
        }
    }

    m_chunked = transfer.contains("chunked");
    const QList<QByteArray> lengths = header("content-length").split(',');
    if (!m_chunked && !header("content-length").isEmpty()) {
        for (const QByteArray &length : lengths) {
            bool ok = false;
            const qint64 value = length.trimmed().toLongLong(&ok);
            if (!ok || !isDecimal(length.trimmed()) || (m_length >= 0 && value != m_length)) {
                fail(tr("The server announced an unusable length (Content-Length: %1).")
                         .arg(QString::fromLatin1(header("content-length"))));
                return false;
            }
            m_length = value;
        }
    }

    m_state = State::Body;
    if (m_status == 204 || m_status == 304 || (!m_chunked && m_length == 0)) {
        m_state = State::Complete;
    } else if (m_chunked) {
        m_body = Body::Chunked;
        m_chunk = Chunk::SizeLine;
        m_remaining = chunkLineLimit;
    } else if (m_length > 0) {
        m_body = Body::Length;
        m_remaining = m_length;
    } else {
        m_body = Body::UntilClose;
    }
    return true;
}

qint64 HttpResponseReader::readBody(const char *data, qint64 size, QByteArray *body)
{
    switch (m_body) {
    case Body::Chunked:
        return readChunked(data, size, body);
    case Body::Length: {
        const qint64 length = qMin(size, m_remaining);
        body->append(data, int(length));
        m_remaining -= length;
        if (m_remaining == 0)
            m_state = State::Complete;
        return length;
    }
    case Body::UntilClose:
        body->append(data, int(size));
        return size;
    }
    return -1;
}

qint64 HttpResponseReader::readChunked(const char *data, qint64 size, QByteArray *body)
{
    qint64 taken = 0;
    while (taken < size && m_state == State::Body) {
        if (m_chunk == Chunk::Data) {
            const qint64 length = qMin(size - taken, m_remaining);
            body->append(data + taken, int(length));
            taken += length;
            m_remaining -= length;
            if (m_remaining == 0) {
                m_chunk = Chunk::DataEnd;
                m_remaining = chunkLineLimit;
            }
            continue;
        }
        // Trailers count against the head's budget; every other line has
        // its own small one (m_remaining, set when the line began).
        qint64 *budget = m_chunk == Chunk::Trailers ? &m_headBudget : &m_remaining;
        bool ended = false;
        const qint64 length = collectLine(data + taken, size - taken, budget, &ended);
        if (length < 0)
            return fail(tr("The server sent a malformed chunk."));
        taken += length;
        if (!ended)
            break;
        const QByteArray line = withoutLineEnd(m_line);
        m_line.clear();
        if (!takeChunkLine(line))
            return -1;
    }
    return taken;
}

bool HttpResponseReader::takeChunkLine(const QByteArray &line)
{
    switch (m_chunk) {
    case Chunk::SizeLine: {
        // "1a2b" or "1a2b;name=value"; leading zeros do not count.
        const int extension = line.indexOf(';');
        QByteArray digits = (extension < 0 ? line : line.left(extension)).trimmed();
        while (digits.size() > 1 && digits.startsWith('0'))
            digits.remove(0, 1);
        bool ok = false;
        const qint64 length = digits.toLongLong(&ok, 16);
        if (!ok || digits.size() > 15 || digits.startsWith('-') || digits.startsWith('+')) {
            fail(tr("The server sent a malformed chunk."));
            return false;
        }
        m_chunk = length == 0 ? Chunk::Trailers : Chunk::Data;
        m_remaining = length;
        return true;
    }
    case Chunk::DataEnd:
        if (!line.isEmpty()) {
            fail(tr("The server sent a malformed chunk."));
            return false;
        }
        m_chunk = Chunk::SizeLine;
        m_remaining = chunkLineLimit;
        return true;
    case Chunk::Trailers:
        if (line.isEmpty())
            m_state = State::Complete;
        return true;
    case Chunk::Data:
        break;
    }
    return false;
}

qint64 HttpResponseReader::fail(const QString &error)
{
    m_state = State::Failed;
    m_error = error;
    return -1;
}
