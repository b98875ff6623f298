#pragma once

// Sends XML-RPC calls to one HTTP endpoint and reports each outcome, tagged
// with the id that call() returned, as exactly one methodResponse() or
// fault(). Calls of one client go out one at a time in call order; all
// clients share one QNetworkAccessManager.
//
// Client-side faults: -32300 transport failures (texts "Connection refused",
// "Server closed connection unexpectedly", "Request timed out", "Response
// too large", "Request aborted" or the network layer's own text), -32700 a
// body that is not XML (the parser's message) or cannot be decompressed,
// -32600 XML that is no methodResponse. The HTTP status is not examined.

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QQueue>
#include <QTimer>
#include <QUrl>
#include <QVariant>
#include <QVariantList>

#include <QNetworkReply>

class QNetworkAccessManager;


class XRClient : public QObject
{
    Q_OBJECT

public:
    static constexpr int kDefaultRequestTimeoutMs = 60000;
    static constexpr qint64 kMaxResponseBytes = 64 * 1024 * 1024;

    explicit XRClient(const QUrl& url, QObject* parent = nullptr, const QString& name = QString());
    // Aborts the call in flight, which ends in fault -32300 "Request aborted"
    // during destruction; queued calls end without a signal.
    ~XRClient() override;

    // Queues the call and returns its id: unique in the process, increasing
    // from 1. Never blocks; the outcome arrives as a signal.
    int call(const QString& method, const QVariantList& params);

    QUrl url() const { return m_url; }
    // Calls made and not yet answered, the one in flight included.
    int pendingCalls() const { return int(m_queue.size()) + (m_reply ? 1 : 0); }

    // Longest time a call may take from being sent to its complete reply.
    void setRequestTimeout(int milliseconds);
    int requestTimeout() const { return m_requestTimeoutMs; }

    // The manager every client sends through (created on first use).
    static QNetworkAccessManager* networkAccessManager();

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

    void startNext();
    void processHeaders();
    void processDownloadProgress(qint64 received, qint64 total);
    void processHttpResponse();
    void requestTimedOut();
    // Drops the reply in flight without further signals from it.
    void dropReply();
    // Emit the outcome of the call in flight and move on to the next call.
    void finishWithFault(int faultCode, const QString& faultString);
    void finishWithValue(const QVariant& value);

    QUrl m_url;
    QQueue<QueuedCall> m_queue;
    QPointer<QNetworkReply> m_reply;
    int m_replyId = 0;
    QTimer m_timeout;
    int m_requestTimeoutMs = kDefaultRequestTimeoutMs;
};
