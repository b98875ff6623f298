#pragma once

// A small HTTP/1.1 server for XML-RPC: it reads methodCall documents posted
// to any path, hands each call to the listeners of methodCall() under a
// request id, and writes back the answer a listener gives for that id.
//
// Response header fields are written in this fixed order, each only when it
// applies: Content-Type, Content-Encoding, Content-Length, Connection.
// A connection stays open for further requests unless the request was
// HTTP/1.0 without keep-alive or asked to close; a request body is exactly
// Content-Length bytes, so pipelined requests are served one after another.
//
// What a peer can take is bounded: a request header is limited to
// kMaxHeaderBytes and a body to kMaxBodyBytes; a header must arrive within
// the header timeout (counted from the connection's start, or from the first
// byte of a later request) and a whole request within the idle timeout of the
// previous answer; at most maxConnections() connections are served at once,
// at most maxConnectionsPerPeer() from one address (a connection that has had
// its final answer no longer counts), and bodies above
// kSmallBodyBytes together may hold at most the large-body budget. A refused
// connection gets 503 and is half-closed, so that the peer can read it.

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QHostAddress>
#include <QSet>
#include <QString>
#include <QTcpServer>
#include <QTimer>
#include <QVariant>
#include <QVariantList>

class XRServerConnection;

class XRServer : public QTcpServer
{
    Q_OBJECT

public:
    static constexpr qsizetype kMaxHeaderBytes = 64 * 1024;
    static constexpr qint64 kMaxBodyBytes = 16 * 1024 * 1024;
    static constexpr int kDefaultIdleTimeoutMs = 30000;
    static constexpr int kDefaultHeaderTimeoutMs = 5000;
    static constexpr int kDefaultMaxConnections = 512;
    static constexpr int kDefaultMaxConnectionsPerPeer = 8;
    // Bodies up to this size are always taken; larger ones share the budget.
    static constexpr qint64 kSmallBodyBytes = 64 * 1024;
    static constexpr qint64 kDefaultLargeBodyBudget = 64 * 1024 * 1024;
    // Refused and closing connections drained at once; beyond, they are
    // reset. A draining peer that sends nothing for the drain time is reset.
    static constexpr int kMaxDrainingConnections = 64;
    static constexpr int kDrainTimeoutMs = 2000;
    // Method names echoed in the "not found" fault are cut to this many characters.
    static constexpr qsizetype kMaxEchoedMethodName = 256;
    // Bodies longer than this are deflated for peers that ask for it.
    static constexpr qsizetype kCompressionThreshold = 256;

    // Starts listening on address:port with the given listen backlog.
    // Failure to listen is left to the caller (isListening(), errorString()).
    XRServer(quint16 port, int backlog, QObject* parent = nullptr, const QString& name = QString(),
             const QHostAddress& address = QHostAddress::Any);
    ~XRServer() override;

    // Time a connection may take to deliver its next complete request; also
    // bounds how long a closing connection may take to drain its answer.
    void setIdleTimeout(int milliseconds);
    int idleTimeout() const { return m_idleTimeoutMs; }

    // Time a connection may take to complete a request header.
    void setHeaderTimeout(int milliseconds);
    int headerTimeout() const { return m_headerTimeoutMs; }

    void setMaxConnections(int count);
    int maxConnections() const { return m_maxConnections; }
    void setMaxConnectionsPerPeer(int count);
    int maxConnectionsPerPeer() const { return m_maxConnectionsPerPeer; }
    // Bytes that bodies above kSmallBodyBytes may take together.
    void setLargeBodyBudget(qint64 bytes);
    qint64 largeBodyBudget() const { return m_largeBodyBudget; }
    qint64 largeBodyBytesReserved() const { return m_largeBodyReserved; }
    int openConnectionCount() const { return int(m_connections.size()); }
    int pendingRequestCount() const { return int(m_pending.size()); }
    // The local address of the connection that request id arrived on: the
    // address at which its peer reached this server. Null once answered.
    QHostAddress requestLocalAddress(int id) const;

signals:
    // Emitted once per well-formed call with handled false. A listener that
    // takes the call sets handled and answers, at once or later, through
    // sendMethodResponse() or sendFault() with the same id.
    void methodCall(int id, const QString& methodname, const QVariantList& params, bool& handled);

public slots:
    // Answers request id. Ids already answered, or whose peer has gone, are
    // ignored, so a late or second answer is dropped.
    void sendMethodResponse(int id, const QVariant& result);
    void sendFault(int id, int fault_code, const QString& fault_string);

protected:
    void incomingConnection(qintptr socketDescriptor) override;

protected slots:
    void readFromClient();
    void deleteClient();

private:
    void serve(XRServerConnection* connection);
    bool takeHeader(XRServerConnection* connection);
    void processRequest(XRServerConnection* connection, const QByteArray& body);
    void answer(int id, const QByteArray& document);
    void writeResponse(XRServerConnection* connection, int status, const QByteArray& reason,
                       const QByteArray& body, bool isXml, bool forceClose);
    void sendErrorResponse(XRServerConnection* connection, int status, const QByteArray& reason,
                           const QByteArray& body);
    void refuse(XRServerConnection* connection, const QByteArray& body);
    void finishClosing(XRServerConnection* connection);
    void releaseReservation(XRServerConnection* connection);
    void releaseConnection(XRServerConnection* connection);
    // Frees the connection's place among the served connections.
    void uncount(XRServerConnection* connection);
    void closeIdleConnections();
    void restartSweep();

    QSet<XRServerConnection*> m_connections;
    QHash<int, XRServerConnection*> m_pending;
    int m_nextRequestId = 0;
    int m_idleTimeoutMs = kDefaultIdleTimeoutMs;
    // One timer checks every connection's idle time; cheaper than a timer
    // per connection restarted for every request.
    QTimer m_idleSweep;
    QElapsedTimer m_clock;
    int m_headerTimeoutMs = kDefaultHeaderTimeoutMs;
    int m_maxConnections = kDefaultMaxConnections;
    int m_maxConnectionsPerPeer = kDefaultMaxConnectionsPerPeer;
    qint64 m_largeBodyBudget = kDefaultLargeBodyBudget;
    qint64 m_largeBodyReserved = 0;
    // Connections being served (not refused), in all and per peer address.
    int m_servedCount = 0;
    QHash<QHostAddress, int> m_perPeer;
    int m_drainingCount = 0;
    // Where takeArrivedInput() reads, shared by all connections.
    QByteArray m_scratch;
};
