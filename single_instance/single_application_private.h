#pragma once

#include "single_instance/connection_frame.h"
#include "single_instance/frame_reader.h"
#include "single_instance/peer_state.h"
#include "single_instance/single_application.h"

#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;
class QLocalSocket;
class QSharedMemory;

// The working state of the single-instance guard: the shared instance block,
// the primary's local server with its connections, and the client socket of
// a later process. Everything here runs on the main thread.
class SingleApplicationPrivate : public QObject
{
    Q_OBJECT

public:
    enum Role {
        Primary,
        Secondary,
        // The primary was told (or could not be reached); this process ends.
        HandedOver,
    };

    explicit SingleApplicationPrivate(SingleApplication *owner);
    ~SingleApplicationPrivate() override;

    void setOptions(SingleApplication::InstanceOptions options);
    void addKeyExtra(const QString &extra);
    void computeBlockName();
    QString blockName() const { return m_blockName; }

    // Creates the block, or attaches to the one that exists, and locks it.
    // Ends the process with status 1 when the block cannot be had.
    void attachToBlock();
    // With the block locked: waits (unlocking in between) until the block's
    // checksum matches, resetting it after more than 5 s.
    void waitForConsistentBlock();
    // With the block locked: a primary recorded in the block whose process is
    // gone (killed, crashed) no longer counts.
    void recoverFromDeadPrimary();
    // With the block locked: takes this process's role and unlocks the block.
    Role decideRole(bool allowSecondary, int timeout);

    void resetBlock();
    void becomePrimary();
    void becomeSecondary();
    [[noreturn]] void abortOnBlockError();

    // Sends this process's connection frame to the primary; false when the
    // primary could not be reached, or the frame not written, within timeout.
    bool contactPrimary(int timeout, ConnectionKind kind);

public Q_SLOTS:
    void slotConnectionEstablished();
    void slotDataAvailable(QLocalSocket *socket, quint32 instanceId);
    void slotClientConnectionClosed(QLocalSocket *socket, quint32 instanceId);

private:
    void startServer();
    void readFromPeer(QLocalSocket *socket);
    void act(QLocalSocket *socket, const FrameReader::Outcome &outcome);
    void unlockOrLog(const char *message);
    void allowPrimaryToComeToFront(qint64 processId);

    SingleApplication *m_owner;
    QSharedMemory *m_block = nullptr;
    QLocalSocket *m_socket = nullptr;
    QLocalServer *m_server = nullptr;
    quint32 m_instanceIndex = 0;
    QString m_blockName;
    SingleApplication::InstanceOptions m_options;
    QMap<QLocalSocket *, PeerState> m_peers;
    QStringList m_keyExtras;
};
