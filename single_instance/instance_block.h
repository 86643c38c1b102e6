#pragma once

#include <QByteArray>
#include <QtGlobal>

// A view on the 152-byte record that every installer process of one key
// shares in memory. The layout is fixed across processes (and across builds
// of the installer), so the fields are read and written byte-wise at their
// offsets, in the machine's own byte order, instead of overlaying a struct.
//
// The view does no locking: callers hold the segment's lock while they use it.
class InstanceBlock
{
public:
    static constexpr int Size = 152;
    static constexpr int HasPrimaryOffset = 0;
    static constexpr int SecondaryCountOffset = 4;
    static constexpr int PrimaryProcessIdOffset = 8;
    static constexpr int PrimaryUserNameOffset = 16;
    static constexpr int PrimaryUserNameSize = 128;
    static constexpr int CrcOffset = 144;

    explicit InstanceBlock(void *data);

    bool hasPrimary() const;
    quint32 secondaryCount() const;
    qint64 primaryProcessId() const;
    QByteArray primaryUserName() const;
    quint16 blockCrc() const;

    // The checksum that bytes 0 to 143 ought to carry.
    quint16 computeCrc() const;
    bool isConsistent() const;

    // No primary, no secondaries; the stored checksum matches afterwards.
    void reset();
    // Records this process as the primary.
    void markPrimary(qint64 processId, const QByteArray &userName);
    // The primary's entry goes; the count of secondaries stays.
    void clearPrimary();
    // Counts one more secondary and returns the new count.
    quint32 addSecondary();

private:
    void setHasPrimary(bool value);
    void setSecondaryCount(quint32 value);
    void setPrimaryProcessId(qint64 value);
    void updateCrc();

    unsigned char *m_data;
};
