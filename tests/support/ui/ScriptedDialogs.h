// The standard dialogs (file open and save, colour chooser) and popup menus
// for tests: the test queues the answers in order, the service records what
// was asked. A dialog with no queued answer, or of another kind than the
// next answer, fails the test and is cancelled; answers left unused fail the
// test when the object ends.
#pragma once

#include "platform/ui/StandardDialogs.h"

#include <deque>
#include <mutex>
#include <vector>

class ScriptedDialogs final : public platform::IStandardDialogService {
public:
    ScriptedDialogs();
    ~ScriptedDialogs() override;
    ScriptedDialogs(const ScriptedDialogs&) = delete;
    ScriptedDialogs& operator=(const ScriptedDialogs&) = delete;

    // OK with this path (several for multiple selection); the filter index
    // stays as asked unless given.
    ScriptedDialogs& ChooseFile(std::vector<CString> paths, int filterIndex = 0);
    ScriptedDialogs& CancelFile();
    ScriptedDialogs& ChooseColor(COLORREF color);
    ScriptedDialogs& CancelColor();
    ScriptedDialogs& ChooseMenuCommand(UINT command);

    std::vector<platform::FileDialogRequest> FileRequests() const;
    std::vector<platform::ColorDialogRequest> ColorRequests() const;
    std::vector<platform::PopupMenuRequest> MenuRequests() const;

    platform::FileDialogResult ShowFileDialog(const platform::FileDialogRequest& request) override;
    platform::ColorDialogResult ShowColorDialog(const platform::ColorDialogRequest& request) override;
    UINT ShowPopupMenu(const platform::PopupMenuRequest& request) override;

private:
    enum class Kind { File, Color, Menu };
    struct Answer {
        Kind kind = Kind::File;
        bool ok = false;
        std::vector<CString> paths;
        int filterIndex = 0;
        COLORREF color = 0;
        UINT command = 0;
    };

    bool Next(Kind kind, Answer& answer);

    mutable std::mutex m_mutex;
    std::deque<Answer> m_answers;
    std::vector<platform::FileDialogRequest> m_files;
    std::vector<platform::ColorDialogRequest> m_colors;
    std::vector<platform::PopupMenuRequest> m_menus;
    platform::IStandardDialogService* m_previous;
};
