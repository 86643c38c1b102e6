// Real installer processes meeting through the guard: hand-over, copies that
// run side by side, recovery from a killed primary, and what a later start
// does when the primary cannot be reached or its block is damaged.
#include "single_instance/instance_block.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QSharedMemory>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

// Generous bounds for a busy machine; the tests never judge speed by them.
constexpr int LongWaitMs = 60000;

// One run of the helper program, read line by line.
class Helper
{
public:
    explicit Helper(const QString &program, const QStringList &arguments = {},
                    const QString &version = QString())
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (!version.isEmpty())
            environment.insert(QStringLiteral("HELPER_VERSION"), version);
        m_process.setProcessEnvironment(environment);
        m_process.start(program, arguments);
    }

    ~Helper()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(LongWaitMs);
        }
    }

    // Waits for a line starting with prefix and returns the rest of it;
    // a null string if the process ended or fell silent first.
    QString waitForLine(const QString &prefix)
    {
        QElapsedTimer timer;
        timer.start();
        for (;;) {
            // Whether it had ended is asked before the last look at its
            // output: a process that wrote its line and ended in between
            // must still be heard.
            const bool ended = m_process.state() == QProcess::NotRunning;
            collect();
            for (int i = m_seen; i < m_lines.size(); ++i) {
                if (m_lines.at(i).startsWith(prefix)) {
                    m_seen = i + 1;
                    return m_lines.at(i).mid(prefix.size()).trimmed();
                }
            }
            if (ended || timer.elapsed() > LongWaitMs)
                return QString();
            m_process.waitForReadyRead(100);
        }
    }

    int count(const QString &prefix)
    {
        collect();
        int found = 0;
        for (const QString &line : qAsConst(m_lines))
            found += line.startsWith(prefix) ? 1 : 0;
        return found;
    }

    // Asks a running guard to end normally and gives its exit code.
    int quit()
    {
        m_process.write("quit\n");
        return finish();
    }

    int finish()
    {
        if (!m_process.waitForFinished(LongWaitMs))
            return -1;
        collect();
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -2;
    }

    void killHard()
    {
        m_process.kill(); // SIGKILL: no destructor runs, the block keeps its entry
        m_process.waitForFinished(LongWaitMs);
    }

    bool isRunning() const { return m_process.state() == QProcess::Running; }

    // Waits until standard error holds text. Standard error is a pipe of its
    // own and may arrive after lines written later to standard output.
    bool waitForError(const QByteArray &text)
    {
        QElapsedTimer timer;
        timer.start();
        for (;;) {
            const bool ended = m_process.state() == QProcess::NotRunning;
            collect();
            if (m_errors.contains(text))
                return true;
            if (ended || timer.elapsed() > LongWaitMs)
                return false;
            m_process.waitForReadyRead(100);
        }
    }

private:
    void collect()
    {
        m_errors += m_process.readAllStandardError();
        m_pending += m_process.readAllStandardOutput();
        int end;
        while ((end = m_pending.indexOf('\n')) >= 0) {
            m_lines << QString::fromUtf8(m_pending.left(end));
            m_pending.remove(0, end + 1);
        }
    }

    QProcess m_process;
    QByteArray m_pending;
    QByteArray m_errors;
    QStringList m_lines;
    int m_seen = 0;
};

// A copy of the block's bytes, taken under its lock.
QByteArray readBlock(const QString &key)
{
    QSharedMemory memory(key);
    if (!memory.attach(QSharedMemory::ReadOnly) || !memory.lock())
        return QByteArray();
    const QByteArray bytes(static_cast<const char *>(memory.constData()), InstanceBlock::Size);
    memory.unlock();
    return bytes;
}

} // namespace

class TestSingleInstanceProcesses : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_root.isValid());
        // Key files and server sockets of this run live in a folder of its own.
        QVERIFY(QDir(m_root.path()).mkpath(QStringLiteral("ipc")));
        qputenv("TMPDIR", QFile::encodeName(m_root.filePath(QStringLiteral("ipc"))));
        // The helpers' warnings are read from their standard error; a Windows
        // program without a console would send them to the debugger instead.
        qputenv("QT_FORCE_STDERR_LOGGING", "1");
        QVERIFY(QFileInfo::exists(helperSource()));
    }

    void secondStartHandsOverToThePrimary()
    {
        const QString program = copyHelper(QStringLiteral("handover"));
        Helper primary(program);
        const QString pid = primary.waitForLine(QStringLiteral("running "));
        QVERIFY(!pid.isEmpty());

        const QByteArray bytes = readBlock(keyOf(program));
        QCOMPARE(bytes.size(), InstanceBlock::Size);
        const InstanceBlock block(const_cast<char *>(bytes.constData()));
        QVERIFY(block.isConsistent());
        QVERIFY(block.hasPrimary());
        QCOMPARE(block.primaryProcessId(), pid.toLongLong());

        Helper second(program);
        QCOMPARE(second.finish(), 0);
        QCOMPARE(second.count(QStringLiteral("running")), 0);
        // It let the primary, by the id in the block, take the foreground.
        QVERIFY(second.waitForError("process " + pid.toLatin1() + " to come to the front."));

        QVERIFY(!primary.waitForLine(QStringLiteral("started")).isNull());
        QVERIFY(primary.isRunning());
        QCOMPARE(primary.quit(), 0);
        QCOMPARE(primary.count(QStringLiteral("started")), 1);
        QCOMPARE(primary.count(QStringLiteral("message")), 0);
    }

    void primaryClearsItsEntryAndKeepsTheSecondaryCount()
    {
        const QString program = copyHelper(QStringLiteral("secondary"));
        const QStringList secondaryArguments { QStringLiteral("--allow-secondary"),
                                               QStringLiteral("--notify") };
        Helper primary(program, { QStringLiteral("--notify") });
        QVERIFY(!primary.waitForLine(QStringLiteral("running ")).isEmpty());
        Helper secondary(program, secondaryArguments);
        QVERIFY(!secondary.waitForLine(QStringLiteral("running ")).isEmpty());
        QVERIFY(!primary.waitForLine(QStringLiteral("started")).isNull());

        QCOMPARE(primary.quit(), 0);
        // The secondary still holds the segment, so the block can be read.
        const QByteArray bytes = readBlock(keyOf(program));
        QCOMPARE(bytes.size(), InstanceBlock::Size);
        const InstanceBlock block(const_cast<char *>(bytes.constData()));
        QVERIFY(block.isConsistent());
        QVERIFY(!block.hasPrimary());
        QCOMPARE(block.primaryProcessId(), qint64(-1));
        QCOMPARE(block.secondaryCount(), 1u);

        // With no primary left, the next start takes over.
        Helper next(program);
        QVERIFY(!next.waitForLine(QStringLiteral("running ")).isEmpty());
        QCOMPARE(next.quit(), 0);
        QCOMPARE(secondary.quit(), 0);
    }

    void otherFoldersAndVersionsRunSideBySide()
    {
        const QString first = copyHelper(QStringLiteral("side/one"));
        const QString second = copyHelper(QStringLiteral("side/two"));
        QVERIFY(keyOf(first) != keyOf(second));
        QVERIFY(keyOf(first) != keyOf(first, QStringLiteral("2.0.0")));

        Helper a(first);
        QVERIFY(!a.waitForLine(QStringLiteral("running ")).isEmpty());
        Helper b(second);
        QVERIFY(!b.waitForLine(QStringLiteral("running ")).isEmpty());
        Helper newer(first, {}, QStringLiteral("2.0.0"));
        QVERIFY(!newer.waitForLine(QStringLiteral("running ")).isEmpty());

        QCOMPARE(newer.quit(), 0);
        QCOMPARE(b.quit(), 0);
        QCOMPARE(a.quit(), 0);
        QCOMPARE(a.count(QStringLiteral("started")), 0);
    }

    void killedPrimaryIsReplaced()
    {
        const QString program = copyHelper(QStringLiteral("killed"));
        const QString key = keyOf(program);
        {
            Helper primary(program);
            QVERIFY(!primary.waitForLine(QStringLiteral("running ")).isEmpty());
            // A process that dies holding the block's lock must not leave it
            // locked for good.
            Helper holder(helperSource(), { QStringLiteral("hold-lock"), key });
            QVERIFY(!holder.waitForLine(QStringLiteral("locked")).isNull());
            holder.killHard();
            primary.killHard();
        }

        Helper replacement(program);
        const QString pid = replacement.waitForLine(QStringLiteral("running "));
        QVERIFY(!pid.isEmpty());
#ifndef Q_OS_WIN
        // Windows drops a named segment with its last process, so there the
        // replacement finds no dead primary to report, only a fresh block.
        QVERIFY(replacement.waitForError("no longer runs"));
#endif
        const QByteArray bytes = readBlock(key);
        QCOMPARE(InstanceBlock(const_cast<char *>(bytes.constData())).primaryProcessId(),
                 pid.toLongLong());

        // And the ordinary hand-over works again.
        Helper second(program);
        QCOMPARE(second.finish(), 0);
        QVERIFY(!replacement.waitForLine(QStringLiteral("started")).isNull());
        QCOMPARE(replacement.quit(), 0);
    }

    void laterStartSendsOneFrame()
    {
        const QString program = copyHelper(QStringLiteral("frame"));
        const QString key = keyOf(program);
        // This test poses as the primary: a live process id in the block and
        // a server under the key.
        QSharedMemory memory(key);
        QVERIFY2(makeBlock(memory, /*consistent=*/true), qPrintable(memory.errorString()));
        QLocalServer server;
        QLocalServer::removeServer(key);
        QVERIFY(server.listen(key));

        Helper later(program);
        QVERIFY(server.waitForNewConnection(LongWaitMs));
        QLocalSocket *connection = server.nextPendingConnection();
        QByteArray received;
        while (connection->state() == QLocalSocket::ConnectedState
               && connection->waitForReadyRead(LongWaitMs))
            received += connection->readAll();
        received += connection->readAll();
        QCOMPARE(later.finish(), 0);

        QCOMPARE(received.size(), 63);
        QByteArray expected = QByteArray::fromHex("0000000000000037"
                                                  "0000002c");
        expected += key.toLatin1();
        expected += QByteArray::fromHex("01"
                                        "00000000");
        const quint16 crc = qChecksum(expected.constData() + 8, 53);
        expected.append(char(crc >> 8)).append(char(crc & 0xff));
        QCOMPARE(received, expected);
    }

    void unreachablePrimaryIsGivenUpAfterTheTimeout()
    {
        const QString program = copyHelper(QStringLiteral("unreachable"));
        const QString key = keyOf(program);
        QVERIFY(!key.isEmpty());
        QSharedMemory memory(key);
        QVERIFY2(makeBlock(memory, /*consistent=*/true), qPrintable(memory.errorString()));

        QElapsedTimer timer;
        timer.start();
        Helper later(program);
        QCOMPARE(later.finish(), 0);
        QVERIFY(timer.elapsed() >= 1000);
        QCOMPARE(later.count(QStringLiteral("running")), 0);
    }

    void inconsistentBlockIsResetAfterFiveSeconds()
    {
        const QString program = copyHelper(QStringLiteral("inconsistent"));
        const QString key = keyOf(program);
        QVERIFY(!key.isEmpty());
        QSharedMemory memory(key);
        QVERIFY2(makeBlock(memory, /*consistent=*/false), qPrintable(memory.errorString()));

        QElapsedTimer timer;
        timer.start();
        Helper waiting(program);
        const QString pid = waiting.waitForLine(QStringLiteral("running "));
        QVERIFY(!pid.isEmpty());
        QVERIFY(timer.elapsed() > 5000);
        QVERIFY(waiting.waitForError("inconsistent state from more than 5s"));

        QVERIFY(memory.lock());
        const InstanceBlock block(memory.data());
        QVERIFY(block.isConsistent());
        QCOMPARE(block.primaryProcessId(), pid.toLongLong());
        QCOMPARE(block.secondaryCount(), 0u);
        QVERIFY(memory.unlock());
        QCOMPARE(waiting.quit(), 0);
    }

private:
    static QString helperSource() { return qEnvironmentVariable("SINGLE_INSTANCE_HELPER"); }

    // Each copy has a folder, and so an instance key, of its own.
    QString copyHelper(const QString &folder)
    {
        const QString target = m_root.filePath(folder + QStringLiteral("/installer"));
        QDir().mkpath(QFileInfo(target).path());
        if (!QFile::copy(helperSource(), target))
            return QString();
        return target;
    }

    static QString keyOf(const QString &program, const QString &version = QString())
    {
        Helper helper(program, { QStringLiteral("key") }, version);
        return helper.waitForLine(QString());
    }

    // A block that names this test process as a primary that runs; with a
    // checksum that matches or not.
    static bool makeBlock(QSharedMemory &memory, bool consistent)
    {
        // A block that a killed run left behind may answer to the same
        // system key; it is written over whole, as a new one would be.
        const bool made = memory.create(InstanceBlock::Size)
            || (memory.error() == QSharedMemory::AlreadyExists && memory.attach()
                && memory.size() >= InstanceBlock::Size);
        if (!made || !memory.lock())
            return false;
        InstanceBlock block(memory.data());
        block.reset();
        block.markPrimary(QCoreApplication::applicationPid(), QByteArray());
        if (!consistent)
            static_cast<char *>(memory.data())[InstanceBlock::CrcOffset] ^= 0x5a;
        return memory.unlock();
    }

    QTemporaryDir m_root { QDir::tempPath() + QStringLiteral("/si-XXXXXX") };
};

QTEST_GUILESS_MAIN(TestSingleInstanceProcesses)
#include "tst_single_instance_processes.moc"
