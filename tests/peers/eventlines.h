#pragma once

// The lines of a window's events pane without their time stamps.

#include <QListWidget>

inline QStringList eventLines(const QWidget* window)
{
    QStringList lines;
    for (const QListWidgetItem* item : window->findChild<QListWidget*>("Events_listWidget")->findItems("", Qt::MatchContains))
        lines << item->text().section("  ", 1);
    return lines;
}
