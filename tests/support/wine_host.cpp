#include "support/wine_host.h"

#include <QDir>
#include <QProcess>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace wine_host {

#ifdef Q_OS_WIN
QString hostPath(const QString &path)
{
    using UnixName = char *(CDECL *)(LPCWSTR);
    // Through a generic function pointer: FARPROC itself has another type.
    const auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
    if (!unixName)
        return path;
    char *name = unixName(reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(path).utf16()));
    if (!name)
        return path;
    const QString result = QString::fromLocal8Bit(name);
    HeapFree(GetProcessHeap(), 0, name);
    return result;
}
#else
QString hostPath(const QString &path)
{
    return path;
}
#endif

bool startDetached(const QString &program, QStringList arguments)
{
    for (QString &argument : arguments) {
        if (QDir::isAbsolutePath(argument))
            argument = hostPath(argument);
    }
#ifdef Q_OS_WIN
    // Z: is the Unix root in every Wine prefix.
    return QProcess::startDetached(QStringLiteral("Z:") + program, arguments);
#else
    return QProcess::startDetached(program, arguments);
#endif
}

} // namespace wine_host
