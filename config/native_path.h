#pragma once

#include "platform/native_string.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

// Paths between Qt and the platform layer: "/" separators on this side, the
// system's own form on the other (backslashes in UTF-16 on Windows, the file
// system's bytes on Unix).

inline platform::NativeString toNativePath(const QString &path)
{
#ifdef Q_OS_WIN
    return QDir::toNativeSeparators(path).toStdWString();
#else
    return QFile::encodeName(path).toStdString();
#endif
}

// An absolute Windows path (C:\x, \\server\share\x, with either separator) in the
// form that lifts the system's limit of 260 characters: \\?\C:\x or
// \\?\UNC\server\share\x. The system takes that form as it is, without
// resolving "." and "..", so the path is cleaned first. Any other path keeps
// its form, with backslashes. Plain text work, the same on every system.
inline QString windowsLongPath(const QString &path)
{
    QString slashed = path;
    slashed.replace(QLatin1Char('\\'), QLatin1Char('/'));
    QString longPath;
    if (slashed.startsWith(QLatin1String("//?/")) || slashed.startsWith(QLatin1String("//./")))
        longPath = slashed;
    else if (slashed.startsWith(QLatin1String("//")))
        longPath = QStringLiteral("//?/UNC/") + QDir::cleanPath(slashed.mid(2));
    else if (slashed.size() > 2 && slashed.at(0).isLetter() && slashed.at(1) == QLatin1Char(':')
             && slashed.at(2) == QLatin1Char('/'))
        longPath = QStringLiteral("//?/") + QDir::cleanPath(slashed);
    else
        longPath = slashed;
    return longPath.replace(QLatin1Char('/'), QLatin1Char('\\'));
}

// A path for the platform layer's file operations: on Windows in the long
// form above, so that the installer's own work (staging, placing, undoing)
// is not bound by the 260 characters that the product's final paths keep to.
inline platform::NativeString toLongNativePath(const QString &path)
{
#ifdef Q_OS_WIN
    return windowsLongPath(path).toStdWString();
#else
    return toNativePath(path);
#endif
}

inline QString fromNativePath(const platform::NativeString &path)
{
#ifdef Q_OS_WIN
    return QDir::fromNativeSeparators(QString::fromStdWString(path));
#else
    return QFile::decodeName(QByteArray::fromStdString(path));
#endif
}

// A name that is no path (a monitor's device name): the characters as they
// are, backslashes included.
inline QString fromNativeText(const platform::NativeString &text)
{
#ifdef Q_OS_WIN
    return QString::fromStdWString(text);
#else
    return QString::fromStdString(text);
#endif
}
