// A file mapped for reading and cut shorter while it is: the pages past its
// new end read as zeros and the mapping says it was cut, where reading them
// would otherwise stop the program; any other SIGBUS still does.

#include "platform/mapped_file.h"

#include "scratch_dir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <numeric>
#include <unistd.h>

namespace quorvane {
namespace {

class MappedFileTest : public testing::ScratchDirTest {
protected:
    MappedFileTest() : ScratchDirTest("mapped") {}
};

TEST_F(MappedFileTest, AFileCutShorterWhileMappedReadsAsZerosPastItsEnd) {
    const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    const std::string bytes(5 * page + 100, 'x');
    const std::string path = Write("cut.pgn", bytes);
    const MappedFile file(path);
    ASSERT_EQ(file.bytes(), bytes);
    EXPECT_FALSE(file.truncated());

    // Cut to a page and a half, as another program may while the list scans.
    ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(page + page / 2)), 0);
    const std::string_view view = file.bytes();
    EXPECT_EQ(view[10], 'x') << "before the new end, the file";
    EXPECT_EQ(view.size(), bytes.size()) << "the mapping keeps its size";
    // Every byte past the new end's page, read without a crash.
    const auto sum = std::accumulate(view.begin() + static_cast<std::ptrdiff_t>(2 * page), view.end(), std::size_t{0},
                                     [](std::size_t total, char c) { return total + static_cast<unsigned char>(c); });
    EXPECT_EQ(sum, 0u);
    EXPECT_TRUE(file.truncated());

    // Another mapping of another file is not marked.
    const MappedFile other(Write("whole.pgn", bytes));
    EXPECT_EQ(other.bytes(), bytes);
    EXPECT_FALSE(other.truncated());
}

TEST_F(MappedFileTest, ASigbusOutsideAnyMappingStillStopsTheProgram) {
#ifdef __SANITIZE_ADDRESS__
    // The sanitizer's own SIGBUS handler is the one chained to: it reports
    // and aborts, which is still a stop, but not the signal's.
    GTEST_SKIP() << "under AddressSanitizer another SIGBUS is the sanitizer's to report";
#endif
    const MappedFile file(Write("any.pgn", "[Event \"x\"] *\n"));
    EXPECT_EXIT(::raise(SIGBUS), ::testing::KilledBySignal(SIGBUS), "");
}

} // namespace
} // namespace quorvane
