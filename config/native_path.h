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
