#pragma once

// Every message box and operator dialog goes through Prompts, so that tests can
// install a scripted implementation, read the exact titles and texts, and never
// block on a modal dialog.

#include <QColor>
#include <QFont>
#include <QList>
#include <QMessageBox>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>

class QAction;
class QDialog;
class QMenu;
class QWidget;

class Prompts
{
public:
    enum class Kind { Information, Warning, Critical, Question };

    virtual ~Prompts() = default;

    // A message box with the given buttons; returns the button pressed.
    virtual QMessageBox::StandardButton message(Kind kind, QWidget* parent, const QString& title,
                                                const QString& text,
                                                QMessageBox::StandardButtons buttons,
                                                QMessageBox::StandardButton defaultButton) = 0;

    // File and directory choosers; an empty string means the operator cancelled.
    virtual QString openFileName(QWidget* parent, const QString& caption, const QString& directory,
                                 const QString& filter) = 0;
    virtual QString saveFileName(QWidget* parent, const QString& caption, const QString& directory,
                                 const QString& filter) = 0;
    virtual QString existingDirectory(QWidget* parent, const QString& caption,
                                      const QString& directory) = 0;

    // One line of text; *accepted tells whether the operator pressed OK.
    virtual QString text(QWidget* parent, const QString& title, const QString& label,
                         const QString& initial, bool* accepted) = 0;

    // Colour and font choosers; an invalid colour / !*accepted means cancelled.
    virtual QColor color(QWidget* parent, const QColor& initial) = 0;
    virtual QFont font(QWidget* parent, const QFont& initial, bool* accepted) = 0;

    // A custom dialog run modally; returns its result (QDialog::Accepted or Rejected).
    virtual int execDialog(QDialog* dialog) = 0;
    // A pop-up menu at pos; returns the action chosen (possibly from a submenu), or null.
    virtual QAction* execMenu(QMenu* menu, const QPoint& pos) = 0;
};

// The process-wide prompts; real dialogs unless a test installed others.
Prompts& prompts();
// Installs p (not owned); nullptr restores the real dialogs.
void setPrompts(Prompts* p);

// A box through prompts(): its title and text cut to what a box can show
// (elideBoxText; a text cut goes whole to debug.log) and shown as plain text.
QMessageBox::StandardButton showMessage(Prompts::Kind kind, QWidget* parent, const QString& title,
                                        const QString& text, QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);
// Shorthands for the usual boxes, through showMessage().
QMessageBox::StandardButton showInformation(QWidget* parent, const QString& title, const QString& text,
                                            QMessageBox::StandardButtons buttons = QMessageBox::Ok);
QMessageBox::StandardButton showWarning(QWidget* parent, const QString& title, const QString& text,
                                        QMessageBox::StandardButtons buttons = QMessageBox::Ok);
QMessageBox::StandardButton showCritical(QWidget* parent, const QString& title, const QString& text,
                                         QMessageBox::StandardButtons buttons = QMessageBox::Ok);
