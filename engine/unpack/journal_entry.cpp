#include "engine/unpack/journal_entry.h"

#include "config/native_path.h"
#include "platform/file_identity.h"

#include <QList>

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
    { JournalEntry::Kind::Commit, "commit" }, { JournalEntry::Kind::Leftover, "leftover" },
};

} // namespace

QByteArray JournalEntry::identityOf(const QString &path, quint64 *size)
{
    platform::FileIdentity identity;
    if (!platform::readFileIdentity(toLongNativePath(path), &identity))
        return QByteArray();
    if (size)
        *size = identity.size;
    return QByteArray::number(quint64(identity.volume)) + ':'
        + QByteArray::number(quint64(identity.file)) + ':'
        + QByteArray::number(quint64(identity.size)) + ':'
        + QByteArray::number(qint64(identity.modified));
}

QByteArray JournalEntry::line() const
{
    QByteArray text;
    for (const KindWord &known : kindWords) {
        if (known.kind == kind)
            text = known.word;
    }
    if (kind != Kind::Commit)
        text += ' ' + path.toUtf8().toPercentEncoding("/");
    if (isPlacementStep())
        text += ' ' + placed;
    return text;
}

std::optional<JournalEntry> JournalEntry::parse(const QByteArray &line)
{
    const QList<QByteArray> words = line.split(' ');
    for (const KindWord &known : kindWords) {
        if (words.first() != known.word)
            continue;
        JournalEntry entry;
        entry.kind = known.kind;
        // Commit names nothing, a placement step a path and what it
        // placed, the others a path; a line with fewer words was cut short.
        const int expected = known.kind == Kind::Commit ? 1 : (entry.isPlacementStep() ? 3 : 2);
        if (words.size() != expected)
            return std::nullopt;
        if (expected > 1)
            entry.path = QString::fromUtf8(QByteArray::fromPercentEncoding(words.at(1)));
        if (expected > 2)
            entry.placed = words.at(2);
        return entry;
    }
    return std::nullopt;
}
