// libFuzzer target for continuing a broken download: what was kept of the
// first answer and the server's answer to the resuming request. Whatever the
// headers: bytes are appended only to a 206 whose Content-Range is exactly
// "bytes <kept>-<last>/<length or *>" with last >= kept, last + 1 == length
// when the length is given, every number within a file size, and a validator
// that still matches; a 200 always starts over.
//
// Input, one field per line (missing lines are empty):
//   kept bytes, kept ETag, kept Last-Modified, kept Content-Encoding,
//   answer status, Content-Range, ETag, Last-Modified
#include "engine/download/range_resume.h"

#include <QByteArray>
#include <QChar>
#include <QList>
#include <QNetworkRequest>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace {

void require(bool condition, const char *what)
{
    if (condition)
        return;
    std::fprintf(stderr, "fuzz_range_resume: %s\n", what);
    std::abort();
}

// A decimal number that fits a file offset, or -1.
qint64 offsetOf(const QByteArray &digits)
{
    if (digits.isEmpty())
        return -1;
    qint64 value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return -1;
        if (value > (std::numeric_limits<qint64>::max() - (c - '0')) / 10)
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

// Any white space between "bytes" and the numbers, as a lenient reader of
// Latin-1 headers may take it.
bool isSpace(char c)
{
    return QChar::fromLatin1(c).isSpace();
}

// Whether a Content-Range answers a request for everything from offset on.
bool isRestFrom(QByteArray range, qint64 offset)
{
    // Qt 5 reads a byte array as Latin-1 text up to its first NUL only; what
    // follows a NUL is not part of the header's text.
    if (range.contains('\0'))
        range.truncate(range.indexOf('\0'));
    range = range.trimmed();
    if (!range.startsWith("bytes") || range.size() < 6 || !isSpace(range.at(5)))
        return false;
    int at = 5;
    while (at < range.size() && isSpace(range.at(at)))
        ++at;
    const QByteArray rangeText = range.mid(at);
    const int dash = rangeText.indexOf('-');
    const int slash = rangeText.indexOf('/');
    if (dash < 0 || slash < dash)
        return false;
    const qint64 first = offsetOf(rangeText.left(dash));
    const qint64 last = offsetOf(rangeText.mid(dash + 1, slash - dash - 1));
    const QByteArray length = rangeText.mid(slash + 1);
    if (first != offset || last < first)
        return false;
    return length == "*"
        || (last < std::numeric_limits<qint64>::max() && offsetOf(length) == last + 1);
}

// Long runs may pass over ranges whose last byte lies before the first or
// beyond any file size (FUZZ_SKIP_REPORTED=1 in the environment) while a
// fault of that kind is known and being mended, so that they look for
// others instead of finding it again and again.
bool skipsReported(const QByteArray &range)
{
    static const bool skip = qEnvironmentVariableIntValue("FUZZ_SKIP_REPORTED") == 1;
    const int dash = range.indexOf('-');
    const int slash = range.indexOf('/', dash);
    if (!skip || dash < 0 || slash < 0)
        return false;
    int start = dash;
    while (start > 0 && range.at(start - 1) >= '0' && range.at(start - 1) <= '9')
        --start;
    const QByteArray first = range.mid(start, dash - start);
    const QByteArray lastDigits = range.mid(dash + 1, slash - dash - 1).trimmed();
    const qint64 last = offsetOf(lastDigits);
    return !lastDigits.isEmpty()
        && (last < 0 || last == std::numeric_limits<qint64>::max() || last < offsetOf(first));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QList<QByteArray> fields
        = QByteArray(reinterpret_cast<const char *>(data), int(size)).split('\n');
    while (fields.size() < 8)
        fields.append(QByteArray());

    const qint64 kept = fields.at(0).toLongLong();
    RangeResume resume;
    resume.keep(kept, fields.at(1), fields.at(2), fields.at(3));
    const QByteArray keptEtag
        = fields.at(1).trimmed().startsWith("W/") ? QByteArray() : fields.at(1).trimmed();
    const QByteArray keptDate = fields.at(2).trimmed();
    const QByteArray encoding = fields.at(3).trimmed().toLower();
    const bool resumable = kept > 0 && (!keptEtag.isEmpty() || !keptDate.isEmpty())
        && (encoding.isEmpty() || encoding == "identity");
    require(resume.canResume() == resumable, "resumes without what it needs, or refuses with it");

    QNetworkRequest request;
    resume.applyTo(request);
    require(request.hasRawHeader("Range") == resumable, "a Range header without a resume point");
    if (resumable)
        require(request.rawHeader("Range") == "bytes=" + QByteArray::number(kept) + '-',
                "a Range header for another offset");

    if (skipsReported(fields.at(5)))
        return 0;
    const int status = fields.at(4).toInt();
    const RangeResume::Decision decision
        = resume.decide(status, fields.at(5), fields.at(6), fields.at(7));
    if (status == 200)
        require(decision == RangeResume::StartOver, "a whole file not taken from zero");
    else
        require(decision != RangeResume::StartOver, "starts over on a partial answer");
    if (decision == RangeResume::Append) {
        require(status == 206 && resumable, "appends without a resume");
        require(isRestFrom(fields.at(5), kept), "appends a range that is not the rest of the file");
        if (!keptEtag.isEmpty())
            require(fields.at(6).trimmed() == keptEtag, "appends under another ETag");
    }
    return 0;
}
