#include "symbols/state.h"

#include "symbols/lists.h"

char *ZelkInCppFileName = nullptr;
char *ZelkOutCppFileName = nullptr;
int ZelkPrintN0line = 1;
int ZelkCurLineNumber = 1;
const char *ZelkCurSymName = "";

char *ZelkModuleName = nullptr;
char *ZelkModuleNameLc = nullptr;
char **ZelkModuleArg = nullptr;
int ZelkModuleNbArg = 0;
char **ZelkElectrArg = nullptr;
int ZelkElectrNbArg = 0;
char **ZelkModRealArg = nullptr;
int ZelkModRealNbArg = 0;
char **ZelkModIntArg = nullptr;
int ZelkModIntNbArg = 0;
char **ZelkModGenvArg = nullptr;
int ZelkModGenvNbArg = 0;
ZelkSingleNameBranchRec *ZelkModSbranchArg = nullptr;
int ZelkModSbranchNbArg = 0;
char **ZelkModVbranchArg = nullptr;
int ZelkModVbranchNbArg = 0;
char **ZelkModIbranchArg = nullptr;
int ZelkModIbranchNbArg = 0;
ZelkParamRec *ZelkParamList = nullptr;
int ZelkNbParam = 0;
ZelkAnalFuncRec *ZelkFunclist = nullptr;
int ZelkNbAnalogFunc = 0;
ZelkAnalMacRec *ZelkMaclist = nullptr;
int ZelkNbAnMac = 0;

int ZelkDefineOn = 0;
int ZelkDefineAuxOn = 0;
int ZelkAnalogOn = 0;
int ZelkAnalogFuncOn = 0;
int ZelkAnalogFuncStart = 0;
int ZelkBeginBlockOn = 0;
int ZelkPrintLevel = 1;

char *ZelkCaseExp[ZELK_CASE_DEPTH] = {};
int ZelkCaseOn[ZELK_CASE_DEPTH] = {};
int ZelkNbCaseExp = 0;

namespace {

void free_text(char *&text) {
    std::free(text);
    text = nullptr;
}

}  // namespace

void zelk_reset_state() {
    free_text(ZelkInCppFileName);
    free_text(ZelkOutCppFileName);
    ZelkPrintN0line = 1;
    ZelkCurLineNumber = 1;
    ZelkCurSymName = "";
    ZelkCurErrNumber = 0;
    ZelkCurWarnNumber = 0;
    free_text(ZelkModuleName);
    free_text(ZelkModuleNameLc);
    zelk_reset_lists();
    ZelkDefineOn = 0;
    ZelkDefineAuxOn = 0;
    ZelkAnalogOn = 0;
    ZelkAnalogFuncOn = 0;
    ZelkAnalogFuncStart = 0;
    ZelkBeginBlockOn = 0;
    ZelkPrintLevel = 1;
    for (int i = 0; i < ZELK_CASE_DEPTH; ++i) {
        free_text(ZelkCaseExp[i]);
        ZelkCaseOn[i] = 0;
    }
    ZelkNbCaseExp = 0;
    zelk_free_symbol_table();
}
