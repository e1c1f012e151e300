// Scripted resources, owner window and link opener for the drawer's tests.
#pragma once

#include "htmltip/HtmlServices.h"
#include "htmltip/tests/FakeCanvas.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace htmltip::test {

class FakeResources : public IHtmlResources {
public:
    // Module handles by file name; LoadModule of any other name fails.
    std::map<std::u16string, HMODULE> modules;
    // Resources by (module value, id); module value 0 is the program.
    std::map<std::pair<std::uint64_t, UINT>, std::u16string> strings;
    std::map<std::pair<std::uint64_t, UINT>, std::shared_ptr<IMarkupImage>> bitmaps;
    std::map<std::pair<std::uint64_t, UINT>, std::shared_ptr<IMarkupImage>> icons;
    std::map<std::u16string, std::shared_ptr<IMarkupImage>> files;

    std::vector<std::pair<std::u16string, DWORD>> loaded;
    std::vector<HMODULE> freed;
    std::vector<std::string> calls;

    HMODULE LoadModule(const CString& fileName, DWORD flags) override
    {
        loaded.emplace_back(fileName.str(), flags);
        const auto found = modules.find(fileName.str());
        return found == modules.end() ? HMODULE() : found->second;
    }
    void FreeModule(HMODULE module) override { freed.push_back(module); }
    CString LoadString(HMODULE module, UINT id) override
    {
        calls.push_back("string " + std::to_string(module.Value()) + " " + std::to_string(id));
        const auto found = strings.find({module.Value(), id});
        return found == strings.end() ? CString() : CString(found->second);
    }
    std::shared_ptr<IMarkupImage> LoadBitmap(HMODULE module, UINT id) override
    {
        calls.push_back("bitmap " + std::to_string(module.Value()) + " " + std::to_string(id));
        const auto found = bitmaps.find({module.Value(), id});
        return found == bitmaps.end() ? nullptr : found->second;
    }
    std::shared_ptr<IMarkupImage> LoadBitmapFile(const CString& path) override
    {
        calls.push_back("bitmap file " + ToNarrow(path.view()));
        const auto found = files.find(path.str());
        return found == files.end() ? nullptr : found->second;
    }
    std::shared_ptr<IMarkupImage> LoadIcon(HMODULE module, UINT id, int cx, int cy) override
    {
        calls.push_back("icon " + std::to_string(module.Value()) + " " + std::to_string(id) + " " +
                        std::to_string(cx) + "x" + std::to_string(cy));
        const auto found = icons.find({module.Value(), id});
        return found == icons.end() ? nullptr : found->second;
    }
    std::shared_ptr<IMarkupImage> LoadIconFile(const CString& path, int cx, int cy) override
    {
        calls.push_back("icon file " + ToNarrow(path.view()) + " " + std::to_string(cx) + "x" + std::to_string(cy));
        const auto found = files.find(path.str());
        return found == files.end() ? nullptr : found->second;
    }
};

struct SentMessage {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    // For the hyperlink callback: the text wParam pointed to while it was sent.
    std::u16string text;
};

class FakeWindowServices : public IHtmlWindowServices {
public:
    bool hasCursor = true;
    int cursorSets = 0;
    int cursorResets = 0;
    std::vector<SentMessage> sent;
    // Runs inside SendMessage, as an owner that repaints at once would.
    std::function<void(const SentMessage&)> onSend;
    // Messages whose wParam is a text.
    UINT textMessage = 0;

    LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override
    {
        SentMessage m{window, message, wParam, lParam, {}};
        if (message == textMessage && wParam != 0) m.text = reinterpret_cast<const char16_t*>(wParam);
        sent.push_back(m);
        if (onSend) onSend(m);
        return 0;
    }
    bool SetHyperlinkCursor() override
    {
        if (hasCursor) ++cursorSets;
        return hasCursor;
    }
    void ResetHyperlinkCursor() override { ++cursorResets; }
};

class FakeLinkOpener : public IHtmlLinkOpener {
public:
    std::vector<std::pair<std::u16string, int>> opened;
    int Open(const CString& target, int showCommand) override
    {
        opened.emplace_back(target.str(), showCommand);
        return kOpenSucceeded;
    }
};

inline HMODULE Module(std::uint32_t index) { return HMODULE::Make(index, 1); }
inline HWND Window(std::uint32_t index) { return HWND::Make(index, 1); }

}  // namespace htmltip::test
