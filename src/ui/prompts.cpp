#include "ui/prompts.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QInputDialog>

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

QMessageBox::StandardButton ScriptedPrompts::message(Kind kind, QWidget*, const QString& title,
                                                     const QString& text,
                                                     QMessageBox::StandardButtons buttons,
                                                     QMessageBox::StandardButton defaultButton)
{
    messages.append({kind, title, text, buttons});
    if (!buttonAnswers.isEmpty())
        return buttonAnswers.takeFirst();
    if (defaultButtonAnswer != QMessageBox::NoButton)
        return defaultButtonAnswer;
    return defaultButton != QMessageBox::NoButton ? defaultButton : firstButton(buttons);
}

QString ScriptedPrompts::nextFileAnswer(const QString& caption)
{
    otherPrompts.append(caption);
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
    const bool answered = !textAnswers.isEmpty();
    if (accepted)
        *accepted = answered;
    return answered ? textAnswers.takeFirst() : QString();
}

QColor ScriptedPrompts::color(QWidget*, const QColor&)
{
    otherPrompts.append(QStringLiteral("color"));
    return colorAnswers.isEmpty() ? QColor() : colorAnswers.takeFirst();
}

QFont ScriptedPrompts::font(QWidget*, const QFont& initial, bool* accepted)
{
    otherPrompts.append(QStringLiteral("font"));
    const bool answered = !fontAnswers.isEmpty();
    if (accepted)
        *accepted = answered;
    return answered ? fontAnswers.takeFirst() : initial;
}
