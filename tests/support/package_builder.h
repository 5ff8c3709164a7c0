// SPDX-License-Identifier: MIT
// Writes source driver packages into a test's temporary folder, so each layout the reader knows
// (flat, kind folder, Drivers tree, plain) and each driver table is one short call.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "dialogs/context.h"
#include "source/package_state.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"

namespace korva::test {

// A language of a package: the id setup.ini lists and the folder made for it (none when empty).
struct PackageLanguage {
    std::string id;
    std::string folder;
};
inline const PackageLanguage kJapanese{"0x0011", "Japanese"};
inline const PackageLanguage kEnglish{"0x0009", "English"};

// One driver of the installer's driver table.
struct DriverEntry {
    std::string name;
    std::string suffix = "";
    std::string ins_sii = "";  // model file of a VEXL2 driver, in the language folder
};

// One installer folder: setup.exe and setup.ini, and whatever a test adds beside them.
class Installer {
  public:
    explicit Installer(std::string folder);

    // The folder text, ending in the separator.
    const std::string& folder() const { return folder_; }

    // setup.ini [Languages] with count and key0.. listing the ids; a folder for each language
    // that names one.
    Installer& languages(const std::vector<PackageLanguage>& languages);
    // The installer .sii with its [InitialSettings] driver table, named by setup.ini
    // [FileName] SiiName.
    Installer& drivers(const std::vector<DriverEntry>& drivers,
                       const std::string& sii = "Setup.sii");
    // A [ModelName] section with nModelNum and model1.. appended to a file below the folder
    // (the installer .sii, a "*is*sii" file, or a language folder's "*ins*sii").
    Installer& models(const std::string& relative, const std::vector<std::string>& values);
    // Text appended to a file below the folder (created with its folders when missing).
    Installer& append(const std::string& relative, const std::string& text);
    // Replaces a file's contents.
    Installer& write(const std::string& relative, const std::string& bytes);
    Installer& remove(const std::string& relative);
    Installer& mkdir(const std::string& relative);

  private:
    std::string folder_;
};

// A package below a temporary folder.
class PackageBuilder {
  public:
    explicit PackageBuilder(const TempDir& dir, const std::string& name = "pkg");

    // The source folder as the administrator types it, ending in the separator.
    const std::string& root() const { return root_; }
    // The same without the final separator.
    std::string root_unterminated() const { return root_.substr(0, root_.size() - 1); }

    // An installer folder (setup.exe and an empty setup.ini) at a path relative to the root;
    // "" is the root itself. A "/" in the path stands for the separator.
    Installer installer(const std::string& relative = "");
    // The four layouts.
    Installer flat(const std::vector<PackageLanguage>& languages = {kEnglish});
    Installer plain() { return installer(); }
    Installer kind_folder(const std::string& kind,
                          const std::vector<PackageLanguage>& languages = {kEnglish});
    Installer drivers_tree(const std::string& kind,
                           const std::vector<PackageLanguage>& languages = {kEnglish});
    // A folder below the root, for folders that are not installers.
    std::string folder(const std::string& relative);

  private:
    std::string root_;
};

// Everything the source procedures need, over a catalogue whose message texts are their key
// names and whose language table is given.
struct SourceFixture {
    explicit SourceFixture(const std::vector<std::string>& language_table = {
                               "0x0011,Japanese,Japanese", "0x0009,English,English"});

    TempDir program;
    TempDir work;
    ScriptedPrompter prompter;
    std::unique_ptr<Catalogue> catalogue;
    std::unique_ptr<Context> ctx;
    PackageState pkg;
    PackageBuilder package{work};
};

}  // namespace korva::test
