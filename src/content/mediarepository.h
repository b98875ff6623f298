#pragma once

// The media repository as the "Server Content" view lists it: the listing runs
// on a worker, and one that takes a while reports its progress.

#include <QMetaObject>
#include <QObject>
#include <QString>

class QTreeWidget;
class QWidget;
class RepositoryLister;

class MediaRepository : public QObject
{
    Q_OBJECT
public:
    // window: the parent of the boxes.
    MediaRepository(QTreeWidget* view, QWidget* window, QObject* parent = nullptr);

    // Lists the repository path into the view; rows appear when the worker has
    // walked it. A missing repository is reported and the rows stay.
    void ReadMediaRepository();
    // Lists the repository and makes the row of the file at path current once
    // it is listed; a file the listing leaves out is said to be so.
    void listAndSelect(const QString& path);
    RepositoryLister* lister() const { return m_lister; }

signals:
    void statusMessage(const QString& text, int timeoutMs = 0);

private:
    QTreeWidget* m_view;
    QWidget* m_window;
    RepositoryLister* m_lister;
    bool m_reporting = false;
    QMetaObject::Connection m_selectWhenListed;
};
