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

QMessageBox::StandardButton firstButton(QMessageBox::StandardButtons buttons)
{
    for (int bit = 0; bit < 32; ++bit) {
        const auto button = QMessageBox::StandardButton(1u << bit);
        if (buttons.testFlag(button))
            return button;
    }
    return QMessageBox::NoButton;
}

QString plainText(const QAction* action)
{
    QString text = action->text();
    return text.remove(QLatin1Char('&'));
}

void recordEntries(const QMenu* menu, int depth, QList<ScriptedPrompts::MenuEntry>& entries)
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

QAction* findEntry(const QMenu* menu, const QVariant& answer)
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

QMessageBox::StandardButton askQuestion(QWidget* parent, const QString& title, const QString& text,
                                        QMessageBox::StandardButtons buttons)
{
    return prompts().message(Prompts::Kind::Question, parent, title, text, buttons, QMessageBox::NoButton);
}

void ScriptedPrompts::spinNestedLoop()
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

QMessageBox::StandardButton ScriptedPrompts::message(Kind kind, QWidget*, const QString& title,
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
    return defaultButton != QMessageBox::NoButton ? defaultButton : firstButton(buttons);
}

QString ScriptedPrompts::nextFileAnswer(const QString& caption)
{
    otherPrompts.append(caption);
    spinNestedLoop();
    return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
}

QString ScriptedPrompts::openFileName(QWidget*, const QString& caption, const QString&, const QString&)
{
    return nextFileAnswer(caption);
}

QString ScriptedPrompts::saveFileName(QWidget*, const QString& caption, const QString&, const QString&)
{
    return nextFileAnswer(caption);
}

QString ScriptedPrompts::existingDirectory(QWidget*, const QString& caption, const QString&)
{
    return nextFileAnswer(caption);
}

QString ScriptedPrompts::text(QWidget*, const QString& title, const QString&, const QString&, bool* accepted)
{
    otherPrompts.append(title);
    spinNestedLoop();
    const bool answered = !textAnswers.isEmpty();
    if (accepted)
        *accepted = answered;
    return answered ? textAnswers.takeFirst() : QString();
}

QColor ScriptedPrompts::color(QWidget*, const QColor&)
{
    otherPrompts.append(QStringLiteral("color"));
    spinNestedLoop();
    return colorAnswers.isEmpty() ? QColor() : colorAnswers.takeFirst();
}

QFont ScriptedPrompts::font(QWidget*, const QFont& initial, bool* accepted)
{
    otherPrompts.append(QStringLiteral("font"));
    spinNestedLoop();
    const bool answered = !fontAnswers.isEmpty();
    if (accepted)
        *accepted = answered;
    return answered ? fontAnswers.takeFirst() : initial;
}

int ScriptedPrompts::execDialog(QDialog* dialog)
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

QAction* ScriptedPrompts::execMenu(QMenu* menu, const QPoint&)
{
    QList<MenuEntry> entries;
    recordEntries(menu, 0, entries);
    menus.append(entries);
    const QPointer<QMenu> guard(menu);
    spinNestedLoop();
    if (!guard || menuAnswers.isEmpty())
        return nullptr;
    const QVariant answer = menuAnswers.takeFirst();
    return answer.isValid() ? findEntry(menu, answer) : nullptr;
}

QStringList ScriptedPrompts::entryTexts(const QList<MenuEntry>& menu)
{
    QStringList texts;
    for (const MenuEntry& entry : menu)
        texts.append(QString(entry.depth * 2, QLatin1Char(' ')) + entry.text);
    return texts;
}
