#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QTemporaryDir>

// A throw-away home for tests that write per-user files: while the object
// lives, HOME, XDG_DATA_HOME, XDG_CONFIG_HOME and XDG_CACHE_HOME point into a
// temporary folder (data, config and cache below it, as the defaults would
// be); the old values come back when it goes.
class TemporaryHome
{
public:
    TemporaryHome();
    ~TemporaryHome();
    TemporaryHome(const TemporaryHome &) = delete;
    TemporaryHome &operator=(const TemporaryHome &) = delete;

    bool isValid() const { return m_folder.isValid(); }
    QString path() const { return m_folder.path(); }
    QString dataHome() const { return path() + QStringLiteral("/.local/share"); }
    QString configHome() const { return path() + QStringLiteral("/.config"); }

private:
    void set(const char *variable, const QString &value);

    QTemporaryDir m_folder;
    // Name, whether it was set, old value.
    struct Saved
    {
        QByteArray name;
        bool wasSet;
        QByteArray value;
    };
    QList<Saved> m_saved;
};
