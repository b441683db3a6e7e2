// The terminal's own Kermit through the composed program's commands against
// a C-Kermit server on a pseudo-terminal: KSND and KRCV move files, KCOMMAND
// lists a folder, changes to another, shows a file and ends the server; the
// status box is read back by its cells while a transfer runs; a received
// picture goes to the picture loader and "LPT:" to the printer file.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "../common/peer_required.h"
#include "../console/fake_console_window.h"
#include "app/composition.h"
#include "commands/interpreter.h"
#include "commands/settings_record.h"
#include "console/console_primitives.h"
#include "kermit_peer.h"
#include "peer_support.h"
#include "transfer/host_link.h"
#include "transfer/kermit/terminal_kermit.h"
#include "transfer/transfer_interface.h"
#include "ui/message_box.h"

namespace {

std::u16string RowText(int32_t row, int32_t column = 1, int32_t count = 80) {
    std::vector<uint32_t> cells(static_cast<size_t>(count), 0u);
    console::ReadCells(row, column, count, cells.data());
    std::u16string text;
    for (uint32_t c : cells) text += console::CellChar(c);
    return text;
}

std::u16string Wide(const std::string& s) {
    return std::u16string(s.begin(), s.end());
}

std::u16string Screen() {
    std::u16string all;
    for (int32_t row = 1; row <= 24; ++row) all += RowText(row) + u"\n";
    return all;
}

// The host link with the screen rows of the status box kept as they were
// when the last packet went out while the box was open.
class BoxWatchingLink final : public transfer::HostLink {
  public:
    explicit BoxWatchingLink(transfer::HostLink& inner) : inner_(inner) {}
    void Poll() override { inner_.Poll(); }
    bool ByteReady() override { return inner_.ByteReady(); }
    int ReadByte() override { return inner_.ReadByte(); }
    uint32_t BytesWaiting() override { return inner_.BytesWaiting(); }
    bool Unread(uint32_t count) override { return inner_.Unread(count); }
    bool Send(const uint8_t* bytes, size_t length) override {
        if (transfer::terminal_kermit::Kermit.BoxOpen) {
            box.clear();
            for (int32_t row = 1; row <= 10; ++row) box.push_back(RowText(row));
        }
        return inner_.Send(bytes, length);
    }
    void SendBreak() override {}
    void WaitForInput(uint32_t ms) override { inner_.WaitForInput(ms); }
    std::vector<std::u16string> box;

  private:
    transfer::HostLink& inner_;
};

std::vector<std::string> boxes;
int RecordBox(std::string_view text) {
    boxes.emplace_back(text);
    return ui::MessageBoxOk;
}

class TerminalKermit : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!kermit_peer::Installed()) VZ_SKIP_WITHOUT_PEER("C-Kermit is not installed");
        commands::ResetSettingsToDefaults();
        console_test::ResetConsoleForTest(window);
        app::ComposeProgram();
        transfer::InitKermit();
        commands::Settings.DownloadLock = 1;
        commands::Settings.DownloadDir = mine.path() + "/";
    }
    void TearDown() override {
        transfer::SetHostLink(nullptr);
        ui::SetMessageBoxFunction(nullptr);
        console::SetScreenWindow(nullptr);
        commands::ResetSettingsToDefaults();
    }
    std::string Run(const std::string& line) {
        // The server drops what arrives while it returns to waiting for a
        // command, as a host does after each transaction: a person typing the
        // next command never meets that, a test must wait for it.
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        commands::ExecuteFunction(line);
        return std::string(commands::Interpreter.FunctionReply.View());
    }

    console_test::FakeConsoleWindow window;
    peers::TempDir mine;
    peers::TempDir theirs;
};

TEST_F(TerminalKermit, CommandsAgainstAKermitServer) {
    std::string sent;
    for (int i = 0; i < 6000; ++i) sent += char((i * 131) >> 2);
    std::ofstream(mine.path() + "/up.bin", std::ios::binary) << sent;
    std::string served;
    for (int i = 0; i < 9000; ++i) served += char(i % 7 == 0 ? 0 : (i * 37) >> 1);
    std::ofstream(theirs.path() + "/served.bin", std::ios::binary) << served;
    std::filesystem::create_directory(theirs.path() + "/sub");
    std::ofstream(theirs.path() + "/sub/note.txt") << "a note from the host\n";

    kermit_peer::Peer server({"-i", "-C", "set file names literal, server, exit"}, theirs.path());
    BoxWatchingLink link(server.Link());
    transfer::SetHostLink(&link);

    // Sending: the box shows the file and the counters while packets go.
    const std::u16string blankCorner = RowText(1, 9, 1);
    EXPECT_EQ(Run("KSND/S " + mine.path() + "/up.bin"), "00");
    ASSERT_EQ(link.box.size(), 10u);
    EXPECT_EQ(link.box[0].substr(8, 1), u"\u250C");
    EXPECT_EQ(link.box[0].substr(69, 1), u"\u2510");
    EXPECT_EQ(link.box[9].substr(8, 1), u"\u2514");
    EXPECT_EQ(link.box[1].substr(10, 28), u" Sending file up.bin as up.b");
    EXPECT_EQ(link.box[3].substr(10, 25), u"Packets transferred     =");
    EXPECT_EQ(link.box[5].substr(10, 36), u"File size               =  6000 Byte");
    EXPECT_EQ(link.box[6].substr(10, 25), u"Bytes transferred       =");
    EXPECT_NE(link.box[3].substr(36, 12), std::u16string(12, u' '));
    // Closed again: the cells under it are back.
    EXPECT_EQ(RowText(1, 9, 1), blankCorner);
    std::ifstream got(theirs.path() + "/up.bin", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(got), {}), sent);

    // Receiving a file asked of the server, into the download folder.
    link.box.clear();
    Run("KRCV served.bin");
    EXPECT_NE(Screen().find(u"Receiving files completed OK."), std::u16string::npos);
    ASSERT_EQ(link.box.size(), 10u);
    EXPECT_EQ(link.box[1].substr(10, 38),
              u"Receiving file served.bin as " + Wide(mine.path()).substr(0, 9));
    EXPECT_EQ(link.box[5].substr(10, 25), u"Bytes transferred       =");
    std::ifstream in(mine.path() + "/served.bin", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), served);
    // A second copy does not replace the first.
    EXPECT_EQ(Run("KRCV/S served.bin"), "00");
    EXPECT_TRUE(std::filesystem::exists(mine.path() + "/served.bin&"));

    // A received picture becomes the background picture when that is asked
    // for; the picture loader answers that pictures are not built yet.
    commands::Settings.AutoShowGif = 1;
    ui::SetMessageBoxFunction(RecordBox);
    boxes.clear();
    std::ofstream(theirs.path() + "/pic.gif", std::ios::binary) << "GIF89a" << served;
    EXPECT_EQ(Run("KRCV/S pic.gif"), "00");
    EXPECT_EQ(commands::Settings.BmpFileName.Str(),
              std::filesystem::absolute(mine.path() + "/pic.gif").string());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("BMP"), std::string::npos);
    EXPECT_EQ(Run("KRCV/S served.bin"), "00");  // not a picture: nothing shown
    EXPECT_EQ(boxes.size(), 1u);

    // "LPT:" is the printer file the settings name; a batch goes there whole.
    std::ofstream(theirs.path() + "/a.prn") << "first file\n";
    std::ofstream(theirs.path() + "/b.prn") << "second file\n";
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(mine.path());
    commands::Settings.PrinterName = "kprn.out";
    EXPECT_EQ(Run("KRCV/S *.prn AS LPT:"), "00");
    std::filesystem::current_path(cwd);
    std::ifstream printed(mine.path() + "/kprn.out");
    const std::string text(std::istreambuf_iterator<char>(printed), {});
    EXPECT_TRUE(text == "first file\nsecond file\n" || text == "second file\nfirst file\n") << text;
    EXPECT_FALSE(std::filesystem::exists(mine.path() + "/LPT:"));

    // Generic commands: the answers appear at the cursor.
    Run("KCOMMAND DIRECTORY");
    EXPECT_NE(Screen().find(u"served.bin"), std::u16string::npos);
    Run("KCOMMAND CWD " + theirs.path() + "/sub");
    Run("KCOMMAND TYPE note.txt");
    EXPECT_NE(Screen().find(u"a note from the host"), std::u16string::npos);
    Run("KCOMMAND FINISH");
    EXPECT_EQ(server.Wait(5000), 0);
}

TEST(TerminalKermitNames, AsNamesFromPatterns) {
    const struct {
        const char* pattern;
        const char* name;
        const char* as;
        const char* result;
    } cases[] = {
        {"*.TXT", "A.TXT", "*.BAK", "A.BAK"},
        {"A.TXT", "A.TXT", "*.BAK", "*.BAK"},  // no wildcard: the star stays
        {"C:\\DIR\\R*.DAT", "REPORT.DAT", "X\\*-old.*", "EPORT-old.*"},
        {"*.TXT", "A.DOC", "*.BAK", ""},  // the name does not fit the pattern
        {"*", "long.name.here", "*", "long.name.here"},
        {"?B*", "ABC.D", "?-*", "A-C.D"},
        {"*?*?*?*?*?*?*?*?*", "abcdefghij", "*", ""},  // more pieces than are kept
    };
    for (const auto& c : cases)
        EXPECT_EQ(transfer::terminal_kermit::KermitAsName(c.pattern, c.name, c.as), c.result)
            << c.pattern << " " << c.name;
}

}  // namespace
