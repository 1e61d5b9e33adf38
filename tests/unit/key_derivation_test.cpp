#include "security/key_derivation.h"

#include <gtest/gtest.h>
#include <regex>
#include <set>

#include "platform/clock.h"
#include "security/layer_cipher.h"
#include "tests/support/hex.h"

namespace {

struct KnownKeys {
    const char* password;
    const char* nmk;
    const char* nid;
    const char* dak;
};

// Published HomePlug AV vectors.
const KnownKeys kKnown[] = {
    {"HomePlugAV", "50D3E4933F855B7040784DF815AA8DB7", "B0F2E695666B03", "689F074B8B0275A2710B0B5779AD1630"},
    {"HomePlugAV0123", "B59319D7E8157BA001B018669CCEE30D", "026BCBA5354E08", "F084B4E8F6069FF1300C9BDB812367FF"},
};

std::array<uint8_t, 32> RepeatSha(std::vector<uint8_t> input, int rounds) {
    std::array<uint8_t, 32> digest = Sha256(input);
    for (int i = 1; i < rounds; ++i) {
        digest = Sha256(digest);
    }
    return digest;
}

TEST(KeyDerivation, PublishedVectors) {
    for (const KnownKeys& known : kKnown) {
        SCOPED_TRACE(known.password);
        const std::optional<Key16> nmk = DeriveNmk(known.password);
        ASSERT_TRUE(nmk);
        EXPECT_EQ(ToHex(*nmk), known.nmk);
        EXPECT_EQ(ToHex(DeriveNid(*nmk, 0)), known.nid);
        const std::optional<Key16> dak = DeriveDak(known.password);
        ASSERT_TRUE(dak);
        EXPECT_EQ(ToHex(*dak), known.dak);
    }
}

TEST(KeyDerivation, WorkAreaCutsAtFirstZeroByteAndHoldsSeventyTwoBytes) {
    const std::vector<uint8_t> salt = {0x11, 0x22, 0x00, 0x33, 0x44};
    uint8_t withZero[16];
    uint8_t cut[16];
    ASSERT_TRUE(Pbkdf1Sha256("pw", salt, 3, withZero, 16));
    ASSERT_TRUE(Pbkdf1Sha256("pw", std::vector<uint8_t>{0x11, 0x22}, 3, cut, 16));
    EXPECT_EQ(ToHex({withZero, 16}), ToHex({cut, 16}));

    // A zero byte first: the password alone is hashed.
    uint8_t saltFirstZero[16];
    uint8_t noSalt[16];
    ASSERT_TRUE(Pbkdf1Sha256("pw", std::vector<uint8_t>{0x00, 0x01}, 2, saltFirstZero, 16));
    ASSERT_TRUE(Pbkdf1Sha256("pw", {}, 2, noSalt, 16));
    EXPECT_EQ(ToHex({saltFirstZero, 16}), ToHex({noSalt, 16}));

    // 64 characters plus the 8-byte salt fill the whole area.
    const std::string longest(64, 'k');
    const std::vector<uint8_t> nmkSalt = {0x08, 0x85, 0x6D, 0xAF, 0x7C, 0xF5, 0x81, 0x86};
    std::vector<uint8_t> input(longest.begin(), longest.end());
    input.insert(input.end(), nmkSalt.begin(), nmkSalt.end());
    const auto expected = RepeatSha(input, 1000);
    const std::optional<Key16> nmk = DeriveNmk(longest);
    ASSERT_TRUE(nmk);
    EXPECT_EQ(ToHex(*nmk), ToHex({expected.data(), 16}));
}

TEST(KeyDerivation, RefusesWhatDoesNotFitTheWorkArea) {
    const std::string tooLong(65, 'x');
    EXPECT_FALSE(DeriveNmk(tooLong));
    EXPECT_FALSE(DeriveDak(tooLong));
    EXPECT_FALSE(DeriveLayerKey(tooLong));
    EXPECT_FALSE(DeriveLayerKey(""));
    EXPECT_EQ(LayerCipher::Create(tooLong), nullptr);
    EXPECT_EQ(LayerCipher::Create(""), nullptr);
    EXPECT_NE(LayerCipher::Create(std::string(64, 'x')), nullptr);
    uint8_t out[33];
    EXPECT_FALSE(Pbkdf1Sha256("abc", {}, 2, out, 33));
}

TEST(KeyDerivation, NidCoversAllNmkBytesAndCarriesTheSecurityLevel) {
    Key16 nmk{};
    nmk[0] = 0x5A;
    nmk[15] = 0x77; // zero bytes in between still count
    const auto digest = RepeatSha(std::vector<uint8_t>(nmk.begin(), nmk.end()), 5);
    const NetworkId level0 = DeriveNid(nmk, 0);
    const NetworkId level1 = DeriveNid(nmk, 1);
    EXPECT_EQ(ToHex({level0.data(), 6}), ToHex({digest.data(), 6}));
    EXPECT_EQ(level0[6], digest[6] >> 4);
    EXPECT_EQ(level1[6], 0x10 | (digest[6] >> 4));
    EXPECT_EQ(DeriveNid(nmk, 7)[6], 0x30 | (digest[6] >> 4)); // only the low two bits are used
}

TEST(KeyDerivation, DefaultDevicePasswordForm) {
    const std::regex form("[A-Z]{4}-[A-Z]{4}-[A-Z]{4}-[A-Z]{4}");
    const MacAddress macs[] = {
        {0, 0, 0, 0, 0, 0}, {0x0a, 0x1b, 0x2c, 0x3d, 0x4e, 0x5f}, {0xff, 0xff, 0xff, 0xff, 0xff, 0xff}};
    std::set<std::string> seen;
    for (const MacAddress& mac : macs) {
        const std::string password = DefaultDevicePassword(mac);
        EXPECT_EQ(password.size(), 19u);
        EXPECT_TRUE(std::regex_match(password, form)) << password;
        seen.insert(password);
    }
    EXPECT_EQ(seen.size(), 3u);

    // The text hashed is the address as twelve upper-case digits without separators.
    const std::vector<uint8_t> salt = {0x3C, 0x19, 0xE2, 0x50, 0xA4, 0x6B, 0xD7, 0x0E};
    uint8_t digest[16];
    ASSERT_TRUE(Pbkdf1Sha256("0A1B2C3D4E5F", salt, 1000, digest, 16));
    std::string expected;
    for (int i = 0; i < 16; ++i) {
        if (i == 4 || i == 8 || i == 12) {
            expected += '-';
        }
        expected += static_cast<char>('A' + digest[i] % 26);
    }
    EXPECT_EQ(DefaultDevicePassword(macs[1]), expected);
}

TEST(LayerCipher, LayerKeyCoversTheDakOnlyUpToItsFirstZeroByte) {
    // The layer key is the sentence hashed with the DAK as salt; check against a direct computation.
    const std::string sentence = "Copper lanterns swing gently beside a frozen mill pond";
    for (const char* password : {"HomePlugAV", "ABCD-EFGH-IJKL-MNOP", "x"}) {
        SCOPED_TRACE(password);
        const Key16 dak = *DeriveDak(password);
        std::vector<uint8_t> input(sentence.begin(), sentence.end());
        for (uint8_t byte : dak) {
            if (byte == 0) {
                break;
            }
            input.push_back(byte);
        }
        const auto expected = RepeatSha(input, 100);
        EXPECT_EQ(ToHex(*DeriveLayerKey(password)), ToHex({expected.data(), 16}));
    }
}

TEST(LayerCipher, IvGeneratorFollowsTheCounter) {
    VirtualClock clock;
    ScopedClock scoped(clock);
    auto first = LayerCipher::Create("HomePlugAV");
    auto second = LayerCipher::Create("some other password");
    ASSERT_TRUE(first && second);
    for (uint8_t byte : first->ivKey) {
        EXPECT_LE(byte, 1);
    }
    // Made within the same second: same IV key, so the same IV sequence whatever the password.
    EXPECT_EQ(first->ivKey, second->ivKey);
    EXPECT_NE(first->aesKey, second->aesKey);

    const uint8_t m0[4] = {3, 0, 0, 0};
    const uint8_t m1[4] = {11, 0, 0, 0};
    const auto iv0 = HmacSha256(first->ivKey, m0);
    const auto iv1 = HmacSha256(first->ivKey, m1);
    const Iv a = first->NextIv();
    EXPECT_EQ(ToHex(a), ToHex({iv0.data(), 16}));
    EXPECT_EQ(first->counter, 1u);
    EXPECT_EQ(ToHex(first->NextIv()), ToHex({iv1.data(), 16}));
    EXPECT_EQ(ToHex(second->NextIv()), ToHex(a));
}

TEST(LayerCipher, AesCbcMatchesPublishedVectors) {
    // NIST SP 800-38A, CBC-AES128, two blocks.
    Key16 key{};
    FromHex("2b7e151628aed2a6abf7158809cf4f3c", key.data());
    Iv iv{};
    FromHex("000102030405060708090a0b0c0d0e0f", iv.data());
    uint8_t data[32];
    FromHex("6bc1bee22e409f96e93d7e117393172aae2d8a571e03ac9c9eb76fac45af8e51", data);
    AesCbcEncrypt(key, iv, data, sizeof data);
    EXPECT_EQ(ToHex({data, 32}), "7649ABAC8119B246CEE98E9B12E9197D5086CB9B507219EE95DB113A917678B2");
    AesCbcDecrypt(key, iv, data, sizeof data);
    EXPECT_EQ(ToHex({data, 32}), "6BC1BEE22E409F96E93D7E117393172AAE2D8A571E03AC9C9EB76FAC45AF8E51");
}

} // namespace
