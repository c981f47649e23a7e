// What a person types or hears of a game: a FEN pasted, a move typed as SAN or coordinates, a
// move said in words for a screen reader, and the date as PGN writes it.
import { Chess, validateFen } from 'chess.js';

import { play_uci } from './game.mjs';

// Castling rights whose king and rook are no longer at home are dropped: the engine takes a FEN
// as it stands, and would castle with a rook that is not there.
function castling_that_can_be(chess, rights)
{
    const is = (square, type, color) => chess.get(square)?.type === type && chess.get(square)?.color === color;
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

// The date as PGN writes it.
export function pgn_date(date = new Date())
{
    const two = n => String(n).padStart(2, '0');
    return `${date.getFullYear()}.${two(date.getMonth() + 1)}.${two(date.getDate())}`;
}

// A move as a screen reader should say it: "knight to f3", "pawn takes d5", "castles kingside".
export function spoken_san(san)
{
    const PIECES = { K: 'king', Q: 'queen', R: 'rook', B: 'bishop', N: 'knight' };
    const end = san.endsWith('#') ? ', checkmate' : san.endsWith('+') ? ', check' : '';
    const bare = san.replace(/[+#!?]+$/, '');
    if (bare.startsWith('O-O'))
        return (bare === 'O-O-O' ? 'castles queenside' : 'castles kingside') + end;
    const [, piece, capture, square, promotion] = bare.match(/^([KQRBN]?)[a-h]?[1-8]?(x?)([a-h][1-8])(?:=([QRBN]))?$/) ?? [];
    if (!square)
        return san;
    return `${PIECES[piece] ?? 'pawn'} ${capture ? 'takes' : 'to'} ${square}` + (promotion ? `, promotes to ${PIECES[promotion]}` : '') + end;
}

// A move as a person types it, as SAN ("Nf3", "exd5", "O-O", "e8=Q") or as coordinates
// ("g1f3", "e7e8q"): its coordinate text in the position fen, or null when it is not a legal move there.
export function typed_move(fen, text)
{
    const typed = String(text).trim().replace(/^0-0-0/, 'O-O-O').replace(/^0-0/, 'O-O');
    const chess = new Chess(fen);
    if (/^[a-h][1-8]-?[a-h][1-8][qrbn]?$/i.test(typed))
        return play_uci(chess, typed.replace('-', '').toLowerCase())?.lan ?? null;
    try {
        return chess.move(typed, { strict: false }).lan;
    } catch {
        return null;
    }
}
