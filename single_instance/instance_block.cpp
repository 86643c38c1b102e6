#include "single_instance/instance_block.h"

#include <cstring>

namespace {

template<typename T> T readField(const unsigned char *data, int offset)
{
    T value;
    std::memcpy(&value, data + offset, sizeof value);
    return value;
}

template<typename T> void writeField(unsigned char *data, int offset, T value)
{
    std::memcpy(data + offset, &value, sizeof value);
}

} // namespace

InstanceBlock::InstanceBlock(void *data)
    : m_data(static_cast<unsigned char *>(data))
{
}

bool InstanceBlock::hasPrimary() const
{
    return m_data[HasPrimaryOffset] != 0;
}

quint32 InstanceBlock::secondaryCount() const
{
    return readField<quint32>(m_data, SecondaryCountOffset);
}

qint64 InstanceBlock::primaryProcessId() const
{
    return readField<qint64>(m_data, PrimaryProcessIdOffset);
}

QByteArray InstanceBlock::primaryUserName() const
{
    // Another process may have left the name without its NUL; never read past the field.
    const char *name = reinterpret_cast<const char *>(m_data + PrimaryUserNameOffset);
    return QByteArray(name, int(qstrnlen(name, PrimaryUserNameSize)));
}

quint16 InstanceBlock::blockCrc() const
{
    return readField<quint16>(m_data, CrcOffset);
}

quint16 InstanceBlock::computeCrc() const
{
    return qChecksum(reinterpret_cast<const char *>(m_data), CrcOffset);
}

bool InstanceBlock::isConsistent() const
{
    return blockCrc() == computeCrc();
}

void InstanceBlock::reset()
{
    setHasPrimary(false);
    setSecondaryCount(0);
    setPrimaryProcessId(-1);
    m_data[PrimaryUserNameOffset] = 0;
    updateCrc();
}

void InstanceBlock::markPrimary(qint64 processId, const QByteArray &userName)
{
    setHasPrimary(true);
    setPrimaryProcessId(processId);
    const int length = qMin(userName.size(), PrimaryUserNameSize - 1);
    std::memcpy(m_data + PrimaryUserNameOffset, userName.constData(), size_t(length));
    m_data[PrimaryUserNameOffset + length] = 0;
    updateCrc();
}

void InstanceBlock::clearPrimary()
{
    setHasPrimary(false);
    setPrimaryProcessId(-1);
    m_data[PrimaryUserNameOffset] = 0;
    updateCrc();
}

quint32 InstanceBlock::addSecondary()
{
    const quint32 count = secondaryCount() + 1;
    setSecondaryCount(count);
    updateCrc();
    return count;
}

void InstanceBlock::setHasPrimary(bool value)
{
    m_data[HasPrimaryOffset] = value ? 1 : 0;
}

void InstanceBlock::setSecondaryCount(quint32 value)
{
    writeField(m_data, SecondaryCountOffset, value);
}

void InstanceBlock::setPrimaryProcessId(qint64 value)
{
    writeField(m_data, PrimaryProcessIdOffset, value);
}

void InstanceBlock::updateCrc()
{
    writeField(m_data, CrcOffset, computeCrc());
}
