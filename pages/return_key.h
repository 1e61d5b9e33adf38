#pragma once

class QWidget;

// Return and Enter never press a default button or close anything inside the main window and its pages.
// A filter on the application swallows them before the focused widget sees them; it is installed once,
// by the first page or main window, and affects only widgets inside a window that asked for it.
void SwallowReturnKeyIn(QWidget* window);
// Lets one widget (an in-place editor, say) receive Return and Enter all the same.
void AllowReturnKey(QWidget* widget);
