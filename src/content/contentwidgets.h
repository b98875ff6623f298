#pragma once

// The widgets of the window that the content controller fills and listens to.

class FileChooser;
class QComboBox;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTreeWidget;

struct ContentWidgets {
    // The storage pane.
    QGroupBox* storageBox;
    QTreeWidget* storageView;
    QPushButton* deleteFile;
    QPushButton* playFile;
    QPushButton* playAllFiles;
    // The playlist pane.
    QGroupBox* playlistBox;
    QComboBox* playlistChoice;
    QTreeWidget* playlistView;
    QPushButton* saveList;
    QPushButton* replayList;
    // The repository.
    FileChooser* repositoryPath;
    QTreeWidget* repositoryView;
    QPushButton* createVirtualPlayer;
    QPushButton* createAVInput;
    QPushButton* refreshRepository;
    // The transfer strip.
    QLabel* transferLabel;
    QProgressBar* transferBar;
    QPushButton* abortTransfer;
};
