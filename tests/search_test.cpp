// The transposition table, move ordering, and the searches.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>

#include <gtest/gtest.h>

#include "eval/eval.h"
#include "frontend/uci.h"
#include "platform/platform.h"
#include "search/internal.h"
#include "test_support.h"

namespace {

Move text_move(const char* text) { return text_to_move(text); }

// The driver's own reset, then what a search at iteration depth 1 with no clock starts from.
void fresh_search_state()
{
    reset_search();
    follow_pv = 0;
    limits = SearchLimits{};
    limits.no_time_limit = 1;
    search_state.iteration_depth = 1;
    clear_table();
}

// Searches a position as "go depth N" does, printing nothing; returns the best move.
Move search_to_depth(const char* fen, int depth)
{
    load_fen(fen);
    quiet_search = true;
    GoParameters go{};
    go.depth = depth;
    set_limits(go);
    run_search();
    quiet_search = false;
    return search_state.best_move;
}

// A table of one slot: every position shares it.
struct OneSlotTable {
    OneSlotTable() { allocate_table(1); }
    ~OneSlotTable() { allocate_table(DEFAULT_TABLE_ENTRIES); }
};

}  // namespace

TEST(Table, FreshTableKnowsNothing)
{
    ucinewgame_command();
    load_fen(START_FEN);
    uint8_t flag = 9;
    Move move = 9;
    EXPECT_EQ(probe_table(1, -50, 50, flag, move), 0);
    EXPECT_EQ(flag, PROBE_NOTHING);
    EXPECT_EQ(move, 0);
}

// A slot count whose byte count wraps round to a few bytes must be refused, not taken as a tiny
// block with a vast slot count that every probe would read beyond.
TEST(Table, SizeBeyondWhatBytesCountIsRefused)
{
    const uint64_t kept = table.entry_count;
    EXPECT_FALSE(allocate_table(SIZE_MAX / sizeof(HashEntry) + 1));
    EXPECT_EQ(table.entry_count, kept);
}

TEST(Table, DepthPreferredReplacement)
{
    OneSlotTable one_slot;
    uint8_t flag;
    Move move;
    load_fen(START_FEN);
    const Move e2e4 = text_move("e2e4");
    store_entry(5, 30, BOUND_EXACT, e2e4);
    load_fen("4k3/8/8/8/8/8/8/4K3 w - - 0 1");
    store_entry(4, -10, BOUND_EXACT, 0);  // shallower: dropped
    probe_table(1, -50, 50, flag, move);
    EXPECT_EQ(flag, PROBE_NOTHING) << "the other position did not get in";
    load_fen(START_FEN);
    EXPECT_EQ(probe_table(5, -50, 50, flag, move), 30);
    EXPECT_EQ(move, e2e4);
    load_fen("4k3/8/8/8/8/8/8/4K3 w - - 0 1");
    store_entry(5, -10, BOUND_EXACT, 0);  // equal depth replaces, for any position
    EXPECT_EQ(probe_table(5, -50, 50, flag, move), -10);
    EXPECT_EQ(flag, PROBE_EXACT);
    // The slot keeps every bit of the largest move word.
    const Move largest = make_move_word(63, 63, MOVE_PROMOTE_KNIGHT);
    store_entry(6, 0, BOUND_LOWER, largest);
    probe_table(1, -50, 50, flag, move);
    EXPECT_EQ(move, largest);
}

TEST(Table, BoundsHintAndShallowEntries)
{
    ucinewgame_command();
    load_fen(START_FEN);
    const Move e2e4 = text_move("e2e4");
    uint8_t flag;
    Move move;
    store_entry(5, 10, BOUND_UPPER, e2e4);
    EXPECT_EQ(probe_table(8, -100, 50, flag, move), 0);
    EXPECT_EQ(flag, PROBE_NULL_FAILS_LOW)
        << "an upper bound below beta from depth >= 8 - 3: a null move would fail low";
    EXPECT_EQ(move, e2e4) << "the move comes whatever the depth";
    probe_table(9, -100, 50, flag, move);
    EXPECT_EQ(flag, PROBE_NOTHING);
    EXPECT_EQ(probe_table(5, 20, 50, flag, move), 20);
    EXPECT_EQ(flag, PROBE_UPPER) << "upper bound at or below alpha returns alpha";
    EXPECT_EQ(probe_table(5, 0, 50, flag, move), 0);
    EXPECT_EQ(flag, PROBE_NULL_FAILS_LOW);

    store_entry(5, 70, BOUND_LOWER, e2e4);
    EXPECT_EQ(probe_table(5, -100, 50, flag, move), 50);
    EXPECT_EQ(flag, PROBE_LOWER);
    EXPECT_EQ(probe_table(5, -100, 80, flag, move), 0);
    EXPECT_EQ(flag, PROBE_NOTHING);

    store_entry(5, 700, BOUND_EXACT, e2e4);
    EXPECT_EQ(probe_table(4, -100, 50, flag, move), 700) << "exact scores come back even outside the window";
    EXPECT_EQ(flag, PROBE_EXACT);
}

TEST(Table, MateScoresCountFromTheNode)
{
    ucinewgame_command();
    load_fen(START_FEN);
    position.ply = 3;
    store_entry(4, 999998, BOUND_EXACT, 0);
    EXPECT_EQ(table.slots[compute_key() % table.entry_count].score, 1000001);
    position.ply = 5;
    uint8_t flag;
    Move move;
    EXPECT_EQ(probe_table(4, -INFINITE_SCORE, INFINITE_SCORE, flag, move), 999996);
    position.ply = 2;
    store_entry(6, -999990, BOUND_EXACT, 0);
    position.ply = 4;
    EXPECT_EQ(probe_table(4, -INFINITE_SCORE, INFINITE_SCORE, flag, move), -999988);
    position.ply = 0;
}

TEST(Ordering, Scores)
{
    fresh_search_state();
    load_fen("4k3/8/2q5/1P1p4/4Q3/8/8/3K4 w - - 0 1");
    search_state.iteration_depth = 3;
    position.ply = 2;
    const Move pawn_takes_queen = text_move("b5c6"), queen_takes_pawn = text_move("e4d5");
    const Move quiet = text_move("d1d2"), killer = text_move("d1c1"), other = text_move("e4e3");
    killer_moves[2][0] = killer;
    killer_moves[2][1] = other;
    killer_moves[2][2] = killer;
    history_table[from_of(other)][to_of(other)] = 20;
    history_table[from_of(quiet)][to_of(quiet)] = 7;
    const Move moves[] = {pawn_takes_queen, queen_takes_pawn, quiet, killer, other};
    int32_t scores[5];
    score_moves(moves, scores, 5, 0);
    EXPECT_EQ(scores[0], 880);
    EXPECT_EQ(scores[1], -880);
    EXPECT_EQ(scores[2], -3072) << "history 7 >> 3 is 0";
    EXPECT_EQ(scores[3], -3072 + 1024) << "first and third slot: the first counts";
    EXPECT_EQ(scores[4], -3072 + 384 + 2) << "second slot, history 20 >> 3";
    search_state.iteration_depth = 40;
    score_moves(moves, scores, 5, quiet);
    EXPECT_EQ(scores[4], -3072 + 384) << "no history from depth 32 on";
    EXPECT_EQ(scores[2], -3072 + 1000000) << "hash move";

    load_fen("4k3/8/8/8/8/8/3p4/4K3 w - - 0 1");
    const Move king_takes_pawn = text_move("e1d2");
    score_moves(&king_takes_pawn, scores, 1, 0);
    EXPECT_EQ(scores[0], -15900);
    position.ply = 0;
}

TEST(Ordering, PrincipalVariationMode)
{
    fresh_search_state();
    load_fen(START_FEN);
    position.ply = 1;
    const Move e2e4 = text_move("e2e4"), d2d4 = text_move("d2d4");
    pv_table[1][1] = e2e4;
    MoveList list;
    generate_moves(list);
    int32_t scores[MAX_MOVES];
    follow_pv = 1;
    score_moves(list.moves, scores, list.count, d2d4);
    EXPECT_EQ(follow_pv, 1);
    for (int i = 0; i < list.count; ++i) {
        if (list.moves[i] == e2e4) {
            EXPECT_EQ(scores[i], -3072 + 1000000);
        } else if (list.moves[i] == d2d4) {
            EXPECT_EQ(scores[i], -3072 + 987712);
        }
    }
    pv_table[1][1] = make_move_word(0, 63, MOVE_NORMAL);  // not in the list
    follow_pv = 1;
    score_moves(list.moves, scores, list.count, 0);
    EXPECT_EQ(follow_pv, 0) << "off the variation: the null move is possible again";

    load_fen("4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1");
    position.ply = 3;
    CaptureList captures;
    generate_captures(captures);
    ASSERT_EQ(captures.count, 1);
    score_captures(captures.moves, scores, 1);
    EXPECT_EQ(scores[0], -100) << "en passant: empty to-square";
    pv_table[1][3] = captures.moves[0];
    follow_pv = 0;
    score_captures(captures.moves, scores, 1);
    EXPECT_EQ(scores[0], 1000000);
    EXPECT_EQ(follow_pv, 1) << "set whether or not the search was still on the variation";
    position.ply = 0;
}

TEST(Ordering, HistoryNeverOverflows)
{
    fresh_search_state();
    const Move move = make_move_word(12, 28, MOVE_DOUBLE_PUSH);
    history_table[12][28] = INT32_MAX - 10;
    add_history(move, 64);
    EXPECT_EQ(history_table[12][28], INT32_MAX);
    add_history(move, 2 * 65);
    EXPECT_EQ(history_table[12][28], INT32_MAX);
    EXPECT_EQ(history_peak, INT32_MAX) << "the peak follows a saturated counter";
}

// No quiet move, killer or not, scores above the bound the leading captures rely on.
TEST(Ordering, QuietMovesStayBelowTheirBound)
{
    fresh_search_state();
    EXPECT_EQ(history_peak, 0);
    load_fen(START_FEN);
    search_state.iteration_depth = 3;
    const Move quiet = text_move("g1f3");
    killer_moves[0][0] = quiet;
    add_history(quiet, 100000);
    int32_t score;
    score_moves_off_variation(&quiet, &score, 1);
    EXPECT_EQ(score, quiet_score_bound());
}

TEST(Quiescence, StandPatAndCaptures)
{
    fresh_search_state();
    load_fen("4k3/8/8/8/8/8/8/3QK3 w - - 0 1");
    position.ply = 1;
    const int32_t stand = evaluate();
    EXPECT_EQ(quiescence(-INFINITE_SCORE, stand), stand) << "at or above beta: the static score itself";
    EXPECT_EQ(quiescence(stand + 5, stand + 50), stand) << "no capture: the static score, even below alpha";

    load_fen("4k3/8/8/3q4/8/8/3R4/3K4 w - - 0 1");  // Rxd5 wins the queen
    position.ply = 1;
    EXPECT_EQ(quiescence(-INFINITE_SCORE, 50), 50) << "a winning capture that reaches beta returns beta";

    load_fen("4k3/4r3/8/8/3q4/8/4R3/4K3 w - - 0 1");  // the pinned rook cannot take
    position.ply = 1;
    EXPECT_EQ(quiescence(-INFINITE_SCORE, INFINITE_SCORE), evaluate()) << "only illegal captures: static score";

    load_fen("4k3/8/8/3q4/8/8/3R4/3K4 w - - 0 1");
    position.ply = MAX_PLY;
    pv_length[MAX_PLY] = 77;
    EXPECT_EQ(quiescence(-INFINITE_SCORE, INFINITE_SCORE), evaluate()) << "at the ceiling nothing is made";
    EXPECT_EQ(pv_length[MAX_PLY], MAX_PLY) << "and no stale length is left for the parent";
    position.ply = 0;
}

TEST(AlphaBeta, MateStalemateAndTheFiftyMoveRule)
{
    fresh_search_state();
    load_fen("rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq - 1 3");
    position.ply = 3;
    limits.nodes = 1;
    EXPECT_EQ(alpha_beta(-INFINITE_SCORE, INFINITE_SCORE, 2, 1), -999997);
    load_fen("7k/5Q2/6K1/8/8/8/8/8 b - - 0 1");
    position.ply = 3;
    EXPECT_EQ(alpha_beta(-INFINITE_SCORE, INFINITE_SCORE, 2, 1), 0);

    ucinewgame_command();
    load_fen("4k3/8/8/8/8/8/8/3QK3 w - - 100 80");
    position.ply = 1;
    limits.nodes = 1;
    EXPECT_EQ(alpha_beta(-INFINITE_SCORE, INFINITE_SCORE, 2, 1), 0);
    EXPECT_GT(limits.nodes, 1u) << "the moves are still searched";
    uint8_t flag;
    Move move;
    probe_table(1, -INFINITE_SCORE, INFINITE_SCORE, flag, move);
    EXPECT_EQ(flag, PROBE_NOTHING) << "nothing stored";
    position.ply = 0;
}

TEST(AlphaBeta, PeriodicCheckOnlyOnMultiplesOf65536)
{
    fresh_search_state();
    load_fen(START_FEN);
    position.ply = 1;
    limits.no_time_limit = 0;
    limits.deadline = tick_count() - 1000;  // long passed
    limits.nodes = 1;
    alpha_beta(-INFINITE_SCORE, INFINITE_SCORE, 2, 1);
    EXPECT_EQ(limits.stop, 0) << "no check happened";
    limits.nodes = 65536 * 3;
    EXPECT_EQ(alpha_beta(-INFINITE_SCORE, INFINITE_SCORE, 2, 1), 0);
    EXPECT_EQ(limits.stop, 1);
    EXPECT_EQ(position.ply, 1);
    position.ply = 0;
}

// A long line of checks can carry alpha-beta nodes to the end of the stacks; they stop there.
TEST(AlphaBeta, DeepestPlyIsSafe)
{
    fresh_search_state();
    load_fen("4k3/8/8/8/8/8/1Q6/4K3 w - - 0 1");
    for (int ply : {MAX_PLY - 3, MAX_PLY - 1, MAX_PLY}) {
        position.ply = ply;
        limits.nodes = 1;
        alpha_beta(-INFINITE_SCORE, INFINITE_SCORE, 6, 1);
        EXPECT_EQ(position.ply, ply);
        EXPECT_LE(pv_length[ply], MAX_PLY + 1);
    }
    position.ply = 0;
}

TEST(Root, RepetitionsOfGamePositionsAreDraws)
{
    char line[] = "position startpos moves g1f3 g8f6 f3g1 f6g8\n";
    position_command(line);
    make_move(text_move("g1f3"));
    position.hash_key = compute_key();
    EXPECT_EQ(repetition_count(), 1);
    unmake_move();
    make_move(text_move("e2e4"));
    position.hash_key = compute_key();
    EXPECT_EQ(repetition_count(), 0) << "a pawn move repeats nothing";
    unmake_move();

    load_fen("4k3/8/8/8/8/8/8/4K2R w K - 30 60");
    make_move(text_move("e1f1"));
    position.hash_key = compute_key();
    EXPECT_EQ(repetition_count(), 0) << "no history before the loaded position";
    unmake_move();
}

TEST(Driver, SingleReplyStopsAfterTheFirstIteration)
{
    load_fen("k7/8/8/8/8/8/6r1/7K w - - 0 1");  // only Kxg2
    quiet_search = true;
    GoParameters go{};
    go.infinite = true;
    set_limits(go);
    run_search();
    quiet_search = false;
    EXPECT_EQ(search_state.single_reply, 1);
    EXPECT_EQ(search_state.iteration_depth, 1);
}

TEST(Driver, MateInOneAndRepeatedMateReports)
{
    EXPECT_EQ(search_to_depth("6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1", 12), make_move_word(0, 56, MOVE_NORMAL));
    EXPECT_EQ(search_state.root_score, 999998);
    EXPECT_GT(search_state.mate_reports, 3);
    EXPECT_LT(search_state.iteration_depth, 12) << "four mate reports end the search";
}

TEST(Driver, NoLegalMoveLeavesThePositionAlone)
{
    load_fen("rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq - 1 3");
    const PositionSnapshot before = snapshot();
    const int32_t root_ply = position.root_ply;
    std::string output = captured_output([] {
        GoParameters go{};
        go.depth = 3;
        set_limits(go);
        run_search();
    });
    EXPECT_NE(output.find("bestmove a1a1\n"), std::string::npos);
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(position.root_ply, root_ply);
}

// Stopped in the middle or run to its end, a search leaves the game exactly as it found it,
// apart from the best move it then plays.
TEST(Driver, SearchesLeaveTheGameAsTheyFoundIt)
{
    for (int depth_limited = 0; depth_limited < 2; ++depth_limited) {
        char line[] = "position startpos moves e2e4 c7c5 g1f3 d7d6\n";
        position_command(line);
        std::vector<uint64_t> history(position.key_history, position.key_history + position.root_ply);
        quiet_search = true;
        GoParameters go{};
        if (depth_limited)
            go.depth = 6;
        else
            go.movetime = 1;  // the budget has run out before the first check
        set_limits(go);
        run_search();
        quiet_search = false;
        const Move best = search_state.best_move;
        ASSERT_NE(best, 0);
        const PositionSnapshot searched = snapshot();
        const std::vector<uint64_t> after(position.key_history, position.key_history + position.root_ply);

        position_command(line);
        play_game_move(best);
        EXPECT_EQ(searched, snapshot());
        history.push_back(compute_key());
        EXPECT_EQ(after, history);
        EXPECT_EQ(position.ply, 0);
    }
}

// A position whose capture sequences run for millions of nodes: the clock is heard inside
// them, and a search stopped before its first root move was searched still plays a legal move.
TEST(Driver, StoppedBeforeAnyRootMoveStillAnswersALegalMove)
{
    load_fen("rnbqkbnr/qqqqqqqq/8/8/8/8/QQQQQQQQ/RNBQKBNR w - - 0 1");
    quiet_search = true;
    GoParameters go{};
    go.movetime = 1;  // the budget has run out before the first check
    set_limits(go);
    run_search();
    quiet_search = false;
    EXPECT_EQ(limits.stop, 1);
    EXPECT_LE(limits.nodes, 65536u) << "stopped at the first check, inside a capture sequence";
    load_fen("rnbqkbnr/qqqqqqqq/8/8/8/8/QQQQQQQQ/RNBQKBNR w - - 0 1");
    Move legal[MAX_MOVES];
    int32_t count;
    generate_legal_moves(legal, count);
    EXPECT_NE(std::find(legal, legal + count, search_state.best_move), legal + count);
}

TEST(Driver, DeterministicAtAFixedDepth)
{
    ucinewgame_command();
    search_to_depth("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", 5);
    const uint64_t first = limits.nodes;
    const Move best = search_state.best_move;
    ucinewgame_command();
    search_to_depth("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", 5);
    EXPECT_EQ(limits.nodes, first);
    EXPECT_EQ(search_state.best_move, best);
}
