#include "window/kvo_form.h"

#include "content/contentcontroller.h"
#include "core/installpaths.h"
#include "players/commandchannel.h"
#include "players/playeritem.h"
#include "players/playerscontroller.h"
#include "ui/artwork.h"
#include "ui/prompts.h"
#include "xmlrpc/xrclient.h"

#include <QEvent>
#include <QFontMetrics>
#include <QImage>

#include <iterator>

namespace {

QSize layoutPictureSize(int index)
{
    return artwork::isPortraitLayout(index) ? QSize(64, 114) : QSize(114, 64);
}

// Room for a typical file name and the figures beside it; the operator can
// still drag the columns.
void sizeContentColumns(QTreeWidget* view)
{
    static constexpr int characters[] = {20, 9, 10, 10, 10};
    const QFontMetrics metrics(view->font());
    for (int column = 0; column < view->columnCount() && column < int(std::size(characters)); ++column)
        view->setColumnWidth(column, metrics.averageCharWidth() * characters[column] + 2 * metrics.height());
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
    for (QTreeWidget* view : {ui.Playlist_listView, ui.PlayerContent_listView, ui.ServerContents_listView})
        sizeContentColumns(view);
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
    connectWidgets();
    init();
}

kvo_Form::~kvo_Form()
{
    // Stops the batch download server and the repository listing.
    delete m_content;
    saveOperatorView();
    // The players go first: their clients report faults for calls in flight,
    // which must not reach a window that is half gone.
    m_players->channel().disconnect(this);
    delete m_players;
}

CommandChannel& kvo_Form::commandChannel()
{
    return m_players->channel();
}

PlayerItem* kvo_Form::currentPlayer() const
{
    return asPlayer(ui.Player_iconView->currentItem());
}

int kvo_Form::sendCommand(PlayerItem* item, const QString& method, const QVariantList& params)
{
    return commandChannel().send(item, method, params);
}

void kvo_Form::connectWidgets()
{
    connect(m_players, &PlayersController::statusMessage, this, [this](const QString& text) {
        statusBar()->showMessage(text);
    });
    connect(m_content, &ContentController::statusMessage, statusBar(), &QStatusBar::showMessage);
    connect(&commandChannel(), &CommandChannel::replied, this, &kvo_Form::handleReply);
    connectPlayerMenu();
}

void kvo_Form::init()
{
    ui.Player_iconView->clear();
    m_content->init();
    loadLayoutPictures();
}

void kvo_Form::loadLayoutPictures()
{
    for (int index = 0; index < layoutPictureCount; ++index) {
        const QString path = installpaths::dataFile(artwork::screenLayoutFileName(index));
        const QImage image = path.isEmpty() ? QImage() : QImage(path);
        m_layoutPictures[index] = image.isNull()
            ? QPixmap()
            : QPixmap::fromImage(image.scaled(layoutPictureSize(index), Qt::IgnoreAspectRatio,
                                              Qt::SmoothTransformation));
    }
}

QPixmap kvo_Form::layoutPicture(int index) const
{
    if (index < 0 || index >= layoutPictureCount)
        return {};
    return m_layoutPictures[index];
}

void kvo_Form::languageChange()
{
    ui.retranslateUi(this);
    m_content->retranslate();
    nameOperatorView();
}

void kvo_Form::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        languageChange();
    QMainWindow::changeEvent(event);
}
