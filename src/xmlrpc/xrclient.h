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
// A player's reply is bounded as it arrives: its body (and what a compressed
// body expands to) by kMaxResponseBytes, its status line and fields, interim
// (1xx) answers included, by kMaxResponseHeaderBytes, the number of interim
// answers by kMaxInterimResponses, and the whole exchange by the request
// timeout, which runs through interim answers. Headers are scanned once, so
// the work per reply grows linearly with its size.
//
// Client-side faults: -32300 transport failures (texts "Connection refused",
// "Server closed connection unexpectedly", "Request timed out", "Response
// too large: reply from PLAYER exceeded 4 MiB", "Request aborted", "Invalid
// HTTP response", "Invalid HTTP response: reply from PLAYER sent more than 16
// interim responses", "HTTP error: reply from PLAYER has status N" for a
// result that came with a status other than 200, or the socket's own text),
// -32700 a body that is not XML (the parser's message) or cannot be
// decompressed, -32600 XML that is no methodResponse, and "Invalid fault:
// reply from PLAYER has a fault without faultCode and faultString". A fault
// the player sent is delivered whatever the status. PLAYER is the player's
// name taken from the client's name (see playerName()), else the URL's host.

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
    static constexpr qint64 kMaxResponseBytes = 4 * 1024 * 1024;
    static constexpr qsizetype kMaxResponseHeaderBytes = 64 * 1024;
    static constexpr int kMaxInterimResponses = 16;

    // name becomes the object name; a player's client is named
    // "xml-rpc_client" + player name + ":" + address.
    explicit XRClient(const QUrl& url, QObject* parent = nullptr, const QString& name = QString());
    // Aborts the call in flight, which ends in fault -32300 "Request aborted"
    // during destruction (after any outcomes not yet delivered); queued calls
    // end without a signal.
    ~XRClient() override;

    // Queues the call and returns its id: unique in the process, increasing
    // from 1. Never blocks; the outcome arrives as a signal.
    int call(const QString& method, const QVariantList& params);

    QUrl url() const { return m_url; }
    // The player name within a client's name ("xml-rpc_client" NAME ":"
    // ADDRESS; the address follows the last colon), or empty for another name.
    static QString playerName(const QString& clientName);
    // Calls made whose outcome has not been emitted yet, the one in flight included.
    int pendingCalls() const { return int(m_queue.size() + m_outcomes.size()) + (m_socket ? 1 : 0); }
    // Whether a connection is open (only while a call is in flight).
    bool hasConnection() const { return m_socket != nullptr; }

    // Longest time a call may take from being sent to its complete reply.
    void setRequestTimeout(int milliseconds);
    int requestTimeout() const { return m_requestTimeoutMs; }

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
    // Moves what arrived into m_received; false (the call has failed) when
    // the reply grows past its budget.
    bool takeReceived();
    // Reads the status line and fields once they are complete.
    Progress takeHeader();
    // Moves received body bytes into m_body; Done once the body is complete.
    Progress takeBody(bool closed);
    Progress takeChunks();
    void finishWithBody();
    Progress fail(const QString& text);
    Progress failTooLarge();
    // Who answered, for fault texts: the player's name, else the host.
    QString peer() const;
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
    qint64 m_receivedTotal = 0; // every byte of the reply so far
    qsizetype m_headerScanFrom = 0; // where the search for the header's end resumes
    qsizetype m_headerBytes = 0;    // of the headers taken so far, interim ones included
    int m_interimResponses = 0;
    int m_status = 0;
    bool m_headerDone = false;
    BodyFraming m_framing = BodyFraming::UntilClose;
    qint64 m_contentLength = 0;
    ChunkState m_chunkState = ChunkState::SizeLine;
    qint64 m_chunkLeft = 0;    // bytes left of the current chunk
    bool m_deflated = false;
    QByteArray m_body;
};
