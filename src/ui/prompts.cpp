#include "ui/prompts.h"

#include "ui/accessibility.h"

#include <QColorDialog>
#include <QDeadlineTimer>
#include <QDialog>
#include <QEventLoop>
#include <QFileDialog>
#include <QFontDialog>
#include <QInputDialog>
#include <QMenu>
#include <QPointer>
#include <QTimer>

namespace {

class DialogPrompts : public Prompts
{
public:
    QMessageBox::StandardButton message(Kind kind, QWidget* parent, const QString& title,
                                        const QString& text, QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton) override
    {
        switch (kind) {
        case Kind::Information:
            return QMessageBox::information(parent, title, text, buttons, defaultButton);
        case Kind::Warning:
            return QMessageBox::warning(parent, title, text, buttons, defaultButton);
        case Kind::Critical:
            return QMessageBox::critical(parent, title, text, buttons, defaultButton);
        case Kind::Question:
            return QMessageBox::question(parent, title, text, buttons, defaultButton);
        }
        return QMessageBox::NoButton;
    }
    QString openFileName(QWidget* parent, const QString& caption, const QString& directory,
                         const QString& filter) override
    {
        return QFileDialog::getOpenFileName(parent, caption, directory, filter);
    }
    QString saveFileName(QWidget* parent, const QString& caption, const QString& directory,
                         const QString& filter) override
    {
        return QFileDialog::getSaveFileName(parent, caption, directory, filter);
    }
    QString existingDirectory(QWidget* parent, const QString& caption, const QString& directory) override
    {
        return QFileDialog::getExistingDirectory(parent, caption, directory);
    }
    QString text(QWidget* parent, const QString& title, const QString& label, const QString& initial,
                 bool* accepted) override
    {
        return QInputDialog::getText(parent, title, label, QLineEdit::Normal, initial, accepted);
    }
    QColor color(QWidget* parent, const QColor& initial) override
    {
        return QColorDialog::getColor(initial, parent);
    }
    QFont font(QWidget* parent, const QFont& initial, bool* accepted) override
    {
        return QFontDialog::getFont(accepted, initial, parent);
    }
    int execDialog(QDialog* dialog) override
    {
        nameWidgetsForAccessibility(dialog);
        return dialog->exec();
    }
    QAction* execMenu(QMenu* menu, const QPoint& pos) override
    {
        return menu->exec(pos);
    }
};

Prompts* installedPrompts = nullptr;

} // namespace

Prompts& prompts()
{
    static DialogPrompts dialogs;
    return installedPrompts ? *installedPrompts : static_cast<Prompts&>(dialogs);
}

void setPrompts(Prompts* p)
{
    installedPrompts = p;
}

QMessageBox::StandardButton showInformation(QWidget* parent, const QString& title, const QString& text,
                                            QMessageBox::StandardButtons buttons)
{
    return prompts().message(Prompts::Kind::Information, parent, title, text, buttons, QMessageBox::NoButton);
}

QMessageBox::StandardButton showWarning(QWidget* parent, const QString& title, const QString& text,
                                        QMessageBox::StandardButtons buttons)
{
    return prompts().message(Prompts::Kind::Warning, parent, title, text, buttons, QMessageBox::NoButton);
}

QMessageBox::StandardButton showCritical(QWidget* parent, const QString& title, const QString& text,
                                         QMessageBox::StandardButtons buttons)
{
    return prompts().message(Prompts::Kind::Critical, parent, title, text, buttons, QMessageBox::NoButton);
}
