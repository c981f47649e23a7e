// The game on the page as a record: where it started (a FEN), its moves in the engine's
// coordinate notation, their SAN, the position after each (fens[0] is the start), the PGN tags,
// and what a loaded PGN said beside the moves: annotations[ply - 1] of the move to ply (pgn.mjs
// reads them, pgn-out.mjs writes them) and the preface, a comment before the first move. A
// record is never changed, only replaced. chess.js does the rules, the SAN and the FEN;
// the small facts the page needs around them are written here, each once: a move from coordinate
// text, the side to move, a move's label with its number, the game's end and its result.
import { Chess, DEFAULT_POSITION } from 'chess.js';

export const START_FEN = DEFAULT_POSITION;
export const ROSTER = ['Event', 'Site', 'Date', 'Round', 'White', 'Black', 'Result'];
export const RESULTS = ['1-0', '0-1', '1/2-1/2'];

// The engine reads lines of up to 4095 characters whole; a longer "position" line is sent from
// the last capture or pawn move, behind which no position can repeat.
const LONGEST_LINE = 4000;

export function side_to_move(fen)
{
    return fen.split(' ')[1] === 'b' ? 'b' : 'w';
}

// Plays a move in coordinate text ("e2e4", "e7e8q") on chess; the move made, or null when illegal.
export function play_uci(chess, uci)
{
    try {
        return chess.move({ from: uci.slice(0, 2), to: uci.slice(2, 4), promotion: uci[4] });
    } catch {
        return null;
    }
}

function with_move(game, move, fen)
{
    return { ...game, moves: [...game.moves, move.lan], sans: [...game.sans, move.san], fens: [...game.fens, fen] };
}

// A game from its start and moves; null when a move is not legal.
export function make_game(start_fen, moves = [], tags = {}, { annotations = [], preface = null } = {})
{
    const chess = new Chess(start_fen);
    const game = { start_fen: chess.fen(), moves: [], sans: [], fens: [chess.fen()], tags: { ...tags },
                   annotations: annotations.slice(0, moves.length), preface };
    for (const uci of moves) {
        const move = play_uci(chess, uci);
        if (!move)
            return null;
        game.moves.push(move.lan);
        game.sans.push(move.san);
        game.fens.push(chess.fen());
    }
    return game;
}

// The game with one more move at its end, without replaying it; null when the move is illegal.
export function extend_game(game, uci)
{
    const chess = new Chess(game.fens.at(-1));
    const move = play_uci(chess, uci);
    return move ? with_move(game, move, chess.fen()) : null;
}

// The game's identity: where it starts and its moves (what a graph or a review belongs to).
export function game_key(game)
{
    return `${game.start_fen}|${game.moves.join(' ')}`;
}

// The game up to ply.
export function cut_game(game, ply)
{
    return { ...game, moves: game.moves.slice(0, ply), sans: game.sans.slice(0, ply), fens: game.fens.slice(0, ply + 1),
             annotations: game.annotations.slice(0, ply) };
}

// The moves of a line (coordinate text) from fen, by their SAN, as far as they are legal.
export function line_sans(fen, moves)
{
    const chess = new Chess(fen);
    const sans = [];
    for (const uci of moves) {
        const move = play_uci(chess, uci);
        if (!move)
            break;
        sans.push(move.san);
    }
    return sans;
}

// The position a line of moves (coordinate text) leads to from fen, as far as they are legal.
export function line_end(fen, moves)
{
    const chess = new Chess(fen);
    for (const uci of moves)
        if (!play_uci(chess, uci))
            break;
    return chess.fen();
}

// The moves of a line in SAN from fen, in coordinate text, as far as they are legal.
export function line_moves(fen, sans)
{
    const chess = new Chess(fen);
    const moves = [];
    for (const san of sans) {
        try {
            moves.push(chess.move(san, { strict: false }).lan);
        } catch {
            break;
        }
    }
    return moves;
}

// The number of the move that leads to ply (1 or more) as a score sheet writes it: "12." for
// White's move, "12…" for Black's, counted from the start position's own move number.
export function move_number(game, ply)
{
    const before = game.fens[ply - 1];
    const number = Number(before.split(' ')[5]) || 1;
    return side_to_move(before) === 'w' ? `${number}.` : `${number}…`;
}

// A line of moves in SAN from the position fen, with their numbers: "12… Be7 13. Nc3 O-O".
export function numbered_line(fen, sans)
{
    let number = Number(fen.split(' ')[5]) || 1;
    let white = side_to_move(fen) === 'w';
    return sans.map((san, i) => {
        const label = white ? `${number}. ` : i === 0 ? `${number}… ` : '';
        if (!white)
            ++number;
        white = !white;
        return label + san;
    }).join(' ');
}

export function move_label(game, ply)
{
    return ply === 0 ? 'the start' : `${move_number(game, ply)} ${game.sans[ply - 1]}`;
}

// The game's moves from its start up to ply, for the engine: a whole "position" line.
export function position_command(game, ply)
{
    const from_start = (start, moves) =>
        (start === START_FEN ? 'position startpos' : `position fen ${start}`) + (moves.length ? ' moves ' + moves.join(' ') : '');
    const line = from_start(game.start_fen, game.moves.slice(0, ply));
    if (line.length <= LONGEST_LINE)
        return line;
    let from = ply;
    while (from > 0 && game.fens[from].split(' ')[4] !== '0')
        --from;
    return from_start(game.fens[from], game.moves.slice(from, ply)).slice(0, LONGEST_LINE);
}

// How often the position at ply has stood on the board so far (placement, side, castling and en
// passant alike: chess.js writes an en passant square only where a capture is possible).
function occurrences(game, ply)
{
    const key = game.fens[ply].split(' ').slice(0, 4).join(' ');
    let count = 0;
    for (let earlier = ply; earlier >= 0; --earlier) {
        if (game.fens[earlier].split(' ').slice(0, 4).join(' ') === key)
            ++count;
        if (game.fens[earlier].split(' ')[4] === '0')
            break;  // behind a capture or pawn move nothing repeats
    }
    return count;
}

export function in_check(fen)
{
    return new Chess(fen).inCheck();
}

// The square of the king of the side to move.
export function king_square(fen)
{
    const chess = new Chess(fen);
    return chess.findPiece({ type: 'k', color: chess.turn() })[0];
}

// How the game stands at ply by the rules: null while it goes on, else { result, text }. Each
// record's answers are kept, as records never change.
const ends = new WeakMap();
export function game_end(game, ply)
{
    const known = ends.get(game) ?? new Map();
    ends.set(game, known);
    if (!known.has(ply))
        known.set(ply, end_by_rules(game, ply));
    return known.get(ply);
}

function end_by_rules(game, ply)
{
    const chess = new Chess(game.fens[ply]);
    if (chess.isCheckmate())
        return { result: chess.turn() === 'w' ? '0-1' : '1-0', text: `Checkmate: ${chess.turn() === 'w' ? 'Black' : 'White'} wins.` };
    if (chess.isStalemate())
        return { result: '1/2-1/2', text: 'Stalemate: a draw.' };
    if (chess.isInsufficientMaterial())
        return { result: '1/2-1/2', text: 'Draw: neither side can mate.' };
    // A repetition ends the game only where it stands last: earlier, play went on past it.
    if (ply === game.moves.length && occurrences(game, ply) >= 3)
        return { result: '1/2-1/2', text: 'Draw by threefold repetition.' };
    if (chess.isDraw())
        return { result: '1/2-1/2', text: 'Draw by the fifty-move rule.' };
    return null;
}

// The game's result: by the rules at its last position, else the result its record was given
// (a loaded game that ended by resignation, on time or by agreement), else "*".
export function game_result(game)
{
    const end = game_end(game, game.moves.length);
    return end ? end.result : RESULTS.includes(game.tags.Result) ? game.tags.Result : '*';
}

export function result_text(result)
{
    return { '1-0': 'White won', '0-1': 'Black won', '1/2-1/2': 'a draw' }[result] ?? 'not finished';
}
