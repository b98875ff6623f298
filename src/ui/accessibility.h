#pragma once

class QWidget;

// Gives every button, field and view under root that has no accessible name
// one a screen reader can announce: a button its text on one line, a field
// the text of its buddy label, else its tool tip, else the title of the group
// box around it. Names set explicitly elsewhere are left alone; names derived
// here are derived again on the next call (after a language change).
void nameWidgetsForAccessibility(QWidget* root);
