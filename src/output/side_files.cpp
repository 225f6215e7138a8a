#include "output/side_files.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/diagnostics.h"
#include "base/output_file.h"
#include "symbols/state.h"

namespace {

std::string g_default_stem = "zelk";

// Creates a side file, or reports (and counts) that it cannot.
FILE *create(const std::string &name) {
    FILE *f = zelk_output_open(name.c_str());
    if (!f) {
        ++ZelkCurErrNumber;
        zelk_open_error(false, name.c_str());
    }
    return f;
}

// Closes a side file; a file that could not be written whole is reported
// and counted like one that cannot be created.
bool finish(FILE *f) {
    if (zelk_output_close(f)) return true;
    ++ZelkCurErrNumber;
    return false;
}

}  // namespace

const char *zelk_output_stem() {
    return ZelkModuleNameLc ? ZelkModuleNameLc : g_default_stem.c_str();
}

void zelk_set_default_stem(const char *stem) { g_default_stem = stem; }

bool szelkName_deriv_file() {
    std::string name = std::string(zelk_output_stem()) + ".deriv";
    FILE *f = create(name);
    if (!f) return false;
    std::fprintf(f, "%d\n", ZelkModuleNbArg);
    for (int i = 0; i < ZelkModuleNbArg; ++i) std::fprintf(f, "%s\n", ZelkModuleArg[i]);
    std::fprintf(f, "%d\n", ZelkElectrNbArg);
    for (int i = 0; i < ZelkElectrNbArg; ++i) std::fprintf(f, "%s\n", ZelkElectrArg[i]);
    std::fprintf(f, "%d\n", ZelkNbParam);
    for (int i = 0; i < ZelkNbParam; ++i) {
        const ZelkParamRec &p = ZelkParamList[i];
        std::fprintf(f, "%s\n", p.name);
        std::fprintf(f, "%s\n", p.val ? p.val : "(null)");
        std::fprintf(f, "%d\n", p.isdevice);
        std::fprintf(f, "%d\n", p.type);
    }
    std::fprintf(f, "%d\n", ZelkModIntNbArg);
    for (int i = 0; i < ZelkModIntNbArg; ++i) std::fprintf(f, "%s\n", ZelkModIntArg[i]);
    std::fprintf(f, "%d\n", ZelkModGenvNbArg);
    for (int i = 0; i < ZelkModGenvNbArg; ++i) std::fprintf(f, "%s\n", ZelkModGenvArg[i]);
    std::fprintf(f, "%d\n", ZelkModIbranchNbArg);
    for (int i = 0; i < ZelkModIbranchNbArg; ++i) std::fprintf(f, "%s\n", ZelkModIbranchArg[i]);
    std::fprintf(f, "%d\n", ZelkModVbranchNbArg);
    for (int i = 0; i < ZelkModVbranchNbArg; ++i) std::fprintf(f, "%s\n", ZelkModVbranchArg[i]);
    std::fprintf(f, "/* End of %s */\n", name.c_str());
    std::fprintf(f, "\n");
    return finish(f);
}

bool szelkName_param_file() {
    std::string name = std::string(zelk_output_stem()) + ".param";
    FILE *f = create(name);
    if (!f) return false;
    std::fprintf(f, "\n/* Device Parameters */\n");
    std::fprintf(f, "#define %-15s here->PIPOIN%s\n", "temp", "temp");
    std::fprintf(f, "#define %-15s here->PIPOIN%s\n", "area", "area");
    std::fprintf(f, "\n/* Model Parameters */\n");
    for (int i = 0; i < ZelkNbParam; ++i) {
        const ZelkParamRec &p = ZelkParamList[i];
        // A missing range bound reads "(null)".
        std::fprintf(f,
                     p.type == 1 ? "#define %-15s ZELKPARAMINT(%s,%s,%s,%s)\n"
                                 : "#define %-15s ZELKPARAMREAL(%s,%s,%s,%s)\n",
                     p.name, p.name, p.val ? p.val : "(null)", p.fromval ? p.fromval : "(null)",
                     p.fromkind ? p.fromkind : "(null)");
    }
    std::fprintf(f, "\n/* Derivatives Record */\n");
    std::fprintf(f, "typedef struct sDoubleRec \n");
    std::fprintf(f, "{ \n");
    std::fprintf(f, "  double val; \n");
    for (int i = 0; i < ZelkElectrNbArg; ++i) std::fprintf(f, "  double D_%s; \n", ZelkElectrArg[i]);
    std::fprintf(f, "} DoubleRec ; \n");
    std::fprintf(f, "\n");
    std::fprintf(f, "\n");
    std::fprintf(f, "/* End of %s */\n", name.c_str());
    std::fprintf(f, "\n");
    return finish(f);
}
