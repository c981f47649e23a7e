// The fast paths against their plain references, on positions reached by random play from every
// position of the perft suite: the evaluation against the reference evaluation, the stand pat on
// a bound against the evaluation, and the key that make, unmake and the null move keep in step
// against compute_key. The normal run checks 20,000 positions; the "deep" label runs the same
// test over 1,000,000 (KORVANE_REFERENCE_POSITIONS sets the number). And the table's slot index,
// computed without a division, against the remainder.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "eval/eval.h"
#include "movegen/movegen.h"
#include "position/position.h"
#include "reference_eval.h"
#include "search/table.h"
#include "test_support.h"

namespace {

long positions_to_check()
{
    const char* text = std::getenv("KORVANE_REFERENCE_POSITIONS");
    const long n = text != nullptr ? std::atol(text) : 0;
    return n > 0 ? n : 20000;
}

// The evaluation and the piece count it leaves, against the reference, on the current position.
void expect_same_evaluation(const char* fen, int played)
{
    int32_t reference_count = 0;
    bool counted = false;
    const int32_t reference = reference_evaluate(reference_count, counted);
    // Standing pat on a bound: evaluate's value, or a value between beta and it, whatever beta,
    // with the same piece count left for the null move. Asked first, while the pawn entry may
    // not yet keep the kings' shelters.
    for (const int32_t beta : {reference - 300, reference - 60, reference, reference + 1}) {
        position.piece_count = -1;
        const int32_t stand = stand_pat_score(beta);
        ASSERT_TRUE(stand == reference || (beta <= stand && stand <= reference))
            << fen << " after " << played << " random moves: " << stand << " for beta " << beta << ", evaluation "
            << reference;
        ASSERT_EQ(position.piece_count, counted ? reference_count : -1)
            << fen << " after " << played << " random moves";
    }

    position.piece_count = -1;
    const int32_t fast = evaluate();
    ASSERT_EQ(fast, reference) << fen << " after " << played << " random moves";
    ASSERT_EQ(position.piece_count, counted ? reference_count : -1) << fen << " after " << played << " random moves";

    // The explanation's terms add up to the same score (a drawn ending scores 0 whatever they are).
    EvalTerms terms;
    ASSERT_EQ(explain_evaluation(terms), fast) << fen << " after " << played << " random moves";
    int32_t white_view = 0;
    for (int t = 0; t < TERM_COUNT; ++t)
        white_view += terms.value[0][t] - terms.value[1][t];
    ASSERT_EQ(terms.drawn_ending ? 0 : position.turn == 0 ? white_view : -white_view, fast) << fen;
    ASSERT_EQ(terms.drawn_ending, !counted) << fen;
}

}  // namespace

TEST(ReferenceCheck, EvaluationAndKeyOnRandomPlayouts)
{
    const long wanted = positions_to_check();
    const auto& suite = perft_suite();
    ASSERT_FALSE(suite.empty());
    std::mt19937 random(1313);
    long checked = 0;
    for (size_t game = 0; checked < wanted; ++game) {
        const char* fen = suite[game % suite.size()].fen.c_str();
        load_fen(fen);
        position.ply = 1;
        const int length = 10 + int(random() % 70);
        int played = 0;
        for (; played < length && checked < wanted; ++played) {
            expect_same_evaluation(fen, played);
            ASSERT_EQ(position.current_key, compute_key()) << fen << " after " << played << " random moves";
            ++checked;
            if (HasFatalFailure())
                return;

            // Every capture, made with the quiescence search's pair and taken back; a pass.
            CaptureList captures;
            generate_captures(captures);
            for (int i = 0; i < captures.count; ++i) {
                make_capture(captures.moves[i]);
                ASSERT_EQ(position.current_key, compute_key()) << fen;
                unmake_capture();
            }
            const uint64_t key = position.current_key;
            const NullMoveUndo undo = make_null_move();
            ASSERT_EQ(position.current_key, compute_key()) << fen;
            unmake_null_move(undo);
            ASSERT_EQ(position.current_key, key) << fen;

            Move moves[MAX_MOVES];
            int32_t count;
            generate_legal_moves(moves, count);
            if (count == 0 || position.ply >= MAX_PLY - 1)
                break;
            make_move(moves[random() % count]);
            ASSERT_EQ(position.current_key, compute_key()) << fen;
        }
        // Back to the start by unmake, the key restored at every step.
        while (position.ply > 1) {
            unmake_move();
            ASSERT_EQ(position.current_key, compute_key()) << fen;
        }
    }
    EXPECT_GE(checked, wanted);
}

// Pawns anywhere, their own back rank and the far one included (a FEN may put them there), with
// a few pieces: the pawn terms' edge cases that play from the suite never reaches. Each position
// is evaluated twice, the second time from the pawn cache, and from both sides.
TEST(ReferenceCheck, EvaluationWithPawnsOnEverySquare)
{
    std::mt19937 random(77);
    for (int n = 0; n < 5000; ++n) {
        char board[64];
        std::fill(std::begin(board), std::end(board), '1');
        auto place = [&](char piece) {
            int sq;
            do
                sq = int(random() % 64);
            while (board[sq] != '1');
            board[sq] = piece;
        };
        place('K');
        place('k');
        for (char piece : {'P', 'p'})
            for (int i = int(random() % 11); i > 0; --i)
                place(piece);
        for (int i = int(random() % 5); i > 0; --i)
            place("NBRQnbrq"[random() % 8]);
        std::string fen;
        for (int rank = 7; rank >= 0; --rank) {
            fen.append(board + rank * 8, 8);
            fen += rank ? '/' : ' ';
        }
        for (const char* side : {"w - - 0 1", "b - - 0 1"}) {
            const std::string text = fen + side;
            load_fen(text.c_str());
            expect_same_evaluation(text.c_str(), 0);
            expect_same_evaluation(text.c_str(), 0);
            if (HasFatalFailure())
                return;
        }
    }
}

// Boards crowded with up to 62 pieces besides the kings, one side's queens alone filling it at
// the extreme: make's running sums pack each side's material and the piece count into fields of
// a word, which must hold the largest totals a FEN can set up, through moves as well.
TEST(ReferenceCheck, EvaluationOfCrowdedBoards)
{
    std::mt19937 random(5);
    for (int n = 0; n < 300; ++n) {
        std::string placement;
        const char* pieces = n == 0 ? "Q" : n == 1 ? "q" : "PNBRQpnbrq";
        const int king_squares[2] = {int(random() % 64), int(random() % 63)};
        for (int sq = 0; sq < 64; ++sq) {
            if (sq == king_squares[0] || sq == king_squares[1] + (king_squares[1] >= king_squares[0]))
                placement += sq == king_squares[0] ? 'K' : 'k';
            else
                placement += pieces[random() % std::strlen(pieces)];
            if (sq % 8 == 7 && sq != 63)
                placement += '/';
        }
        for (const char* side : {" w - - 0 1", " b - - 0 1"}) {
            const std::string fen = placement + side;
            load_fen(fen.c_str());
            position.ply = 1;
            expect_same_evaluation(fen.c_str(), 0);
            CaptureList captures;
            generate_captures(captures);
            for (int i = 0; i < captures.count; ++i) {
                make_capture(captures.moves[i]);
                expect_same_evaluation(fen.c_str(), 1);
                unmake_capture();
            }
            if (HasFatalFailure())
                return;
        }
    }
}

TEST(ReferenceCheck, SlotIndexIsTheRemainder)
{
    std::mt19937_64 random(24);
    const uint64_t counts[] = {
        1,           2, 3, 7, 1398101, 2796202, 89478485, (uint64_t(1) << 32) + 1, ~uint64_t(0) / 3, ~uint64_t(0) - 1,
        ~uint64_t(0)};
    for (uint64_t count : counts) {
        const RemainderMultiplier multiplier = remainder_multiplier(count);
        const uint64_t keys[] = {0, 1, count - 1, count, count + 1, ~uint64_t(0), ~uint64_t(0) - count};
        for (uint64_t key : keys)
            ASSERT_EQ(fast_remainder(key, count, multiplier), key % count) << key << " % " << count;
        for (int i = 0; i < 100000; ++i) {
            const uint64_t key = random();
            ASSERT_EQ(fast_remainder(key, count, multiplier), key % count) << key << " % " << count;
        }
    }
}
