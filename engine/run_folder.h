#pragma once

#include <QCoreApplication>
#include <QString>

// The private temporary folder of one installation run: a fresh folder with a
// unique name in the system temporary folder, readable by the user alone,
// that holds the downloaded package and the run's log. Concurrent installers
// never share one, and a temporary folder that cannot be used is an error,
// never a reason to fall back on the working folder.
class RunFolder
{
    Q_DECLARE_TR_FUNCTIONS(RunFolder)

public:
    // Creates the folder; false with a translated message when the system
    // temporary folder is missing, relative or not writable.
    bool create(const QString &runId);
    QString path() const { return m_path; }
    QString filePath(const QString &name) const { return m_path + QLatin1Char('/') + name; }
    QString errorMessage() const { return m_error; }

private:
    QString m_path;
    QString m_error;
};
