#include "tests/support/ui/ScriptedDialogs.h"

#include <gtest/gtest.h>

#include <algorithm>

ScriptedDialogs::ScriptedDialogs() : m_previous(platform::SetStandardDialogService(this)) {}

ScriptedDialogs::~ScriptedDialogs()
{
    platform::SetStandardDialogService(m_previous);
    std::lock_guard lock(m_mutex);
    if (!m_answers.empty()) ADD_FAILURE() << m_answers.size() << " standard dialog answers were never used";
}

ScriptedDialogs& ScriptedDialogs::ChooseFile(std::vector<CString> paths, int filterIndex)
{
    std::lock_guard lock(m_mutex);
    Answer a;
    a.kind = Kind::File;
    a.ok = true;
    a.paths = std::move(paths);
    a.filterIndex = filterIndex;
    m_answers.push_back(a);
    return *this;
}

ScriptedDialogs& ScriptedDialogs::CancelFile()
{
    std::lock_guard lock(m_mutex);
    m_answers.push_back(Answer{Kind::File, false, {}, 0, 0, 0});
    return *this;
}

ScriptedDialogs& ScriptedDialogs::ChooseColor(COLORREF color)
{
    std::lock_guard lock(m_mutex);
    Answer a;
    a.kind = Kind::Color;
    a.ok = true;
    a.color = color;
    m_answers.push_back(a);
    return *this;
}

ScriptedDialogs& ScriptedDialogs::CancelColor()
{
    std::lock_guard lock(m_mutex);
    m_answers.push_back(Answer{Kind::Color, false, {}, 0, 0, 0});
    return *this;
}

ScriptedDialogs& ScriptedDialogs::ChooseMenuCommand(UINT command)
{
    std::lock_guard lock(m_mutex);
    Answer a;
    a.kind = Kind::Menu;
    a.ok = true;
    a.command = command;
    m_answers.push_back(a);
    return *this;
}

std::vector<platform::FileDialogRequest> ScriptedDialogs::FileRequests() const
{
    std::lock_guard lock(m_mutex);
    return m_files;
}

std::vector<platform::ColorDialogRequest> ScriptedDialogs::ColorRequests() const
{
    std::lock_guard lock(m_mutex);
    return m_colors;
}

std::vector<platform::PopupMenuRequest> ScriptedDialogs::MenuRequests() const
{
    std::lock_guard lock(m_mutex);
    return m_menus;
}

bool ScriptedDialogs::Next(Kind kind, Answer& answer)
{
    if (m_answers.empty()) {
        ADD_FAILURE() << "an unexpected standard dialog came up; it is cancelled";
        return false;
    }
    if (m_answers.front().kind != kind) {
        ADD_FAILURE() << "another standard dialog than the next answer came up; it is cancelled";
        return false;
    }
    answer = m_answers.front();
    m_answers.pop_front();
    return true;
}

platform::FileDialogResult ScriptedDialogs::ShowFileDialog(const platform::FileDialogRequest& request)
{
    std::lock_guard lock(m_mutex);
    m_files.push_back(request);
    platform::FileDialogResult result;
    Answer answer;
    if (!Next(Kind::File, answer) || !answer.ok) return result;
    result.ok = true;
    result.paths = answer.paths;
    result.filterIndex = answer.filterIndex > 0 ? answer.filterIndex : request.filterIndex;
    return result;
}

platform::ColorDialogResult ScriptedDialogs::ShowColorDialog(const platform::ColorDialogRequest& request)
{
    std::lock_guard lock(m_mutex);
    m_colors.push_back(request);
    platform::ColorDialogResult result;
    std::copy(std::begin(request.customColors), std::end(request.customColors), result.customColors);
    Answer answer;
    if (!Next(Kind::Color, answer) || !answer.ok) return result;
    result.ok = true;
    result.color = answer.color;
    return result;
}

UINT ScriptedDialogs::ShowPopupMenu(const platform::PopupMenuRequest& request)
{
    std::lock_guard lock(m_mutex);
    m_menus.push_back(request);
    Answer answer;
    if (!Next(Kind::Menu, answer)) return 0;
    return answer.command;
}
