// The two confirmations the user may switch off for good (the trace start of
// the manual operation dialog, the origin return of the terminal) as the
// option page shows them: checked = the question is asked. They are kept as
// remembered answers (DontShowAgain.h) under their message names.
#pragma once

inline constexpr char16_t kStartTraceButtonKey[] = u"StartTraceButton";
inline constexpr char16_t kStartOriginButtonKey[] = u"StartOriginButton";

struct ConfirmationOptions {
    bool askTraceStart = true;
    bool askOriginReturn = true;

    friend bool operator==(const ConfirmationOptions&, const ConfirmationOptions&) = default;
};

ConfirmationOptions LoadConfirmationOptions();
// A checked box forgets the remembered answer, a cleared one remembers it.
// False when one of them could not be stored.
bool SaveConfirmationOptions(const ConfirmationOptions& options);
