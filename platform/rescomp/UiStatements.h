// The statements of the user-interface resources (ResourceTemplates.h of the
// window layer holds their layouts):
//
//   id DIALOG x, y, cx, cy            id DIALOGEX x, y, cx, cy [, helpId]
//   [STYLE s] [EXSTYLE s] [CAPTION "t"] [FONT pt, "face" [, weight, italic, charset]]
//   [MENU name] [CLASS "name"]
//   BEGIN
//     CONTROL text, id, class, style, x, y, cx, cy [, exStyle [, helpId]]
//     LTEXT|RTEXT|CTEXT|PUSHBUTTON|DEFPUSHBUTTON|PUSHBOX|CHECKBOX|AUTOCHECKBOX|
//     STATE3|AUTO3STATE|RADIOBUTTON|AUTORADIOBUTTON|GROUPBOX
//                            text, id, x, y, cx, cy [, style [, exStyle [, helpId]]]
//     EDITTEXT|COMBOBOX|LISTBOX|SCROLLBAR id, x, y, cx, cy [, style [, exStyle [, helpId]]]
//     ICON image, id, x, y [, cx, cy [, style [, exStyle [, helpId]]]]
//   END
//   id MENU|MENUEX BEGIN POPUP "t" [, options] BEGIN ... END
//                        MENUITEM "t", id [, options]   MENUITEM SEPARATOR END
//   id ACCELERATORS BEGIN "key" | vk, command [, VIRTKEY|ASCII] [, NOINVERT]
//                         [, SHIFT] [, CONTROL] [, ALT] ... END
//   id ICON|BITMAP|CURSOR "file"    SVG (checked, its own size recorded),
//                                   BMP, ICO or CUR
//
// Styles are expressions of the standard names (StandardNames.h) joined with
// "|"; "NOT name" takes bits away from the statement's defaults. A control's
// given type bits (BS_, CBS_, SS_ type) replace the default type; its other
// bits join the defaults (WS_CHILD | WS_VISIBLE, plus WS_TABSTOP and so on
// per statement).
#pragma once

#include "platform/rescomp/ScriptParser.h"

namespace rescomp {

void RegisterUiStatements(ScriptParser& parser);

}  // namespace rescomp
