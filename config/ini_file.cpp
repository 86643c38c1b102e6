#include "config/ini_file.h"

#include <QFile>

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// One logical line: [start, end) without its line break, and the first '='
// outside quotes (-1 when there is none). A line goes on past a break inside
// double quotes or after a backslash; a ';' outside quotes ends it, and a
// line that begins with ';' is a comment, skipped whole.
struct Line
{
    int start = 0;
    int end = 0;
    int equals = -1;
};

bool nextLine(const QByteArray &text, int *pos, Line *line)
{
    const int size = text.size();
    int start = *pos;
    while (start < size && isSpace(text.at(start)))
        ++start;
    bool inQuotes = false;
    line->equals = -1;
    int i = start;
    while (i < size) {
        const char c = text.at(i++);
        if (c == '=') {
            if (!inQuotes && line->equals == -1)
                line->equals = i - 1;
        } else if (c == '\n' || c == '\r') {
            if (i == start + 1)
                ++start;
            else if (!inQuotes) {
                --i;
                break;
            }
        } else if (c == '\\') {
            if (i < size) {
                const char escaped = text.at(i++);
                if (i < size) {
                    const char after = text.at(i);
                    if ((escaped == '\n' && after == '\r') || (escaped == '\r' && after == '\n'))
                        ++i;
                }
            }
        } else if (c == '"') {
            inQuotes = !inQuotes;
        } else if (c == ';') {
            if (i == start + 1) {
                while (i < size && text.at(i) != '\n' && text.at(i) != '\r')
                    ++i;
                while (i < size && isSpace(text.at(i)))
                    ++i;
                start = i;
            } else if (!inQuotes) {
                --i;
                break;
            }
        }
    }
    *pos = i;
    line->start = start;
    line->end = i;
    return i > start;
}

// Key names are Latin-1 with "%XX" and "%UXXXX" escapes; a backslash stands
// for the '/' of a group, which no top-level key holds.
QString unescapedKey(const QByteArray &text, int from, int to)
{
    QString key;
    int i = from;
    while (i < to) {
        const uchar c = uchar(text.at(i));
        if (c == '\\') {
            key += QLatin1Char('/');
            ++i;
            continue;
        }
        if (c != '%' || i == to - 1) {
            key += QLatin1Char(char(c));
            ++i;
            continue;
        }
        const int digits = text.at(i + 1) == 'U' ? 4 : 2;
        const int first = digits == 4 ? i + 2 : i + 1;
        bool ok = first + digits <= to;
        const ushort code = ok ? text.mid(first, digits).toUShort(&ok, 16) : 0;
        if (!ok) {
            key += QLatin1Char('%');
            ++i;
            continue;
        }
        key += QChar(code);
        i = first + digits;
    }
    return key;
}

// The value's text after the '=': leading blanks skipped, trailing ones
// dropped unless quoted, quotes removed, C-style escapes ("\n", "\x41",
// "\101", a backslash before a line break joins lines; any other escaped
// character is dropped), UTF-8 between them, and an unquoted comma
// separating list items.
IniFile::Value unescapedValue(const QByteArray &text, int from, int to)
{
    IniFile::Value value;
    value.present = true;
    QString current;
    bool inQuotes = false;
    bool quoted = false; // the current item held quotes: its blanks stay
    int keepFrom = 0; // trailing blanks are dropped only after this length
    int i = from;

    const auto skipBlanks = [&] {
        while (i < to && isBlank(text.at(i)))
            ++i;
        keepFrom = current.size();
    };
    const auto dropTrailingBlanks = [&] {
        int end = current.size();
        while (end > keepFrom
               && (current.at(end - 1) == QLatin1Char(' ')
                   || current.at(end - 1) == QLatin1Char('\t')))
            --end;
        current.truncate(end);
    };
    // Digits of a "\x" or octal escape; 16 bits are kept, as a character
    // holds no more.
    const auto number = [&](int base, ushort start) {
        ushort code = start;
        while (i < to) {
            const int digit = hexDigit(text.at(i));
            if (digit < 0 || digit >= base)
                break;
            code = ushort(code * base + digit);
            ++i;
        }
        current += QChar(code);
        keepFrom = current.size();
    };

    skipBlanks();
    bool unfinishedEscape = false;
    while (i < to && !unfinishedEscape) {
        const char c = text.at(i);
        if (c == '\\') {
            ++i;
            if (i >= to) {
                unfinishedEscape = true;
                break;
            }
            const char escaped = text.at(i++);
            static const char codes[] = "a\ab\bf\fn\nr\rt\tv\v\"\"?\?''\\\\";
            const char *code = nullptr;
            for (const char *p = codes; *p; p += 2) {
                if (*p == escaped)
                    code = p;
            }
            if (code) {
                current += QLatin1Char(code[1]);
            } else if (escaped == 'x') {
                if (i >= to) {
                    unfinishedEscape = true;
                    break;
                }
                if (hexDigit(text.at(i)) >= 0)
                    number(16, 0);
            } else if (escaped >= '0' && escaped <= '7') {
                number(8, ushort(escaped - '0'));
            } else if (escaped == '\n' || escaped == '\r') {
                if (i < to && (text.at(i) == '\n' || text.at(i) == '\r') && text.at(i) != escaped)
                    ++i;
            }
            keepFrom = current.size();
        } else if (c == '"') {
            ++i;
            quoted = true;
            inQuotes = !inQuotes;
            if (!inQuotes)
                skipBlanks();
        } else if (c == ',' && !inQuotes) {
            if (!quoted)
                dropTrailingBlanks();
            value.isList = true;
            value.items << current;
            current.clear();
            quoted = false;
            ++i;
            skipBlanks();
        } else {
            int j = i + 1;
            while (j < to && text.at(j) != '\\' && text.at(j) != '"' && text.at(j) != ',')
                ++j;
            current += QString::fromUtf8(text.constData() + i, j - i);
            i = j;
        }
    }
    if (!quoted && !unfinishedEscape)
        dropTrailingBlanks();
    if (value.isList)
        value.items << current;
    else
        value.text = current;
    return value;
}

// What a text value written by the toolkit's settings means: "@@" stands
// for a leading '@', "@String(...)" and "@ByteArray(...)" hold text; other
// "@Type(...)" forms are typed values, which have no text (typed is set).
QString textOf(const QString &raw, bool *typed)
{
    if (!raw.startsWith(QLatin1Char('@')))
        return raw;
    if (raw.startsWith(QLatin1String("@@")))
        return raw.mid(1);
    if (!raw.endsWith(QLatin1Char(')')))
        return raw;
    for (const char *form : { "@String(", "@ByteArray(" }) {
        const int length = int(qstrlen(form));
        if (raw.startsWith(QLatin1String(form)))
            return raw.mid(length, raw.size() - length - 1);
    }
    for (const char *form : { "@Variant(", "@DateTime(", "@Rect(", "@Size(", "@Point(" }) {
        if (raw.startsWith(QLatin1String(form))) {
            *typed = true;
            return QString();
        }
    }
    if (raw == QLatin1String("@Invalid()"))
        return QString();
    return raw;
}

} // namespace

IniFile::IniFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > maximumSize)
        return;
    const QByteArray text = file.read(maximumSize + 1);
    if (text.size() > maximumSize)
        return;
    m_readable = true;
    parse(text);
}

IniFile IniFile::fromText(const QByteArray &text)
{
    IniFile file;
    file.m_readable = true;
    file.parse(text);
    return file;
}

QString IniFile::keyForm(const QString &key)
{
    // The toolkit compares INI keys without case on Windows only.
#ifdef Q_OS_WIN
    return key.toLower();
#else
    return key;
#endif
}

void IniFile::parse(const QByteArray &text)
{
    int pos = text.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    bool topLevel = true;
    Line line;
    while (nextLine(text, &pos, &line)) {
        if (text.at(line.start) == '[') {
            int close = text.indexOf(']', line.start);
            if (close == -1 || close >= line.end)
                close = line.end;
            const QByteArray section = text.mid(line.start + 1, close - line.start - 1).trimmed();
            topLevel = section.compare("general", Qt::CaseInsensitive) == 0;
            continue;
        }
        if (!topLevel || line.equals == -1)
            continue;
        int keyEnd = line.equals;
        while (keyEnd > line.start && isBlank(text.at(keyEnd - 1)))
            --keyEnd;
        const QString key = keyForm(unescapedKey(text, line.start, keyEnd));
        Value value = unescapedValue(text, line.equals + 1, line.end);
        bool typed = false;
        if (value.isList) {
            for (QString &item : value.items)
                item = textOf(item, &typed);
        } else {
            value.text = textOf(value.text, &typed);
        }
        m_typedKeys.removeAll(key);
        if (typed)
            m_typedKeys << key;
        m_values.insert(key, value);
    }
}

IniFile::Value IniFile::value(const QString &key) const
{
    return m_values.value(keyForm(key));
}
