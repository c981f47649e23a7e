// The korvane binary fed what no well-behaved interface sends: commands in the middle of a
// search, overlong lines, random bytes, NUL bytes, "\r\n" line ends, every "go" parameter at
// once, broken FENs, option values out of range, a game of thousands of moves, and an input
// that closes at the worst moment. Whatever comes in, the engine answers what it should, stays
// responsive ("isready" answers "readyok") and, when its input ends, exits with status 0.
#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "e2e/session.h"

namespace {

// Waits that must succeed get plenty of time: a loaded machine running the sanitizer build is
// many times slower than a Release build on an idle one.
constexpr Waits PATIENT = {.reply_ms = 30000, .search_ms = 30000};

// How long a search that must not end by itself is watched.
constexpr int QUIET_MS = 300;

// The node count of the closing line "info time T nodes N nps S ", or -1.
long long closing_nodes(const std::vector<std::string>& lines)
{
    for (const std::string& line : lines) {
        if (!starts_with(line, "info time "))
            continue;
        const size_t at = line.find(" nodes ");
        if (at != std::string::npos)
            return std::atoll(line.c_str() + at + 7);
    }
    return -1;
}

// A board print: eight ranks, a blank line, the files, the side to move, counters and key.
bool is_board_print(const std::vector<std::string>& print)
{
    if (print.size() != 13 || print[9] != "  a b c d e f g h " || !print[8].empty() ||
        (print[10] != "turn: W" && print[10] != "turn: B") || !starts_with(print[11], "ply:") ||
        !starts_with(print[12], "hash numder: "))
        return false;
    for (int rank = 8; rank >= 1; --rank) {
        const std::string& line = print[size_t(8 - rank)];
        if (line.size() != 18 || line[0] != char('0' + rank))
            return false;
        for (int file = 0; file < 8; ++file)
            if (line[size_t(1 + 2 * file)] != ' ' ||
                std::string(".PNBRQKpnbrqk").find(line[size_t(2 + 2 * file)]) == std::string::npos)
                return false;
    }
    return true;
}

// The engine's own position command takes the move back without complaint.
void expect_legal_in(Engine& engine, const std::string& position_line, const std::string& move)
{
    ASSERT_FALSE(move.empty());
    EXPECT_EQ(engine.reply(position_line + " moves " + move + "\n"), std::vector<std::string>{})
        << move << " after: " << position_line;
}

// Sends a go line and expects a best move well within PROMPT_MS.
std::vector<std::string> expect_prompt_search(Engine& engine, const std::string& go_line)
{
    const long long sent = now_ms();
    std::vector<std::string> out = engine.search(go_line);
    const long long took = now_ms() - sent;
    EXPECT_FALSE(bestmove_of(out).empty()) << testing::PrintToString(go_line) << " " << testing::PrintToString(out);
    EXPECT_LT(took, PROMPT_MS) << testing::PrintToString(go_line) << " took long to answer";
    return out;
}

// Lines read back with every clock-dependent number replaced, so that two runs compare.
std::vector<std::string> without_times(const std::vector<std::string>& lines)
{
    std::vector<std::string> out;
    for (std::string line : lines) {
        if (starts_with(line, "Knps: "))
            continue;  // printed only when the count took measurable time
        if (starts_with(line, "Time: ")) {
            out.push_back("Time: #");
            continue;
        }
        for (const char* key : {" time ", " nps "}) {
            const size_t at = line.find(key);
            if (at == std::string::npos)
                continue;
            size_t end = at + std::string(key).size();
            while (end < line.size() && line[end] >= '0' && line[end] <= '9')
                ++end;
            line = line.substr(0, at) + key + "#" + line.substr(end);
        }
        out.push_back(line);
    }
    return out;
}

// A short search from the start position, already set up, plays a legal move; then the engine
// still answers, and exits cleanly when its input ends.
void expect_legal_search_then_clean_exit(Engine& engine)
{
    const std::vector<std::string> out = engine.search("go depth 3\n");
    expect_legal_in(engine, "position startpos", bestmove_of(out));
    engine.expect_responsive_then_clean_exit();
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Lines sent while the engine searches

TEST(TortureListening, CommandsDuringASearchAreLostAndIsreadyWaitsForTheEnd)
{
    START_ENGINE(engine, PATIENT);
    start_infinite_search(engine, QUIET_MS);
    // Everything but "stop" and "quit" is consumed in pieces and dropped: no answer to
    // "isready" or "uci", no new position, no second search.
    engine.send("isready\nuci\nposition startpos moves a2a4 h7h5\ngo depth 1\nprint\nisready\r\n");
    std::vector<std::string> during = collect_lines(engine.process, 500);
    EXPECT_EQ(count_prefix(during, "readyok"), 0) << "isready was answered during the search";
    EXPECT_EQ(count_prefix(during, "bestmove"), 0);
    engine.send("stop\n");
    std::vector<std::string> out = engine.until_bestmove();
    out.insert(out.begin(), during.begin(), during.end());
    const std::string best = bestmove_of(out);
    ASSERT_FALSE(best.empty()) << testing::PrintToString(out);
    for (const std::string& line : out)
        EXPECT_TRUE(starts_with(line, "info ") || starts_with(line, "bestmove "))
            << "answer during the search: " << line;
    EXPECT_EQ(count_prefix(out, "bestmove"), 1);

    // After "bestmove" the engine listens again; its board is the start position plus its own
    // move, untouched by the "position" line it dropped.
    engine.send("isready\n");
    EXPECT_EQ(engine.next(), "readyok");
    EXPECT_EQ(collect_lines(engine.process, 300), std::vector<std::string>{}) << "a dropped line was answered late";
    const std::vector<std::string> after_search = engine.board();
    ASSERT_TRUE(is_board_print(after_search)) << testing::PrintToString(after_search);
    EXPECT_EQ(engine.reply("position startpos moves " + best + "\n"), std::vector<std::string>{});
    const std::vector<std::string> replayed = engine.board();
    EXPECT_EQ(ranks_of(after_search), ranks_of(replayed));
    EXPECT_EQ(after_search[10], "turn: B");
    engine.expect_responsive_then_clean_exit();
}

TEST(TortureListening, StopAndQuitDuringASearch)
{
    {
        // "quit" during a search with a depth only stops it, promptly.
        START_ENGINE(engine, PATIENT);
        start_infinite_search(engine, QUIET_MS, "go depth 40\n");
        const long long sent = now_ms();
        engine.send("quit\n");
        std::vector<std::string> out = engine.until_bestmove();
        EXPECT_LT(now_ms() - sent, PROMPT_MS);
        EXPECT_FALSE(bestmove_of(out).empty()) << testing::PrintToString(out);
        engine.expect_responsive_then_clean_exit();
    }
    {
        // Both in one write: "stop" ends the search, then the command loop reads "quit".
        START_ENGINE(engine, PATIENT);
        start_infinite_search(engine, QUIET_MS);
        const long long sent = now_ms();
        engine.send("stop\nquit\n");
        EXPECT_EQ(engine.exit_status(), 0);
        EXPECT_LT(now_ms() - sent, PROMPT_MS);
        std::vector<std::string> out = collect_lines(engine.process, 0);
        EXPECT_EQ(count_prefix(out, "bestmove"), 1) << testing::PrintToString(out);
        EXPECT_FALSE(bestmove_of(out).empty()) << testing::PrintToString(out);
    }
    {
        // "quit" twice: the first stops the search, the second ends the program.
        START_ENGINE(engine, PATIENT);
        start_infinite_search(engine, QUIET_MS);
        engine.send("quit\nquit\n");
        EXPECT_EQ(engine.exit_status(), 0);
        std::vector<std::string> out = collect_lines(engine.process, 0);
        EXPECT_EQ(count_prefix(out, "bestmove"), 1) << testing::PrintToString(out);
    }
    {
        // "stop" with nothing to stop, several times in one write, then a search of its own.
        START_ENGINE(engine, PATIENT);
        EXPECT_EQ(engine.reply("stop\nstop\r\nstop\n"), std::vector<std::string>{});
        std::vector<std::string> out = engine.search("go depth 3\n");
        ASSERT_EQ(out.size(), 2u) << testing::PrintToString(out);
        EXPECT_TRUE(starts_with(out[0], "info time ")) << out[0];
        expect_legal_in(engine, "position startpos", bestmove_of(out));
        engine.expect_responsive_then_clean_exit();
    }
}

TEST(TortureListening, LineArrivingInPartsDoesNotHoldATimedSearch)
{
    // The interface's write is split: the first characters of a line arrive during a timed
    // search and the rest only later. The search still ends on its clock.
    for (const char* part : {"st", "x\r"}) {
        SCOPED_TRACE(testing::PrintToString(part));
        START_ENGINE(engine, PATIENT);
        EXPECT_EQ(engine.reply("position startpos\n"), std::vector<std::string>{});
        const long long sent = now_ms();
        engine.send("go movetime 300\n");
        collect_lines(engine.process, 100);
        engine.send(part);
        const std::string best = wait_for_prefix(engine.process, "bestmove ", int(PROMPT_MS));
        EXPECT_NE(best, TIMEOUT) << "no bestmove " << now_ms() - sent << " ms after \"go movetime 300\"";
        engine.send("\n");
        if (best == TIMEOUT) {
            EXPECT_NE(wait_for_prefix(engine.process, "bestmove "), TIMEOUT);
        }
        engine.expect_responsive_then_clean_exit();
    }
}

TEST(TortureListening, PonderhitLeavesAPonderSearchRunningUntilStop)
{
    START_ENGINE(engine, PATIENT);
    start_infinite_search(engine, QUIET_MS, "go ponder\n");
    engine.send("ponderhit\n");
    std::vector<std::string> before_stop = collect_lines(engine.process, 300);
    EXPECT_EQ(count_prefix(before_stop, "bestmove"), 0) << "ponderhit ended the search";
    engine.send("stop\n");
    std::vector<std::string> out = engine.until_bestmove();
    EXPECT_FALSE(bestmove_of(out).empty()) << testing::PrintToString(out);
    std::vector<std::string> later = collect_lines(engine.process, 300);
    EXPECT_EQ(count_prefix(later, "bestmove"), 0) << "a second bestmove";
    EXPECT_EQ(engine.reply(""), std::vector<std::string>{});

    // "ponder" that is not the last word does not make a search without a clock.
    EXPECT_EQ(engine.reply("position startpos\n"), std::vector<std::string>{});
    expect_prompt_search(engine, "go ponder depth 2\n");
    engine.expect_responsive_then_clean_exit();
}

// ---------------------------------------------------------------------------------------------
// Lines of every length and every byte

TEST(TortureInput, HundredThousandCharacterLines)
{
    START_ENGINE(engine, PATIENT);
    std::mt19937 random(1729);
    // Letters that begin no command (go, isready, position, quit, setoption, test, uci...) and
    // digits nowhere, so that no piece of the line is a command and no move text is legal.
    const std::string letters = "abcdefhjklmnorvwxyz";
    std::string random_letters;
    for (int i = 0; i < 100000 - 24; ++i)
        random_letters += letters[random() % letters.size()];

    for (const std::string& tail : {std::string(100000 - 24, 'a'), random_letters}) {
        // The first piece is a "position" command full of move texts that match nothing.
        std::vector<std::string> out = engine.reply("position startpos moves " + tail + "\n");
        EXPECT_FALSE(out.empty());
        for (const std::string& line : out)
            ASSERT_EQ(line, "ERROR MOVE!");
        std::vector<std::string> board = engine.board();
        ASSERT_TRUE(is_board_print(board)) << testing::PrintToString(board);
        EXPECT_EQ(ranks_of(board), ranks_of(START_BOARD));
    }

    // A line that is no command in any of its pieces.
    std::string no_command(100000, 'y');
    no_command.front() = 'x';
    no_command.back() = '\n';
    EXPECT_EQ(engine.reply(no_command), std::vector<std::string>{});
    expect_legal_search_then_clean_exit(engine);
}

TEST(TortureInput, PieceOfALongLineThatBeginsWithGoSearches)
{
    START_ENGINE(engine, PATIENT);
    // Pieces: 4095 x's; "go depth 2" padded with blanks to 4095 characters; "yyy...\n".
    std::string line = std::string(4095, 'x') + "go depth 2";
    line += std::string(2 * 4095 - line.size(), ' ');
    line += std::string(100, 'y') + "\n";
    std::vector<std::string> out = engine.search(line);
    ASSERT_EQ(out.size(), 2u) << testing::PrintToString(out);
    // Depth 2 takes a few hundred nodes; a "go" without its depth would have a zero budget and
    // run on to the first clock check, at 65536 nodes.
    const long long nodes = closing_nodes(out);
    EXPECT_GE(nodes, 0) << out[0];
    EXPECT_LT(nodes, 65536) << "the depth was not read: " << out[0];
    expect_legal_in(engine, "position startpos", bestmove_of(out));

    // A "go" piece of 4095 characters packed with words, its depth the last of them.
    std::string packed = "go";
    while (packed.size() + 2 + 8 <= 4095)
        packed += " x";
    packed += " depth 2";
    ASSERT_LE(packed.size(), 4095u);
    EXPECT_EQ(engine.reply("position startpos\n"), std::vector<std::string>{});
    out = engine.search(packed + "\n");
    ASSERT_EQ(out.size(), 2u) << testing::PrintToString(out);
    EXPECT_LT(closing_nodes(out), 65536) << "the depth at the end was not read: " << out[0];
    expect_legal_in(engine, "position startpos", bestmove_of(out));
    engine.expect_responsive_then_clean_exit();
}

TEST(TortureInput, RandomBytes)
{
    START_ENGINE(engine, PATIENT);
    std::mt19937 random(20240611);
    auto random_bytes = [&](size_t length) {
        std::string bytes;
        for (size_t i = 0; i < length; ++i) {
            char c = char(random() & 0xFF);
            bytes += c == '\n' ? char(0xA0) : c;
        }
        return bytes;
    };

    // About 16 KB of lines of random bytes, NUL and bytes above 127 included. A line beginning
    // with "go" would start a search of its own, "quit" would end the program and "perft" might
    // count for minutes: those first letters are changed.
    std::string junk;
    for (int i = 0; i < 80; ++i) {
        std::string line = random_bytes(random() % 400);
        if (!line.empty() && (line[0] == 'g' || line[0] == 'q' || starts_with(line, "perft")))
            line[0] = 'x';
        junk += line + "\n";
    }
    EXPECT_EQ(engine.reply(junk), std::vector<std::string>{});

    // Commands with random bytes where their arguments belong.
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE(round);
        std::vector<std::string> out = engine.reply("position fen " + random_bytes(random() % 200) + "\n");
        for (const std::string& line : out)
            EXPECT_EQ(line, "ERROR MOVE!");
        out = engine.reply("position startpos moves " + random_bytes(random() % 200) + "\n");
        for (const std::string& line : out)
            EXPECT_EQ(line, "ERROR MOVE!");
        EXPECT_EQ(engine.reply("setoption name Hash value " + random_bytes(random() % 20) + "\n"),
                  std::vector<std::string>{});
        EXPECT_EQ(engine.reply("setoption name " + random_bytes(random() % 40) + "\n"), std::vector<std::string>{});
        expect_prompt_search(engine, "go depth 2 " + random_bytes(random() % 100) + "\n");
        out = engine.reply("print " + random_bytes(random() % 100) + "\n");
        EXPECT_TRUE(is_board_print(out)) << testing::PrintToString(out);
    }

    EXPECT_EQ(engine.reply("position startpos\n"), std::vector<std::string>{});
    expect_legal_search_then_clean_exit(engine);
}

TEST(TortureInput, NulBytesInsideLines)
{
    START_ENGINE(engine, PATIENT);
    using namespace std::string_literals;
    // The line begins with "isready": answered, whatever follows the NUL.
    engine.send("isready\0garbage\n"s);
    EXPECT_EQ(engine.next(), "readyok");
    // A NUL first: the line begins with no command.
    EXPECT_EQ(engine.reply("\0isready\n"s), std::vector<std::string>{});
    EXPECT_EQ(engine.reply("\0\0\0\n\0\n"s), std::vector<std::string>{});
    EXPECT_EQ(engine.reply("\0go infinite\n"s), std::vector<std::string>{});
    EXPECT_EQ(engine.reply("\0quit\n"s), std::vector<std::string>{});
    std::vector<std::string> board = engine.reply("print\0 garbage \xff\n"s);
    EXPECT_TRUE(is_board_print(board)) << testing::PrintToString(board);
    EXPECT_EQ(ranks_of(board), ranks_of(START_BOARD));
    expect_legal_search_then_clean_exit(engine);
}

TEST(TortureInput, CarriageReturnSessionAnswersLikeNewlineSession)
{
    const std::vector<std::string> session = {
        "uci",        "setoption name Hash value 64",
        "ucinewgame", "position startpos moves e2e4 e7e5 g1f3 zzzz",
        "print",      "go depth 4",
        "print",      "position fen r3k2r/pppppppp/8/8/8/8/PPPPPPPP/R3K2R w KQkq - 7 20 moves e1g1",
        "go depth 5", "print",
        "perft 1",
    };
    auto run = [&](const std::string& eol) {
        std::vector<std::string> transcript;
        Engine engine(PATIENT);
        EXPECT_TRUE(engine.started);
        if (!engine.started)
            return transcript;
        for (const std::string& command : session) {
            transcript.push_back("> " + command);
            std::vector<std::string> out;
            if (starts_with(command, "go")) {
                out = engine.search(command + eol);
            } else {
                out = engine.reply(command + eol, eol);
            }
            transcript.insert(transcript.end(), out.begin(), out.end());
        }
        engine.send("quit" + eol);
        EXPECT_EQ(engine.exit_status(), 0) << testing::PrintToString(eol);
        return without_times(transcript);
    };
    const std::vector<std::string> with_newlines = run("\n");
    const std::vector<std::string> with_crlf = run("\r\n");
    EXPECT_EQ(with_crlf, with_newlines);
    // The session did what it says: the searches answered and the boards were drawn.
    EXPECT_EQ(count_prefix(with_newlines, "bestmove "), 2) << testing::PrintToString(with_newlines);
    EXPECT_EQ(count_prefix(with_newlines, "turn: "), 3) << testing::PrintToString(with_newlines);
    EXPECT_EQ(count_prefix(with_newlines, "ERROR MOVE!"), 1) << testing::PrintToString(with_newlines);
    EXPECT_EQ(count_prefix(with_newlines, "uciok"), 1) << testing::PrintToString(with_newlines);
}

// ---------------------------------------------------------------------------------------------
// The go command's parameters

TEST(TortureGo, EveryParameterRepeatedParametersAndMissingValues)
{
    START_ENGINE(engine, PATIENT);
    for (const char* line : {
             "go wtime 1000 btime 1000 winc 10 binc 10 movestogo 20 movetime 200 depth 3 nodes 100 mate 2 "
             "searchmoves e2e4",
             "go depth 3 depth 2 movetime 100 movetime 150 wtime 500 wtime 400",
             "go movetime 300 movetime 100 movetime 200",
             // A keyword at the end of the line reads 0: no depth, a zero clock.
             "go depth",
             "go wtime",
             "go btime",
             "go movetime",
             "go movestogo",
             "go winc 100",
             "go depth 3 depth",
             "go depth -3",
             "go movetime 1",
             "go movetime -100",
             "go wtime -1000 btime -1000",
             "go wtime 1 winc 100000",
             "go wtime 1000 movestogo 0",
             "go wtime 1000 movestogo -7",
             "go",
             "goxyz",
             "go   depth   2   ",
             "go\tdepth\t2",
             "go infinite depth 2",
             "go depth 2 infinite extra",
         }) {
        SCOPED_TRACE(line);
        EXPECT_EQ(engine.reply("position startpos\n"), std::vector<std::string>{});
        std::vector<std::string> out = expect_prompt_search(engine, std::string(line) + "\n");
        if (!bestmove_of(out).empty())
            expect_legal_in(engine, "position startpos", bestmove_of(out));
    }
    engine.expect_responsive_then_clean_exit();
}

// ---------------------------------------------------------------------------------------------
// The Hash option

TEST(TortureSetoption, HashValuesOutOfRangeAndMalformed)
{
    START_ENGINE(engine, PATIENT);
    for (const char* value :
         {"0", "-5", "99999999999", "abc", "", " ", "2048", "+64", "32abc", "1e9", "2147483647", "2147483648",
          "-2147483649", "99999999999999999999999999999", "\xff\xfe", "64 value 128", "-0"}) {
        SCOPED_TRACE(testing::PrintToString(value));
        EXPECT_EQ(engine.reply(std::string("setoption name Hash value ") + value + "\n"), std::vector<std::string>{});
        EXPECT_EQ(engine.reply("position startpos\n"), std::vector<std::string>{});
        std::vector<std::string> out = engine.search("go depth 4\n");
        ASSERT_FALSE(bestmove_of(out).empty()) << testing::PrintToString(out);
        expect_legal_in(engine, "position startpos", bestmove_of(out));
    }
    // Option lines the engine cannot use at all.
    for (const char* line : {"setoption name Hash", "setoption name Hash value", "setoption name value 64",
                             "setoption name  Hash value 64", "setoption namevalue ", "setoption name "}) {
        SCOPED_TRACE(line);
        EXPECT_EQ(engine.reply(std::string(line) + "\n"), std::vector<std::string>{});
    }
    std::vector<std::string> out = engine.search("go depth 4\n");
    EXPECT_FALSE(bestmove_of(out).empty()) << testing::PrintToString(out);
    engine.expect_responsive_then_clean_exit();
}

// ---------------------------------------------------------------------------------------------
// The position command

TEST(TorturePosition, TwoThousandMoveLine)
{
    START_ENGINE(engine, PATIENT);
    std::string line = "position startpos moves";
    for (int i = 0; i < 500; ++i)
        line += " g1f3 g8f6 f3g1 f6g8";
    line += "\n";
    ASSERT_GT(line.size(), 2 * 4095u);
    // The first piece is cut inside a move text; the later pieces begin with no command.
    std::vector<std::string> out = engine.reply(line);
    EXPECT_LE(out.size(), 1u) << testing::PrintToString(out);
    for (const std::string& reply : out)
        EXPECT_EQ(reply, "ERROR MOVE!");

    // The piece held 814 whole moves: 203 times round the shuffle, then g1f3 g8f6.
    std::vector<std::string> board = engine.board();
    ASSERT_TRUE(is_board_print(board)) << testing::PrintToString(board);
    EXPECT_EQ(square_in(board, "f3"), 'N');
    EXPECT_EQ(square_in(board, "f6"), 'n');
    EXPECT_EQ(square_in(board, "g1"), '.');
    EXPECT_EQ(square_in(board, "g8"), '.');
    EXPECT_EQ(board[10], "turn: W");

    const std::string same_board = "position fen rnbqkb1r/pppppppp/5n2/8/8/5N2/PPPPPPPP/RNBQKB1R w KQkq - 0 1";
    std::vector<std::string> search = engine.search("go depth 3\n");
    const std::string best = bestmove_of(search);
    EXPECT_NE(best, "a1a1") << "no move played in a position with legal moves";
    expect_legal_in(engine, same_board, best);

    // Bare kings shuffled for a whole piece, then a game of short searches that goes on past
    // the number of positions the engine remembers: every search still finds a king move.
    std::string kings = "position fen 4k3/8/8/8/8/8/8/4K3 w - - 0 1 moves";
    for (int i = 0; i < 500; ++i)
        kings += " e1e2 e8e7 e2e1 e7e8";
    out = engine.reply(kings + "\n");
    EXPECT_LE(out.size(), 1u) << testing::PrintToString(out);
    for (int move = 0; move < 400; ++move) {
        search = engine.search("go depth 2\n");
        ASSERT_FALSE(bestmove_of(search).empty()) << "move " << move << ": " << testing::PrintToString(search);
        ASSERT_NE(bestmove_of(search), "a1a1") << "move " << move;
    }
    board = engine.board();
    ASSERT_TRUE(is_board_print(board)) << testing::PrintToString(board);
    std::string pieces;
    for (size_t rank = 0; rank < 8; ++rank)
        for (char c : board[rank].substr(2))
            if (c != ' ' && c != '.')
                pieces += c;
    std::sort(pieces.begin(), pieces.end());
    EXPECT_EQ(pieces, "Kk") << testing::PrintToString(board);
    search = engine.search("go depth 6\n");
    EXPECT_FALSE(bestmove_of(search).empty()) << testing::PrintToString(search);
    EXPECT_NE(bestmove_of(search), "a1a1");
    engine.expect_responsive_then_clean_exit();
}

TEST(TorturePosition, BrokenFens)
{
    START_ENGINE(engine, PATIENT);
    for (const char* fen : {
             "",
             "8/8",
             "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQ",
             "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b",
             "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -",
             "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq z9 0 1",
             "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq e0 0 1",
             "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq i3 0 1",
             "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq e3 0 1",
             "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq e",
             "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 99999999999 99999999999",
             "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - -1 -1",
             "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR x KQkq - 0 1",
             "rnbqkbnrrrr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
             "rnbqkbnr/pppppppp/9/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
             "rnbqkbnr/ppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
             "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP w KQkq - 0 1",
             "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR/8/8 w KQkq - 0 1",
             "rnbq\xe9kbnr/pppppppp/8/8/\xff\xfe\x80/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
             "4k3/8/8/8/8/8/8/4K3 w KQkq - 0 1",
             "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQ1BNR w kq - 0 1",  // no white king
             "rnbq1bnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQ1BNR w - - 0 1",   // no kings at all
             "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBKKBNR w kq - 0 1",  // two white kings
             "4k3/8/8/8/3q4/8/8/8 b - - 0 1",                           // only Black's king
             "8/8/8/8/8/8/8/8 w - - 0 1",
             "4r3/8/8/8/8/8/8/R7 w - - 0 1",
             "P3k3/8/8/8/8/8/8/4K3 w - - 0 1",  // a pawn on its last rank
             "4k3/8/8/8/8/8/8/p3K3 b - - 0 1",
             "4k3/8/8/8/8/8/8/P3K3 w - - 0 1",  // a pawn on its first rank
             "4k3/8/8/8/8/8/8/p3K3 w - - 0 1",
             "4k3/4R3/8/8/8/8/8/4K3 w - - 0 1",      // the side not to move in check
             "4k3/4R3/8/8/8/8/4r3/4K3 w - - 0 1",    // both sides in check
             "3Kk3/8/8/8/8/8/8/8 w - - 0 1",         // kings side by side
             "qqqqk3/8/8/8/8/8/8/QQQQK3 w - - 0 1",  // crowded with queens
             "qqqqkqqq/pppppppp/8/8/8/8/PPPPPPPP/QQQQKQQQ w - - 0 1",
             "1q2k1q1/8/3Q4/8/8/2q5/Q7/4K2Q b - - 0 1",
         }) {
        SCOPED_TRACE(testing::PrintToString(fen));
        const std::string position_line = std::string("position fen ") + fen + "\n";
        EXPECT_EQ(engine.reply(position_line), std::vector<std::string>{});
        std::vector<std::string> board = engine.board();
        EXPECT_TRUE(is_board_print(board)) << testing::PrintToString(board);
        std::vector<std::string> out = engine.search("go depth 3\n");
        ASSERT_TRUE(is_bestmove_line(out.back())) << testing::PrintToString(out);
        EXPECT_EQ(engine.reply(""), std::vector<std::string>{});
    }
    EXPECT_EQ(engine.reply("position startpos\n"), std::vector<std::string>{});
    expect_legal_search_then_clean_exit(engine);
}

// ---------------------------------------------------------------------------------------------
// The input ends

TEST(TortureEndOfInput, ClosingInputDuringSearchesAndWhileIdle)
{
    for (const char* go_line : {"go infinite\n", "go depth 40\n", "go ponder\n"}) {
        SCOPED_TRACE(go_line);
        START_ENGINE(engine, PATIENT);
        start_infinite_search(engine, QUIET_MS, go_line);
        expect_closing_input_ends_search_and_program(engine);
        EXPECT_EQ(count_prefix(engine.process.lines, "bestmove"), 1);
    }
    {
        // The input ends in the middle of "stop".
        START_ENGINE(engine, PATIENT);
        start_infinite_search(engine, QUIET_MS);
        engine.send("sto");
        expect_closing_input_ends_search_and_program(engine);
    }
    {
        // The input ends right after the "go" line, before the search has begun.
        START_ENGINE(engine, PATIENT);
        engine.send("position startpos\ngo infinite\n");
        close_input(engine.process);
        EXPECT_EQ(engine.exit_status(), 0);
        EXPECT_EQ(count_prefix(engine.process.lines, "bestmove"), 1) << testing::PrintToString(engine.process.lines);
    }
    {
        // Idle: nothing more is printed.
        START_ENGINE(engine, PATIENT);
        EXPECT_EQ(engine.reply("position startpos moves e2e4\n"), std::vector<std::string>{});
        const size_t printed = engine.process.lines.size();
        const long long closed = now_ms();
        close_input(engine.process);
        EXPECT_EQ(engine.exit_status(), 0);
        EXPECT_LT(now_ms() - closed, PROMPT_MS);
        EXPECT_EQ(engine.process.lines.size(), printed);
    }
}
