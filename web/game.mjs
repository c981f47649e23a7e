// The game on the page as a record: where it started (a FEN), its moves in the engine's
// coordinate notation, and the PGN tags. chess.js does the rules, the PGN and the FEN; this
// module adds what the page needs around them: the positions of every ply, the position
// commands for the engine, the result, and the checks of what a person loads.
import { Chess, DEFAULT_POSITION, validateFen } from 'chess.js';

export const START_FEN = DEFAULT_POSITION;
export const ROSTER = ['Event', 'Site', 'Date', 'Round', 'White', 'Black', 'Result'];

// The engine reads lines of up to 4095 characters whole; a longer "position" line is sent from
// the last capture or pawn move, behind which no position can repeat.
const LONGEST_LINE = 4000;

function play_uci(chess, uci)
{
    try {
        return chess.move({ from: uci.slice(0, 2), to: uci.slice(2, 4), promotion: uci[4] });
    } catch {
        return null;
    }
}

// A game from its start and moves; null when a move is not legal.
export function make_game(start_fen, moves, tags = {})
{
    const chess = new Chess(start_fen);
    const fens = [chess.fen()];
    const sans = [];
    const clocks = [chess.fen().split(' ')[4] === '0'];  // [ply]: nothing before it can repeat
    for (const uci of moves) {
        const move = play_uci(chess, uci);
        if (!move)
            return null;
        fens.push(chess.fen());
        sans.push(move.san);
        clocks.push(move.captured !== undefined || move.piece === 'p');
    }
    return { start_fen: fens[0], moves: [...moves], tags: { ...tags }, fens, sans, irreversible: clocks, chess };
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
    while (from > 0 && !game.irreversible[from])
        --from;
    return from_start(game.fens[from], game.moves.slice(from, ply)).slice(0, LONGEST_LINE);
}

// The position at ply as chess.js sees it.
export function chess_at(game, ply)
{
    return new Chess(game.fens[ply]);
}

// How the game stands at ply by the rules: null while it goes on, else { result, text }.
export function game_end(game, ply)
{
    const chess = chess_at(game, ply);
    if (ply === game.moves.length && game.fens.length > 1) {
        // Repetition needs the history: replay the whole game.
        if (game.chess.isThreefoldRepetition())
            return { result: '1/2-1/2', text: 'Draw by threefold repetition.' };
    }
    if (chess.isCheckmate())
        return { result: chess.turn() === 'w' ? '0-1' : '1-0', text: `Checkmate: ${chess.turn() === 'w' ? 'Black' : 'White'} wins.` };
    if (chess.isStalemate())
        return { result: '1/2-1/2', text: 'Stalemate: a draw.' };
    if (chess.isInsufficientMaterial())
        return { result: '1/2-1/2', text: 'Draw: neither side can mate.' };
    if (chess.isDraw())
        return { result: '1/2-1/2', text: 'Draw by the fifty-move rule.' };
    return null;
}

// The tags of a PGN, the seven of the roster first, as chess.js writes them.
export function game_pgn(game)
{
    const chess = new Chess(game.start_fen);
    for (const uci of game.moves)
        play_uci(chess, uci);
    const end = game_end(game, game.moves.length);
    const tags = { ...game.tags, Result: end ? end.result : game.tags.Result ?? '*' };
    for (const tag of ROSTER)
        chess.setHeader(tag, tags[tag] ?? (tag === 'Date' ? '????.??.??' : '?'));
    for (const [tag, value] of Object.entries(tags))
        if (!ROSTER.includes(tag) && tag !== 'SetUp' && tag !== 'FEN')
            chess.setHeader(tag, value);
    return chess.pgn({ maxWidth: 80 });
}

// Castling rights whose king and rook are no longer at home are dropped: the engine takes a FEN
// as it stands, and would castle with a rook that is not there.
function castling_that_can_be(chess, rights)
{
    const at = square => chess.get(square);
    const is = (square, type, color) => at(square)?.type === type && at(square)?.color === color;
    const kept = [...rights].filter(right =>
        (right === 'K' && is('e1', 'k', 'w') && is('h1', 'r', 'w')) ||
        (right === 'Q' && is('e1', 'k', 'w') && is('a1', 'r', 'w')) ||
        (right === 'k' && is('e8', 'k', 'b') && is('h8', 'r', 'b')) ||
        (right === 'q' && is('e8', 'k', 'b') && is('a8', 'r', 'b')));
    return kept.length ? kept.join('') : '-';
}

// A FEN a person typed, checked: { fen } in the form chess.js writes it, or { error }.
export function checked_fen(text)
{
    const words = String(text).trim().split(/\s+/).filter(Boolean);
    if (words.length === 0)
        return { error: 'Type or paste a FEN first.' };
    // A FEN of the board, side and castling alone is common: the clocks default to 0 and 1.
    const defaults = ['w', '-', '-', '0', '1'];
    while (words.length < 6)
        words.push(defaults[words.length - 1]);
    const fen = words.join(' ');
    const valid = validateFen(fen);
    if (!valid.ok)
        return { error: `This FEN cannot be loaded: ${valid.error.replace(/^Invalid FEN: /, '')}.` };
    const chess = new Chess(fen);
    const fields = chess.fen().split(' ');
    fields[2] = castling_that_can_be(chess, fields[2]);
    // The side that has just moved cannot still be in check.
    const other = [...fields];
    other[1] = fields[1] === 'w' ? 'b' : 'w';
    other[3] = '-';
    if (new Chess(other.join(' ')).inCheck())
        return { error: 'This FEN cannot be loaded: the side that is not to move is in check.' };
    return { fen: new Chess(fields.join(' ')).fen() };
}

// A PGN a person pasted or opened: { game } or { error }.
export function checked_pgn(text)
{
    if (!String(text).trim())
        return { error: 'Paste a PGN or open a PGN file first.' };
    const chess = new Chess();
    try {
        chess.loadPgn(String(text));
    } catch (error) {
        return { error: `This PGN cannot be loaded: ${String(error.message ?? error).replace(/^Invalid move in PGN: /, 'it has an illegal or unreadable move, ')}.` };
    }
    const headers = chess.getHeaders();
    const moves = chess.history({ verbose: true }).map(move => move.lan);
    let start = START_FEN;
    if (headers.FEN) {
        const checked = checked_fen(headers.FEN);
        if (checked.error)
            return { error: `This PGN cannot be loaded: its FEN tag is not a position (${checked.error.replace(/^This FEN cannot be loaded: /, '')})` };
        start = checked.fen;
    }
    const tags = {};
    for (const [tag, value] of Object.entries(headers))
        if (value !== null && value !== undefined && tag !== 'SetUp' && tag !== 'FEN')
            tags[tag] = value;
    const game = make_game(start, moves, tags);
    if (!game)
        return { error: 'This PGN cannot be loaded: its moves do not follow from its FEN tag.' };
    return { game };
}

// The date as PGN writes it.
export function pgn_date(date = new Date())
{
    const two = n => String(n).padStart(2, '0');
    return `${date.getFullYear()}.${two(date.getMonth() + 1)}.${two(date.getDate())}`;
}
