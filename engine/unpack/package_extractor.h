#pragma once

#include <QCoreApplication>
#include <QString>

#include <atomic>
#include <functional>

class ArchiveIndex;

// Unpacks a package whose index has been judged into a fresh folder of the
// installer's own, entry by entry over QuaZip's entry API: folders and
// regular files in archive order, links last. Every file is created anew and
// never through a link, every write is checked, and each file's size and
// CRC-32 are compared with the archive when it is closed.
class PackageExtractor
{
    Q_DECLARE_TR_FUNCTIONS(PackageExtractor)

public:
    enum Result { Done, Cancelled, DiskFull, Failed };

    // Called with the bytes written since the last call and the entry's
    // name; the caller decides how often to pass them on.
    using Progress = std::function<void(quint64 bytes, const QString &name)>;

    PackageExtractor(const QString &zipPath, const ArchiveIndex &index, const QString &folder);

    void setProgress(Progress progress) { m_progress = std::move(progress); }
    void setCancelFlag(const std::atomic<bool> *cancelled) { m_cancelled = cancelled; }

    Result run();
    // What went wrong (translated, naming the entry and the reason).
    QString message() const { return m_message; }

private:
    Result fail(Result result, const QString &message);
    bool ensureFolder(const QString &relativePath);

    QString m_zipPath;
    const ArchiveIndex &m_index;
    QString m_folder;
    Progress m_progress;
    const std::atomic<bool> *m_cancelled = nullptr;
    QString m_message;
    QString m_reason; // the system's, for the failure at hand
    QString m_lastFolder;
};
