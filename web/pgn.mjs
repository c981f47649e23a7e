// PGN as a person pastes or opens it. A file may hold many games (the export of a database or of
// a site): pgn_games lists them, read_game reads one. @mliebelt/pgn-parser reads the text, with
// its comments, NAGs and variations, which chess.js drops; it is loaded at the first PGN, not
// with the page. chess.js then replays the moves, so that only a legal game reaches the page.
import { Chess } from 'chess.js';

import { START_FEN, checked_fen, make_game, play_uci } from './game.mjs';

let parser = null;
async function pgn_parser()
{
    // The package is a UMD script: in a browser it sets globalThis.PgnParser, under node it is a
    // CommonJS module.
    if (!parser) {
        const module = await import('@mliebelt/pgn-parser');
        parser = globalThis.PgnParser ?? module.default ?? module;
    }
    return parser;
}

// A tag's value as PGN writes it: the parser reads dates, times, numbers and time controls
// into records of their parts.
function tag_text(value)
{
    if (Array.isArray(value))
        return value.map(tag_text).join(':');
    if (value && typeof value === 'object')
        return String(value.value ?? '');
    return String(value);
}

function tags_of(parsed)
{
    const tags = {};
    for (const [tag, value] of Object.entries(parsed ?? {}))
        if (tag !== 'messages' && value !== null && value !== undefined)
            tags[tag] = tag_text(value);
    return tags;
}

function unreadable(error)
{
    const at = error?.location?.start;
    return at ? `This PGN cannot be loaded: it cannot be read at line ${at.line}, column ${at.column}.` :
                `This PGN cannot be loaded: ${String(error?.message ?? error)}.`;
}

// The games of a PGN text, in their order: { games: [{ text, tags }] }, or { error }.
export async function pgn_games(text)
{
    text = String(text);
    if (!text.trim())
        return { error: 'Paste a PGN or open a PGN file first.' };
    const { split, parse } = await pgn_parser();
    try {
        // Games are split at blank lines, which is fast for a large file; a file that leaves
        // them out is parsed whole.
        const pieces = split(text, { startRule: 'games' }).filter(piece => piece.all.trim());
        if (pieces.length > 0)
            return { games: pieces.map(piece => ({ text: piece.all, tags: piece.tags ? tags_of(parse(piece.tags, { startRule: 'tags' }).tags) : {} })) };
        const games = parse(text, { startRule: 'games' });
        return games.length ? { games: games.map(game => ({ text: null, parsed: game, tags: tags_of(game.tags) })) } :
                              { error: 'This PGN holds no game.' };
    } catch (error) {
        return { error: unreadable(error) };
    }
}

// What a PGN says about one move beside the move: { nags, comment, eval, variations }, or null.
function annotation_of(move)
{
    const comment = [move.commentMove, move.commentAfter].filter(Boolean).join(' ').trim();
    const evaluation = move.commentDiag?.eval;
    const annotation = { nags: move.nag ?? [], comment, eval: evaluation ?? null, variations: move.variations ?? [] };
    return annotation.nags.length || comment || evaluation !== undefined || annotation.variations.length ? annotation : null;
}

// One game of pgn_games read: { game, annotations } (annotations[ply - 1] for the move to ply),
// or { error }.
export async function read_game(entry)
{
    let parsed = entry.parsed;
    if (!parsed) {
        try {
            parsed = (await pgn_parser()).parse(entry.text, { startRule: 'game' });
        } catch (error) {
            return { error: unreadable(error) };
        }
    }
    const tags = tags_of(parsed.tags);
    let start = START_FEN;
    if (tags.FEN) {
        const checked = checked_fen(tags.FEN);
        if (checked.error)
            return { error: `This PGN cannot be loaded: its FEN tag is not a position (${checked.error.replace(/^This FEN cannot be loaded: /, '')})` };
        start = checked.fen;
    }
    delete tags.FEN;
    delete tags.SetUp;
    const chess = new Chess(start);
    const moves = [];
    for (const move of parsed.moves) {
        let made = null;
        try {
            made = chess.move(move.notation.notation, { strict: false });
        } catch {
            // An unusual spelling of a move (a long algebraic "e2e4") is tried as coordinates.
            made = play_uci(chess, move.notation.notation.replace(/[-x]/g, '').toLowerCase());
        }
        if (!made) {
            const number = Math.floor(moves.length / 2) + 1;
            return { error: `This PGN cannot be loaded: it has an illegal or unreadable move, ${move.notation.notation} (ply ${moves.length + 1}, about move ${number}).` };
        }
        moves.push(made.lan);
    }
    return { game: make_game(start, moves, tags), annotations: parsed.moves.map(annotation_of) };
}

// The line that lists a game of a file: "Tal, Mikhail – Koblents, Alexander, 1-0, 1957.01.20 (Riga)".
export function game_title(tags)
{
    const who = `${tags.White ?? '?'} – ${tags.Black ?? '?'}`;
    const when = tags.Date && !tags.Date.startsWith('?') ? `, ${tags.Date}` : '';
    const where = tags.Event && tags.Event !== '?' ? ` (${tags.Event})` : '';
    return `${who}, ${tags.Result ?? '*'}${when}${where}`;
}
