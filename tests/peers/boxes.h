#pragma once

// The message boxes a test's ScriptedPrompts recorded, one line each, so that
// kind, title and exact text are compared at once.

#include "scriptedprompts.h"

inline QStringList boxes(const ScriptedPrompts& prompts)
{
    static const char* const kinds[] = {"Information", "Warning", "Critical", "Question"};
    QStringList lines;
    for (const ScriptedPrompts::Record& box : prompts.messages)
        lines.append(QString("%1 | %2 | %3").arg(QLatin1String(kinds[int(box.kind)]), box.title, box.text));
    return lines;
}
