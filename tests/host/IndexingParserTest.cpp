#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host/IndexingParser.h"
#include "host/SimpleStreamBuffer.h"
#include "host/StdInputStream.h"

using Host::IndexingParser;

namespace {

// A parser over text, read through a buffer of the given size.
struct Scan {
    Scan(const std::string& text, std::size_t bufferSize)
        : stream(text),
          input(new Host::StdInputStream(stream)),
          parser(boost::shared_ptr<Host::BaseStreamBuffer>(new Host::SimpleStreamBuffer(input, bufferSize)))
    {
    }
    std::istringstream stream;
    boost::shared_ptr<Host::InputStream> input;
    IndexingParser parser;
};

// Every match of the targets in the text, as "offset:which", reading the
// matched line after each find.
std::vector<std::string> AllMatches(const std::string& text, std::size_t bufferSize,
                                    const std::vector<std::string>& targets, bool wholeDollars = false)
{
    Scan scan(text, bufferSize);
    if (wholeDollars)
        scan.parser.SetWholeLineTargets({"$$$$"});
    std::vector<std::string> found;
    int which = -1;
    std::string line;
    for (std::int64_t at; (at = scan.parser.FindFirstString(targets, which, false, false)) >= 0;) {
        found.push_back(std::to_string(at) + ":" + std::to_string(which));
        scan.parser.ReadLine(line, false, true);
    }
    return found;
}

} // namespace

TEST(IndexingParser, FindsMarkersOnlyAtLineStartsWithAnyLineEnd)
{
    const std::vector<std::string> targets{"$$$$", "M  END", ">"};
    const std::string lf = "name > x $$$$\nM  END\n> <a>\n1\n\n$$$$\n";
    const std::vector<std::string> expected{"14:1", "21:2", "30:0"};
    for (std::size_t buffer : {1, 2, 3, 5, 8, 8191}) {
        EXPECT_EQ(AllMatches(lf, buffer, targets), expected) << buffer;
        // The same text with CR LF and with lone CR line ends.
        std::string crlf, cr;
        for (char c : lf) {
            crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
            cr += c == '\n' ? '\r' : c;
        }
        EXPECT_EQ(AllMatches(cr, buffer, targets), expected) << buffer;
        EXPECT_EQ(AllMatches(crlf, buffer, targets), (std::vector<std::string>{"15:1", "23:2", "35:0"})) << buffer;
    }
    // "$$$$" as a whole line only, when asked: a longer line is text.
    EXPECT_EQ(AllMatches("$$$$x\n$$$$ \n$$$$\r\n$$$$", 4, {"$$$$"}, true),
              (std::vector<std::string>{"12:0", "18:0"}));
}

TEST(IndexingParser, ReadLineAndFindCooperate)
{
    for (std::size_t buffer : {1, 3, 7, 8191}) {
        Scan scan("first\r\n\rthird\nM  END\nafter\nlast", buffer);
        IndexingParser& p = scan.parser;
        std::string line;
        char c = 0;
        ASSERT_TRUE(p.Peek(c));
        EXPECT_EQ(c, 'f');
        EXPECT_EQ(p.ReadLine(line, false, true), 0);
        EXPECT_EQ(line, "first");
        EXPECT_EQ(p.ReadLine(line, false, true), 7); // an empty line ended by a lone CR
        EXPECT_EQ(line, "");
        int which = -1;
        EXPECT_EQ(p.FindString("M  END", false, false), 14);
        // A search standing at a match finds it again.
        EXPECT_EQ(p.FindFirstString({"x", "M  END"}, which, true, false), 14);
        EXPECT_EQ(which, 1);
        // Right after a find, skipping the current line yields the next one.
        EXPECT_EQ(p.ReadLine(line, true, true), 21);
        EXPECT_EQ(line, "after");
        EXPECT_EQ(p.ReadLine(line, false, true), 27);
        EXPECT_EQ(line, "last");
        EXPECT_EQ(p.GetPosition(), 31);
        EXPECT_LT(p.ReadLine(line, false, true), 0);
        EXPECT_FALSE(p.Peek(c));
        EXPECT_LT(p.FindString("last", false, false), 0);
    }
}

TEST(IndexingParser, MarkersAfterBlanksWhenAsked)
{
    Scan scan("x\n  \t@<TRIPOS>MOLECULE  \ny @<TRIPOS>MOLECULE\n", 4);
    scan.parser.SetSkipLeadingBlanks(true);
    std::string line;
    EXPECT_EQ(scan.parser.FindString("@<TRIPOS>MOLECULE", false, false), 5);
    EXPECT_EQ(scan.parser.ReadLine(line, false, true), 5);
    EXPECT_EQ(line, "@<TRIPOS>MOLECULE  ");
    EXPECT_LT(scan.parser.FindString("@<TRIPOS>MOLECULE", false, false), 0);
}
