#include "tests/support/ScriptedMessageBox.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <thread>

namespace {

TEST(ScriptedMessageBox, AnswersInOrderAndRecordsEveryBox)
{
    ScriptedMessageBox boxes;
    boxes.Answer(IDYES, u"Overwrite").Answer(IDCANCEL);
    EXPECT_EQ(MessageBoxW({}, u"Overwrite the file?", u"Save", MB_YESNO | MB_ICONQUESTION), IDYES);
    EXPECT_EQ(AfxMessageBox(u"Write to the controller?", MB_OKCANCEL), IDCANCEL);
    EXPECT_EQ(boxes.PendingAnswers(), 0u);

    const std::vector<ScriptedMessageBox::Box> shown = boxes.Shown();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, u"Overwrite the file?");
    EXPECT_EQ(shown[0].caption, u"Save");
    EXPECT_EQ(shown[0].type, MB_YESNO | MB_ICONQUESTION);
    EXPECT_EQ(shown[1].text, u"Write to the controller?");
    EXPECT_EQ(shown[1].type, static_cast<UINT>(MB_OKCANCEL));
}

TEST(ScriptedMessageBox, InstallsForItsScopeOnly)
{
    platform::IMessageBoxService* before = platform::GetMessageBoxService();
    {
        ScriptedMessageBox boxes;
        EXPECT_EQ(platform::GetMessageBoxService(), &boxes);
    }
    EXPECT_EQ(platform::GetMessageBoxService(), before);
}

TEST(ScriptedMessageBox, UnexpectedBoxFailsAndCancels)
{
    struct Row {
        const char* name;
        UINT type;
        int result;
    };
    const Row rows[] = {
        {"OK", MB_OK, IDOK},
        {"OK/Cancel", MB_OKCANCEL | MB_DEFBUTTON1, IDCANCEL},
        {"Yes/No", MB_YESNO, IDNO},
        {"Yes/No/Cancel", MB_YESNOCANCEL, IDCANCEL},
        {"Abort/Retry/Ignore", MB_ABORTRETRYIGNORE, IDABORT},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ScriptedMessageBox boxes;
        int result = 0;
        EXPECT_NONFATAL_FAILURE(result = MessageBoxW({}, u"Delete all points?", u"Confirm", row.type),
                                "unexpected message box \"Confirm\": \"Delete all points?\"");
        EXPECT_EQ(result, row.result);
        EXPECT_EQ(boxes.Shown().size(), 1u);
    }
}

TEST(ScriptedMessageBox, TextThatDoesNotMatchFails)
{
    ScriptedMessageBox boxes;
    boxes.Answer(IDYES, u"Overwrite");
    int result = 0;
    EXPECT_NONFATAL_FAILURE(result = MessageBoxW({}, u"Delete all points?", u"Confirm", MB_YESNO),
                            "does not contain \"Overwrite\"");
    EXPECT_EQ(result, IDNO);
}

TEST(ScriptedMessageBox, UnusedAnswerFailsAtTheEnd)
{
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedMessageBox boxes;
            boxes.Answer(IDOK, u"Saved");
        },
        "was expected but never shown");
}

TEST(ScriptedMessageBox, BoxesFromAnotherThread)
{
    ScriptedMessageBox boxes;
    boxes.Answer(IDRETRY);
    int result = 0;
    std::thread([&] { result = MessageBoxW({}, u"Link lost", u"Error", MB_RETRYCANCEL); }).join();
    EXPECT_EQ(result, IDRETRY);
    EXPECT_NONFATAL_FAILURE_ON_ALL_THREADS(std::thread([] { MessageBoxW({}, u"again", u"Error", MB_OK); }).join(),
                                           "unexpected message box");
}

}  // namespace
