// The shared instance block, byte for byte, without shared memory: other
// builds of the installer read the same bytes.
#include "single_instance/instance_block.h"
#include "single_instance/random_pause.h"

#include <QtTest>

#include <cstring>

namespace {

template<typename T> T at(const QByteArray &bytes, int offset)
{
    T value;
    std::memcpy(&value, bytes.constData() + offset, sizeof value);
    return value;
}

} // namespace

class TestInstanceBlock : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void freshSegmentIsInconsistentUntilReset()
    {
        // A new segment is all zero; its checksum field does not match.
        QByteArray bytes(InstanceBlock::Size, '\0');
        InstanceBlock block(bytes.data());
        QVERIFY(!block.isConsistent());

        block.reset();
        QVERIFY(block.isConsistent());
        QVERIFY(!block.hasPrimary());
        QCOMPARE(block.secondaryCount(), 0u);
        QCOMPARE(block.primaryProcessId(), qint64(-1));
        QCOMPARE(at<qint64>(bytes, 8), qint64(-1));
    }

    void primaryIsWrittenAtItsOffsets()
    {
        QByteArray bytes(InstanceBlock::Size, '\0');
        InstanceBlock block(bytes.data());
        block.reset();
        block.markPrimary(0x123456789aLL, "user");

        QCOMPARE(int(bytes.at(0)), 1);
        QCOMPARE(bytes.mid(1, 3), QByteArray(3, '\0'));
        QCOMPARE(at<qint64>(bytes, 8), 0x123456789aLL);
        QCOMPARE(QByteArray(bytes.constData() + 16), QByteArray("user"));
        QCOMPARE(at<quint16>(bytes, 144), qChecksum(bytes.constData(), 144));
        QVERIFY(block.isConsistent());
        QVERIFY(block.hasPrimary());
        QCOMPARE(block.primaryUserName(), QByteArray("user"));
    }

    void everyChangedByteIsNoticed()
    {
        QByteArray bytes(InstanceBlock::Size, '\0');
        InstanceBlock block(bytes.data());
        block.reset();
        block.markPrimary(4242, QByteArray());
        for (int offset = 0; offset < InstanceBlock::CrcOffset; ++offset) {
            QByteArray damaged = bytes;
            damaged[offset] = char(damaged.at(offset) ^ 0x10);
            QVERIFY2(!InstanceBlock(damaged.data()).isConsistent(),
                     qPrintable(QString::number(offset)));
        }
        // The trailing padding is not covered.
        QByteArray padded = bytes;
        padded[150] = 'x';
        QVERIFY(InstanceBlock(padded.data()).isConsistent());
    }

    void secondariesAreCountedAndOutliveThePrimary()
    {
        QByteArray bytes(InstanceBlock::Size, '\0');
        InstanceBlock block(bytes.data());
        block.reset();
        block.markPrimary(77, QByteArray());
        QCOMPARE(block.addSecondary(), 1u);
        QCOMPARE(block.addSecondary(), 2u);
        QCOMPARE(at<quint32>(bytes, 4), 2u);

        block.clearPrimary();
        QVERIFY(block.isConsistent());
        QVERIFY(!block.hasPrimary());
        QCOMPARE(block.primaryProcessId(), qint64(-1));
        QCOMPARE(block.secondaryCount(), 2u);
    }

    void userNameIsBoundedAndTerminated()
    {
        QByteArray bytes(InstanceBlock::Size, 'z');
        InstanceBlock block(bytes.data());
        block.markPrimary(1, QByteArray(300, 'n'));
        QCOMPARE(block.primaryUserName(), QByteArray(127, 'n'));
        QCOMPARE(int(bytes.at(16 + 127)), 0);
        QVERIFY(block.isConsistent());

        // Reset clears the name's first byte only.
        block.reset();
        QCOMPARE(block.primaryUserName(), QByteArray());
        QCOMPARE(bytes.at(17), 'n');

        // A name that another process left without a NUL is read no further
        // than its field.
        std::memset(bytes.data() + 16, 'a', 128);
        QCOMPARE(block.primaryUserName(), QByteArray(128, 'a'));
    }

    void randomPauseStaysWithinItsRange()
    {
        QCOMPARE(randomPauseMilliseconds(0), 8);
        QCOMPARE(randomPauseMilliseconds(0x80000000u), 13);
        QCOMPARE(randomPauseMilliseconds(0xffffffffu), 17);
        QCOMPARE(randomPauseMilliseconds(0x1999999au), 9);
        QCOMPARE(randomPauseMilliseconds(0x19999999u), 8);
    }
};

QTEST_GUILESS_MAIN(TestInstanceBlock)
#include "tst_instance_block.moc"
