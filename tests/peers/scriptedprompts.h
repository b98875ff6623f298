#pragma once

#include "ui/prompts.h"

#include <QAction>
#include <QDeadlineTimer>
#include <QDialog>
#include <QEventLoop>
#include <QMenu>
#include <QPointer>
#include <QTimer>

#include <functional>

// The prompts of a test: every box, chooser, dialog and menu is recorded and answered from a script (queued
// answers first, then the defaults). Like a real modal box, each runs a nested event loop before it answers
// (nestedLoopMs, or until answerWhen holds), so that sockets and timers are served while it is "open".
class ScriptedPrompts : public Prompts
{
public:
    struct Record { Kind kind; QString title; QString text; QMessageBox::StandardButtons buttons; };
    struct MenuEntry {
        QString text;       // without '&'; "-" for a separator
        QVariant id;        // the action's data
        bool checked = false;
        int depth = 0;      // 1 for entries of a submenu, and so on
    };
    // Fills a dialog's widgets and presses its buttons; a dialog still open afterwards is rejected.
    using DialogScript = std::function<void(QDialog*)>;

    int nestedLoopMs = 20;
    std::function<bool()> answerWhen;  // when set: spin until it holds (at most 10 s)

    QList<Record> messages;            // every message box, in order
    QList<QMessageBox::StandardButton> buttonAnswers;  // consumed first-in first-out; then the box's default
    QStringList fileAnswers;           // for the file and directory choosers
    QStringList textAnswers;           // for text(); none left means cancelled
    QList<QColor> colorAnswers;
    QList<QFont> fontAnswers;
    QStringList otherPrompts;          // captions of non-message prompts, in order
    QList<DialogScript> dialogScripts; // consumed in order; none left means rejected
    QStringList dialogs;               // object names of the dialogs run, in order
    QList<QVariant> menuAnswers; // an int matches an entry's data, a string its text; invalid or none left: nothing
    QList<QList<MenuEntry>> menus;     // the entries every menu offered, in order

    ScriptedPrompts() { setPrompts(this); } // installed for its lifetime
    ~ScriptedPrompts() override { setPrompts(nullptr); }

    QMessageBox::StandardButton message(Kind kind, QWidget*, const QString& title, const QString& text,
                                        QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton) override
    {
        messages.append({kind, title, text, buttons});
        spinNestedLoop();
        if (!buttonAnswers.isEmpty())
            return buttonAnswers.takeFirst();
        if (defaultButton != QMessageBox::NoButton)
            return defaultButton;
        for (int bit = 0; bit < 32; ++bit)
            if (buttons.testFlag(QMessageBox::StandardButton(1u << bit)))
                return QMessageBox::StandardButton(1u << bit);
        return QMessageBox::NoButton;
    }
    QString openFileName(QWidget*, const QString& caption, const QString&, const QString&) override
    {
        return answer(caption, fileAnswers, QString());
    }
    QString saveFileName(QWidget*, const QString& caption, const QString&, const QString&) override
    {
        return answer(caption, fileAnswers, QString());
    }
    QString existingDirectory(QWidget*, const QString& caption, const QString&) override
    {
        return answer(caption, fileAnswers, QString());
    }
    QString text(QWidget*, const QString& title, const QString&, const QString&, bool* accepted) override
    {
        return answer(title, textAnswers, QString(), accepted);
    }
    QColor color(QWidget*, const QColor&) override { return answer(QStringLiteral("color"), colorAnswers, QColor()); }
    QFont font(QWidget*, const QFont& initial, bool* accepted) override
    {
        return answer(QStringLiteral("font"), fontAnswers, initial, accepted);
    }
    int execDialog(QDialog* dialog) override
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
        if (dialog->testAttribute(Qt::WA_DeleteOnClose))
            dialog->deleteLater();
        return dialog->result();
    }
    QAction* execMenu(QMenu* menu, const QPoint&) override
    {
        menus.append(QList<MenuEntry>());
        recordEntries(menu, 0, menus.last());
        const QPointer<QMenu> guard(menu);
        spinNestedLoop();
        if (!guard || menuAnswers.isEmpty())
            return nullptr;
        const QVariant answer = menuAnswers.takeFirst();
        return answer.isValid() ? findEntry(menu, answer) : nullptr;
    }

private:
    // Records a non-message prompt, spins, and takes its next answer; none left means cancelled.
    template <typename Answers, typename Value>
    Value answer(const QString& caption, Answers& answers, const Value& cancelled, bool* accepted = nullptr)
    {
        otherPrompts.append(caption);
        spinNestedLoop();
        if (accepted)
            *accepted = !answers.isEmpty();
        return answers.isEmpty() ? cancelled : Value(answers.takeFirst());
    }
    void spinNestedLoop()
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
    static QString plainText(const QAction* action) { return action->text().remove(QLatin1Char('&')); }
    static void recordEntries(const QMenu* menu, int depth, QList<MenuEntry>& entries)
    {
        for (QAction* action : menu->actions()) {
            entries.append(action->isSeparator() ? MenuEntry{QStringLiteral("-"), {}, false, depth}
                                                 : MenuEntry{plainText(action), action->data(), action->isChecked(), depth});
            if (action->menu())
                recordEntries(action->menu(), depth + 1, entries);
        }
    }
    static QAction* findEntry(const QMenu* menu, const QVariant& answer)
    {
        for (QAction* action : menu->actions()) {
            if (action->menu()) {
                if (QAction* found = findEntry(action->menu(), answer))
                    return found;
            } else if (!action->isSeparator()
                       && ((answer.typeId() == QMetaType::Int && action->data() == answer)
                           || (answer.typeId() == QMetaType::QString && plainText(action) == answer.toString()))) {
                return action;
            }
        }
        return nullptr;
    }
};
