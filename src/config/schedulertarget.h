#pragma once

// Marks, for the lifetime of a scope, the player a configuration dialog was
// opened for; the previous mark comes back afterwards.

#include "players/playeritem.h"
#include "window/kvo_form.h"

class ConfigDialogScope
{
public:
    ConfigDialogScope(kvo_Form* form, PlayerItem* item) : m_form(form), m_saved(form->m_configTarget)
    {
        form->m_configTarget = {true, item};
    }
    ~ConfigDialogScope() { m_form->m_configTarget = m_saved; }
    ConfigDialogScope(const ConfigDialogScope&) = delete;
    ConfigDialogScope& operator=(const ConfigDialogScope&) = delete;

private:
    kvo_Form* m_form;
    kvo_Form::ConfigTarget m_saved;
};

// The name a dialog opened for a player carries: the player's name in ASCII.
inline QByteArray playerDialogName(const PlayerItem* item)
{
    return item->name().toLatin1();
}
