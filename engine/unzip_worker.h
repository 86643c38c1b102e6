#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <atomic>

class QFileInfo;

// Turns the downloaded package into installed files, on a worker thread of
// its own: checks the archive, unpacks it into a fresh folder in the system
// temporary folder, copies that tree into the install folder with progress by
// bytes, removes the unpacked copy and reports the result once.
class UnzipWorker : public QObject
{
    Q_OBJECT

public:
    explicit UnzipWorker(QObject *parent = nullptr);

    // Set from the GUI thread to stop the work between two entries; a
    // cancelled run ends without a done signal.
    std::atomic<bool> cancelled { false };

public slots:
    void doWork(const QString &zip_file_name, qulonglong bytes_total, const QString &target_dir);

signals:
    // After each copied file: the fraction of bytes_total copied so far (may
    // pass 1.0 when bytes_total was too small) and the file's name.
    void progress(double percent, const QString &current = QString());
    void done(int error, const QString &message);

private:
    // Why the archive must not be unpacked (unreadable, hostile, too big for
    // the temporary folder), or empty when it may.
    QString checkPackage(const QString &zipFileName) const;
    bool copyTree(const QString &source, const QString &target);
    bool copyLink(const QString &source, const QString &destination);
    // Moves or, across volumes, copies one unpacked file into place.
    bool installFile(const QFileInfo &source, const QString &destination);
    bool copyFile(const QFileInfo &source, const QString &destination);
    bool makeFolder(const QString &target, const QString &name);

    quint64 m_bytesTotal = 0;
    quint64 m_bytesCopied = 0;
    QByteArray m_buffer;
};
