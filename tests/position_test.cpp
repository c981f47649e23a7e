// The position record: keys, FEN reading, the board print, make and unmake.
#include <cstring>
#include <random>

#include <gtest/gtest.h>

#include "movegen/movegen.h"
#include "test_support.h"

namespace {

Move word(const char* from, const char* to, int kind = MOVE_NORMAL) { return make_move_word(sq(from), sq(to), kind); }

}  // namespace

TEST(Keys, FixedSeedGivesKnownKeys)
{
    EXPECT_EQ(piece_square_keys[0][0], 7189140000003498647ULL);
    load_fen(START_FEN);
    EXPECT_EQ(compute_key(), 7117605525042373436ULL);
    EXPECT_EQ(position.hash_key, 7117605525042373436ULL);
    EXPECT_EQ(position.key_history[0], 7117605525042373436ULL);
    make_move(word("e2", "e4", MOVE_DOUBLE_PUSH));
    EXPECT_EQ(compute_key(), 16359295755394779460ULL);
    unmake_move();
    EXPECT_EQ(compute_key(), 7117605525042373436ULL);

    uint64_t first[8] = {piece_square_keys[5][12], ep_keys[20], castling_keys[15], white_to_move_key};
    init_keys();
    uint64_t again[8] = {piece_square_keys[5][12], ep_keys[20], castling_keys[15], white_to_move_key};
    EXPECT_EQ(0, std::memcmp(first, again, sizeof first));
}

TEST(Keys, SideToMoveAndEmptyBoard)
{
    load_fen("8/8/8/8/8/8/8/8 w - - 0 1");
    EXPECT_EQ(compute_key(), white_to_move_key);
    load_fen("8/8/8/8/8/8/8/8 b - - 0 1");
    EXPECT_EQ(compute_key(), 0u);
    load_fen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1");
    const uint64_t white = compute_key();
    load_fen("r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1");
    EXPECT_EQ(white ^ compute_key(), white_to_move_key);
}

TEST(Fen, StartPositionFields)
{
    load_fen(START_FEN);
    EXPECT_EQ(position.castling, 15);
    EXPECT_EQ(position.ep_square, 0);
    EXPECT_EQ(position.fifty, 0);
    EXPECT_EQ(position.turn, 0);
    EXPECT_EQ(position.white_king, sq("e1"));
    EXPECT_EQ(position.black_king, sq("e8"));
    EXPECT_EQ(position.board[4], WHITE_KING);
    EXPECT_EQ(position.board[60], BLACK_KING);
    EXPECT_TRUE(position_is_consistent());
}

TEST(Fen, FieldsReadAsWritten)
{
    load_fen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBN1 w KQkq - 0 1");
    EXPECT_EQ(position.castling, 14) << "no rook on h1, no K right";
    load_fen("4k3/8/8/8/8/8/8/4K3 w - - 0 1");
    EXPECT_EQ(position.castling, 0);
    EXPECT_EQ(position.ep_square, 0);
    load_fen("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1");
    EXPECT_EQ(position.ep_square, 20);
    load_fen("rnbqkbnr/ppp1pppp/8/3pP3/8/8/PPPP1PPP/RNBQKBNR w KQkq d6 0 3");
    EXPECT_EQ(position.ep_square, 43);
    load_fen("4k3/8/8/8/8/8/8/4K3 w - - 37 80");
    EXPECT_EQ(position.fifty, 37);
    load_fen("4k3/8/8/8/8/8/8/4K3 w - -");
    EXPECT_EQ(position.fifty, 0);
    EXPECT_EQ(position.hash_key, compute_key());
    EXPECT_EQ(position.key_history[0], position.hash_key);
}

// An en-passant square is kept only where a pawn has just passed it: anything else would let
// an en-passant capture take the wrong piece off the board.
TEST(Fen, EnPassantSquareOnlyBehindAPawnThatJustPassed)
{
    for (const char* ep : {"z9", "e0", "i3", "a1", "e6", "e4", "d3"}) {
        const std::string fen = std::string("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq ") + ep + " 0 1";
        load_fen(fen.c_str());
        EXPECT_EQ(position.ep_square, 0) << ep;
    }
    load_fen("4k3/8/8/3PN3/8/8/8/4K3 w - e6 0 1");  // a knight, not a black pawn, on e5
    EXPECT_EQ(position.ep_square, 0);
    load_fen("4k3/8/4n3/3Pp3/8/8/8/4K3 w - e6 0 1");  // the passed square is occupied
    EXPECT_EQ(position.ep_square, 0);
    load_fen("4k3/8/8/8/4Pp2/8/8/4K3 b - e3 0 1");
    EXPECT_EQ(position.ep_square, 20);
}

TEST(Fen, KingsMissingOrDoubled)
{
    load_fen(START_FEN);
    load_fen("8/8/8/3k4/8/8/8/8 w - - 0 1");
    EXPECT_EQ(position.white_king, sq("e1")) << "a missing king keeps the previous square";
    EXPECT_EQ(position.black_king, sq("d5"));
    load_fen("K6K/8/8/8/8/8/8/k6k w - - 0 1");
    EXPECT_EQ(position.white_king, sq("h8")) << "the last king read counts";
    EXPECT_EQ(position.black_king, sq("h1"));
    EXPECT_TRUE(position_is_consistent());
}

// Truncated, overlong and garbled FEN text: the reader never reads past the text's end and
// never writes outside the board; the fields it did not reach stay as the reset left them.
TEST(Fen, MalformedTextIsSafe)
{
    load_fen("");
    EXPECT_EQ(position.occupied, 0u);
    load_fen("8/8");
    EXPECT_EQ(position.occupied, 0u);
    load_fen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQ");
    EXPECT_EQ(position.castling, CASTLE_WK | CASTLE_WQ);
    EXPECT_EQ(position.fifty, 0);
    load_fen("rnbqkbnr/pppppppp/99/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    EXPECT_TRUE(position_is_consistent());
    load_fen("rnbqkbnrrrr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    EXPECT_TRUE(position_is_consistent());
    load_fen("r3k4/8/8/8/8/8/8/4K3 w - - 0 1");  // the run of 4 from f8 wraps onto a8
    EXPECT_EQ(position.board[sq("a8")], EMPTY);
    EXPECT_EQ(position.board[sq("e8")], BLACK_KING);
    EXPECT_TRUE(position_is_consistent());
    load_fen("\xff\xfe\x80pppp/8/8/8/8/8/8/8 w - - 0 1");
    EXPECT_EQ(position.board[sq("a8")], EMPTY) << "bytes above 127 are empty squares";
    EXPECT_EQ(position.board[sq("d8")], BLACK_PAWN);
    load_fen("4k3/8/8/8/8/8/8/4K3 w - - 99999999999999999999 1");
    EXPECT_GT(position.fifty, 0);
}

TEST(Fen, ThousandsOfMalformedTextsUnderTheSanitizers)
{
    std::mt19937 random(2024);
    std::vector<std::string> texts;
    for (const SuitePosition& p : perft_suite()) {
        for (size_t cut = 0; cut <= p.fen.size(); ++cut)  // every truncation of a valid FEN
            texts.push_back(p.fen.substr(0, cut));
        if (texts.size() > 8000)
            break;
    }
    const std::string alphabet = "pnbrqkPNBRQK12345678/ -wbKQkqabcdefgh0123456789\xff\x80";
    for (int i = 0; i < 3000; ++i) {
        std::string text;
        const int length = int(random() % 90);
        for (int j = 0; j < length; ++j)
            text += (i % 2) ? char(1 + random() % 255) : alphabet[random() % alphabet.size()];
        texts.push_back(text);
    }
    const auto& suite = perft_suite();
    ASSERT_FALSE(suite.empty());
    for (int i = 0; i < 500; ++i) {  // overlong ranks and bad fields on a real FEN
        std::string text = suite[random() % suite.size()].fen;
        text.insert(random() % text.size(), std::string(1 + random() % 12, "8Qp/ -"[random() % 6]));
        texts.push_back(text);
    }
    ASSERT_GE(texts.size(), 10000u);

    for (const std::string& text : texts) {
        load_fen(text.c_str());
        ASSERT_TRUE(position_is_consistent()) << text;
        ASSERT_EQ(position.hash_key, compute_key());
        ASSERT_TRUE(position.ep_square >= 0 && position.ep_square < 64);
        ASSERT_LE(position.castling, 15);
        const std::string printed = captured_output(print_board);
        ASSERT_NE(printed.find("hash numder: "), std::string::npos);
    }
}

TEST(BoardPrint, StartPositionExactly)
{
    load_fen(START_FEN);
    EXPECT_EQ(captured_output(print_board),
              "8 r n b q k b n r \n7 p p p p p p p p \n6 . . . . . . . . \n5 . . . . . . . . \n"
              "4 . . . . . . . . \n3 . . . . . . . . \n2 P P P P P P P P \n1 R N B Q K B N R \n"
              "\n  a b c d e f g h \nturn: W\nply:0 * root_ply:0 * fifty:0\nhash numder: 7117605525042373436\n");
}

// The search asks key_after for the table's move before matching it against the list, so a
// key collision can hand it any word: every square it derives must stay on the board (the
// sanitizers' bounds checks catch a read outside board or ep_keys).
TEST(Keys, KeyAfterTakesAnyMoveWord)
{
    for (const char* fen : {"rnbqkbnr/ppp1pppp/8/8/3pP3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1",
                            "rnbqkbnr/pppp1ppp/8/3Pp3/8/8/PPP1PPPP/RNBQKBNR w KQkq e6 0 1"}) {
        load_fen(fen);
        volatile uint64_t kept;  // so that no call is left out as unused
        for (Move move = 0; move < (8 << 12); ++move)
            kept = key_after(move);
        (void)kept;
        MoveList list;
        generate_moves(list);
        for (int i = 0; i < list.count; ++i) {
            const uint64_t predicted = key_after(list.moves[i]);
            make_move(list.moves[i]);
            EXPECT_EQ(position.current_key, predicted) << fen << " move " << i;
            unmake_move();
        }
    }
}

TEST(MakeUnmake, DoublePushSetsAndClearsTheEnPassantSquare)
{
    load_fen(START_FEN);
    const PositionSnapshot before = snapshot();
    const Move e2e4 = word("e2", "e4", MOVE_DOUBLE_PUSH);
    make_move(e2e4);
    EXPECT_EQ(position.board[sq("e4")], WHITE_PAWN);
    EXPECT_EQ(position.board[sq("e2")], EMPTY);
    EXPECT_EQ(position.ep_square, 20);
    EXPECT_EQ(position.fifty, 0);
    EXPECT_EQ(position.turn, 1);
    EXPECT_EQ(position.ply, 1);
    EXPECT_EQ(position.move_stack[0], e2e4);
    unmake_move();
    EXPECT_EQ(snapshot(), before);
}

TEST(MakeUnmake, CastlingMovesTheRookAndClearsRights)
{
    load_fen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 5 1");
    const PositionSnapshot before = snapshot();
    make_move(WHITE_CASTLE_KING_SIDE);
    EXPECT_EQ(position.board[sq("g1")], WHITE_KING);
    EXPECT_EQ(position.board[sq("f1")], WHITE_ROOK);
    EXPECT_EQ(position.board[sq("e1")], EMPTY);
    EXPECT_EQ(position.board[sq("h1")], EMPTY);
    EXPECT_EQ(position.white_king, 6);
    EXPECT_EQ(position.castling, CASTLE_BK | CASTLE_BQ);
    EXPECT_EQ(position.fifty, 6);
    unmake_move();
    EXPECT_EQ(snapshot(), before);

    make_move(word("a1", "a8"));  // a rook leaving a1 and capturing on a8
    EXPECT_EQ(position.castling, CASTLE_WK | CASTLE_BK);
    unmake_move();
    make_move(word("h1", "h8"));
    EXPECT_EQ(position.castling, CASTLE_WQ | CASTLE_BQ);
    unmake_move();
    load_fen("r3k2r/8/8/8/8/1n6/8/R3K2R b KQkq - 0 1");
    make_move(word("b3", "a1"));
    EXPECT_EQ(position.castling, CASTLE_WK | CASTLE_BK | CASTLE_BQ);
}

TEST(MakeUnmake, EnPassantAndPromotions)
{
    load_fen("4k3/8/8/3pP3/8/8/8/4K3 w - d6 7 1");
    PositionSnapshot before = snapshot();
    make_move(word("e5", "d6", MOVE_EN_PASSANT));
    EXPECT_EQ(position.board[sq("d5")], EMPTY);
    EXPECT_EQ(position.board[sq("d6")], WHITE_PAWN);
    EXPECT_EQ(position.undo_stack[0].captured, EMPTY);
    EXPECT_EQ(position.fifty, 0);
    unmake_move();
    EXPECT_EQ(position.board[sq("d5")], BLACK_PAWN);
    EXPECT_EQ(position.board[sq("d6")], EMPTY);
    EXPECT_EQ(snapshot(), before);

    load_fen("3rk3/4P3/8/8/8/8/8/4K3 w - - 3 1");
    before = snapshot();
    make_move(word("e7", "e8", MOVE_PROMOTE_QUEEN));
    EXPECT_EQ(position.board[sq("e8")], WHITE_QUEEN);
    EXPECT_EQ(position.fifty, 0);
    unmake_move();
    EXPECT_EQ(position.board[sq("e7")], WHITE_PAWN);
    EXPECT_EQ(snapshot(), before);
    make_move(word("e7", "d8", MOVE_PROMOTE_KNIGHT));
    EXPECT_EQ(position.board[sq("d8")], WHITE_KNIGHT);
    unmake_move();
    EXPECT_EQ(snapshot(), before);
    // The quiescence search's lighter pair, each make with its own unmake.
    make_capture(word("e7", "d8", MOVE_PROMOTE_ROOK));
    EXPECT_EQ(position.board[sq("d8")], WHITE_ROOK);
    unmake_capture();
    EXPECT_EQ(snapshot(), before);
    make_capture(word("e7", "d8", MOVE_PROMOTE_BISHOP));
    EXPECT_EQ(position.board[sq("d8")], WHITE_BISHOP);
    unmake_capture();
    EXPECT_EQ(snapshot(), before);
}

// Long random walks down the tree from varied positions, every kind of move included, then
// back up: every field make touches is restored exactly.
TEST(MakeUnmake, RandomSequencesRestoreEveryField)
{
    std::mt19937 random(7);
    int kinds_seen[8] = {};
    for (const SuitePosition& p : perft_suite()) {
        load_fen(p.fen.c_str());
        std::vector<PositionSnapshot> path{snapshot()};
        for (int step = 0; step < 60 && position.ply < MAX_PLY - 1; ++step) {
            MoveList list;
            generate_moves(list);
            if (list.count == 0)
                break;
            const Move move = list.moves[random() % list.count];  // legal or not
            kinds_seen[kind_of_move(move)] += 1;
            make_move(move);
            ASSERT_TRUE(position_is_consistent());
            path.push_back(snapshot());
        }
        while (position.ply > 0) {
            path.pop_back();
            unmake_move();
            ASSERT_EQ(snapshot(), path.back()) << p.fen;
        }
    }
    for (int kind = 0; kind < 8; ++kind)
        EXPECT_GT(kinds_seen[kind], 0) << "kind " << kind << " never made";
}
