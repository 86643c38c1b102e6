#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QString>
#include <QStringList>

// One archive entry's stored name, decoded and judged before anything is
// written: the name must stay below the folder it is unpacked into, must be
// one that the target file system stores exactly as given (nothing cut
// short, nothing merged with another name), and must stay within limits
// that no real product reaches, so that judging a whole listing takes
// memory and time in proportion to its size.
class EntryName
{
    Q_DECLARE_TR_FUNCTIONS(EntryName)

public:
    // The general-purpose flag bit that says the name is UTF-8; without it
    // the zip format's names are IBM code page 437.
    static constexpr quint16 utf8Flag = 0x0800;
    // The longest stored name, in bytes, and the most steps a path may have.
    static constexpr int maxNameBytes = 4096;
    static constexpr int maxDepth = 64;
    // rawName as stored; utf8 from the entry's flags; unicodePath is the
    // name from an Info-ZIP Unicode Path field (0x7075) whose checksum
    // matched rawName, or empty.
    EntryName(const QByteArray &rawName, bool utf8, const QString &unicodePath = QString());

    bool isValid() const { return m_problem.isEmpty(); }
    // Why the name is refused (translated), empty when it is not.
    QString problem() const { return m_problem; }
    // The decoded name as the archive shows it, for messages.
    QString shownName() const { return m_shown; }
    // The relative path with "/" separators, without "." steps or a
    // trailing "/".
    QString path() const { return m_steps.join(QLatin1Char('/')); }
    // Whether the stored name ends with a separator (a folder entry).
    bool endsWithSeparator() const { return m_folder; }
    // Whether the name is the package's top folder itself ("./", as
    // `bsdtar -C product .` stores it); its path() is empty.
    bool isRoot() const { return isValid() && m_steps.isEmpty(); }

    // The same key for two paths exactly when the target file system would
    // store them in one place: letter case is folded on Windows.
    static QString collisionKey(const QString &path);
    // Decodes CP437 bytes.
    static QString fromCp437(const QByteArray &bytes);
    // Why one step (between separators) of a path may not be stored on this
    // system, or empty; also used for link targets.
    static QString stepProblem(const QString &step);

private:
    QString m_shown;
    QStringList m_steps;
    QString m_problem;
    bool m_folder = false;
};
