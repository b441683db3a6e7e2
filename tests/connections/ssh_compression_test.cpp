#include "connections/ssh/ssh_compression.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "connections/ssh_test_hex.h"

namespace connections::ssh {
namespace {

using test::Bytes;

struct Link {
    std::unique_ptr<SshCompression> sender, receiver;
    Link(size_t cap = kMaxInflatedPacket)
        : sender(MakeSshCompression("zlib")), receiver(MakeSshCompression("zlib", {}, cap)) {
        EXPECT_TRUE(sender->StartCompressor());
        EXPECT_TRUE(receiver->StartDecompressor());
    }
    // One packet through both ends; the inflated bytes, or the result.
    SshCodecResult Pass(const std::vector<uint8_t>& data, std::vector<uint8_t>& out,
                        size_t* wire = nullptr) {
        std::vector<uint8_t> packed;
        EXPECT_EQ(sender->Compress(data.data(), data.size(), packed), SshCodecResult::kDone);
        if (wire) *wire = packed.size();
        return receiver->Decompress(packed.data(), packed.size(), out);
    }
};

// Every packet is readable on its own arrival, and the stream's history
// carries over: a repeated packet costs a few bytes.
TEST(SshCompression, PacketsRoundTripOneStreamPerDirection) {
    Link link;
    std::vector<uint8_t> text;
    for (int i = 0; i < 200; ++i) {
        std::string line = "line " + std::to_string(i) + " of the listing\r\n";
        text.insert(text.end(), line.begin(), line.end());
    }
    std::vector<uint8_t> out;
    size_t first = 0, again = 0;
    ASSERT_EQ(link.Pass(text, out, &first), SshCodecResult::kDone);
    EXPECT_EQ(out, text);
    ASSERT_EQ(link.Pass(text, out, &again), SshCodecResult::kDone);
    EXPECT_EQ(out, text);
    EXPECT_LT(again, first / 4);
    for (auto packet : {Bytes(""), Bytes("x"), std::vector<uint8_t>(70000, 0x33)}) {
        ASSERT_EQ(link.Pass(packet, out), SshCodecResult::kDone);
        EXPECT_EQ(out, packet);
    }
}

TEST(SshCompression, TheStreamIsZlibFormat) {
    auto c = MakeSshCompression("zlib");
    ASSERT_TRUE(c->StartCompressor());
    std::vector<uint8_t> packed;
    std::vector<uint8_t> data = Bytes("hello");
    ASSERT_EQ(c->Compress(data.data(), data.size(), packed), SshCodecResult::kDone);
    ASSERT_GE(packed.size(), 2u);
    EXPECT_EQ(packed[0] & 0x0f, 8);  // deflate
    EXPECT_EQ((packed[0] << 8 | packed[1]) % 31, 0);
}

TEST(SshCompression, InflatedOutputIsCapped) {
    std::vector<uint8_t> bomb(kMaxInflatedPacket + 1, 0);
    std::vector<uint8_t> out;
    Link link;
    EXPECT_EQ(link.Pass(bomb, out), SshCodecResult::kTooLarge);
    EXPECT_TRUE(out.empty());
    Link exact;
    bomb.pop_back();
    EXPECT_EQ(exact.Pass(bomb, out), SshCodecResult::kDone);
    EXPECT_EQ(out.size(), kMaxInflatedPacket);
    Link small(1000);
    EXPECT_EQ(small.Pass(std::vector<uint8_t>(1001, 'a'), out), SshCodecResult::kTooLarge);
}

TEST(SshCompression, ABrokenStreamIsReportedAndStaysBroken) {
    Link link;
    std::vector<uint8_t> out;
    ASSERT_EQ(link.Pass(Bytes("first packet"), out), SshCodecResult::kDone);
    std::vector<uint8_t> junk = {0xff, 0xff, 0xff, 0xff, 0x12, 0x34};
    EXPECT_EQ(link.receiver->Decompress(junk.data(), junk.size(), out), SshCodecResult::kFailed);
    EXPECT_EQ(link.Pass(Bytes("next"), out), SshCodecResult::kFailed);

    auto fresh = MakeSshCompression("zlib");
    ASSERT_TRUE(fresh->StartDecompressor());
    std::vector<uint8_t> bad_header = {0x78, 0x00, 0x01};
    EXPECT_EQ(fresh->Decompress(bad_header.data(), bad_header.size(), out),
              SshCodecResult::kFailed);
    // Nothing started: nothing to compress with.
    auto idle = MakeSshCompression("zlib");
    EXPECT_EQ(idle->Compress(junk.data(), junk.size(), out), SshCodecResult::kFailed);
}

TEST(SshCompression, RestartingBothEndsBeginsANewStream) {
    std::vector<std::string> lines;
    SshLogLine log = [&](std::string_view line) { lines.emplace_back(line); };
    Link link;
    link.sender = MakeSshCompression("zlib", log);
    link.receiver = MakeSshCompression("zlib", log);
    std::vector<uint8_t> out;
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(link.sender->StartCompressor());
        ASSERT_TRUE(link.receiver->StartDecompressor());
        ASSERT_EQ(link.Pass(Bytes("after a key exchange"), out), SshCodecResult::kDone);
        EXPECT_EQ(out, Bytes("after a key exchange"));
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"Initialised zlib (RFC1950) compression",
                                               "Initialised zlib (RFC1950) decompression",
                                               "Initialised zlib (RFC1950) compression",
                                               "Initialised zlib (RFC1950) decompression"}));
}

TEST(SshCompression, NoneLeavesDataAsItIs) {
    auto none = MakeSshCompression("none");
    EXPECT_EQ(none->Name(), "none");
    std::vector<uint8_t> data = Bytes("plain"), out;
    EXPECT_EQ(none->Compress(data.data(), data.size(), out), SshCodecResult::kUnchanged);
    EXPECT_EQ(none->Decompress(data.data(), data.size(), out), SshCodecResult::kUnchanged);
    EXPECT_EQ(MakeSshCompression("zlib@openssh.com"), nullptr);
}

}  // namespace
}  // namespace connections::ssh
