#include "ui/text_prompts.h"

#include <gtest/gtest.h>

#include <string>

#include "commands/settings_record.h"
#include "ui/dialog_interface.h"

namespace {

// Plays the user: shows nothing, records what the dialog would show and answers as typed.
class FakeDialogs : public platform::PromptDialogs {
  public:
    int result = ui::kPromptOk;
    std::string typed;                     // STRINGIN / PASSWORD
    std::string typedUser, typedPassword;  // LOGINPASSWORD
    bool menuHasHostName = true;
    bool lastWasPassword = false;
    ui::TextPromptUnit shown;

    int StringIn(bool password) override {
        lastWasPassword = password;
        shown = ui::textPrompts;
        if (result == ui::kPromptOk) ui::StringInAccept(typed);
        return result;
    }
    int LoginPassword() override {
        shown = ui::textPrompts;
        if (result == ui::kPromptOk) ui::LoginPasswordAccept(typedUser, typedPassword);
        return result;
    }
    bool OwnMenuHoldsItem(uint16_t id) override { return id == 591 && menuHasHostName; }
};

class TextPromptsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        platform::SetPromptDialogs(&dialogs);
        ui::ResetTextPrompts();
        ui::ResetMenuDispatch();
    }
    void TearDown() override {
        platform::SetPromptDialogs(nullptr);
        ui::ResetTextPrompts();
        ui::ResetMenuDispatch();
    }
    FakeDialogs dialogs;
};

TEST_F(TextPromptsTest, TypedTextAndPrefixAreCutToTheirCapacities) {
    ui::textPrompts.PromptPrefix = "title ";
    ui::StringInAccept(std::string(300, 'x'));
    EXPECT_EQ(ui::MenuDispatch.PendingCommand, "title " + std::string(249, 'x'));

    ui::textPrompts.PromptPrefix = std::string(255, 'p');
    ui::StringInAccept("typed");
    EXPECT_EQ(ui::MenuDispatch.PendingCommand, std::string(255, 'p'));

    ui::textPrompts.PromptPrefix.clear();
    ui::StringInAccept(std::string(300, 'y'));
    EXPECT_EQ(ui::MenuDispatch.PendingCommand, std::string(250, 'y'));
}

TEST_F(TextPromptsTest, StringInputReturnsTheTextAndEmptiesThePendingCommand) {
    dialogs.typed = "hello";
    std::u16string result = u"unchanged";
    EXPECT_TRUE(ui::StringInputPrompt(u"Cap", u"Label", result, std::u16string(150, u'i')));
    EXPECT_EQ(result, u"hello");
    EXPECT_TRUE(ui::MenuDispatch.PendingCommand.empty());
    EXPECT_FALSE(dialogs.lastWasPassword);
    EXPECT_EQ(dialogs.shown.PromptCaption, "Cap");
    EXPECT_EQ(dialogs.shown.PromptLabel, "Label");
    EXPECT_EQ(dialogs.shown.PromptText, std::string(100, 'i'));

    ui::StringInputPrompt(std::u16string(80, u'c'), std::u16string(80, u'l'), result, u"");
    EXPECT_EQ(dialogs.shown.PromptCaption.size(), 50u);
    EXPECT_EQ(dialogs.shown.PromptLabel.size(), 70u);

    for (int answer : {ui::kPromptCancel, ui::kPromptNoTemplate}) {
        dialogs.result = answer;
        result = u"unchanged";
        EXPECT_FALSE(ui::StringInputPrompt(u"Cap", u"Label", result, u""));
        EXPECT_EQ(result, u"unchanged");
    }
}

TEST_F(TextPromptsTest, UserNameAndPasswordPrompts) {
    dialogs.typed = "alice";
    std::string name = "old";
    ui::UsernamePrompt(name);
    EXPECT_EQ(name, "alice");
    EXPECT_EQ(dialogs.shown.PromptCaption, "Username");
    EXPECT_EQ(dialogs.shown.PromptLabel, "Enter username:");
    EXPECT_TRUE(dialogs.shown.PromptText.empty());

    dialogs.typed = "s3cret";
    std::string password = "old";
    ui::PasswordPrompt(password);
    EXPECT_EQ(password, "s3cret");
    EXPECT_TRUE(dialogs.lastWasPassword);
    EXPECT_EQ(dialogs.shown.PromptCaption, "Password");
    EXPECT_TRUE(ui::MenuDispatch.PendingCommand.empty());
    // The bytes that held the password are zero, not just out of the string's length.
    const char* pending = ui::MenuDispatch.PendingCommand.data();
    EXPECT_EQ(std::string(pending, 6), std::string(6, '\0'));

    dialogs.result = ui::kPromptCancel;
    ui::UsernamePrompt(name);
    ui::PasswordPrompt(password);
    EXPECT_EQ(name, "");
    EXPECT_EQ(password, "");
}

TEST_F(TextPromptsTest, LoginPromptRespectsEditabilityAndMaximums) {
    dialogs.typedUser = "bob-the-builder";
    dialogs.typedPassword = std::string(150, 'w');
    std::string user = "carol", password = "pw";
    EXPECT_TRUE(ui::LoginPasswordPrompt("host.example", true, user, 7, password, 120));
    EXPECT_EQ(user, "bob-the");
    EXPECT_EQ(password, std::string(100, 'w')) << "the field holds at most 100";
    EXPECT_EQ(dialogs.shown.NoticeText, "host.example");
    EXPECT_EQ(dialogs.shown.PromptText, "carol");
    EXPECT_EQ(dialogs.shown.PromptPassword, "pw");
    EXPECT_TRUE(dialogs.shown.PromptUserEditable);
    EXPECT_TRUE(ui::textPrompts.PromptPassword.empty());

    user = "carol";
    EXPECT_TRUE(ui::LoginPasswordPrompt("h", false, user, 60, password, 5));
    EXPECT_EQ(user, "carol") << "a user field that is not editable keeps its value";
    EXPECT_EQ(password, "wwwww");

    dialogs.result = ui::kPromptCancel;
    password = "keep";
    EXPECT_FALSE(ui::LoginPasswordPrompt("h", true, user, 60, password, 60));
    EXPECT_EQ(user, "carol");
    EXPECT_EQ(password, "keep");
    EXPECT_TRUE(ui::textPrompts.PromptPassword.empty());

    EXPECT_FALSE(ui::LoginPasswordOkEnabled("", "x"));
    EXPECT_FALSE(ui::LoginPasswordOkEnabled("x", ""));
    EXPECT_TRUE(ui::LoginPasswordOkEnabled("x", "y"));
}

TEST_F(TextPromptsTest, HostNamePromptsEditTheSettings) {
    commands::Settings.HostName = "old.host";
    dialogs.typed = "new.host:2323";
    EXPECT_TRUE(ui::HostNamePrompt());
    EXPECT_EQ(dialogs.shown.PromptText, "old.host");
    EXPECT_EQ(dialogs.shown.PromptLabel, "Enter Host Name or # [:port]");
    EXPECT_EQ(commands::Settings.HostName.Str(), "new.host:2323");
    EXPECT_TRUE(ui::MenuDispatch.PendingCommand.empty());

    dialogs.result = ui::kPromptCancel;
    EXPECT_FALSE(ui::HostNamePrompt());
    EXPECT_EQ(commands::Settings.HostName.Str(), "new.host:2323");

    // Without the Host name item in the menu (kiosk mode) nothing is asked.
    dialogs.result = ui::kPromptOk;
    dialogs.menuHasHostName = false;
    dialogs.shown = {};
    EXPECT_FALSE(ui::HostNamePrompt());
    EXPECT_TRUE(dialogs.shown.PromptLabel.empty());

    commands::Settings.SocksHost = "";
    dialogs.typed = "socks:1080";
    EXPECT_TRUE(ui::SocksHostPrompt());
    EXPECT_EQ(dialogs.shown.PromptCaption, "SOCKS Host Name");
    EXPECT_EQ(commands::Settings.SocksHost.Str(), "socks:1080");
    commands::Settings.HostName = "";
    commands::Settings.SocksHost = "";
}

}  // namespace
