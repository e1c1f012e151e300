#include "manager/app/ConfirmationOptions.h"

#include "manager/core/DontShowAgain.h"

namespace {

// Judged by reading back: forgetting an answer that was never stored fails
// to open the key, yet leaves the question asked as wanted.
bool Store(const char16_t* key, bool ask)
{
    if (ask)
        DeleteDontShowAgain(key);
    else
        SetDontShowAgain(key);
    return (QueryDontShowAgain(key) == 0) == ask;
}

}  // namespace

ConfirmationOptions LoadConfirmationOptions()
{
    ConfirmationOptions options;
    options.askTraceStart = QueryDontShowAgain(kStartTraceButtonKey) == 0;
    options.askOriginReturn = QueryDontShowAgain(kStartOriginButtonKey) == 0;
    return options;
}

bool SaveConfirmationOptions(const ConfirmationOptions& options)
{
    const bool trace = Store(kStartTraceButtonKey, options.askTraceStart);
    const bool origin = Store(kStartOriginButtonKey, options.askOriginReturn);
    return trace && origin;
}
