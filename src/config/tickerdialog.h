#pragma once

// The ticker composer: the message, its font, colours, direction and speed.
// On OK it renders "ticker.bmp" and writes "ticker.ini" in the working
// directory, hands the text on by NewTickerReady and remembers its settings.

#include <QColor>
#include <QDialog>
#include <QFont>
#include <QString>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;

class TickerDialog : public QDialog
{
    Q_OBJECT
public:
    static constexpr const char* defaultFontDescription = "Arial,36,-1,5,50,0,0,0,0,0";
    static constexpr const char* bitmapFileName = "ticker.bmp";
    static constexpr const char* iniFileName = "ticker.ini";

    explicit TickerDialog(QWidget* parent = nullptr, const char* name = nullptr, bool modal = true);

public slots:
    void NewTickerSlot();
    void TcikerBGColorSlot();
    void TickerFGColorSlot();
    void TickerFontSlot();

signals:
    void NewTickerReady(QString ticker);

protected:
    void changeEvent(QEvent* event) override;
    virtual void languageChange();

private:
    void readSettings();
    void writeSettings();
    void showColors();
    // Renders and writes the two files; false when nothing may be sent.
    bool writeTickerFiles(const QString& text);

    QString m_text;
    QFont m_font;
    QColor m_background;
    QColor m_foreground;
    bool m_leftToRight = false;
    int m_speed = 2;

    QLabel* m_textLabel;
    QLineEdit* m_line;
    QPushButton* m_fontButton;
    QPushButton* m_backgroundButton;
    QPushButton* m_foregroundButton;
    QGroupBox* m_directionGroup;
    QRadioButton* m_leftToRightButton;
    QRadioButton* m_rightToLeftButton;
    QGroupBox* m_speedGroup;
    QSlider* m_speedSlider;
    QPushButton* m_ok;
    QPushButton* m_cancel;
};
