#include "parser.h"

namespace zelk4th {

const char *type_name(Ty t) {
    switch (t) {
    case Ty::Int: return "integer";
    case Ty::Real: return "real";
    case Ty::Dual: return "real";
    case Ty::Str: return "string";
    case Ty::None: break;
    }
    return "nothing";
}

namespace {

class Parser {
public:
    explicit Parser(const std::vector<Token> &toks) : t_(toks) {}

    Unit unit(const std::string &evaluate_name) {
        Unit u;
        while (!at_end()) {
            if (is_punct("}"))
                throw Error(peek().loc, "a closing brace without a function: an analog function without any "
                                        "statement gets no C header from the translator");
            if (!is_type_word(peek(), false))
                fail("expected a declaration or a function definition");
            if (peek(1).kind == Tok::Ident && peek(2).text == "(" && peek(2).kind == Tok::Punct) {
                u.functions.push_back(function(evaluate_name));
                if (u.functions.back()->is_evaluate) {
                    if (u.evaluate) throw Error(u.functions.back()->loc, "a second evaluate function '" +
                                                                         evaluate_name + "'");
                    u.evaluate = u.functions.back().get();
                }
            } else {
                u.module_decls.push_back(declaration());
            }
        }
        if (!u.evaluate) throw Error(peek().loc, "no evaluate function '" + evaluate_name + "' in the file");
        return u;
    }

    ExprP whole_expression() {
        ExprP e = expression();
        if (!at_end()) fail("unexpected text after the expression");
        return e;
    }

private:
    const std::vector<Token> &t_;
    size_t pos_ = 0;

    const Token &peek(size_t ahead = 0) const {
        size_t i = pos_ + ahead;
        return i < t_.size() ? t_[i] : t_.back();
    }
    bool at_end() const { return peek().kind == Tok::End; }
    bool is_punct(const char *p, size_t ahead = 0) const {
        return peek(ahead).kind == Tok::Punct && peek(ahead).text == p;
    }
    bool is_word(const char *w, size_t ahead = 0) const {
        return peek(ahead).kind == Tok::Ident && peek(ahead).text == w;
    }
    static bool is_type_word(const Token &t, bool allow_double) {
        return t.kind == Tok::Ident &&
               (t.text == "DoubleRec" || t.text == "int" || (allow_double && t.text == "double"));
    }
    const Token &take() {
        const Token &t = peek();
        if (pos_ < t_.size() - 1) ++pos_;
        return t;
    }
    [[noreturn]] void fail(const std::string &what) const {
        const Token &t = peek();
        std::string found = t.kind == Tok::End ? "the end of the file" : "'" + t.text + "'";
        throw Error(t.loc, what + ", found " + found);
    }
    void expect(const char *p) {
        if (!is_punct(p)) fail(std::string("expected '") + p + "'");
        take();
    }
    const Token &expect_ident(const char *what) {
        if (peek().kind != Tok::Ident) fail(std::string("expected ") + what);
        return take();
    }

    StmtP declaration() {
        auto s = std::make_unique<Stmt>();
        s->kind = StmtKind::Decl;
        s->loc = peek().loc;
        s->decl_real = take().text == "DoubleRec";
        for (;;) {
            s->names.push_back(expect_ident("a variable name").text);
            if (!is_punct(",")) break;
            take();
        }
        expect(";");
        return s;
    }

    std::unique_ptr<FuncDef> function(const std::string &evaluate_name) {
        auto f = std::make_unique<FuncDef>();
        f->loc = peek().loc;
        f->ret = take().text;
        f->name = take().text;
        f->is_evaluate = f->name == evaluate_name;
        expect("(");
        if (!is_punct(")")) {
            for (;;) {
                f->param_locs.push_back(peek().loc);
                f->params.push_back(expect_ident("an argument name").text);
                if (!is_punct(",")) break;
                take();
            }
        }
        expect(")");
        while (is_type_word(peek(), true)) {
            std::string type = take().text;
            for (;;) {
                ArgDecl d;
                d.type = type;
                if (is_punct("*")) {
                    take();
                    d.ptr = true;
                }
                d.loc = peek().loc;
                d.name = expect_ident("an argument name").text;
                f->decls.push_back(d);
                if (!is_punct(",")) break;
                take();
            }
            expect(";");
        }
        if (!is_punct("{")) fail("expected '{' to open the body of '" + f->name + "'");
        f->body = block();
        return f;
    }

    StmtP block() {
        auto s = std::make_unique<Stmt>();
        s->kind = StmtKind::Block;
        s->loc = peek().loc;
        expect("{");
        while (!is_punct("}")) {
            if (at_end()) fail("expected '}'");
            if (is_type_word(peek(), false))
                s->body.push_back(declaration());
            else
                s->body.push_back(statement());
        }
        take();
        return s;
    }

    StmtP statement() {
        if (is_punct("{")) return block();
        auto s = std::make_unique<Stmt>();
        s->loc = peek().loc;
        if (is_punct(";")) {
            take();
            s->kind = StmtKind::Empty;
            return s;
        }
        if (is_word("if")) {
            take();
            s->kind = StmtKind::If;
            expect("(");
            s->cond = expression();
            expect(")");
            s->then_s = body();
            if (is_word("else")) {
                take();
                s->else_s = body();
            }
            return s;
        }
        if (is_word("while")) {
            take();
            s->kind = StmtKind::While;
            expect("(");
            s->cond = expression();
            expect(")");
            s->then_s = body();
            return s;
        }
        if (is_word("for")) {
            take();
            s->kind = StmtKind::For;
            expect("(");
            if (!is_punct(";")) s->init = assignment();
            expect(";");
            if (!is_punct(";")) s->cond = expression();
            expect(";");
            if (!is_punct(")")) s->step = assignment();
            expect(")");
            s->then_s = body();
            return s;
        }
        if (is_word("return")) {
            take();
            s->kind = StmtKind::Return;
            s->value = expression();
            expect(";");
            return s;
        }
        if (is_word("else")) fail("expected a statement");
        if ((is_word("_I") || is_word("_V")) && is_punct("(", 1)) {
            s->kind = StmtKind::Contrib;
            s->flow = take().text == "_I";
            expect("(");
            s->nodes.push_back(expect_ident("a node name").text);
            if (is_punct(",")) {
                take();
                s->nodes.push_back(expect_ident("a node name").text);
            }
            expect(")");
            expect("<==");
            s->value = expression();
            expect(";");
            return s;
        }
        StmtP a = assignment_or_expression();
        expect(";");
        return a;
    }

    // The body of a branch or loop.  The translator writes $strobe as two
    // statements, the call and printf("\n"); without braces around them the
    // second would fall out of the branch (and an "else" after it would not
    // parse), so a body that is a printf call takes the newline with it.
    StmtP body() {
        StmtP s = statement();
        bool strobe = s->kind == StmtKind::ExprStmt && s->value->kind == ExprKind::Call && s->value->text == "printf";
        if (strobe && is_word("printf") && is_punct("(", 1) && peek(2).kind == Tok::String && peek(2).text == "\"\\n\"" &&
            is_punct(")", 3) && is_punct(";", 4)) {
            auto block = std::make_unique<Stmt>();
            block->kind = StmtKind::Block;
            block->loc = s->loc;
            block->body.push_back(std::move(s));
            block->body.push_back(statement());
            return block;
        }
        return s;
    }

    StmtP assignment() {
        StmtP s = assignment_or_expression();
        if (s->kind != StmtKind::Assign) throw Error(s->loc, "expected an assignment");
        return s;
    }

    StmtP assignment_or_expression() {
        auto s = std::make_unique<Stmt>();
        s->loc = peek().loc;
        ExprP e = expression();
        if (is_punct("=")) {
            take();
            if (e->kind != ExprKind::Name && e->kind != ExprKind::Deref)
                throw Error(e->loc, "the left side of '=' is not a variable");
            s->kind = StmtKind::Assign;
            s->target = std::move(e);
            s->value = expression();
        } else {
            s->kind = StmtKind::ExprStmt;
            s->value = std::move(e);
        }
        return s;
    }

    static ExprP node(ExprKind k, const Loc &loc, const std::string &text = std::string()) {
        auto e = std::make_unique<Expr>();
        e->kind = k;
        e->loc = loc;
        e->text = text;
        return e;
    }

    ExprP expression() {
        ExprP c = binary(0);
        if (!is_punct("?")) return c;
        ExprP e = node(ExprKind::Cond, peek().loc);
        take();
        e->kids.push_back(std::move(c));
        e->kids.push_back(expression());
        expect(":");
        e->kids.push_back(expression());
        return e;
    }

    // Binary operators by precedence level, loosest first.
    ExprP binary(int level) {
        static const std::vector<std::vector<const char *>> levels = {
            {"||"}, {"&&"}, {"==", "!="}, {"<", ">", "<=", ">="}, {"+", "-"}, {"*", "/"}};
        if (level == static_cast<int>(levels.size())) return unary();
        ExprP left = binary(level + 1);
        for (;;) {
            const char *op = nullptr;
            for (const char *candidate : levels[static_cast<size_t>(level)])
                if (is_punct(candidate)) op = candidate;
            if (!op) {
                if (level == 5 && is_punct("%")) fail("the operator '%' is not supported");
                return left;
            }
            ExprP e = node(ExprKind::Binary, peek().loc, op);
            take();
            e->kids.push_back(std::move(left));
            e->kids.push_back(binary(level + 1));
            left = std::move(e);
        }
    }

    ExprP unary() {
        const Loc loc = peek().loc;
        if (is_punct("+")) {
            take();
            return unary();
        }
        ExprKind k;
        if (is_punct("-"))
            k = ExprKind::Neg;
        else if (is_punct("&"))
            k = ExprKind::AddrOf;
        else if (is_punct("*"))
            k = ExprKind::Deref;
        else
            return postfix();
        take();
        ExprP e = node(k, loc);
        e->kids.push_back(unary());
        return e;
    }

    ExprP postfix() {
        ExprP e = primary();
        if (is_punct("--")) {
            ExprP d = node(ExprKind::PostDec, peek().loc);
            take();
            d->kids.push_back(std::move(e));
            return d;
        }
        return e;
    }

    ExprP primary() {
        const Token &t = peek();
        switch (t.kind) {
        case Tok::Int: take(); return node(t.scaled ? ExprKind::Real : ExprKind::Int, t.loc, t.text);
        case Tok::Real: take(); return node(ExprKind::Real, t.loc, t.text);
        case Tok::String: take(); return node(ExprKind::Str, t.loc, t.text);
        case Tok::Ident: {
            take();
            if (!is_punct("(")) return node(ExprKind::Name, t.loc, t.text);
            ExprP call = node(ExprKind::Call, t.loc, t.text);
            take();
            if (!is_punct(")")) {
                for (;;) {
                    call->kids.push_back(expression());
                    if (!is_punct(",")) break;
                    take();
                }
            }
            expect(")");
            return call;
        }
        case Tok::Punct:
            if (t.text == "(") {
                take();
                ExprP e = expression();
                expect(")");
                return e;
            }
            break;
        case Tok::End: break;
        }
        fail("expected an expression");
    }
};

}  // namespace

Unit parse_unit(const std::vector<Token> &tokens, const std::string &evaluate_name) {
    return Parser(tokens).unit(evaluate_name);
}

ExprP parse_expression(const std::vector<Token> &tokens) { return Parser(tokens).whole_expression(); }

}  // namespace zelk4th
