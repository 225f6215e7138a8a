// The user's guide (docs/guide.md) checked against the program: every
// message a golden case shows is documented there, every documented message
// is shown by a golden case (but the few that no ordinary run provokes), and
// the complete example models it shows translate with exactly the standard
// error it shows.
//
// How the guide writes a message: as an inline code span whose text is the
// message's printf format, blanks included, without the final newline and
// without blanks at either end ("`!! Error: '%s' not existing ...`").
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "support/harness.h"

using zelktest::read_file;

namespace {

// Documented messages that no run of the program can show: the scanner only
// hands over scale letters it knows, no built-in accepts two argument
// counts, a header's name list always splits into its count, the driver
// never asks for a long pause, and a status file that is a link needs a
// process id known in advance.
const std::set<std::string> kUnprovoked = {
    "!! Error: Invalid scale factor '%c'(x:%x) for :'%s' in line number:%d .",
    "!! Error: '%s' Invalid Function arg number:%d (not %d,%d):  near '%s(%s)' in line number:%d .",
    "!! Internal Error: '%s' Module arg number:%d (not %d):  near '%s(%s)' in line number:%d .",
    "!! Error in xdelayms : TOO long : delayms = %d",
    "!! Error : Refusing the status file:'%s' (a link, or not a regular file of ours) ??",
};

// The guide outside its fenced blocks, and the fenced blocks as (info
// string, content) pairs.
struct Guide {
    std::string prose;
    std::vector<std::pair<std::string, std::string>> blocks;
};

Guide read_guide() {
    Guide g;
    bool fenced = false;
    std::string text = read_file(std::string(ZELK_SOURCE_DIR) + "/docs/guide.md");
    for (const std::string &line : zelktest::lines_of(text)) {
        if (line.compare(0, 3, "```") == 0) {
            fenced = !fenced;
            if (fenced) g.blocks.emplace_back(line.substr(3), "");
            g.prose += '\n';
        } else if (fenced) {
            g.blocks.back().second += line + "\n";
        } else {
            g.prose += line + "\n";
        }
    }
    return g;
}

// Inline code spans of Markdown text, with the blank padding that their
// delimiters need removed.
std::vector<std::string> code_spans(const std::string &text) {
    std::vector<std::string> spans;
    for (size_t i = text.find('`'); i != std::string::npos; i = text.find('`', i)) {
        size_t run = text.find_first_not_of('`', i) - i;
        size_t close = text.find(std::string(run, '`'), i + run);
        while (close != std::string::npos && text.compare(close + run, 1, "`") == 0)
            close = text.find(std::string(run, '`'), text.find_first_not_of('`', close));
        if (close == std::string::npos) break;
        std::string content = text.substr(i + run, close - i - run);
        std::replace(content.begin(), content.end(), '\n', ' ');
        size_t b = content.find_first_not_of(' '), e = content.find_last_not_of(' ');
        spans.push_back(b == std::string::npos ? "" : content.substr(b, e - b + 1));
        i = close + run;
    }
    return spans;
}

// A message format as a pattern for the text it prints, up to its newline.
std::regex format_pattern(const std::string &format) {
    std::string re;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') {
            if (std::string("\\^$.|?*+()[]{}").find(format[i]) != std::string::npos) re += '\\';
            re += format[i];
            continue;
        }
        while (std::string("-0123456789.l").find(format[i + 1]) != std::string::npos) ++i;
        char conversion = format[++i];
        re += conversion == 'd' ? "-?[0-9]+" : conversion == 'x' ? "[0-9a-f]+" : "[\\s\\S]*?";
    }
    return std::regex(re + " *\n");
}

// The documented messages, and for each the golden case outputs that show it.
struct Coverage {
    std::vector<std::pair<std::string, std::regex>> documented;
    std::set<std::string> shown;
    std::vector<std::string> undocumented;  // lines no documented message matches
};

Coverage message_coverage() {
    Coverage c;
    for (const std::string &span : code_spans(read_guide().prose))
        if (span.compare(0, 2, "!!") == 0) c.documented.emplace_back(span, format_pattern(span));
    for (const std::string &name : zelktest::golden_case_names()) {
        std::string expected =
            std::string(ZELK_SOURCE_DIR) + "/tests/golden/cases/" + name + "/expected/";
        for (const char *stream : {"stdout", "stderr"}) {
            std::string text = read_file(expected + stream);
            for (size_t at = 0; (at = text.find("!! ", at)) != std::string::npos; ++at) {
                if (at > 0 && text[at - 1] != '\n' && text.compare(at - 1, 1, " ") != 0) continue;
                bool known = false;
                for (const auto &doc : c.documented) {
                    if (std::regex_search(text.cbegin() + static_cast<long>(at), text.cend(),
                                          doc.second, std::regex_constants::match_continuous)) {
                        c.shown.insert(doc.first);
                        known = true;
                    }
                }
                if (!known)
                    c.undocumented.push_back(name + ": " + text.substr(at, text.find('\n', at) - at));
            }
        }
    }
    return c;
}

TEST(Guide, DocumentsEveryMessageTheGoldenCasesShow) {
    Coverage c = message_coverage();
    ASSERT_GT(c.documented.size(), 40u) << "the guide's messages were not found";
    std::string missing;
    for (const std::string &line : c.undocumented) missing += "  " + line + "\n";
    EXPECT_TRUE(missing.empty()) << "messages missing from docs/guide.md (write each as an inline "
                                    "code span, format kept verbatim):\n"
                                 << missing;
}

TEST(Guide, EveryDocumentedMessageIsShownByAGoldenCase) {
    Coverage c = message_coverage();
    std::string unshown;
    for (const auto &doc : c.documented)
        if (!c.shown.count(doc.first) && !kUnprovoked.count(doc.first))
            unshown += "  " + doc.first + "\n";
    EXPECT_TRUE(unshown.empty()) << "documented messages that no golden case shows (stale, or "
                                    "a golden case is missing):\n"
                                 << unshown;
    for (const std::string &m : kUnprovoked)
        EXPECT_TRUE(std::any_of(c.documented.begin(), c.documented.end(),
                                [&](const auto &doc) { return doc.first == m; }))
            << "not documented: " << m;
}

// A block "```va" is a whole source file. When a block "```stderr" follows
// it, that is the exact standard error of its translation; otherwise the
// file translates without a message and runs both stages.
TEST(Guide, ExampleModelsTranslateAsShown) {
    auto blocks = read_guide().blocks;
    int clean = 0, failing = 0;
    for (size_t i = 0; i < blocks.size(); ++i) {
        if (blocks[i].first != "va") continue;
        bool has_err = i + 1 < blocks.size() && blocks[i + 1].first == "stderr";
        std::string want_err = has_err ? blocks[i + 1].second : std::string();
        SCOPED_TRACE("example:\n" + blocks[i].second);
        zelktest::TempDir dir;
        zelktest::write_file(dir.file("model.va"), blocks[i].second);
        zelktest::RunResult r = zelktest::run_zelkpp(dir.path(), {"model.va"});
        EXPECT_EQ(r.err, want_err);
        if (has_err) {
            ++failing;
            int errors = 0;
            for (const std::string &line : zelktest::lines_of(want_err))
                errors += line.rfind("!! Error", 0) == 0 || line.rfind("!! Internal Error", 0) == 0;
            EXPECT_EQ(r.status, errors % 256);
            EXPECT_TRUE(zelktest::stages_run(dir.path()).empty());
        } else {
            ++clean;
            EXPECT_EQ(r.status, 0);
            EXPECT_EQ(zelktest::stages_run(dir.path()),
                      (std::vector<std::string>{"cpp", "zelk4th"}));
        }
    }
    EXPECT_GT(clean, 0) << "the guide shows no complete example model";
    EXPECT_GT(failing, 0) << "the guide shows no example of a message";
}

}  // namespace
