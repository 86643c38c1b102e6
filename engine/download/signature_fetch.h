#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class HttpFetch;
class QNetworkRequest;

// Downloads a package's detached signature (a small ".minisig" file) into
// memory. At most a few kilobytes are taken: anything larger is no
// signature, and arrives cut (the transfer is ended there) to be refused by
// the parser. Lives on the GUI thread.
class SignatureFetch : public QObject
{
    Q_OBJECT

public:
    enum Result { Fetched, Missing, Failed };

    explicit SignatureFetch(const QNetworkRequest &request, QObject *parent = nullptr);
    ~SignatureFetch() override;

    // As HttpFetch::setStallLimit; before start().
    void setStallLimit(int msec, qint64 bytes);
    void start();

signals:
    // data is the file for Fetched; error is the network's text for Failed.
    void done(int result, const QByteArray &data, const QString &error);

private:
    void onBody(const QByteArray &data);
    void onFinished();

    HttpFetch *m_fetch = nullptr;
    QByteArray m_data;
};
