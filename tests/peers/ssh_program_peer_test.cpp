// The program as app::ComposeProgram() puts it together, on an SSH
// connection to OpenSSH's sshd: the system random generator, the login
// dialog and the host-key question behind the ui seams, and a typed
// command's output on the screen.
#include <gtest/gtest.h>

#include "../emulation/terminal_test_fixture.h"
#include "app/composition.h"
#include "connections/ssh/host_key_cache.h"
#include "sshd_peer.h"
#include "ui/message_box.h"
#include "ui/text_prompts.h"

namespace {

std::string loginPassword;
int logins = 0;
std::vector<std::string> questions;

struct LoginDialog : platform::PromptDialogs {
    int StringIn(bool) override { return ui::kPromptCancel; }
    int LoginPassword() override {
        ++logins;
        ui::LoginPasswordAccept(peers::SshUser(), loginPassword);
        return ui::kPromptOk;
    }
    bool OwnMenuHoldsItem(uint16_t) override { return true; }
} loginDialog;

int AnswerYes(std::string_view text, std::string_view caption, bool) {
    questions.emplace_back(std::string(caption) + ": " + std::string(text));
    return ui::MessageBoxYes;
}

class ProgramSsh : public emulation_test::TerminalTest {
  protected:
    void BeforeType() override { app::ComposeProgram(); }
    void TearDown() override {
        connections::CommClose();
        platform::SetPromptDialogs(nullptr);
        ui::SetQuestionBoxFunction(nullptr);
        TerminalTest::TearDown();
    }
};

TEST_F(ProgramSsh, LoginAndATypedCommandsOutputOnTheScreen) {
    peers::SshdPeer sshd;
    if (!sshd.Ready()) VZ_SKIP_WITHOUT_PEER("sshd could not be started (needs root)");
    Start("VT220");
    connections::PosixTransport sockets;
    connections::AttachProgramConnection(&sockets);
    connections::ResetCommLayer();
    loginPassword = sshd.Password();
    logins = 0;
    questions.clear();
    platform::SetPromptDialogs(&loginDialog);
    ui::SetQuestionBoxFunction(AnswerYes);
    commands::Settings.CommMethod = connections::CommMethodSsh;
    commands::Settings.HostName = "127.0.0.1:" + std::to_string(sshd.Port());
    ASSERT_EQ(connections::CommOpen(true), 0u);
    EXPECT_EQ(logins, 1);
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_NE(questions[0].find("SSH Security Warning: Please verify SSH host key for 127.0.0.1 "
                                "port " +
                                std::to_string(sshd.Port()) + " is 1024 "),
              std::string::npos)
        << questions[0];
    ASSERT_TRUE(connections::CommSendString("echo screen-$((40+2))\r"));
    bool shown = false;
    for (int i = 0; i < 500 && !shown; ++i) {
        if (connections::CommInputReady(0)) emulation::ReceiveFromHost();
        for (int row = 1; row <= 24 && !shown; ++row)
            shown = TrimmedRow(row).ends_with(" screen-42") || TrimmedRow(row) == "screen-42";
        sockets.Wait(10);
    }
    std::string screen;
    for (int row = 1; row <= 24; ++row) screen += TrimmedRow(row) + "\n";
    EXPECT_TRUE(shown) << screen;
    connections::ssh::SetHostKeyStore(nullptr);
}

}  // namespace
