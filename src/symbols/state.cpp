#include "symbols/state.h"

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

void free_names(char **&arr, int &count) {
    for (int i = 0; i < count; ++i) std::free(arr[i]);
    std::free(arr);
    arr = nullptr;
    count = 0;
}

void free_text(char *&text) {
    std::free(text);
    text = nullptr;
}

}  // namespace

void zelk_free_names(char **&arr, int &count) { free_names(arr, count); }

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
    free_names(ZelkModuleArg, ZelkModuleNbArg);
    free_names(ZelkElectrArg, ZelkElectrNbArg);
    free_names(ZelkModRealArg, ZelkModRealNbArg);
    free_names(ZelkModIntArg, ZelkModIntNbArg);
    free_names(ZelkModGenvArg, ZelkModGenvNbArg);
    for (int i = 0; i < ZelkModSbranchNbArg; ++i) {
        std::free(ZelkModSbranchArg[i].name);
        std::free(ZelkModSbranchArg[i].val);
    }
    std::free(ZelkModSbranchArg);
    ZelkModSbranchArg = nullptr;
    ZelkModSbranchNbArg = 0;
    free_names(ZelkModVbranchArg, ZelkModVbranchNbArg);
    free_names(ZelkModIbranchArg, ZelkModIbranchNbArg);
    for (int i = 0; i < ZelkNbParam; ++i) {
        ZelkParamRec &p = ZelkParamList[i];
        std::free(p.name);
        std::free(p.val);
        std::free(p.fromval);
        std::free(p.fromkind);
    }
    std::free(ZelkParamList);
    ZelkParamList = nullptr;
    ZelkNbParam = 0;
    for (int i = 0; i < ZelkNbAnalogFunc; ++i) {
        ZelkAnalFuncRec &f = ZelkFunclist[i];
        std::free(f.name);
        for (int j = 0; j < f.FuncNbArg; ++j) std::free(f.FuncArg[j].name);
        std::free(f.FuncArg);
        free_names(f.LocRealArg, f.LocRealNbArg);
        free_names(f.LocIntArg, f.LocIntNbArg);
    }
    std::free(ZelkFunclist);
    ZelkFunclist = nullptr;
    ZelkNbAnalogFunc = 0;
    for (int i = 0; i < ZelkNbAnMac; ++i) std::free(ZelkMaclist[i].name);
    std::free(ZelkMaclist);
    ZelkMaclist = nullptr;
    ZelkNbAnMac = 0;
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
