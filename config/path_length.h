#pragma once

#include "config/single_name.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

// How long the paths of an installed product may be. Windows' shell and most
// programs take paths of fewer than MAX_PATH (260) UTF-16 units, the
// terminating NUL included. The installer's own work goes deeper (its staging
// folder inside the install folder adds some 48 characters) and is done
// through the \\?\ form (toLongNativePath, and Qt's own file calls), so
// only the final paths count here; but a product placed deeper than the limit
// cannot be started through its links, its URL protocol or "Launch", nor
// removed by its uninstaller.
// Such a folder is refused before anything is placed. Unix has no limit of
// that kind.
class PathLength
{
    Q_DECLARE_TR_FUNCTIONS(PathLength)

public:
    using System = SingleName::System;

    // Paths of this many UTF-16 units or more do not work on Windows.
    static constexpr int windowsLimit = 260;

    // The longest of the paths that relativePaths ("/"-separated, below
    // folder) become once installed in folder, in the system's own form:
    // backslashes on Windows. folder alone when relativePaths is empty.
    static QString longestPath(const QString &folder, const QStringList &relativePaths,
                               System system = SingleName::host());

    // Why installing relativePaths into folder gives paths that system
    // cannot use (translated, naming the folder, the length and the limit),
    // or empty when they fit.
    static QString problem(const QString &folder, const QStringList &relativePaths,
                           System system = SingleName::host());
};
