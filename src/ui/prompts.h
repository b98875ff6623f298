#pragma once

// Every message box and operator dialog goes through Prompts, so that tests can
// install ScriptedPrompts, read the exact titles and texts, and never block on
// a modal dialog.

#include <QColor>
#include <QFont>
#include <QList>
#include <QMessageBox>
#include <QString>
#include <QStringList>

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
};

// The process-wide prompts; real dialogs unless a test installed others.
Prompts& prompts();
// Installs p (not owned); nullptr restores the real dialogs.
void setPrompts(Prompts* p);

// Shorthands for the usual boxes, through prompts().
QMessageBox::StandardButton showInformation(QWidget* parent, const QString& title, const QString& text,
                                            QMessageBox::StandardButtons buttons = QMessageBox::Ok);
QMessageBox::StandardButton showWarning(QWidget* parent, const QString& title, const QString& text,
                                        QMessageBox::StandardButtons buttons = QMessageBox::Ok);
QMessageBox::StandardButton showCritical(QWidget* parent, const QString& title, const QString& text,
                                         QMessageBox::StandardButtons buttons = QMessageBox::Ok);
QMessageBox::StandardButton askQuestion(QWidget* parent, const QString& title, const QString& text,
                                        QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No);

// Records every prompt and answers from a script: queued answers first, then
// the defaults below. For tests.
class ScriptedPrompts : public Prompts
{
public:
    struct Record {
        Kind kind;
        QString title;
        QString text;
        QMessageBox::StandardButtons buttons;
    };

    QList<Record> messages;            // every message box, in order
    QList<QMessageBox::StandardButton> buttonAnswers;  // consumed first-in first-out
    QMessageBox::StandardButton defaultButtonAnswer = QMessageBox::NoButton; // NoButton: the box's default
    QStringList fileAnswers;           // for the file and directory choosers
    QStringList textAnswers;           // for text(); none left means cancelled
    QList<QColor> colorAnswers;
    QList<QFont> fontAnswers;
    QStringList otherPrompts;          // captions of non-message prompts, in order

    QMessageBox::StandardButton message(Kind kind, QWidget* parent, const QString& title,
                                        const QString& text, QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton) override;
    QString openFileName(QWidget*, const QString& caption, const QString&, const QString&) override;
    QString saveFileName(QWidget*, const QString& caption, const QString&, const QString&) override;
    QString existingDirectory(QWidget*, const QString& caption, const QString&) override;
    QString text(QWidget*, const QString& title, const QString&, const QString&, bool* accepted) override;
    QColor color(QWidget*, const QColor&) override;
    QFont font(QWidget*, const QFont& initial, bool* accepted) override;

    // Installs itself for its lifetime.
    ScriptedPrompts() { setPrompts(this); }
    ~ScriptedPrompts() override { setPrompts(nullptr); }

private:
    QString nextFileAnswer(const QString& caption);
};
