#pragma once

// Sends XML-RPC calls to one HTTP endpoint and reports each outcome, tagged
// with the id that call() returned, as exactly one methodResponse() or
// fault(). Calls of one client go out one at a time in call order.
//
// Every call is sent once, on a connection of its own that is closed when the
// answer is complete: a call is never repeated behind the caller's back, so a
// peer that closes without answering makes that call fail, and an idle client
// holds no connection. Outcomes are emitted from the event loop, never from
// inside the socket handler that read them, so receivers may open modal boxes.
//
// Client-side faults: -32300 transport failures (texts "Connection refused",
// "Server closed connection unexpectedly", "Request timed out", "Response
// too large", "Request aborted", "Invalid HTTP response" or the socket's own
// text), -32700 a body that is not XML (the parser's message) or cannot be
// decompressed, -32600 XML that is no methodResponse. The HTTP status is not
// examined.

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QQueue>
#include <QTimer>
#include <QUrl>
#include <QVariant>
#include <QVariantList>

class QTcpSocket;

class XRClient : public QObject
{
    Q_OBJECT

public:
    static constexpr int kDefaultRequestTimeoutMs = 60000;
    static constexpr qint64 kMaxResponseBytes = 64 * 1024 * 1024;
    static constexpr qsizetype kMaxResponseHeaderBytes = 64 * 1024;

    explicit XRClient(const QUrl& url, QObject* parent = nullptr, const QString& name = QString());
    // Aborts the call in flight, which ends in fault -32300 "Request aborted"
    // during destruction (after any outcomes not yet delivered); queued calls
    // end without a signal.
    ~XRClient() override;

    // Queues the call and returns its id: unique in the process, increasing
    // from 1. Never blocks; the outcome arrives as a signal.
    int call(const QString& method, const QVariantList& params);

    QUrl url() const { return m_url; }
    // Calls made whose outcome has not been emitted yet, the one in flight included.
    int pendingCalls() const { return int(m_queue.size() + m_outcomes.size()) + (m_socket ? 1 : 0); }
    // Whether a connection is open (only while a call is in flight).
    bool hasConnection() const { return m_socket != nullptr; }

    // Longest time a call may take from being sent to its complete reply.
    void setRequestTimeout(int milliseconds);
    int requestTimeout() const { return m_requestTimeoutMs; }

public slots:
    // Later calls go to the new URL; calls already made keep theirs.
    void setUrl(const QString& url);

signals:
    void methodResponse(int id, const QVariant& response);
    void fault(int id, int fault_num, const QString& fault_string);

private:
    struct QueuedCall
    {
        int id;
        QUrl url;
        QByteArray body;
    };
    struct Outcome
    {
        int id;
        bool isFault;
        int code;
        QString text;
        QVariant value;
    };
    enum class BodyFraming { Length, Chunked, UntilClose };
    enum class ChunkState { SizeLine, Data, DataEnd, Trailer };
    enum class Progress { More, Done, Failed };

    void startNext();
    void sendRequest();
    void readResponse();
    void connectionClosed();
    void socketFailed();
    void requestTimedOut();
    // Reads the status line and fields once they are complete.
    Progress takeHeader();
    // Moves received body bytes into m_body; Done once the body is complete.
    Progress takeBody(bool closed);
    Progress takeChunks();
    void finishWithBody();
    Progress fail(const QString& text);
    void dropConnection();
    // Ends the call in flight, queues its outcome and moves on to the next call.
    void finish(const Outcome& outcome);
    void deliverOutcomes();

    QUrl m_url;
    QQueue<QueuedCall> m_queue;
    QList<Outcome> m_outcomes;
    bool m_deliveryScheduled = false;
    QTimer m_timeout;
    int m_requestTimeoutMs = kDefaultRequestTimeoutMs;

    // The call in flight.
    QTcpSocket* m_socket = nullptr;
    QueuedCall m_current;
    QByteArray m_received;     // bytes not yet consumed
    bool m_headerDone = false;
    BodyFraming m_framing = BodyFraming::UntilClose;
    qint64 m_contentLength = 0;
    ChunkState m_chunkState = ChunkState::SizeLine;
    qint64 m_chunkLeft = 0;    // bytes left of the current chunk
    bool m_deflated = false;
    QByteArray m_body;
};
