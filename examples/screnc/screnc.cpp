// SPDX-License-Identifier: MIT
// An example script encoder for the example tool archive: it takes the command line the program
// writes, screnc "{script}.vbs" "{script}.vbe", and encodes with the program's own encoder in the
// system's ANSI code page, so the example works end to end on Windows. The names are read from
// the wide command line, so a folder name in any language reaches it whole.
#include <windows.h>

#include <cstdio>
#include <exception>

#include "package/script_encoder.h"
#include "platform/codepage.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: screnc SCRIPT.vbs SCRIPT.vbe\n");
        return 2;
    }
    try {
        korva::encode_script_file(korva::utf16_to_utf8(argv[1]), korva::utf16_to_utf8(argv[2]),
                                  korva::CodePage::system());
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "screnc: %s\n", error.what());
        return 1;
    }
}
