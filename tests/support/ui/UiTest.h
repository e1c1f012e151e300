// Test support for windows: the toolkit and the window layer for a test
// program, a driver that works a dialog as a person would (clicks, typing,
// combo choices) and reads its controls, modal runs with a script, and
// pictures of windows.
//
//   #include "tests/support/ui/UiTest.h"      // brings the environment
//
//   CMyDialog dlg;
//   ScriptedMessageBox boxes;
//   boxes.Answer(IDYES, u"Overwrite");
//   const INT_PTR result = uitest::RunModal(dlg, [](uitest::DialogDriver& d) {
//       d.Type(IDC_NAME, u"abc");
//       d.Click(IDOK);
//   });
//
// Nothing waits for a person: a modal run has a time limit, a script that
// leaves its dialog open fails the test (and the dialog is cancelled), and
// message boxes and standard dialogs are answered by the scripted services
// (tests/support/ScriptedMessageBox.h, ScriptedDialogs.h).
#pragma once

#include "platform/ui/Dialog.h"

#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace uitest {

// The QApplication (offscreen), the fonts pinned to the installed DejaVu and
// IPA files, and the window layer, for the whole test program.
class UiEnvironment : public ::testing::Environment {
public:
    void SetUp() override;
    void TearDown() override;
};

inline ::testing::Environment* const g_uiEnvironment = ::testing::AddGlobalTestEnvironment(new UiEnvironment);

class DialogDriver {
public:
    explicit DialogDriver(HWND dialog) : m_dialog(dialog) {}

    HWND Dialog() const { return m_dialog; }
    // The control (fails the test when it does not exist).
    HWND Item(int id) const;
    QWidget* Widget(HWND hwnd) const;
    QWidget* Widget(int id) const { return Widget(Item(id)); }

    // A left click in the middle of the control, as mouse events; the
    // control must be visible and enabled.
    void Click(int id);
    // A left click (or double click) at a point of the control's client area.
    void ClickAt(int id, POINT point);
    void DoubleClickAt(int id, POINT point);
    // Focuses the control and types the text as key events.
    void Type(int id, std::u16string_view text);
    // Focuses the control, selects all its text and types over it.
    void Retype(int id, std::u16string_view text);
    // A key press and release to the focused widget.
    void Key(int qtKey, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // A person's choice in a combo box's list (CBN_SELCHANGE follows).
    void ChooseComboEntry(int id, int index);
    void ChooseComboEntry(int id, std::u16string_view text);

    CString Text(int id) const;
    UINT Check(int id) const;
    bool Enabled(int id) const;
    bool Visible(int id) const;
    int ComboSelection(int id) const;
    int Focus() const;  // the id of the focused control, 0 for none

    // The dialog as a picture (a PNG file); false when it cannot be written.
    bool Grab(const std::string& path) const;

private:
    HWND m_dialog;
};

// Lets the window layer work for a while (messages and the toolkit's events).
void Pump(int milliseconds);
// Pumps until the condition holds or the time is up; the condition's value.
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs);
// Deletes the widgets of destroyed windows (between tests).
void FlushDeletedWidgets();

// Runs run() (a DoModal) and, once the modal dialog of dialogHwnd() is up,
// the script against it. The dialog must be closed by the script; otherwise
// the test fails and the dialog is cancelled. Bounded by timeoutMs.
INT_PTR RunModal(const std::function<INT_PTR()>& run, const std::function<HWND()>& dialogHwnd,
                 const std::function<void(DialogDriver&)>& script, int timeoutMs = 20000);

template <class Dialog>
INT_PTR RunModal(Dialog& dialog, const std::function<void(DialogDriver&)>& script, int timeoutMs = 20000)
{
    return RunModal([&dialog] { return static_cast<INT_PTR>(dialog.DoModal()); },
                    [&dialog] { return dialog.GetSafeHwnd(); }, script, timeoutMs);
}

// As RunModal with a script in steps; the modal loop goes idle between two
// steps (so update handlers run on WM_KICKIDLE). A dialog that closes before
// the last step fails the test.
INT_PTR RunModalSteps(const std::function<INT_PTR()>& run, const std::function<HWND()>& dialogHwnd,
                      std::vector<std::function<void(DialogDriver&)>> steps, int timeoutMs = 20000);

template <class Dialog>
INT_PTR RunModalSteps(Dialog& dialog, std::vector<std::function<void(DialogDriver&)>> steps, int timeoutMs = 20000)
{
    return RunModalSteps([&dialog] { return static_cast<INT_PTR>(dialog.DoModal()); },
                         [&dialog] { return dialog.GetSafeHwnd(); }, std::move(steps), timeoutMs);
}

// Loads the resource module <stem>.<lang>.qres of the program folder and
// makes it the current one for the scope; the previous one comes back and
// the module is freed at the end.
class ScopedResources {
public:
    ScopedResources(const char16_t* stem, const char* lang);
    ~ScopedResources();
    ScopedResources(const ScopedResources&) = delete;
    ScopedResources& operator=(const ScopedResources&) = delete;
    bool Loaded() const { return static_cast<bool>(m_module); }

private:
    HMODULE m_module;
    HMODULE m_previous;
};

// The texts of a window that a person could not read whole: each shown
// label, button, check box and read-only field whose text needs more room
// than the control has (a wrapping label, more lines than its height holds),
// one description each ("1234 'Text': needs 120 px, has 96"). Empty when
// every text fits.
std::vector<std::string> ClippedTexts(HWND window);

// Where tests leave files for a person to look at: build/artifacts/<area>.
std::string ArtifactFolder(const std::string& area);

}  // namespace uitest
