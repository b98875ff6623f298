#pragma once

// The dialog that composes an AV input item: the capture module, its input
// connector and the video standard, as the two lines of a ".cap" file.

#include <QDialog>
#include <QObject>
#include <QString>

class QComboBox;
class QLabel;
class QPushButton;

class AVInputDialog : public QDialog
{
    Q_OBJECT
public:
    explicit AVInputDialog(QWidget* parent = nullptr, const char* name = nullptr);

    QLabel* CaptureBoard_textLabel;
    QComboBox* CaptureBoard_comboBox;
    QLabel* AVinSource_textLabel;
    QComboBox* AVinSource_comboBox;
    QLabel* VideoFormat_textLabel;
    QComboBox* VideoFormat_comboBox;
    QPushButton* buttonOk;
    QPushButton* buttonCancel;

signals:
    void new_VIN_config_ready(QString first, QString second);

public slots:
    virtual void CreateNewVINFile();

protected:
    void changeEvent(QEvent* event) override;

private:
    void languageChange();
};

// The text of an AV input item file: the two lines, each ended by "\n".
QByteArray avInputFileContents(const QString& first, const QString& second);

// Creates AV input items: the dialog, then the name, then the file in the
// repository's "Video" folder, replaced atomically.
class AVInputItems : public QObject
{
    Q_OBJECT
public:
    // window: the parent of the dialogs and boxes.
    explicit AVInputItems(QWidget* window, QObject* parent = nullptr);

public slots:
    void CreateExtAVinItem();
    void Save_AVIN_file(QString first, QString second);

signals:
    // A new item lies in the repository.
    void itemSaved();

private:
    QWidget* m_window;
};
