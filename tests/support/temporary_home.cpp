#include "support/temporary_home.h"

#include <QDir>
#include <QFile>
#include <QtGlobal>

TemporaryHome::TemporaryHome()
{
    if (!m_folder.isValid())
        return;
    set("HOME", path());
    set("XDG_DATA_HOME", dataHome());
    set("XDG_CONFIG_HOME", configHome());
    set("XDG_CACHE_HOME", path() + QStringLiteral("/.cache"));
    QDir().mkpath(dataHome());
    QDir().mkpath(configHome());
}

TemporaryHome::~TemporaryHome()
{
    for (auto it = m_saved.crbegin(); it != m_saved.crend(); ++it) {
        if (it->wasSet)
            qputenv(it->name.constData(), it->value);
        else
            qunsetenv(it->name.constData());
    }
}

void TemporaryHome::set(const char *variable, const QString &value)
{
    m_saved.append({ variable, qEnvironmentVariableIsSet(variable), qgetenv(variable) });
    qputenv(variable, QFile::encodeName(value));
}
