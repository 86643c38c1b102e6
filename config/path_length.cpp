#include "config/path_length.h"

#include <QDir>

namespace {

QString inSystemForm(const QString &path, PathLength::System system)
{
    QString converted = QDir::cleanPath(path);
    if (system == PathLength::System::Windows)
        converted.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return converted;
}

// A folder that is too deep is long by definition and holds no blank to
// wrap at: the message shows its start and its end.
QString shortened(const QString &path)
{
    constexpr int shown = 56;
    if (path.size() <= shown)
        return path;
    return path.left(shown / 2) + QChar(0x2026) + path.right(shown / 2);
}

} // namespace

QString PathLength::longestPath(const QString &folder, const QStringList &relativePaths,
                                System system)
{
    const QString base = inSystemForm(folder, system);
    QString longest;
    for (const QString &relative : relativePaths) {
        if (relative.size() > longest.size())
            longest = relative;
    }
    if (longest.isEmpty())
        return base;
    // A drive or file-system root already ends in its separator.
    const QChar separator = system == System::Windows ? QLatin1Char('\\') : QLatin1Char('/');
    return base + (base.endsWith(separator) ? QString() : QString(separator))
        + inSystemForm(longest, system);
}

QString PathLength::problem(const QString &folder, const QStringList &relativePaths, System system)
{
    if (system != System::Windows)
        return QString();
    const int length = longestPath(folder, relativePaths, system).size();
    if (length < windowsLimit)
        return QString();
    return tr("The install folder %1 is too deep: the product's paths would be up to %2 "
              "characters long, and Windows cannot start programs from paths of %3 characters "
              "or more. Choose a shorter install folder.")
        .arg(shortened(inSystemForm(folder, system)))
        .arg(length)
        .arg(windowsLimit);
}
