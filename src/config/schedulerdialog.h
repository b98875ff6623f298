#pragma once

// The player scheduler: shows a player's crontab, lets the operator add and
// delete tasks and hands the whole table back on "Commit && close". Its
// values gate holds the editing and committing back while the player's table
// is being read.

#include "config/valuesgate.h"

#include <QDialog>
#include <QStringList>

#include <memory>

class QComboBox;
class QDateTimeEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTreeWidget;

class schedule_event_Dialog : public QDialog
{
    Q_OBJECT
public:
    explicit schedule_event_Dialog(QWidget* parent = nullptr, const char* name = nullptr, bool modal = true);

    ValuesGate& valuesGate() { return *m_gate; }

public slots:
    void add_task_SLOT();
    void adjust_parameters(int activated_item_number);
    void Clear_Crontab();
    void Append_Crontab(QString line);
    void delete_task_Slot();
    void commit_Slot();

signals:
    // Not emitted by the dialog itself; a caller may connect it to a reload.
    void update_crontab_view();
    void commit_crontab(QStringList table);

protected:
    void changeEvent(QEvent* event) override;
    virtual void languageChange();

private:
    void addRow(const QStringList& columns);
    // The committed form of every row, in list order (without the closing comment).
    QStringList tableLines() const;

    QLabel* m_taskLabel;
    QComboBox* m_task;
    QLabel* m_startLabel;
    QDateTimeEdit* m_startTime;
    QLabel* m_playerNameLabel;
    QLineEdit* m_playerName;
    QLabel* m_webServerLabel;
    QLineEdit* m_webServer;
    QLabel* m_webUserLabel;
    QLineEdit* m_webUser;
    QLabel* m_contentNameLabel;
    QLineEdit* m_contentName;
    QLabel* m_playbackTimeLabel;
    QLineEdit* m_playbackTime;
    QLabel* m_logDaysLabel;
    QSpinBox* m_logDays;
    QLabel* m_repeatLabel;
    QLabel* m_timeLabels[5];
    QLineEdit* m_timeFields[5];
    QGroupBox* m_eventsGroup;
    QTreeWidget* m_crontab;
    QPushButton* m_add;
    QPushButton* m_delete;
    QPushButton* m_commit;
    QPushButton* m_abort;
    QLabel* m_readingLine;
    std::unique_ptr<ValuesGate> m_gate;
};
