#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// A private X server (Xvfb) for one test: picks a free display number
// itself and is stopped when the object goes away.
class XvfbServer
{
public:
    XvfbServer() = default;
    XvfbServer(const XvfbServer &) = delete;
    XvfbServer &operator=(const XvfbServer &) = delete;
    ~XvfbServer();

    // Starts Xvfb with one screen of the given geometry ("1280x800x24").
    // False when Xvfb is not installed or did not come up.
    bool start(const QString &screen = QStringLiteral("1280x800x24"),
               const QStringList &extraArguments = QStringList());
    void stop();

    // ":N", usable as $DISPLAY or as XOpenDisplay's argument.
    QString displayName() const { return m_displayName; }

private:
    QProcess m_process;
    QString m_displayName;
};
