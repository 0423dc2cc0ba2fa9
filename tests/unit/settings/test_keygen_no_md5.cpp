#include "settings/keygen.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>
#include <vector>

namespace trv81k {
namespace {

// With MD5 unavailable no made-up key may come out: the byte form throws, the text form is
// empty (the key check then refuses it). The 64-bit key needs no MD5.
TEST(Wep128KeyWithoutMd5, RefusesInsteadOfInventingAKey) {
    ASSERT_EQ(setenv("OPENSSL_CONF", TRV81K_SOURCE_DIR "/tests/unit/settings/no_md5.cnf", 1), 0);
    const std::vector<std::uint8_t> passphrase = {'s', 'e', 'c', 'r', 'e', 't'};
    EXPECT_THROW(Wep128KeyFromPassphrase(passphrase), std::runtime_error);
    EXPECT_EQ(Wep128KeyText("secret"), "");
    EXPECT_EQ(Wep64KeyText("secret"), "C93CA31ECA");
}

}  // namespace
}  // namespace trv81k
