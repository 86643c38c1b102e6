#include "single_instance/single_application_private.h"

#include "single_instance/instance_block.h"
#include "single_instance/instance_key.h"
#include "single_instance/random_pause.h"

#include "platform/foreground.h"
#include "platform/process_liveness.h"

#include <QCoreApplication>
#include <QDebug>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QSharedMemory>

#include <cstdlib>

namespace {

// How long a damaged block is waited on before its primary is given up.
constexpr qint64 InconsistencyLimitMs = 5000;

int remainingMs(const QElapsedTimer &timer, int timeout)
{
    // Never negative: Qt's waits take a negative time as "wait forever".
    return int(qMax<qint64>(0, timeout - timer.elapsed()));
}

} // namespace

SingleApplicationPrivate::SingleApplicationPrivate(SingleApplication *owner)
    : m_owner(owner)
{
}

SingleApplicationPrivate::~SingleApplicationPrivate()
{
    if (m_socket) {
        m_socket->close();
        delete m_socket;
        m_socket = nullptr;
    }

    if (m_block) {
        const bool locked = m_block->lock();
        if (m_server) {
            m_server->close();
            delete m_server;
            m_server = nullptr;
            // Only under the lock: an unlocked write could tear the block for
            // a process starting now. If locking failed the entry stays, and
            // the next start finds that its process is gone.
            if (locked && m_block->data())
                InstanceBlock(m_block->data()).clearPrimary();
        }
        if (locked)
            m_block->unlock();
        delete m_block;
        m_block = nullptr;
    }
}

void SingleApplicationPrivate::setOptions(SingleApplication::InstanceOptions options)
{
    m_options = options;
}

void SingleApplicationPrivate::addKeyExtra(const QString &extra)
{
    m_keyExtras.append(extra);
}

void SingleApplicationPrivate::computeBlockName()
{
    m_blockName = InstanceKey::forThisProcess(m_options, m_keyExtras);
}

void SingleApplicationPrivate::attachToBlock()
{
    m_block = new QSharedMemory(m_blockName);
    if (m_block->create(InstanceBlock::Size, QSharedMemory::ReadWrite)) {
        if (!m_block->lock()) {
            qCritical() << "SingleApplication: Unable to lock memory block after create.";
            abortOnBlockError();
        }
        resetBlock();
        return;
    }

    if (m_block->error() != QSharedMemory::AlreadyExists) {
        qCritical() << "SingleApplication: Unable to create block.";
        abortOnBlockError();
    }
    if (!m_block->attach(QSharedMemory::ReadWrite)) {
        qCritical() << "SingleApplication: Unable to attach to shared memory block.";
        abortOnBlockError();
    }
    if (m_block->size() < InstanceBlock::Size) {
        // Somebody else's segment under our key: reading our fields would
        // run past its end.
        qCritical() << "SingleApplication: Unable to attach to shared memory block.";
        abortOnBlockError();
    }
    if (!m_block->lock()) {
        qCritical() << "SingleApplication: Unable to lock memory block after attach.";
        abortOnBlockError();
    }
}

void SingleApplicationPrivate::waitForConsistentBlock()
{
    QElapsedTimer timer;
    timer.start();
    while (!InstanceBlock(m_block->data()).isConsistent()) {
        // A process may be halfway through a change; a block that stays
        // damaged means its writer died mid-change.
        if (timer.elapsed() > InconsistencyLimitMs) {
            qWarning() << "SingleApplication: Shared memory block has been in an inconsistent "
                          "state from more than 5s. Assuming primary instance failure.";
            resetBlock();
        }
        if (!m_block->unlock()) {
            qDebug() << "SingleApplication: Unable to unlock memory for random wait.";
            qDebug() << m_block->errorString();
        }
        randomPause();
        if (!m_block->lock()) {
            qCritical() << "SingleApplication: Unable to lock memory after random wait.";
            abortOnBlockError();
        }
    }
}

void SingleApplicationPrivate::recoverFromDeadPrimary()
{
    InstanceBlock block(m_block->data());
    if (!block.hasPrimary() || platform::isProcessAlive(block.primaryProcessId()))
        return;
    // On Unix the segment outlives a killed primary; without this every
    // later start would hand over to nobody and quietly end.
    qWarning().nospace() << "SingleApplication: The primary instance (process "
                         << block.primaryProcessId()
                         << ") no longer runs. Assuming primary instance failure.";
    block.clearPrimary();
}

SingleApplicationPrivate::Role SingleApplicationPrivate::decideRole(bool allowSecondary,
                                                                    int timeout)
{
    InstanceBlock block(m_block->data());
    if (!block.hasPrimary()) {
        becomePrimary();
        unlockOrLog("SingleApplication: Unable to unlock memory after primary start.");
        return Primary;
    }

    if (allowSecondary) {
        becomeSecondary();
        if (m_options.testFlag(SingleApplication::NotifySecondaryStart))
            contactPrimary(timeout, SecondaryConnection);
        unlockOrLog("SingleApplication: Unable to unlock memory after secondary start.");
        return Secondary;
    }

    // Read under the lock: the primary's entry may go once it is released.
    const qint64 primaryProcessId = block.primaryProcessId();
    unlockOrLog("SingleApplication: Unable to unlock memory at end of execution.");
    allowPrimaryToComeToFront(primaryProcessId);
    contactPrimary(timeout, HandoverConnection);
    return HandedOver;
}

void SingleApplicationPrivate::allowPrimaryToComeToFront(qint64 processId)
{
    // Before the frame goes out: the primary raises its window as soon as it
    // has read it, and Windows only lets it if this start (the one the user
    // just made) has passed on its right to the foreground.
    if (platform::allowForeground(processId)) {
        qDebug().nospace() << "SingleApplication: Allowed process " << processId
                           << " to come to the front.";
    } else {
        qDebug().nospace() << "SingleApplication: Unable to allow process " << processId
                           << " to come to the front.";
    }
}

void SingleApplicationPrivate::unlockOrLog(const char *message)
{
    if (!m_block->unlock()) {
        qDebug() << message;
        qDebug() << m_block->errorString();
    }
}

void SingleApplicationPrivate::resetBlock()
{
    InstanceBlock(m_block->data()).reset();
}

void SingleApplicationPrivate::becomePrimary()
{
    // The name field stays empty: the key already keeps users apart, and no
    // process reads the name.
    InstanceBlock(m_block->data()).markPrimary(QCoreApplication::applicationPid(), QByteArray());
    m_instanceIndex = 0;
    startServer();
}

void SingleApplicationPrivate::becomeSecondary()
{
    m_instanceIndex = InstanceBlock(m_block->data()).addSecondary();
}

void SingleApplicationPrivate::abortOnBlockError()
{
    qCritical() << "SingleApplication: " << m_block->error() << m_block->errorString();
    delete this;
    std::exit(EXIT_FAILURE);
}

void SingleApplicationPrivate::startServer()
{
    // A primary that was killed leaves its socket file behind on Unix.
    QLocalServer::removeServer(m_blockName);

    m_server = new QLocalServer();
    m_server->setSocketOptions(m_options.testFlag(SingleApplication::UserScope)
                                   ? QLocalServer::UserAccessOption
                                   : QLocalServer::WorldAccessOption);
    if (!m_server->listen(m_blockName)) {
        // Later starts will not reach us and end after their time-out.
        qWarning() << "SingleApplication: Unable to listen for later starts:"
                   << m_server->errorString();
    }
    connect(m_server, &QLocalServer::newConnection, this,
            &SingleApplicationPrivate::slotConnectionEstablished);
}

void SingleApplicationPrivate::slotConnectionEstablished()
{
    QLocalSocket *socket = m_server->nextPendingConnection();
    if (!socket)
        return;
    m_peers.insert(socket, PeerState());

    connect(
        socket, &QLocalSocket::aboutToClose, socket,
        [this, socket] {
            if (socket->bytesAvailable() > 0)
                Q_EMIT m_owner->receivedMessage(m_peers.value(socket).peerInstance,
                                                socket->readAll());
        },
        Qt::DirectConnection);
    connect(socket, &QLocalSocket::disconnected, socket, &QLocalSocket::deleteLater);
    connect(
        socket, &QObject::destroyed, socket, [this, socket] { m_peers.remove(socket); },
        Qt::DirectConnection);
    connect(
        socket, &QLocalSocket::readyRead, socket, [this, socket] { readFromPeer(socket); },
        Qt::DirectConnection);
}

void SingleApplicationPrivate::readFromPeer(QLocalSocket *socket)
{
    PeerState &state = m_peers[socket];
    act(socket, FrameReader::readStep(*socket, state, m_blockName));
}

void SingleApplicationPrivate::act(QLocalSocket *socket, const FrameReader::Outcome &outcome)
{
    if (outcome.close) {
        socket->close();
        return;
    }
    // Copied first: a slot of ours may end the connection, and its state with it.
    const quint32 peerInstance = m_peers.value(socket).peerInstance;
    if (outcome.accepted
        && (outcome.kind == HandoverConnection
            || (outcome.kind == SecondaryConnection
                && m_options.testFlag(SingleApplication::NotifySecondaryStart)))) {
        Q_EMIT m_owner->instanceStarted();
    }
    if (!outcome.message.isEmpty())
        Q_EMIT m_owner->receivedMessage(peerInstance, outcome.message);
}

void SingleApplicationPrivate::slotDataAvailable(QLocalSocket *socket, quint32 instanceId)
{
    Q_EMIT m_owner->receivedMessage(instanceId, socket->readAll());
}

void SingleApplicationPrivate::slotClientConnectionClosed(QLocalSocket *socket, quint32 instanceId)
{
    if (socket->bytesAvailable() > 0)
        Q_EMIT m_owner->receivedMessage(instanceId, socket->readAll());
}

bool SingleApplicationPrivate::contactPrimary(int timeout, ConnectionKind kind)
{
    QElapsedTimer timer;
    timer.start();

    if (!m_socket)
        m_socket = new QLocalSocket();
    if (m_socket->state() == QLocalSocket::ConnectedState)
        return true;

    for (;;) {
        randomPause();
        if (m_socket->state() != QLocalSocket::ConnectingState)
            m_socket->connectToServer(m_blockName, QIODevice::ReadWrite);
        if (m_socket->state() == QLocalSocket::ConnectingState)
            m_socket->waitForConnected(remainingMs(timer, timeout));
        if (m_socket->state() == QLocalSocket::ConnectedState)
            break;
        if (timer.elapsed() >= timeout)
            return false;
    }

    const QByteArray body = ConnectionFrame::encodeBody(m_blockName, kind, m_instanceIndex);
    QByteArray frame = ConnectionFrame::encodeHeader(body.size());
    frame += body;
    m_socket->write(frame);
    // Wait until all of it has left: on Windows a wait ends with the first
    // finished piece of the pipe write, and a later start exits right after.
    bool written = true;
    while (written && m_socket->bytesToWrite() > 0)
        written = m_socket->waitForBytesWritten(remainingMs(timer, timeout));
    m_socket->flush();
    return written;
}
