#pragma once

#include <QApplication>
#include <QByteArray>

class SingleApplicationPrivate;

// The application base that lets only one installer of a given file run.
// Its constructor decides, before anything else of the installer runs,
// whether this process is the first (the primary) or a later start. A later
// start tells the primary and ends the process with status 0 inside the
// constructor; the primary hears of it through instanceStarted().
class SingleApplication : public QApplication
{
    Q_OBJECT

public:
    enum InstanceOption {
        // The primary accepts connections from the same user only; each user
        // also gets a key, and so an installer, of their own (on Windows one
        // per logon session).
        UserScope = 1,
        // A permitted secondary announces itself to the primary too.
        NotifySecondaryStart = 4,
        // The key leaves out the application version.
        KeyWithoutVersion = 8,
        // The key leaves out the executable's path.
        KeyWithoutPath = 16,
    };
    Q_DECLARE_FLAGS(InstanceOptions, InstanceOption)

    // Returns only in the primary or in a permitted secondary; any other
    // process ends here (status 0 after handing over to the primary, status 1
    // when the shared instance block cannot be used). timeout bounds the
    // hand-over in milliseconds; userData is mixed into the key.
    SingleApplication(int &argc, char **argv, bool allowSecondary, InstanceOptions options,
                      int timeout, const QString &userData);
    ~SingleApplication() override;

Q_SIGNALS:
    // Another start of this installer was reported to this primary.
    void instanceStarted();
    // Bytes that a later process sent after its connection frame.
    void receivedMessage(quint32 instanceId, QByteArray message);

private:
    SingleApplicationPrivate *m_private;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(SingleApplication::InstanceOptions)
