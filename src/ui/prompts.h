#pragma once

// Every message box and operator dialog goes through Prompts, so that tests can
// install ScriptedPrompts, read the exact titles and texts, and never block on
// a modal dialog.

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
// the defaults below. For tests. Like a real modal box, every prompt runs a
// nested event loop before it answers (nestedLoopMs, 20 ms unless changed, or
// until answerWhen holds), so that sockets, replies and timers are served
// while it is "open"; a negative nestedLoopMs answers at once.
class ScriptedPrompts : public Prompts
{
public:
    struct Record {
        Kind kind;
        QString title;
        QString text;
        QMessageBox::StandardButtons buttons;
    };
    struct MenuEntry {
        QString text;       // without '&'; "-" for a separator
        QVariant id;        // the action's data
        bool checked = false;
        bool enabled = true;
        int depth = 0;      // 1 for entries of a submenu, and so on
    };
    // Fills a dialog's widgets (found by object name) and presses its buttons;
    // a dialog that is still open afterwards is rejected.
    using DialogScript = std::function<void(QDialog*)>;

    int nestedLoopMs = 20;
    std::function<bool()> answerWhen;  // when set: spin until it holds (at most 10 s)

    QList<Record> messages;            // every message box, in order
    QList<QMessageBox::StandardButton> buttonAnswers;  // consumed first-in first-out
    QMessageBox::StandardButton defaultButtonAnswer = QMessageBox::NoButton; // NoButton: the box's default
    QStringList fileAnswers;           // for the file and directory choosers
    QStringList textAnswers;           // for text(); none left means cancelled
    QList<QColor> colorAnswers;
    QList<QFont> fontAnswers;
    QStringList otherPrompts;          // captions of non-message prompts, in order
    QList<DialogScript> dialogScripts; // consumed in order; none left means rejected
    QStringList dialogs;               // object names of the dialogs run, in order
    // Which entry each menu chooses: an int matches the action's data, a string
    // its text without '&'; an invalid QVariant (or none left) chooses nothing.
    QList<QVariant> menuAnswers;
    QList<QList<MenuEntry>> menus;     // the entries every menu offered, in order

    QMessageBox::StandardButton message(Kind kind, QWidget* parent, const QString& title,
                                        const QString& text, QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton) override;
    QString openFileName(QWidget*, const QString& caption, const QString&, const QString&) override;
    QString saveFileName(QWidget*, const QString& caption, const QString&, const QString&) override;
    QString existingDirectory(QWidget*, const QString& caption, const QString&) override;
    QString text(QWidget*, const QString& title, const QString&, const QString&, bool* accepted) override;
    QColor color(QWidget*, const QColor&) override;
    QFont font(QWidget*, const QFont& initial, bool* accepted) override;
    int execDialog(QDialog* dialog) override;
    QAction* execMenu(QMenu* menu, const QPoint& pos) override;

    // Installs itself for its lifetime.
    ScriptedPrompts() { setPrompts(this); }
    ~ScriptedPrompts() override { setPrompts(nullptr); }

    // The texts of a recorded menu's entries, submenu entries indented by two spaces.
    static QStringList entryTexts(const QList<MenuEntry>& menu);

private:
    QString nextFileAnswer(const QString& caption);
    void spinNestedLoop();
};
