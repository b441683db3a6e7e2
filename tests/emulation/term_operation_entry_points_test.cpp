// Which operation codes, in the program as it is composed, still run an entry
// point that a later unit fills, or a handler that waits through an empty hook
// for a later unit: a unit that registers its handlers or fills the hook
// shows up as a change of this table.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "app/composition.h"
#include "emulation/operations/operation_catalogue.h"
#include "emulation/operations/pending_operations.h"
#include "emulation/operations/screen_operations.h"
#include "emulation/operations/term_executor.h"
#include "emulation/types/term_types.h"

namespace emulation {
namespace {

const std::map<std::string, std::vector<TermOp>> kPendingCodes = {
    {"PassthroughPrintPending", {39, 41, 43, 44}},
    {"HostStringsPending", {147, 148, 149, 150, 151, 196, 235, 256, 257, 284, 313}},
    {"HostDataPending", {63, 80}},
    {"GraphicsPending",
     {166, 168, 170, 171, 172, 173, 174, 175, 176, 177, 178, 179, 180, 181, 182, 183, 184, 185,
      186}},
    {"AuxRelayPending", {277, 278, 279, 280}},
    {"SoftFontsPending", {248, 260}},
    {"BlockTransferPending", {285}},
    {"ScreenPrintPending", {291}},
};

class TermOperationEntryPoints : public ::testing::Test {
  public:
    void SetUp() override { app::ComposeProgram(); }
    void TearDown() override {
        ResetTermOpHandlers();
        ScreenOperations.Hooks = {};
        SetTermTypeConsole(nullptr);
    }
};

TEST_F(TermOperationEntryPoints, EveryCodeRunsARealHandlerOrItsUnitsEntryPoint) {
    std::map<TermOp, std::string> expected;
    for (const auto& [unit, codes] : kPendingCodes)
        for (TermOp op : codes) expected[op] = unit;
    for (TermOp op = 0; op < kTermOpCount; ++op) {
        SCOPED_TRACE(std::to_string(op) + " " + TermOpName(op));
        ASSERT_NE(TermOpHandlerFor(op), nullptr);
        const char* unit = PendingUnitOf(op);
        const auto it = expected.find(op);
        if (it == expected.end()) {
            EXPECT_EQ(unit, nullptr) << "still on " << unit;
        } else {
            ASSERT_NE(unit, nullptr) << "expected on " << it->second;
            EXPECT_EQ(unit, it->second);
        }
    }
    EXPECT_EQ(PendingUnitOf(kTermOpCount), nullptr);
}

TEST_F(TermOperationEntryPoints, ARegisteredHandlerTakesTheCodeOffItsEntryPoint) {
    for (TermOp op : {TermOp{46}, TermOp{287}}) {
        RegisterTermOp(op, [](TermOp, const TermOpParams&) {});
        EXPECT_EQ(PendingUnitOf(op), nullptr) << op;
    }
    ResetTermOpHandlers();
    EXPECT_STREQ(PendingUnitOf(46), "ScreenPagesPending");
    EXPECT_STREQ(PendingUnitOf(287), "RectangleOperationsPending");
}

TEST_F(TermOperationEntryPoints, AHandlerWhoseHookIsEmptyWaitsForTheHooksUnit) {
    ASSERT_EQ(PendingUnitOf(152), nullptr);
    ASSERT_EQ(PendingUnitOf(320), nullptr);
    ScreenOperations.Hooks.DrawFrameBox = NoFrameBoxDrawing;
    ScreenOperations.Hooks.SetScreenGeometry = NoGeometryChange;
    for (TermOp op : {152, 153, 154, 155, 134, 135, 249, 250, 251, 252, 320})
        EXPECT_STREQ(PendingUnitOf(op), "ScreenPagesPending") << op;
    // Another handler in the code's place is not the unit's.
    RegisterTermOp(152, [](TermOp, const TermOpParams&) {});
    EXPECT_EQ(PendingUnitOf(152), nullptr);
}

}  // namespace
}  // namespace emulation
