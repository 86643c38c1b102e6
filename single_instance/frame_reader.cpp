#include "single_instance/frame_reader.h"

#include "single_instance/connection_frame.h"

#include <QIODevice>

FrameReader::Outcome FrameReader::readStep(QIODevice &device, PeerState &state,
                                           const QString &blockName)
{
    switch (state.stage) {
    case PeerState::AwaitHeader: {
        if (device.bytesAvailable() < ConnectionFrame::HeaderSize)
            return {};
        state.bodyLength = ConnectionFrame::decodeHeader(device.read(ConnectionFrame::HeaderSize));
        if (!ConnectionFrame::isAcceptableBodyLength(state.bodyLength)) {
            // Nobody of ours sends this. Drop what has come so far rather
            // than keep it or hand it on as a message, and hang up.
            device.readAll();
            Outcome outcome;
            outcome.close = true;
            return outcome;
        }
        state.stage = PeerState::AwaitBody;
        if (device.bytesAvailable() >= state.bodyLength)
            return readFrameBody(device, state, blockName);
        return {};
    }
    case PeerState::AwaitBody:
        return readFrameBody(device, state, blockName);
    case PeerState::Established:
    default: {
        Outcome outcome;
        outcome.message = device.readAll();
        return outcome;
    }
    }
}

FrameReader::Outcome FrameReader::readFrameBody(QIODevice &device, PeerState &state,
                                                const QString &blockName)
{
    if (device.bytesAvailable() < state.bodyLength)
        return {};

    Outcome outcome;
    const ConnectionFrame frame = ConnectionFrame::decodeBody(device.read(state.bodyLength));
    if (!frame.isValidFor(blockName)) {
        outcome.close = true;
        return outcome;
    }

    state.peerInstance = frame.instance;
    state.stage = PeerState::Established;
    outcome.accepted = true;
    outcome.kind = frame.kind;
    if (device.bytesAvailable() > 0)
        outcome.message = device.readAll();
    return outcome;
}
