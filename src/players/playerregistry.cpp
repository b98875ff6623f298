#include "players/playerregistry.h"

#include "players/playeritem.h"

#include <QListWidget>
#include <QPointer>

namespace {

// The key under which find() meets the name in any letter case.
QString nameKey(const QString& name)
{
    return name.toCaseFolded();
}

void removeFrom(QHash<QString, QList<PlayerItem*>>& index, const QString& key, PlayerItem* item)
{
    auto it = index.find(key);
    if (it == index.end())
        return;
    it->removeOne(item);
    if (it->isEmpty())
        index.erase(it);
}

} // namespace

PlayerRegistry::PlayerRegistry(QListWidget* view)
    : QObject(view)
    , m_sweep(this)
{
    setObjectName(QStringLiteral("player registry"));
    m_sweep.setInterval(PlayerItem::LivenessIntervalMs);
    connect(&m_sweep, &QTimer::timeout, this, &PlayerRegistry::sweep);
    // A fleet of thousands of icons. Every item has the size of the grid,
    // which spares measuring each one whenever the view lays them out, and
    // the view lays them out a batch per event-loop turn, so that a burst of
    // admissions costs each turn a bounded time rather than a full layout.
    view->setUniformItemSizes(true);
    view->setLayoutMode(QListView::Batched);
    view->setBatchSize(500);
}

PlayerRegistry* PlayerRegistry::of(QListWidget* view)
{
    if (!view)
        return nullptr;
    if (auto* registry = view->findChild<PlayerRegistry*>(QString(), Qt::FindDirectChildrenOnly))
        return registry;
    return new PlayerRegistry(view);
}

PlayerItem* PlayerRegistry::find(const QString& name) const
{
    const auto it = m_byName.constFind(nameKey(name));
    return it == m_byName.cend() ? nullptr : it->first();
}

QList<PlayerItem*> PlayerRegistry::atAddress(const QString& address) const
{
    return m_byAddress.value(address);
}

void PlayerRegistry::add(PlayerItem* item)
{
    if (m_items.contains(item))
        return;
    const QString key = nameKey(item->text());
    m_items.insert(item, key);
    m_byName[key].append(item);
    m_byAddress[item->ipAddress()].append(item);
    if (item->isReal()) {
        m_watched.insert(item);
        if (!m_sweep.isActive())
            m_sweep.start();
    }
}

void PlayerRegistry::remove(PlayerItem* item)
{
    const auto it = m_items.constFind(item);
    if (it == m_items.cend())
        return;
    removeFrom(m_byName, *it, item);
    m_items.erase(it);
    removeFrom(m_byAddress, item->ipAddress(), item);
    m_watched.remove(item);
    if (m_watched.isEmpty())
        m_sweep.stop();
}

void PlayerRegistry::addressChanged(PlayerItem* item, const QString& previous)
{
    if (!m_items.contains(item))
        return;
    removeFrom(m_byAddress, previous, item);
    m_byAddress[item->ipAddress()].append(item);
}

void PlayerRegistry::sweep()
{
    // A dead player's receiver deletes it (and may delete others), so the
    // silent players are held by guarded pointers while they are reported.
    const qint64 now = PlayerItem::now().toMSecsSinceEpoch();
    QList<QPointer<PlayerItem>> silent;
    for (PlayerItem* item : std::as_const(m_watched)) {
        if (item->isSilentAt(now))
            silent.append(item);
    }
    for (const QPointer<PlayerItem>& item : std::as_const(silent)) {
        if (item)
            item->checkLastActiveAt(now);
    }
}
