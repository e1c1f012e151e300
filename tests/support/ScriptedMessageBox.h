// A message-box service for tests: the test queues the answers it expects to
// give, in order, and the service records every box that was shown.
//
//   ScriptedMessageBox boxes;                      // installed until the end of scope
//   boxes.Answer(IDYES, u"Overwrite");             // the next box must mention "Overwrite"
//   RunTheCode();
//   EXPECT_EQ(boxes.Shown().size(), 1u);
//
// A box that comes when no answer is queued, or whose text does not contain
// the expected part, fails the test (never blocks) and is answered with its
// cancelling button (Cancel, No, Abort; OK for a plain box), so the code
// under test takes its most careful way out. Answers left unused when the
// object ends fail the test too. Boxes may come from any thread.
#pragma once

#include "platform/core/MessageBox.h"

#include <deque>
#include <mutex>
#include <string>
#include <vector>

class ScriptedMessageBox final : public platform::IMessageBoxService {
public:
    struct Box {
        HWND owner;
        CString text;
        CString caption;
        UINT type = 0;
    };

    ScriptedMessageBox();
    ~ScriptedMessageBox() override;
    ScriptedMessageBox(const ScriptedMessageBox&) = delete;
    ScriptedMessageBox& operator=(const ScriptedMessageBox&) = delete;

    // Queues the answer to the next box; with textPart, that box's text must
    // contain it.
    ScriptedMessageBox& Answer(int result, std::u16string textPart = {});

    std::vector<Box> Shown() const;
    std::size_t PendingAnswers() const;

    int Show(const platform::MessageBoxRequest& request) override;

    // The answer that cancels a box of this type.
    static int CancellingAnswer(UINT type);

private:
    struct Expected {
        int result;
        std::u16string textPart;
    };

    mutable std::mutex m_mutex;
    std::deque<Expected> m_expected;
    std::vector<Box> m_shown;
    platform::IMessageBoxService* m_previous;
};
