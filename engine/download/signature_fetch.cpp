#include "engine/download/signature_fetch.h"

#include "engine/trust/minisign_signature.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

SignatureFetch::SignatureFetch(QNetworkAccessManager *manager, const QNetworkRequest &request,
                               QObject *parent)
    : QObject(parent)
    , m_reply(manager->get(request))
{
    connect(m_reply, &QNetworkReply::readyRead, this, &SignatureFetch::onReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &SignatureFetch::onFinished);
}

SignatureFetch::~SignatureFetch()
{
    if (!m_reply)
        return;
    m_reply->disconnect(this);
    m_reply->abort();
    m_reply->deleteLater();
}

void SignatureFetch::onReadyRead()
{
    const qint64 room = MinisignSignature::maximumFileSize + 1 - m_data.size();
    m_data += m_reply->read(qMax<qint64>(room, 0));
    if (m_data.size() > MinisignSignature::maximumFileSize) {
        // Enough to know it is too large; no need to take the rest.
        m_reply->disconnect(this);
        m_reply->abort();
        onFinished();
    }
}

void SignatureFetch::onFinished()
{
    if (!m_reply)
        return;
    QNetworkReply *reply = m_reply;
    m_reply = nullptr;
    reply->disconnect(this);
    reply->deleteLater();

    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (m_data.size() > MinisignSignature::maximumFileSize) {
        emit done(Fetched, m_data, QString());
    } else if (status == 404 || status == 410) {
        emit done(Missing, QByteArray(), QString());
    } else if (reply->error() != QNetworkReply::NoError || status < 200 || status > 299) {
        const QString error = reply->error() != QNetworkReply::NoError
            ? reply->errorString()
            : tr("The server answered with status %1.").arg(status);
        emit done(Failed, QByteArray(), error);
    } else {
        m_data
            += reply->read(qMax<qint64>(MinisignSignature::maximumFileSize + 1 - m_data.size(), 0));
        emit done(Fetched, m_data, QString());
    }
}
