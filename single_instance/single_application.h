#pragma once

#include <QApplication>

// Application base that lets only one installer of a given file run.
// Placeholder: the guard itself is not in yet, every process runs as primary.
class SingleApplication : public QApplication
{
    Q_OBJECT

public:
    enum InstanceOption {
        UserScope = 1,
        NotifySecondaryStart = 4,
        KeyWithoutVersion = 8,
        KeyWithoutPath = 16,
    };
    Q_DECLARE_FLAGS(InstanceOptions, InstanceOption)

    SingleApplication(int &argc, char **argv, bool allowSecondary, InstanceOptions options,
                      int timeout, const QString &userData);

Q_SIGNALS:
    void instanceStarted();
    void receivedMessage(quint32 instanceId, QByteArray message);
};

Q_DECLARE_OPERATORS_FOR_FLAGS(SingleApplication::InstanceOptions)
