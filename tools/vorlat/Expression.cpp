#include "Expression.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

#include "CommandLine.h"
#include "TableFile.h"
#include "host/StringConversion.h"

namespace vorlat {

struct Expression::Node {
    enum class Kind { Or, And, Not, Compare, Search, Empty };
    enum class Op { Less, LessEqual, Greater, GreaterEqual, Equal, NotEqual };

    Kind kind = Kind::Compare;
    std::unique_ptr<Node> left;
    std::unique_ptr<Node> right;
    int column = -1;
    Op op = Op::Equal;
    bool numeric = false;
    double number = 0;
    std::wstring text;
    std::regex pattern;
    bool negated = false; // "is not empty"
};

bool CellNumber(const boost::any& value, double& number)
{
    const std::type_info& type = value.type();
    if (type == typeid(int))
        number = boost::any_cast<int>(value);
    else if (type == typeid(float))
        number = boost::any_cast<float>(value);
    else if (type == typeid(double))
        number = boost::any_cast<double>(value);
    else
        return false;
    return !std::isnan(number);
}

namespace {

using Node = Expression::Node;

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

struct Token {
    enum class Type { Name, Text, Number, Symbol, End };
    Type type = Type::End;
    std::string text; // a name, a text's contents, a symbol, a number's digits
    double number = 0;
    std::size_t at = 0; // 0-based place in the expression
    bool quotedName = false;
};

class Parser {
public:
    Parser(const std::string& text, Host::ITableDataProvider& table, std::vector<int>& columns)
        : m_Text(text), m_Columns(columns)
    {
        for (int column = 0; column < table.GetColumnCount(); ++column)
            m_Titles.push_back(Host::ToSString(table.GetColumnTitle(column)));
        Next();
    }

    std::unique_ptr<Node> Parse()
    {
        if (m_Token.type == Token::Type::End)
            Fail(m_Token.at, "the expression is empty");
        std::unique_ptr<Node> node = Or();
        if (m_Token.type != Token::Type::End)
            Fail(m_Token.at, "expected \"and\", \"or\" or the end, not " + Describe(m_Token));
        return node;
    }

private:
    [[noreturn]] void Fail(std::size_t at, const std::string& what) const
    {
        throw UserError("--where, at " + std::to_string(at + 1) + ": " + what);
    }

    static std::string Describe(const Token& token)
    {
        switch (token.type) {
        case Token::Type::End:
            return "the end";
        case Token::Type::Text:
            return "'" + token.text + "'";
        default:
            return "\"" + token.text + "\"";
        }
    }

    bool IsKeyword(const char* word) const
    {
        return m_Token.type == Token::Type::Name && !m_Token.quotedName && Lower(m_Token.text) == word;
    }
    bool IsSymbol(const char* symbol) const { return m_Token.type == Token::Type::Symbol && m_Token.text == symbol; }

    void Next()
    {
        std::size_t i = m_Position;
        while (i < m_Text.size() && std::isspace(static_cast<unsigned char>(m_Text[i])))
            ++i;
        m_Token = Token();
        m_Token.at = i;
        if (i == m_Text.size()) {
            m_Position = i;
            return;
        }
        const char c = m_Text[i];
        if (c == '`' || c == '\'' || c == '"') {
            const std::size_t close = m_Text.find(c, i + 1);
            if (close == std::string::npos)
                Fail(i, std::string("the ") + (c == '`' ? "column title" : "text") + " opened here is not closed");
            m_Token.type = c == '`' ? Token::Type::Name : Token::Type::Text;
            m_Token.quotedName = c == '`';
            m_Token.text = m_Text.substr(i + 1, close - i - 1);
            m_Position = close + 1;
            return;
        }
        if (std::isdigit(static_cast<unsigned char>(c)) || ((c == '-' || c == '+' || c == '.') && i + 1 < m_Text.size() &&
                                                            (std::isdigit(static_cast<unsigned char>(m_Text[i + 1])) ||
                                                             m_Text[i + 1] == '.'))) {
            std::size_t end = i + 1;
            while (end < m_Text.size() &&
                   (std::isalnum(static_cast<unsigned char>(m_Text[end])) || m_Text[end] == '.' ||
                    ((m_Text[end] == '-' || m_Text[end] == '+') && (m_Text[end - 1] == 'e' || m_Text[end - 1] == 'E'))))
                ++end;
            m_Token.type = Token::Type::Number;
            m_Token.text = m_Text.substr(i, end - i);
            const char* first = m_Token.text.data() + (m_Token.text[0] == '+' ? 1 : 0);
            const char* last = m_Token.text.data() + m_Token.text.size();
            const auto result = std::from_chars(first, last, m_Token.number);
            if (result.ec != std::errc() || result.ptr != last)
                Fail(i, "\"" + m_Token.text + "\" is no number");
            m_Position = end;
            return;
        }
        if (std::isalpha(static_cast<unsigned char>(c)) || c == '_' || static_cast<unsigned char>(c) >= 0x80) {
            std::size_t end = i + 1;
            while (end < m_Text.size() && (std::isalnum(static_cast<unsigned char>(m_Text[end])) || m_Text[end] == '_' ||
                                           m_Text[end] == '.' || static_cast<unsigned char>(m_Text[end]) >= 0x80))
                ++end;
            m_Token.type = Token::Type::Name;
            m_Token.text = m_Text.substr(i, end - i);
            m_Position = end;
            return;
        }
        static const char* const symbols[] = {"<=", ">=", "!=", "==", "<", ">", "=", "~", "(", ")"};
        for (const char* symbol : symbols) {
            const std::size_t size = std::char_traits<char>::length(symbol);
            if (m_Text.compare(i, size, symbol) == 0) {
                m_Token.type = Token::Type::Symbol;
                m_Token.text = symbol;
                m_Position = i + size;
                return;
            }
        }
        Fail(i, std::string("unexpected \"") + c + "\"");
    }

    std::unique_ptr<Node> Or()
    {
        std::unique_ptr<Node> node = And();
        while (IsKeyword("or")) {
            Next();
            auto joined = std::make_unique<Node>();
            joined->kind = Node::Kind::Or;
            joined->left = std::move(node);
            joined->right = And();
            node = std::move(joined);
        }
        return node;
    }

    std::unique_ptr<Node> And()
    {
        std::unique_ptr<Node> node = Not();
        while (IsKeyword("and")) {
            Next();
            auto joined = std::make_unique<Node>();
            joined->kind = Node::Kind::And;
            joined->left = std::move(node);
            joined->right = Not();
            node = std::move(joined);
        }
        return node;
    }

    std::unique_ptr<Node> Not()
    {
        if (IsKeyword("not")) {
            Next();
            auto node = std::make_unique<Node>();
            node->kind = Node::Kind::Not;
            node->left = Not();
            return node;
        }
        if (IsSymbol("(")) {
            const std::size_t open = m_Token.at;
            Next();
            std::unique_ptr<Node> node = Or();
            if (!IsSymbol(")"))
                Fail(m_Token.at, "expected \")\" to close the \"(\" at " + std::to_string(open + 1) + ", not " +
                                     Describe(m_Token));
            Next();
            return node;
        }
        return Test();
    }

    int Column(const Token& token)
    {
        for (std::size_t c = 0; c < m_Titles.size(); ++c)
            if (m_Titles[c] == token.text) {
                if (std::find(m_Columns.begin(), m_Columns.end(), static_cast<int>(c)) == m_Columns.end())
                    m_Columns.push_back(static_cast<int>(c));
                return static_cast<int>(c);
            }
        // The closest title: the same but for case, else at most two
        // letters apart.
        std::string best;
        std::size_t bestDistance = 3;
        for (const std::string& title : m_Titles) {
            const std::size_t d = Lower(title) == Lower(token.text) ? 0 : EditDistance(title, token.text);
            if (d < bestDistance) {
                bestDistance = d;
                best = title;
            }
        }
        Fail(token.at, "column `" + token.text + "` not found" +
                           (best.empty() ? "; the columns are listed by vorlat info"
                                         : "; did you mean `" + best + "`?"));
    }

    std::unique_ptr<Node> Test()
    {
        if (m_Token.type != Token::Type::Name || (!m_Token.quotedName && (IsKeyword("and") || IsKeyword("or"))))
            Fail(m_Token.at, "expected a column, \"not\" or \"(\", not " + Describe(m_Token) +
                                 " (a title with spaces or punctuation goes in backquotes: `IC50 (uM)`)");
        auto node = std::make_unique<Node>();
        node->column = Column(m_Token);
        const std::string name = m_Token.text;
        Next();
        if (IsKeyword("is")) {
            Next();
            node->kind = Node::Kind::Empty;
            if (IsKeyword("not")) {
                node->negated = true;
                Next();
            }
            if (!IsKeyword("empty"))
                Fail(m_Token.at, "expected \"empty\" after \"is\", not " + Describe(m_Token));
            Next();
            return node;
        }
        if (IsSymbol("~")) {
            Next();
            if (m_Token.type != Token::Type::Text)
                Fail(m_Token.at, "expected a quoted regular expression after ~, not " + Describe(m_Token));
            node->kind = Node::Kind::Search;
            try {
                node->pattern = std::regex(m_Token.text, std::regex::ECMAScript);
            } catch (const std::regex_error& error) {
                Fail(m_Token.at, "'" + m_Token.text + "' is no regular expression (" + error.what() + ")");
            }
            Next();
            return node;
        }
        static const std::pair<const char*, Node::Op> ops[] = {
            {"<", Node::Op::Less},    {"<=", Node::Op::LessEqual}, {">", Node::Op::Greater},
            {">=", Node::Op::GreaterEqual}, {"=", Node::Op::Equal},   {"==", Node::Op::Equal},
            {"!=", Node::Op::NotEqual}};
        bool found = false;
        for (const auto& [symbol, op] : ops)
            if (IsSymbol(symbol)) {
                node->op = op;
                found = true;
            }
        if (!found)
            Fail(m_Token.at, "expected a comparison (< <= > >= = !=), ~ or \"is empty\" after `" + name + "`, not " +
                                 Describe(m_Token));
        Next();
        if (m_Token.type == Token::Type::Number) {
            node->numeric = true;
            node->number = m_Token.number;
        } else if (m_Token.type == Token::Type::Text) {
            node->text = Host::ToWString(m_Token.text);
        } else {
            Fail(m_Token.at, "expected a number or a quoted text after the comparison, not " + Describe(m_Token));
        }
        node->kind = Node::Kind::Compare;
        Next();
        return node;
    }

    const std::string& m_Text;
    std::vector<int>& m_Columns;
    std::vector<std::string> m_Titles;
    std::size_t m_Position = 0;
    Token m_Token;
};

template <class T>
bool Compare(const T& a, const T& b, Node::Op op)
{
    switch (op) {
    case Node::Op::Less:
        return a < b;
    case Node::Op::LessEqual:
        return a <= b;
    case Node::Op::Greater:
        return a > b;
    case Node::Op::GreaterEqual:
        return a >= b;
    case Node::Op::Equal:
        return a == b;
    case Node::Op::NotEqual:
        return a != b;
    }
    return false;
}

bool Evaluate(const Node& node, Host::ITableDataProvider& table, int row)
{
    switch (node.kind) {
    case Node::Kind::Or:
        return Evaluate(*node.left, table, row) || Evaluate(*node.right, table, row);
    case Node::Kind::And:
        return Evaluate(*node.left, table, row) && Evaluate(*node.right, table, row);
    case Node::Kind::Not:
        return !Evaluate(*node.left, table, row);
    default:
        break;
    }
    const boost::any value = table.GetCellData(row, node.column);
    const std::wstring text = value.empty() ? std::wstring() : CellText(value);
    if (node.kind == Node::Kind::Empty)
        return text.empty() != node.negated;
    if (text.empty())
        return false;
    if (node.kind == Node::Kind::Search)
        return std::regex_search(Host::ToSString(text), node.pattern);
    if (node.numeric) {
        double number = 0;
        return CellNumber(value, number) && Compare(number, node.number, node.op);
    }
    return Compare(text, node.text, node.op);
}

} // namespace

Expression::Expression(const std::string& text, Host::ITableDataProvider& table)
{
    Parser parser(text, table, m_Columns);
    m_Root = parser.Parse();
}

Expression::~Expression() = default;

bool Expression::Matches(Host::ITableDataProvider& table, int row) const { return Evaluate(*m_Root, table, row); }

} // namespace vorlat
