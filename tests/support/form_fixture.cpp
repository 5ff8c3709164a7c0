// SPDX-License-Identifier: MIT
// Builds the main window model the way start-up does, over a test catalogue.
#include "support/form_fixture.h"

namespace korva::test {

static const char* const kKeys[] = {"InputPath",
                                    "OutputPath",
                                    "BrowButtom",
                                    "FrmFunction",
                                    "FrmLanguage",
                                    "ChkSI",
                                    "ChkUserI",
                                    "FrmInstDrv",
                                    "LblAddDrv",
                                    "LblModel",
                                    "LblEmu",
                                    "FrmDef",
                                    "ChkYes",
                                    "ChkNo",
                                    "LblMFPIP",
                                    "LblPrn",
                                    "ComAdd",
                                    "ComDel",
                                    "FrmComp",
                                    "LblAcc",
                                    "LblDom",
                                    "LblPass",
                                    "ComOK",
                                    "ComEnd",
                                    "LblPort",
                                    "ChkStandard",
                                    "ChkQx",
                                    "LblProtcol",
                                    "ChkRaw",
                                    "ChkLpr",
                                    "LblPortN",
                                    "LblQueue",
                                    "SelectSoft",
                                    "ChkDlgReboot",
                                    "ChkAutoconfig",
                                    "SelectSoftware1",
                                    "SelectSoftware2",
                                    "MsgEmu",
                                    "MsgSilent",
                                    "MsgLang",
                                    "MsgErr",
                                    "MsgErrChk",
                                    "MsgErrInPath1",
                                    "MsgErrInPath2",
                                    "MsgErrInPath3",
                                    "MsgErrInPath4",
                                    "MsgErrInPath5",
                                    "MsgErrInPath6",
                                    "MsgErrInPath7",
                                    "MsgErrOutPath1",
                                    "MsgErrOutPath2",
                                    "MsgErrOutPath3",
                                    "MsgErrOutPath4",
                                    "MsgErrInOut",
                                    "MsgErrAnother",
                                    "MsgErrDrvPath",
                                    "MsgErrCreate1",
                                    "MsgErrCreate2",
                                    "MsgErrCreateName",
                                    "MsgErrCreateOP",
                                    "MsgErrCreateFolder",
                                    "MsgErrCreateFName",
                                    "MsgErrCreateExit",
                                    "MsgErrCreateAnother",
                                    "MsgErrSilent",
                                    "MsgErrModel1",
                                    "MsgErrModel2",
                                    "MsgErrIP",
                                    "MsgErrAcc",
                                    "MsgErrDom",
                                    "MsgErrEmu",
                                    "MsgErrBlank",
                                    "MsgErrAdd",
                                    "MsgErrSame",
                                    "MsgErrDelOrChange",
                                    "MsgErrCopy",
                                    "MsgErrOneMore",
                                    "MsgErrConfig",
                                    "MsgErrSetup",
                                    "MsgErrChar",
                                    "MsgErrCtrlChar",
                                    "MsgErrQuote",
                                    "MsgErrCharPercent",
                                    "MsgErrFolderRead",
                                    "MsgErrCodePage",
                                    "MsgMore",
                                    "MsgWhich",
                                    "MsgSelect",
                                    "MsgDriver",
                                    "MsgPrn",
                                    "MsgFax",
                                    "MsgOk",
                                    "MsgCancel",
                                    "MsgCreate",
                                    "MsgFinish"};

std::string key_named_catalogue(const std::string& extra_sections) {
    std::string text =
        "[Languages]\r\nDefault=0x0009\r\n[Setup]\r\nAppNameEn=Tool\r\nVersion=V\r\n"
        "[LanguagesSub]\r\nLang1=0x0011,Japanese,Japanese\r\nLang2=0x0009,English,English\r\n"
        "[Subfolder]\r\n0=QXPort\r\n[StringEn]\r\n";
    for (const char* key : kKeys)
        text += std::string(key) + "=" + key + "\r\n";
    return text + extra_sections;
}

FormFixture::FormFixture(const std::string& tool_sii) {
    program.write("Tool.sii", tool_sii);
    std::string path = ToolSii_Path_for(program.folder());
    catalogue = std::make_unique<Catalogue>(path, choose_language(path).LangSelect, kMainBuffer);
    Context ctx{*catalogue, prompter, real_file_system(), CodePage::system(), [] {}, "", ""};
    ctx.program_folder = program.folder();
    ctx.system_folder = system.folder();
    form = std::make_unique<MainForm>(ctx);
    form->Form_Load_controls();
}

}  // namespace korva::test
