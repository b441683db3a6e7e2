#include "ui/message_box.h"

#include <gtest/gtest.h>

#include <string>

namespace ui {
namespace {

std::string Shown;
int Answer = MessageBoxOk;
int Recorder(std::string_view text) {
    Shown.assign(text);
    return Answer;
}

TEST(MessageBoxTest, InstalledBoxShowsTheShortString) {
    EXPECT_EQ(LangMessageBoxShort("silent"), MessageBoxOk);

    SetMessageBoxFunction(Recorder);
    Answer = MessageBoxCancel;
    EXPECT_EQ(LangMessageBoxShort("CAN'T OPEN PRINTER NAMED: LPT9"), MessageBoxCancel);
    EXPECT_EQ(Shown, "CAN'T OPEN PRINTER NAMED: LPT9");

    LangMessageBoxShort(std::string(300, 'a'));
    EXPECT_EQ(Shown, std::string(255, 'a'));

    EXPECT_EQ(SetMessageBoxFunction(nullptr), Recorder);
    Shown.clear();
    LangMessageBoxShort("after");
    EXPECT_TRUE(Shown.empty());
}

}  // namespace
}  // namespace ui
