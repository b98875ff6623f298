#include "core/ftptransfer.h"

#include <QIODevice>
#include <QPointer>

#include <curl/curl.h>

#include <atomic>
#include <cctype>
#include <mutex>
#include <system_error>
#include <thread>

namespace {

// Bound the waits for a server reply (libcurl waits for the last reply of a
// transfer and for the answer to QUIT without returning) and for a connection.
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

} // namespace

// One transfer, shared by the FtpTransfer that started it and the worker
// thread that runs it. The owner and the device are reached only under the
// lock. Detaching is how the owner lets go of the transfer: the device is no
// longer touched and the transfer stops, but a partial file is still removed
// and reported until the owner forgets the job as it goes.
struct FtpJob
{
    // Fixed before the worker starts.
    QByteArray baseUrl;  // "ftp://host:port/"
    QByteArray url;
    QByteArray remoteName;
    QByteArray partialName; // what an upload is written as until it is complete
    QByteArray user;
    QByteArray password;
    bool upload = false;
    qint64 uploadSize = 0;  // 0 when unknown (a sequential device)

    std::mutex lock;
    FtpTransfer* owner = nullptr;
    QIODevice* device = nullptr;
    std::atomic<bool> stop{false};

    std::atomic<qint64> progressDone{0};
    std::atomic<qint64> progressTotal{0};
    std::atomic<bool> progressPosted{false};

    // Written by the worker before it reports its end.
    int curlCode = CURLE_OK;
    QByteArray curlError = QByteArray(CURL_ERROR_SIZE, '\0');
    QByteArray lastRefusal;
    QString localError;
    qint64 transferred = -1;

    // Written by the worker; read by the owner once the worker has ended.
    std::atomic<bool> storeAccepted{false};
    bool partialLeft = false;
    bool partialRemoved = false;
    QString partialError;

    void detach()
    {
        stop = true;
        const std::lock_guard<std::mutex> guard(lock);
        device = nullptr;
    }

    void forget()
    {
        detach();
        const std::lock_guard<std::mutex> guard(lock);
        owner = nullptr;
    }

    // Has f(owner) called on the owner's thread, unless the owner has let go.
    template <typename F>
    void postToOwner(F f)
    {
        const std::lock_guard<std::mutex> guard(lock);
        if (FtpTransfer* target = owner)
            QMetaObject::invokeMethod(target, [target, f] { f(target); }, Qt::QueuedConnection);
    }

    static void run(const std::shared_ptr<FtpJob>& job)
    {
        job->perform();
        job->postToOwner([job](FtpTransfer* owner) { owner->jobFinished(job); });
    }

    void perform()
    {
        CURL* easy = curl_easy_init();
        if (!easy) {
            curlCode = CURLE_FAILED_INIT;
            return;
        }
        curl_easy_setopt(easy, CURLOPT_URL, url.constData());
        curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "ftp");
        curl_easy_setopt(easy, CURLOPT_USERNAME, user.constData());
        curl_easy_setopt(easy, CURLOPT_PASSWORD, password.constData());
        curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, curlError.data());
        curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
        // The file goes to the login directory as named: no directory change is sent.
        curl_easy_setopt(easy, CURLOPT_FTP_FILEMETHOD, long(CURLFTPMETHOD_NOCWD));
        // Each transfer has its own control connection, closed when it ends.
        curl_easy_setopt(easy, CURLOPT_FORBID_REUSE, 1L);
        curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, ConnectTimeoutSeconds);
        curl_easy_setopt(easy, CURLOPT_SERVER_RESPONSE_TIMEOUT, ServerResponseTimeoutSeconds);
        curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, StallTimeSeconds);
        curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &FtpJob::header);
        curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
        curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, &FtpJob::progress);
        curl_easy_setopt(easy, CURLOPT_XFERINFODATA, this);
        curl_slist* rename = nullptr;
        if (upload) {
            // Renamed on the same connection once the server has confirmed the whole file.
            rename = curl_slist_append(rename, QByteArray("RNFR " + partialName).constData());
            rename = curl_slist_append(rename, QByteArray("RNTO " + remoteName).constData());
            curl_easy_setopt(easy, CURLOPT_POSTQUOTE, rename);
            curl_easy_setopt(easy, CURLOPT_UPLOAD, 1L);
            curl_easy_setopt(easy, CURLOPT_READFUNCTION, &FtpJob::read);
            curl_easy_setopt(easy, CURLOPT_READDATA, this);
            if (uploadSize > 0)
                curl_easy_setopt(easy, CURLOPT_INFILESIZE_LARGE, curl_off_t(uploadSize));
        } else {
            curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &FtpJob::write);
            curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
        }
        curlCode = curl_easy_perform(easy);
        curl_off_t bytes = 0;
        if (curlCode == CURLE_OK
            && curl_easy_getinfo(easy, upload ? CURLINFO_SIZE_UPLOAD_T : CURLINFO_SIZE_DOWNLOAD_T, &bytes) == CURLE_OK)
            transferred = bytes;
        if (upload && curlCode != CURLE_OK && storeAccepted)
            removePartial(easy);
        curl_easy_cleanup(easy);
        curl_slist_free_all(rename);
    }

    // libcurl closes a control connection whose transfer was cut short, so
    // the partial file is removed after a new login.
    void removePartial(CURL* easy)
    {
        partialLeft = true;
        curl_slist* remove = curl_slist_append(nullptr, QByteArray("DELE " + partialName).constData());
        QByteArray removeError(CURL_ERROR_SIZE, '\0');
        const QByteArray transferRefusal = std::exchange(lastRefusal, QByteArray());
        curl_easy_setopt(easy, CURLOPT_URL, baseUrl.constData());
        curl_easy_setopt(easy, CURLOPT_UPLOAD, 0L);
        curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
        curl_easy_setopt(easy, CURLOPT_POSTQUOTE, nullptr);
        curl_easy_setopt(easy, CURLOPT_QUOTE, remove);
        curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, removeError.data());
        // Not stopped by an abort: removing the partial file is part of it.
        curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 1L);
        const CURLcode code = curl_easy_perform(easy);
        partialRemoved = code == CURLE_OK;
        if (!partialRemoved) {
            const QByteArray detail = !lastRefusal.isEmpty() ? lastRefusal : QByteArray(removeError.constData());
            partialError = QString::fromUtf8(detail.isEmpty() ? curl_easy_strerror(code) : detail.constData());
        }
        curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, nullptr);
        curl_easy_setopt(easy, CURLOPT_QUOTE, nullptr);
        curl_slist_free_all(remove);
        lastRefusal = transferRefusal;
    }

    static size_t read(char* buffer, size_t size, size_t count, void* self)
    {
        auto* job = static_cast<FtpJob*>(self);
        const std::lock_guard<std::mutex> guard(job->lock);
        if (!job->device)
            return CURL_READFUNC_ABORT;
        const qint64 got = job->device->read(buffer, qint64(size * count));
        if (got < 0) {
            job->localError = FtpTransfer::tr("Can't read the file to upload: %1").arg(job->device->errorString());
            return CURL_READFUNC_ABORT;
        }
        return size_t(got);
    }

    static size_t write(char* buffer, size_t size, size_t count, void* self)
    {
        auto* job = static_cast<FtpJob*>(self);
        const std::lock_guard<std::mutex> guard(job->lock);
        const qint64 wanted = qint64(size * count);
        if (!job->device)
            return 0;
        if (job->device->write(buffer, wanted) != wanted) {
            job->localError =
                FtpTransfer::tr("Can't store the downloaded data: %1").arg(job->device->errorString());
            return 0;
        }
        return size_t(wanted);
    }

    // For FTP, libcurl hands every reply line of the server to the header
    // callback; the last refusal (a 4xx or 5xx reply) explains a failure.
    static size_t header(char* buffer, size_t size, size_t count, void* self)
    {
        auto* job = static_cast<FtpJob*>(self);
        const QByteArray line = QByteArray(buffer, qsizetype(size * count)).trimmed();
        // The data connection opens: from here the server holds a file.
        if (job->upload && (line.startsWith("150") || line.startsWith("125")))
            job->storeAccepted = true;
        if (line.size() >= 3 && (line[0] == '4' || line[0] == '5') && std::isdigit(uchar(line[1]))
            && std::isdigit(uchar(line[2])))
            job->lastRefusal = line.left(MaxReplyLength);
        return size * count;
    }

    // Called at least once a second, also while libcurl waits for a reply:
    // this is where a detached job stops.
    static int progress(void* self, curl_off_t downTotal, curl_off_t downNow, curl_off_t upTotal,
                        curl_off_t upNow)
    {
        auto* job = static_cast<FtpJob*>(self);
        if (job->stop)
            return 1;
        if (job->upload) {
            job->progressDone = upNow;
            job->progressTotal = job->uploadSize > 0 ? job->uploadSize : upTotal;
        } else {
            job->progressDone = downNow;
            job->progressTotal = downTotal;
        }
        // One report on its way at a time; the owner reads the latest figures.
        if (!job->progressPosted.exchange(true))
            job->postToOwner([job](FtpTransfer* owner) { owner->jobProgressed(job); });
        return 0;
    }
};

// libcurl's own description, with the server's refusal where one caused the failure.
namespace {

QString curlErrorText(const FtpJob& job)
{
    const int curlCode = job.curlCode;
    const QByteArray& lastRefusal = job.lastRefusal;
    const QString general = QString::fromUtf8(curl_easy_strerror(CURLcode(curlCode)));
    switch (curlCode) {
    case CURLE_LOGIN_DENIED:
    case CURLE_UPLOAD_FAILED:
    case CURLE_REMOTE_ACCESS_DENIED:
    case CURLE_REMOTE_FILE_NOT_FOUND:
    case CURLE_FTP_COULDNT_RETR_FILE:
    case CURLE_REMOTE_DISK_FULL:
    case CURLE_QUOTE_ERROR:
        if (!lastRefusal.isEmpty())
            return general + QStringLiteral(": ") + QString::fromUtf8(lastRefusal);
        break;
    default:
        break;
    }
    // libcurl reports a server that closes with 421 ("service not available")
    // as a timeout; the server's own words say what happened.
    if (curlCode == CURLE_OPERATION_TIMEDOUT && lastRefusal.startsWith("421"))
        return QString::fromUtf8(lastRefusal);
    const QString detail = QString::fromUtf8(job.curlError.constData()).trimmed();
    return detail.isEmpty() ? general : detail;
}

} // namespace

FtpTransfer::FtpTransfer(QObject* parent)
    : QObject(parent)
{
    // Before any worker thread exists: libcurl's global set-up is not thread-safe.
    initCurlOnce();
}

FtpTransfer::~FtpTransfer()
{
    // Ends silently: nobody is left to hear about it.
    releaseJob();
    for (const std::shared_ptr<FtpJob>& worker : std::as_const(m_workers))
        worker->forget();
}

QByteArray FtpTransfer::partialName(const QByteArray& remoteName)
{
    return remoteName + ".part";
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
    releaseJob();
    m_host.clear();
    m_user.clear();
    m_password.clear();

    QPointer<FtpTransfer> self(this);
    m_state = Unconnected;
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
        emitDone(true);
    }
}

FtpTransfer::Command FtpTransfer::currentCommand() const
{
    return m_current ? m_current->command : None;
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
    if (m_current || m_reportingDone || m_queue.isEmpty())
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
        m_state = Connected;
        break;
    case Login:
        if (m_state == Unconnected) {
            finishCurrent(true, tr("Not connected"));
            return;
        }
        m_user = m_current->user;
        m_password = m_current->password;
        m_state = LoggedIn;
        break;
    case Close:
        m_host.clear();
        m_user.clear();
        m_password.clear();
        m_state = Unconnected;
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

    auto job = std::make_shared<FtpJob>();
    QByteArray host = m_host.toUtf8();
    if (host.contains(':'))
        host = '[' + host + ']';
    // Every byte outside the unreserved set is escaped: a space would end
    // the URL and ";type=" would be read as a transfer mode.
    job->baseUrl = "ftp://" + host + ':' + QByteArray::number(m_port) + '/';
    job->remoteName = command.remoteName;
    job->partialName = partialName(command.remoteName);
    job->url = job->baseUrl + (upload ? job->partialName : job->remoteName).toPercentEncoding();
    job->user = m_user.toUtf8();
    job->password = m_password.toUtf8();
    job->upload = upload;
    if (upload && !device->isSequential())
        job->uploadSize = qMax<qint64>(0, device->size() - device->pos());
    job->owner = this;
    job->device = device;
    m_reportedDone = -1;
    m_reportedTotal = -1;
    try {
        std::thread([job] { FtpJob::run(job); }).detach();
    } catch (const std::system_error&) {
        finishCurrent(true, tr("Can't start the transfer"));
        return;
    }
    m_job = job;
    m_workers.append(job);
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
        emitDone(failed);
    } else {
        scheduleNext();
    }
}

// A receiver of done() may open a modal box and queue new commands; they
// start once every receiver has heard the end of the sequence before them.
void FtpTransfer::emitDone(bool error)
{
    QPointer<FtpTransfer> self(this);
    m_reportingDone = true;
    emit done(error);
    if (!self)
        return;
    m_reportingDone = false;
    scheduleNext();
}

void FtpTransfer::releaseJob()
{
    if (const std::shared_ptr<FtpJob> job = std::exchange(m_job, nullptr))
        job->detach();
}

void FtpTransfer::jobProgressed(FtpJob* job)
{
    if (job != m_job.get())
        return;
    // Cleared before reading, so that a later change is reported again.
    job->progressPosted = false;
    emitProgress(job->progressDone, job->progressTotal);
}

void FtpTransfer::emitProgress(qint64 done, qint64 total)
{
    if (done == m_reportedDone && total == m_reportedTotal)
        return;
    m_reportedDone = done;
    m_reportedTotal = total;
    emit dataTransferProgress(done, total);
}

void FtpTransfer::jobFinished(const std::shared_ptr<FtpJob>& job)
{
    m_workers.removeOne(job);
    if (job->partialLeft) {
        QPointer<FtpTransfer> self(this);
        emit partialUploadEnded(job->remoteName, job->partialRemoved, job->partialError);
        if (!self)
            return;
    }
    if (job != m_job || !m_current)
        return;
    m_job.reset();
    const bool failed = job->curlCode != CURLE_OK || !job->localError.isEmpty();
    const QString error = !job->localError.isEmpty() ? job->localError
                          : failed                   ? curlErrorText(*job)
                                                     : QString();
    const int id = m_current->id;
    QPointer<FtpTransfer> self(this);
    if (!failed && job->transferred >= 0)
        emitProgress(job->transferred, qMax<qint64>(job->progressTotal, job->transferred));
    if (self && isCurrent(id))
        finishCurrent(failed, error);
}
