#pragma once
// A test that needs a real peer skips when the peer is missing, except in the
// full test run (VZ_REQUIRE_PEERS=1), where a missing peer is a broken set-up
// that must not pass unnoticed.
#include <cstdlib>
#include <cstring>

#include <gtest/gtest.h>

inline bool PeersRequired() {
    const char* v = std::getenv("VZ_REQUIRE_PEERS");
    return v != nullptr && std::strcmp(v, "1") == 0;
}

#define VZ_SKIP_WITHOUT_PEER(why)                                       \
    do {                                                                \
        if (PeersRequired()) FAIL() << (why) << " (VZ_REQUIRE_PEERS=1)"; \
        GTEST_SKIP() << (why);                                          \
    } while (0)
