#pragma once

// The log manager (a player's log files: list, download, delete; its values
// gate holds the buttons back until the list has come) and the watchdog
// timer dialog.

#include "config/valuesgate.h"

#include <QDialog>

#include <memory>

class QLabel;
class QPushButton;
class QSpinBox;
class QTreeWidget;

class Log_Dialog : public QDialog
{
    Q_OBJECT
public:
    explicit Log_Dialog(QWidget* parent = nullptr, const char* name = nullptr, bool modal = true);

    ValuesGate& valuesGate() { return *m_gate; }

public slots:
    void AddLogEntry(QString& entry);
    void DeleteLogFile();
    void DownloadLogFile();

signals:
    void RequestLogList();
    void RequestDeleteLogFile(QString logname);
    void RequestDownloadLogFile(QString logname);

protected:
    void changeEvent(QEvent* event) override;
    virtual void languageChange();

private:
    QTreeWidget* m_list;
    QPushButton* m_download;
    QPushButton* m_delete;
    QPushButton* m_quit;
    QLabel* m_readingLine;
    std::unique_ptr<ValuesGate> m_gate;
};

class Watchdog_Dialog : public QDialog
{
    Q_OBJECT
public:
    explicit Watchdog_Dialog(QWidget* parent = nullptr, const char* name = nullptr, bool modal = true);

protected:
    void changeEvent(QEvent* event) override;
    virtual void languageChange();

private:
    QSpinBox* m_seconds;
    QLabel* m_label;
    QPushButton* m_ok;
    QPushButton* m_cancel;
};
