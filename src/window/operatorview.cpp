// The parts of the main window that serve the operator beyond the form itself:
// accessible names, the players filter, the events pane and the splitter
// positions kept between runs.

#include "window/kvo_form.h"

#include "core/settings.h"
#include "ui/accessibility.h"
#include "ui/events.h"
#include "players/playerview.h"

#include <QDir>
#include <QDockWidget>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStyledItemDelegate>

namespace {

const char* const kPlayerSplitterKey = "/View/PlayerSplitter";
const char* const kContentSplitterKey = "/View/ContentSplitter";
const char* const kWindowStateKey = "/View/WindowState";

class GridCellDelegate : public QStyledItemDelegate
{
public:
    explicit GridCellDelegate(QListView* view)
        : QStyledItemDelegate(view), m_view(view)
    {
    }
    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override
    {
        return m_view->gridSize() - QSize(m_view->spacing(), m_view->spacing());
    }

private:
    QListView* m_view;
};

} // namespace

void kvo_Form::setUpOperatorView()
{
    // The filter field goes above the icons, in the players group box.
    m_playerFilterField = new QLineEdit(ui.Player_groupBox);
    m_playerFilterField->setObjectName(QStringLiteral("PlayerFilter_lineEdit"));
    m_playerFilterField->setClearButtonEnabled(true);
    ui.Player_groupBoxLayout->removeWidget(ui.Player_iconView);
    ui.Player_groupBoxLayout->addWidget(m_playerFilterField, 0, 0);
    ui.Player_groupBoxLayout->addWidget(ui.Player_iconView, 1, 0);
    new PlayerFilter(ui.Player_iconView, m_playerFilterField);

    // A large fleet: icons ordered by name, laid out in batches so that the
    // window stays responsive while thousands of them are placed.
    ui.Player_iconView->setSortingEnabled(true);
    ui.Player_iconView->sortItems(Qt::AscendingOrder);
    ui.Player_iconView->setLayoutMode(QListView::Batched);
    ui.Player_iconView->setBatchSize(200);
    ui.Player_iconView->setUniformItemSizes(true);
    // Every icon its whole grid cell: a name is cut only where the cell ends,
    // whichever item the view measured first.
    ui.Player_iconView->setItemDelegate(new GridCellDelegate(ui.Player_iconView));

    // The lists below the players get more of the height by default, and
    // each list a width after its columns: the playlist shows four, the
    // repository the longest attribute.
    ui.splitter6->setStretchFactor(0, 2);
    ui.splitter6->setStretchFactor(1, 3);
    // Sizes for the screen's width: the window opens maximised.
    const int width = screen()->availableGeometry().width();
    ui.splitter3->setSizes({width * 27 / 100, width * 36 / 100, width * 37 / 100});
    // Narrow margins inside the three lists' boxes leave their columns the room.
    for (QLayout* inner : {ui.PlayerContent_groupBox->layout(), ui.PlayerContent_groupBox_2->layout(),
                           ui.ServerContents_groupBox->layout()})
        inner->setContentsMargins(4, 4, 4, 4);

    auto* dock = new QDockWidget(this);
    dock->setObjectName(QStringLiteral("Events_dockWidget"));
    dock->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable
                      | QDockWidget::DockWidgetFloatable);
    m_eventsView = new QListWidget(dock);
    m_eventsView->setObjectName(QStringLiteral("Events_listWidget"));
    m_eventsView->setUniformItemSizes(true);
    dock->setWidget(m_eventsView);
    addDockWidget(Qt::BottomDockWidgetArea, dock);
    // A closed pane, also one closed in an earlier run, comes back from the View menu.
    QMenu* viewMenu = ui.MenuBar->addMenu(QString());
    viewMenu->setObjectName(QStringLiteral("View_menu"));
    viewMenu->addAction(dock->toggleViewAction());
    // A few lines by default, fewer on a small screen: the players and lists
    // need the room more.
    const int lineHeight = m_eventsView->fontMetrics().lineSpacing();
    m_eventsView->setMinimumHeight(lineHeight * 2 + 2 * m_eventsView->frameWidth());
    const int screenHeight = screen()->availableGeometry().height();
    const int lines = screenHeight >= 900 ? 5 : screenHeight >= 700 ? 3 : 2;
    resizeDocks({dock}, {lineHeight * lines + 2 * m_eventsView->frameWidth()}, Qt::Vertical);
    new EventLog(m_eventsView, QDir::current().filePath(QString::fromLatin1(EventLog::kFileName)),
                 EventLog::kFileLimit, this);

    const auto settings = openSettingsStore();
    ui.splitter6->restoreState(settings->value(QString::fromLatin1(kPlayerSplitterKey)).toByteArray());
    ui.splitter3->restoreState(settings->value(QString::fromLatin1(kContentSplitterKey)).toByteArray());
    restoreState(settings->value(QString::fromLatin1(kWindowStateKey)).toByteArray());

    nameOperatorView();
}

void kvo_Form::saveOperatorView() const
{
    const auto settings = openSettingsStore();
    settings->setValue(QString::fromLatin1(kPlayerSplitterKey), ui.splitter6->saveState());
    settings->setValue(QString::fromLatin1(kContentSplitterKey), ui.splitter3->saveState());
    settings->setValue(QString::fromLatin1(kWindowStateKey), saveState());
    settings->sync();
}

void kvo_Form::nameOperatorView()
{
    if (!m_playerFilterField)
        return;
    ui.Player_iconView->setAccessibleName(tr("Players on line"));
    ui.Player_iconView->setAccessibleDescription(tr("List of KVO players that are online."));
    ui.Playlist_comboBox->setAccessibleName(tr("Playlist choice"));
    ui.Playlist_comboBox->setAccessibleDescription(tr("Which of the player's four playlists is shown"));
    ui.Playlist_listView->setAccessibleName(tr("Playlist"));
    ui.PlayerContent_listView->setAccessibleName(tr("Player Storage Content"));
    ui.PlayerContent_listView->setAccessibleDescription(tr("The files stored on the chosen player"));
    ui.ServerContents_listView->setAccessibleName(tr("Server Content"));
    ui.ServerContents_listView->setAccessibleDescription(tr("The media files on this server"));
    ui.MediaCenter_fileChooser->setAccessibleName(tr("Content Repository"));
    ui.MediaCenter_fileChooser->lineEdit()->setAccessibleName(tr("Content Repository path"));
    ui.MediaCenter_fileChooser->browseButton()->setAccessibleName(tr("Choose the content repository"));
    ui.Xfer_progressBar->setAccessibleName(tr("Transfer progress"));
    ui.xfer_filename_textLabel->setAccessibleDescription(tr("The file being transferred"));
    ui.create_VP_pushButton->setAccessibleDescription(
        tr("Create a virtual player: a folder in the repository that receives the same playlists, files and "
           "settings as a player"));
    ui.ExtAVin_pushButton->setAccessibleDescription(tr("Create an item that plays the external AV input"));
    // The status bar's accessible name is its current message, which screen
    // readers announce as it changes; only its description is fixed.
    statusBar()->setAccessibleDescription(tr("Status messages"));

    m_playerFilterField->setAccessibleName(tr("Filter players"));
    m_playerFilterField->setPlaceholderText(tr("Filter players by name or address"));
    m_playerFilterField->setToolTip(tr("Shows only the players whose name or address contains every word typed"));
    if (auto* dock = findChild<QDockWidget*>(QStringLiteral("Events_dockWidget")))
        dock->setWindowTitle(tr("Events"));
    if (auto* viewMenu = findChild<QMenu*>(QStringLiteral("View_menu")))
        viewMenu->setTitle(tr("&View"));
    m_eventsView->setAccessibleName(tr("Events"));
    m_eventsView->setAccessibleDescription(tr("What happened, with the time: players admitted and gone, "
                                              "refused duplicates, command faults, transfers"));

    // Buttons read their text on one line; anything else left gets its label or tool tip.
    nameWidgetsForAccessibility(this);
}
