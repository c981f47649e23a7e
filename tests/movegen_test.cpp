// Square tables, attack tests, the move and capture generators, move text, game moves, perft.
#include <algorithm>
#include <cctype>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "eval/eval.h"
#include "movegen/movegen.h"
#include "test_support.h"

namespace {

// Is the king attacked? Answered by walking the step and ray lists from the king outward,
// piece by piece: slower than the engine's bit-set test, and kept here as its reference.
bool king_attacked_by_scan(bool white_king)
{
    const Square k = white_king ? position.white_king : position.black_king;
    const Piece them = white_king ? BLACK : WHITE;
    const Piece* board = position.board;

    auto first_on_rays = [&](const RaySquare(&rays)[4][7], Piece slider) {
        for (const auto& ray : rays) {
            for (RaySquare sq : ray) {
                if (sq == NO_SQUARE)
                    break;
                if (board[sq] == EMPTY)
                    continue;
                if (board[sq] == (them | QUEEN) || board[sq] == (them | slider))
                    return true;
                break;
            }
        }
        return false;
    };
    auto on_steps = [&](const RaySquare(&steps)[8], Piece piece) {
        for (RaySquare sq : steps) {
            if (sq == NO_SQUARE)
                break;
            if (board[sq] == piece)
                return true;
        }
        return false;
    };

    if (first_on_rays(RookRays[k], ROOK) || first_on_rays(BishopRays[k], BISHOP) ||
        on_steps(KnightSteps[k], them | KNIGHT) || on_steps(KingSteps[k], them | KING))
        return true;

    const int file = file_of(k);
    if (white_king) {
        if (k < 48)
            return (file != 0 && board[k + 7] == BLACK_PAWN) || (file != 7 && board[k + 9] == BLACK_PAWN);
    } else if (k > 15) {
        return (file != 7 && board[k - 7] == WHITE_PAWN) || (file != 0 && board[k - 9] == WHITE_PAWN);
    }
    return false;
}

std::string names(const RaySquare* list, int length)
{
    std::string text;
    for (int i = 0; i < length && list[i] != NO_SQUARE; ++i) {
        text += text.empty() ? "" : " ";
        text += char('a' + (list[i] & 7));
        text += char('1' + (list[i] >> 3));
    }
    return text;
}

std::string move_texts(const Move* moves, int count)
{
    std::string text;
    for (int i = 0; i < count; ++i) {
        char buffer[6];
        move_to_text(moves[i], buffer);
        if (i > 0)
            text += ' ';
        text += buffer;
    }
    return text;
}

std::string generated(const char* fen)
{
    load_fen(fen);
    MoveList list;
    generate_moves(list);
    return move_texts(list.moves, list.count);
}

std::string captures(const char* fen)
{
    load_fen(fen);
    CaptureList list;
    generate_captures(list);
    return move_texts(list.moves, list.count);
}

std::set<int> geometric(int from, std::initializer_list<std::pair<int, int>> steps, bool slide)
{
    std::set<int> result;
    for (auto [df, dr] : steps) {
        int f = (from & 7) + df, r = (from >> 3) + dr;
        while (f >= 0 && f < 8 && r >= 0 && r < 8) {
            result.insert(r * 8 + f);
            if (!slide)
                break;
            f += df;
            r += dr;
        }
    }
    return result;
}

template <int N>
std::set<int> as_set(const RaySquare (&list)[N])
{
    std::set<int> result;
    for (RaySquare s : list)
        if (s != NO_SQUARE)
            result.insert(s);
    return result;
}

}  // namespace

TEST(RayTable, EveryRowHoldsTheGeometricSquares)
{
    for (int s = 0; s < 64; ++s) {
        EXPECT_EQ(as_set(KnightSteps[s]),
                  geometric(s, {{1, 2}, {2, 1}, {2, -1}, {1, -2}, {-1, -2}, {-2, -1}, {-2, 1}, {-1, 2}}, false))
            << s;
        EXPECT_EQ(as_set(KingSteps[s]),
                  geometric(s, {{1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}, {0, -1}, {1, -1}}, false))
            << s;
        std::set<int> bishop, rook;
        for (int slot = 0; slot < 4; ++slot) {
            auto b = as_set(BishopRays[s][slot]), r = as_set(RookRays[s][slot]);
            bishop.insert(b.begin(), b.end());
            rook.insert(r.begin(), r.end());
            // Packed: once a slot is empty, every later one is empty too.
            if (slot > 0 && BishopRays[s][slot - 1][0] == NO_SQUARE) {
                EXPECT_EQ(BishopRays[s][slot][0], NO_SQUARE);
            }
            if (slot > 0 && RookRays[s][slot - 1][0] == NO_SQUARE) {
                EXPECT_EQ(RookRays[s][slot][0], NO_SQUARE);
            }
        }
        EXPECT_EQ(bishop, geometric(s, {{-1, 1}, {1, 1}, {-1, -1}, {1, -1}}, true)) << s;
        EXPECT_EQ(rook, geometric(s, {{1, 0}, {-1, 0}, {0, 1}, {0, -1}}, true)) << s;
    }
}

TEST(RayTable, IrregularOrders)
{
    EXPECT_EQ(names(KnightSteps[sq("a1")], 8), "c2 b3");
    EXPECT_EQ(names(KnightSteps[sq("h8")], 8), "f7 g6");
    EXPECT_EQ(names(KnightSteps[sq("a8")], 8), "c7 b6");
    EXPECT_EQ(names(KnightSteps[sq("h1")], 8), "f2 g3");
    EXPECT_EQ(names(KnightSteps[sq("d4")], 8), "c2 e2 b3 f3 b5 f5 c6 e6");
    EXPECT_EQ(names(KnightSteps[sq("e4")], 8), "d2 f2 c3 g3 c5 d6 f6 g5");
    EXPECT_EQ(names(KingSteps[sq("h8")], 8), "h7 g7 g8");
    EXPECT_EQ(names(KingSteps[sq("a8")], 8), "a7 b7 b8");
    EXPECT_EQ(names(KingSteps[sq("e1")], 8), "d1 f1 d2 e2 f2");
    EXPECT_EQ(names(KingSteps[sq("d4")], 8), "c3 d3 e3 c4 e4 c5 d5 e5");

    auto slots = [](const RaySquare(&row)[4][7]) {
        std::string text;
        for (int slot = 0; slot < 4; ++slot)
            text += (slot ? " | " : "") + names(row[slot], 7);
        return text;
    };
    EXPECT_EQ(slots(BishopRays[sq("d4")]), "c5 b6 a7 | e5 f6 g7 h8 | c3 b2 a1 | e3 f2 g1");
    EXPECT_EQ(slots(BishopRays[sq("a1")]), "b2 c3 d4 e5 f6 g7 h8 |  |  | ");
    EXPECT_EQ(slots(BishopRays[sq("h2")]), "g3 f4 e5 d6 c7 b8 | g1 |  | ");
    EXPECT_EQ(slots(BishopRays[sq("b8")]), "a7 | c7 d6 e5 f4 g3 h2 |  | ");
    EXPECT_EQ(slots(RookRays[sq("d4")]), "e4 f4 g4 h4 | c4 b4 a4 | d5 d6 d7 d8 | d3 d2 d1");
    EXPECT_EQ(slots(RookRays[sq("e1")]), "f1 g1 h1 | e2 e3 e4 e5 e6 e7 e8 | d1 c1 b1 a1 | ");
    EXPECT_EQ(slots(RookRays[sq("e2")]), "f2 g2 h2 | d2 c2 b2 a2 | e3 e4 e5 e6 e7 e8 | e1");
    EXPECT_EQ(slots(RookRays[sq("c7")]), "d7 e7 f7 g7 h7 | c8 | b7 a7 | c6 c5 c4 c3 c2 c1");
    EXPECT_EQ(slots(RookRays[sq("a1")]), "b1 c1 d1 e1 f1 g1 h1 | a2 a3 a4 a5 a6 a7 a8 |  | ");
    EXPECT_EQ(slots(RookRays[sq("h8")]), "g8 f8 e8 d8 c8 b8 a8 | h7 h6 h5 h4 h3 h2 h1 |  | ");
}

TEST(Attacks, KingTests)
{
    load_fen("4r3/8/8/8/8/8/8/4K3 w - - 0 1");
    EXPECT_TRUE(in_check());
    load_fen("4r3/8/8/8/4P3/8/8/4K3 w - - 0 1");
    EXPECT_FALSE(in_check());
    load_fen("4r3/8/8/8/4n3/8/8/4K3 w - - 0 1");
    EXPECT_FALSE(in_check()) << "the first piece on the line is not a rook";
    load_fen("8/8/8/8/8/8/3p4/4K3 w - - 0 1");
    EXPECT_TRUE(in_check());
    load_fen("8/8/8/8/8/8/4p3/4K3 w - - 0 1");
    EXPECT_FALSE(in_check());
    load_fen("8/8/8/p1p5/K7/8/8/8 w - - 0 1");
    EXPECT_FALSE(in_check()) << "from a4 only b5 is looked at";
    load_fen("8/8/8/1p6/K7/8/8/8 w - - 0 1");
    EXPECT_TRUE(in_check());
    load_fen("3p4/4K3/8/8/8/8/8/8 w - - 0 1");
    EXPECT_FALSE(in_check()) << "no pawn test for a king on rank 7";
    load_fen("8/8/8/7k/6P1/8/8/8 b - - 0 1");
    EXPECT_TRUE(in_check());
    load_fen("8/8/8/8/8/8/4k3/3P4 b - - 0 1");
    EXPECT_FALSE(in_check()) << "no pawn test for a king on rank 2";
    load_fen("8/8/8/8/3kK3/8/8/8 w - - 0 1");
    EXPECT_TRUE(in_check());
    load_fen("8/8/8/8/3kK3/8/8/8 b - - 0 1");
    EXPECT_TRUE(in_check());

    load_fen("4k3/8/8/b7/8/8/3N4/4K3 w - - 0 1");
    make_move(make_move_word(sq("d2"), sq("f3"), MOVE_NORMAL));
    EXPECT_FALSE(move_was_legal()) << "the knight was pinned";
    EXPECT_FALSE(in_check()) << "in_check now looks at the black king";
    unmake_move();
}

// The bit-set attack test must answer exactly as the walk along the tables, on every position
// the perft suite reaches and on random placements, legal or not.
TEST(Attacks, FastTestAgreesWithTheScanEverywhere)
{
    std::mt19937 random(11);
    long compared = 0;
    auto compare = [&] {
        EXPECT_EQ((square_attacked<1, true>(position.white_king)), king_attacked_by_scan(true));
        EXPECT_EQ((square_attacked<0, true>(position.black_king)), king_attacked_by_scan(false));
        compared += 2;
    };
    for (const SuitePosition& p : perft_suite()) {
        load_fen(p.fen.c_str());
        for (int game = 0; game < 5; ++game) {
            int played = 0;
            for (; played < 40; ++played) {
                MoveList list;
                generate_moves(list);
                if (list.count == 0)
                    break;
                make_move(list.moves[random() % list.count]);
                compare();
            }
            while (played-- > 0)
                unmake_move();
        }
    }
    const char pieces[] = "PNBRQKpnbrqk";
    for (int i = 0; i < 20000; ++i) {
        std::string fen;
        for (int rank = 0; rank < 8; ++rank) {
            for (int file = 0; file < 8; ++file)
                fen += random() % 3 ? '1' : pieces[random() % 12];
            fen += rank < 7 ? "/" : " w - - 0 1";
        }
        load_fen(fen.c_str());
        position.white_king = int(random() % 64);
        position.black_king = int(random() % 64);
        compare();
    }
    EXPECT_GT(compared, 100000);
}

TEST(Generator, StartPositionOrder)
{
    EXPECT_EQ(generated(START_FEN), "b1c3 b1a3 g1f3 g1h3 a2a3 a2a4 b2b3 b2b4 c2c3 c2c4 d2d3 d2d4 e2e3 e2e4 "
                                    "f2f3 f2f4 g2g3 g2g4 h2h3 h2h4");
}

TEST(Generator, PawnOrders)
{
    EXPECT_EQ(generated("3r1n1k/4P3/8/8/8/8/8/K7 w - - 0 1"),
              "a1b1 a1a2 a1b2 e7e8q e7e8r e7e8b e7e8n e7f8q e7f8r e7f8b e7f8n e7d8q e7d8r e7d8b e7d8n");
    EXPECT_EQ(generated("3rqn1k/4P3/8/8/8/8/8/K7 w - - 0 1"),
              "a1b1 a1a2 a1b2 e7f8q e7f8r e7f8b e7f8n e7d8q e7d8r e7d8b e7d8n");
    EXPECT_EQ(generated("4k3/8/8/2PpP3/8/8/8/K7 w - d6 0 1"), "a1b1 a1a2 a1b2 c5c6 c5d6 e5e6 e5d6");
    EXPECT_EQ(generated("4k3/8/8/8/8/4n3/4P3/K7 w - - 0 1"), "a1b1 a1a2 a1b2") << "blocked: no double push";
    EXPECT_EQ(generated("k7/8/8/8/8/8/3p4/2R1R2K b - - 0 1"),
              "d2d1q d2d1r d2d1b d2d1n d2e1q d2e1r d2e1b d2e1n d2c1q d2c1r d2c1b d2c1n a8a7 a8b7 a8b8");
}

TEST(Generator, Castling)
{
    EXPECT_EQ(generated("4k3/8/8/8/8/8/8/R3K2R w KQ - 0 1"),
              "a1b1 a1c1 a1d1 a1a2 a1a3 a1a4 a1a5 a1a6 a1a7 a1a8 e1d1 e1f1 e1d2 e1e2 e1f2 e1g1 e1c1 "
              "h1g1 h1f1 h1h2 h1h3 h1h4 h1h5 h1h6 h1h7 h1h8");
    auto castles = [](const char* fen) {
        std::string moves = generated(fen), found;
        for (const char* c : {"e1g1", "e1c1", "e8g8", "e8c8"})
            if (moves.find(c) != std::string::npos)
                found += found.empty() ? c : std::string(" ") + c;
        return found;
    };
    EXPECT_EQ(castles("1r2k3/8/8/8/8/8/8/R3K2R w KQ - 0 1"), "e1g1 e1c1") << "b1 may be attacked";
    EXPECT_EQ(castles("4k3/8/8/8/8/8/8/R3K2R w KQ - 0 1"), "e1g1 e1c1");
    EXPECT_EQ(castles("4r1k1/8/8/8/8/8/8/R3K2R w KQ - 0 1"), "") << "in check";
    EXPECT_EQ(castles("5rk1/8/8/8/8/8/8/R3K2R w KQ - 0 1"), "e1c1") << "f1 attacked";
    EXPECT_EQ(castles("6rk/8/8/8/8/8/8/R3K2R w KQ - 0 1"), "e1c1") << "g1 attacked";
    EXPECT_EQ(castles("3r2k1/8/8/8/8/8/8/R3K2R w KQ - 0 1"), "e1g1") << "d1 attacked";
    EXPECT_EQ(castles("2r3k1/8/8/8/8/8/8/R3K2R w KQ - 0 1"), "e1g1") << "c1 attacked";
    EXPECT_EQ(castles("4k3/8/8/8/8/8/7p/R3K2R w KQ - 0 1"), "e1c1") << "pawn on h2 hits g1";
    EXPECT_EQ(castles("4k3/8/8/8/8/8/8/R3K1NR w KQ - 0 1"), "e1c1") << "g1 occupied";
    EXPECT_EQ(castles("r3k2r/5p2/4p3/3p4/2B5/8/8/4K3 b kq - 0 1"), "e8g8 e8c8") << "the d5 pawn blocks the bishop";
    EXPECT_EQ(castles("r3k2r/8/8/8/2B5/8/8/4K3 b kq - 0 1"), "e8c8") << "c4 bishop hits g8";
    EXPECT_EQ(castles("r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1"), "e8g8 e8c8");
    // Rights without their rook, a rook of the wrong colour, a king away from home.
    load_fen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1");
    position.board[sq("h1")] = BLACK_ROOK;
    position.board[sq("a1")] = EMPTY;
    sync_bit_sets();
    MoveList list;
    generate_moves(list);
    for (int i = 0; i < list.count; ++i)
        EXPECT_NE(kind_of_move(list.moves[i]), MOVE_CASTLING);
    load_fen("r3k2r/8/8/8/8/8/8/R4K1R w KQkq - 0 1");
    position.castling = 15;
    EXPECT_EQ(castles(""), "") << "an empty text keeps nothing of the position, and no king is on e1";
}

TEST(Generator, BareKingAndPawnsOnTheirLastRank)
{
    EXPECT_EQ(generated("4k3/8/8/8/8/8/8/7K w - - 0 1"), "h1g1 h1g2 h1h2");
    // Only a FEN can put a pawn on its last rank; it has no moves and nothing off the board is read.
    EXPECT_EQ(generated("P3k3/8/8/8/8/8/8/7K w - - 0 1"), "h1g1 h1g2 h1h2");
    EXPECT_EQ(generated("4k3/8/8/8/8/8/8/p6K b - - 0 1"), "e8d7 e8e7 e8f7 e8d8 e8f8");
    EXPECT_EQ(captures("P3k3/8/8/8/8/8/8/7K w - - 0 1"), "");
}

// No legal game reaches more than 218 moves, but a FEN can place as many queens as it likes;
// the list fills piece by piece and stops before its end.
TEST(Generator, CrowdedPositionsNeverOverflowTheLists)
{
    load_fen("R6R/3Q4/1Q4Q1/4Q3/2Q4Q/Q4Q2/pp1Q4/kBNN1KB1 w - - 0 1");
    Move legal[MAX_MOVES];
    int32_t count;
    generate_legal_moves(legal, count);
    EXPECT_EQ(count, 218);

    // The most found by searching placements: every move fits.
    load_fen("QQQQQQQQ/Q6Q/Q6Q/Q6Q/Q6Q/Q6Q/Q6Q/QQQQQQQQ w - - 0 1");
    MoveList list;
    generate_moves(list);
    EXPECT_EQ(list.count, 288);
    EXPECT_EQ(perft(1), 288u);
    EXPECT_FALSE(lists_have_room()) << "the bound must not promise room it cannot prove";

    // More captures than any list holds: the list stops between pieces, short of its end.
    load_fen("qrnbbpbb/PPPPPPPb/prNNNNNq/nQrqbbQb/QQbnQnpr/nrQNNbQQ/QnQpQpQp/QqQpQrQb w - - 0 1");
    CaptureList capture_list;
    generate_captures(capture_list);
    EXPECT_GT(capture_list.count, MAX_CAPTURES - CAPTURES_PER_PIECE_LIMIT);
    EXPECT_LE(capture_list.count, MAX_CAPTURES);
    EXPECT_FALSE(lists_have_room());
    load_fen(START_FEN);
    EXPECT_TRUE(lists_have_room());
}

TEST(Captures, Orders)
{
    EXPECT_EQ(captures(START_FEN), "");
    EXPECT_EQ(captures("n1r1k3/1P6/8/8/8/8/8/4K3 w - - 0 1"), "b7c8q b7c8r b7c8b b7c8n b7a8q b7a8r b7a8b b7a8n");
    EXPECT_EQ(captures("4k3/8/5n2/3pP3/8/8/8/4K3 w - d6 0 1"), "e5f6 e5d6");
    EXPECT_EQ(captures("r3k3/8/8/8/8/8/8/R3K3 w - - 0 1"), "a1a8");
    EXPECT_EQ(captures("r3k3/8/8/8/N7/8/8/R3K3 w - - 0 1"), "");
    EXPECT_EQ(captures("4k3/8/8/8/8/8/3q4/4K3 w - - 0 1"), "e1d2") << "defended or not";
}

// The capture list is the full list with quiet moves, double pushes, quiet promotions and
// castling left out, in the same order.
TEST(Captures, SameAsTheFullListsCaptures)
{
    for (const SuitePosition& p : perft_suite()) {
        load_fen(p.fen.c_str());
        std::mt19937 random(3);
        for (int step = 0; step < 30; ++step) {
            MoveList all;
            generate_moves(all);
            std::vector<Move> expected;
            for (int i = 0; i < all.count; ++i) {
                const Move m = all.moves[i];
                const int kind = kind_of_move(m);
                if (kind == MOVE_EN_PASSANT || (kind != MOVE_CASTLING && position.board[to_of(m)] != EMPTY))
                    expected.push_back(m);
            }
            CaptureList list;
            generate_captures(list);
            ASSERT_EQ(std::vector<Move>(list.moves, list.moves + list.count), expected) << p.fen;
            if (all.count == 0)
                break;
            make_move(all.moves[random() % all.count]);
        }
    }
}

TEST(MoveText, ReadAndWritten)
{
    char text[6];
    move_to_text(make_move_word(sq("e7"), sq("e8"), MOVE_PROMOTE_QUEEN), text);
    EXPECT_STREQ(text, "e7e8q");
    move_to_text(0x7f34, text);
    EXPECT_STREQ(text, "e7e8n");
    move_to_text(WHITE_CASTLE_KING_SIDE, text);
    EXPECT_STREQ(text, "e1g1");
    move_to_text(BLACK_CASTLE_QUEEN_SIDE, text);
    EXPECT_STREQ(text, "e8c8");

    load_fen(START_FEN);
    EXPECT_EQ(kind_of_move(text_to_move("e2e4")), MOVE_DOUBLE_PUSH);
    EXPECT_EQ(text_to_move("g1f3"), make_move_word(sq("g1"), sq("f3"), MOVE_NORMAL));
    EXPECT_EQ(text_to_move("e2e5"), 0);
    EXPECT_EQ(text_to_move("e2e4q"), text_to_move("e2e4")) << "a fifth letter after a plain move is ignored";
    for (const char* short_text : {"", "e", "e2", "e2e"})
        EXPECT_EQ(text_to_move(short_text), 0) << short_text;

    load_fen("4k3/4P3/8/8/8/8/8/4K2R w K - 0 1");
    EXPECT_EQ(text_to_move("e7e8"), 0);
    EXPECT_EQ(text_to_move("e7e8"), 0);
    load_fen("7k/4P3/8/8/8/8/8/4K2R w K - 0 1");
    EXPECT_EQ(kind_of_move(text_to_move("e7e8q")), MOVE_PROMOTE_QUEEN);
    EXPECT_EQ(kind_of_move(text_to_move("e7e8n")), MOVE_PROMOTE_KNIGHT);
    EXPECT_EQ(text_to_move("e7e8"), 0);
    EXPECT_EQ(text_to_move("e7e8Q"), 0);
    const Move castle = text_to_move("e1g1");
    EXPECT_EQ(castle, WHITE_CASTLE_KING_SIDE);
    play_game_move(castle);
    EXPECT_EQ(position.board[sq("f1")], WHITE_ROOK);
    EXPECT_EQ(position.board[sq("h1")], EMPTY);
}

TEST(GameMoves, KeysAndCounters)
{
    load_fen(START_FEN);
    position.root_ply = 1;
    play_game_move(text_to_move("e2e4"));
    const uint64_t after_e4 = compute_key();
    play_game_move(text_to_move("e7e5"));
    EXPECT_EQ(position.root_ply, 3);
    EXPECT_EQ(position.key_history[1], after_e4);
    EXPECT_EQ(position.key_history[2], compute_key());
    EXPECT_EQ(position.ply, 0);
    EXPECT_EQ(position.fifty, 0);
    EXPECT_EQ(position.hash_key, 7117605525042373436ULL) << "game moves leave the loaded key";
    play_game_move(text_to_move("g1f3"));
    EXPECT_EQ(position.fifty, 1);
    load_fen("7k/4P3/8/8/8/8/8/K7 w - - 9 1");
    play_game_move(text_to_move("e7e8q"));
    EXPECT_EQ(position.fifty, 0);
}

// A game of thousands of plies keeps the most recent keys: the history never overflows and its
// last entry is always the current position's key.
TEST(GameMoves, LongGamesKeepTheRecentHistory)
{
    load_fen(START_FEN);
    position.root_ply = 1;
    const char* shuffle[] = {"g1f3", "g8f6", "f3g1", "f6g8"};
    for (int ply = 0; ply < 5000; ++ply) {
        play_game_move(text_to_move(shuffle[ply % 4]));
        ASSERT_LE(position.root_ply, KEY_HISTORY_SIZE);
        ASSERT_EQ(position.key_history[position.root_ply - 1], compute_key());
    }
    EXPECT_EQ(position.root_ply, KEY_HISTORY_SIZE);
    EXPECT_EQ(position.key_history[KEY_HISTORY_SIZE - 5], compute_key()) << "four plies ago, the same position";
}

TEST(Perft, LegalListAndSmallCounts)
{
    load_fen(START_FEN);
    Move moves[MAX_MOVES];
    int32_t count;
    generate_legal_moves(moves, count);
    EXPECT_EQ(count, 20);
    EXPECT_EQ(perft(0), 1u);
    for (int depth = 1; depth <= 4; ++depth)
        EXPECT_EQ(perft(depth), PERFT_EXPECTED[depth]);
    load_fen("rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq - 1 3");  // mated
    generate_legal_moves(moves, count);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(perft(0), 1u);
    EXPECT_EQ(perft(1), 0u);
}

TEST(Perft, SuiteAtShallowDepths)
{
    for (const SuitePosition& p : perft_suite()) {
        load_fen(p.fen.c_str());
        for (size_t depth = 1; depth <= p.counts.size() && p.counts[depth - 1] <= 20000; ++depth)
            ASSERT_EQ(perft(int(depth)), p.counts[depth - 1]) << p.fen << " depth " << depth;
    }
}

namespace {

// The same position with the board turned upside down and the colours swapped: ranks in
// reverse order, every piece letter in the other case, the other side to move, the castling
// rights of the other side, and the en-passant square on the mirrored rank.
std::string mirrored_fen(const std::string& fen)
{
    std::istringstream fields(fen);
    std::string board, side, castling, ep, rest;
    fields >> board >> side >> castling >> ep;
    std::getline(fields, rest);

    std::vector<std::string> ranks;
    std::istringstream rank_text(board);
    for (std::string rank; std::getline(rank_text, rank, '/');)
        ranks.push_back(rank);
    std::string mirrored;
    for (auto rank = ranks.rbegin(); rank != ranks.rend(); ++rank) {
        for (const char c : *rank)
            mirrored += std::isupper(c) ? char(std::tolower(c)) : char(std::toupper(c));
        mirrored += rank + 1 != ranks.rend() ? "/" : "";
    }

    std::string rights;
    for (const char right : {'k', 'q', 'K', 'Q'})  // white's rights are black's before
        if (castling.find(right) != std::string::npos)
            rights += std::isupper(right) ? char(std::tolower(right)) : char(std::toupper(right));
    if (ep.size() == 2)
        ep[1] = char('1' + '8' - ep[1]);
    return mirrored + (side == "w" ? " b " : " w ") + (rights.empty() ? "-" : rights) + " " + ep + rest;
}

}  // namespace

// A generator fault that only one colour or one side of the board shows (a pawn direction, a
// castling square, an en-passant rank) changes the count of the mirrored position.
TEST(Perft, MirroredSuiteCountsTheSame)
{
    EXPECT_EQ(mirrored_fen("r3k2r/8/8/3pP3/8/8/8/R3K2R w Kq d6 0 1"), "r3k2r/8/8/8/3Pp3/8/8/R3K2R b Qk d3 0 1");
    for (const SuitePosition& p : perft_suite()) {
        size_t depth = 1;  // the deepest count that takes milliseconds
        while (depth < p.counts.size() && p.counts[depth] <= 100000)
            ++depth;
        const std::string mirrored = mirrored_fen(p.fen);
        load_fen(mirrored.c_str());
        EXPECT_EQ(perft(int(depth)), p.counts[depth - 1]) << p.fen << " mirrored: " << mirrored << " depth " << depth;
    }
}

namespace {

// The evaluation is the same for either side to move, negated, and every capture is made and
// taken back onto a consistent board. Under the sanitizers this also shows that neither looks
// outside the board.
void expect_sound_evaluation_and_captures(const std::string& fen)
{
    load_fen(fen.c_str());
    const int32_t score = evaluate();
    position.turn ^= 1;
    ASSERT_EQ(evaluate(), -score) << fen;
    CaptureList list;
    generate_captures(list);
    for (int j = 0; j < list.count; ++j) {
        make_capture(list.moves[j]);
        ASSERT_TRUE(position_is_consistent()) << fen;
        unmake_capture();
    }
}

}  // namespace

// Pawns on every rank, their own last rank included, as only a FEN can place them; then the
// suite's positions, with castling rights and en-passant squares.
TEST(Robustness, RandomPlacementsWithPawnsAnywhere)
{
    std::mt19937 random(99);
    const char pieces[] = "PPPPpppppNBRQKnbrqk";
    for (int i = 0; i < 20000; ++i) {
        std::string fen;
        for (int rank = 0; rank < 8; ++rank) {
            for (int file = 0; file < 8; ++file)
                fen += random() % 2 ? '1' : pieces[random() % (sizeof pieces - 1)];
            fen += rank < 7 ? "/" : "";
        }
        fen += random() % 2 ? " w - - 0 1" : " b - - 0 1";
        ASSERT_NO_FATAL_FAILURE(expect_sound_evaluation_and_captures(fen));
    }
    for (const SuitePosition& p : perft_suite())
        ASSERT_NO_FATAL_FAILURE(expect_sound_evaluation_and_captures(p.fen));
}
