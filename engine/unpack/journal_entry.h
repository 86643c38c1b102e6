#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// One line of an installation run's journal: what the run is about to do or
// has made, and the path it concerns. Written as the kind's word and the
// path, percent-encoded, separated by one space:
//     temp <folder>        the run's private temporary folder
//     install <folder>     the install folder
//     work <folder>        staging ("new") and set-aside ("old") files
//     created <folder>     the outermost folder the run created for the install folder
//     new <path>           about to move staged <path> to a free place
//     replace <path>       about to set aside <path> and move the staged one in
//     commit               every file is in place; only cleaning up is left
struct JournalEntry
{
    enum class Kind { Temp, Install, Work, Created, New, Replace, Commit };

    Kind kind = Kind::Commit;
    QString path;

    // The line's text, without its line end.
    QByteArray line() const;
    // The entry a line holds; nothing for a line this program did not write
    // (cut short by a crash, or unknown).
    static std::optional<JournalEntry> parse(const QByteArray &line);

    bool isPlacementStep() const { return kind == Kind::New || kind == Kind::Replace; }
};
