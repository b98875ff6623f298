#include "xmlrpc/xrclient.h"

#include "xmlrpc/xrdocuments.h"

#include <QCoreApplication>
#include <QNetworkProxy>
#include <QScopeGuard>
#include <QTcpSocket>
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

const QString kClosedUnexpectedly = QStringLiteral("Server closed connection unexpectedly");
const QString kInvalidResponse = QStringLiteral("Invalid HTTP response");
// A chunk-size line or trailer field longer than this is not HTTP.
constexpr qsizetype kMaxLineBytes = 4096;

// Index just past the end of the first line in bytes, and the line's length
// without its CR LF (or bare LF); -1 when no line is complete.
qsizetype lineEnd(QByteArrayView bytes, qsizetype* length)
{
    const qsizetype lf = bytes.indexOf('\n');
    if (lf < 0)
        return -1;
    *length = lf > 0 && bytes[lf - 1] == '\r' ? lf - 1 : lf;
    return lf + 1;
}

} // namespace

QString XRClient::playerName(const QString& clientName)
{
    static const QLatin1String prefix("xml-rpc_client");
    const qsizetype colon = clientName.lastIndexOf(QLatin1Char(':'));
    if (!clientName.startsWith(prefix) || colon < prefix.size())
        return QString();
    return clientName.mid(prefix.size(), colon - prefix.size());
}

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
    const bool inFlight = m_socket != nullptr;
    const int id = m_current.id;
    dropConnection();
    // Outcomes already known still reach their receivers, in order.
    for (const Outcome& outcome : std::exchange(m_outcomes, {})) {
        if (outcome.isFault)
            emit fault(outcome.id, outcome.code, outcome.text);
        else
            emit methodResponse(outcome.id, outcome.value);
    }
    if (inFlight)
        emit fault(id, -32300, QStringLiteral("Request aborted"));
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
    if (m_socket || m_queue.isEmpty())
        return;
    m_current = m_queue.dequeue();
    m_received.clear();
    m_receivedTotal = 0;
    m_headerScanFrom = 0;
    m_headerBytes = 0;
    m_interimResponses = 0;
    m_status = 0;
    m_body.clear();
    m_headerDone = false;
    m_framing = BodyFraming::UntilClose;
    m_contentLength = 0;
    m_chunkState = ChunkState::SizeLine;
    m_chunkLeft = 0;
    m_deflated = false;

    m_socket = new QTcpSocket(this);
    // Players are on the local network: never route calls through a proxy.
    m_socket->setProxy(QNetworkProxy::NoProxy);
    connect(m_socket, &QTcpSocket::connected, this, &XRClient::sendRequest);
    connect(m_socket, &QTcpSocket::readyRead, this, &XRClient::readResponse);
    connect(m_socket, &QTcpSocket::disconnected, this, &XRClient::connectionClosed);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &XRClient::socketFailed);
    m_timeout.start(m_requestTimeoutMs);
    m_socket->connectToHost(m_current.url.host(), quint16(m_current.url.port(80)));
}

void XRClient::sendRequest()
{
    const QUrl& url = m_current.url;
    QByteArray path = url.path(QUrl::FullyEncoded).toLatin1();
    if (path.isEmpty())
        path = "/";
    if (url.hasQuery())
        path += '?' + url.query(QUrl::FullyEncoded).toLatin1();
    QByteArray host = url.host(QUrl::FullyEncoded).toLatin1();
    if (host.contains(':'))
        host = '[' + host + ']';
    if (url.port(80) != 80)
        host += ':' + QByteArray::number(url.port());

    QByteArray request;
    request.reserve(256 + m_current.body.size());
    request += "POST " + path + " HTTP/1.1\r\n";
    request += "Host: " + host + "\r\n";
    request += "User-Agent: QuteXmlRpc/0.0\r\n";
    request += "Accept-Encoding: deflate\r\n";
    request += "Content-Type: text/xml\r\n";
    request += "Content-Length: " + QByteArray::number(m_current.body.size()) + "\r\n";
    // One connection per call: the call can never be repeated on a connection
    // that turns out closed, and an idle client holds no connection.
    request += "Connection: close\r\n\r\n";
    request += m_current.body;
    m_socket->write(request);
}

void XRClient::readResponse()
{
    if (!m_socket || sender() != m_socket)
        return;
    if (!takeReceived())
        return;
    if (!m_headerDone && takeHeader() != Progress::Done)
        return;
    if (takeBody(false) == Progress::Done)
        finishWithBody();
}

void XRClient::connectionClosed()
{
    if (!m_socket || sender() != m_socket)
        return;
    if (!takeReceived())
        return;
    if (!m_headerDone) {
        const Progress header = takeHeader();
        if (header == Progress::Failed)
            return;
        if (header == Progress::More) {
            fail(kClosedUnexpectedly);
            return;
        }
    }
    switch (takeBody(true)) {
    case Progress::Done:
        finishWithBody();
        break;
    case Progress::More:
        fail(kClosedUnexpectedly);
        break;
    case Progress::Failed:
        break;
    }
}

void XRClient::socketFailed()
{
    if (!m_socket || sender() != m_socket)
        return;
    switch (m_socket->error()) {
    case QAbstractSocket::ConnectionRefusedError:
        fail(QStringLiteral("Connection refused"));
        break;
    case QAbstractSocket::RemoteHostClosedError:
        // The end of a response read until close, or a peer that went away.
        connectionClosed();
        break;
    case QAbstractSocket::HostNotFoundError:
        fail(QStringLiteral("Host %1 not found").arg(m_current.url.host()));
        break;
    default:
        fail(m_socket->errorString());
        break;
    }
}

void XRClient::requestTimedOut()
{
    if (m_socket)
        fail(QStringLiteral("Request timed out"));
}

bool XRClient::takeReceived()
{
    // Counted before reading: bytes past the budget are never taken in.
    constexpr qint64 budget = kMaxResponseBytes + kMaxResponseHeaderBytes;
    if (m_receivedTotal + m_socket->bytesAvailable() > budget) {
        failTooLarge();
        return false;
    }
    const QByteArray bytes = m_socket->readAll();
    m_receivedTotal += bytes.size();
    if (m_receivedTotal > budget) {
        failTooLarge();
        return false;
    }
    m_received += bytes;
    return true;
}

XRClient::Progress XRClient::takeHeader()
{
    for (;;) {
        // The header ends with an empty line; the search resumes where the
        // last one stopped, so a header arriving in pieces is scanned once.
        const QByteArrayView received(m_received);
        qsizetype end = received.indexOf("\n\r\n", m_headerScanFrom);
        qsizetype headerLength = end < 0 ? -1 : end + 3;
        const qsizetype bare = received.indexOf("\n\n", m_headerScanFrom);
        if (bare >= 0 && (headerLength < 0 || bare + 2 < headerLength))
            headerLength = bare + 2;
        if (headerLength < 0) {
            m_headerScanFrom = qMax<qsizetype>(0, m_received.size() - 2);
            return m_headerBytes + m_received.size() > kMaxResponseHeaderBytes ? fail(kInvalidResponse)
                                                                                : Progress::More;
        }
        m_headerBytes += headerLength;
        if (m_headerBytes > kMaxResponseHeaderBytes)
            return fail(kInvalidResponse);

        const QList<QByteArray> lines = m_received.left(headerLength).trimmed().split('\n');
        m_received.remove(0, headerLength);
        m_headerScanFrom = 0;
        const QList<QByteArray> status = lines.first().trimmed().split(' ');
        bool isNumber = false;
        const int code = status.value(1).toInt(&isNumber);
        if (!status.first().startsWith("HTTP/1.") || !isNumber || code < 100 || code > 999)
            return fail(kInvalidResponse);
        // An interim answer (100 Continue) is followed by the real one.
        if (code < 200) {
            if (++m_interimResponses > kMaxInterimResponses)
                return fail(QStringLiteral("Invalid HTTP response: reply from %1 sent more than %2 interim responses")
                                .arg(peer())
                                .arg(kMaxInterimResponses));
            continue;
        }
        m_status = code;

        bool chunked = false;
        qint64 length = -1;
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const QByteArray& line = lines[i];
            const qsizetype colon = line.indexOf(':');
            if (colon <= 0)
                continue;
            const QByteArray name = line.left(colon).trimmed().toLower();
            const QByteArray value = line.mid(colon + 1).trimmed();
            if (name == "content-length") {
                bool valid = false;
                length = value.toLongLong(&valid);
                if (!valid || length < 0)
                    return fail(kInvalidResponse);
            } else if (name == "transfer-encoding") {
                chunked = value.toLower().contains("chunked");
            } else if (name == "content-encoding") {
                m_deflated = value == "deflate";
            }
        }
        if (chunked) {
            m_framing = BodyFraming::Chunked;
        } else if (length >= 0) {
            if (length > kMaxResponseBytes)
                return failTooLarge();
            m_framing = BodyFraming::Length;
            m_contentLength = length;
        } else {
            m_framing = BodyFraming::UntilClose;
        }
        m_headerDone = true;
        return Progress::Done;
    }
}

XRClient::Progress XRClient::takeBody(bool closed)
{
    switch (m_framing) {
    case BodyFraming::Length:
        if (m_body.isEmpty() && m_received.size() >= m_contentLength) {
            m_body = std::exchange(m_received, QByteArray());
            m_body.truncate(m_contentLength);
        } else {
            m_body += m_received.left(m_contentLength - m_body.size());
            m_received.clear();
        }
        return m_body.size() >= m_contentLength ? Progress::Done : Progress::More;
    case BodyFraming::Chunked:
        return takeChunks();
    case BodyFraming::UntilClose:
        m_body += std::exchange(m_received, QByteArray());
        if (m_body.size() > kMaxResponseBytes)
            return failTooLarge();
        return closed ? Progress::Done : Progress::More;
    }
    return Progress::More;
}

XRClient::Progress XRClient::takeChunks()
{
    // Consumed bytes leave the buffer once, not chunk by chunk: a burst of
    // tiny chunks costs time linear in its size.
    qsizetype pos = 0;
    const auto consume = qScopeGuard([&] { m_received.remove(0, pos); });
    for (;;) {
        const QByteArrayView rest = QByteArrayView(m_received).sliced(pos);
        qsizetype length = 0;
        switch (m_chunkState) {
        case ChunkState::SizeLine: {
            const qsizetype end = lineEnd(rest, &length);
            if (end < 0)
                return rest.size() > kMaxLineBytes ? fail(kInvalidResponse) : Progress::More;
            QByteArrayView sizeText = rest.first(length);
            const qsizetype extension = sizeText.indexOf(';');
            if (extension >= 0)
                sizeText.truncate(extension);
            bool valid = false;
            const qint64 size = sizeText.trimmed().toLongLong(&valid, 16);
            if (!valid || size < 0)
                return fail(kInvalidResponse);
            if (m_body.size() + size > kMaxResponseBytes)
                return failTooLarge();
            pos += end;
            m_chunkLeft = size;
            m_chunkState = size == 0 ? ChunkState::Trailer : ChunkState::Data;
            break;
        }
        case ChunkState::Data: {
            const qsizetype take = qsizetype(qMin<qint64>(m_chunkLeft, rest.size()));
            m_body += rest.first(take);
            pos += take;
            m_chunkLeft -= take;
            if (m_chunkLeft > 0)
                return Progress::More;
            m_chunkState = ChunkState::DataEnd;
            break;
        }
        case ChunkState::DataEnd: {
            const qsizetype end = lineEnd(rest, &length);
            if (end < 0)
                return rest.size() > 2 ? fail(kInvalidResponse) : Progress::More;
            if (length != 0)
                return fail(kInvalidResponse);
            pos += end;
            m_chunkState = ChunkState::SizeLine;
            break;
        }
        case ChunkState::Trailer: {
            const qsizetype end = lineEnd(rest, &length);
            if (end < 0)
                return rest.size() > kMaxLineBytes ? fail(kInvalidResponse) : Progress::More;
            pos += end;
            if (length == 0)
                return Progress::Done;
            break;
        }
        }
    }
}

void XRClient::finishWithBody()
{
    QByteArray body = std::exchange(m_body, QByteArray());
    const int id = m_current.id;
    if (m_deflated) {
        QByteArray inflated;
        switch (inflateBody(body, kMaxResponseBytes, inflated)) {
        case InflateResult::Ok:
            body = inflated;
            break;
        case InflateResult::TooLarge:
            failTooLarge();
            return;
        case InflateResult::Corrupt:
            finish({id, true, -32700, QStringLiteral("Compressed response body is corrupt"), {}});
            return;
        }
    }

    XRMethodResponse response;
    QString parseError;
    if (!xrParseDocument(body, response, &parseError)) {
        finish({id, true, -32700, parseError, {}});
        return;
    }
    if (!response.parse()) {
        finish({id, true, -32600,
                QStringLiteral("server error: recieved bad XML-RPC grammar from remote server"), {}});
        return;
    }
    int faultCode = 0;
    QString faultString;
    if (response.getFault(faultCode, faultString)) {
        finish({id, true, faultCode, faultString, {}});
    } else if (!response.documentElement().firstChildElement(QStringLiteral("fault")).isNull()) {
        finish({id, true, -32600,
                QStringLiteral("Invalid fault: reply from %1 has a fault without faultCode and faultString")
                    .arg(peer()),
                {}});
    } else if (m_status != 200) {
        fail(QStringLiteral("HTTP error: reply from %1 has status %2").arg(peer()).arg(m_status));
    } else {
        finish({id, false, 0, {}, response.value()});
    }
}

XRClient::Progress XRClient::fail(const QString& text)
{
    finish({m_current.id, true, -32300, text, {}});
    return Progress::Failed;
}

XRClient::Progress XRClient::failTooLarge()
{
    return fail(QStringLiteral("Response too large: reply from %1 exceeded %2 MiB")
                    .arg(peer())
                    .arg(kMaxResponseBytes / (1024 * 1024)));
}

QString XRClient::peer() const
{
    const QString name = playerName(objectName());
    return name.isEmpty() ? m_current.url.host() : name;
}

// Closes the connection of the call in flight; it is freed from the event
// loop, as this may run inside one of its own signals.
void XRClient::dropConnection()
{
    m_timeout.stop();
    if (QTcpSocket* socket = std::exchange(m_socket, nullptr)) {
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
    }
    m_received.clear();
    m_body.clear();
}

void XRClient::finish(const Outcome& outcome)
{
    if (!m_socket)
        return;
    dropConnection();
    m_outcomes.append(outcome);
    if (!m_deliveryScheduled) {
        m_deliveryScheduled = true;
        QMetaObject::invokeMethod(this, &XRClient::deliverOutcomes, Qt::QueuedConnection);
    }
    startNext();
}

void XRClient::deliverOutcomes()
{
    m_deliveryScheduled = false;
    QPointer<XRClient> self(this);
    while (self && !m_outcomes.isEmpty()) {
        const Outcome outcome = m_outcomes.takeFirst();
        if (outcome.isFault)
            emit fault(outcome.id, outcome.code, outcome.text);
        else
            emit methodResponse(outcome.id, outcome.value);
    }
}
