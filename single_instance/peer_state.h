#pragma once

#include <QtGlobal>

// How far the primary has got in reading one accepted connection.
struct PeerState
{
    enum Stage : quint8 {
        AwaitHeader = 0,
        AwaitBody = 1,
        Established = 2,
    };

    // Body length announced by the header.
    qint64 bodyLength = 0;
    // The sender's instance number, known once its frame was accepted.
    quint32 peerInstance = 0;
    quint8 stage = AwaitHeader;
};
