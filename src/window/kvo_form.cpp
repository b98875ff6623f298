#include "window/kvo_form.h"

#include "config/configcontroller.h"
#include "content/contentcontroller.h"
#include "content/repositorylister.h"
#include "core/displaytext.h"
#include "players/playerscontroller.h"
#include "ui/artwork.h"

#include <QEvent>
#include <QFontMetrics>
#include <QHeaderView>

namespace {

// Every column shows its title and its usual values whole; NAME takes the
// rest of the pane's width. The titles, all capitals, are set a little
// smaller, so that five columns fit side by side in a third of the window.
// The operator can still drag the other columns.
void sizeContentColumns(QTreeWidget* view, const QStringList& typicalValues)
{
    QHeaderView* header = view->header();
    QFont titleFont = view->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 0.85);
    header->setFont(titleFont);
    header->setStretchLastSection(false);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    const QFontMetrics values(view->font());
    const QFontMetrics titles(titleFont);
    const int padding = values.averageCharWidth() + 2;
    // In a narrow window NAME keeps room for a short name; the list scrolls
    // sideways then. (The floor holds for every column; the others are wider.)
    header->setMinimumSectionSize(values.averageCharWidth() * 6 + padding);
    for (int column = 1; column < view->columnCount(); ++column) {
        header->setSectionResizeMode(column, QHeaderView::Interactive);
        const int title = titles.horizontalAdvance(view->headerItem()->text(column));
        const int value = values.horizontalAdvance(typicalValues.value(column - 1));
        header->resizeSection(column, qMax(title, value) + padding);
    }
}

// A layout and the layouts inside it measure their items afresh.
void forgetSizes(QLayout* layout)
{
    for (int index = 0; index < layout->count(); ++index)
        if (QLayout* inner = layout->itemAt(index)->layout())
            forgetSizes(inner);
    layout->invalidate();
}

} // namespace

kvo_Form::kvo_Form(QWidget* parent, const char* name, Qt::WindowFlags flags)
    : QMainWindow(parent, flags)
{
    setObjectName(name ? QString::fromUtf8(name) : QStringLiteral("kvo_Form"));
    QFont windowFont = font();
    windowFont.setFamily(QStringLiteral("Lucida Sans Unicode"));
    setFont(windowFont);
    setWindowIcon(QPixmap::fromImage(artwork::monitorPicture(128)));

    // setupUi also sets every text, through the same retranslateUi as languageChange().
    ui.setupUi(this);
    setUpOperatorView();
    m_players = new PlayersController(ui.Player_iconView, this, this);
    m_content = new ContentController({.storageBox = ui.PlayerContent_groupBox_2,
                                       .storageView = ui.PlayerContent_listView,
                                       .deleteFile = ui.DeleteFile_pushButton,
                                       .playFile = ui.PlaySingle_pushButton,
                                       .playAllFiles = ui.PlayALL_pushButton,
                                       .playlistBox = ui.PlayerContent_groupBox,
                                       .playlistChoice = ui.Playlist_comboBox,
                                       .playlistView = ui.Playlist_listView,
                                       .saveList = ui.SaveList_pushButton,
                                       .replayList = ui.PlayList_pushButton,
                                       .repositoryPath = ui.MediaCenter_fileChooser,
                                       .repositoryView = ui.ServerContents_listView,
                                       .createVirtualPlayer = ui.create_VP_pushButton,
                                       .createAVInput = ui.ExtAVin_pushButton,
                                       .refreshRepository = ui.Refresh_pushButton,
                                       .transferLabel = ui.xfer_filename_textLabel,
                                       .transferBar = ui.Xfer_progressBar,
                                       .abortTransfer = ui.AbortXfer_pushButton},
                                      m_players, this, this);
    m_config = new ConfigController({ui.Xfer_progressBar, ui.xfer_filename_textLabel}, m_players, this, this);
    connect(m_players, &PlayersController::statusMessage, this, [this](const QString& text) { showStatus(text, 0); });
    connect(m_content, &ContentController::statusMessage, this, &kvo_Form::showStatus);
    connect(m_config, &ConfigController::statusMessage, this, &kvo_Form::showStatus);
    connectPlayerMenu();
    fitTexts();
    init();
}

kvo_Form::~kvo_Form()
{
    // The content stops the batch download server and the repository listing;
    // the players go last, after everything their clients' final faults
    // could still reach.
    delete m_content;
    delete m_config;
    saveOperatorView();
    delete m_players;
}

void kvo_Form::init()
{
    ui.Player_iconView->clear();
    m_content->init();
}

void kvo_Form::showStatus(const QString& text, int timeoutMs)
{
    // Lines carry what players send: one line, cut.
    statusBar()->showMessage(elideForDisplay(text, displaylimit::kStatusLine), timeoutMs);
}

void kvo_Form::languageChange()
{
    ui.retranslateUi(this);
    m_content->retranslate();
    nameOperatorView();
    fitTexts();
}

void kvo_Form::fitTexts()
{
    for (QPushButton* button : ui.qt_central_widget->findChildren<QPushButton*>()) {
        button->setText(atMostTwoLines(button->text()));
        // As narrow as the text allows, not the style's usual minimum: the
        // three lists fit side by side in a small window.
        const QFontMetrics metrics(button->font());
        int textWidth = 0;
        for (const QString& line : button->text().split(QLatin1Char('\n')))
            textWidth = qMax(textWidth, metrics.horizontalAdvance(line));
        button->setMinimumWidth(textWidth + 2 * metrics.averageCharWidth());
    }
    // A long player name in a list's title is cut rather than widening the window.
    for (QGroupBox* box : {ui.PlayerContent_groupBox, ui.PlayerContent_groupBox_2, ui.ServerContents_groupBox}) {
        box->setMinimumWidth(0);
        forgetSizes(box->layout());
        box->setMinimumWidth(box->layout()->totalMinimumSize().width());
    }
    // Sizes in KB up to 1 GB, the locations and attributes, the usual types, durations.
    const QString size = QStringLiteral("999999");
    const QString type = QStringLiteral("picture");
    const QString duration = QStringLiteral("0:00:00.0");
    for (QTreeWidget* view : {ui.Playlist_listView, ui.PlayerContent_listView})
        sizeContentColumns(view, {size, QStringLiteral(" mirror"), type, duration});
    sizeContentColumns(ui.ServerContents_listView, {size, RepositoryLister::tr("DIRECTORY"), type, duration});
}

void kvo_Form::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        languageChange();
    QMainWindow::changeEvent(event);
}
