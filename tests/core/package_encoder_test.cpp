// SPDX-License-Identifier: MIT
// The launcher scripts only run if every byte of the encoded block is what Windows Script Host
// expects, so the encoder is held to real encoder output and to an independent decoder.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "package/script_encoder.h"
#include "platform/error.h"
#include "support/script_decoder.h"
#include "support/temp_dir.h"

namespace korva {
namespace {

namespace fs = std::filesystem;

// Body of a one-block encoding: what lies between the length field and the checksum field.
std::string body_of(const std::string& block) {
    return block.substr(12, block.size() - 24);
}

const CodePage& cp1252() {
    static const CodePage cp("CP1252");
    return cp;
}

const CodePage& cp932() {
    static const CodePage cp("CP932");
    return cp;
}

TEST(ScriptEncoder, ReproducesRealEncoderOutput) {
    const char* golden = std::getenv("KORVA_GOLDEN_DIR");
    ASSERT_NE(golden, nullptr);
    const fs::path dir = fs::path(golden) / "vbe-samples";

    int pairs = 0;
    for (const auto& entry : fs::directory_iterator(dir)) {
        const auto extension = entry.path().extension();
        fs::path encoded_path = entry.path();
        if (extension == ".vbs") {
            encoded_path.replace_extension(".vbe");
        } else if (extension == ".js") {
            encoded_path.replace_extension(".jse");
        } else {
            continue;
        }
        SCOPED_TRACE(entry.path().filename().string());
        ASSERT_TRUE(fs::exists(encoded_path));
        const std::string plain = test::read_file(entry.path());
        const std::string expected = test::read_file(encoded_path);

        EXPECT_EQ(encode_script(plain, cp1252()), expected);

        // The decoder is checked on the same real output before other tests rely on it.
        const DecodedScript decoded = decode_script(expected, cp1252());
        EXPECT_EQ(decoded.text, plain);
        EXPECT_TRUE(decoded.length_ok);
        EXPECT_TRUE(decoded.checksum_ok);
        ++pairs;
    }
    EXPECT_GE(pairs, 3);
}

TEST(ScriptEncoder, WritesNumberFieldsAsLittleEndianBase64) {
    const struct {
        std::uint32_t value;
        const char* field;
    } cases[] = {
        {0, "AAAAAA=="},          {14, "DgAAAA=="},         {25, "GQAAAA=="},
        {1192, "qAQAAA=="},       {0x12345678, "eFY0Eg=="}, {0xFFFFFFFF, "/////w=="},
        {0x01000000, "AAAAAQ=="}, {0x00010000, "AAABAA=="},
    };
    for (const auto& c : cases)
        EXPECT_EQ(encoded_script_number(c.value), c.field) << c.value;
}

TEST(ScriptEncoder, EmptyScriptIsAnEmptyBlock) {
    EXPECT_EQ(encode_script("", cp1252()), "#@~^AAAAAA==AAAAAA==^#~@");
}

// Expected bodies worked out by hand from the tables: 'M' at position 0 is '\', 's' is 'k' at
// position 1, '/' at position 2 and 'd' at position 3. Whatever sits between them shows whether
// it moved the position and how it counts in the length.
TEST(ScriptEncoder, CountsCharactersOfTheCodePage) {
    const struct {
        const char* name;
        const CodePage& cp;
        std::string plain;
        std::string body;
        std::uint32_t length;
        std::uint32_t checksum;
    } cases[] = {
        {"katakana so, trail byte is a backslash", cp932(), "M\x83\x5Cs", "\\\x83\x5Ck", 3, 192},
        {"ideographic space, trail byte is '@'", cp932(), "M\x81\x40s", "\\\x81\x40k", 3, 192},
        {"kanji with trail 'A'", cp932(), "M\x81\x41\x95\x5Cs", "\\\x81\x41\x95\x5Ck", 4, 192},
        {"half-width katakana, single byte", cp932(), "M\xB1s", "\\\xB1k", 3, 192},
        {"CP1252 high byte", cp1252(), "M\xE9s", "\\\xE9k", 3, 192},
        {"CP1252 byte that would lead in CP932", cp1252(), "M\x83\x5Cs", "\\\x83'/", 4, 284},
        {"escape moves the position", cp1252(), "M<s", "\\@!/", 4, 252},
        {"CR LF", cp1252(), "M\r\ns", "\\@#@&d", 6, 215},
        {"'>' and '@'", cp1252(), ">@", "@*@$", 4, 126},
        {"other control character copied", cp1252(), "M\x01s", "\\\x01/", 3, 193},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string block = encode_script(c.plain, c.cp);
        EXPECT_EQ(block.substr(0, 4), "#@~^");
        EXPECT_EQ(block.substr(4, 8), encoded_script_number(c.length));
        EXPECT_EQ(body_of(block), c.body);
        EXPECT_EQ(block.substr(block.size() - 12, 8), encoded_script_number(c.checksum));
        EXPECT_EQ(block.substr(block.size() - 4), "^#~@");
    }
}

// Each run is one character longer than the 64-step cycle allows for, so over 64 runs every ASCII
// character meets every position, and with it every entry of the three tables.
std::string every_ascii_character_at_every_position() {
    std::string text;
    for (int run = 0; run < 64; ++run) {
        for (int c = 0; c < 128; ++c)
            text += static_cast<char>(c);
        text += 'x';
    }
    return text;
}

// Enough text to run the position many times around its 64-step cycle and to push the checksum
// past 2^24, so the top byte of its field is used.
std::string long_script() {
    std::string text;
    const std::string line = "\tIf x(i) <> \"@\" Then WScript.Echo \"A&B=\" & 100% ' {~} [|]\r\n";
    while (text.size() < 300000)
        text += line;
    return text;
}

TEST(ScriptEncoder, DecodesBackToTheExactText) {
    const std::string japanese_line =
        "MsgBox \"\x83\x5C\x83\x74\x83\x67\x81\x41\x95\x5C\x8E\xA6\x81\x40\xB1\x94\x5C\"\r\n";
    const struct {
        const char* name;
        const CodePage& cp;
        std::string plain;
    } cases[] = {
        {"launcher", cp1252(),
         "Set objShell = CreateObject(\"WScript.Shell\")\r\n"
         "objShell.Run \"runas /user:admin@example \"\"setup.exe\"\"\", 0, True\r\n"
         "If a < b And c > d Then\r\n\tWScript.Quit 0\r\nEnd If\r\n"},
        {"lone LF and CR", cp1252(), "a\nb\rc\n\n\r\r"},
        {"every ASCII character", cp1252(), every_ascii_character_at_every_position()},
        {"long", cp1252(), long_script()},
        {"CP1252 high bytes", cp1252(), "Caf\xE9 \x80\x9F\xA0\xFF\x7F\r\n\xFC@\xFC"},
        {"Japanese", cp932(), japanese_line + "' \x83\x5C<>@\t" + japanese_line},
        {"Japanese long", cp932(),
         [&] {
             std::string text;
             while (text.size() < 20000)
                 text += japanese_line + "x = 1\r\n";
             return text;
         }()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string block = encode_script(c.plain, c.cp);
        const DecodedScript decoded = decode_script(block, c.cp);
        EXPECT_EQ(decoded.text, c.plain);
        EXPECT_TRUE(decoded.length_ok) << decoded.length_field;
        EXPECT_TRUE(decoded.checksum_ok) << decoded.checksum_field;
        // Nothing in the body may end the line or the block early.
        EXPECT_EQ(body_of(block).find_first_of("\r\n<>"), std::string::npos);
    }
    EXPECT_GT(decode_script(encode_script(long_script(), cp1252()), cp1252()).checksum_field,
              0x01000000u);
}

TEST(ScriptEncoder, RefusesCutDoubleByteCharacters) {
    const std::string refused[] = {"abc\x83", "\x83\r\n", "\x83<b", "\x83\x7F", "\x83\x1F"};
    for (const auto& text : refused) {
        EXPECT_THROW(encode_script(text, cp932()), PlatformError) << text;
    }
    // The same bytes are ordinary characters in a single-byte code page.
    EXPECT_NO_THROW(encode_script("abc\x83", cp1252()));
}

class ScriptEncoderFile : public ::testing::Test {
  protected:
    std::string path(const char* name) const { return (dir_.path() / name).string(); }

    test::TempDir dir_;
};

TEST_F(ScriptEncoderFile, WritesTheEncodedBytesUnchanged) {
    // "MsgBox \"Hello\"" encodes to a body with a 0x7F byte; CR LF must not be translated.
    const std::string plain = "MsgBox \"Hello\"\r\nx = \"\x83\x5C\"\r\n";
    dir_.write("setup.vbs", plain);
    encode_script_file(path("setup.vbs"), path("setup.vbe"), cp932());
    const std::string written = test::read_file(path("setup.vbe"));
    EXPECT_EQ(written, encode_script(plain, cp932()));
    EXPECT_NE(written.find('\x7F'), std::string::npos);
    EXPECT_EQ(decode_script(written, cp932()).text, plain);
}

TEST_F(ScriptEncoderFile, ReplacesAnOlderOutput) {
    dir_.write("setup.vbs", "x = 1");
    dir_.write("setup.vbe", std::string(500, 'z'));
    encode_script_file(path("setup.vbs"), path("setup.vbe"), cp1252());
    EXPECT_EQ(test::read_file(path("setup.vbe")), encode_script("x = 1", cp1252()));
}

TEST_F(ScriptEncoderFile, FailuresThrowAndLeaveNoOutput) {
    dir_.write("cut.vbs", "x = \"\x83");
    dir_.write("ok.vbs", "x = 1");
    dir_.mkdir("folder.vbs");
    const struct {
        const char* name;
        std::string in;
        std::string out;
    } cases[] = {
        {"missing input", path("missing.vbs"), path("missing.vbe")},
        {"input is a folder", path("folder.vbs"), path("folder.vbe")},
        {"refused text", path("cut.vbs"), path("cut.vbe")},
        {"output folder missing", path("ok.vbs"), path("no-such-folder/ok.vbe")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            encode_script_file(c.in, c.out, cp932());
            ADD_FAILURE() << "no exception";
        } catch (const PlatformError& error) {
            EXPECT_FALSE(error.path().empty());
        }
        EXPECT_FALSE(fs::exists(c.out));
    }
}

}  // namespace
}  // namespace korva
