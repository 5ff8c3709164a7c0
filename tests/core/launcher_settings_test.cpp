// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <string>

#include "launcher/settings.h"
#include "launcher/sha256.h"
#include "support/temp_dir.h"

namespace korva::launcher {
namespace {

const std::string kNonce("\x00\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a\x0b\x0c\x0d\x0e\x0f", 16);

TEST(LauncherSha256, KnownVectors) {
    const struct {
        std::string input;
        const char* digest;
    } cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        // 56 bytes: the length no longer fits the first padded block.
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(1000000, 'a'),
         "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(sha256_hex(c.input), c.digest) << c.input.size() << " bytes";
}

Settings example() {
    Settings s;
    s.arguments = "/s";
    s.sha256 = sha256_hex("MZ stub installer\r\n");
    s.account = "Administrator";
    s.domain = "%USERDNSDOMAIN%";
    s.password = "pa ss&%\"w\xc3\xb6rd";
    s.timeout_seconds = 540;
    s.default_printer = "B\xc3\xbcro 2";
    s.expires = "2030-12-31";
    s.messages = {{"Title", "Install Assistant"},
                  {"Timeout", " The installer did not finish in time. "},
                  {"Changed", "The installer was changed after the package was made."}};
    return s;
}

TEST(LauncherSettings, WrittenAsTheGoldenFileAndReadBack) {
    const CodePage western("CP1252");
    const std::string bytes = settings_file_bytes(example(), western, kNonce);
    EXPECT_EQ(bytes, test::golden_file("launcher/setupLaunch.ini"));
    const auto read = read_settings(bytes, western);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->password, example().password);
    EXPECT_EQ(read->default_printer, example().default_printer);
    EXPECT_EQ(read->messages, example().messages);
    EXPECT_EQ(read->timeout_seconds, 540);
}

TEST(LauncherSettings, PasswordNeverInClearAndFreshForEachFile) {
    Settings s = example();
    s.password = "Secret1";
    const std::string first = settings_file_bytes(s, CodePage("CP1252"), random_nonce());
    const std::string second = settings_file_bytes(s, CodePage("CP1252"), random_nonce());
    const std::string utf16("S\0e\0c\0r\0e\0t\0", 12);
    for (const std::string& bytes : {first, second}) {
        EXPECT_EQ(bytes.find("Secret"), std::string::npos);
        EXPECT_EQ(bytes.find(utf16), std::string::npos);
    }
    EXPECT_NE(first, second);
}

TEST(LauncherSettings, DamagedFilesAreRefused) {
    const CodePage western("CP1252");
    const std::string good = settings_file_bytes(example(), western, kNonce);
    auto with = [&](const char* key, const char* value) {
        std::string bytes = good;
        const std::size_t begin = bytes.find(std::string(key) + "=");
        bytes.replace(begin, bytes.find("\r\n", begin) - begin, std::string(key) + "=" + value);
        return bytes;
    };
    for (const auto& bytes : {with("Program", "..\\other\\setup.exe"), with("Sha256", "abc"),
                              with("Password", "00:zz"), with("Program", "")})
        EXPECT_FALSE(read_settings(bytes, western)) << bytes;
    // Without an account the launcher starts nothing, so it needs no program.
    EXPECT_TRUE(read_settings("[Launcher]\r\nDefaultPrinter=P\r\n", western));
}

}  // namespace
}  // namespace korva::launcher
