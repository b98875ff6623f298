#include "xmlrpc/xrclient.h"

#include "xmlrpc/xrdocuments.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QtEndian>

#include <zlib.h>

namespace {

int g_lastCallId = 0;

enum class InflateResult { Ok, Corrupt, TooLarge };

// Decodes the compressed body form: 4 bytes of big-endian uncompressed
// length, then a zlib stream. Unlike qUncompress, the output is bounded, so
// a small body cannot expand into gigabytes.
InflateResult inflateBody(const QByteArray& compressed, qint64 limit, QByteArray& out)
{
    out.clear();
    if (compressed.size() < 4)
        return InflateResult::Corrupt;
    const quint32 announced = qFromBigEndian<quint32>(compressed.constData());
    if (announced > limit)
        return InflateResult::TooLarge;
    if (compressed.size() == 4)
        return announced == 0 ? InflateResult::Ok : InflateResult::Corrupt;

    z_stream stream{};
    if (inflateInit(&stream) != Z_OK)
        return InflateResult::Corrupt;
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.constData() + 4));
    stream.avail_in = uInt(compressed.size() - 4);
    out.reserve(announced);

    constexpr qsizetype kChunk = 64 * 1024;
    int status = Z_OK;
    while (status == Z_OK) {
        const qsizetype used = out.size();
        out.resize(used + kChunk);
        stream.next_out = reinterpret_cast<Bytef*>(out.data() + used);
        stream.avail_out = uInt(kChunk);
        status = inflate(&stream, Z_NO_FLUSH);
        out.resize(used + kChunk - qsizetype(stream.avail_out));
        if (out.size() > limit) {
            inflateEnd(&stream);
            out.clear();
            return InflateResult::TooLarge;
        }
    }
    inflateEnd(&stream);
    if (status != Z_STREAM_END) {
        out.clear();
        return InflateResult::Corrupt;
    }
    return InflateResult::Ok;
}

// Transport texts that the fault reports and the operator messages rely on.
QString transportErrorText(const QNetworkReply* reply)
{
    switch (reply->error()) {
    case QNetworkReply::ConnectionRefusedError:
        return QStringLiteral("Connection refused");
    case QNetworkReply::RemoteHostClosedError:
        return QStringLiteral("Server closed connection unexpectedly");
    default:
        return reply->errorString();
    }
}

// Network and proxy failures (codes below the content range), and anything
// that ends without an HTTP answer, are transport failures. An HTTP error
// status still carries a body, which is read like any other.
bool isTransportFailure(const QNetworkReply* reply)
{
    const QNetworkReply::NetworkError error = reply->error();
    if (error == QNetworkReply::NoError)
        return false;
    return error < QNetworkReply::ContentAccessDenied
           || !reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();
}

const QString kResponseTooLarge = QStringLiteral("Response too large");

} // namespace

XRClient::XRClient(const QUrl& url, QObject* parent, const QString& name)
    : QObject(parent), m_url(url)
{
    setObjectName(name);
    m_timeout.setSingleShot(true);
    connect(&m_timeout, &QTimer::timeout, this, &XRClient::requestTimedOut);
}

XRClient::~XRClient()
{
    m_queue.clear();
    if (m_reply) {
        const int id = m_replyId;
        dropReply();
        emit fault(id, -32300, QStringLiteral("Request aborted"));
    }
}

QNetworkAccessManager* XRClient::networkAccessManager()
{
    static QPointer<QNetworkAccessManager> manager;
    if (!manager) {
        manager = new QNetworkAccessManager(QCoreApplication::instance());
        // Players are on the local network: never route calls through a proxy.
        manager->setProxy(QNetworkProxy::NoProxy);
        // A redirect's body is read as the answer, like any other body.
        manager->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    }
    return manager;
}

void XRClient::setUrl(const QString& url)
{
    m_url = QUrl(url);
}

void XRClient::setRequestTimeout(int milliseconds)
{
    m_requestTimeoutMs = qMax(1, milliseconds);
}

int XRClient::call(const QString& method, const QVariantList& params)
{
    const int id = ++g_lastCallId;
    m_queue.enqueue({id, m_url, XRMethodCall(method, params).toWire()});
    startNext();
    return id;
}

void XRClient::startNext()
{
    if (m_reply || m_queue.isEmpty())
        return;
    const QueuedCall next = m_queue.dequeue();

    QNetworkRequest request(next.url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("text/xml"));
    request.setHeader(QNetworkRequest::UserAgentHeader, QByteArrayLiteral("QuteXmlRpc/0.0"));
    // A raw Accept-Encoding turns the manager's own decoding off; the
    // deflate body is decoded in processHttpResponse().
    request.setRawHeader("Accept-Encoding", "deflate");
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);

    m_replyId = next.id;
    m_reply = networkAccessManager()->post(request, next.body);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, &XRClient::processHeaders);
    connect(m_reply, &QNetworkReply::downloadProgress, this, &XRClient::processDownloadProgress);
    connect(m_reply, &QNetworkReply::finished, this, &XRClient::processHttpResponse);
    m_timeout.start(m_requestTimeoutMs);
}

void XRClient::processHeaders()
{
    if (!m_reply || sender() != m_reply)
        return;
    const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
    if (length.isValid() && length.toLongLong() > kMaxResponseBytes)
        finishWithFault(-32300, kResponseTooLarge);
}

void XRClient::processDownloadProgress(qint64 received, qint64 total)
{
    if (!m_reply || sender() != m_reply)
        return;
    if (received > kMaxResponseBytes || total > kMaxResponseBytes)
        finishWithFault(-32300, kResponseTooLarge);
}

void XRClient::requestTimedOut()
{
    if (m_reply)
        finishWithFault(-32300, QStringLiteral("Request timed out"));
}

void XRClient::processHttpResponse()
{
    QNetworkReply* reply = m_reply;
    if (!reply || sender() != reply)
        return;
    if (isTransportFailure(reply)) {
        finishWithFault(-32300, transportErrorText(reply));
        return;
    }

    QByteArray body = reply->readAll();
    if (reply->rawHeader("Content-Encoding") == "deflate") {
        QByteArray inflated;
        switch (inflateBody(body, kMaxResponseBytes, inflated)) {
        case InflateResult::Ok:
            body = inflated;
            break;
        case InflateResult::TooLarge:
            finishWithFault(-32300, kResponseTooLarge);
            return;
        case InflateResult::Corrupt:
            finishWithFault(-32700, QStringLiteral("Compressed response body is corrupt"));
            return;
        }
    }

    XRMethodResponse response;
    QString parseError;
    if (!xrParseDocument(body, response, &parseError)) {
        finishWithFault(-32700, parseError);
        return;
    }
    if (!response.parse()) {
        finishWithFault(-32600,
                        QStringLiteral("server error: recieved bad XML-RPC grammar from remote server"));
        return;
    }
    int faultCode = 0;
    QString faultString;
    if (response.getFault(faultCode, faultString))
        finishWithFault(faultCode, faultString);
    else
        finishWithValue(response.value());
}

void XRClient::dropReply()
{
    m_timeout.stop();
    if (QNetworkReply* reply = m_reply) {
        m_reply = nullptr;
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
}

void XRClient::finishWithFault(int faultCode, const QString& faultString)
{
    const int id = m_replyId;
    dropReply();
    QPointer<XRClient> self(this);
    emit fault(id, faultCode, faultString);
    if (self)
        startNext();
}

void XRClient::finishWithValue(const QVariant& value)
{
    const int id = m_replyId;
    dropReply();
    QPointer<XRClient> self(this);
    emit methodResponse(id, value);
    if (self)
        startNext();
}
