#include "platform/archive.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

#include "platform/file.h"
#include "tests/test_util.h"

namespace korvanta {
namespace {

std::vector<std::uint8_t> Bytes(std::initializer_list<int> values)
{
    std::vector<std::uint8_t> out;
    for (int v : values) out.push_back(static_cast<std::uint8_t>(v));
    return out;
}

TEST(Archive, ByteAndWordReadsThrowEndOfFileWhenDataRunsOut)
{
    CMemFile file(Bytes({0x34, 0x12, 0x7F}));
    CArchive ar(&file, CArchive::load);
    EXPECT_EQ(ar.ReadWord(), 0x1234);
    try {
        ar.ReadWord();  // one byte left: a word cannot be read
        FAIL() << "no exception";
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.m_cause, CArchiveException::endOfFile);
        EXPECT_FALSE(e.GetErrorMessage().empty());
    }
    EXPECT_EQ(ar.ReadByte(), 0x7F);  // the failed word consumed nothing
    EXPECT_THROW(ar.ReadByte(), CArchiveException);
}

TEST(Archive, ReadReturnsShortCountWithoutThrowing)
{
    CMemFile file(Bytes({1, 2, 3}));
    CArchive ar(&file, CArchive::load);
    std::uint8_t buffer[8] = {};
    EXPECT_EQ(ar.ReadByte(), 1);
    EXPECT_EQ(ar.Read(buffer, 8), 2u);
    EXPECT_EQ(buffer[0], 2);
    EXPECT_EQ(buffer[1], 3);
    EXPECT_EQ(ar.Read(buffer, 8), 0u);
}

// A failing device is not the end of the data: every read passes the file's own error on, so
// that it is reported as what it is.
TEST(Archive, DeviceErrorsAreNotTheEndOfTheData)
{
    std::vector<std::uint8_t> data(10000, 7);
    test::FailingFile file(data, 3);
    CArchive ar(&file, CArchive::load);
    std::uint8_t buffer[8] = {};
    EXPECT_EQ(ar.Read(buffer, 2), 2u);
    EXPECT_EQ(ar.ReadByte(), 7);
    EXPECT_THROW(ar.ReadByte(), CFileException);
    EXPECT_THROW(ar.ReadWord(), CFileException);
    EXPECT_THROW(ar.Read(buffer, 8), CFileException);
    std::vector<std::uint8_t> large(CArchive::kBufferSize * 2);
    EXPECT_THROW(ar.Read(large.data(), large.size()), CFileException);
}

TEST(Archive, FlushOnLoadingArchiveLeavesFilePositionAtBytesConsumed)
{
    std::vector<std::uint8_t> data(10000);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i);
    CMemFile file(data);
    CArchive ar(&file, CArchive::load);
    for (int i = 0; i < 5000; ++i) ar.ReadByte();
    ar.Flush();
    EXPECT_EQ(file.GetPosition(), 5000u);
    EXPECT_EQ(ar.ReadByte(), static_cast<std::uint8_t>(5000));
    // A large block read crosses the buffer and still lands on the right bytes.
    std::vector<std::uint8_t> rest(4999);
    EXPECT_EQ(ar.Read(rest.data(), rest.size()), rest.size());
    EXPECT_EQ(rest.back(), static_cast<std::uint8_t>(9999));
}

TEST(Archive, StoringWritesEverythingOnClose)
{
    CMemFile file;
    CArchive ar(&file, CArchive::store);
    std::vector<std::uint8_t> big(9000, 0xAB);
    ar.WriteWord(0x0102);
    ar.Write(big.data(), big.size());
    ar.WriteByte(0xCD);
    ar.Close();
    ASSERT_EQ(file.Data().size(), 9003u);
    EXPECT_EQ(file.Data()[0], 0x02);
    EXPECT_EQ(file.Data()[1], 0x01);
    EXPECT_EQ(file.Data()[9002], 0xCD);
}

class AtomicFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = std::filesystem::temp_directory_path() /
                ("korvanta-atomic-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                 "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(m_dir);
        std::filesystem::create_directories(m_dir);
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }
    std::filesystem::path m_dir;
};

TEST_F(AtomicFileTest, UncommittedWriteLeavesTargetAndNoTemporaryFile)
{
    const auto target = (m_dir / "a.gif").string();
    std::ofstream(target) << "old";
    {
        CAtomicFile file(target);
        file.Write("new contents", 12);
    }  // abandoned, as when a save throws
    EXPECT_EQ(ReadWholeFile(target), std::vector<std::uint8_t>({'o', 'l', 'd'}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_dir), {}), 1);
}

TEST_F(AtomicFileTest, CommitReplacesTarget)
{
    const auto target = (m_dir / "a.gif").string();
    std::ofstream(target) << "old";
    CAtomicFile file(target);
    file.Write("new", 3);
    file.Commit();
    EXPECT_EQ(ReadWholeFile(target), std::vector<std::uint8_t>({'n', 'e', 'w'}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_dir), {}), 1);
}

TEST_F(AtomicFileTest, MissingDirectoryThrowsFileException)
{
    EXPECT_THROW(CAtomicFile((m_dir / "no" / "such" / "a.gif").string()), CFileException);
    EXPECT_THROW(CFile((m_dir / "missing.gif").string(), CFile::modeRead), CFileException);
}

}  // namespace
}  // namespace korvanta
