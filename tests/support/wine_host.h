#pragma once

#include <QString>
#include <QStringList>

// The Windows test programs run under Wine on the build machine. Wine starts
// the machine's own (Unix) programs when given their Unix path, beside the
// Windows process rather than as a child it can wait for or read from; the
// files they use must be named the Unix way. On Linux both functions are
// the plain thing.
namespace wine_host {

// The Unix name of a Windows path under Wine; path itself elsewhere.
QString hostPath(const QString &path);

// Starts a program of the build machine (by its Unix path, e.g.
// /usr/bin/minisign) detached. Arguments that are absolute paths are given
// in their Unix form. Its end must be told by what it writes.
bool startDetached(const QString &program, QStringList arguments);

} // namespace wine_host
