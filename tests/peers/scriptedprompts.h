#pragma once

// The prompts of a test: every box, chooser, dialog and menu is recorded and
// answered from a script, after a nested event loop as a real modal box runs.

#include "ui/prompts.h"

#include <QAction>
#include <QDeadlineTimer>
#include <QDialog>
#include <QEventLoop>
#include <QMenu>
#include <QPointer>
#include <QTimer>

#include <functional>

// Records every prompt and answers from a script: queued answers first, then
// the defaults below. Like a real modal box, every prompt runs a
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

namespace scriptedprompts {

inline QMessageBox::StandardButton firstButton(QMessageBox::StandardButtons buttons)
{
    for (int bit = 0; bit < 32; ++bit) {
        const auto button = QMessageBox::StandardButton(1u << bit);
        if (buttons.testFlag(button))
            return button;
    }
    return QMessageBox::NoButton;
}

inline QString plainText(const QAction* action)
{
    QString text = action->text();
    return text.remove(QLatin1Char('&'));
}

inline void recordEntries(const QMenu* menu, int depth, QList<ScriptedPrompts::MenuEntry>& entries)
{
    for (QAction* action : menu->actions()) {
        if (action->isSeparator()) {
            entries.append({QStringLiteral("-"), {}, false, true, depth});
            continue;
        }
        entries.append({plainText(action), action->data(), action->isChecked(), action->isEnabled(), depth});
        if (action->menu())
            recordEntries(action->menu(), depth + 1, entries);
    }
}

inline QAction* findEntry(const QMenu* menu, const QVariant& answer)
{
    for (QAction* action : menu->actions()) {
        if (action->isSeparator())
            continue;
        if (action->menu()) {
            if (QAction* found = findEntry(action->menu(), answer))
                return found;
            continue;
        }
        const bool byId = answer.typeId() == QMetaType::Int && action->data() == answer;
        const bool byText = answer.typeId() == QMetaType::QString && plainText(action) == answer.toString();
        if (byId || byText)
            return action;
    }
    return nullptr;
}

} // namespace scriptedprompts

inline void ScriptedPrompts::spinNestedLoop()
{
    if (nestedLoopMs < 0 && !answerWhen)
        return;
    QEventLoop loop;
    if (answerWhen) {
        const QDeadlineTimer deadline(10000);
        while (!answerWhen() && !deadline.hasExpired())
            loop.processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 10);
        return;
    }
    QTimer::singleShot(nestedLoopMs, &loop, &QEventLoop::quit);
    loop.exec();
}

inline QMessageBox::StandardButton ScriptedPrompts::message(Kind kind, QWidget*, const QString& title,
                                                     const QString& text,
                                                     QMessageBox::StandardButtons buttons,
                                                     QMessageBox::StandardButton defaultButton)
{
    messages.append({kind, title, text, buttons});
    spinNestedLoop();
    if (!buttonAnswers.isEmpty())
        return buttonAnswers.takeFirst();
    if (defaultButtonAnswer != QMessageBox::NoButton)
        return defaultButtonAnswer;
    return defaultButton != QMessageBox::NoButton ? defaultButton : scriptedprompts::firstButton(buttons);
}

inline QString ScriptedPrompts::nextFileAnswer(const QString& caption)
{
    otherPrompts.append(caption);
    spinNestedLoop();
    return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
}

inline QString ScriptedPrompts::openFileName(QWidget*, const QString& caption, const QString&, const QString&)
{
    return nextFileAnswer(caption);
}

inline QString ScriptedPrompts::saveFileName(QWidget*, const QString& caption, const QString&, const QString&)
{
    return nextFileAnswer(caption);
}

inline QString ScriptedPrompts::existingDirectory(QWidget*, const QString& caption, const QString&)
{
    return nextFileAnswer(caption);
}

inline QString ScriptedPrompts::text(QWidget*, const QString& title, const QString&, const QString&, bool* accepted)
{
    otherPrompts.append(title);
    spinNestedLoop();
    const bool answered = !textAnswers.isEmpty();
    if (accepted)
        *accepted = answered;
    return answered ? textAnswers.takeFirst() : QString();
}

inline QColor ScriptedPrompts::color(QWidget*, const QColor&)
{
    otherPrompts.append(QStringLiteral("color"));
    spinNestedLoop();
    return colorAnswers.isEmpty() ? QColor() : colorAnswers.takeFirst();
}

inline QFont ScriptedPrompts::font(QWidget*, const QFont& initial, bool* accepted)
{
    otherPrompts.append(QStringLiteral("font"));
    spinNestedLoop();
    const bool answered = !fontAnswers.isEmpty();
    if (accepted)
        *accepted = answered;
    return answered ? fontAnswers.takeFirst() : initial;
}

inline int ScriptedPrompts::execDialog(QDialog* dialog)
{
    dialogs.append(dialog->objectName());
    const QPointer<QDialog> guard(dialog);
    dialog->setResult(QDialog::Rejected);
    dialog->show();
    spinNestedLoop();
    if (guard && !dialogScripts.isEmpty()) {
        dialogScripts.takeFirst()(dialog);
        spinNestedLoop();
    }
    if (!guard)
        return QDialog::Rejected;
    if (dialog->isVisible())
        dialog->reject();
    const int result = dialog->result();
    if (dialog->testAttribute(Qt::WA_DeleteOnClose))
        dialog->deleteLater();
    return result;
}

inline QAction* ScriptedPrompts::execMenu(QMenu* menu, const QPoint&)
{
    QList<MenuEntry> entries;
    scriptedprompts::recordEntries(menu, 0, entries);
    menus.append(entries);
    const QPointer<QMenu> guard(menu);
    spinNestedLoop();
    if (!guard || menuAnswers.isEmpty())
        return nullptr;
    const QVariant answer = menuAnswers.takeFirst();
    return answer.isValid() ? scriptedprompts::findEntry(menu, answer) : nullptr;
}

inline QStringList ScriptedPrompts::entryTexts(const QList<MenuEntry>& menu)
{
    QStringList texts;
    for (const MenuEntry& entry : menu)
        texts.append(QString(entry.depth * 2, QLatin1Char(' ')) + entry.text);
    return texts;
}
