#include "xmlrpc/xrserver.h"

#include "xmlrpc/xrdocuments.h"

#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

#include <cctype>

#ifdef Q_OS_LINUX
#include <sys/socket.h>
#endif

namespace {

// Received bytes a connection may hold unread, and answer bytes it may hold
// unsent before further requests on it wait. Qt reads whatever arrives on an
// accepted socket, whatever its open mode, up to the read buffer size: the
// limit bounds what a peer can make the server hold, and pushes back on a
// peer that sends while its request awaits an answer.
constexpr qint64 kSocketReadBuffer = 64 * 1024;
constexpr qint64 kMaxUnsentOutput = 256 * 1024;

constexpr char kNotPostBody[] = "This is an XML-RPC server.  I only accept POST";

// The fields of a request header that the server acts on.
struct RequestHeader
{
    bool isPost = false;
    int majorVersion = 1;
    int minorVersion = 1;
    bool hasContentLength = false;
    bool contentLengthValid = true;
    qint64 contentLength = 0;
    QByteArray connection;
    QByteArray acceptEncoding;
    bool expectsContinue = false;
};

bool hasConnectionToken(QByteArrayView value, QByteArrayView token)
{
    for (;;) {
        const qsizetype comma = value.indexOf(',');
        if (value.first(comma < 0 ? value.size() : comma).trimmed().compare(token, Qt::CaseInsensitive) == 0)
            return true;
        if (comma < 0)
            return false;
        value = value.sliced(comma + 1);
    }
}

// Content-Length must be plain decimal digits; anything else, and a value
// that overflows, is refused rather than guessed at.
bool parseContentLength(QByteArrayView text, qint64& length)
{
    if (text.isEmpty() || text.size() > 18)
        return false;
    length = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        length = length * 10 + (c - '0');
    }
    return true;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

QByteArrayView trimmed(QByteArrayView text)
{
    while (!text.isEmpty() && isBlank(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && isBlank(text.back()))
        text.chop(1);
    return text;
}

// Reads "METHOD SP target SP HTTP/d.d"; false when it is not of that form.
bool parseRequestLine(QByteArrayView line, RequestHeader& header)
{
    QByteArrayView words[3];
    int count = 0;
    qsizetype i = 0;
    while (i < line.size()) {
        while (i < line.size() && isBlank(line[i]))
            ++i;
        const qsizetype start = i;
        while (i < line.size() && !isBlank(line[i]))
            ++i;
        if (i > start) {
            if (count == 3)
                break; // anything after the version is ignored
            words[count++] = line.sliced(start, i - start);
        }
    }
    const QByteArrayView version = words[2];
    if (count < 3 || version.size() < 8 || !version.startsWith("HTTP/")
        || !std::isdigit(static_cast<unsigned char>(version[5])) || version[6] != '.'
        || !std::isdigit(static_cast<unsigned char>(version[7])))
        return false;
    header.isPost = words[0] == "POST";
    header.majorVersion = version[5] - '0';
    header.minorVersion = version[7] - '0';
    return true;
}

void takeField(RequestHeader& header, QByteArrayView name, QByteArrayView value)
{
    if (name.compare("Content-Length", Qt::CaseInsensitive) == 0) {
        qint64 length = 0;
        const bool valid = parseContentLength(value, length);
        if (!valid || (header.hasContentLength && length != header.contentLength))
            header.contentLengthValid = false;
        header.hasContentLength = true;
        header.contentLength = length;
    } else if (name.compare("Connection", Qt::CaseInsensitive) == 0) {
        header.connection = value.toByteArray();
    } else if (name.compare("Accept-Encoding", Qt::CaseInsensitive) == 0) {
        header.acceptEncoding = value.toByteArray();
    } else if (name.compare("Expect", Qt::CaseInsensitive) == 0) {
        header.expectsContinue = value.compare("100-continue", Qt::CaseInsensitive) == 0;
    }
}

// Reads the request line and the fields. Lines end at a line feed (a
// carriage return before it is dropped); a line starting with a blank
// continues the previous field. A header that cannot be read is answered
// like any method other than POST.
RequestHeader parseRequestHeader(QByteArrayView text)
{
    RequestHeader header;
    // The field being read; its value is copied only when it continues on
    // further lines.
    bool inField = false;
    QByteArrayView name;
    QByteArrayView value;
    QByteArray continuedValue;
    bool continued = false;
    const auto finishField = [&] {
        if (inField)
            takeField(header, name, continued ? QByteArrayView(continuedValue) : value);
        inField = false;
    };
    bool firstLine = true;
    while (!text.isEmpty()) {
        const qsizetype newline = text.indexOf('\n');
        QByteArrayView line = newline < 0 ? text : text.first(newline);
        text = newline < 0 ? QByteArrayView() : text.sliced(newline + 1);
        if (line.endsWith('\r'))
            line.chop(1);
        if (firstLine) {
            firstLine = false;
            if (!parseRequestLine(line, header))
                return RequestHeader();
            continue;
        }
        if (line.isEmpty())
            continue;
        if (isBlank(line.front()) && inField) {
            if (!continued)
                continuedValue = value.toByteArray();
            continued = true;
            continuedValue += ' ';
            continuedValue += trimmed(line);
            continue;
        }
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            return RequestHeader();
        finishField();
        inField = true;
        continued = false;
        name = trimmed(line.first(colon));
        value = trimmed(line.sliced(colon + 1));
    }
    finishField();
    return header;
}

} // namespace

// One accepted connection and the state of the request it is serving.
class XRServerConnection : public QTcpSocket
{
public:
    explicit XRServerConnection(QObject* parent) : QTcpSocket(parent) {}

    bool hasInput() const { return !input.isEmpty() || bytesAvailable() > 0; }

    // Moves up to maxBytes of received data into input; returns the count.
    qint64 takeInput(qint64 maxBytes)
    {
        const qint64 wanted = qMin(maxBytes, bytesAvailable());
        if (wanted <= 0)
            return 0;
        const qsizetype used = input.size();
        input.resize(used + wanted);
        const qint64 got = qMax<qint64>(0, read(input.data() + used, wanted));
        input.resize(used + got);
        return got;
    }

    // Takes into input what arrived with the connection, straight from the
    // system: a peer that sent its request at once is answered in the turn
    // that accepted it, without waiting for the event loop to report it.
    // scratch is a buffer of kSocketReadBuffer bytes.
    void takeArrivedInput(char* scratch)
    {
#ifdef Q_OS_LINUX
        const ssize_t got = ::recv(int(socketDescriptor()), scratch, size_t(kSocketReadBuffer), MSG_DONTWAIT);
        if (got > 0)
            input.append(scratch, qsizetype(got));
#else
        Q_UNUSED(scratch);
#endif
    }

    // Sends bytes after those still queued. Qt queues every write and sends
    // it an event-loop round later, switching a write notifier on and off on
    // the way; when nothing is queued, what the system takes at once is sent
    // directly and only the rest is queued (on Linux; elsewhere Qt's queue
    // does it all). Failures are left to the queued write, which reports them.
    void send(const QByteArray& bytes)
    {
        qint64 sent = 0;
#ifdef Q_OS_LINUX
        if (bytesToWrite() == 0 && state() == QAbstractSocket::ConnectedState)
            sent = qMax<qint64>(0, ::send(socketDescriptor(), bytes.constData(), size_t(bytes.size()),
                                          MSG_NOSIGNAL | MSG_DONTWAIT));
#endif
        if (sent < bytes.size())
            write(bytes.constData() + sent, bytes.size() - sent);
    }

    // Stops sending: the peer reads what was sent and then its end of file,
    // while its own data is still read and dropped. Closing outright with its
    // data unread would reset the connection and could destroy the answer.
    void shutdownSending()
    {
#ifdef Q_OS_UNIX
        ::shutdown(int(socketDescriptor()), SHUT_WR);
#else
        disconnectFromHost();
#endif
    }

    QByteArray input;          // received bytes not yet consumed
    qsizetype headerScanFrom = 0;
    bool headerComplete = false;
    RequestHeader request;
    int pendingId = -1;
    int serving = 0;           // depth of serve() calls working on this connection
    bool closing = false;
    bool draining = false;     // sending shut down; reading until the peer closes
    bool released = false;
    bool counted = false;      // among the served connections of its peer
    bool lowDelay = false;     // small answers go out at once (set when the connection stays open)
    QHostAddress peer;
    qint64 reserved = 0;       // share of the large-body budget held
    qint64 closingSince = 0;
    qint64 drainedAt = 0;      // last data dropped while draining
    qint64 requestStartedAt = -1; // first byte of the request being collected
    bool idle = true;          // waiting for a request or draining a final answer
    qint64 idleSince = 0;      // on the server's clock, in milliseconds
};

XRServer::XRServer(quint16 port, int backlog, QObject* parent, const QString& name,
                   const QHostAddress& address)
    : QTcpServer(parent)
{
    setObjectName(name);
    m_scratch.resize(kSocketReadBuffer);
    m_clock.start();
    connect(&m_idleSweep, &QTimer::timeout, this, &XRServer::closeIdleConnections);
    restartSweep();
    setListenBacklogSize(backlog);
    listen(address, port);
}

XRServer::~XRServer()
{
    for (XRServerConnection* connection : QSet(m_connections)) {
        connection->disconnect(this);
        connection->abort();
    }
    m_connections.clear();
    m_pending.clear();
}

void XRServer::setIdleTimeout(int milliseconds)
{
    m_idleTimeoutMs = qMax(1, milliseconds);
    restartSweep();
}

void XRServer::setHeaderTimeout(int milliseconds)
{
    m_headerTimeoutMs = qMax(1, milliseconds);
    restartSweep();
}

void XRServer::restartSweep()
{
    // Connections close between one and one and a quarter of their timeout.
    const int shortest = qMin(qMin(m_idleTimeoutMs, m_headerTimeoutMs), kDrainTimeoutMs);
    m_idleSweep.start(qMax(1, shortest / 4));
}

void XRServer::closeIdleConnections()
{
    const qint64 now = m_clock.elapsed();
    QList<XRServerConnection*> expired;
    for (auto it = m_connections.cbegin(); it != m_connections.cend(); ++it) {
        XRServerConnection* connection = *it;
        bool expire = false;
        if (connection->closing && connection->pendingId < 0) {
            // A final answer may take the idle time to go out; then the peer
            // may finish sending (within the idle time) but not fall silent
            // for long before closing its end.
            expire = now - connection->closingSince >= m_idleTimeoutMs
                     || (connection->draining && now - connection->drainedAt >= qMin(kDrainTimeoutMs, m_idleTimeoutMs));
        } else if (!connection->idle) {
            expire = false; // a request awaits its answer
        } else if (connection->requestStartedAt < 0) {
            expire = now - connection->idleSince >= m_idleTimeoutMs;
        } else {
            // A request under way: its header must come quickly, the whole
            // request within the idle time.
            const qint64 age = now - connection->requestStartedAt;
            expire = age >= m_idleTimeoutMs || (!connection->headerComplete && age >= m_headerTimeoutMs);
        }
        if (expire)
            expired.append(connection);
    }
    for (XRServerConnection* connection : expired) {
        connection->abort();
        releaseConnection(connection);
    }
}

void XRServer::setMaxConnections(int count)
{
    m_maxConnections = qMax(1, count);
}

void XRServer::setMaxConnectionsPerPeer(int count)
{
    m_maxConnectionsPerPeer = qMax(1, count);
}

void XRServer::setLargeBodyBudget(qint64 bytes)
{
    m_largeBodyBudget = qMax<qint64>(0, bytes);
}

void XRServer::incomingConnection(qintptr socketDescriptor)
{
    auto* connection = new XRServerConnection(this);
    if (!connection->setSocketDescriptor(socketDescriptor)) {
        delete connection;
        return;
    }
    connection->setReadBufferSize(kSocketReadBuffer);
    connection->idleSince = m_clock.elapsed();
    connection->requestStartedAt = connection->idleSince;
    connection->peer = connection->peerAddress();

    int& fromPeer = m_perPeer[connection->peer];
    const bool overLimit = m_servedCount >= m_maxConnections || fromPeer >= m_maxConnectionsPerPeer;
    if (!overLimit) {
        ++fromPeer;
        ++m_servedCount;
        connection->counted = true;
    } else if (fromPeer == 0) {
        m_perPeer.remove(connection->peer);
    }
    m_connections.insert(connection);
    connect(connection, &QTcpSocket::readyRead, this, &XRServer::readFromClient);
    connect(connection, &QTcpSocket::disconnected, this, &XRServer::deleteClient);
    connect(connection, &QTcpSocket::errorOccurred, this, [this, connection] {
        if (connection->state() == QAbstractSocket::UnconnectedState)
            releaseConnection(connection);
    });
    connect(connection, &QTcpSocket::bytesWritten, this, [this, connection] {
        if (connection->closing && !connection->draining && connection->pendingId < 0
            && connection->bytesToWrite() == 0) {
            finishClosing(connection);
            return;
        }
        if (!connection->closing && connection->pendingId < 0 && connection->serving == 0
            && connection->bytesToWrite() <= kMaxUnsentOutput && connection->hasInput())
            serve(connection);
    });

    if (overLimit) {
        refuse(connection, "Too many connections");
        return;
    }
    connection->takeArrivedInput(m_scratch.data());
    if (connection->hasInput())
        serve(connection);
}

// Answers 503 and closes. Refused connections are drained like any closing
// one while few are; under a flood the rest are reset at once.
void XRServer::refuse(XRServerConnection* connection, const QByteArray& body)
{
    if (m_drainingCount >= kMaxDrainingConnections) {
        connection->abort();
        releaseConnection(connection);
        return;
    }
    sendErrorResponse(connection, 503, "Service Unavailable", body);
}

// Once a final answer has gone out, sending is shut down and the peer's
// data is dropped until it closes its end (or the drain time ends).
void XRServer::finishClosing(XRServerConnection* connection)
{
    if (connection->released || connection->draining)
        return;
    if (connection->bytesToWrite() > 0)
        return; // bytesWritten brings it back here
    if (connection->state() != QAbstractSocket::ConnectedState || m_drainingCount >= kMaxDrainingConnections) {
        connection->abort();
        releaseConnection(connection);
        return;
    }
    // Answered: its slot goes to the next peer; the drain has its own bound.
    uncount(connection);
    connection->draining = true;
    ++m_drainingCount;
    connection->closingSince = m_clock.elapsed();
    connection->drainedAt = connection->closingSince;
    connection->shutdownSending();
    connection->skip(connection->bytesAvailable());
}

void XRServer::readFromClient()
{
    auto* connection = static_cast<XRServerConnection*>(sender());
    // Input after a final answer is discarded, so that closing does not meet
    // unread data (which would reset the connection and lose the answer).
    if (connection->closing) {
        if (connection->skip(connection->bytesAvailable()) > 0 && connection->draining)
            connection->drainedAt = m_clock.elapsed();
        return;
    }
    if (connection->requestStartedAt < 0)
        connection->requestStartedAt = m_clock.elapsed();
    if (connection->serving == 0)
        serve(connection);
}

void XRServer::deleteClient()
{
    releaseConnection(static_cast<XRServerConnection*>(sender()));
}

void XRServer::releaseReservation(XRServerConnection* connection)
{
    m_largeBodyReserved -= connection->reserved;
    connection->reserved = 0;
}

void XRServer::uncount(XRServerConnection* connection)
{
    if (!connection->counted)
        return;
    connection->counted = false;
    --m_servedCount;
    auto it = m_perPeer.find(connection->peer);
    if (it != m_perPeer.end() && --*it <= 0)
        m_perPeer.erase(it);
}

void XRServer::releaseConnection(XRServerConnection* connection)
{
    if (connection->released)
        return;
    connection->released = true;
    connection->closing = true;
    releaseReservation(connection);
    if (connection->draining)
        --m_drainingCount;
    uncount(connection);
    if (connection->pendingId >= 0)
        m_pending.remove(connection->pendingId);
    connection->pendingId = -1;
    m_connections.remove(connection);
    connection->disconnect(this);
    connection->deleteLater();
}

// Consumes buffered requests one at a time until one awaits its answer,
// more data is needed, or the connection closes. A listener may run a nested
// event loop, in which the connection can go away: hence the guard.
void XRServer::serve(XRServerConnection* connection)
{
    QPointer<XRServerConnection> guard(connection);
    ++connection->serving;
    while (!connection->closing && connection->pendingId < 0
           && connection->bytesToWrite() <= kMaxUnsentOutput) {
        if (!connection->headerComplete && !takeHeader(connection))
            break;
        if (connection->closing)
            break;

        QByteArray& input = connection->input;
        const qint64 length = connection->request.contentLength;
        while (input.size() < length && connection->takeInput(length - input.size()) > 0) {
        }
        if (input.size() < length)
            break;

        releaseReservation(connection);
        QByteArray body;
        if (input.size() == length) {
            body = std::exchange(input, QByteArray());
        } else {
            body = input.left(length);
            input.remove(0, length);
        }
        processRequest(connection, body);
        if (!guard)
            return;
    }
    --connection->serving;
}

// Collects the request header; returns true once it is complete and the
// request may go on to its body. Rejected requests are answered here.
bool XRServer::takeHeader(XRServerConnection* connection)
{
    QByteArray& input = connection->input;
    qsizetype headerLength = -1;
    for (;;) {
        // Empty lines before a request line are ignored, as HTTP allows.
        qsizetype skip = 0;
        while (input.size() >= skip + 2 && input[skip] == '\r' && input[skip + 1] == '\n')
            skip += 2;
        if (skip > 0) {
            input.remove(0, skip);
            connection->headerScanFrom = qMax<qsizetype>(0, connection->headerScanFrom - skip);
        }
        // Only a line that is exactly CR LF ends the header; a bare LF does not.
        const qsizetype from = qMax<qsizetype>(0, connection->headerScanFrom - 2);
        const qsizetype end = input.indexOf("\n\r\n", from);
        if (end >= 0) {
            headerLength = end + 3;
            break;
        }
        connection->headerScanFrom = input.size();
        if (input.size() > kMaxHeaderBytes)
            break;
        if (connection->takeInput(kMaxHeaderBytes + 1 - input.size()) == 0)
            return false;
    }

    if (headerLength < 0 || headerLength > kMaxHeaderBytes) {
        sendErrorResponse(connection, 431, "Request Header Fields Too Large",
                          "Request header too large");
        return false;
    }

    connection->request = parseRequestHeader(QByteArrayView(input).first(headerLength));
    input.remove(0, headerLength);
    connection->headerScanFrom = 0;
    connection->headerComplete = true;

    const RequestHeader& request = connection->request;
    if (!request.isPost) {
        sendErrorResponse(connection, 405, "Method Not Allowed", kNotPostBody);
        return false;
    }
    if (!request.hasContentLength) {
        // Without a length the end of the body is unknown, so nothing more on
        // this connection can be read reliably: answer and close.
        const int id = m_nextRequestId++;
        m_pending.insert(id, connection);
        connection->pendingId = id;
        connection->closing = true;
        answer(id, xrFaultWire(-32600, QStringLiteral("Invalid XML-RPC headers.  Missing content length")));
        return false;
    }
    if (!request.contentLengthValid) {
        sendErrorResponse(connection, 400, "Bad Request", "Invalid Content-Length");
        return false;
    }
    if (request.contentLength > kMaxBodyBytes) {
        sendErrorResponse(connection, 413, "Payload Too Large",
                          "Request body exceeds " + QByteArray::number(kMaxBodyBytes) + " bytes");
        return false;
    }
    // Large bodies share one budget, so that peers holding unfinished bodies
    // cannot take the memory; small ones (every registration) always pass.
    if (request.contentLength > kSmallBodyBytes) {
        if (m_largeBodyReserved + request.contentLength > m_largeBodyBudget) {
            refuse(connection, "Server busy, try again later");
            return false;
        }
        connection->reserved = request.contentLength;
        m_largeBodyReserved += request.contentLength;
    }
    // Clients that wait for leave to send the body (as libcurl does for
    // bodies above 1 KiB) get it at once instead of after their own timeout.
    if (request.expectsContinue && request.majorVersion == 1 && request.minorVersion >= 1
        && input.size() < request.contentLength)
        connection->send("HTTP/1.1 100 Continue\r\n\r\n");
    return true;
}

void XRServer::processRequest(XRServerConnection* connection, const QByteArray& body)
{
    const int id = m_nextRequestId++;
    m_pending.insert(id, connection);
    connection->pendingId = id;
    connection->idle = false;

    QString methodName;
    QVariantList params;
    QString parseError;
    switch (xrReadMethodCall(body, methodName, params, &parseError)) {
    case XrCallReading::NotWellFormed:
        sendFault(id, -32700, parseError);
        return;
    case XrCallReading::NotMethodCall:
        sendFault(id, -32600, QStringLiteral("Invalid XML-RPC methodCall"));
        return;
    case XrCallReading::Read:
        break;
    }
    bool handled = false;
    emit methodCall(id, methodName, params, handled);
    if (!handled) {
        // The name is the peer's own text: a huge one is not sent back whole.
        const QString shown = methodName.size() > kMaxEchoedMethodName
                                  ? methodName.left(kMaxEchoedMethodName) + QStringLiteral("...")
                                  : methodName;
        sendFault(id, -32601, QStringLiteral("Method: ") + shown + QStringLiteral(", not found"));
    }
}

QHostAddress XRServer::requestLocalAddress(int id) const
{
    const XRServerConnection* connection = m_pending.value(id);
    return connection ? connection->localAddress() : QHostAddress();
}

void XRServer::sendMethodResponse(int id, const QVariant& result)
{
    if (m_pending.contains(id))
        answer(id, xrResponseWire(result));
}

void XRServer::sendFault(int id, int fault_code, const QString& fault_string)
{
    if (m_pending.contains(id))
        answer(id, xrFaultWire(fault_code, fault_string));
}

void XRServer::answer(int id, const QByteArray& document)
{
    XRServerConnection* connection = m_pending.take(id);
    if (!connection)
        return;
    connection->pendingId = -1;
    writeResponse(connection, 200, "OK", document, true, connection->closing);

    // Requests that arrived behind this one are served from the event loop,
    // not from inside the caller that answered.
    if (!connection->closing && connection->serving == 0 && connection->hasInput()) {
        QPointer<XRServerConnection> guard(connection);
        QMetaObject::invokeMethod(
            this, [this, guard] {
                if (guard && !guard->released && guard->serving == 0)
                    serve(guard);
            },
            Qt::QueuedConnection);
    }
}

void XRServer::sendErrorResponse(XRServerConnection* connection, int status,
                                 const QByteArray& reason, const QByteArray& body)
{
    writeResponse(connection, status, reason, body, false, true);
}

void XRServer::writeResponse(XRServerConnection* connection, int status, const QByteArray& reason,
                             const QByteArray& body, bool isXml, bool forceClose)
{
    const RequestHeader& request = connection->request;
    const bool http10 = request.majorVersion == 1 && request.minorVersion == 0;
    const bool close = forceClose || hasConnectionToken(request.connection, "close")
                       || (http10 && !hasConnectionToken(request.connection, "keep-alive"));
    const bool deflate = body.size() > kCompressionThreshold && request.acceptEncoding == "deflate";
    const QByteArray payload = deflate ? qCompress(body) : body;

    QByteArray out;
    out.reserve(128 + payload.size());
    out += "HTTP/1.1 ";
    out += QByteArray::number(status);
    out += ' ';
    out += reason;
    out += "\r\n";
    if (isXml)
        out += "Content-Type: text/xml\r\n";
    if (deflate)
        out += "Content-Encoding: deflate\r\n";
    out += "Content-Length: ";
    out += QByteArray::number(payload.size());
    out += "\r\n";
    if (close)
        out += "Connection: close\r\n";
    out += "\r\n";
    out += payload;

    connection->request = RequestHeader();
    connection->headerComplete = false;
    connection->headerScanFrom = 0;
    // The idle time now bounds the wait for the next request, or the drain
    // of this answer on a closing connection.
    connection->idle = true;
    connection->idleSince = m_clock.elapsed();
    connection->requestStartedAt = connection->hasInput() ? connection->idleSince : -1;
    if (close)
        connection->closingSince = connection->idleSince;
    connection->closing = connection->closing || close;

    // A connection kept open carries more small answers, which must not wait
    // for the peer's acknowledgement of the previous one.
    if (!close && !connection->lowDelay) {
        connection->lowDelay = true;
        connection->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    }
    // Signals that the write may emit must not start serving the next
    // request from inside the caller that answered: serving counts as busy.
    ++connection->serving;
    connection->send(out);
    --connection->serving;
    if (close)
        finishClosing(connection);
}
