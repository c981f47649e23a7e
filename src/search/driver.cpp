// Iterative deepening, the info lines, the closing report and "bestmove".
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "platform/platform.h"
#include "search/internal.h"

SearchLimits limits;
SearchState search_state;
bool quiet_search = false;

namespace {

// A deadline passed by less than this at the end of an iteration ends the search; a larger
// gap means the deadline is still ahead (the unsigned difference wrapped).
constexpr uint32_t LATE_DEADLINE_WINDOW = 1500;
constexpr int LATE_DEADLINE_MIN_DEPTH = 6;
constexpr uint32_t SCORE_DROP_MIN_ELAPSED = 1000;  // a drop before this changes nothing
constexpr int MAX_MATE_REPORTS = 3;

// The deadline is the tick count plus the budget truncated toward zero, modulo 2^32.
uint32_t deadline_from(uint32_t now) { return now + uint32_t(int64_t(limits.time_budget)); }

int32_t speed_of(uint64_t nodes, uint32_t elapsed) { return elapsed == 0 ? 0 : int32_t(nodes / elapsed * 1000); }

// "info depth ... score ... time ... nodes ... nps ... pv ..." for a new best root move.
void print_info(int32_t score, int32_t depth)
{
    const uint32_t elapsed = tick_count() - limits.start_time;
    char line[8192];
    size_t n = 0;
    if (score > MATE_BOUND)
        append_text(line, sizeof line, n, "info depth %d score mate %d ", depth, (MATE_SCORE - score) / 2);
    else if (score < -MATE_BOUND)
        append_text(line, sizeof line, n, "info depth %d score mate %d ", depth, -((score + MATE_SCORE) / 2));
    else
        append_text(line, sizeof line, n, "info depth %d score cp %d ", depth, score);
    append_text(line, sizeof line, n, "time %d nodes %" PRIu64 " nps %d pv ", int32_t(elapsed), limits.nodes,
                speed_of(limits.nodes, elapsed));
    for (int column = 1; column < pv_length[1]; ++column) {
        char text[6];
        move_to_text(pv_table[1][column], text);
        append_text(line, sizeof line, n, "%s ", text);
    }
    append_text(line, sizeof line, n, "\n");
    std::printf("%s", line);
}

}  // namespace

void reset_search()
{
    std::memset(history_table, 0, sizeof history_table);
    history_peak = 0;
    std::memset(pv_table, 0, sizeof pv_table);
    std::memset(killer_moves, 0, sizeof killer_moves);
    std::memset(pv_length, 0, sizeof pv_length);
    std::memset(root_move_scores, 0, sizeof root_move_scores);
    search_state.mate_reports = 0;
    limits.nodes = 0;
    search_state.single_reply = 0;
    limits.stop = 0;
    search_state.score_dropped = 0;
    search_state.best_move = 0;
    search_state.root_score = -INFINITE_SCORE;
}

void forget_last_search()
{
    limits.nodes = 0;
    search_state.best_move = 0;
}

void report_best_move(int32_t score, int32_t depth)
{
    // Mate reports count whether or not they are printed: a quiet search stops as a loud one.
    if (score > MATE_BOUND || score < -MATE_BOUND)
        search_state.mate_reports += 1;
    if (!quiet_search)
        print_info(score, depth);
}

void run_search()
{
    SearchState& s = search_state;
    limits.start_time = tick_count();
    limits.deadline = deadline_from(limits.start_time);

    reset_search();
    if (limits.max_depth == 0)
        limits.max_depth = MAX_ITERATION_DEPTH;
    if (limits.depth_limited)
        limits.no_time_limit = 1;

    // The search makes and takes back its moves from ply 1; the game's own ply is given back.
    const int32_t game_ply = position.ply;

    s.iteration_depth = 1;
    for (;;) {
        const int32_t score = root_search();
        s.root_score = score;
        s.previous_score = score;

        if (!limits.no_time_limit && s.iteration_depth >= LATE_DEADLINE_MIN_DEPTH &&
            tick_count() - limits.deadline < LATE_DEADLINE_WINDOW)
            break;
        if (s.score_dropped && tick_count() - limits.start_time > SCORE_DROP_MIN_ELAPSED)
            limits.deadline = deadline_from(tick_count());  // a whole new budget from now
        if (s.iteration_depth >= limits.max_depth || limits.stop || s.single_reply || s.mate_reports > MAX_MATE_REPORTS)
            break;
        s.iteration_depth += 1;
        if (s.iteration_depth > MAX_ITERATION_DEPTH)
            break;
    }
    position.ply = game_ply;

    const uint32_t elapsed = tick_count() - limits.start_time;
    char text[6];
    move_to_text(s.best_move, text);
    if (!quiet_search)
        std::printf("info time %d nodes %" PRIu64 " nps %d \nbestmove %s\n", int32_t(elapsed), limits.nodes,
                    speed_of(limits.nodes, elapsed), text);
    // With no legal move the reply is the empty move "a1a1", which is not played.
    if (s.best_move != 0)
        play_game_move(s.best_move);
}
