#include "wizard/folder_field_text.h"

#include <QDir>
#include <QFileInfo>

QString FolderFieldText::shown(const QString &folder, System system)
{
    QString text = folder;
    if (system == System::Windows)
        text.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return text;
}

QString FolderFieldText::folder(const QString &text, System system)
{
    QString path = text.trimmed();
    const QChar quote = QLatin1Char('"');
    if (path.size() >= 2 && path.startsWith(quote) && path.endsWith(quote))
        path = path.mid(1, path.size() - 2).trimmed();
    if (system == System::Windows)
        path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return path;
}

QString FolderFieldText::nearestExisting(const QString &folder)
{
    if (folder.isEmpty() || QDir::isRelativePath(folder))
        return QString();
    for (QString path = QDir::cleanPath(folder);;) {
        if (QFileInfo(path).isDir())
            return path;
        const QString parent = QFileInfo(path).path();
        if (parent == path)
            return QString();
        path = parent;
    }
}
