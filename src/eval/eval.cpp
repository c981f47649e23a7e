// The static evaluation, as named terms. Each term is written once, for one side US in its own
// direction of march, and the score is White's terms minus Black's. The only place where the
// two colours differ on purpose is the Side record below.
//
// Every call works from the board alone. Pawn structure depends on the two pawn sets only, so
// its results are kept in a small cache keyed by those sets; everything else is rebuilt.
#include "eval/eval.h"

#include <cassert>

#include "eval/tables.h"
#include "platform/compiler.h"
#include "position/position.h"

int32_t pawn_material, knight_material, bishop_material, rook_material, queen_material;

void init_material()
{
    pawn_material = PAWN_VALUE;
    knight_material = KNIGHT_VALUE;
    bishop_material = BISHOP_VALUE;
    rook_material = ROOK_VALUE;
    queen_material = QUEEN_VALUE;
}

namespace {

using namespace eval_tables;

// ---- The two colours ----
// Geometry that mirrors exactly, plus the two deliberate asymmetries: the knight and bishop
// tables of Black are not White's mirrored, and the blocked-bishop test reads the squares
// s + FORWARD - 1 and s + FORWARD + 1 as plain square numbers (so White looks at s + 7 and
// s + 9, Black at s - 9 and s - 7, wrapping round the board's edge for a bishop on the a- or
// h-file, and the wrapped squares are not mirror images of each other).
template <int US>
struct Side {
    static constexpr bool WHITE_US = US == WHITE_SIDE;
    static constexpr Piece PAWN_CODE = colour_bit(US) | PAWN, KNIGHT_CODE = colour_bit(US) | KNIGHT;
    static constexpr Piece BISHOP_CODE = colour_bit(US) | BISHOP, ROOK_CODE = colour_bit(US) | ROOK;
    static constexpr Piece QUEEN_CODE = colour_bit(US) | QUEEN, KING_CODE = colour_bit(US) | KING;
    static constexpr int FORWARD = WHITE_US ? 8 : -8;
    static constexpr const Table& KING_MIDDLEGAME_TABLE =
        WHITE_US ? WHITE_KING_MIDDLEGAME_TABLE : BLACK_KING_MIDDLEGAME_TABLE;
    static constexpr Square CASTLED_KING_SQUARE = WHITE_US ? G1 : G8;
    static constexpr Square FIANCHETTO_SQUARE = CASTLED_KING_SQUARE + FORWARD;
    static constexpr Square CORNER_ROOK_SQUARE = WHITE_US ? H1 : H8;
    static constexpr Square CASTLED_KING_F = WHITE_US ? F1 : F8, CASTLED_KING_G = CASTLED_KING_SQUARE;
    static constexpr uint64_t BACK_TWO_RANKS = WHITE_US ? 0x000000000000FFFFull : 0xFFFF000000000000ull;
    static constexpr uint64_t SEVENTH_RANK = WHITE_US ? 0x00FF000000000000ull : 0x000000000000FF00ull;
    static constexpr uint64_t BACK_RANK = WHITE_US ? 0x00000000000000FFull : 0xFF00000000000000ull;
    static constexpr uint64_t BELOW_SEVENTH = WHITE_US ? 0x0000FFFFFFFFFFFFull : 0xFFFFFFFFFFFF0000ull;
    static Square king() { return WHITE_US ? position.white_king : position.black_king; }
};

// A square's rank counted from US's own back rank.
template <int US>
constexpr int relative_rank(Square sq)
{
    return US == WHITE_SIDE ? rank_of(sq) : 7 - rank_of(sq);
}

// The squares directly behind each square of a set, from US's side.
template <int US>
constexpr uint64_t behind(uint64_t bits)
{
    return US == WHITE_SIDE ? bits >> 8 : bits << 8;
}

template <typename Body>
inline void for_each_square(uint64_t bits, Body body)
{
    for (; bits; bits &= bits - 1)
        body(Square(lowest_square(bits)));
}

inline int32_t table_sum(uint64_t bits, const Table& table)
{
    int32_t sum = 0;
    for_each_square(bits, [&](Square sq) { sum += table[sq]; });
    return sum;
}

inline int square_colour(Square sq) { return (file_of(sq) + rank_of(sq)) & 1; }

// ---- Pawn structure ----

// One side's pawns file by file, with a border file beyond either edge ([file + 1]) that never
// holds a pawn, so that both neighbours of every file exist.
struct PawnFiles {
    uint16_t occupied;  // bit file + 1: the file holds a pawn of this side
    int8_t rear[10];    // rank of the rearmost pawn counted from this side's back rank; 6 when none
};

inline bool has_pawn_on(const PawnFiles& files, int f) { return (files.occupied >> f) & 1; }
// The files that hold a pawn, bit f for file f (files_of of the pawns).
inline unsigned pawn_files(const PawnFiles& files) { return files.occupied >> 1; }

// What the two pawn sets alone decide, from White's view: one cache line.
// The king's shelter depends on the pawns and the king's square alone, and the king seldom
// moves within a search: each side's latest shelter score is kept with the square it was for.
struct alignas(64) PawnEntry {
    uint64_t white_tag, black_tag;  // the pawn sets, each XOR EMPTY_TAG (see pawn_entry)
    int32_t middlegame, endgame;    // structure terms, summed in either phase
    PawnFiles files[2];             // [side]
    int32_t shelter[2];             // [side] king_shelter for the king on shelter_king[side]
    uint8_t shelter_king[2];        // [side] NO_SHELTER_KING while none is kept
};
static_assert(sizeof(PawnEntry) == 64, "one cache line per entry");

constexpr uint8_t NO_SHELTER_KING = 64;
// 2048 entries, 128 KB: measured side by side, 1.016 times the bench's speed of 4096 entries and
// 0.97 for 16384 (the larger cache misses less but waits longer for its lines); 1024 was no faster.
constexpr int PAWN_CACHE_BITS = 11;
PawnEntry pawn_cache[1 << PAWN_CACHE_BITS];

// A zero-filled entry must match no position: its tags stand for a white and a black pawn
// both on a1, which cannot happen.
constexpr uint64_t EMPTY_TAG = 1;

inline PawnEntry& pawn_slot(uint64_t white_pawns, uint64_t black_pawns)
{
    const uint64_t hash = white_pawns * 0x9E3779B97F4A7C15ull + black_pawns * 0xC2B2AE3D27D4EB4Full;
    return pawn_cache[hash >> (64 - PAWN_CACHE_BITS)];
}

// A set of files (bit f for file f) as the set of all their squares, and back.
constexpr uint64_t file_squares(unsigned files) { return uint64_t(files & 0xFF) * A_FILE; }
inline unsigned files_of(uint64_t bits)
{
    bits |= bits >> 32;
    bits |= bits >> 16;
    bits |= bits >> 8;
    return unsigned(bits & 0xFF);
}

// The squares beside those of a set, on the neighbouring files.
constexpr uint64_t beside(uint64_t bits) { return ((bits << 1) & ~A_FILE) | ((bits >> 1) & ~H_FILE); }

// Every square of a set and all squares beyond it in US's direction of march (or, with
// AHEAD false, behind it), on the same file.
template <int US, bool AHEAD>
constexpr uint64_t fill(uint64_t bits)
{
    if ((US == WHITE_SIDE) == AHEAD) {
        bits |= bits << 8;
        bits |= bits << 16;
        bits |= bits << 32;
    } else {
        bits |= bits >> 8;
        bits |= bits >> 16;
        bits |= bits >> 32;
    }
    return bits;
}

// Files that hold a pawn of US, and its rearmost pawn on each.
template <int US>
void fill_pawn_files(uint64_t pawns, PawnFiles& files)
{
    const unsigned occupied = files_of(pawns);
    files.occupied = uint16_t(occupied << 1);
    for (int f = 0; f < 10; ++f)
        files.rear[f] = 6;
    // The rearmost pawn of a file is the one with no pawn of US anywhere behind it.
    const uint64_t ahead_of_a_pawn = US == WHITE_SIDE ? fill<US, true>(pawns) << 8 : fill<US, true>(pawns) >> 8;
    for_each_square(pawns & ~ahead_of_a_pawn, [&](Square s) {
        const int rear = relative_rank<US>(s);
        if (rear < 6)
            files.rear[file_of(s) + 1] = int8_t(rear);
    });
}

// Pawns of US off their back rank with no enemy pawn further up on their own or a neighbouring
// file.
template <int US>
uint64_t passed_pawns(uint64_t pawns, uint64_t enemy_pawns)
{
    const uint64_t held_on_file = fill<US, false>(behind<US>(enemy_pawns));
    return pawns & ~(held_on_file | beside(held_on_file)) & ~Side<US>::BACK_RANK;
}

// Isolated, backward and doubled pawns of US, from the two pawn sets. Adds to mg and eg in US's
// favour (the penalties as negative numbers).
// Isolated: no pawn of the side on either neighbouring file.
inline uint64_t isolated_pawns(uint64_t pawns)
{
    const unsigned files = files_of(pawns);
    return pawns & ~file_squares((files << 1) | (files >> 1));
}

template <int US>
void pawn_weaknesses(uint64_t pawns, uint64_t enemy_pawns, uint64_t isolated, int32_t& mg, int32_t& eg)
{
    int32_t both = 0;
    mg -= ISOLATED_PAWN_MIDDLEGAME * square_count(isolated);
    eg -= ISOLATED_PAWN_ENDGAME * square_count(isolated);

    // Backward: below the seventh rank, with every pawn of US on the neighbouring files further
    // up (a pawn covers its own square and every square ahead of it on its file).
    const uint64_t covered = beside(fill<US, true>(pawns));
    const uint64_t backward = pawns & ~isolated & Side<US>::BELOW_SEVENTH & ~covered;
    both -= BACKWARD_PAWN * square_count(backward);
    both -= BACKWARD_PAWN_OPEN_FILE * square_count(backward & ~file_squares(files_of(enemy_pawns)));

    // Doubled: each pawn pays for every other pawn of US on its file, count * (count - 1) times
    // on a file of count pawns: twice the file's pairs. A pair k ranks apart shows as a pawn with
    // another pawn k squares above it, so each pair is counted once.
    int pairs = 0;
    for (int k = 1; k < 8; ++k)
        pairs += square_count(pawns & (pawns >> (8 * k)));
    both -= DOUBLED_PAWN * 2 * pairs;
    mg += both;
    eg += both;
}

// Passed pawns of US by how far they have come, more when a neighbouring file has a pawn of US
// and more again when that pawn stands one rank behind. Their blockade is judged with the pieces
// (pawn_blockade).
template <int US>
void passed_pawn_bonus(uint64_t pawns, uint64_t enemy_pawns, uint64_t isolated, const PawnFiles& us, int32_t& mg,
                       int32_t& eg)
{
    int32_t both = 0;
    for_each_square(passed_pawns<US>(pawns, enemy_pawns), [&](Square s) {
        const int f = file_of(s) + 1, r = relative_rank<US>(s);
        mg += PASSED_PAWN_MIDDLEGAME * r;
        eg += PASSED_PAWN_ENDGAME * r;
        if (!(isolated & bit_of(s))) {
            both += PASSED_PAWN_SUPPORTED;
            if (r - us.rear[f + 1] == 1 || r - us.rear[f - 1] == 1)
                both += PASSED_PAWN_PROTECTED;
        }
    });
    mg += both;
    eg += both;
}

// The pawn terms of US that the pawn sets alone decide, in either phase.
template <int US>
void pawn_structure(uint64_t pawns, uint64_t enemy_pawns, const PawnFiles& us, int32_t& mg, int32_t& eg)
{
    const uint64_t isolated = isolated_pawns(pawns);
    pawn_weaknesses<US>(pawns, enemy_pawns, isolated, mg, eg);
    passed_pawn_bonus<US>(pawns, enemy_pawns, isolated, us, mg, eg);
}

PawnEntry& pawn_entry(uint64_t white_pawns, uint64_t black_pawns)
{
    PawnEntry& e = pawn_slot(white_pawns, black_pawns);
    if (e.white_tag == (white_pawns ^ EMPTY_TAG) && e.black_tag == (black_pawns ^ EMPTY_TAG))
        return e;

    fill_pawn_files<WHITE_SIDE>(white_pawns, e.files[WHITE_SIDE]);
    fill_pawn_files<BLACK_SIDE>(black_pawns, e.files[BLACK_SIDE]);
    int32_t white_mg = 0, white_eg = 0, black_mg = 0, black_eg = 0;
    pawn_structure<WHITE_SIDE>(white_pawns, black_pawns, e.files[WHITE_SIDE], white_mg, white_eg);
    pawn_structure<BLACK_SIDE>(black_pawns, white_pawns, e.files[BLACK_SIDE], black_mg, black_eg);
    e.shelter_king[WHITE_SIDE] = e.shelter_king[BLACK_SIDE] = NO_SHELTER_KING;
    e.middlegame = white_mg - black_mg;
    e.endgame = white_eg - black_eg;
    e.white_tag = white_pawns ^ EMPTY_TAG;
    e.black_tag = black_pawns ^ EMPTY_TAG;
    return e;
}

// In the endgame a passed pawn with any piece straight in front of it is held back.
template <int US>
int32_t pawn_blockade(uint64_t pawns, uint64_t enemy_pawns)
{
    return -PASSED_PAWN_BLOCKED * square_count(passed_pawns<US>(pawns, enemy_pawns) & behind<US>(position.occupied));
}

// ---- Pieces ----

// What the evaluation reads of one side's pieces (its material and the piece count come from
// make's running sums).
struct Army {
    uint64_t pawns, knights, bishops, rooks, queens;
    int bishop_count;
};

template <int US>
Army army_of()
{
    using S = Side<US>;
    const uint64_t* pieces = position.pieces;
    Army a;
    a.pawns = pieces[S::PAWN_CODE];
    a.knights = pieces[S::KNIGHT_CODE];
    a.bishops = pieces[S::BISHOP_CODE];
    a.rooks = pieces[S::ROOK_CODE];
    a.queens = pieces[S::QUEEN_CODE];
    a.bishop_count = square_count(a.bishops);
    return a;
}

// Each bishop after the first.
inline int32_t bishop_pair(const Army& a) { return a.bishop_count > 1 ? (a.bishop_count - 1) * BISHOP_PAIR : 0; }

// The fianchetto before a castled king, the pair, and a back-rank bishop shut in by two pawns.
template <int US>
int32_t bishop_terms(const Army& a)
{
    using S = Side<US>;
    int32_t score = 0;
    if ((a.bishops & bit_of(S::FIANCHETTO_SQUARE)) && position.board[S::CASTLED_KING_SQUARE] == S::KING_CODE)
        score += FIANCHETTO_BISHOP;
    score += bishop_pair(a);
    // The pawns on s + FORWARD - 1 and s + FORWARD + 1, shifted back onto s (plain shifts wrap
    // round the edge exactly as the square numbers do).
    const uint64_t blocked = US == WHITE_SIDE ? (a.pawns >> 7) & (a.pawns >> 9) : (a.pawns << 9) & (a.pawns << 7);
    score -= BLOCKED_BISHOP * square_count(a.bishops & S::BACK_TWO_RANKS & blocked);
    return score;
}

// Queens on the seventh rank while the enemy king is on its back rank (endgame only).
template <int US>
int32_t queen_terms(const Army& a, bool enemy_king_on_back_rank)
{
    using S = Side<US>;
    return enemy_king_on_back_rank ? QUEEN_ON_SEVENTH * square_count(a.queens & S::SEVENTH_RANK) : 0;
}

// A rook shut in by its castled king, rooks on the seventh, on open and half-open files.
template <int US>
int32_t rook_terms(const Army& a, unsigned own_pawn_files, unsigned enemy_pawn_files, bool middlegame,
                   bool enemy_king_on_back_rank)
{
    using S = Side<US>;
    int32_t score = 0;
    if (a.rooks == 0)
        return 0;
    const Square king = S::king();
    if (middlegame && (a.rooks & bit_of(S::CORNER_ROOK_SQUARE)) &&
        (king == S::CASTLED_KING_F || king == S::CASTLED_KING_G))
        score -= ROOK_BEFORE_CASTLED_KING;
    const int on_seventh = square_count(a.rooks & S::SEVENTH_RANK);
    if (middlegame)
        score += ROOK_ON_SEVENTH_MIDDLEGAME * on_seventh;
    else
        score += (ROOK_ON_SEVENTH_ENDGAME + (enemy_king_on_back_rank ? ROOK_ON_SEVENTH_KING_CUT : 0)) * on_seventh;
    const uint64_t own_files = file_squares(own_pawn_files), enemy_files = file_squares(enemy_pawn_files);
    score += ROOK_HALF_OPEN_FILE * square_count(a.rooks & ~own_files & enemy_files);
    score += ROOK_OPEN_FILE * square_count(a.rooks & ~own_files & ~enemy_files);
    return score;
}

// Only a knight directly behind an enemy pawn, below the seventh rank, can be an outpost.
template <int US>
constexpr uint64_t outpost_candidates(uint64_t knights, uint64_t enemy_pawns)
{
    return knights & behind<US>(enemy_pawns) & Side<US>::BELOW_SEVENTH;
}

// A knight before an enemy pawn that no enemy pawn on a neighbouring file can ever attack.
template <int US>
int32_t knight_outposts(const Army& a, uint64_t enemy_pawns, const PawnFiles& them)
{
    using S = Side<US>;
    int32_t score = 0;
    for_each_square(outpost_candidates<US>(a.knights, enemy_pawns), [&](Square s) {
        const int f = file_of(s) + 1, r = relative_rank<US>(s);
        if (r < 6 && (enemy_pawns & bit_of(s + S::FORWARD)) && 7 - them.rear[f - 1] <= r && 7 - them.rear[f + 1] <= r) {
            score += KNIGHT_OUTPOST;
            if (f == 3 || f == 4)
                score += KNIGHT_OUTPOST_CENTRE;
        }
    });
    return score;
}

// The king's middlegame table, less what the king's file lacks: a pawn of its own, an enemy pawn.
// Files as files_of gives them.
template <int US>
int32_t king_table_and_file(unsigned own_pawn_files, unsigned enemy_pawn_files)
{
    using S = Side<US>;
    const Square king = S::king();
    int32_t score = S::KING_MIDDLEGAME_TABLE[king];
    if (!((own_pawn_files >> file_of(king)) & 1))
        score -= KING_FILE_WITHOUT_OWN_PAWN;
    if (!((enemy_pawn_files >> file_of(king)) & 1))
        score -= KING_FILE_WITHOUT_ENEMY_PAWN;
    return score;
}

// The king's pawn shield: the own file, then each neighbouring file. Never above 0, never below
// -SHIELD_LEAST (the lazy stand pat relies on both).
template <int US>
int32_t king_shield(const PawnFiles& us)
{
    const Square king = Side<US>::king();
    const int f = file_of(king) + 1, r = relative_rank<US>(king);
    int32_t score = 0;
    if (r < us.rear[f] && has_pawn_on(us, f))
        score += SHIELD_OWN_FILE_STEP * (r - us.rear[f]) + SHIELD_OWN_FILE_STEP;
    else
        score -= SHIELD_MISSING;
    for (int n : {f + 1, f - 1}) {
        if (r < us.rear[n] && has_pawn_on(us, n))
            score += SHIELD_SIDE_FILE_STEP * (r - us.rear[n]) + SHIELD_SIDE_FILE_STEP;
        else
            score -= SHIELD_MISSING;
    }
    return score;
}

// A shield pawn stands 1 to 6 ranks before the king (rear is at most 6), so a step term lies
// between -5 steps and 0; a missing pawn costs SHIELD_MISSING, less than either worst step.
constexpr int32_t SHIELD_LEAST = 5 * SHIELD_OWN_FILE_STEP + 2 * 5 * SHIELD_SIDE_FILE_STEP;
static_assert(SHIELD_MISSING <= 5 * SHIELD_SIDE_FILE_STEP && SHIELD_MISSING <= 5 * SHIELD_OWN_FILE_STEP);

template <int US>
int32_t king_shelter(const PawnFiles& us, const PawnFiles& them)
{
    return king_table_and_file<US>(pawn_files(us), pawn_files(them)) + king_shield<US>(us);
}

// The shelter of US's king, from the pawn entry when it was worked out for the same square.
template <int US>
int32_t kept_shelter(PawnEntry& e)
{
    const Square king = Side<US>::king();
    if (e.shelter_king[US] != king) {
        e.shelter[US] = king_shelter<US>(e.files[US], e.files[1 - US]);
        e.shelter_king[US] = uint8_t(king);
    }
    return e.shelter[US];
}

// Material that cannot win: no pawns, no heavy pieces, and a side with a lone minor piece.
bool is_drawn_ending(const Army& w, const Army& b)
{
    const bool pawns = (w.pawns | b.pawns) != 0;
    const bool heavy = (w.rooks | w.queens | b.rooks | b.queens) != 0;
    return !pawns && !heavy &&
           (square_count(w.knights) == 1 || w.bishop_count == 1 || square_count(b.knights) == 1 || b.bishop_count == 1);
}

// Pawns with one bishop each on squares of opposite colours and nothing else: drawish.
bool has_opposite_bishops(const Army& w, const Army& b)
{
    const bool pawns = (w.pawns | b.pawns) != 0;
    const bool heavy = (w.rooks | w.queens | b.rooks | b.queens) != 0;
    return pawns && !heavy && w.knights == 0 && b.knights == 0 && w.bishop_count == 1 && b.bishop_count == 1 &&
           square_colour(lowest_square(w.bishops)) != square_colour(lowest_square(b.bishops));
}

// What the explanation records: each side's value of a term (nothing at all when evaluating
// for the search). Returns the term from White's view, as the sum takes it.
template <bool EXPLAIN>
inline int32_t term(EvalTerms* terms, EvalTerm which, int32_t white, int32_t black)
{
    if constexpr (EXPLAIN) {
        terms->value[WHITE_SIDE][which] += white;
        terms->value[BLACK_SIDE][which] += black;
    }
    return white - black;
}

// The pawn, knight, bishop and queen tables of US, and its pawn terms of one phase, worked out
// from the board: the search takes the same sums from make's running sum and the pawn entry.
template <int US>
void explain_pawns_and_tables(EvalTerms& terms, const Army& a, uint64_t enemy_pawns, bool middlegame)
{
    const bool white = US == WHITE_SIDE;
    int32_t& tables = terms.value[US][TERM_PIECE_SQUARES];
    tables += table_sum(a.pawns, white ? WHITE_PAWN_TABLE : BLACK_PAWN_TABLE);
    tables += table_sum(a.knights, white ? WHITE_KNIGHT_TABLE : BLACK_KNIGHT_TABLE);
    tables += table_sum(a.bishops, white ? WHITE_BISHOP_TABLE : BLACK_BISHOP_TABLE);
    tables += table_sum(a.queens, white ? WHITE_QUEEN_TABLE : BLACK_QUEEN_TABLE);
    PawnFiles files;
    fill_pawn_files<US>(a.pawns, files);
    int32_t weak_mg = 0, weak_eg = 0, passed_mg = 0, passed_eg = 0;
    const uint64_t isolated = isolated_pawns(a.pawns);
    pawn_weaknesses<US>(a.pawns, enemy_pawns, isolated, weak_mg, weak_eg);
    passed_pawn_bonus<US>(a.pawns, enemy_pawns, isolated, files, passed_mg, passed_eg);
    terms.value[US][TERM_PAWN_STRUCTURE] += middlegame ? weak_mg : weak_eg;
    terms.value[US][TERM_PASSED_PAWNS] += middlegame ? passed_mg : passed_eg;
}

// ---- Standing pat on a bound ----
// A quiescence node only asks whether its stand-pat score reaches beta. In the middlegame the
// score is, from White's view, the material and piece-square sums that make keeps, plus the
// pawn entry's structure terms, plus each side's bishop, rook, knight and king terms, White's
// less Black's (no drawn ending and no halving before the endgame). For the side to move it is
// therefore at least those sums plus the least its own piece terms can be, less the most the
// other side's can be. From the terms as written above:
// - bishops: the fianchetto only adds and the pair is exact; only a bishop on its back two ranks
//   can be shut in, for BLOCKED_BISHOP;
// - rooks: only a rook on the corner square pays ROOK_BEFORE_CASTLED_KING; a rook gains at most
//   ROOK_ON_SEVENTH_MIDDLEGAME on the seventh rank and the larger of the open and half-open file
//   bonuses (a file is one or the other);
// - knights: only a knight directly behind an enemy pawn below the seventh rank is an outpost,
//   for at most KNIGHT_OUTPOST + KNIGHT_OUTPOST_CENTRE;
// - king: the shelter kept in the pawn entry for this king's square is exact; otherwise the
//   king's table and its file's two tests, exact, and a shield between -SHIELD_LEAST and 0.
constexpr int32_t ROOK_MOST =
    ROOK_ON_SEVENTH_MIDDLEGAME + (ROOK_OPEN_FILE > ROOK_HALF_OPEN_FILE ? ROOK_OPEN_FILE : ROOK_HALF_OPEN_FILE);
static_assert(FIANCHETTO_BISHOP >= 0 && BLOCKED_BISHOP >= 0 && ROOK_BEFORE_CASTLED_KING >= 0 &&
                  ROOK_ON_SEVENTH_MIDDLEGAME >= 0 && ROOK_OPEN_FILE >= 0 && ROOK_HALF_OPEN_FILE >= 0 &&
                  KNIGHT_OUTPOST >= 0 && KNIGHT_OUTPOST_CENTRE >= 0,
              "the bound reads these penalties as only subtracting and these bonuses as only adding");

// The shelter of US's king if the pawn entry keeps it for this square, else its least or most.
template <int US, bool LEAST>
int32_t shelter_bound(const PawnEntry& e)
{
    if (e.shelter_king[US] == Side<US>::king())
        return e.shelter[US];
    const int32_t table_and_file = king_table_and_file<US>(pawn_files(e.files[US]), pawn_files(e.files[1 - US]));
    return LEAST ? table_and_file - SHIELD_LEAST : table_and_file;
}

// The least the middlegame piece terms of US can be, less the most those of the other side can be.
template <int US>
int32_t least_piece_difference(const Army& us, const Army& them, const PawnEntry& e)
{
    constexpr int THEM = 1 - US;
    using S = Side<US>;
    using T = Side<THEM>;
    const int32_t least = bishop_pair(us) - BLOCKED_BISHOP * square_count(us.bishops & S::BACK_TWO_RANKS) -
                          ((us.rooks & bit_of(S::CORNER_ROOK_SQUARE)) ? ROOK_BEFORE_CASTLED_KING : 0) +
                          shelter_bound<US, true>(e);
    const int32_t most =
        bishop_pair(them) + ((them.bishops & bit_of(T::FIANCHETTO_SQUARE)) ? FIANCHETTO_BISHOP : 0) +
        ROOK_MOST * square_count(them.rooks) +
        (KNIGHT_OUTPOST + KNIGHT_OUTPOST_CENTRE) * square_count(outpost_candidates<THEM>(them.knights, us.pawns)) +
        shelter_bound<THEM, false>(e);
    return least - most;
}

// The evaluation, with or without its explanation: one body, so that the terms shown are the
// terms the search adds up.
template <bool EXPLAIN, bool LAZY = false>
KORVANE_ALWAYS_INLINE int32_t evaluate_with(EvalTerms* terms, int32_t beta = 0)
{
    const Army w = army_of<WHITE_SIDE>(), b = army_of<BLACK_SIDE>();
    // The pawn entry is needed only after the piece terms: start loading it now.
    prefetch(&pawn_slot(w.pawns, b.pawns));
    // Material and piece-square sums (the pawns', knights', bishops' and queens'), both kept in
    // step by make and unmake.
    const EvalSums sums = position.eval_sums;
    int32_t white_material = white_material_of(sums), black_material = black_material_of(sums);
    int32_t ps = piece_square_sum_of(sums);

    // The phase, and material that draws or tends to.
    const int32_t threshold = (w.queens != 0 && b.queens != 0) ? PHASE_THRESHOLD_BOTH_QUEENS : PHASE_THRESHOLD;
    const bool middlegame = white_material >= threshold || black_material >= threshold;
    if constexpr (EXPLAIN) {
        terms->middlegame = middlegame;
        explain_pawns_and_tables<WHITE_SIDE>(*terms, w, b.pawns, middlegame);
        explain_pawns_and_tables<BLACK_SIDE>(*terms, b, w.pawns, middlegame);
    }
    if (!middlegame) {
        if (is_drawn_ending(w, b)) {
            if constexpr (EXPLAIN) {
                term<true>(terms, TERM_MATERIAL, white_material, black_material);
                terms->drawn_ending = true;
                terms->score = 0;
            }
            return 0;  // before the piece count is handed on: it keeps its earlier value
        }
        if (has_opposite_bishops(w, b)) {
            white_material /= 2;
            black_material /= 2;
            if constexpr (EXPLAIN)
                terms->material_halved = true;
        }
    }

    // Pawn structure and passed pawns.
    PawnEntry& pawns = pawn_entry(w.pawns, b.pawns);
    const PawnFiles& white_files = pawns.files[WHITE_SIDE];
    const PawnFiles& black_files = pawns.files[BLACK_SIDE];
    if (middlegame) {
        ps += pawns.middlegame;
        if constexpr (LAZY) {
            // Standing pat on the bound when it already reaches beta (see the bound's proof).
            const int32_t white_view = white_material - black_material + ps;
            const int32_t so_far = position.turn == WHITE_SIDE ? white_view : -white_view;
            if (so_far >= beta) {
                const int32_t least =
                    so_far + (position.turn == WHITE_SIDE ? least_piece_difference<WHITE_SIDE>(w, b, pawns)
                                                          : least_piece_difference<BLACK_SIDE>(b, w, pawns));
                if (least >= beta) {
                    position.piece_count = piece_count_of(sums);  // as the whole evaluation leaves it
                    assert(evaluate_with<false>(nullptr) >= least && "the stand-pat bound is above the evaluation");
                    return least;
                }
            }
        }
    } else {
        ps += pawns.endgame;
        ps += term<EXPLAIN>(terms, TERM_PASSED_PAWNS, pawn_blockade<WHITE_SIDE>(w.pawns, b.pawns),
                            pawn_blockade<BLACK_SIDE>(b.pawns, w.pawns));
    }

    // The bishop rules.
    ps += term<EXPLAIN>(terms, TERM_BISHOPS, bishop_terms<WHITE_SIDE>(w), bishop_terms<BLACK_SIDE>(b));

    // Queens and rooks; a king on its own back rank is cut off by a piece on the seventh.
    const bool black_king_on_back_rank = relative_rank<BLACK_SIDE>(position.black_king) == 0;
    const bool white_king_on_back_rank = relative_rank<WHITE_SIDE>(position.white_king) == 0;
    if (!middlegame)
        ps += term<EXPLAIN>(terms, TERM_QUEENS, queen_terms<WHITE_SIDE>(w, black_king_on_back_rank),
                            queen_terms<BLACK_SIDE>(b, white_king_on_back_rank));
    ps += term<EXPLAIN>(terms, TERM_ROOKS,
                        rook_terms<WHITE_SIDE>(w, pawn_files(white_files), pawn_files(black_files), middlegame,
                                               black_king_on_back_rank),
                        rook_terms<BLACK_SIDE>(b, pawn_files(black_files), pawn_files(white_files), middlegame,
                                               white_king_on_back_rank));

    // Knights.
    ps += term<EXPLAIN>(terms, TERM_KNIGHTS, knight_outposts<WHITE_SIDE>(w, b.pawns, black_files),
                        knight_outposts<BLACK_SIDE>(b, w.pawns, white_files));

    // Kings: sheltered in the middlegame, centralised in the endgame.
    if (middlegame)
        ps += term<EXPLAIN>(terms, TERM_KING, kept_shelter<WHITE_SIDE>(pawns), kept_shelter<BLACK_SIDE>(pawns));
    else
        ps += term<EXPLAIN>(terms, TERM_KING, KING_ENDGAME_TABLE[position.white_king],
                            KING_ENDGAME_TABLE[position.black_king]);

    // The hand-off to the null move: the alpha-beta search decides whether to pass by the count
    // of knights, bishops, rooks and queens that the latest evaluation saw, wherever it was.
    position.piece_count = piece_count_of(sums);

    const int32_t score = white_material - black_material + ps;
    if constexpr (EXPLAIN) {
        term<true>(terms, TERM_MATERIAL, white_material, black_material);
        terms->score = position.turn == WHITE_SIDE ? score : -score;
    }
    return position.turn == WHITE_SIDE ? score : -score;
}

}  // namespace

// One call from the quiescence search, as the profile of the search found best before the
// explanation shared its body.
KORVANE_NOINLINE int32_t evaluate() { return evaluate_with<false>(nullptr); }

int32_t explain_evaluation(EvalTerms& terms)
{
    terms = EvalTerms{};
    return evaluate_with<true>(&terms);
}

int32_t stand_pat_score(int32_t beta) { return evaluate_with<false, true>(nullptr, beta); }
