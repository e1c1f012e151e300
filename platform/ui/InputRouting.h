// Internal to the window layer: how toolkit input becomes messages.
#pragma once

#include "platform/ui/WindowApi.h"

#include <QString>

class QKeyEvent;
class QWidget;

namespace platform::ui {

// The message being sent for an input event; a window's default handling of
// it (DefaultProc) marks it reached, and the event then goes on to the widget.
struct RoutedInput {
    HWND hwnd;
    UINT message = 0;
    WPARAM wParam = 0;
    bool reached = false;
    RoutedInput* outer = nullptr;
};

class RoutedInputScope {
public:
    RoutedInputScope(HWND hwnd, UINT message, WPARAM wParam);
    ~RoutedInputScope();
    RoutedInputScope(const RoutedInputScope&) = delete;
    RoutedInputScope& operator=(const RoutedInputScope&) = delete;
    bool Reached() const { return m_input.reached; }

private:
    RoutedInput m_input;
};

// The innermost routed input of this thread, or null.
RoutedInput* CurrentRoutedInput();

// The window chain's and the application's PreTranslateMessage; true when
// the message was used.
bool PreTranslateInput(MSG* msg);

// A character typed into a widget as the toolkit's key events, without
// routing them again (the default of WM_CHAR that was not the typed key).
void TypeCharacter(QWidget* target, char16_t ch);
// While true, key events reach widgets without routing.
bool IsTypingDirectly();

// The virtual key of a toolkit key event (0 when it has none).
UINT VirtualKeyOf(const QKeyEvent& event);
// The characters (WM_CHAR) a key press gives.
QString CharactersOf(const QKeyEvent& event);
// The key-state table behind GetKeyState.
void SetKeyDown(UINT virtualKey, bool down);

// Wakes the modal loop of this thread so it runs its idle pass, as an input
// message would.
void PostIdleKick();

}  // namespace platform::ui
