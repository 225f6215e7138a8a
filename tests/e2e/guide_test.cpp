// The user's guide (docs/guide.md) checked against the program: every
// message the sources can print is documented there, no documented message
// is stale, and the complete example models it shows translate with exactly
// the standard error it shows.
//
// How the guide writes a message: as an inline code span whose text is the
// message's printf format, blanks included, without the final newline and
// without blanks at either end ("`!! Error: '%s' not existing ...`").
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "support/harness.h"

namespace fs = std::filesystem;
using zelktest::read_file;

namespace {

// Undoes the simple C escapes; others are kept as written.
std::string decode_escapes(const std::string &raw) {
    std::string out;
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != '\\' || i + 1 == raw.size()) {
            out += raw[i];
            continue;
        }
        char c = raw[++i];
        switch (c) {
            case 'n': out += '\n'; break;
            case 't': out += '\t'; break;
            case '"': out += '"'; break;
            case '\'': out += '\''; break;
            case '\\': out += '\\'; break;
            default: out += '\\'; out += c; break;
        }
    }
    return out;
}

// The string literals of a C, C++, flex or bison source, with adjacent
// literals (separated only by white space and comments) joined into one, as
// the compiler joins them. A quote that opens no literal ending on its own
// line (a flex pattern such as ["<]) is taken as a plain character, so that
// one stray quote cannot hide the literals that follow.
std::vector<std::string> string_literals(const std::string &src) {
    std::vector<std::string> result;
    std::string current;
    bool open = false;  // a literal was read and may still be continued
    size_t i = 0;
    const size_t n = src.size();
    auto finish = [&] {
        if (open) result.push_back(decode_escapes(current));
        current.clear();
        open = false;
    };
    while (i < n) {
        char c = src[i];
        if (c == '/' && i + 1 < n && src[i + 1] == '/') {
            while (i < n && src[i] != '\n') ++i;
        } else if (c == '/' && i + 1 < n && src[i + 1] == '*') {
            size_t end = src.find("*/", i + 2);
            i = end == std::string::npos ? n : end + 2;
        } else if (c == '"') {
            size_t j = i + 1;
            while (j < n && src[j] != '"' && src[j] != '\n') j += src[j] == '\\' ? 2 : 1;
            if (j < n && src[j] == '"') {
                current += src.substr(i + 1, j - i - 1);
                open = true;
                i = j + 1;
            } else {
                finish();
                ++i;
            }
        } else if (c == '\'') {
            // A character literal: '"' must not open a string.
            size_t j = i + 1;
            while (j < n && src[j] != '\'' && src[j] != '\n') j += src[j] == '\\' ? 2 : 1;
            finish();
            i = (j < n && src[j] == '\'') ? j + 1 : i + 1;
        } else if (c == '\\') {
            finish();
            i += 2;
        } else if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            ++i;
        } else {
            finish();
            ++i;
        }
    }
    finish();
    return result;
}

std::string trim_blanks(const std::string &s) {
    size_t b = s.find_first_not_of(' ');
    if (b == std::string::npos) return std::string();
    size_t e = s.find_last_not_of(' ');
    return s.substr(b, e - b + 1);
}

// The message a literal prints, in the guide's form, or "" when the literal
// is not a diagnostic ("!! " after optional blanks).
std::string message_form(const std::string &literal) {
    std::string text = literal;
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    text = trim_blanks(text);
    return text.compare(0, 3, "!! ") == 0 ? text : std::string();
}

std::set<std::string> messages_in(const std::string &src) {
    std::set<std::string> found;
    for (const std::string &lit : string_literals(src)) {
        std::string m = message_form(lit);
        if (!m.empty()) found.insert(m);
    }
    return found;
}

// Inline code spans of a Markdown text outside fenced blocks, with the
// blank padding that delimiters need removed.
std::vector<std::string> code_spans(const std::string &md) {
    std::vector<std::string> spans;
    std::string text;
    bool fenced = false;
    size_t pos = 0;
    while (pos < md.size()) {
        size_t eol = md.find('\n', pos);
        std::string line = md.substr(pos, eol == std::string::npos ? std::string::npos : eol - pos);
        pos = eol == std::string::npos ? md.size() : eol + 1;
        if (line.compare(0, 3, "```") == 0) {
            fenced = !fenced;
            text += '\n';
            continue;
        }
        if (!fenced) text += line + '\n';
    }
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] != '`') {
            ++i;
            continue;
        }
        size_t run = text.find_first_not_of('`', i) - i;
        std::string fence(run, '`');
        size_t close = text.find(fence, i + run);
        while (close != std::string::npos && close + run < text.size() && text[close + run] == '`')
            close = text.find(fence, text.find_first_not_of('`', close));
        if (close == std::string::npos) break;
        std::string content = text.substr(i + run, close - i - run);
        std::replace(content.begin(), content.end(), '\n', ' ');
        spans.push_back(trim_blanks(content));
        i = close + run;
    }
    return spans;
}

std::string guide_text() {
    return read_file(std::string(ZELK_SOURCE_DIR) + "/docs/guide.md");
}

// Every message the translator's sources can print, and the files read.
std::set<std::string> source_messages(int *files) {
    std::set<std::string> all;
    *files = 0;
    for (const auto &entry : fs::recursive_directory_iterator(std::string(ZELK_SOURCE_DIR) + "/src")) {
        if (!entry.is_regular_file()) continue;
        std::string ext = entry.path().extension().string();
        if (ext != ".cpp" && ext != ".h" && ext != ".l" && ext != ".y") continue;
        ++*files;
        for (const std::string &m : messages_in(read_file(entry.path().string()))) all.insert(m);
    }
    return all;
}

TEST(GuideMessages, ExtractsMessagesAsTheCompilerJoinsThem) {
    const std::string src =
        "zelk_error(\"!! Error: '%s' split \"\n"
        "           // \"!! Error: in a line comment\"\n"
        "           \"over lines:%d .\\n\", a, b);\n"
        "/* \"!! Error: in a block comment\" */\n"
        "char q = '\"'; f(\"!! Warning : after a quote character\\n\");\n"
        "printf(\" !! Error:  with blanks around   \\n\");\n"
        "s = \"text \\\"!! quoted\\\" inside\";\n"
        "t = \"!! Error: with \\\"quotes\\\" inside\";\n"
        "[\"<][a-z]+ { return 1; }\n"
        "u = \"!! Error: after a stray quote\";\n"
        "v = \"no message\" \"!! joined after text\";\n";
    std::set<std::string> expected = {
        "!! Error: '%s' split over lines:%d .",
        "!! Warning : after a quote character",
        "!! Error:  with blanks around",
        "!! Error: with \"quotes\" inside",
        "!! Error: after a stray quote",
    };
    EXPECT_EQ(messages_in(src), expected);
}

TEST(GuideMessages, ReadsCodeSpansOutsideFencedBlocks) {
    const std::string md =
        "Plain `!! Error: one` and `` !! Error: a '`%s' tick `` text.\n"
        "```\n"
        "`!! Error: inside a fence`\n"
        "```\n"
        "| cell | `!! Warning :  two  blanks` |\n";
    std::vector<std::string> expected = {"!! Error: one", "!! Error: a '`%s' tick",
                                         "!! Warning :  two  blanks"};
    EXPECT_EQ(code_spans(md), expected);
}

TEST(Guide, DocumentsEveryMessageTheSourcesCanPrint) {
    int files = 0;
    std::set<std::string> messages = source_messages(&files);
    ASSERT_GT(files, 0) << "no source file found under " << ZELK_SOURCE_DIR << "/src";
    ASSERT_FALSE(messages.empty()) << "no diagnostic found in the sources";
    std::vector<std::string> spans = code_spans(guide_text());
    std::set<std::string> documented(spans.begin(), spans.end());
    std::string missing;
    for (const std::string &m : messages)
        if (!documented.count(m)) missing += "  " + m + "\n";
    EXPECT_TRUE(missing.empty()) << "messages missing from docs/guide.md (write each as an inline "
                                    "code span, format kept verbatim):\n"
                                 << missing;
}

TEST(Guide, DocumentsNoMessageTheSourcesCannotPrint) {
    int files = 0;
    std::set<std::string> messages = source_messages(&files);
    std::string stale;
    for (const std::string &span : code_spans(guide_text()))
        if (span.compare(0, 2, "!!") == 0 && !messages.count(span)) stale += "  " + span + "\n";
    EXPECT_TRUE(stale.empty()) << "docs/guide.md documents messages that no source prints:\n"
                               << stale;
}

// The fenced blocks of the guide, as (info string, content) pairs.
std::vector<std::pair<std::string, std::string>> fenced_blocks(const std::string &md) {
    std::vector<std::pair<std::string, std::string>> blocks;
    size_t pos = 0;
    bool inside = false;
    std::string info, content;
    while (pos < md.size()) {
        size_t eol = md.find('\n', pos);
        std::string line = md.substr(pos, eol == std::string::npos ? std::string::npos : eol - pos);
        pos = eol == std::string::npos ? md.size() : eol + 1;
        if (line.compare(0, 3, "```") == 0) {
            if (inside) blocks.emplace_back(info, content);
            inside = !inside;
            info = line.substr(3);
            content.clear();
        } else if (inside) {
            content += line + "\n";
        }
    }
    return blocks;
}

int counted_errors(const std::string &err) {
    int n = 0;
    size_t pos = 0;
    while (pos < err.size()) {
        if (err.compare(pos, 8, "!! Error") == 0 || err.compare(pos, 17, "!! Internal Error") == 0)
            ++n;
        size_t eol = err.find('\n', pos);
        pos = eol == std::string::npos ? err.size() : eol + 1;
    }
    return n;
}

// A block "```va" is a whole source file. When a block "```stderr" follows
// it, that is the exact standard error of its translation; otherwise the
// file translates without a message and runs both stages.
TEST(Guide, ExampleModelsTranslateAsShown) {
    auto blocks = fenced_blocks(guide_text());
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
            EXPECT_EQ(r.status, counted_errors(want_err) % 256);
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
