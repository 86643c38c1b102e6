#include "wizard/folder_dialog.h"

#include <QWidget>

#ifdef Q_OS_WIN
#include "config/native_path.h"
#include "platform/win32/folder_picker.h"
#else
#include <QFileDialog>
#endif

QString FolderDialog::pick(QWidget *parent, const QString &title, const QString &start)
{
#ifdef Q_OS_WIN
    void *owner = parent ? reinterpret_cast<void *>(parent->window()->winId()) : nullptr;
    return fromNativePath(platform::pickFolder(owner, title.toStdWString(), toNativePath(start)));
#else
    return QFileDialog::getExistingDirectory(parent, title, start, QFileDialog::ShowDirsOnly);
#endif
}
