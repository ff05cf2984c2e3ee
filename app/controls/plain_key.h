#pragma once
// The keys a view keeps for itself (exposure steps, arrows, Escape, Enter) act only as the key
// they name, as the command keys do: a Ctrl, Alt or Meta chord names another command or none.
// Shift is part of the key only where it makes the character named: a letter in upper case, or
// "+" on most layouts.

#include <QKeyEvent>

inline bool isPlainKey(const QKeyEvent& event)
{
    const Qt::KeyboardModifiers mods = event.modifiers();
    if (mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    const int key = event.key();
    const bool shiftIsPartOfIt = (key >= Qt::Key_A && key <= Qt::Key_Z) || key == Qt::Key_Plus;
    return !(mods & Qt::ShiftModifier) || shiftIsPartOfIt;
}
