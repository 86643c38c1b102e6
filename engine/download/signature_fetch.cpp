#include "engine/download/signature_fetch.h"

#include "engine/download/http_fetch.h"
#include "engine/trust/minisign_signature.h"

SignatureFetch::SignatureFetch(const QNetworkRequest &request, QObject *parent)
    : QObject(parent)
    , m_fetch(new HttpFetch(request, this))
{
    connect(m_fetch, &HttpFetch::bodyReceived, this, &SignatureFetch::onBody);
    connect(m_fetch, &HttpFetch::finished, this, &SignatureFetch::onFinished);
}

SignatureFetch::~SignatureFetch()
{
    m_fetch->abort();
}

void SignatureFetch::setStallLimit(int msec, qint64 bytes)
{
    m_fetch->setStallLimit(msec, bytes);
}

void SignatureFetch::start()
{
    m_data.clear();
    m_fetch->start();
}

void SignatureFetch::onBody(const QByteArray &data)
{
    const int room = MinisignSignature::maximumFileSize + 1 - m_data.size();
    m_data += data.left(room);
    if (m_data.size() > MinisignSignature::maximumFileSize) {
        // Enough to know it is too large; no need to take the rest.
        m_fetch->abort();
        emit done(Fetched, m_data, QString());
    }
}

void SignatureFetch::onFinished()
{
    const int status = m_fetch->status();
    if (m_fetch->error() == HttpFetch::StatusError && (status == 404 || status == 410))
        emit done(Missing, QByteArray(), QString());
    else if (m_fetch->error() == HttpFetch::StatusError)
        emit done(Failed, QByteArray(), tr("The server answered with status %1.").arg(status));
    else if (m_fetch->error() != HttpFetch::NoError)
        emit done(Failed, QByteArray(), m_fetch->errorString());
    else
        emit done(Fetched, m_data, QString());
}
