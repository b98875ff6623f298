#pragma once

// Dialogs built in code keep the object names their designer forms had, so
// that tests and the prompts seam find their widgets by name.

#include <QLatin1String>
#include <QPushButton>

template <typename Widget>
Widget* named(Widget* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

// A push button that Return does not press unless it is the dialog's default.
inline QPushButton* namedButton(QWidget* parent, const char* name)
{
    auto* button = named(new QPushButton(parent), name);
    button->setAutoDefault(false);
    return button;
}
