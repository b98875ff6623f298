#include "content/ftptransfer.h"

#include <QIODevice>
#include <QSocketNotifier>
#include <QTimer>

#include <curl/curl.h>

#include <cctype>
#include <limits>
#include <mutex>

namespace {

// libcurl waits for the server's last reply of a transfer and for the answer
// to QUIT without returning to the event loop; these bound that wait.
constexpr long ServerResponseTimeoutSeconds = 20;
constexpr long ConnectTimeoutSeconds = 20;
// A transfer that moves less than one byte per second for a minute has stalled.
constexpr long StallTimeSeconds = 60;
// The last server reply is kept for error texts; a hostile server gains nothing by sending more.
constexpr qsizetype MaxReplyLength = 256;

void initCurlOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

CURLM* multiOf(void* handle)
{
    return static_cast<CURLM*>(handle);
}

CURL* easyOf(void* handle)
{
    return static_cast<CURL*>(handle);
}

} // namespace

struct FtpTransferCallbacks
{
    static int socket(CURL*, curl_socket_t fd, int what, void* self, void*)
    {
        static_cast<FtpTransfer*>(self)->watchSocket(qintptr(fd), what);
        return 0;
    }

    static int timer(CURLM*, long timeoutMs, void* self)
    {
        QTimer* timer = static_cast<FtpTransfer*>(self)->m_curlTimer;
        if (timeoutMs < 0)
            timer->stop();
        else
            timer->start(int(qMin<long>(timeoutMs, std::numeric_limits<int>::max())));
        return 0;
    }

    static size_t read(char* buffer, size_t size, size_t count, void* self)
    {
        auto* transfer = static_cast<FtpTransfer*>(self);
        QIODevice* device = transfer->m_current->device;
        const qint64 got = device->read(buffer, qint64(size * count));
        if (got < 0) {
            transfer->m_localError =
                FtpTransfer::tr("Can't read the file to upload: %1").arg(device->errorString());
            return CURL_READFUNC_ABORT;
        }
        return size_t(got);
    }

    static size_t write(char* buffer, size_t size, size_t count, void* self)
    {
        auto* transfer = static_cast<FtpTransfer*>(self);
        QIODevice* device = transfer->m_current->device;
        const qint64 wanted = qint64(size * count);
        if (device->write(buffer, wanted) != wanted) {
            transfer->m_localError =
                FtpTransfer::tr("Can't store the downloaded data: %1").arg(device->errorString());
            return 0;
        }
        return size_t(wanted);
    }

    // For FTP, libcurl hands every reply line of the server to the header
    // callback; the last refusal (a 4xx or 5xx reply) explains a failure.
    static size_t header(char* buffer, size_t size, size_t count, void* self)
    {
        auto* transfer = static_cast<FtpTransfer*>(self);
        const QByteArray line = QByteArray(buffer, qsizetype(size * count)).trimmed();
        if (line.size() >= 3 && (line[0] == '4' || line[0] == '5') && std::isdigit(uchar(line[1]))
            && std::isdigit(uchar(line[2])))
            transfer->m_lastRefusal = line.left(MaxReplyLength);
        return size * count;
    }

    static int progress(void* self, curl_off_t downTotal, curl_off_t downNow, curl_off_t upTotal,
                        curl_off_t upNow)
    {
        auto* transfer = static_cast<FtpTransfer*>(self);
        if (transfer->m_current->command == FtpTransfer::Put) {
            transfer->m_progressDone = upNow;
            transfer->m_progressTotal = transfer->m_total > 0 ? transfer->m_total : upTotal;
        } else {
            transfer->m_progressDone = downNow;
            transfer->m_progressTotal = downTotal;
        }
        return 0;
    }
};

FtpTransfer::FtpTransfer(QObject* parent)
    : QObject(parent)
    , m_curlTimer(new QTimer(this))
{
    initCurlOnce();
    m_curlTimer->setSingleShot(true);
    connect(m_curlTimer, &QTimer::timeout, this, &FtpTransfer::timeoutReached);
}

FtpTransfer::~FtpTransfer()
{
    // Ends silently: nobody is left to hear about it.
    releaseEasy();
    if (m_multi)
        curl_multi_cleanup(multiOf(m_multi));
}

int FtpTransfer::connectToHost(const QString& host, quint16 port)
{
    Pending pending;
    pending.command = ConnectToHost;
    pending.host = host;
    pending.port = port;
    return enqueue(pending);
}

int FtpTransfer::login(const QString& user, const QString& password)
{
    Pending pending;
    pending.command = Login;
    pending.user = user;
    pending.password = password;
    return enqueue(pending);
}

int FtpTransfer::put(QIODevice* device, const QByteArray& remoteName)
{
    Pending pending;
    pending.command = Put;
    pending.device = device;
    pending.remoteName = remoteName;
    return enqueue(pending);
}

int FtpTransfer::get(const QByteArray& remoteName, QIODevice* device)
{
    Pending pending;
    pending.command = Get;
    pending.device = device;
    pending.remoteName = remoteName;
    return enqueue(pending);
}

int FtpTransfer::close()
{
    Pending pending;
    pending.command = Close;
    return enqueue(pending);
}

void FtpTransfer::abort()
{
    const bool hadWork = m_current.has_value() || !m_queue.isEmpty();
    m_queue.clear();
    releaseEasy();
    m_host.clear();
    m_user.clear();
    m_password.clear();

    QPointer<FtpTransfer> self(this);
    setState(Unconnected);
    if (!self)
        return;
    const QString aborted = tr("Aborted");
    if (m_current && !m_finishing) {
        finishCurrent(true, aborted);
    } else if (m_finishing) {
        // The finishing command reports done(true) once its commandFinished has been delivered.
        m_errorString = aborted;
        m_sequenceFailed = true;
    } else if (hadWork) {
        m_errorString = aborted;
        m_sequenceFailed = false;
        emit done(true);
    }
}

FtpTransfer::Command FtpTransfer::currentCommand() const
{
    return m_current ? m_current->command : None;
}

int FtpTransfer::currentId() const
{
    return m_current ? m_current->id : 0;
}

QIODevice* FtpTransfer::currentDevice() const
{
    return m_current ? m_current->device : nullptr;
}

int FtpTransfer::enqueue(Pending pending)
{
    pending.id = ++m_lastId;
    m_queue.append(pending);
    scheduleNext();
    return pending.id;
}

// Commands start from the event loop, so that the caller can connect to the
// signals of the ids it just received.
void FtpTransfer::scheduleNext()
{
    if (m_current || m_startScheduled || m_queue.isEmpty())
        return;
    m_startScheduled = true;
    QMetaObject::invokeMethod(this, &FtpTransfer::startNext, Qt::QueuedConnection);
}

bool FtpTransfer::isCurrent(int id) const
{
    return m_current && m_current->id == id && !m_finishing;
}

void FtpTransfer::startNext()
{
    m_startScheduled = false;
    if (m_current || m_queue.isEmpty())
        return;
    m_current = m_queue.takeFirst();
    const int id = m_current->id;

    QPointer<FtpTransfer> self(this);
    emit commandStarted(id);
    if (!self || !isCurrent(id))
        return;

    switch (m_current->command) {
    case ConnectToHost:
        if (m_current->host.isEmpty()) {
            finishCurrent(true, tr("No host name given"));
            return;
        }
        m_host = m_current->host;
        m_port = m_current->port;
        m_user.clear();
        m_password.clear();
        setState(Connected);
        break;
    case Login:
        if (m_state == Unconnected) {
            finishCurrent(true, tr("Not connected"));
            return;
        }
        m_user = m_current->user;
        m_password = m_current->password;
        setState(LoggedIn);
        break;
    case Close:
        m_host.clear();
        m_user.clear();
        m_password.clear();
        setState(Unconnected);
        break;
    case Put:
    case Get:
        startTransfer();
        return;
    case None:
        break;
    }
    if (self && isCurrent(id))
        finishCurrent(false);
}

void FtpTransfer::startTransfer()
{
    Pending& command = *m_current;
    if (m_state == Unconnected) {
        finishCurrent(true, tr("Not connected"));
        return;
    }
    if (m_state != LoggedIn) {
        finishCurrent(true, tr("Not logged in"));
        return;
    }
    for (char byte : command.remoteName) {
        if (uchar(byte) < 0x20 || byte == 0x7f) {
            finishCurrent(true, tr("The remote file name contains control characters"));
            return;
        }
    }
    QIODevice* device = command.device;
    const bool upload = command.command == Put;
    if (!device) {
        finishCurrent(true, tr("No local file given"));
        return;
    }
    const QIODevice::OpenMode mode = upload ? QIODevice::ReadOnly : QIODevice::WriteOnly;
    if (!device->isOpen() && !device->open(mode)) {
        finishCurrent(true, tr("Can't open the local file: %1").arg(device->errorString()));
        return;
    }
    if (upload ? !device->isReadable() : !device->isWritable()) {
        finishCurrent(true, upload ? tr("The local file is not open for reading")
                                   : tr("The local file is not open for writing"));
        return;
    }

    CURL* easy = curl_easy_init();
    if (!easy) {
        finishCurrent(true, tr("Can't start the transfer"));
        return;
    }
    QByteArray host = m_host.toUtf8();
    if (host.contains(':'))
        host = '[' + host + ']';
    // Every byte outside the unreserved set is escaped: a space would end
    // the URL and ";type=" would be read as a transfer mode.
    m_url = "ftp://" + host + ':' + QByteArray::number(m_port) + '/'
        + command.remoteName.toPercentEncoding();
    m_curlError = QByteArray(CURL_ERROR_SIZE, '\0');
    m_lastRefusal.clear();
    m_localError.clear();
    m_total = 0;
    m_progressDone = 0;
    m_progressTotal = 0;
    m_reportedDone = -1;
    m_reportedTotal = -1;

    curl_easy_setopt(easy, CURLOPT_URL, m_url.constData());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "ftp");
    curl_easy_setopt(easy, CURLOPT_USERNAME, m_user.toUtf8().constData());
    curl_easy_setopt(easy, CURLOPT_PASSWORD, m_password.toUtf8().constData());
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, m_curlError.data());
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    // The file goes to the login directory as named: no directory change is sent.
    curl_easy_setopt(easy, CURLOPT_FTP_FILEMETHOD, long(CURLFTPMETHOD_NOCWD));
    // Each transfer has its own control connection, closed when it ends.
    curl_easy_setopt(easy, CURLOPT_FORBID_REUSE, 1L);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, ConnectTimeoutSeconds);
    curl_easy_setopt(easy, CURLOPT_SERVER_RESPONSE_TIMEOUT, ServerResponseTimeoutSeconds);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, StallTimeSeconds);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &FtpTransferCallbacks::header);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, &FtpTransferCallbacks::progress);
    curl_easy_setopt(easy, CURLOPT_XFERINFODATA, this);
    if (upload) {
        curl_easy_setopt(easy, CURLOPT_UPLOAD, 1L);
        curl_easy_setopt(easy, CURLOPT_READFUNCTION, &FtpTransferCallbacks::read);
        curl_easy_setopt(easy, CURLOPT_READDATA, this);
        if (!device->isSequential()) {
            m_total = qMax<qint64>(0, device->size() - device->pos());
            curl_easy_setopt(easy, CURLOPT_INFILESIZE_LARGE, curl_off_t(m_total));
        }
    } else {
        curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &FtpTransferCallbacks::write);
        curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
    }

    // The multi handle holds descriptors of its own: it is made for the
    // first transfer, not for every player that might never have one.
    if (!m_multi) {
        CURLM* multi = curl_multi_init();
        m_multi = multi;
        curl_multi_setopt(multi, CURLMOPT_SOCKETFUNCTION, &FtpTransferCallbacks::socket);
        curl_multi_setopt(multi, CURLMOPT_SOCKETDATA, this);
        curl_multi_setopt(multi, CURLMOPT_TIMERFUNCTION, &FtpTransferCallbacks::timer);
        curl_multi_setopt(multi, CURLMOPT_TIMERDATA, this);
    }
    m_easy = easy;
    const CURLMcode added = curl_multi_add_handle(multiOf(m_multi), easy);
    if (added != CURLM_OK) {
        releaseEasy();
        finishCurrent(true, QString::fromUtf8(curl_multi_strerror(added)));
    }
}

void FtpTransfer::finishCurrent(bool error, const QString& errorText)
{
    if (!m_current || m_finishing)
        return;
    const int id = m_current->id;
    if (error) {
        m_errorString = errorText;
        m_sequenceFailed = true;
        m_queue.clear();
    }

    QPointer<FtpTransfer> self(this);
    m_finishing = true;
    emit commandFinished(id, error);
    if (!self)
        return;
    m_finishing = false;
    m_current.reset();

    if (m_queue.isEmpty()) {
        const bool failed = m_sequenceFailed;
        m_sequenceFailed = false;
        emit done(failed);
    } else {
        scheduleNext();
    }
}

void FtpTransfer::setState(State state)
{
    if (m_state == state)
        return;
    m_state = state;
    emit stateChanged(state);
}

// Called by libcurl (inside a multi call) to say which directions of a
// socket it waits for; the notifiers are only switched here and never
// deleted directly, as one of them may be delivering its signal.
void FtpTransfer::watchSocket(qintptr fd, int what)
{
    if (what == CURL_POLL_REMOVE) {
        const SocketWatch watch = m_sockets.take(fd);
        for (QSocketNotifier* notifier : {watch.read.data(), watch.write.data()}) {
            if (notifier) {
                notifier->setEnabled(false);
                notifier->deleteLater();
            }
        }
        return;
    }
    SocketWatch& watch = m_sockets[fd];
    const auto ensure = [this, fd](QPointer<QSocketNotifier>& notifier, QSocketNotifier::Type type,
                                   int curlFlag, bool wanted) {
        if (!wanted) {
            if (notifier)
                notifier->setEnabled(false);
            return;
        }
        if (!notifier) {
            notifier = new QSocketNotifier(fd, type, this);
            connect(notifier, &QSocketNotifier::activated, this,
                    [this, fd, curlFlag] { socketReady(fd, curlFlag); });
        }
        notifier->setEnabled(true);
    };
    ensure(watch.read, QSocketNotifier::Read, CURL_CSELECT_IN,
           what == CURL_POLL_IN || what == CURL_POLL_INOUT);
    ensure(watch.write, QSocketNotifier::Write, CURL_CSELECT_OUT,
           what == CURL_POLL_OUT || what == CURL_POLL_INOUT);
}

void FtpTransfer::socketReady(qintptr fd, int curlFlags)
{
    int running = 0;
    curl_multi_socket_action(multiOf(m_multi), curl_socket_t(fd), curlFlags, &running);
    afterAction();
}

void FtpTransfer::timeoutReached()
{
    int running = 0;
    curl_multi_socket_action(multiOf(m_multi), CURL_SOCKET_TIMEOUT, 0, &running);
    afterAction();
}

// Signals are emitted only here, outside libcurl's callbacks, so that their
// receivers may abort or queue commands.
void FtpTransfer::afterAction()
{
    void* easy = m_easy;
    if (!easy)
        return;
    QPointer<FtpTransfer> self(this);
    emitProgress();
    if (!self || m_easy != easy)
        return;
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multiOf(m_multi), &left)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == easy) {
            completeTransfer(message->data.result);
            return;
        }
    }
}

void FtpTransfer::emitProgress()
{
    if (m_progressDone == m_reportedDone && m_progressTotal == m_reportedTotal)
        return;
    m_reportedDone = m_progressDone;
    m_reportedTotal = m_progressTotal;
    emit dataTransferProgress(m_progressDone, m_progressTotal);
}

void FtpTransfer::completeTransfer(int curlCode)
{
    const bool failed = curlCode != CURLE_OK || !m_localError.isEmpty();
    const QString error = !m_localError.isEmpty() ? m_localError
                          : failed                ? curlErrorText(curlCode)
                                                  : QString();
    if (!failed) {
        curl_off_t bytes = 0;
        const CURLINFO info = m_current->command == Put ? CURLINFO_SIZE_UPLOAD_T : CURLINFO_SIZE_DOWNLOAD_T;
        if (curl_easy_getinfo(easyOf(m_easy), info, &bytes) == CURLE_OK) {
            m_progressDone = bytes;
            m_progressTotal = qMax<qint64>(m_progressTotal, bytes);
        }
    }
    releaseEasy();

    QPointer<FtpTransfer> self(this);
    const int id = m_current->id;
    if (!failed)
        emitProgress();
    if (self && isCurrent(id))
        finishCurrent(failed, error);
}

// Removing an unfinished transfer closes its connection at once.
void FtpTransfer::releaseEasy()
{
    if (!m_easy)
        return;
    CURL* easy = easyOf(m_easy);
    m_easy = nullptr;
    curl_multi_remove_handle(multiOf(m_multi), easy);
    curl_easy_cleanup(easy);
}

// libcurl's own description, with the server's refusal where one caused the failure.
QString FtpTransfer::curlErrorText(int curlCode) const
{
    const QString general = QString::fromUtf8(curl_easy_strerror(CURLcode(curlCode)));
    switch (curlCode) {
    case CURLE_LOGIN_DENIED:
    case CURLE_UPLOAD_FAILED:
    case CURLE_REMOTE_ACCESS_DENIED:
    case CURLE_REMOTE_FILE_NOT_FOUND:
    case CURLE_FTP_COULDNT_RETR_FILE:
    case CURLE_REMOTE_DISK_FULL:
        if (!m_lastRefusal.isEmpty())
            return general + QStringLiteral(": ") + QString::fromUtf8(m_lastRefusal);
        break;
    default:
        break;
    }
    // libcurl reports a server that closes with 421 ("service not available")
    // as a timeout; the server's own words say what happened.
    if (curlCode == CURLE_OPERATION_TIMEDOUT && m_lastRefusal.startsWith("421"))
        return QString::fromUtf8(m_lastRefusal);
    const QString detail = QString::fromUtf8(m_curlError.constData()).trimmed();
    return detail.isEmpty() ? general : detail;
}
