#include "config/schedulerdialog.h"

#include "config/schedulerrules.h"
#include "ui/prompts.h"

#include <QComboBox>
#include <QDateTime>
#include <QDateTimeEdit>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace scheduling;

namespace {

const char* const timeFieldNames[timeFieldCount] = {
    "schedule_event_minutes_lineEdit", "schedule_event_hours_lineEdit", "schedule_event_days_lineEdit",
    "schedule_event_months_lineEdit", "schedule_event_weeks_lineEdit"};

// The line of a row kept as it was read.
constexpr int keptLineRole = Qt::UserRole;

QLineEdit* lineEdit(QWidget* parent, const char* name)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    return edit;
}

QLabel* label(QWidget* parent, const char* name)
{
    auto* text = new QLabel(parent);
    text->setObjectName(QLatin1String(name));
    return text;
}

} // namespace

schedule_event_Dialog::schedule_event_Dialog(QWidget* parent, const char* name, bool modal)
    : QDialog(parent)
{
    setObjectName(name ? QString::fromLatin1(name) : QStringLiteral("schedule_event_Dialog"));
    setModal(modal);

    m_taskLabel = label(this, "SelectEvent_textLabel");
    m_task = new QComboBox(this);
    m_task->setObjectName(QStringLiteral("schedule_event_comboBox"));
    for (int task = 0; task < TaskCount; ++task)
        m_task->addItem(QString());

    // Shown by earlier versions; the schedule fields below decide when a task runs.
    m_startLabel = label(this, "StartTime_textLabel");
    m_startTime = new QDateTimeEdit(QDateTime::currentDateTime(), this);
    m_startTime->setObjectName(QStringLiteral("schedule_event_time_dateTimeEdit"));
    m_startTime->setDisplayFormat(QStringLiteral("hh:mm AP"));
    // Screen readers name the task choice and the start time after their labels.
    m_taskLabel->setBuddy(m_task);
    m_startLabel->setBuddy(m_startTime);
    m_startLabel->hide();
    m_startTime->hide();

    m_playerNameLabel = label(this, "VirtualPlayerName_textLabel");
    m_playerName = lineEdit(this, "VirtualPlayerName_lineEdit");
    m_webServerLabel = label(this, "ContentsWebServer_textLabel");
    m_webServer = lineEdit(this, "ContentsWebServer_lineEdit");
    m_webUserLabel = label(this, "ContentsWebUser_textLabel");
    m_webUser = lineEdit(this, "ContentsWebUser_lineEdit");
    m_webUser->setText(QStringLiteral("kvo"));
    m_contentNameLabel = label(this, "ContentName_textLabel");
    m_contentName = lineEdit(this, "ContentName_lineEdit");
    m_playbackTimeLabel = label(this, "PlaybackTime_textLabel");
    m_playbackTime = lineEdit(this, "PlaybackTime_lineEdit");
    m_logDaysLabel = label(this, "LogDays_textLabel");
    m_logDays = new QSpinBox(this);
    m_logDays->setObjectName(QStringLiteral("LogDays_spinBox"));
    m_logDays->setRange(0, 365);
    m_logDays->setValue(0);

    m_repeatLabel = label(this, "RepeatPeriods_textLabel");
    static const char* const labelNames[timeFieldCount] = {"minutes_textLabel", "hours_textLabel", "days_textLabel",
                                                           "months_textLabel", "weeks_textLabel"};
    for (int field = 0; field < timeFieldCount; ++field) {
        m_timeLabels[field] = label(this, labelNames[field]);
        m_timeFields[field] = lineEdit(this, timeFieldNames[field]);
        const QRegularExpression pattern(timeFieldPattern(TimeField(field)));
        m_timeFields[field]->setValidator(new QRegularExpressionValidator(pattern, m_timeFields[field]));
        m_timeFields[field]->setText(QStringLiteral("*"));
        m_timeLabels[field]->setBuddy(m_timeFields[field]);
    }

    m_eventsGroup = new QGroupBox(this);
    m_eventsGroup->setObjectName(QStringLiteral("CurrentEvents_groupBox"));
    m_crontab = new QTreeWidget(m_eventsGroup);
    m_crontab->setObjectName(QStringLiteral("Crontab_listView"));
    m_crontab->setColumnCount(columnCount);
    m_crontab->setRootIsDecorated(false);
    m_crontab->setSortingEnabled(false);
    m_crontab->setSelectionMode(QAbstractItemView::SingleSelection);
    m_crontab->header()->setStretchLastSection(true);
    auto* eventsLayout = new QVBoxLayout(m_eventsGroup);
    eventsLayout->addWidget(m_crontab);

    m_add = new QPushButton(this);
    m_add->setObjectName(QStringLiteral("AddTask_pushButton"));
    m_delete = new QPushButton(this);
    m_delete->setObjectName(QStringLiteral("DeleteTask_pushButton"));
    m_commit = new QPushButton(this);
    m_commit->setObjectName(QStringLiteral("Commit_pushButton"));
    m_abort = new QPushButton(this);
    m_abort->setObjectName(QStringLiteral("Abort_pushButton"));
    for (QPushButton* button : {m_add, m_delete, m_commit, m_abort})
        button->setAutoDefault(false);

    auto* parameters = new QGridLayout;
    const std::pair<QLabel*, QWidget*> parameterRows[] = {
        {m_playerNameLabel, m_playerName}, {m_webServerLabel, m_webServer},  {m_webUserLabel, m_webUser},
        {m_contentNameLabel, m_contentName}, {m_playbackTimeLabel, m_playbackTime}, {m_logDaysLabel, m_logDays}};
    int row = 0;
    for (const auto& [text, field] : parameterRows) {
        text->setBuddy(field);
        parameters->addWidget(text, row, 0);
        parameters->addWidget(field, row++, 1);
    }

    auto* times = new QGridLayout;
    for (int field = 0; field < timeFieldCount; ++field) {
        times->addWidget(m_timeFields[field], 0, field);
        times->addWidget(m_timeLabels[field], 1, field);
    }

    auto* taskRow = new QHBoxLayout;
    taskRow->addWidget(m_taskLabel);
    taskRow->addWidget(m_task, 1);
    taskRow->addWidget(m_startLabel);
    taskRow->addWidget(m_startTime);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {m_add, m_delete, m_commit, m_abort})
        buttons->addWidget(button);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(taskRow);
    layout->addLayout(parameters);
    layout->addWidget(m_repeatLabel);
    layout->addLayout(times);
    layout->addWidget(m_eventsGroup, 1);
    m_readingLine = label(this, "reading_textLabel");
    layout->addWidget(m_readingLine);
    layout->addLayout(buttons);
    m_gate = std::make_unique<ValuesGate>(m_readingLine, QList<QWidget*>{m_add, m_delete, m_commit});

    setTabOrder(m_task, m_timeFields[0]);
    for (int field = 1; field < timeFieldCount; ++field)
        setTabOrder(m_timeFields[field - 1], m_timeFields[field]);

    connect(m_task, &QComboBox::activated, this, &schedule_event_Dialog::adjust_parameters);
    connect(m_add, &QPushButton::clicked, this, &schedule_event_Dialog::add_task_SLOT);
    connect(m_delete, &QPushButton::clicked, this, &schedule_event_Dialog::delete_task_Slot);
    connect(m_commit, &QPushButton::clicked, this, &schedule_event_Dialog::commit_Slot);
    connect(m_abort, &QPushButton::clicked, this, &QDialog::reject);

    languageChange();
    adjust_parameters(m_task->currentIndex());
    resize(760, 520);
}

void schedule_event_Dialog::languageChange()
{
    setWindowTitle(tr("Player scheduler"));
    m_taskLabel->setText(tr("<b>Select event/action</b>:"));
    const QString tasks[TaskCount] = {tr("NONE"), tr("Power off"), tr("Power on"), tr("Update playlists and contents"),
                                      tr("Switch to POLL mode operation")};
    for (int task = 0; task < TaskCount; ++task)
        m_task->setItemText(task, tasks[task]);
    m_startLabel->setText(tr("<b>This event will start at</b>"));
    m_playerNameLabel->setText(tr("Virtual Player name"));
    m_playerName->setToolTip(tr("This is the virtual player name for the batch udpate event and poll mode event. A "
                                "virtual player can be created from Server Contents window."));
    m_webServerLabel->setText(tr("Contents Web Server"));
    m_webUserLabel->setText(tr("Contents Web User"));
    m_contentNameLabel->setText(tr("Local content name to play"));
    m_playbackTimeLabel->setText(tr("Playback time (seconds)"));
    m_logDaysLabel->setText(tr("Keep logs for the past (days)"));
    m_repeatLabel->setText(tr("<b>The above event/action will repeat at the following periods:</b>"));
    const QString labels[timeFieldCount] = {tr("minute(s) [0--59]"), tr("hour(s) [0--23]"),
                                            tr("day(s) of month [1--31]"), tr("month(s) [1--12]"),
                                            tr("day(s) of week [0--6]")};
    const QString tips[timeFieldCount] = {
        tr("valid range 0 to 59, supports list of minutes and range of numbers with optional steppings"),
        tr("valid range is 0 to 23, supports list and range of hours with optional steppings"),
        tr("valid range from 1 to 31, supports list of range of days with optional steppings"),
        tr("valid numbers are 1 to 12, supports list and range of months with optional steppings"),
        tr("valid numbners are 0 to 7, both 0 and 7 means Sunday, supports list and range of week-days with optional "
           "steppings")};
    for (int field = 0; field < timeFieldCount; ++field) {
        m_timeLabels[field]->setText(labels[field]);
        m_timeFields[field]->setToolTip(tips[field]);
    }
    m_eventsGroup->setTitle(tr("Current scheduled events"));
    m_crontab->setHeaderLabels({tr("Minute"), tr("Hour"), tr("Day-month"), tr("Month"), tr("Day-week"), tr("Action")});
    m_add->setText(tr("Add task"));
    m_delete->setText(tr("Delete task"));
    m_commit->setText(tr("Commit && close"));
    m_abort->setText(tr("Abort && close"));
}

void schedule_event_Dialog::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        languageChange();
    QDialog::changeEvent(event);
}

void schedule_event_Dialog::adjust_parameters(int activated_item_number)
{
    const bool name = usesPlayerName(activated_item_number);
    const bool web = usesWebServerAndUser(activated_item_number);
    for (QWidget* widget : {static_cast<QWidget*>(m_playerNameLabel), static_cast<QWidget*>(m_playerName)})
        widget->setEnabled(name);
    for (QWidget* widget : {static_cast<QWidget*>(m_webServerLabel), static_cast<QWidget*>(m_webServer),
                            static_cast<QWidget*>(m_webUserLabel), static_cast<QWidget*>(m_webUser)})
        widget->setEnabled(web);
    // No task takes these yet.
    for (QWidget* widget : {static_cast<QWidget*>(m_contentNameLabel), static_cast<QWidget*>(m_contentName),
                            static_cast<QWidget*>(m_playbackTimeLabel), static_cast<QWidget*>(m_playbackTime),
                            static_cast<QWidget*>(m_logDaysLabel), static_cast<QWidget*>(m_logDays)})
        widget->setEnabled(false);
}

void schedule_event_Dialog::add_task_SLOT()
{
    const int task = m_task->currentIndex();
    if (task <= NoTask || task >= TaskCount) {
        showInformation(this, tr("Task scheduler"), tr("No action is specified. Nothing to do."));
        return;
    }
    // An empty or partly typed field would shift the line's columns or break it.
    for (int field = 0; field < timeFieldCount; ++field) {
        const QString text = m_timeFields[field]->text();
        if (isValidTimeField(TimeField(field), text))
            continue;
        const QString name = m_timeLabels[field]->text();
        showWarning(this, tr("Task scheduler"),
                    text.isEmpty() ? tr("The field \"%1\" is empty; \"*\" stands for every value.").arg(name)
                                   : tr("The field \"%1\" holds \"%2\", which is not valid: %3.")
                                         .arg(name, text, m_timeFields[field]->toolTip()));
        m_timeFields[field]->setFocus();
        return;
    }
    bool allWildcards = true;
    for (QLineEdit* field : m_timeFields)
        allWildcards = allWildcards && field->text() == QLatin1String("*");
    if (allWildcards
        && showMessage(Prompts::Kind::Question, this, tr("Task scheduler"),
                       tr("All entries are wildcards, this will trigger the task every minute.\nAre you sure it "
                          "is okay to proceed?"),
                       QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
            != QMessageBox::Yes)
        return;

    // The parameters become words of the player's command line: each must be
    // what it stands for and nothing more.
    const QString name = m_playerName->text().trimmed();
    const QString server = m_webServer->text().trimmed();
    const QString user = m_webUser->text().trimmed();
    QString refusal;
    if (task == UpdateContents && name.isEmpty())
        refusal = tr("A virtual/mirror player name is required.");
    else if (task == PollMode && name.isEmpty())
        refusal = tr("A virtual/mirror player name is required in polling mode");
    else if (usesPlayerName(task) && !isValidPlayerName(name))
        refusal = tr("The virtual/mirror player name \"%1\" may only hold letters, digits and \"_\".").arg(name);
    else if (task == PollMode && server.isEmpty())
        refusal = tr("A Web server name is required in polling mode.");
    else if (task == PollMode && !isValidHostName(server))
        refusal = tr("The Web server \"%1\" is neither a host name nor an IP address.").arg(server);
    else if (task == PollMode && user.isEmpty())
        refusal = tr("A Web user name is required in polling mode.");
    else if (task == PollMode && !isValidUserName(user))
        refusal = tr("The Web user \"%1\" is not a user name: up to 32 letters, digits, \"_\", \".\" and \"-\", "
                     "not starting with \".\" or \"-\".")
                      .arg(user);
    if (!refusal.isEmpty()) {
        showInformation(this, tr("Task Scheduler"), refusal);
        return;
    }

    QStringList columns;
    for (QLineEdit* field : m_timeFields)
        columns.append(field->text());
    columns.append(taskAction(task, name, server, user));
    addRow(columns);
}

void schedule_event_Dialog::addRow(const QStringList& columns)
{
    auto* row = new QTreeWidgetItem(m_crontab, columns);
    row->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
}

void schedule_event_Dialog::Clear_Crontab()
{
    m_crontab->clear();
}

void schedule_event_Dialog::Append_Crontab(QString line)
{
    const auto columns = splitCrontabLine(line);
    if (!columns)
        return;
    if (isSchedulerRow(*columns)) {
        addRow(QStringList(columns->begin(), columns->end()));
        return;
    }
    // A line this dialog would not have made: split into columns it would read
    // wrongly and be committed changed, so it is shown and kept as read.
    auto* row = new QTreeWidgetItem(m_crontab, QStringList{line});
    row->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    row->setFirstColumnSpanned(true);
    row->setData(0, keptLineRole, line);
    row->setToolTip(0, tr("Kept as read from the player; this dialog would not create this line."));
}

void schedule_event_Dialog::delete_task_Slot()
{
    const QList<QTreeWidgetItem*> selected = m_crontab->selectedItems();
    if (selected.isEmpty()) {
        showInformation(this, tr("Task Scheduler"), tr("Need to select an item first."));
        return;
    }
    delete selected.first();
}

QStringList schedule_event_Dialog::tableLines() const
{
    QStringList lines;
    for (int index = 0; index < m_crontab->topLevelItemCount(); ++index) {
        const QTreeWidgetItem* row = m_crontab->topLevelItem(index);
        const QVariant kept = row->data(0, keptLineRole);
        if (kept.isValid()) {
            lines.append(kept.toString());
            continue;
        }
        std::array<QString, columnCount> columns;
        for (int column = 0; column < columnCount; ++column)
            columns[column] = row->text(column);
        lines.append(crontabLine(columns));
    }
    return lines;
}

void schedule_event_Dialog::commit_Slot()
{
    emit commit_crontab(tableLines() << createdOnLine(QDateTime::currentDateTime()));
    accept();
}
