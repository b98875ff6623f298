#pragma once

// The controller's main window: the form and the operator's view around it
// (players filter, events pane, accessible names, layout kept between runs),
// composing the players, content and configuration controllers. The window
// wires their signals to its status bar and registers what the player menu's
// entries do; everything else belongs to the controllers.

#include "ui_kvo_form.h"

#include <QMainWindow>

class ConfigController;
class ContentController;
class PlayersController;
class QLineEdit;

class kvo_Form : public QMainWindow
{
    Q_OBJECT

public:
    explicit kvo_Form(QWidget* parent = nullptr, const char* name = nullptr,
                      Qt::WindowFlags flags = Qt::Window);
    ~kvo_Form() override;

    Ui::kvo_Form ui;

    PlayersController* players() const { return m_players; }
    ContentController* content() const { return m_content; }
    ConfigController* config() const { return m_config; }

protected:
    void changeEvent(QEvent* event) override;
    virtual void languageChange();

private:
    void init();
    void connectPlayerMenu();
    void showStatus(const QString& text, int timeoutMs);
    // Buttons on at most two lines, the lists' columns sized to their titles
    // and usual values: again after every change of language.
    void fitTexts();

    // The operator's view (operatorview.cpp): accessible names, the players
    // filter, the events pane and the layout kept between runs.
    void setUpOperatorView();
    void nameOperatorView();
    void saveOperatorView() const;
    QLineEdit* m_playerFilterField = nullptr;
    QListWidget* m_eventsView = nullptr;

    PlayersController* m_players = nullptr;
    ContentController* m_content = nullptr;
    ConfigController* m_config = nullptr;
};
