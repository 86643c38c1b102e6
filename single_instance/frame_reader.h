#pragma once

#include "single_instance/peer_state.h"

#include <QByteArray>
#include <QString>

class QIODevice;

// The primary's reading of one connection, kept apart from the socket so that
// it can be driven by any device (tests and the fuzzer feed it bytes). Each
// call consumes what the connection has ready and says what should follow;
// the caller owns the connection and does the closing and signalling.
class FrameReader
{
public:
    struct Outcome
    {
        // The connection is to be closed: the frame was invalid, or its
        // header announced a body no real sender would send.
        bool close = false;
        // A valid frame was read in this step; kind is what it said.
        bool accepted = false;
        quint8 kind = 0;
        // Bytes for receivedMessage, from the peer whose instance number is
        // in the PeerState.
        QByteArray message;
    };

    // One ready-to-read step on a connection in the given state.
    static Outcome readStep(QIODevice &device, PeerState &state, const QString &blockName);
    // Reads the body once all of it is there and checks it against blockName.
    static Outcome readFrameBody(QIODevice &device, PeerState &state, const QString &blockName);
};
