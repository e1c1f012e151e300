// The names that resource scripts use without defining them: window,
// dialog and control styles, the standard button ids, IDC_STATIC, virtual
// keys for accelerators, and the window class names of the controls.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace rescomp {

// The value of a standard constant (WS_CHILD, BS_PUSHBUTTON, IDOK, VK_F1, ...).
std::optional<std::int64_t> StandardConstant(const std::string& name);

// The window class named by a class keyword (BUTTON, EDIT, ... in any case)
// or a class macro (WC_LISTVIEW, UPDOWN_CLASS, ...).
std::optional<std::u16string> StandardClassName(const std::string& name);

}  // namespace rescomp
