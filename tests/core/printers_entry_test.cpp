// SPDX-License-Identifier: MIT
// The entry line is read back by comma position by Create and the Config.ini writer, so every
// byte of it matters: built lines are compared whole and split again.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "printers/entry_line.h"
#include "printers/printer_entry.h"

namespace korva {
namespace {

PrinterEntry floor2() {
    PrinterEntry e;
    e.model_part = "KORVA A100 PCL6";
    e.ip_address = "10.0.0.5";
    e.printer_name = "Floor2";
    e.port_number = "9100";
    return e;
}

TEST(EntryLine, BuildsTheDocumentedLinesByteForByte) {
    PrinterEntry raw = floor2();
    EXPECT_EQ(entry_line(raw, 1),
              " 1. KORVA A100 PCL6(10.0.0.5,Floor2,Standard,RAW,9100,,AutoConfig,Yes)");

    // The QX form leaves protocol, port and queue out even when the boxes still hold values.
    PrinterEntry qx = floor2();
    qx.port_type = PortType::Qx;
    qx.protocol = Protocol::Lpr;
    qx.port_number = "515";
    qx.queue_name = "lp";
    qx.auto_config = false;
    qx.default_printer = false;
    EXPECT_EQ(entry_line(qx, 2), " 2. KORVA A100 PCL6(10.0.0.5,Floor2,QXPORT,,,,,)");
}

TEST(EntryLine, StoresOnlyTheFieldsOfTheChosenProtocol) {
    PrinterEntry lpr = floor2();
    lpr.protocol = Protocol::Lpr;
    lpr.port_number = "515";
    lpr.queue_name = "queue1";
    EXPECT_EQ(entry_line(lpr, 10),
              " 10. KORVA A100 PCL6(10.0.0.5,Floor2,Standard,LPR,515,queue1,AutoConfig,Yes)");

    PrinterEntry raw = floor2();
    raw.queue_name = "left over";
    raw.auto_config = false;
    EXPECT_EQ(entry_line(raw, 3), " 3. KORVA A100 PCL6(10.0.0.5,Floor2,Standard,RAW,9100,,,Yes)");
}

TEST(EntryLine, SplitsIntoEightPiecesForEveryForm) {
    PrinterEntry qx = floor2();
    qx.port_type = PortType::Qx;
    struct Case {
        PrinterEntry entry;
        std::vector<std::string> pieces;
    } cases[] = {
        {floor2(),
         {" 1. KORVA A100 PCL6(10.0.0.5", "Floor2", "Standard", "RAW", "9100", "", "AutoConfig",
          "Yes)"}},
        {qx,
         {" 1. KORVA A100 PCL6(10.0.0.5", "Floor2", "QXPORT", "", "", "", "AutoConfig", "Yes)"}},
    };
    for (const Case& c : cases) {
        const std::string line = entry_line(c.entry, 1);
        for (int i = 0; i < 8; ++i)
            EXPECT_EQ(Get_DriverString(line, i), c.pieces[i]) << line;
        EXPECT_EQ(Get_DriverString(line, 8), "") << line;
    }
}

TEST(EntryLine, ReadersReturnWhatWasStored) {
    // Blank-only, Japanese and model-like names, and an address that is a host name.
    const std::vector<std::pair<std::string, std::string>> cases = {
        {" ", " "},
        {"経理部 プリンタ", "printer.example"},
        {"KORVA A100 PCL6", "10.0.0.5"},
    };
    for (const auto& [name, address] : cases) {
        PrinterEntry e = floor2();
        e.printer_name = name;
        e.ip_address = address;
        e.default_printer = false;
        const std::string line = entry_line(e, 7);
        EXPECT_EQ(entry_printer_name(line), name);
        EXPECT_EQ(entry_address(line), address);
        EXPECT_EQ(entry_model_part(line), "KORVA A100 PCL6");
        EXPECT_FALSE(entry_is_default(line));
    }
    EXPECT_TRUE(entry_is_default(entry_line(floor2(), 1)));
}

TEST(EntryLine, ReadersOfMalformedLinesGiveEmptyTexts) {
    struct Case {
        std::string line, name, address, model, piece7;
    } cases[] = {
        {"", "", "", "", ""},
        {",,,,,,", "", "", "", ""},
        {",,,,,,,", "", "", "", ""},
        {" 1. M(a,b,c,d,e,f,g,h)", "b", "a", "M", "h)"},
        {" 1. M(a,b", "", "a", "M", ""},
        {" 1.", "", "", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(entry_printer_name(c.line), c.name) << c.line;
        EXPECT_EQ(entry_address(c.line), c.address) << c.line;
        EXPECT_EQ(entry_model_part(c.line), c.model) << c.line;
        EXPECT_EQ(Get_DriverString(c.line, 7), c.piece7) << c.line;
    }
}

TEST(EntryLine, RenumberingReplacesOnlyTheNumber) {
    PrinterEntry e = floor2();
    e.model_part = "KORVA A1.5 PCL6";  // a point inside the model part stays
    EXPECT_EQ(renumber_entry(entry_line(e, 12), 3), entry_line(e, 3));
    EXPECT_EQ(renumber_entry(entry_line(e, 3), 1000), entry_line(e, 1000));
}

TEST(EntryCheck, RefusesCharactersThatWouldBreakTheEntry) {
    enum Field { Address, Name, Port, Queue };
    struct Case {
        Field field;
        std::string value;
        PortType port;
        Protocol protocol;
        bool refused;
    } cases[] = {
        {Address, "10.0.0.5,1", PortType::Standard, Protocol::Raw, true},
        {Name, "Floor,2", PortType::Standard, Protocol::Raw, true},
        {Name, "Floor \"2\"", PortType::Standard, Protocol::Raw, true},
        {Name, "Floor 'two'", PortType::Standard, Protocol::Raw, false},
        {Address, "host\"name", PortType::Standard, Protocol::Raw, false},
        {Port, "91,00", PortType::Standard, Protocol::Raw, true},
        {Port, "5,15", PortType::Standard, Protocol::Lpr, true},
        {Queue, "q,1", PortType::Standard, Protocol::Lpr, true},
        // Values of disabled boxes are not stored, so they cannot shift anything.
        {Queue, "q,1", PortType::Standard, Protocol::Raw, false},
        {Port, "91,00", PortType::Qx, Protocol::Raw, false},
        {Queue, "q,1", PortType::Qx, Protocol::Lpr, false},
    };
    for (const Case& c : cases) {
        PrinterEntry e = floor2();
        e.port_type = c.port;
        e.protocol = c.protocol;
        std::string* target[] = {&e.ip_address, &e.printer_name, &e.port_number, &e.queue_name};
        *target[c.field] = c.value;
        EXPECT_EQ(entry_has_forbidden_chars(e), c.refused) << c.field << " " << c.value;
    }
    EXPECT_FALSE(entry_has_forbidden_chars(floor2()));
}

// Drivers as a package lists them: a skipped PPD driver first, then a suffixed PCL6 driver and a
// VEXL2 driver, so list positions and driver slots differ.
PackageState package() {
    PackageState pkg;
    pkg.Model_Name.items = {"KORVA A100", "KORVA C300"};
    pkg.Emu_Name.items = {"PCL6", kVexl2Item};
    pkg.Emu_Slots = {1, 2};
    pkg.Emu_Drivers = {"PS_PPD", "PCL6_x", kVexl2Item, "", "", ""};
    pkg.Model_Emus = {"VEXL2", "VEXL2-c"};
    pkg.Emu_Use = 1;
    return pkg;
}

TEST(EntryModel, BuildsTheModelPartFromTheChosenItems) {
    PackageState no_emu;
    no_emu.Model_Name.items = {"KORVA A100"};
    no_emu.Emu_Name.items = {kNoEmu};
    no_emu.Emu_Slots = {-1};
    no_emu.Drv_Suffix = " SFX";

    PackageState blank = no_emu;
    blank.Emu_Name.items = {""};
    blank.Emu_Slots = {0};

    // Without a recorded slot the item's position names the slot, as before slots were kept.
    PackageState unmapped = package();
    unmapped.Emu_Slots.clear();
    const PackageState mapped = package();

    // A PC-Fax package lists no driver; its entries name the FAX driver.
    PackageState fax;
    fax.Model_Name.items = {"KORVA F1"};
    fax.Emu_Name.items = {kPcFax};
    fax.Emu_Slots = {-1};
    fax.Emu_Drivers = {"PCL6_x", "FAX_2", "", "", "", ""};
    fax.Emu_Use = 1;

    struct Case {
        const PackageState& pkg;
        int model, emu;
        std::string expected;
    } cases[] = {
        {mapped, 0, 0, "KORVA A100 PCL6_x"},   {mapped, 0, 1, "KORVA A100 VEXL2"},
        {mapped, 1, 1, "KORVA C300 VEXL2-c"},  {mapped, 1, -1, "KORVA C300"},
        {no_emu, 0, 0, "KORVA A100 SFX"},      {blank, 0, 0, "KORVA A100 SFX"},
        {unmapped, 0, 0, "KORVA A100 PS_PPD"}, {fax, 0, 0, "KORVA F1 FAX_2"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(entry_model_text(c.pkg, c.model, c.emu), c.expected) << c.model << "/" << c.emu;
    }

    PackageState chosen = package();
    chosen.Model_Name.index = 1;
    chosen.Emu_Name.index = 0;
    EXPECT_EQ(entry_model_text(chosen), "KORVA C300 PCL6_x");
}

TEST(EntryWidth, CountsAnsiBytesAndDoesNotOverflow) {
    const CodePage cp932("CP932");
    const CodePage utf8("UTF-8");
    const std::string japanese =
        " 1. 経理部プリンタ";  // 4 ASCII bytes and 7 double-byte characters
    EXPECT_EQ(entry_list_width_bytes({japanese, "short"}, cp932), 18u);
    EXPECT_EQ(entry_list_width_bytes({japanese, "short"}, utf8), 25u);
    EXPECT_EQ(entry_list_width_bytes({}, cp932), 0u);

    struct Case {
        std::size_t bytes;
        int twips_per_pixel;
        int expected;
    } cases[] = {
        {0, 15, 12},        // 180 / 15
        {10, 15, 72},       // (900 + 180) / 15
        {10, 12, 90},       // another screen resolution
        {362, 15, 2184},    // the largest width that fitted 16 bits
        {400, 15, 2412},    // beyond it the extent keeps growing
        {2000, 15, 12012},  // a very long line
    };
    for (const Case& c : cases) {
        EXPECT_EQ(entry_list_extent_px({std::string(c.bytes, 'x')}, cp932, c.twips_per_pixel),
                  c.expected)
            << c.bytes;
    }
    EXPECT_EQ(entry_list_extent_px({japanese}, cp932, 15), (18 * 90 + 180) / 15);
}

TEST(EntryLine, ControlCharactersAndCommasFromThePackageAreFound) {
    const struct {
        std::string PrinterEntry::*field;
        std::string value;
        bool control, forbidden;
    } cases[] = {
        {&PrinterEntry::ip_address, "x\r\n[PRINTER9]\r\nName=evil", true, false},
        {&PrinterEntry::printer_name, "Floor\t2", true, false},
        {&PrinterEntry::port_number, "91\x7F", true, false},
        {&PrinterEntry::printer_name, "Floor %PATH%", false, true},
        {&PrinterEntry::model_part, "KORVA a,b PCL6", false, true},
        {&PrinterEntry::printer_name, " & ( ) ^ \xE7\xAE\xA1 ", false, false},
        {&PrinterEntry::printer_name, std::string(1000, 'n'), false, false},
    };
    for (const auto& c : cases) {
        PrinterEntry e = floor2();
        e.*c.field = c.value;
        EXPECT_EQ(entry_has_control_chars(e), c.control) << c.value;
        EXPECT_EQ(entry_has_forbidden_chars(e), c.forbidden) << c.value;
    }
}

}  // namespace
}  // namespace korva
