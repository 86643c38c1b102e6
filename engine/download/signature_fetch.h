#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

class QNetworkAccessManager;
class QNetworkReply;
class QNetworkRequest;

// Downloads a package's detached signature (a small ".minisig" file) into
// memory. At most a few kilobytes are kept: anything larger is no signature
// and arrives cut, to be refused by the parser. Lives on the GUI thread.
class SignatureFetch : public QObject
{
    Q_OBJECT

public:
    enum Result { Fetched, Missing, Failed };

    SignatureFetch(QNetworkAccessManager *manager, const QNetworkRequest &request,
                   QObject *parent = nullptr);
    ~SignatureFetch() override;

signals:
    // data is the file for Fetched; error is the network's text for Failed.
    void done(int result, const QByteArray &data, const QString &error);

private:
    void onReadyRead();
    void onFinished();

    QPointer<QNetworkReply> m_reply;
    QByteArray m_data;
};
