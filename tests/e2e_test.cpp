// The korvane binary driven over pipes, line by line, the way a chess interface drives it:
// start-up and identity, the developers' commands, "position", "setoption", the search's
// reports, and the commands the engine listens for while it thinks.
#include <algorithm>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "e2e/session.h"

namespace {

// "info depth D currmove M currmovenumber N"
struct CurrentMove {
    int depth = 0;
    std::string move;
    int number = 0;
};

std::optional<CurrentMove> current_move_of(const std::string& line)
{
    const std::vector<std::string> w = words_of(line);
    if (w.size() != 7 || w[0] != "info" || w[1] != "depth" || !is_number(w[2]) || w[3] != "currmove" ||
        !is_move(w[4]) || w[5] != "currmovenumber" || !is_number(w[6]))
        return std::nullopt;
    return CurrentMove{std::stoi(w[2]), w[4], std::stoi(w[6])};
}

// "info depth D score cp|mate V time T nodes N nps S pv M1 M2 ... " with the blank at the end.
struct Report {
    int depth = 0;
    std::string score;  // "cp 12" or "mate -1"
    int value = 0;
    std::string pv;     // the moves, each followed by a blank
    std::string first;  // the variation's first move
};

std::optional<Report> report_of(const std::string& line)
{
    const std::vector<std::string> w = words_of(line);
    if (w.size() < 15 || w[0] != "info" || w[1] != "depth" || !is_number(w[2]) || w[3] != "score" ||
        (w[4] != "cp" && w[4] != "mate") || !is_number(w[5], true) || w[6] != "time" || !is_number(w[7]) ||
        w[8] != "nodes" || !is_number(w[9]) || w[10] != "nps" || !is_number(w[11]) || w[12] != "pv" ||
        !w.back().empty())
        return std::nullopt;
    Report report{std::stoi(w[2]), w[4] + " " + w[5], std::stoi(w[5]), "", w[13]};
    for (size_t i = 13; i + 1 < w.size(); ++i) {
        if (!is_move(w[i]))
            return std::nullopt;
        report.pv += w[i] + " ";
    }
    return report;
}

// "Time: 0.123000": seconds with six decimals.
bool is_perft_time_line(const std::string& line)
{
    if (!starts_with(line, "Time: "))
        return false;
    const std::string value = line.substr(6);
    const size_t dot = value.find('.');
    return dot != std::string::npos && is_number(value.substr(0, dot)) && value.size() == dot + 7 &&
           is_number(value.substr(dot + 1));
}

bool is_knps_line(const std::string& line) { return starts_with(line, "Knps: ") && is_number(line.substr(6)); }

// The lines after perft's twenty root moves: the total, the time taken, the total expected
// and, when the count took measurable time, the speed.
void expect_perft_summary(const std::vector<std::string>& out, int depth, const std::string& total)
{
    EXPECT_EQ(out[20], "Nodes for depth " + std::to_string(depth) + ":  " + total);
    EXPECT_TRUE(is_perft_time_line(out[21])) << out[21];
    EXPECT_EQ(out[22], "Expected: " + total);
    if (out.size() > 23) {
        EXPECT_EQ(out.size(), 24u);
        EXPECT_TRUE(is_knps_line(out[23])) << out[23];
    }
}

int count_of(const std::vector<std::string>& lines, const std::string& wanted)
{
    int n = 0;
    for (const std::string& line : lines)
        n += line == wanted;
    return n;
}

// Checks every variation of a search's reply that begins with move, the one that repeats the
// position: it scores a draw and stops there. Returns how many there are.
int expect_repetition_draws(const std::vector<std::string>& out, const std::string& move)
{
    int draws = 0;
    for (const std::string& line : out) {
        const std::optional<Report> report = report_of(line);
        if (report && report->first == move) {
            EXPECT_EQ(report->score, "cp 0") << line;
            EXPECT_EQ(report->pv, move + " ") << line;
            ++draws;
        }
    }
    return draws;
}

// Whether the engine accepts a move list from a position without complaint.
void expect_moves_accepted(Engine& engine, const std::string& position_line)
{
    EXPECT_EQ(engine.reply(position_line + "\n"), std::vector<std::string>{}) << position_line;
}

// Checks the search's reply for a depth below 5: the closing report and the best move only.
void expect_quiet_search(const std::vector<std::string>& lines)
{
    ASSERT_EQ(lines.size(), 2u) << testing::PrintToString(lines);
    EXPECT_TRUE(is_closing_line(lines[0])) << lines[0];
    EXPECT_TRUE(is_bestmove_line(lines[1])) << lines[1];
}

// Resident memory of a running process in kilobytes, or -1 when it cannot be read.
long long resident_kilobytes(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string word;
    while (status >> word) {
        if (word == "VmRSS:") {
            long long kilobytes = -1;
            status >> kilobytes;
            return kilobytes;
        }
    }
    return -1;
}

const std::vector<std::string> IDENTITY = {
    std::string("id name Korvane ") + ENGINE_VERSION,
    "id author Merevik Tavo",
    "option name Hash type spin default 32 min 32 max 2048",
    "uciok",
};

}  // namespace

// ---------------------------------------------------------------------------------------------
// Start-up, identity and the line reader

TEST(E2eStartup, BannerAloneThenUciIdentifiesAndIsreadyAnswers)
{
    START_ENGINE(engine);
    EXPECT_EQ(engine.process.lines, std::vector<std::string>{BANNER});
    EXPECT_EQ(collect_lines(engine.process, 300), std::vector<std::string>{});
    EXPECT_EQ(engine.process.pending, "");

    EXPECT_EQ(engine.reply("uci\n"), IDENTITY);
    EXPECT_EQ(engine.reply(""), std::vector<std::string>{});
    // "uciok" begins with the command word "uci".
    EXPECT_EQ(engine.reply("uciok\n"), IDENTITY);
    // "ucinewgame" is its own command and is not answered with the identity.
    EXPECT_EQ(engine.reply("ucinewgame\n"), std::vector<std::string>{});
}

TEST(E2eStartup, LinesThatAreNoCommandGetNoReply)
{
    START_ENGINE(engine);
    EXPECT_EQ(engine.reply(" uci\n"), std::vector<std::string>{});
    EXPECT_EQ(engine.reply("UCI\n"), std::vector<std::string>{});
    EXPECT_EQ(engine.reply("Isready\n"), std::vector<std::string>{});
    EXPECT_EQ(engine.reply("xyz\n"), std::vector<std::string>{});
    EXPECT_EQ(engine.reply("\n"), std::vector<std::string>{});
    EXPECT_EQ(engine.reply("\n\n   \n\t\n"), std::vector<std::string>{});
    EXPECT_EQ(engine.reply("ponderhit\n"), std::vector<std::string>{});
    // None of them touched the position.
    EXPECT_EQ(engine.board(), START_BOARD);
}

TEST(E2eStartup, CarriageReturnLineEndsActLikeNewlines)
{
    START_ENGINE(engine);
    engine.send("isready\r\n");
    EXPECT_EQ(engine.next(), "readyok");
    EXPECT_EQ(engine.reply("uci\r\n"), IDENTITY);

    EXPECT_EQ(engine.reply("position startpos moves e2e4 e7e5\r\n"), std::vector<std::string>{});
    std::vector<std::string> crlf = engine.reply("print\r\n");
    EXPECT_EQ(engine.reply("position startpos moves e2e4 e7e5\n"), std::vector<std::string>{});
    EXPECT_EQ(crlf, engine.board());

    // "infinite" is recognised as the line's last word also before "\r\n".
    EXPECT_EQ(engine.reply("position startpos\r\n"), std::vector<std::string>{});
    engine.send("go infinite\r\n");
    std::vector<std::string> early = collect_lines(engine.process, 400);
    EXPECT_EQ(count_prefix(early, "bestmove"), 0) << "the infinite search ended by itself";
    engine.send("stop\r\n");
    std::vector<std::string> rest = engine.until_bestmove(10000);
    rest.insert(rest.begin(), early.begin(), early.end());
    EXPECT_EQ(count_prefix(rest, "bestmove"), 1) << testing::PrintToString(rest);
}

TEST(E2eStartup, OverlongLineIsReadInPieces)
{
    START_ENGINE(engine);
    // 10000 characters: a piece of 4095 that begins "isready", then pieces of filler.
    std::string line = "isready" + std::string(10000 - 7, 'x') + "\n";
    engine.send(line);
    EXPECT_EQ(engine.next(), "readyok");
    EXPECT_EQ(engine.reply(""), std::vector<std::string>{});
    EXPECT_EQ(collect_lines(engine.process, 200), std::vector<std::string>{});
    // A first piece of exactly 4095 characters: the next piece begins with "isready".
    std::string split = std::string(4095, 'y') + "isready\n";
    engine.send(split);
    EXPECT_EQ(engine.next(), "readyok");
    EXPECT_EQ(engine.reply(""), std::vector<std::string>{});
}

TEST(E2eStartup, PrintShowsStartTestAndEmptyBoards)
{
    START_ENGINE(engine);
    EXPECT_EQ(engine.board(), START_BOARD);

    std::vector<std::string> test = engine.reply("test\n");
    ASSERT_EQ(test.size(), 13u) << testing::PrintToString(test);
    EXPECT_EQ(ranks_of(test), (std::vector<std::string>{
                                  "8 . . . . . . . . ",
                                  "7 . . . p p . . k ",
                                  "6 . n p b p Q p p ",
                                  "5 . p . . . . . . ",
                                  "4 . . . P . . . . ",
                                  "3 . . P . . . q . ",
                                  "2 . P . . . . P . ",
                                  "1 . . . . . . . K ",
                              }));
    EXPECT_EQ(test[10], "turn: W");
    EXPECT_EQ(test[11], "ply:0 * root_ply:0 * fifty:0");
    EXPECT_TRUE(starts_with(test[12], "hash numder: "));
    EXPECT_NE(test[12], START_BOARD[12]);
    // "test" loaded the position: "print" shows it again.
    EXPECT_EQ(engine.board(), test);

    EXPECT_EQ(engine.reply("ucinewgame\n"), std::vector<std::string>{});
    std::vector<std::string> empty = engine.board();
    ASSERT_EQ(empty.size(), 13u) << testing::PrintToString(empty);
    for (int rank = 8; rank >= 1; --rank)
        EXPECT_EQ(empty[size_t(8 - rank)], std::to_string(rank) + " . . . . . . . . ");
    EXPECT_EQ(empty[11], "ply:0 * root_ply:0 * fifty:0");

    // A new "position" after "ucinewgame" sets the board up again.
    EXPECT_EQ(engine.reply("position startpos\n"), std::vector<std::string>{});
    EXPECT_EQ(engine.board(), START_BOARD);
}

TEST(E2eStartup, QuitAndEndOfInputExitWithStatusZero)
{
    {
        START_ENGINE(engine);
        EXPECT_EQ(engine.reply("uci\n").size(), 4u);
        const size_t before = engine.process.lines.size();
        engine.send("quit\nisready\nuci\n");
        EXPECT_EQ(engine.exit_status(), 0);
        EXPECT_EQ(engine.process.lines.size(), before) << "output after quit: " << engine.process.lines.back();
    }
    {
        START_ENGINE(engine);
        close_input(engine.process);
        EXPECT_EQ(engine.exit_status(), 0);
        EXPECT_EQ(engine.process.lines, std::vector<std::string>{BANNER});
    }
    {
        // End of input in the middle of a line: the unfinished line is still handled.
        START_ENGINE(engine);
        engine.send("isready");
        close_input(engine.process);
        EXPECT_EQ(engine.exit_status(), 0);
        EXPECT_EQ(engine.process.lines, (std::vector<std::string>{BANNER, "readyok"}));
    }
}

// ---------------------------------------------------------------------------------------------
// The perft command

TEST(E2ePerft, DepthOneListsEveryRootMoveInOrder)
{
    START_ENGINE(engine);
    std::vector<std::string> out = engine.reply("perft 1\n");
    const std::vector<std::string> moves = {"b1c3", "b1a3", "g1f3", "g1h3", "a2a3", "a2a4", "b2b3",
                                            "b2b4", "c2c3", "c2c4", "d2d3", "d2d4", "e2e3", "e2e4",
                                            "f2f3", "f2f4", "g2g3", "g2g4", "h2h3", "h2h4"};
    ASSERT_GE(out.size(), 23u) << testing::PrintToString(out);
    ASSERT_LE(out.size(), 24u) << testing::PrintToString(out);
    for (size_t i = 0; i < moves.size(); ++i)
        EXPECT_EQ(out[i], moves[i] + " - 1 ");
    expect_perft_summary(out, 1, "20");
}

TEST(E2ePerft, DeeperTotalsMatchTheKnownCounts)
{
    // Depth 5 takes long between the lines it prints.
    START_ENGINE(engine, Waits{.reply_ms = 300000});
    struct Case {
        int depth;
        const char* total;
        const char* first;
    };
    for (const Case& c :
         {Case{3, "8902", "b1c3 - 440 "}, Case{4, "197281", "b1c3 - 9755 "}, Case{5, "4865609", "b1c3 - 234656 "}}) {
        SCOPED_TRACE(c.depth);
        std::vector<std::string> out = engine.reply("perft " + std::to_string(c.depth) + "\n");
        ASSERT_GE(out.size(), 23u) << testing::PrintToString(out);
        EXPECT_EQ(out[0], c.first);
        expect_perft_summary(out, c.depth, c.total);
        // The root counts add up to the total.
        unsigned long long sum = 0;
        for (size_t i = 0; i < 20; ++i) {
            const std::vector<std::string> w = words_of(out[i]);
            ASSERT_TRUE(w.size() == 4 && is_move(w[0]) && w[1] == "-" && is_number(w[2]) && w[3].empty()) << out[i];
            sum += std::stoull(w[2]);
        }
        EXPECT_EQ(std::to_string(sum), c.total);
    }
}

TEST(E2ePerft, BadDepthPrintsOnlyAnErrorAndKeepsThePosition)
{
    START_ENGINE(engine);
    EXPECT_EQ(engine.reply("position startpos moves e2e4\n"), std::vector<std::string>{});
    const std::vector<std::string> played = engine.board();
    for (const char* line : {"perft 0\n", "perft 10\n", "perft -1\n", "perft\n", "perft x\n"}) {
        SCOPED_TRACE(line);
        EXPECT_EQ(engine.reply(line), std::vector<std::string>{"Error Depth"});
    }
    EXPECT_EQ(engine.board(), played);
}

TEST(E2ePerft, PerftLeavesTheStartPositionLoaded)
{
    START_ENGINE(engine);
    EXPECT_EQ(engine.reply("position startpos moves e2e4\n"), std::vector<std::string>{});
    EXPECT_EQ(square_in(engine.board(), "e4"), 'P');
    std::vector<std::string> out = engine.reply("perft 3\n");
    ASSERT_GE(out.size(), 21u);
    EXPECT_EQ(out[20], "Nodes for depth 3:  8902");
    EXPECT_EQ(engine.board(), START_BOARD);
}

// ---------------------------------------------------------------------------------------------
// The position command

TEST(E2ePosition, StartPositionWithAndWithoutMoves)
{
    START_ENGINE(engine);
    EXPECT_EQ(engine.reply("position startpos moves e2e4 e7e5\n"), std::vector<std::string>{});
    std::vector<std::string> with_startpos = engine.board();
    EXPECT_EQ(engine.reply("position anything moves e2e4 e7e5\n"), std::vector<std::string>{});
    std::vector<std::string> with_other_word = engine.board();
    EXPECT_EQ(with_startpos, with_other_word);
    ASSERT_EQ(with_startpos.size(), 13u);
    EXPECT_EQ(ranks_of(with_startpos), (std::vector<std::string>{
                                           "8 r n b q k b n r ",
                                           "7 p p p p . p p p ",
                                           "6 . . . . . . . . ",
                                           "5 . . . . p . . . ",
                                           "4 . . . . P . . . ",
                                           "3 . . . . . . . . ",
                                           "2 P P P P . P P P ",
                                           "1 R N B Q K B N R ",
                                       }));
    EXPECT_EQ(with_startpos[10], "turn: W");
    EXPECT_EQ(with_startpos[11], "ply:0 * root_ply:3 * fifty:0");

    EXPECT_EQ(engine.reply("position\n"), std::vector<std::string>{});
    EXPECT_EQ(engine.board(), START_BOARD);
    EXPECT_EQ(engine.reply("position startpos moves e2e4\n"), std::vector<std::string>{});
    EXPECT_EQ(engine.reply("position startpos\n"), std::vector<std::string>{});
    EXPECT_EQ(engine.board(), START_BOARD);
    // "moves " with nothing after it.
    EXPECT_EQ(engine.reply("position startpos moves \n"), std::vector<std::string>{});
    std::vector<std::string> no_moves = engine.board();
    EXPECT_EQ(ranks_of(no_moves), ranks_of(START_BOARD));
    ASSERT_EQ(no_moves.size(), 13u);
    EXPECT_EQ(no_moves[11], "ply:0 * root_ply:1 * fifty:0");
}

TEST(E2ePosition, FenWithMovesCastlingAndPromotion)
{
    START_ENGINE(engine);
    EXPECT_EQ(engine.reply("position fen r3k2r/pppppppp/8/8/8/8/PPPPPPPP/R3K2R w KQkq - 7 20\n"),
              std::vector<std::string>{});
    std::vector<std::string> fen_only = engine.board();
    ASSERT_EQ(fen_only.size(), 13u);
    EXPECT_EQ(fen_only[0], "8 r . . . k . . r ");
    EXPECT_EQ(fen_only[10], "turn: W");
    EXPECT_EQ(fen_only[11], "ply:0 * root_ply:0 * fifty:7");

    EXPECT_EQ(engine.reply("position fen r3k2r/pppppppp/8/8/8/8/PPPPPPPP/R3K2R w KQkq - 7 20 moves e1g1 e8c8\n"),
              std::vector<std::string>{});
    std::vector<std::string> castled = engine.board();
    ASSERT_EQ(castled.size(), 13u);
    EXPECT_EQ(castled[0], "8 . . k r . . . r ");
    EXPECT_EQ(castled[7], "1 R . . . . R K . ");
    EXPECT_EQ(castled[10], "turn: W");
    EXPECT_EQ(castled[11], "ply:0 * root_ply:3 * fifty:9");
    // The key shown is the one of the FEN's position.
    EXPECT_EQ(castled[12], fen_only[12]);

    EXPECT_EQ(engine.reply("position fen 7k/P7/8/8/8/8/8/K7 w - - 0 1 moves a7a8n\n"), std::vector<std::string>{});
    std::vector<std::string> promoted = engine.board();
    ASSERT_EQ(promoted.size(), 13u);
    EXPECT_EQ(promoted[0], "8 N . . . . . . k ");
    EXPECT_EQ(promoted[1], "7 . . . . . . . . ");
    EXPECT_EQ(promoted[10], "turn: B");
    EXPECT_EQ(promoted[11], "ply:0 * root_ply:2 * fifty:0");

    // Black promotes to a queen with a capture, then White answers.
    EXPECT_EQ(engine.reply("position fen 4k3/8/8/8/8/8/1p6/R3K3 b - - 0 1 moves b2a1q e1d2\n"),
              std::vector<std::string>{});
    std::vector<std::string> black_promoted = engine.board();
    EXPECT_EQ(square_in(black_promoted, "a1"), 'q');
    EXPECT_EQ(square_in(black_promoted, "b2"), '.');
    EXPECT_EQ(square_in(black_promoted, "d2"), 'K');
    ASSERT_EQ(black_promoted.size(), 13u);
    EXPECT_EQ(black_promoted[10], "turn: B");

    // En passant from a FEN's en-passant square.
    EXPECT_EQ(engine.reply("position fen 4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1 moves e5d6\n"), std::vector<std::string>{});
    std::vector<std::string> en_passant = engine.board();
    EXPECT_EQ(square_in(en_passant, "d6"), 'P');
    EXPECT_EQ(square_in(en_passant, "d5"), '.');
    EXPECT_EQ(square_in(en_passant, "e5"), '.');
}

TEST(E2ePosition, UnknownMovesAreReportedAndSkipped)
{
    START_ENGINE(engine);
    EXPECT_EQ(engine.reply("position startpos moves e2e4 a1a5 e7e5 g1f3\n"), std::vector<std::string>{"ERROR MOVE!"});
    std::vector<std::string> board = engine.board();
    ASSERT_EQ(board.size(), 13u);
    EXPECT_EQ(square_in(board, "e4"), 'P');
    EXPECT_EQ(square_in(board, "e5"), 'p');
    EXPECT_EQ(square_in(board, "f3"), 'N');
    EXPECT_EQ(square_in(board, "a1"), 'R');
    EXPECT_EQ(board[10], "turn: B");
    EXPECT_EQ(board[11], "ply:0 * root_ply:4 * fifty:1");

    // Two bad texts give two reports; a promotion without its letter is no move.
    EXPECT_EQ(engine.reply("position fen 7k/P7/8/8/8/8/8/K7 w - - 0 1 moves a7a8 zzzz a7a8q\n"),
              (std::vector<std::string>{"ERROR MOVE!", "ERROR MOVE!"}));
    EXPECT_EQ(square_in(engine.board(), "a8"), 'Q');

    // A move cut short by the end of the line.
    EXPECT_EQ(engine.reply("position startpos moves e2e4 e7\n"), std::vector<std::string>{"ERROR MOVE!"});
    std::vector<std::string> cut = engine.board();
    ASSERT_EQ(cut.size(), 13u);
    EXPECT_EQ(square_in(cut, "e4"), 'P');
    EXPECT_EQ(square_in(cut, "e7"), 'p');
    EXPECT_EQ(cut[10], "turn: B");
    EXPECT_EQ(cut[11], "ply:0 * root_ply:2 * fifty:0");
}

TEST(E2ePosition, BlanksBetweenAndAfterMoves)
{
    START_ENGINE(engine);
    EXPECT_EQ(engine.reply("position startpos moves e2e4 e7e5 g1f3\n"), std::vector<std::string>{});
    const std::vector<std::string> expected = engine.board();
    EXPECT_EQ(engine.reply("position startpos moves e2e4   e7e5  g1f3 \n"), std::vector<std::string>{});
    EXPECT_EQ(engine.board(), expected);
    EXPECT_EQ(engine.reply("position startpos moves e2e4 e7e5 g1f3    \n"), std::vector<std::string>{});
    EXPECT_EQ(engine.board(), expected);
    ASSERT_EQ(expected.size(), 13u);
    EXPECT_EQ(expected[11], "ply:0 * root_ply:4 * fifty:1");
}

// ---------------------------------------------------------------------------------------------
// The Hash option

TEST(E2eSetoption, HashSizesInsideTheRange)
{
    START_ENGINE(engine);
    EXPECT_EQ(engine.reply("setoption name Hash value 64\n"), std::vector<std::string>{});

    engine.send("setoption name Hash value 2048\n");
    engine.send("isready\n");
    EXPECT_EQ(engine.next(), "readyok");
    // The table's pages are taken lazily, so the largest table costs no time and no memory
    // until the search writes it (measured by the memory, which no load on the machine changes).
    const long long resident = resident_kilobytes(engine.process.pid);
    if (resident >= 0) {
        EXPECT_LT(resident, 256 * 1024) << "the 2048 MB table was written over when it was made";
    }

    std::vector<std::string> out = engine.search("go depth 5\n");
    ASSERT_FALSE(bestmove_of(out).empty()) << testing::PrintToString(out);
    expect_moves_accepted(engine, "position startpos moves " + bestmove_of(out));

    // Other options and misspelt names are ignored silently.
    EXPECT_EQ(engine.reply("setoption name hash value 64\n"), std::vector<std::string>{});
    EXPECT_EQ(engine.reply("setoption name Threads value 4\n"), std::vector<std::string>{});
    EXPECT_EQ(engine.reply("setoption name Hash\n"), std::vector<std::string>{});
    EXPECT_EQ(engine.reply("setoption name Hash value 32\n"), std::vector<std::string>{});
    // The position is untouched by the option.
    EXPECT_EQ(square_in(engine.board(), "a1"), 'R');
}

TEST(E2eSetoption, HashSizesOutsideTheRangeStillSearch)
{
    START_ENGINE(engine);
    for (const char* value : {"0", "-5", "99999999999", "abc", "1", "4096"}) {
        SCOPED_TRACE(value);
        EXPECT_EQ(engine.reply(std::string("setoption name Hash value ") + value + "\n"), std::vector<std::string>{});
        EXPECT_EQ(engine.reply("position startpos moves e2e4\n"), std::vector<std::string>{});
        std::vector<std::string> out = engine.search("go depth 3\n");
        std::string move = bestmove_of(out);
        ASSERT_FALSE(move.empty()) << testing::PrintToString(out);
        expect_moves_accepted(engine, "position startpos moves e2e4 " + move);
        // A deeper search uses the table for real.
        out = engine.search("go depth 5\n");
        ASSERT_FALSE(bestmove_of(out).empty()) << testing::PrintToString(out);
    }
}

// ---------------------------------------------------------------------------------------------
// The search and its reports

TEST(E2eSearch, ShallowDepthsReportOnlyTheClosingLine)
{
    START_ENGINE(engine);
    EXPECT_EQ(engine.reply("position startpos\n"), std::vector<std::string>{});
    std::string game;
    for (int depth = 1; depth <= 4; ++depth) {
        SCOPED_TRACE(depth);
        std::vector<std::string> out = engine.search("go depth " + std::to_string(depth) + "\n");
        expect_quiet_search(out);
        game += ' ';
        game += bestmove_of(out);
    }
    // Each search played its move: the board equals the game replayed by "position".
    std::vector<std::string> after_searches = engine.board();
    expect_moves_accepted(engine, "position startpos moves" + game);
    std::vector<std::string> replayed = engine.board();
    ASSERT_EQ(after_searches.size(), 13u);
    ASSERT_EQ(replayed.size(), 13u);
    EXPECT_EQ(ranks_of(after_searches), ranks_of(replayed)) << game;
    EXPECT_EQ(after_searches[10], "turn: W");
}

TEST(E2eSearch, DeeperSearchReportsCurrentMovesAndVariations)
{
    START_ENGINE(engine);
    EXPECT_EQ(engine.reply("position startpos\n"), std::vector<std::string>{});
    std::vector<std::string> out = engine.search("go depth 6\n");
    ASSERT_GE(out.size(), 2u);
    const std::string best = bestmove_of(out);
    ASSERT_FALSE(best.empty()) << testing::PrintToString(out);
    EXPECT_TRUE(is_closing_line(out[out.size() - 2])) << out[out.size() - 2];

    int depth_seen = 0, number_expected = 0, score_lines = 0;
    std::string current_move, last_pv_first;
    std::vector<int> moves_per_depth(7, 0);
    for (size_t i = 0; i + 2 < out.size(); ++i) {
        const std::string& line = out[i];
        if (const std::optional<CurrentMove> current = current_move_of(line)) {
            if (current->depth != depth_seen) {
                EXPECT_EQ(current->depth, depth_seen == 0 ? 5 : depth_seen + 1) << line;
                depth_seen = current->depth;
                number_expected = 1;
            }
            EXPECT_EQ(current->number, number_expected++) << line;
            current_move = current->move;
            if (current->depth >= 5 && current->depth <= 6)
                moves_per_depth[size_t(current->depth)]++;
        } else if (const std::optional<Report> report = report_of(line)) {
            ++score_lines;
            EXPECT_EQ(report->depth, depth_seen) << line;
            EXPECT_TRUE(starts_with(report->score, "cp ")) << line;
            // The variation starts with the root move just searched.
            EXPECT_EQ(report->first, current_move) << line;
            last_pv_first = report->first;
        } else {
            ADD_FAILURE() << "unexpected line: \"" << line << "\"";
        }
    }
    EXPECT_EQ(moves_per_depth[5], 20);
    EXPECT_EQ(moves_per_depth[6], 20);
    EXPECT_GE(score_lines, 2);
    EXPECT_EQ(best, last_pv_first);
    expect_moves_accepted(engine, "position startpos moves " + best);
}

TEST(E2eSearch, MateInOneIsFoundAndReported)
{
    START_ENGINE(engine);
    EXPECT_EQ(engine.reply("position fen 6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1\n"), std::vector<std::string>{});
    std::vector<std::string> out = engine.search("go depth 6\n");
    EXPECT_EQ(bestmove_of(out), "a1a8") << testing::PrintToString(out);
    std::optional<Report> last;
    for (const std::string& line : out)
        if (std::optional<Report> report = report_of(line))
            last = report;
    ASSERT_TRUE(last.has_value()) << testing::PrintToString(out);
    EXPECT_EQ(last->score, "mate 1");
    EXPECT_EQ(last->pv, "a1a8 ");
    // The engine's own board now has the rook on a8, Black to move.
    std::vector<std::string> board = engine.board();
    EXPECT_EQ(square_in(board, "a8"), 'R');
    EXPECT_EQ(square_in(board, "a1"), '.');
}

TEST(E2eSearch, BeingMatedIsReportedAsNegativeMate)
{
    START_ENGINE(engine);
    // Black: Kh7, a6 and a5 all allow Rh1 mate.
    EXPECT_EQ(engine.reply("position fen 7k/p4K2/8/8/8/8/8/1R6 b - - 0 1\n"), std::vector<std::string>{});
    std::vector<std::string> out = engine.search("go depth 6\n");
    const std::string best = bestmove_of(out);
    ASSERT_FALSE(best.empty()) << testing::PrintToString(out);
    int mate_lines = 0;
    for (const std::string& line : out) {
        if (std::optional<Report> report = report_of(line)) {
            EXPECT_EQ(report->score, "mate -1") << line;
            ++mate_lines;
        }
    }
    EXPECT_GE(mate_lines, 1);
    expect_moves_accepted(engine, "position fen 7k/p4K2/8/8/8/8/8/1R6 b - - 0 1 moves " + best);
}

TEST(E2eSearch, SingleLegalMoveAnswersWithoutStop)
{
    START_ENGINE(engine);
    // Black's king on h8 can only go to h7.
    EXPECT_EQ(engine.reply("position fen 7k/5K2/8/8/8/8/8/1R6 b - - 0 1\n"), std::vector<std::string>{});
    std::vector<std::string> out = engine.search("go infinite\n", 20000);
    expect_quiet_search(out);
    EXPECT_EQ(bestmove_of(out), "h8h7");
    EXPECT_EQ(square_in(engine.board(), "h7"), 'k');
}

TEST(E2eSearch, RepeatedPositionScoresAsDraw)
{
    START_ENGINE(engine);
    EXPECT_EQ(engine.reply("position startpos moves g1f3 g8f6 f3g1 f6g8\n"), std::vector<std::string>{});
    std::vector<std::string> out = engine.search("go depth 5\n");
    ASSERT_FALSE(bestmove_of(out).empty()) << testing::PrintToString(out);
    expect_repetition_draws(out, "g1f3");
    EXPECT_TRUE(std::any_of(out.begin(), out.end(), [](const std::string& line) {
        const std::optional<CurrentMove> current = current_move_of(line);
        return current && current->move == "g1f3";
    }));

    // White, a queen down, takes the repetition: the draw beats every other move.
    EXPECT_EQ(engine.reply("position fen rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNB1KBNR w KQkq - 0 1 "
                           "moves g1f3 g8f6 f3g1 f6g8\n"),
              std::vector<std::string>{});
    out = engine.search("go depth 6\n");
    EXPECT_EQ(bestmove_of(out), "g1f3") << testing::PrintToString(out);
    EXPECT_GE(expect_repetition_draws(out, "g1f3"), 2);

    // One move earlier there is nothing to repeat yet: Black keeps its large advantage.
    EXPECT_EQ(engine.reply("position fen rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNB1KBNR w KQkq - 0 1 "
                           "moves g1f3 g8f6 f3g1\n"),
              std::vector<std::string>{});
    out = engine.search("go depth 5\n");
    ASSERT_FALSE(bestmove_of(out).empty()) << testing::PrintToString(out);
    for (const std::string& line : out) {
        if (std::optional<Report> report = report_of(line)) {
            EXPECT_TRUE(starts_with(report->score, "cp ")) << line;
            EXPECT_GT(report->value, 500) << line;
        }
    }
}

TEST(E2eSearch, NoLegalMoveAnswersA1A1AndKeepsThePosition)
{
    START_ENGINE(engine);
    for (const char* fen : {"R5k1/5ppp/8/8/8/8/8/6K1 b - - 0 1",  // checkmated
                            "7k/5Q2/6K1/8/8/8/8/8 b - - 0 1"}) {  // stalemated
        SCOPED_TRACE(fen);
        EXPECT_EQ(engine.reply(std::string("position fen ") + fen + "\n"), std::vector<std::string>{});
        const std::vector<std::string> before = engine.board();
        // A deeper search reports no info lines either.
        for (const char* go_line : {"go depth 3\n", "go depth 6\n"}) {
            SCOPED_TRACE(go_line);
            std::vector<std::string> out = engine.search(go_line);
            expect_quiet_search(out);
            EXPECT_EQ(out.back(), "bestmove a1a1");
            EXPECT_EQ(engine.board(), before);
        }
    }
}

TEST(E2eSearch, SearchPlaysItsMoveAndTheNextSearchGoesOnFromThere)
{
    START_ENGINE(engine);
    EXPECT_EQ(engine.reply("position startpos\n"), std::vector<std::string>{});
    std::vector<std::string> out = engine.search("go depth 3\n");
    const std::string first = bestmove_of(out);
    ASSERT_EQ(first.size(), 4u) << testing::PrintToString(out);
    std::vector<std::string> board = engine.board();
    ASSERT_EQ(board.size(), 13u);
    EXPECT_EQ(board[10], "turn: B");
    EXPECT_EQ(square_in(board, first.substr(0, 2)), '.');
    EXPECT_EQ(square_in(board, first.substr(2, 2)), square_in(START_BOARD, first.substr(0, 2)));

    out = engine.search("go depth 3\n");
    const std::string second = bestmove_of(out);
    ASSERT_EQ(second.size(), 4u) << testing::PrintToString(out);
    // Black's move, on the board after White's.
    const char piece = square_in(board, second.substr(0, 2));
    EXPECT_TRUE(piece >= 'a' && piece <= 'z') << second;
    std::vector<std::string> after_both = engine.board();
    ASSERT_EQ(after_both.size(), 13u);
    EXPECT_EQ(after_both[10], "turn: W");
    expect_moves_accepted(engine, "position startpos moves " + first + " " + second);
    EXPECT_EQ(ranks_of(engine.board()), ranks_of(after_both));
}

TEST(E2eSearch, GoWithoutLimitsAndWithUnknownWordsStillAnswers)
{
    START_ENGINE(engine);
    EXPECT_EQ(engine.reply("position startpos\n"), std::vector<std::string>{});
    std::vector<std::string> out = engine.search("go\n", 10000);
    ASSERT_GE(out.size(), 2u);
    EXPECT_TRUE(is_closing_line(out[out.size() - 2])) << out[out.size() - 2];
    const std::string first = bestmove_of(out);
    ASSERT_FALSE(first.empty()) << testing::PrintToString(out);

    // Parameters the engine does not use, and a depth given with them.
    out = engine.search("go searchmoves e7e5 nodes 1000 depth 2\n");
    expect_quiet_search(out);
    expect_moves_accepted(engine, "position startpos moves " + first + " " + bestmove_of(out));
}

// ---------------------------------------------------------------------------------------------
// Commands the engine listens for while it searches

TEST(E2eListening, StopEndsAnInfiniteSearch)
{
    START_ENGINE(engine);
    start_infinite_search(engine, 200);
    const long long sent = now_ms();
    engine.send("stop\n");
    std::vector<std::string> out = engine.until_bestmove(10000);
    EXPECT_LT(now_ms() - sent, PROMPT_MS) << "stop took long to end the search";
    ASSERT_GE(out.size(), 2u);
    EXPECT_TRUE(is_closing_line(out[out.size() - 2])) << out[out.size() - 2];
    const std::string best = bestmove_of(out);
    ASSERT_FALSE(best.empty()) << testing::PrintToString(out);
    EXPECT_EQ(engine.reply(""), std::vector<std::string>{});
    expect_moves_accepted(engine, "position startpos moves " + best);
}

TEST(E2eListening, QuitDuringASearchOnlyStopsIt)
{
    START_ENGINE(engine);
    start_infinite_search(engine, 200);
    engine.send("quit\n");
    std::vector<std::string> out = engine.until_bestmove(10000);
    ASSERT_FALSE(bestmove_of(out).empty()) << testing::PrintToString(out);
    engine.send("isready\n");
    EXPECT_EQ(engine.next(), "readyok");
    engine.send("quit\n");
    EXPECT_EQ(engine.exit_status(), 0);
}

TEST(E2eListening, IsreadyDuringASearchIsNotAnswered)
{
    START_ENGINE(engine);
    EXPECT_EQ(engine.reply("position startpos\n"), std::vector<std::string>{});
    engine.send("go infinite\n");
    collect_lines(engine.process, 200);
    engine.send("isready\n");
    std::vector<std::string> during = collect_lines(engine.process, 500);
    EXPECT_EQ(count_of(during, "readyok"), 0) << "isready was answered during the search";
    EXPECT_EQ(count_prefix(during, "bestmove"), 0);
    engine.send("stop\n");
    std::vector<std::string> out = engine.until_bestmove(10000);
    ASSERT_FALSE(bestmove_of(out).empty()) << testing::PrintToString(out);
    EXPECT_EQ(count_of(out, "readyok"), 0);
    engine.send("isready\n");
    EXPECT_EQ(engine.next(), "readyok");
    EXPECT_EQ(collect_lines(engine.process, 200), std::vector<std::string>{});
}

TEST(E2eListening, ClockAndMoveTimeBudgets)
{
    START_ENGINE(engine);
    EXPECT_EQ(engine.reply("position startpos\n"), std::vector<std::string>{});
    // The budgets (their arithmetic is checked in-process): a thirtieth of 95% of the clock
    // less a millisecond, or the move time less 50 ms for the reply.
    std::vector<std::string> out = engine.search("go wtime 1000 btime 1000\n", 10000);
    ASSERT_FALSE(bestmove_of(out).empty()) << testing::PrintToString(out);
    expect_kept_to_budget(out, 31);

    EXPECT_EQ(engine.reply("position startpos\n"), std::vector<std::string>{});
    out = engine.search("go movetime 500\n", 10000);
    ASSERT_FALSE(bestmove_of(out).empty()) << testing::PrintToString(out);
    expect_kept_to_budget(out, 450);

    // With Black to move, Black's clock is the one used (White's would give 19 seconds).
    EXPECT_EQ(engine.reply("position startpos moves e2e4\n"), std::vector<std::string>{});
    out = engine.search("go wtime 600000 btime 1000\n", 30000);
    ASSERT_FALSE(bestmove_of(out).empty()) << testing::PrintToString(out);
    expect_kept_to_budget(out, 31);
}

TEST(E2eListening, EndOfInputDuringASearchEndsTheProgram)
{
    START_ENGINE(engine);
    start_infinite_search(engine, 200);
    expect_closing_input_ends_search_and_program(engine);
}

TEST(E2eListening, StopWithoutASearchIsHarmless)
{
    START_ENGINE(engine);
    EXPECT_EQ(engine.reply("stop\n"), std::vector<std::string>{});
    EXPECT_EQ(engine.reply("position startpos\n"), std::vector<std::string>{});
    EXPECT_EQ(engine.reply("stop\n"), std::vector<std::string>{});
    std::vector<std::string> out = engine.search("go depth 3\n");
    expect_quiet_search(out);
    expect_moves_accepted(engine, "position startpos moves " + bestmove_of(out));
    // A full search, not one cut off at its first check.
    out = engine.search("go depth 6\n");
    EXPECT_GE(count_prefix(out, "info depth 6 score "), 1) << testing::PrintToString(out);
    EXPECT_FALSE(bestmove_of(out).empty());
}
