#pragma once

// Files and list views of the content tests: writing and reading whole files,
// the rows of a view as text, and writes made to fail even for root.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTreeWidget>

#include <csignal>
#include <sys/resource.h>

inline bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Each top-level row as its cells joined by "|".
inline QStringList rowsOf(const QTreeWidget* view)
{
    QStringList rows;
    for (int row = 0; row < view->topLevelItemCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < view->columnCount(); ++column)
            cells.append(view->topLevelItem(row)->text(column));
        rows.append(cells.join('|'));
    }
    return rows;
}

// While it lives, writing a file beyond limit bytes fails (as on a full disk).
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t limit)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_previous);
        rlimit small = m_previous;
        small.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_previous); }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_previous{};
};
