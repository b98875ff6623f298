#pragma once

// The two dialogs of a player's output: the scaled playback window and the
// audio volume. Each is filled from the player's reply while it is open (its
// values gate holds OK back until then) and hands the operator's choice on
// by a signal.

#include "config/valuesgate.h"

#include <QDialog>

#include <memory>

class QDial;
class QLabel;
class QLCDNumber;
class QLineEdit;
class QPushButton;

class ScaleWindowDialog : public QDialog
{
    Q_OBJECT

public:
    explicit ScaleWindowDialog(QWidget* parent = nullptr, const QString& name = QString());

    ValuesGate& valuesGate() { return *m_gate; }

signals:
    void UpdateScaleWindowDimension(int x, int y, int w, int h);

public slots:
    // Clips the window to the screen, telling the operator about each cut edge.
    void ScaleWindowParameterOK();
    void fill_XYWH(int x, int y, int w, int h);
    void ResetScaleFactors();
    virtual void languageChange();

protected:
    void changeEvent(QEvent* event) override;

private:
    QLabel* ScaleWindowX_textLabel;
    QLineEdit* ScaleWindowX_lineEdit;
    QLabel* ScaleWindowY_textLabel;
    QLineEdit* ScaleWindowY_lineEdit;
    QLabel* ScaleWindowW_textLabel;
    QLineEdit* ScaleWindowW_lineEdit;
    QLabel* ScaleWindowH_textLabel;
    QLineEdit* ScaleWindowH_lineEdit;
    QPushButton* ScleWndow_reset_button;
    QPushButton* buttonOk;
    QPushButton* buttonCancel;
    QLabel* reading_textLabel;
    std::unique_ptr<ValuesGate> m_gate;
};

class Volume_dialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kMaxVolume = 73;

    explicit Volume_dialog(QWidget* parent = nullptr, const QString& name = QStringLiteral("VolumeControl"));

    ValuesGate& valuesGate() { return *m_gate; }
    // For a volume read from no player: note says so, and OK waits until the
    // operator has turned the dial.
    void awaitChoice(const QString& note);

signals:
    void set_player_volume(int volume);

public slots:
    void set_volume_Slot(int volume);
    void volume_ok__Slot();
    virtual void languageChange();

protected:
    void changeEvent(QEvent* event) override;

private:
    QDial* Volume_dial;
    QLCDNumber* Volume_lCDNumber;
    QPushButton* VolumeOk_pushButton;
    QPushButton* VolumeCancel_pushButton;
    QLabel* reading_textLabel;
    std::unique_ptr<ValuesGate> m_gate;
};
