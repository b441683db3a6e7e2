// The connection, the command language and the start-up as the program
// composes them: what app::ComposeProgram() puts behind their ports.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/composition.h"
#include "emulation/session_services.h"
#include "ui/message_box.h"

namespace {

std::vector<std::string> boxes;

int RecordBox(std::string_view text) {
    boxes.emplace_back(text);
    return ui::MessageBoxOk;
}

class ProgramWiring : public ::testing::Test {
  protected:
    void SetUp() override {
        boxes.clear();
        emulation::ResetSessionServices();
        app::ComposeProgram();
        previousBox_ = ui::SetMessageBoxFunction(RecordBox);
    }
    void TearDown() override {
        ui::SetMessageBoxFunction(previousBox_);
        emulation::ResetSessionServices();
    }

  private:
    ui::MessageBoxFunction previousBox_ = nullptr;
};

// "/C" asks for a settings file to be chosen; while there is no dialog for
// it, the program says so before it ends.
TEST_F(ProgramWiring, ChoosingASettingsFileSaysWhyItCannot) {
    EXPECT_FALSE(emulation::Services.ChooseSettingsFile());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("(/C)"), std::string::npos) << boxes[0];
}

}  // namespace
