// Static evaluation: material, piece-square tables, pawn structure, rook, knight and king
// terms. Leaves the count of knights, bishops, rooks and queens in position.piece_count.
#pragma once
#include <cstdint>

// Material values of the evaluation (move ordering keeps its own in piece_value), set once at
// start-up and fixed: PAWN_VALUE ... QUEEN_VALUE, the values by which make keeps each side's
// material in the running sums that the evaluation reads (position.eval_sums).
extern int32_t pawn_material, knight_material, bishop_material, rook_material, queen_material;
void init_material();

// The score of the position in centipawns from the side to move's view. Also leaves in
// position.piece_count the knights, bishops, rooks and queens it counted (the null move's test
// reads it), except when it returns early for a drawn ending.
int32_t evaluate();

// What the quiescence search stands pat on: evaluate(), or, when the material, the piece-square
// sums and the pawn structure with bounds on the piece terms prove that evaluate() reaches beta,
// a value between beta and evaluate(). A node that stands pat returns it unseen, as every caller
// only learns from it that the node fails high. The same side effects on position.piece_count as
// evaluate; debug builds check every such answer against evaluate().
int32_t stand_pat_score(int32_t beta);

// The evaluation's sum by term, for people who want to see why Korvane likes a position (the
// evaluation tool prints it, the browser page shows it). Each side's value is from that side's
// own view; the score is White's terms minus Black's, negated when Black is to move, except
// that a drawn ending scores 0 whatever its terms.
enum EvalTerm : int {
    TERM_MATERIAL,        // pawns, knights, bishops, rooks and queens (halved with opposite bishops)
    TERM_PIECE_SQUARES,   // the pawn, knight, bishop and queen tables
    TERM_BISHOPS,         // fianchetto before the castled king, the pair, shut in by own pawns
    TERM_PAWN_STRUCTURE,  // isolated, backward and doubled pawns
    TERM_PASSED_PAWNS,    // passed pawns, supported, protected or blocked
    TERM_QUEENS,          // on the seventh rank against a king on its back rank (endgame)
    TERM_ROOKS,           // shut in by the king, on the seventh, on open and half-open files
    TERM_KNIGHTS,         // outposts no enemy pawn can attack
    TERM_KING,            // table and pawn shield (middlegame), centralisation (endgame)
    TERM_COUNT
};
inline constexpr const char* EVAL_TERM_NAMES[TERM_COUNT] = {
    "material", "piece-squares", "bishops", "pawn-structure", "passed-pawns", "queens", "rooks", "knights", "king"};

struct EvalTerms {
    int32_t value[2][TERM_COUNT];  // [0 White, 1 Black][term]
    bool middlegame;
    bool drawn_ending;     // no pawns, rooks or queens and a lone minor piece: the score is 0
    bool material_halved;  // pawns and one bishop each, on squares of opposite colours
    int32_t score;         // what evaluate returns for the position
};

// Evaluates the position as evaluate does (the same side effects), filling in terms by term.
int32_t explain_evaluation(EvalTerms& terms);
