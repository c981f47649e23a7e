#include "test_support.h"

#include <cstdint>
#include <fstream>

#include <gtest/gtest.h>

#include "frontend/uci.h"
#include "platform/platform.h"
#include "search/internal.h"
#include "tool_support.h"

namespace {

// The engine's tables are filled once for the whole test program, as start-up does.
class EngineEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        listen_during_search = false;
        start_engine();
    }
};
const auto* const environment = ::testing::AddGlobalTestEnvironment(new EngineEnvironment);

// Before every test the engine's globals are as start-up leaves them, so that a test that
// stopped half-way (a failed assertion returns at once) leaves nothing behind for the next:
// no lowered memory limit, odd table size, stored entries, search flags or game.
void reset_engine_globals()
{
    allocation_limit_bytes = SIZE_MAX;
    quiet_search = false;
    listen_during_search = false;
    start_listening();
    limits = SearchLimits{};
    search_state = SearchState{};
    reset_search();
    follow_pv = 0;
    if (table.entry_count != DEFAULT_TABLE_ENTRIES)
        allocate_table(DEFAULT_TABLE_ENTRIES);
    clear_table();
    clear_game();
    load_fen(START_FEN);
}

class EngineReset : public ::testing::EmptyTestEventListener {
public:
    void OnTestStart(const ::testing::TestInfo&) override { reset_engine_globals(); }
};
const auto* const reset_listener = [] {
    auto* listener = new EngineReset;
    ::testing::UnitTest::GetInstance()->listeners().Append(listener);
    return listener;
}();

}  // namespace

const std::vector<SuitePosition>& perft_suite()
{
    static const std::string path = std::string(KORVANE_DATA_DIR) + "/perft_suite.epd";
    static const std::vector<SuitePosition> suite = [] {
        std::vector<SuitePosition> result;
        std::ifstream file(path);
        std::string line;
        while (std::getline(file, line)) {
            SuitePosition p;
            if (is_suite_case(line) && parse_suite_line(line, p))
                result.push_back(p);
        }
        return result;
    }();
    // Every test that reads the suite fails without it, rather than pass having tested nothing.
    if (suite.empty())
        ADD_FAILURE() << "no perft suite cases in " << path;
    return suite;
}

std::string captured_output(const std::function<void()>& body)
{
    ::testing::internal::CaptureStdout();
    body();
    return ::testing::internal::GetCapturedStdout();
}

PositionSnapshot snapshot()
{
    PositionSnapshot s{};
    const Position& p = position;
    std::copy(std::begin(p.board), std::end(p.board), s.board);
    s.white_king = p.white_king;
    s.black_king = p.black_king;
    s.ep_square = p.ep_square;
    s.turn = p.turn;
    s.castling = p.castling;
    s.fifty = p.fifty;
    s.ply = p.ply;
    s.occupied = p.occupied;
    std::copy(std::begin(p.pieces), std::end(p.pieces), s.pieces);
    return s;
}

int play_random_moves(std::mt19937& random, int max_plies)
{
    int played = 0;
    for (; played < max_plies; ++played) {
        Move moves[MAX_MOVES];
        int32_t count;
        generate_legal_moves(moves, count);
        if (count == 0)
            break;
        play_game_move(moves[random() % count]);
    }
    return played;
}
