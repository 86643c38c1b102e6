#include "engine/install_journal.h"

#include "engine/platform_helpers.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QString decoded(const QByteArray &text)
{
    return QString::fromUtf8(QByteArray::fromPercentEncoding(text));
}

// Removes what stands at path (a file, a link or a whole folder) without
// following links.
void removeEntry(const QString &path)
{
    const QFileInfo entry(path);
    if (entry.isDir() && !entry.isSymLink())
        removeDirectory(QDir(path));
    else
        QFile::remove(path);
}

bool exists(const QString &path)
{
    const QFileInfo entry(path);
    return entry.exists() || entry.isSymLink();
}

} // namespace

QString InstallJournal::defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/installer/runs");
}

bool InstallJournal::begin(const QString &folder, const QString &runId)
{
    if (!QDir().mkpath(folder))
        return false;
    m_lock
        = std::make_unique<QLockFile>(folder + QLatin1Char('/') + runId + QStringLiteral(".lock"));
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0))
        return false;
    m_file.setFileName(folder + QLatin1Char('/') + runId + QStringLiteral(".journal"));
    // Unbuffered: a line must be on its way to the disk before the step it
    // announces is taken.
    return m_file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered);
}

bool InstallJournal::add(const QString &what, const QString &path)
{
    QByteArray line = what.toUtf8();
    if (!path.isNull())
        line += ' ' + path.toUtf8().toPercentEncoding("/");
    line += '\n';
    return m_file.write(line) == line.size();
}

void InstallJournal::end()
{
    if (m_file.isOpen()) {
        m_file.close();
        m_file.remove();
    }
    if (m_lock)
        m_lock->unlock();
    m_lock.reset();
}

void InstallJournal::undo(const QString &installFolder, const QString &workFolder,
                          const QStringList &lines)
{
    const QString staged = workFolder + QStringLiteral("/new/");
    const QString aside = workFolder + QStringLiteral("/old/");
    for (auto it = lines.crbegin(); it != lines.crend(); ++it) {
        const int space = it->indexOf(QLatin1Char(' '));
        const QString what = it->left(space);
        const QString path = it->mid(space + 1);
        if (space < 0 || (what != QLatin1String("new") && what != QLatin1String("replace")))
            continue;
        const QString target = installFolder + QLatin1Char('/') + path;
        // Still staged: the move it announced never happened.
        const bool placed = !exists(staged + path);
        const bool setAside = what == QLatin1String("replace") && exists(aside + path);
        if (placed && (what == QLatin1String("new") || setAside))
            removeEntry(target);
        if (setAside)
            QDir().rename(aside + path, target);
    }
}

void InstallJournal::removeEmptyFolders(const QString &installFolder, const QString &created)
{
    const QString outermost = QDir::cleanPath(created);
    for (QString path = QDir::cleanPath(installFolder);
         path == outermost || path.startsWith(outermost + QLatin1Char('/'));
         path = QFileInfo(path).path()) {
        if (!QDir().rmdir(path) || path == outermost)
            break;
    }
}

QStringList InstallJournal::recoverAll(const QString &folder)
{
    QStringList report;
    const QStringList journals
        = QDir(folder).entryList({ QStringLiteral("*.journal") }, QDir::Files | QDir::Hidden);
    for (const QString &name : journals) {
        const QString runId = name.left(name.size() - 8);
        QLockFile lock(folder + QLatin1Char('/') + runId + QStringLiteral(".lock"));
        lock.setStaleLockTime(0);
        if (!lock.tryLock(0))
            continue; // a run that is still going
        QFile file(folder + QLatin1Char('/') + name);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        QString temp, install, work, created;
        QStringList steps;
        bool committed = false;
        for (const QByteArray &raw : file.readAll().split('\n')) {
            const int space = raw.indexOf(' ');
            const QByteArray what = space < 0 ? raw : raw.left(space);
            const QString value = space < 0 ? QString() : decoded(raw.mid(space + 1));
            if (what == "temp")
                temp = value;
            else if (what == "install")
                install = value;
            else if (what == "work")
                work = value;
            else if (what == "created")
                created = value;
            else if (what == "commit")
                committed = true;
            else if (what == "new" || what == "replace")
                steps << QString::fromLatin1(what) + QLatin1Char(' ') + value;
        }
        file.close();
        if (!install.isEmpty() && !work.isEmpty()) {
            if (committed) {
                report
                    << QStringLiteral("Finished the interrupted installation into %1").arg(install);
            } else {
                undo(install, work, steps);
                report << QStringLiteral("Undid the interrupted installation into %1 (%2 steps)")
                              .arg(install)
                              .arg(steps.size());
            }
            removeDirectory(QDir(work));
        }
        if (!committed && !created.isEmpty() && !install.isEmpty())
            removeEmptyFolders(install, created);
        if (!temp.isEmpty()) {
            removeDirectory(QDir(temp));
            report << QStringLiteral("Removed the temporary folder %1").arg(temp);
        }
        QFile::remove(file.fileName());
        lock.unlock();
    }
    return report;
}
