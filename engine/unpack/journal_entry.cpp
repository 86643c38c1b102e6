#include "engine/unpack/journal_entry.h"

namespace {

struct KindWord
{
    JournalEntry::Kind kind;
    const char *word;
};

const KindWord kindWords[] = {
    { JournalEntry::Kind::Temp, "temp" },     { JournalEntry::Kind::Install, "install" },
    { JournalEntry::Kind::Work, "work" },     { JournalEntry::Kind::Created, "created" },
    { JournalEntry::Kind::New, "new" },       { JournalEntry::Kind::Replace, "replace" },
    { JournalEntry::Kind::Commit, "commit" },
};

} // namespace

QByteArray JournalEntry::line() const
{
    QByteArray text;
    for (const KindWord &known : kindWords) {
        if (known.kind == kind)
            text = known.word;
    }
    if (kind != Kind::Commit)
        text += ' ' + path.toUtf8().toPercentEncoding("/");
    return text;
}

std::optional<JournalEntry> JournalEntry::parse(const QByteArray &line)
{
    const int space = line.indexOf(' ');
    const QByteArray word = space < 0 ? line : line.left(space);
    for (const KindWord &known : kindWords) {
        if (word != known.word)
            continue;
        // Every kind but commit names a path; a line without one was cut
        // short.
        if ((known.kind == Kind::Commit) != (space < 0))
            return std::nullopt;
        JournalEntry entry;
        entry.kind = known.kind;
        if (space >= 0)
            entry.path = QString::fromUtf8(QByteArray::fromPercentEncoding(line.mid(space + 1)));
        return entry;
    }
    return std::nullopt;
}
