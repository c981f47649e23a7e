// The command handlers, the "go" budget, and the periodic check reading a pipe.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "frontend/uci.h"
#include "platform/platform.h"
#include "platform/processor.h"
#include "search/table.h"
#include "test_support.h"

namespace {

void go_limits(const char* line, const char* fen = START_FEN)
{
    load_fen(fen);
    set_limits(parse_go(line));
}

// Puts the read end of a fresh pipe on standard input for the length of a test.
struct PipedInput {
    int write_end = -1;
    int saved_input = -1;
    PipedInput()
    {
        int ends[2];
        EXPECT_EQ(pipe(ends), 0);
        saved_input = dup(0);
        dup2(ends[0], 0);
        close(ends[0]);
        write_end = ends[1];
        restart_input();
    }
    ~PipedInput()
    {
        if (write_end >= 0)
            close(write_end);
        dup2(saved_input, 0);
        close(saved_input);
        restart_input();
    }
    void send(const char* text) { EXPECT_EQ(write(write_end, text, std::strlen(text)), ssize_t(std::strlen(text))); }
    void close_writer()
    {
        close(write_end);
        write_end = -1;
    }
    std::string unread(size_t bytes)
    {
        std::string text;
        for (size_t i = 0; i < bytes; ++i)
            text += char(read_input_byte());
        return text;
    }
};

void arm_check(bool deadline_passed)
{
    limits.stop = 0;
    limits.no_time_limit = deadline_passed ? 0 : 1;
    limits.deadline = tick_count() - 1000;
    listen_during_search = true;
}

}  // namespace

TEST(Go, WorkedBudgets)
{
    go_limits("go wtime 60000 winc 0\n");
    EXPECT_NEAR(limits.time_budget, 1819.9666666, 1e-6);
    go_limits("go wtime 300000 winc 2000 movestogo 40\n");
    EXPECT_NEAR(limits.time_budget, 11353.3, 1e-9);
    go_limits("go wtime 400\n");
    EXPECT_NEAR(limits.time_budget, 12.6333333, 1e-6);
    go_limits("go wtime 1000 winc 5000\n");
    EXPECT_DOUBLE_EQ(limits.time_budget, 869);
    go_limits("go movetime 1000\n");
    EXPECT_DOUBLE_EQ(limits.time_budget, 950);
    go_limits("go\n");
    EXPECT_DOUBLE_EQ(limits.time_budget, 0);
    EXPECT_EQ(limits.no_time_limit, 0);
    go_limits("go wtime 10000 movestogo 1\n");
    EXPECT_DOUBLE_EQ(limits.time_budget, 9419);
    go_limits("go movetime 30\n");
    EXPECT_DOUBLE_EQ(limits.time_budget, -20);
    go_limits("go wtime 300000 winc 2000 movestogo 0\n");
    EXPECT_NEAR(limits.time_budget, 11353.3, 1e-9) << "movestogo 0 is taken as 30";
}

TEST(Go, ClockOfTheSideToMove)
{
    go_limits("go wtime 1000 btime 60000\n", "4k3/8/8/8/8/8/8/4K3 b - - 0 1");
    EXPECT_NEAR(limits.time_budget, 1819.9666666, 1e-6);
    go_limits("go wtime -5000 btime 60000\n");
    EXPECT_DOUBLE_EQ(limits.time_budget, 0) << "a negative clock gives no budget";
    go_limits("go wtime 1 winc 0\n");
    EXPECT_DOUBLE_EQ(limits.time_budget, 0) << "0.95 - 1 is below zero";
}

TEST(Go, DepthInfiniteAndPonder)
{
    go_limits("go depth 6 movetime 500\n");
    EXPECT_EQ(limits.depth_limited, 1);
    EXPECT_EQ(limits.max_depth, 6);
    for (const char* no_depth : {"go depth 0\n", "go depth -3\n", "go depth\n", "go depth x\n"}) {
        go_limits(no_depth);
        EXPECT_EQ(limits.depth_limited, 0) << no_depth;
        EXPECT_EQ(limits.max_depth, 0) << no_depth;
    }
    go_limits("go infinite\n");
    EXPECT_EQ(limits.no_time_limit, 1);
    go_limits("go wtime 1000 ponder\n");
    EXPECT_EQ(limits.no_time_limit, 1);
    go_limits("go ponder wtime 60000 btime 60000\n");
    EXPECT_EQ(limits.no_time_limit, 0) << "ponder counts only as the last word";
    EXPECT_NEAR(limits.time_budget, 1819.9666666, 1e-6);
    go_limits("go infinite wtime 1000\n");
    EXPECT_EQ(limits.no_time_limit, 0);
    go_limits("go infinite");
    EXPECT_EQ(limits.no_time_limit, 0) << "no newline, no infinite";
    go_limits("go infinite \n");
    EXPECT_EQ(limits.no_time_limit, 0) << "a blank before the newline leaves the newline alone";
}

TEST(Go, WordsRepeatedUnknownOrMissing)
{
    go_limits("go wtime 1000 wtime 60000\n");
    EXPECT_NEAR(limits.time_budget, 1819.9666666, 1e-6) << "the last value counts";
    go_limits("go   searchmoves e2e4   wtime    60000 nodes 5 mate 3\n");
    EXPECT_NEAR(limits.time_budget, 1819.9666666, 1e-6);
    go_limits("go depth wtime 60000\n");
    EXPECT_EQ(limits.depth_limited, 0) << "\"wtime\" is taken as depth's value";
    EXPECT_DOUBLE_EQ(limits.time_budget, 0);
    go_limits("go wtime 99999999999999\n");
    EXPECT_GT(limits.time_budget, 0);
    go_limits("go depth 99999999999\n");
    EXPECT_EQ(limits.max_depth, INT32_MAX);
    // Limits never carry over from one "go" to the next.
    go_limits("go depth 5 infinite\n");
    go_limits("go wtime 60000\n");
    EXPECT_EQ(limits.depth_limited, 0);
    EXPECT_EQ(limits.no_time_limit, 0);
}

TEST(ParseInt, LikeTheLibraryButSaturating)
{
    EXPECT_EQ(parse_int("  42abc"), 42);
    EXPECT_EQ(parse_int("-17"), -17);
    EXPECT_EQ(parse_int("+5"), 5);
    EXPECT_EQ(parse_int("abc"), 0);
    EXPECT_EQ(parse_int(""), 0);
    EXPECT_EQ(parse_int("99999999999999999999"), INT32_MAX);
    EXPECT_EQ(parse_int("-99999999999999999999"), INT32_MIN);
}

TEST(PeriodicCheck, DeadlineBeforeAnyInput)
{
    EXPECT_GE(tick_count(), TICK_COUNT_AT_START) << "a deadline just before the start must not wrap";
    PipedInput input;
    input.send("isready\n");
    arm_check(true);
    EXPECT_TRUE(periodic_check());
    EXPECT_EQ(limits.stop, 1);
    EXPECT_EQ(input.unread(8), "isready\n") << "nothing was read";
}

TEST(PeriodicCheck, StopAndQuitAreReadWhole)
{
    for (const char* line : {"stop\n", "quit\n", "stopping now\n"}) {
        PipedInput input;
        input.send(line);
        input.send("isready\n");
        arm_check(false);
        EXPECT_TRUE(periodic_check()) << line;
        EXPECT_EQ(limits.stop, 1);
        if (std::strlen(line) == 5) {
            EXPECT_EQ(input.unread(8), "isready\n");
        }
    }
}

TEST(PeriodicCheck, OtherLinesAreDroppedInPieces)
{
    PipedInput input;
    input.send("isready\n");
    arm_check(false);
    EXPECT_FALSE(periodic_check());
    EXPECT_EQ(limits.stop, 0);
    EXPECT_EQ(input_waiting(), 1u) << "\"dy\\n\" is left";
    EXPECT_FALSE(periodic_check());
    EXPECT_EQ(input_waiting(), 0u);
    EXPECT_FALSE(periodic_check()) << "nothing waiting: nothing read, no block";
    limits.stop = 1;
    input.send("stop\n");
    EXPECT_FALSE(periodic_check()) << "already stopped: the input is left alone";
    EXPECT_EQ(input.unread(5), "stop\n");
}

// A line written in parts is judged whole, and the search never waits for its rest.
TEST(PeriodicCheck, LinesArrivingInPartsNeverBlock)
{
    PipedInput input;
    start_listening();
    arm_check(false);
    input.send("st");
    EXPECT_FALSE(periodic_check());
    EXPECT_FALSE(periodic_check()) << "nothing more has come: no wait";
    input.send("op\n");
    EXPECT_TRUE(periodic_check());
    EXPECT_EQ(limits.stop, 1);

    arm_check(false);
    input.send("isr");
    EXPECT_FALSE(periodic_check());
    input.send("eady\nstop\n");
    EXPECT_FALSE(periodic_check()) << "\"isrea\" is dropped";
    EXPECT_FALSE(periodic_check()) << "\"dy\\n\" is dropped";
    EXPECT_TRUE(periodic_check());

    arm_check(false);
    input.send("qu");
    EXPECT_FALSE(periodic_check());
    start_listening();  // a new search: the unfinished piece of the last one is forgotten
    input.send("it\n");
    EXPECT_FALSE(periodic_check());
}

TEST(PeriodicCheck, ClosedInputStopsTheSearch)
{
    PipedInput input;
    input.send("isr");
    input.close_writer();
    arm_check(false);
    EXPECT_TRUE(periodic_check()) << "the piece before the end is dropped, and the end stops";
    EXPECT_EQ(limits.stop, 1);
    limits.stop = 0;
    EXPECT_TRUE(periodic_check()) << "and again, at once, without blocking";
    EXPECT_EQ(read_input_byte(), -1);
}

TEST(PeriodicCheck, FileInputIsConsumedPieceByPiece)
{
    char path[] = "/tmp/korvane-input-XXXXXX";
    const int file = mkstemp(path);
    ASSERT_GE(file, 0);
    ASSERT_EQ(write(file, "isready\nstop\n", 13), 13);
    lseek(file, 0, SEEK_SET);
    const int saved = dup(0);
    dup2(file, 0);
    restart_input();
    arm_check(false);
    EXPECT_FALSE(periodic_check());  // "isrea"
    EXPECT_FALSE(periodic_check());  // "dy\n"
    EXPECT_TRUE(periodic_check());   // "stop\n"
    limits.stop = 0;
    EXPECT_TRUE(periodic_check()) << "end of the file";
    dup2(saved, 0);
    close(saved);
    close(file);
    unlink(path);
    restart_input();
}

TEST(PeriodicCheck, BenchAndToolsNeverReadInput)
{
    PipedInput input;
    input.send("stop\n");
    arm_check(false);
    listen_during_search = false;
    EXPECT_FALSE(periodic_check());
    EXPECT_EQ(input.unread(5), "stop\n");
}

TEST(PositionCommand, MovesAndMarkers)
{
    char line1[] = "position startpos moves e2e4 e7e5\n";
    position_command(line1);
    const PositionSnapshot startpos = snapshot();
    EXPECT_EQ(position.root_ply, 3);
    char line2[] = "position anything moves e2e4 e7e5\n";
    position_command(line2);
    EXPECT_EQ(snapshot(), startpos);
    EXPECT_EQ(position.root_ply, 3);
    char line3[] = "position\n";
    position_command(line3);
    EXPECT_EQ(position.root_ply, 0);
    char line4[] = "position startpos moves\n";
    position_command(line4);
    EXPECT_EQ(position.root_ply, 0) << "\"moves\" without its blank is no move list";
    char line5[] = "position startpos moves \n";
    position_command(line5);
    EXPECT_EQ(position.root_ply, 1);
    char line6[] = "position startpos moves e2e4    e7e5 \n";
    position_command(line6);
    EXPECT_EQ(snapshot(), startpos);
    char line7[] = "position fen 7k/P7/8/8/8/8/8/K7 w - - 0 1 moves a7a8n h8g7\n";
    position_command(line7);
    EXPECT_EQ(position.board[56], WHITE_KNIGHT);
    EXPECT_EQ(position.board[54], BLACK_KING);
    EXPECT_EQ(position.root_ply, 3);
}

TEST(PositionCommand, UnknownAndCutShortMoves)
{
    char line1[] = "position startpos moves e2e4 e2e4 e7e5\n";
    EXPECT_EQ(captured_output([&] { position_command(line1); }), "ERROR MOVE!\n");
    EXPECT_EQ(position.root_ply, 3) << "the move after the unknown one is still played";
    char line2[] = "position startpos moves e2e4 e7";
    EXPECT_EQ(captured_output([&] { position_command(line2); }), "ERROR MOVE!\n");
    EXPECT_EQ(position.root_ply, 2);
    char line3[] = "position startpos moves e2e4 e7\n";
    EXPECT_EQ(captured_output([&] { position_command(line3); }), "ERROR MOVE!\n");
    char line4[] = "position fen 4k3/4P3/8/8/8/8/8/4K3 w - - 0 1 moves e7e8q";
    EXPECT_EQ(captured_output([&] { position_command(line4); }), "ERROR MOVE!\n") << "e8 is taken";
}

TEST(SetOption, HashSizes)
{
    char line[64];
    std::snprintf(line, sizeof line, "setoption name Hash value 64\n");
    setoption_command(line);
    EXPECT_EQ(table.entry_count, 2796202u);
    EXPECT_TRUE(table.clean);
    for (const char* ignored : {"setoption name hash value 128\n", "setoption name Hash\n",
                                "setoption name Hash  value 128\n", "setoption name Threads value 128\n"}) {
        std::snprintf(line, sizeof line, "%s", ignored);
        setoption_command(line);
        EXPECT_EQ(table.entry_count, 2796202u) << ignored;
    }
    // Out of the announced range: taken to its nearest end.
    for (const char* small : {"0", "-5", "abc", "1", "31"}) {
        std::snprintf(line, sizeof line, "setoption name Hash value %s\n", small);
        setoption_command(line);
        EXPECT_EQ(table.entry_count, DEFAULT_TABLE_ENTRIES) << small;
    }
    for (const char* large : {"2048", "4096", "99999999999"}) {
        std::snprintf(line, sizeof line, "setoption name Hash value %s\n", large);
        setoption_command(line);
        EXPECT_EQ(table.entry_count, 89478485u) << large;
    }
    std::snprintf(line, sizeof line, "setoption name Hash value 32\n");
    setoption_command(line);
    EXPECT_EQ(table.entry_count, DEFAULT_TABLE_ENTRIES);
}

TEST(SetOption, RefusedMemoryKeepsTheWorkingTable)
{
    char line[] = "setoption name Hash value 1024\n";
    const HashEntry* before = table.slots;
    allocation_limit_bytes = 100 << 20;
    setoption_command(line);
    allocation_limit_bytes = SIZE_MAX;
    EXPECT_EQ(table.slots, before);
    EXPECT_EQ(table.entry_count, DEFAULT_TABLE_ENTRIES);
    load_fen(START_FEN);
    store_entry(3, 17, BOUND_EXACT, 0);
    uint8_t flag;
    Move move;
    EXPECT_EQ(probe_table(3, -100, 100, flag, move), 17);
    EXPECT_EQ(flag, PROBE_EXACT);

    // A used table that cannot be swapped for fresh memory is cleared in place.
    allocation_limit_bytes = 0;
    ucinewgame_command();
    allocation_limit_bytes = SIZE_MAX;
    load_fen(START_FEN);
    probe_table(3, -100, 100, flag, move);
    EXPECT_EQ(flag, PROBE_NOTHING);
}

// The processor words of qemu's models for each level: a wrong bit or a feature forgotten makes
// a build refuse a processor that runs it, or start on one that does not.
TEST(ProcessorLevel, OldestProcessorOfEachLevel)
{
    const ProcessorWords core2duo = {0x80002209, 0, 0x00000001, 0};
    const ProcessorWords nehalem = {0x80982201, 0, 0x00000001, 0};
    const ProcessorWords haswell = {0xfed83203, 0x000003a9, 0x00000021, 0x7};
    EXPECT_EQ(x86_64_level_of(core2duo), 1);
    EXPECT_EQ(x86_64_level_of(nehalem), 2);
    EXPECT_EQ(x86_64_level_of(haswell), 3);

    // AVX2 in the processor is not enough: the system must save the AVX registers too.
    ProcessorWords unsaved = haswell;
    unsaved.saved_state = 0x3;
    EXPECT_EQ(x86_64_level_of(unsaved), 2);
    // A processor without LZCNT runs no x86-64-v3 code, whatever else it has.
    ProcessorWords no_lzcnt = haswell;
    no_lzcnt.amd_ecx &= ~0x20u;
    EXPECT_EQ(x86_64_level_of(no_lzcnt), 2);

    char missing[64];
    list_missing_features(core2duo, 2, missing, sizeof missing);
    EXPECT_STREQ(missing, "SSE4.1, SSE4.2, POPCNT");
    list_missing_features(nehalem, 2, missing, sizeof missing);
    EXPECT_STREQ(missing, "");
    list_missing_features(core2duo, 3, missing, 20);  // cut short, never past the end
    EXPECT_STREQ(missing, "SSE4.1, SSE4.2");
}
