#include "ui/accessibility.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextEdit>

namespace {

// Marks names this file derived, so that explicit names are never overwritten.
const char* const kDerivedName = "kvoDerivedAccessibleName";

// Markup, mnemonic markers and line breaks out, a trailing colon off: "&Name:" -> "Name".
QString spokenText(QString text)
{
    if (Qt::mightBeRichText(text))
        text = QTextDocumentFragment::fromHtml(text).toPlainText();
    text.replace(QLatin1String("&&"), QLatin1String("\x01"));
    text.remove(QLatin1Char('&'));
    text.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    text = text.simplified();
    if (text.endsWith(QLatin1Char(':')))
        text.chop(1);
    return text.trimmed();
}

bool isField(const QWidget* widget)
{
    if (qobject_cast<const QLineEdit*>(widget)) {
        // A combo box's or spin box's own line edit is named through its owner.
        const QWidget* parent = widget->parentWidget();
        return !qobject_cast<const QComboBox*>(parent) && !qobject_cast<const QAbstractSpinBox*>(parent);
    }
    return qobject_cast<const QAbstractSpinBox*>(widget) || qobject_cast<const QComboBox*>(widget)
        || qobject_cast<const QAbstractItemView*>(widget) || qobject_cast<const QTextEdit*>(widget)
        || qobject_cast<const QPlainTextEdit*>(widget) || qobject_cast<const QAbstractSlider*>(widget)
        || qobject_cast<const QProgressBar*>(widget);
}

QString enclosingGroupTitle(const QWidget* widget)
{
    for (const QWidget* parent = widget->parentWidget(); parent; parent = parent->parentWidget()) {
        if (const auto* group = qobject_cast<const QGroupBox*>(parent))
            return spokenText(group->title());
        if (parent->isWindow())
            break;
    }
    return QString();
}

} // namespace

void nameWidgetsForAccessibility(QWidget* root)
{
    if (!root)
        return;
    QHash<const QWidget*, QString> buddyTexts;
    for (const QLabel* label : root->findChildren<QLabel*>()) {
        if (label->buddy() && !label->text().isEmpty())
            buddyTexts.insert(label->buddy(), spokenText(label->text()));
    }

    for (QWidget* widget : root->findChildren<QWidget*>()) {
        if (!widget->accessibleName().isEmpty() && !widget->property(kDerivedName).toBool())
            continue;
        QString name;
        if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
            name = spokenText(button->text());
            if (name.isEmpty())
                name = spokenText(widget->toolTip());
        } else if (isField(widget)) {
            name = buddyTexts.value(widget);
            if (name.isEmpty())
                name = spokenText(widget->toolTip());
            if (name.isEmpty())
                name = enclosingGroupTitle(widget);
        }
        if (name.isEmpty())
            continue;
        widget->setAccessibleName(name);
        widget->setProperty(kDerivedName, true);
    }
}
