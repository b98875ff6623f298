#include "ui/prompts.h"

#include "core/debuglog.h"
#include "core/displaytext.h"
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
        static const QMessageBox::Icon icons[] = {QMessageBox::Information, QMessageBox::Warning,
                                                  QMessageBox::Critical, QMessageBox::Question};
        QMessageBox box(icons[int(kind)], title, text, buttons, parent);
        // Texts hold what players send: markup in them is shown, never rendered.
        box.setTextFormat(Qt::PlainText);
        if (defaultButton != QMessageBox::NoButton)
            box.setDefaultButton(defaultButton);
        if (box.exec() == -1)
            return QMessageBox::Cancel;
        return box.standardButton(box.clickedButton());
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

QMessageBox::StandardButton showMessage(Prompts::Kind kind, QWidget* parent, const QString& title,
                                        const QString& text, QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton)
{
    const QString shown = elideBoxText(text);
    if (shown != text)
        qInfo("Box \"%s\" shows its text cut; in full: %s", qUtf8Printable(elideForDisplay(title, displaylimit::kValue)),
              qUtf8Printable(elideForDisplay(text, kDebugLogLineLength)));
    return prompts().message(kind, parent, elideForDisplay(title, displaylimit::kValue), shown, buttons,
                             defaultButton);
}

QMessageBox::StandardButton showInformation(QWidget* parent, const QString& title, const QString& text,
                                            QMessageBox::StandardButtons buttons)
{
    return showMessage(Prompts::Kind::Information, parent, title, text, buttons, QMessageBox::NoButton);
}

QMessageBox::StandardButton showWarning(QWidget* parent, const QString& title, const QString& text,
                                        QMessageBox::StandardButtons buttons)
{
    return showMessage(Prompts::Kind::Warning, parent, title, text, buttons, QMessageBox::NoButton);
}

QMessageBox::StandardButton showCritical(QWidget* parent, const QString& title, const QString& text,
                                         QMessageBox::StandardButtons buttons)
{
    return showMessage(Prompts::Kind::Critical, parent, title, text, buttons, QMessageBox::NoButton);
}
