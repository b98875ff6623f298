#include "content/transfer.h"

#include "content/playlists.h"

#include <QElapsedTimer>
#include <QProgressBar>
#include <QSaveFile>
#include <QTreeWidgetItem>

#include <limits>

namespace {

// A step copies blocks for at most this long before the event loop runs again.
constexpr qint64 kStepBudgetMs = 8;

} // namespace

bool IsBaselineJpeg(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    bool afterFF = false;
    bool baselineSeen = false;
    QByteArray block(8192, Qt::Uninitialized);
    for (;;) {
        const qint64 got = file.read(block.data(), block.size());
        if (got <= 0)
            break;
        for (qint64 index = 0; index < got; ++index) {
            const auto byte = static_cast<unsigned char>(block[index]);
            if (!afterFF) {
                afterFF = byte == 0xFF;
                continue;
            }
            switch (byte) {
            case 0xFF:
                break;
            case 0xC0:
                baselineSeen = true;
                afterFF = false;
                break;
            case 0xC1: case 0xC2: case 0xC3: case 0xC5: case 0xC6: case 0xC7:
            case 0xC9: case 0xCA: case 0xCB: case 0xCD: case 0xCE: case 0xCF:
                return false;
            default:
                afterFF = false;
                break;
            }
        }
    }
    return baselineSeen;
}

QString RepositoryRelativePath(QTreeWidgetItem* row)
{
    QStringList names;
    for (QTreeWidgetItem* each = row; each; each = each->parent())
        names.prepend(each->text(playlist::Name));
    return names.join(QLatin1Char('/'));
}

void showTransferProgress(QProgressBar* bar, qint64 done, qint64 total)
{
    total = qMax<qint64>(total, 0);
    const int shift = total > std::numeric_limits<int>::max() ? 10 : 0;
    bar->setRange(0, int(total >> shift));
    bar->setValue(int(qBound<qint64>(0, done, total) >> shift));
}

// ---------------------------------------------------------------------------

VirtualCopier::VirtualCopier(QObject* parent)
    : QObject(parent)
{
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, &VirtualCopier::step);
}

VirtualCopier::~VirtualCopier()
{
    // An unfinished copy leaves its target as it was.
    if (m_target)
        m_target->cancelWriting();
}

void VirtualCopier::enqueue(const QString& source, const QString& target, PlayerItem* player)
{
    m_queue.append({source, target, player});
    if (!m_current)
        startNext();
}

QStringList VirtualCopier::abort(PlayerItem* player)
{
    const auto dropped = [player](const Job& job) { return job.player == player || !job.player; };
    QStringList targets;
    if (m_current && dropped(*m_current))
        targets.append(m_current->target);
    for (const Job& job : std::as_const(m_queue))
        if (dropped(job))
            targets.append(job.target);
    m_queue.erase(std::remove_if(m_queue.begin(), m_queue.end(), dropped), m_queue.end());
    if (m_current && dropped(*m_current)) {
        m_timer.stop();
        m_target->cancelWriting();
        m_target.reset();
        m_source.close();
        m_current.reset();
        startNextLater();
    }
    return targets;
}

void VirtualCopier::startNextLater()
{
    if (!m_queue.isEmpty())
        QTimer::singleShot(0, this, [this] {
            if (!m_current)
                startNext();
        });
}

void VirtualCopier::startNext()
{
    while (!m_current && !m_queue.isEmpty()) {
        m_current = m_queue.takeFirst();
        ++m_generation;
        m_done = 0;
        m_source.setFileName(m_current->source);
        if (!m_source.open(QIODevice::ReadOnly)) {
            endCurrent(false, tr("Can't open file '%1' for reading: %2").arg(m_current->source, m_source.errorString()));
            continue;
        }
        m_total = m_source.size();
        m_target = std::make_unique<QSaveFile>(m_current->target);
        // Unbuffered, so that a short write (disk full) is seen.
        if (!m_target->open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
            endCurrent(false, tr("Can't open file '%1' for writing: %2").arg(m_current->target, m_target->errorString()));
            continue;
        }
        m_timer.start();
    }
}

void VirtualCopier::step()
{
    if (!m_current)
        return;
    if (!m_current->player) {
        // The player went away: its copy is of no use any more.
        abort(nullptr);
        return;
    }
    const quint64 generation = m_generation;
    const auto stillRunning = [this, generation] { return m_current && m_generation == generation; };
    QElapsedTimer elapsed;
    elapsed.start();
    QByteArray block(BlockSize, Qt::Uninitialized);
    do {
        const qint64 got = m_source.read(block.data(), BlockSize);
        if (got == 0)
            break;
        if (got < 0) {
            endCurrent(false, tr("Can't read file '%1': %2").arg(m_current->source, m_source.errorString()));
            return;
        }
        if (m_target->write(block.constData(), got) != got) {
            endCurrent(false, tr("Can't write file '%1': %2").arg(m_current->target, m_target->errorString()));
            return;
        }
        m_done += got;
        emit progress(m_done, qMax(m_total, m_done), m_current->player);
        if (!stillRunning())
            return;  // aborted by a receiver
    } while (!m_source.atEnd() && elapsed.elapsed() < kStepBudgetMs);
    if (!m_source.atEnd())
        return;
    if (m_done == 0)
        emit progress(0, 0, m_current->player);
    if (!stillRunning())
        return;
    if (!m_target->commit()) {
        endCurrent(false, tr("Can't write file '%1': %2").arg(m_current->target, m_target->errorString()));
        return;
    }
    endCurrent(true, QString());
}

void VirtualCopier::endCurrent(bool ok, const QString& error)
{
    m_timer.stop();
    if (m_target && !ok)
        m_target->cancelWriting();
    m_target.reset();
    m_source.close();
    const Job job = *m_current;
    m_current.reset();
    // The next copy starts from the event loop, after the receivers have run.
    startNextLater();
    emit finished(job.player, job.target, ok, error);
}
