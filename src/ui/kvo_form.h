#pragma once

#include "ui_kvo_form.h"

#include <QMainWindow>
#include <QPixmap>

#include <array>

// The controller's main window. The widgets of the form are reached through
// `ui` (for example ui.Player_iconView, ui.ServerContents_listView); slots that
// belong to other subsystems are declared here and defined in their folders.
class kvo_Form : public QMainWindow
{
    Q_OBJECT

public:
    static constexpr int layoutPictureCount = 10;

    explicit kvo_Form(QWidget* parent = nullptr, const char* name = nullptr,
                      Qt::WindowFlags flags = Qt::Window);

    // Picture i stands for screen layout i; null when layout<i>.png was missing
    // or unreadable, and for any index outside 0..9.
    QPixmap layoutPicture(int index) const;

    Ui::kvo_Form ui;

public slots:
    void ChangeMediaCenterPath_Slot(const QString& path);

protected:
    void changeEvent(QEvent* event) override;
    virtual void languageChange();

private:
    void init();
    void loadLayoutPictures();

    std::array<QPixmap, layoutPictureCount> m_layoutPictures;
};
