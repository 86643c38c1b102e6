// libFuzzer target for the primary's reading of a connection: whatever a
// local process sends must end in a clean verdict, never in a crash, an
// over-read or a body held in memory beyond the frame limit.
//
// Input: the first byte chooses how the rest is cut into arrival pieces
// (as a socket would hand them over); the rest is the byte stream.
#include "byte_feed.h"
#include "single_instance/connection_frame.h"
#include "single_instance/frame_reader.h"

#include <QString>

#include <cstdint>
#include <cstdlib>

namespace {

const QString Key = QStringLiteral("FuzzKeyFuzzKeyFuzzKeyFuzzKeyFuzzKeyFuzzKey0=");

void require(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const int pieceSeed = data[0];
    const QByteArray stream(reinterpret_cast<const char *>(data + 1), int(size - 1));

    // Decoding a body on its own must always come back with a verdict.
    (void)ConnectionFrame::decodeBody(stream).isValidFor(Key);

    ByteFeed feed;
    PeerState state;
    bool accepted = false;
    int offset = 0;
    int round = 0;
    while (offset < stream.size()) {
        // Pieces of 1 to 64 bytes, varying with the seed and the round.
        const int piece = 1 + (pieceSeed * 31 + round * 17) % 64;
        feed.append(stream.mid(offset, piece));
        offset += piece;
        ++round;

        const FrameReader::Outcome outcome = FrameReader::readStep(feed, state, Key);
        require(!(outcome.accepted && outcome.close));
        require(!outcome.accepted || !accepted); // one frame per connection
        accepted = accepted || outcome.accepted;
        require(outcome.message.isEmpty() || state.stage == PeerState::Established);
        if (outcome.close) {
            require(!accepted);
            break;
        }

        switch (state.stage) {
        case PeerState::AwaitHeader:
            require(feed.bytesAvailable() < ConnectionFrame::HeaderSize);
            break;
        case PeerState::AwaitBody:
            // Waiting only for a body of acceptable size, and only while it
            // is still incomplete.
            require(ConnectionFrame::isAcceptableBodyLength(state.bodyLength));
            require(feed.bytesAvailable() < state.bodyLength);
            break;
        case PeerState::Established:
            require(accepted);
            require(feed.bytesAvailable() == 0);
            break;
        default:
            require(false);
        }
    }
    return 0;
}
