#include "app/instance_guard.h"
#include "app/tray_retry.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(AnswerAtStart, ACopyInAnySessionEndsALogonStartSilentlyAndAHandStartWithTheNotice) {
    using enum GuardFound;
    using enum StartAnswer;
    struct Row {
        bool sessionMutex;
        GuardFound guard;
        StartAnswer byHand, byLogon;
    } rows[] = {{false, Created, Run, Run},
                {false, HeldByCopy, ShowNotice, EndSilently},  // a copy in another session
                {true, HeldByCopy, ShowNotice, EndSilently},
                {false, Squatted, Run, Run},  // no administrator made it: no copy
                {true, Squatted, ShowNotice, EndSilently}};
    for (const Row& row : rows) {
        EXPECT_EQ(AnswerAtStart(row.sessionMutex, row.guard, false), row.byHand);
        EXPECT_EQ(AnswerAtStart(row.sessionMutex, row.guard, true), row.byLogon);
    }
}

// The shell refuses so many adds; a refused add may have placed the icon
// all the same (it timed out), which a modify then finds.
struct FakeShell : TrayShell {
    int addsRefused = 0;
    bool placedAnyway = false;
    std::string calls;
    bool Add() override { return calls += 'A', addsRefused-- <= 0; }
    bool Modify() override { return calls += 'M', placedAnyway; }
};

TEST(TrayAdder, RetriesForFiveMinutesStopsAtTheFirstSuccessAndCountsAnewAfterARestart) {
    FakeShell shell;
    TrayAdder adder(shell);
    shell.addsRefused = 2;
    EXPECT_TRUE(adder.Attempt());
    EXPECT_TRUE(adder.Attempt());
    EXPECT_FALSE(adder.Attempt());
    EXPECT_FALSE(adder.Attempt()) << "shown: nothing more is sent";
    EXPECT_EQ(shell.calls, "AMAMA");

    shell.addsRefused = 1000;
    shell.calls.clear();
    EXPECT_TRUE(adder.Restart());
    while (adder.Attempt()) {
    }
    EXPECT_EQ(shell.calls.size(), 2u * kTrayRetryAttempts);
    EXPECT_GE(kTrayRetryAttempts * kTrayRetryMs, 60000u) << "at least a minute";
    EXPECT_FALSE(adder.Shown());

    shell.placedAnyway = true;
    EXPECT_FALSE(adder.Restart());
    EXPECT_TRUE(adder.Shown());
}

}  // namespace
