#include <gtest/gtest.h>

#include <string>

#include "app/FlowTexts.h"

TEST(FlowTexts, HostResultsGetTheirReaction)
{
    struct Case { int code; bool fatal; FlowText text; } cases[] = {
        {1, false, {}}, {0, false, {}}, {8, false, {}}, {-1, false, {}},
        {2, true, FlowText::ModelMismatch}, {7, true, FlowText::ModelMismatch},
        {3, true, FlowText::HostInfoFailed}, {4, true, FlowText::HostInfoFailed},
        {5, true, FlowText::HostInfoFailed}, {6, true, FlowText::HostInfoFailed},
    };
    for (const auto& c : cases) {
        HostResultReaction r = ReactToHostResult(c.code);
        EXPECT_EQ(r.fatal, c.fatal) << c.code;
        EXPECT_EQ(r.accepted, c.code == 1) << c.code;
        if (c.fatal) {
            EXPECT_EQ(r.text, c.text) << c.code;
        }
    }
}

TEST(FlowTexts, EachEndingOfTheWindowTakesItsSteps)
{
    // A start-up refusal takes nothing and says nothing; a refused host
    // removes the folder without the closing feedback; closing does both.
    struct Case { EWindowEnding ending; bool feedback; bool remove; } cases[] = {
        {EWindowEnding::Stopped, false, false},
        {EWindowEnding::HostRefused, false, true},
        {EWindowEnding::Closed, true, true},
    };
    for (const auto& c : cases) {
        const SEndingSteps steps = StepsOfEnding(c.ending);
        EXPECT_EQ(steps.closingFeedback, c.feedback) << static_cast<int>(c.ending);
        EXPECT_EQ(steps.removeFolder, c.remove) << static_cast<int>(c.ending);
    }
}

TEST(FlowTexts, LanguageSelectsTheColumn)
{
    EXPECT_EQ(g_nLanguage, 1);
    EXPECT_STREQ(GetFlowText(FlowText::ModelMismatch), GetFlowText(FlowText::ModelMismatch, 1));
    // English texts that differ, including the trailing blank the mismatch text carries.
    EXPECT_STREQ(GetFlowText(FlowText::ModelMismatch, 0),
                 L"Your machine does not match this tool. Confirm the model carefully before using it. ");
    EXPECT_STREQ(GetFlowText(FlowText::RestartQuestion, 2), L"Repair process completed！Please restart your computer.");
    EXPECT_STREQ(GetFlowText(FlowText::RepairRunning, 0), L"The repair solution is going on. Please wait");
    EXPECT_STREQ(GetFlowText(FlowText::ToolInitFailed, 0), L"Tool initialization failed");
    // Texts with one wording for both settings.
    for (FlowText t : {FlowText::NewVersionAvailable, FlowText::HostThreadFailed, FlowText::HostWorkerFailed,
                       FlowText::HostCheckRunning, FlowText::HostInfoFailed, FlowText::RepairStartFailed,
                       FlowText::RepairFailed})
        EXPECT_STREQ(GetFlowText(t, 0), GetFlowText(t, 1));
    EXPECT_EQ(PleaseWaitLayoutMode(1), 2);
    EXPECT_EQ(PleaseWaitLayoutMode(0), 5);
}
