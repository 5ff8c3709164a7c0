// SPDX-License-Identifier: MIT
// Package files are written in the form the maker ships them: INI text with CRLF line ends.
#include "support/package_builder.h"

#include <filesystem>
#include <fstream>

#include "platform/filesystem.h"
#include "platform/path.h"

namespace korva::test {

namespace {

std::string native(std::string relative) {
    for (char& c : relative) {
        if (c == '/')
            c = kPathSep;
    }
    return relative;
}

void append_to(const std::string& path, const std::string& text) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary | std::ios::app) << text;
}

std::string line(const std::string& key, const std::string& value) {
    return key + "=" + value + "\r\n";
}

}  // namespace

Installer::Installer(std::string folder) : folder_(with_trailing_sep(std::move(folder))) {
    std::filesystem::create_directories(folder_);
    write("setup.exe", "MZ stand-in installer");
    write("setup.ini", "");
}

Installer& Installer::languages(const std::vector<PackageLanguage>& languages) {
    std::string text = "[Languages]\r\n" + line("count", std::to_string(languages.size()));
    for (std::size_t i = 0; i < languages.size(); ++i) {
        text += line("key" + std::to_string(i), languages[i].id);
        if (!languages[i].folder.empty())
            mkdir(languages[i].folder);
    }
    return append("setup.ini", text);
}

Installer& Installer::drivers(const std::vector<DriverEntry>& drivers, const std::string& sii) {
    append("setup.ini", "[FileName]\r\n" + line("SiiName", sii));
    std::string text = "[InitialSettings]\r\n" + line("Driver", std::to_string(drivers.size()));
    for (std::size_t i = 0; i < drivers.size(); ++i) {
        const std::string n = std::to_string(i + 1);
        text += line("DRIVER_" + n, drivers[i].name);
        text += line("Driver_" + n + "_Suffix", drivers[i].suffix);
        if (!drivers[i].ins_sii.empty())
            text += line("INS_SII_" + n, drivers[i].ins_sii);
    }
    return append(sii, text);
}

Installer& Installer::models(const std::string& relative, const std::vector<std::string>& values) {
    std::string text = "[ModelName]\r\n" + line("nModelNum", std::to_string(values.size()));
    for (std::size_t i = 0; i < values.size(); ++i) {
        text += line("model" + std::to_string(i + 1), values[i]);
    }
    return append(relative, text);
}

Installer& Installer::append(const std::string& relative, const std::string& text) {
    append_to(folder_ + native(relative), text);
    return *this;
}

Installer& Installer::write(const std::string& relative, const std::string& bytes) {
    std::filesystem::remove(folder_ + native(relative));
    return append(relative, bytes);
}

Installer& Installer::remove(const std::string& relative) {
    std::filesystem::remove_all(folder_ + native(relative));
    return *this;
}

Installer& Installer::mkdir(const std::string& relative) {
    std::filesystem::create_directories(folder_ + native(relative));
    return *this;
}

PackageBuilder::PackageBuilder(const TempDir& dir, const std::string& name)
    : root_(dir.folder() + native(name) + kPathSep) {
    std::filesystem::create_directories(root_);
}

Installer PackageBuilder::installer(const std::string& relative) {
    return Installer(root_ + native(relative));
}

Installer PackageBuilder::flat(const std::vector<PackageLanguage>& languages) {
    Installer inst = installer();
    inst.languages(languages);
    return inst;
}

Installer PackageBuilder::kind_folder(const std::string& kind,
                                      const std::vector<PackageLanguage>& languages) {
    Installer inst = installer(kind);
    inst.languages(languages);
    return inst;
}

Installer PackageBuilder::drivers_tree(const std::string& kind,
                                       const std::vector<PackageLanguage>& languages) {
    Installer inst = installer("Drivers/" + kind);
    inst.languages(languages);
    return inst;
}

std::string PackageBuilder::folder(const std::string& relative) {
    std::string path = root_ + native(relative);
    std::filesystem::create_directories(path);
    return with_trailing_sep(path);
}

static std::string source_catalogue(const std::vector<std::string>& language_table) {
    std::string text = "[Setup]\r\nAppNameEn=Tool\r\n[LanguagesSub]\r\n";
    for (std::size_t k = 0; k < language_table.size(); ++k) {
        text += line("Lang" + std::to_string(k + 1), language_table[k]);
    }
    text += "[Subfolder]\r\n0=QXPort\r\n[StringEn]\r\n";
    for (const char* key :
         {"MsgErr", "MsgErrChk", "MsgErrInPath1", "MsgErrInPath2", "MsgErrInPath4", "MsgErrInPath5",
          "MsgErrInPath6", "MsgErrInPath7", "MsgErrEmu", "MsgErrModel1", "MsgSilent"}) {
        text += line(key, key);
    }
    return text;
}

SourceFixture::SourceFixture(const std::vector<std::string>& language_table) {
    program.write("Tool.sii", source_catalogue(language_table));
    catalogue =
        std::make_unique<Catalogue>(ToolSii_Path_for(program.folder()), "StringEn", kMainBuffer);
    ctx = std::make_unique<Context>(Context{*catalogue, prompter, real_file_system(),
                                            CodePage::system(), [] {}, program.folder(),
                                            program.folder()});
}

}  // namespace korva::test
