#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// One line of an installation run's journal: what the run is about to do or
// has made, and the path it concerns. Written as the kind's word and the
// path, percent-encoded, separated by one space; placement steps add what
// they place:
//     temp <folder>        the run's private temporary folder
//     install <folder>     the install folder
//     work <folder>        staging ("new") and set-aside ("old") files
//     created <folder>     the outermost folder the run created for the install folder
//     new <path> <what>    about to place <what> where nothing stands
//     replace <path> <what> about to set aside <path> and place <what> there
//     commit               every file is in place; only cleaning up is left
//     leftover <folder>    a folder of the run still in use after the end;
//                          the next start removes it
// <what> is "folder" for a folder the run makes, or the identity of the
// staged file or link that is moved in (see identityOf), so that undoing
// the step removes that entry and nothing that later took its place.
struct JournalEntry
{
    enum class Kind { Temp, Install, Work, Created, New, Replace, Commit, Leftover };

    Kind kind = Kind::Commit;
    QString path;
    QByteArray placed;

    // The line's text, without its line end.
    QByteArray line() const;
    // The entry a line holds; nothing for a line this program did not write
    // (cut short by a crash, or unknown).
    static std::optional<JournalEntry> parse(const QByteArray &line);

    bool isPlacementStep() const { return kind == Kind::New || kind == Kind::Replace; }
    bool placesFolder() const { return placed == folder(); }

    static QByteArray folder() { return QByteArrayLiteral("folder"); }
    // The identity of the entry at path itself (a link is not followed) as
    // a word of the journal; empty when nothing can be read there. size,
    // when given, receives the entry's size.
    static QByteArray identityOf(const QString &path, quint64 *size = nullptr);
};
