#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>
#include <thread>

#include "host/GzipFile.h"
#include "support/Gzip.h"

namespace {

using Host::GzipFile;
using Host::GzipInputStream;
using Host::GzipIStream;

// Text like an SD file's data items: repeats that compress well, numbers
// that do not, so deflate blocks end at all kinds of bit positions.
std::string SampleData(std::size_t size, unsigned seed = 7)
{
    std::mt19937 random(seed);
    std::ostringstream text;
    for (int record = 0; static_cast<std::size_t>(text.tellp()) < size; ++record) {
        text << "CHEMBL" << random() % 10000000 << "\n  RDKit          2D\n\n"
             << ">  <MW>\n" << (random() % 100000) / 100.0 << "\n\n>  <SMILES>\n";
        for (unsigned n = random() % 40; n > 0; --n)
            text << "CNOc1()=[]#"[random() % 11];
        text << "\n\n$$$$\n";
    }
    std::string data = text.str();
    data.resize(size);
    return data;
}

std::string WriteFile(const std::string& name, const std::string& bytes)
{
    const std::string path = testing::TempDir() + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

std::string ReadAll(Host::InputStream& stream)
{
    std::string data;
    char buffer[70000];
    while (const std::size_t n = stream.Read(buffer, sizeof buffer))
        data.append(buffer, n);
    return data;
}

// Reads at random places through the standard stream, each compared with
// the data.
void ExpectRandomReads(GzipIStream& stream, const std::string& data, unsigned seed)
{
    std::mt19937 random(seed);
    for (int i = 0; i < 60; ++i) {
        const std::size_t at = random() % (data.size() + 1);
        const std::size_t size = random() % 5000;
        stream.clear();
        stream.seekg(static_cast<std::streamoff>(at));
        std::string got(size, '\0');
        stream.read(got.data(), static_cast<std::streamsize>(size));
        got.resize(static_cast<std::size_t>(stream.gcount()));
        ASSERT_EQ(got, data.substr(at, size)) << "at " << at;
        EXPECT_FALSE(stream.bad());
    }
}

TEST(GzipFile, ReadThroughNotesPlacesThatServeReadsAnywhere)
{
    const std::string data = SampleData(5 << 20);
    for (const int strategy : {Z_DEFAULT_STRATEGY, Z_FILTERED, Z_HUFFMAN_ONLY}) {
        SCOPED_TRACE(strategy);
        const std::string path = WriteFile("sample.gz", VorlatTest::Gzip(data, 6, strategy));
        boost::shared_ptr<GzipFile> file(new GzipFile(path));
        ASSERT_TRUE(file->IsOpen());
        ASSERT_TRUE(GzipFile::IsGzipFile(path));
        file->SetAccessPointSpan(256 << 10);
        GzipInputStream pass(file);
        EXPECT_EQ(pass.GetLength(), -1) << "the length is known only at the end";
        ASSERT_EQ(ReadAll(pass), data);
        EXPECT_FALSE(pass.HasReadError());
        EXPECT_EQ(pass.GetLength(), static_cast<std::int64_t>(data.size()));
        EXPECT_GE(file->AccessPointCount(), 10u);

        GzipIStream cells(file);
        ExpectRandomReads(cells, data, 1);
        cells.clear();
        cells.seekg(-10, std::ios::end);
        std::string last(20, '\0');
        cells.read(last.data(), 20);
        EXPECT_EQ(std::string(last.data(), static_cast<std::size_t>(cells.gcount())), data.substr(data.size() - 10));
    }
}

TEST(GzipFile, PlacesHoldAFewPercentOfTheData)
{
    const std::string data = SampleData(12 << 20, 3);
    const std::string path = WriteFile("span.gz", VorlatTest::Gzip(data));
    boost::shared_ptr<GzipFile> file(new GzipFile(path));
    EXPECT_EQ(file->ReadLength(), static_cast<std::int64_t>(data.size()));
    EXPECT_GE(file->AccessPointCount(), 10u);
    EXPECT_LE(static_cast<double>(file->AccessPointBytes()), 0.04 * static_cast<double>(data.size()));
}

TEST(GzipFile, SeeksBeforeAnyPassReadOnAndNotePlaces)
{
    const std::string data = SampleData(3 << 20, 11);
    const std::string path = WriteFile("lazy.gz", VorlatTest::Gzip(data, 9));
    boost::shared_ptr<GzipFile> file(new GzipFile(path));
    file->SetAccessPointSpan(100 << 10);
    GzipIStream stream(file);
    // Seeking relative to the end fails until the end has been reached.
    EXPECT_FALSE(stream.seekg(0, std::ios::end));
    stream.clear();
    ExpectRandomReads(stream, data, 2);
    EXPECT_GT(file->AccessPointCount(), 0u);
    GzipInputStream other(file);
    ASSERT_TRUE(other.Seek(static_cast<std::int64_t>(data.size()) - 5));
    EXPECT_EQ(ReadAll(other), data.substr(data.size() - 5));
}

TEST(GzipFile, MembersOneAfterAnotherAreOneData)
{
    const std::string data = SampleData(2 << 20, 5);
    // Small members as bgzip writes them, an empty member, and zero bytes
    // after the last as some tools pad.
    std::string bytes = VorlatTest::GzipMembers(data.substr(0, 700000), 65280) + VorlatTest::Gzip("") +
                        VorlatTest::GzipMembers(data.substr(700000), 900000) + std::string(100, '\0');
    const std::string path = WriteFile("members.gz", bytes);
    boost::shared_ptr<GzipFile> file(new GzipFile(path));
    file->SetAccessPointSpan(50000);
    GzipInputStream pass(file);
    ASSERT_EQ(ReadAll(pass), data);
    EXPECT_FALSE(pass.HasReadError());
    GzipIStream cells(file);
    ExpectRandomReads(cells, data, 3);
}

TEST(GzipFile, EmptyDataIsNoError)
{
    boost::shared_ptr<GzipFile> file(new GzipFile(WriteFile("empty.gz", VorlatTest::Gzip(""))));
    GzipInputStream stream(file);
    EXPECT_EQ(ReadAll(stream), "");
    EXPECT_FALSE(stream.HasReadError());
    EXPECT_EQ(stream.GetLength(), 0);
}

TEST(GzipFile, CorruptTruncatedOrTrailedDataIsAReadError)
{
    const std::string data = SampleData(1 << 20, 9);
    const std::string good = VorlatTest::Gzip(data);
    std::vector<std::pair<std::string, std::string>> cases = {
        {"no bytes", ""},
        {"header only", good.substr(0, 10)},
        {"cut in the middle", good.substr(0, good.size() / 2)},
        {"cut in the trailer", good.substr(0, good.size() - 3)},
        {"garbage after the member", good + "garbage"},
    };
    std::string flipped = good;
    flipped[flipped.size() / 3] ^= 0x55;
    cases.emplace_back("a byte changed", flipped);
    std::string badCheck = good;
    badCheck[badCheck.size() - 6] ^= 1;
    cases.emplace_back("wrong check value", badCheck);
    for (const auto& [what, bytes] : cases) {
        SCOPED_TRACE(what);
        boost::shared_ptr<GzipFile> file(new GzipFile(WriteFile("bad.gz", bytes)));
        GzipInputStream pass(file);
        ReadAll(pass);
        EXPECT_TRUE(pass.HasReadError());
        GzipIStream stream(file);
        std::string all((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
        stream.peek();
        EXPECT_TRUE(stream.bad());
    }
}

TEST(GzipFile, AFileCutAfterItsPassReadsShortWithoutHarm)
{
    const std::string data = SampleData(3 << 20, 13);
    const std::string bytes = VorlatTest::Gzip(data);
    const std::string path = WriteFile("cut-later.gz", bytes);
    boost::shared_ptr<GzipFile> file(new GzipFile(path));
    file->SetAccessPointSpan(128 << 10);
    GzipInputStream pass(file);
    ASSERT_EQ(ReadAll(pass), data);
    // Cut, then overwritten with other compressed data: every place noted
    // now points at the wrong bytes.
    WriteFile("cut-later.gz", bytes.substr(0, bytes.size() / 2));
    GzipIStream cells(file);
    cells.seekg(static_cast<std::streamoff>(data.size() - 1000));
    std::string tail(1000, '\0');
    cells.read(tail.data(), 1000);
    EXPECT_EQ(cells.gcount(), 0);
    EXPECT_TRUE(cells.bad());
    WriteFile("cut-later.gz", VorlatTest::Gzip(SampleData(3 << 20, 14)));
    GzipIStream other(file);
    std::mt19937 random(4);
    for (int i = 0; i < 30; ++i) {
        other.clear();
        other.seekg(static_cast<std::streamoff>(random() % data.size()));
        std::string got(3000, '\0');
        other.read(got.data(), 3000);
    }
}

TEST(GzipFile, StreamsOnSeveralThreadsShareTheNotedPlaces)
{
    // One thread reads the data through (noting places) while others read
    // at random places, each through streams of its own over one file.
    const std::string data = SampleData(4 << 20, 21);
    const std::string path = WriteFile("threads.gz", VorlatTest::Gzip(data));
    boost::shared_ptr<GzipFile> file(new GzipFile(path));
    file->SetAccessPointSpan(64 << 10);
    std::vector<std::string> failures(3);
    std::vector<std::thread> threads;
    threads.emplace_back([&] {
        GzipInputStream pass(file);
        if (ReadAll(pass) != data)
            failures[0] = "the pass read other data";
    });
    for (unsigned t = 1; t < 3; ++t) {
        threads.emplace_back([&, t] {
            GzipIStream stream(file);
            std::mt19937 random(t);
            for (int i = 0; i < 40; ++i) {
                const std::size_t at = random() % data.size();
                std::string got(2000, '\0');
                stream.clear();
                stream.seekg(static_cast<std::streamoff>(at));
                stream.read(got.data(), 2000);
                got.resize(static_cast<std::size_t>(stream.gcount()));
                if (got != data.substr(at, 2000))
                    failures[t] = "other data at " + std::to_string(at);
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    for (const auto& failure : failures)
        EXPECT_EQ(failure, "");
    EXPECT_EQ(file->KnownLength(), static_cast<std::int64_t>(data.size()));
}

} // namespace
